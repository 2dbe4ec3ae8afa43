#include "lighting/LightListPlayer.h"

#include <algorithm>
#include <utility>

namespace lighting {

namespace {

enum Kind : uint8_t { kBreathing = 0, kStatic = 1, kBlink = 2, kColourCycle = 3, kOff = 4 };

// Stored levels beyond 0..4 read as 4, so no element indexes past a table.
int Brightness(const LightInfo& e) { return std::min<int>(e.Light, 4); }
int Speed(const LightInfo& e) { return std::min<int>(e.Speed, 4); }
Rgb Colour(const LightInfo& e) { return {e.Red, e.Green, e.Blue}; }

// Next colour position, 0 after the last of the wheel.
uint8_t AdvanceColour(int pos, int step) {
  const int next = pos + step;
  return static_cast<uint8_t>(next >= kWheelSize ? 0 : next);
}

}  // namespace

void LightListPlayer::SetList(std::vector<LightInfo> list) {
  list_ = std::move(list);
  state_.assign(list_.size(), ElementState{});
  fresh_ = true;
}

void LightListPlayer::Run(LedCanvas& canvas, uint32_t nowMs, bool reset) {
  reset = reset || fresh_;
  fresh_ = false;
  const int count = static_cast<int>(std::min<size_t>(
      list_.size(), static_cast<size_t>(std::clamp(canvas.Count(), 0, kMaxLightPoints))));
  Breathing(canvas, count, reset);
  Static(canvas, count);
  ColourCycle(canvas, count, reset);
  Blink(canvas, count, nowMs, reset);
  Off(canvas, count);
}

void LightListPlayer::Breathing(LedCanvas& canvas, int count, bool reset) {
  for (int i = 0; i < count; ++i) {
    ElementState& s = state_[i];
    if (reset) {
      s.phase = 0;
      s.colourPos = 0;
    }
    const LightInfo& e = list_[i];
    if (e.SelectItem != kBreathing || !e.Present) continue;
    // The breath used to restart only when the phase hit 128 exactly, so
    // steps of 5..7 (speed levels 1..3) ran past 128 and read beyond the
    // curve; it now restarts when the phase reaches or passes 128.
    const int phase = s.phase + Speed(e) + 4;
    if (phase >= 128) {
      s.phase = 0;
      s.colourPos = AdvanceColour(s.colourPos, 1);
    } else {
      s.phase = static_cast<uint8_t>(phase);
    }
    const Rgb colour = e.MultiColor ? ColourWheel[s.colourPos] : Colour(e);
    canvas.Set(i, colour, Scale(BreathCurve[s.phase], Level(Brightness(e))));
  }
}

void LightListPlayer::Static(LedCanvas& canvas, int count) {
  for (int i = 0; i < count; ++i) {
    const LightInfo& e = list_[i];
    if (e.SelectItem == kStatic) canvas.Set(i, Colour(e), Level(Brightness(e)));
  }
}

void LightListPlayer::ColourCycle(LedCanvas& canvas, int count, bool reset) {
  for (size_t i = 0; reset && i < list_.size(); ++i) {
    const LightInfo& e = list_[i];
    if (e.SelectItem != kColourCycle || !e.Present) continue;
    state_[i].counter = 0;
    state_[i].colourPos = 0;
    state_[i].divider = SpeedSteps[Speed(e)];
  }
  for (int i = 0; i < count; ++i) {
    const LightInfo& e = list_[i];
    if (e.SelectItem != kColourCycle || !e.Present) continue;
    ElementState& s = state_[i];
    if (++s.counter >= s.divider) {
      s.counter = 0;
      s.colourPos = AdvanceColour(s.colourPos, 1);
    }
    canvas.Set(i, ColourWheel[s.colourPos], Level(Brightness(e)));
  }
}

void LightListPlayer::Blink(LedCanvas& canvas, int count, uint32_t nowMs, bool reset) {
  for (size_t i = 0; reset && i < list_.size(); ++i) {
    ElementState& s = state_[i];
    s.blinkTime = 0;
    s.blinkOn = false;
    s.colourPos = 0;
    s.blinkPeriodMs = static_cast<uint32_t>(BlinkPeriodMs(Speed(list_[i])));
  }
  // The timing runs for every element, whatever its kind.
  for (int i = 0; i < count; ++i) {
    const LightInfo& e = list_[i];
    ElementState& s = state_[i];
    if (nowMs - s.blinkTime >= s.blinkPeriodMs) {
      s.blinkOn = !s.blinkOn;
      s.blinkTime = nowMs;
      s.colourPos = AdvanceColour(s.colourPos, 14);
    }
    if (e.SelectItem != kBlink) continue;
    if (!s.blinkOn) {
      canvas.Set(i, Rgb{}, 0);
    } else {
      const Rgb colour = e.MultiColor ? ColourWheel[s.colourPos] : Colour(e);
      canvas.Set(i, colour, Level(Brightness(e)));
    }
  }
}

void LightListPlayer::Off(LedCanvas& canvas, int count) {
  for (int i = 0; i < count; ++i) {
    if (list_[i].SelectItem == kOff) canvas.Set(i, Rgb{}, 0);
  }
}

}  // namespace lighting
