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

// Packs a point as the page keeps it: red | green << 8 | blue << 16 |
// level << 24.
inline uint32_t PackLed(Rgb colour, uint8_t level) {
  return static_cast<uint32_t>(colour.r) | static_cast<uint32_t>(colour.g) << 8 |
         static_cast<uint32_t>(colour.b) << 16 | static_cast<uint32_t>(level) << 24;
}
inline Rgb UnpackColour(uint32_t led) {
  return {static_cast<uint8_t>(led), static_cast<uint8_t>(led >> 8), static_cast<uint8_t>(led >> 16)};
}
inline uint8_t UnpackLevel(uint32_t led) { return static_cast<uint8_t>(led >> 24); }

}  // namespace lighting
