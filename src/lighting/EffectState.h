#pragma once

#include <array>
#include <cstdint>

#include "lighting/LightTables.h"

// What an effect reads and keeps between steps.
namespace lighting {

// The page's lighting choice as the effects read it.
struct LightParams {
  int mode = 0;        // mode position in the page's list
  int brightness = 0;  // level 0..4
  int speed = 0;       // level 0..4
  int direction = 0;   // 0 or 1
  bool multiColour = false;
  Rgb colour;
  int secondZone = 0;  // keyboard: second-zone mode
};

// Effect state of one page (bytes start at 0).
struct EffectState {
  uint8_t effectPhase = 0;
  uint8_t effectHue = 0;
  uint8_t blinkOn = 0;
  uint32_t blinkTime = 0;  // tick count of the last toggle
  std::array<uint8_t, kMaxLightPoints> ledLevel{};
  std::array<uint8_t, kMaxLightPoints> ledHue{};
  std::array<uint8_t, kOrderLength> ledOrder{};
  std::array<uint8_t, kMaxLightPoints> reactState{};  // mouse: 0 idle, 1 rising, 2 falling
  uint8_t chaseCount = 0;

  // A new mode: levels and the light order cleared.
  void ClearChase() {
    ledLevel.fill(0);
    ledOrder.fill(0);
  }
  // A new page: cleared, and the chase starts at the first place.
  void StartChase() {
    ClearChase();
    ledOrder[0] = 1;
  }
};

}  // namespace lighting
