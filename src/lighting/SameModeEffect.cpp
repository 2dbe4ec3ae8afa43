#include "lighting/SameModeEffect.h"

namespace lighting {

void SameModeEffect::Set(int effect, const LightParams& common) {
  effect_ = effect;
  common_ = common;
}

bool SameModeEffect::Tick(uint32_t nowMs, Rgb& colour, uint8_t& level) {
  if (!started_) {
    started_ = true;
    lastTick_ = nowMs;
  }
  if (nowMs - lastTick_ >= 2) {
    lastTick_ = nowMs;
    ++ticks_;
  }
  if (ticks_ < BySpeed(SpeedSteps, common_.speed)) return false;
  ticks_ = 0;
  Step(nowMs, colour, level);
  return true;
}

void SameModeEffect::Step(uint32_t nowMs, Rgb& colour, uint8_t& level) {
  const uint8_t full = Level(common_.brightness);
  switch (effect_) {
    case kBreathing:
      phase_ = StepIndex(common_.direction, 128, phase_, 1);
      colour = common_.colour;
      if (common_.multiColour) {
        if (phase_ < 2) hue_ = StepIndex(1, kWheelSize, hue_, 16);
        colour = ColourWheel[hue_];
      }
      level = Scale(BreathCurve[phase_], full);
      return;
    case kStatic:
      colour = common_.colour;
      level = full;
      return;
    case kBlink:
      if (nowMs - blinkTime_ >= static_cast<uint32_t>(BlinkPeriodMs(common_.speed))) {
        blinkOn_ = !blinkOn_;
        blinkTime_ = nowMs;
        const int pos = blinkPos_ + 14;
        blinkPos_ = static_cast<uint8_t>(pos >= kWheelSize ? 0 : pos);
      }
      if (blinkOn_) {
        colour = common_.multiColour ? ColourWheel[blinkPos_] : common_.colour;
        level = full;
      } else {
        colour = Rgb{};
        level = 0;
      }
      return;
    case kColourCycle:
      hue_ = StepIndex(1, kWheelSize, hue_, 1);
      colour = ColourWheel[hue_];
      level = full;
      return;
    default:  // off, and any effect not known
      colour = Rgb{};
      level = 0;
      return;
  }
}

}  // namespace lighting
