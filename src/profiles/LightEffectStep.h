#pragma once

#include <cstdint>

// One step of a user light effect from a ".light" file, 28 bytes: the
// effect of the step, then how long it runs and how often it repeats.
struct LightEffectStep {
  uint8_t LEDREGMode = 0;  // effect kind
  uint8_t LEDBrightness = 0;
  uint8_t LEDSpeed = 0;
  uint8_t LEDDirection = 0;
  uint8_t LEDMultiColor = 0;
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  uint8_t Spare[12] = {};
  int32_t Time = 0;    // duration in milliseconds
  int32_t Cycles = 0;  // "Cyle" in the file: repetition count

  bool operator==(const LightEffectStep&) const = default;
};
static_assert(sizeof(LightEffectStep) == 28);
