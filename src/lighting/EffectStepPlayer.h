#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lighting/LedCanvas.h"
#include "profiles/LightEffectStep.h"

// Plays a user light effect: its steps one after the other, each for its
// duration, then from the first again. Step kinds: 0 breathing, 1 static,
// 2 blink, 4 wave, 5 colour cycle; 3 and kinds above 5 draw nothing.
//
// Not thread-safe: the device page holds its step-list lock around
// SetSteps and Play.
namespace lighting {

class EffectStepPlayer {
 public:
  // Replaces the steps and starts again at the first; the next Play starts
  // its clock. The effect's phase and counters carry on.
  void SetSteps(std::vector<LightEffectStep> steps);
  const std::vector<LightEffectStep>& Steps() const { return steps_; }
  std::size_t StepIndex() const { return index_; }

  // One call of the light thread: draws the current step and moves to the
  // next once more milliseconds than its duration have passed since it
  // started. Blinking follows the page's own speed level. An empty list
  // draws every point off.
  void Play(LedCanvas& canvas, int pageSpeedLevel, uint32_t nowMs);

 private:
  void Breathing(const LightEffectStep& step, LedCanvas& canvas);
  void Static(const LightEffectStep& step, LedCanvas& canvas);
  void Blink(const LightEffectStep& step, LedCanvas& canvas, int pageSpeedLevel, uint32_t nowMs);
  void Wave(const LightEffectStep& step, LedCanvas& canvas);
  void ColourCycle(const LightEffectStep& step, LedCanvas& canvas);

  std::vector<LightEffectStep> steps_;
  std::size_t index_ = 0;
  bool started_ = false;
  uint32_t stepStart_ = 0;
  uint8_t counter_ = 0;
  uint8_t phase_ = 0;
  bool blinkOn_ = false;
  uint32_t blinkTime_ = 0;
  uint8_t blinkPos_ = 0;
};

}  // namespace lighting
