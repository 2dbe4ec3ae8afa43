#pragma once

#include <cstdint>

#include "lighting/EffectState.h"

// The common effect that every following device shows while same mode is
// on: one colour and level for all their light points. The main window's
// animation thread ticks it and paints the followers with the result.
namespace lighting {

class SameModeEffect {
 public:
  enum Effect { kBreathing = 0, kStatic = 1, kBlink = 2, kColourCycle = 3, kOff = 4 };

  // The common effect and its brightness, speed, direction, multicolour
  // flag and colour. The animation's position carries on.
  void Set(int effect, const LightParams& common);

  // One pass of the animation thread. Counts a tick when 2 ms or more have
  // passed since the last one; when the ticks reach the step count of the
  // common speed, runs one step and returns true with the colour and level
  // for every follower.
  bool Tick(uint32_t nowMs, Rgb& colour, uint8_t& level);

 private:
  void Step(uint32_t nowMs, Rgb& colour, uint8_t& level);

  int effect_ = kOff;
  LightParams common_;
  bool started_ = false;
  uint32_t lastTick_ = 0;
  uint32_t ticks_ = 0;
  uint8_t phase_ = 0;
  uint8_t hue_ = 0;
  bool blinkOn_ = false;
  uint32_t blinkTime_ = 0;
  uint8_t blinkPos_ = 0;
};

}  // namespace lighting
