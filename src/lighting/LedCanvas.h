#pragma once

#include <cstdint>

#include "lighting/LightTables.h"

// Where effects draw: one colour and one level per light point. Device pages
// draw into their light points; tests into an array.
namespace lighting {

class LedCanvas {
 public:
  virtual ~LedCanvas() = default;
  // Number of light points; effects skip points at or beyond it.
  virtual int Count() const = 0;
  virtual void Set(int point, Rgb colour, uint8_t level) = 0;
  // The colour a point shows now (chase effects keep colours).
  virtual Rgb Get(int point) const = 0;
  virtual uint8_t GetLevel(int point) const = 0;
};

// Packs a point as the page keeps it: the colour's RGB word with the level
// in the top byte.
inline constexpr int kLedLevelShift = 24;
inline uint32_t PackLed(Rgb colour, uint8_t level) {
  return protocol::ToRgbWord(colour) | static_cast<uint32_t>(level) << kLedLevelShift;
}
inline Rgb UnpackColour(uint32_t led) { return protocol::FromRgbWord(led); }
inline uint8_t UnpackLevel(uint32_t led) { return static_cast<uint8_t>(led >> kLedLevelShift); }

}  // namespace lighting
