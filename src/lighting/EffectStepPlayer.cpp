#include "lighting/EffectStepPlayer.h"

#include <algorithm>
#include <utility>

#include "lighting/CommonEffects.h"

namespace lighting {

namespace {

int Brightness(const LightEffectStep& s) { return std::min<int>(s.LEDBrightness, 4); }
int Speed(const LightEffectStep& s) { return std::min<int>(s.LEDSpeed, 4); }
Rgb Colour(const LightEffectStep& s) { return {s.Red, s.Green, s.Blue}; }

int Points(const LedCanvas& canvas) { return std::clamp(canvas.Count(), 0, kMaxLightPoints); }

void Fill(LedCanvas& canvas, Rgb colour, uint8_t level) {
  const int count = Points(canvas);
  for (int i = 0; i < count; ++i) canvas.Set(i, colour, level);
}

// phase + 1, 0 once it reaches `period`.
uint8_t Advance(uint8_t phase, int period) {
  const int next = phase + 1;
  return static_cast<uint8_t>(next >= period ? 0 : next);
}

}  // namespace

void EffectStepPlayer::SetSteps(std::vector<LightEffectStep> steps) {
  steps_ = std::move(steps);
  index_ = 0;
  started_ = false;
}

void EffectStepPlayer::Play(LedCanvas& canvas, int pageSpeedLevel, uint32_t nowMs) {
  if (index_ >= steps_.size()) index_ = 0;
  if (steps_.empty()) {
    StepOff(canvas);
    return;
  }
  if (!started_) {
    started_ = true;
    stepStart_ = nowMs;
  }
  const LightEffectStep step = steps_[index_];

  counter_ = static_cast<uint8_t>(counter_ + 1 >= 255 ? 0 : counter_ + 1);
  switch (step.LEDREGMode) {
    case 0: Breathing(step, canvas); break;
    case 1: Static(step, canvas); break;
    case 2: Blink(step, canvas, pageSpeedLevel, nowMs); break;
    case 4: Wave(step, canvas); break;
    case 5: ColourCycle(step, canvas); break;
    default: break;
  }

  const int64_t duration = std::max<int32_t>(step.Time, 0);
  if (static_cast<int64_t>(nowMs - stepStart_) > duration) {
    index_ = index_ + 1 >= steps_.size() ? 0 : index_ + 1;
    stepStart_ = nowMs;
  }
}

void EffectStepPlayer::Breathing(const LightEffectStep& step, LedCanvas& canvas) {
  if (counter_ < SpeedSteps[Speed(step)]) return;
  counter_ = 0;
  phase_ = Advance(phase_, 128);
  // No moving colour here: a multicolour breath shows the wheel's first colour.
  const Rgb colour = step.LEDMultiColor ? ColourWheel[0] : Colour(step);
  Fill(canvas, colour, Scale(BreathCurve[phase_], Level(Brightness(step))));
}

void EffectStepPlayer::Static(const LightEffectStep& step, LedCanvas& canvas) {
  if (counter_ < SpeedSteps[Speed(step)]) return;
  counter_ = 0;
  phase_ = Advance(phase_, 9);
  Fill(canvas, Colour(step), Level(Brightness(step)));
}

void EffectStepPlayer::Blink(const LightEffectStep& step, LedCanvas& canvas, int pageSpeedLevel,
                             uint32_t nowMs) {
  phase_ = Advance(phase_, 128);
  if (counter_ >= SpeedSteps[Speed(step)]) counter_ = 0;
  if (nowMs - blinkTime_ >= static_cast<uint32_t>(BlinkPeriodMs(pageSpeedLevel))) {
    blinkOn_ = !blinkOn_;
    blinkTime_ = nowMs;
    const int pos = phase_ + 14;
    blinkPos_ = static_cast<uint8_t>(pos >= kWheelSize ? 0 : pos);
  }
  if (!blinkOn_) {
    StepOff(canvas);
    return;
  }
  const Rgb colour = step.LEDMultiColor ? ColourWheel[blinkPos_] : Colour(step);
  Fill(canvas, colour, Level(Brightness(step)));
}

void EffectStepPlayer::Wave(const LightEffectStep& step, LedCanvas& canvas) {
  if (counter_ < SpeedSteps[Speed(step)]) return;
  counter_ = 0;
  phase_ = Advance(phase_, kWheelSize);
  int p = step.LEDDirection != 0 ? std::min(kWheelSize - phase_, kWheelSize - 1)
                                 : Advance(phase_, kWheelSize);
  const uint8_t level = Level(Brightness(step));
  const int count = Points(canvas);
  for (int i = 0; i < count; ++i) {
    if (step.LEDMultiColor) {
      canvas.Set(i, ColourWheel[p], level);
      p = (p + 12) % kWheelSize;
    } else {
      p = (p + 12) % 96;
      canvas.Set(i, Colour(step), Scale(WaveCurve[p], level));
    }
  }
}

void EffectStepPlayer::ColourCycle(const LightEffectStep& step, LedCanvas& canvas) {
  if (counter_ < CycleSpeedSteps[Speed(step)]) return;
  counter_ = 0;
  phase_ = Advance(phase_, kWheelSize);
  Fill(canvas, ColourWheel[phase_], Level(Brightness(step)));
}

}  // namespace lighting
