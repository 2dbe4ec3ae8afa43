#include "lighting/CommonEffects.h"

#include <algorithm>
#include <span>

namespace lighting {

namespace {

constexpr int kMouse = 2;
constexpr int kPad = 3;
constexpr int kHeadset = 7;

// The mouse's light points in its seven wave and chase groups.
constexpr std::array<std::array<int, 3>, 7> kMouseGroups = {
    {{0, 13, -1}, {1, 12, -1}, {2, 11, -1}, {3, 10, -1}, {4, 9, -1}, {5, 8, -1}, {6, 14, 7}}};
// The mouse pad's and headset's chase pairs; point 0 takes no part.
constexpr std::array<std::array<int, 3>, 7> kPairGroups = {
    {{1, 14, -1}, {2, 13, -1}, {3, 12, -1}, {4, 11, -1}, {5, 10, -1}, {6, 9, -1}, {7, 8, -1}}};
// Retriggered mouse indices: 0..8.
constexpr int kMouseRetrigger = 9;
constexpr int kPairOrderLength = 8;

// Points an effect draws: those of the canvas, at most kMaxLightPoints.
int Points(const LedCanvas& canvas) { return std::clamp(canvas.Count(), 0, kMaxLightPoints); }

void Fill(LedCanvas& canvas, Rgb colour, uint8_t level) {
  const int count = Points(canvas);
  for (int i = 0; i < count; ++i) canvas.Set(i, colour, level);
}

void SetGroup(LedCanvas& canvas, std::span<const int> group, Rgb colour, uint8_t level) {
  const int count = Points(canvas);
  for (int point : group) {
    if (point >= 0 && point < count) canvas.Set(point, colour, level);
  }
}

// Steps that share the breathing phase: true when it came round to 0.
bool StepBreathPhase(EffectState& state, const LightParams& light) {
  state.effectPhase = StepIndex(light.direction, 128, state.effectPhase, 1);
  return state.effectPhase == 0;
}

uint8_t BreathLevel(const EffectState& state, const LightParams& light) {
  return Scale(BreathCurve[state.effectPhase], Level(light.brightness));
}

// The blink timing of StepBlink and StepBlinkFourColours: true on a toggle.
bool BlinkToggle(EffectState& state, const LightParams& light, uint32_t nowMs) {
  if (nowMs - state.blinkTime < static_cast<uint32_t>(BlinkPeriodMs(light.speed))) return false;
  state.blinkOn = state.blinkOn ? 0 : 1;
  state.blinkTime = nowMs;
  return true;
}

// Index into FourColours; a value left by another effect reads as 0.
int FourIndex(uint8_t value) { return value > 3 ? 0 : value; }

// One chase group: its colour (kept while the end of the chase is lit) at
// the group's level.
void DrawChaseGroup(EffectState& state, const LightParams& light, LedCanvas& canvas,
                    std::span<const int> group, int levelIndex, bool endLit) {
  Rgb colour = light.colour;
  if (light.multiColour) {
    if (endLit) {
      if (group[0] >= Points(canvas)) return;
      colour = canvas.Get(group[0]);
    } else {
      state.effectPhase = static_cast<uint8_t>(state.effectPhase + 12);
      colour = ColourWheel[state.effectPhase];
    }
  }
  SetGroup(canvas, group, colour, Scale(state.ledLevel[levelIndex], Level(light.brightness)));
}

std::span<const int> Group(const std::array<int, 3>& points) {
  return {points.data(), points[2] < 0 ? size_t{2} : size_t{3}};
}

// The pad's and headset's chase: the order moves every second step.
bool PairChaseRotates(EffectState& state) {
  state.chaseCount = static_cast<uint8_t>(state.chaseCount + 1);
  if (state.chaseCount <= 1) return false;
  state.chaseCount = 0;
  return true;
}

bool PairEndLit(const EffectState& state, const LightParams& light, int count) {
  if (light.direction != 0) return state.ledLevel[0] != 0;
  return count > 0 && state.ledLevel[count - 1] != 0;
}

void MouseWave(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Level(light.brightness);
  if (light.multiColour) {
    state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
    int p = (state.effectPhase + 1) % kWheelSize;
    for (const auto& group : kMouseGroups) {
      SetGroup(canvas, Group(group), ColourWheel[p], level);
      p = (p + 7) % kWheelSize;
    }
    return;
  }
  state.effectPhase = StepIndex(light.direction, 96, state.effectPhase, 1);
  int p = (state.effectPhase + 1) % 96;
  for (const auto& group : kMouseGroups) {
    SetGroup(canvas, Group(group), light.colour, Scale(WaveCurve[p], level));
    p = (p + 7) % 96;
  }
}

// One point per group; the headset's wave spreads wider and moves faster.
void PointWave(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Level(light.brightness);
  const int count = Points(canvas);
  if (light.multiColour) {
    const int spread = kind == kHeadset ? 16 : 7;
    state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
    int p = (state.effectPhase + 1) % kWheelSize;
    for (int i = 0; i < count; ++i) {
      canvas.Set(i, ColourWheel[p], level);
      p = (p + spread) % kWheelSize;
    }
    return;
  }
  int p = 0;
  int spread = 7;
  if (kind == kHeadset) {
    state.effectPhase = StepIndex(light.direction, 96, state.effectPhase, 3);
    p = state.effectPhase % 96;
    spread = 10;
  } else {
    state.effectPhase = StepIndex(light.direction, 96, state.effectPhase, 1);
    p = (state.effectPhase + 1) % 96;
  }
  for (int i = 0; i < count; ++i) {
    canvas.Set(i, light.colour, Scale(WaveCurve[p], level));
    p = (p + spread) % 96;
  }
}

// How far a chase level falls in one step: the first rule that matches.
int DecayDrop(int level, int mode) {
  if (mode == 29) {
    if (level & 0x90) return 45;
    if (level & 0x60) return 35;
    return level != 0 ? 1 : 0;
  }
  if (level & 0x80) return 40;
  if (level & 0x40) return 30;
  if (level & 0x20) return mode == 0 ? 15 : 10;
  if (level > 16) return 8;
  return level != 0 ? 1 : 0;
}

// The mouse's reactive fade.
void MouseReactiveFade(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const int count = Points(canvas);
  for (int i = 0; i < count; ++i) {
    uint8_t& level = state.ledLevel[i];
    if (state.reactState[i] == 1) {
      level = static_cast<uint8_t>(std::min(level + 15, 255));
      if (level == 255) state.reactState[i] = 2;
    } else if (state.reactState[i] == 2) {
      level = static_cast<uint8_t>(std::max(level - 15, 0));
    }
    const Rgb colour = light.multiColour ? ColourWheel[state.ledHue[i]] : light.colour;
    canvas.Set(i, colour, Scale(level, Level(light.brightness)));
  }
}

}  // namespace

void StepBreathing(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  if (StepBreathPhase(state, light)) {
    const int hue = state.effectHue + 16;
    state.effectHue = static_cast<uint8_t>(hue > kWheelSize ? 0 : hue);
  }
  // Position 192 reads entry 192, the colour of position 0.
  const Rgb colour = light.multiColour ? ColourWheel[state.effectHue] : light.colour;
  Fill(canvas, colour, BreathLevel(state, light));
}

void StepBreathingFourColours(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  if (StepBreathPhase(state, light)) state.effectHue = static_cast<uint8_t>(state.effectHue + 1);
  state.effectHue = static_cast<uint8_t>(FourIndex(state.effectHue));
  Fill(canvas, FourColours[state.effectHue], BreathLevel(state, light));
}

void StepStatic(EffectState&, const LightParams& light, LedCanvas& canvas) {
  Fill(canvas, light.colour, Level(light.brightness));
}

void StepColourCycle(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
  Fill(canvas, ColourWheel[state.effectPhase], Level(light.brightness));
}

void StepBlink(EffectState& state, const LightParams& light, LedCanvas& canvas, uint32_t nowMs) {
  if (BlinkToggle(state, light, nowMs)) {
    const int phase = state.effectPhase + 16;
    state.effectPhase = static_cast<uint8_t>(phase >= kWheelSize ? 0 : phase);
  }
  if (!state.blinkOn) {
    StepOff(canvas);
    return;
  }
  const Rgb colour = light.multiColour ? ColourWheel[state.effectPhase] : light.colour;
  Fill(canvas, colour, Level(light.brightness));
}

void StepBlinkFourColours(EffectState& state, const LightParams& light, LedCanvas& canvas,
                          uint32_t nowMs) {
  if (BlinkToggle(state, light, nowMs))
    state.effectPhase = static_cast<uint8_t>(state.effectPhase + 1);
  state.effectPhase = static_cast<uint8_t>(FourIndex(state.effectPhase));
  if (!state.blinkOn) {
    StepOff(canvas);
    return;
  }
  Fill(canvas, FourColours[state.effectPhase], Level(light.brightness));
}

void StepOff(LedCanvas& canvas) { Fill(canvas, Rgb{}, 0); }

void DecayLedLevel(EffectState& state, int point, int mode) {
  if (point < 0 || point >= kMaxLightPoints) return;
  uint8_t& level = state.ledLevel[point];
  level = static_cast<uint8_t>(level - DecayDrop(level, mode));
}

void RetriggerLeds(EffectState& state, int count) {
  const int last = std::min(count, kOrderLength);
  for (int i = 0; i < last; ++i) {
    if (state.ledOrder[i]) state.ledLevel[i] = 255;
  }
}

void RotateLedOrder(EffectState& state, int direction, int length) {
  length = std::clamp(length, 0, kOrderLength);
  if (length < 2) return;
  auto first = state.ledOrder.begin();
  if (direction != 0) {
    std::rotate(first, first + (length - 1), first + length);
  } else {
    std::rotate(first, first + 1, first + length);
  }
}

void StepWave(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas) {
  if (kind == kMouse) {
    MouseWave(state, light, canvas);
  } else {
    PointWave(kind, state, light, canvas);
  }
}

void StepGroupChase(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas) {
  state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
  if (kind == kMouse) {
    RetriggerLeds(state, kMouseRetrigger);
    RotateLedOrder(state, light.direction);
    for (int g = 0; g < static_cast<int>(kMouseGroups.size()); ++g) {
      DecayLedLevel(state, g, light.mode);
      const bool endLit = light.direction == 0 ? state.ledLevel[6] != 0 : state.ledLevel[0] != 0;
      DrawChaseGroup(state, light, canvas, Group(kMouseGroups[g]), g, endLit);
    }
    return;
  }
  const int count = Points(canvas);
  if (PairChaseRotates(state)) {
    RetriggerLeds(state, count);
    RotateLedOrder(state, light.direction == 0 ? 1 : 0, kPairOrderLength);
  }
  for (int g = 0; g < static_cast<int>(kPairGroups.size()); ++g) {
    DecayLedLevel(state, g, light.mode);
    DrawChaseGroup(state, light, canvas, Group(kPairGroups[g]), g, PairEndLit(state, light, count));
  }
}

void StepFullChase(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas) {
  if (kind == kMouse) {
    MouseReactiveFade(state, light, canvas);
    return;
  }
  state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
  const int count = Points(canvas);
  if (PairChaseRotates(state)) {
    RetriggerLeds(state, count);
    RotateLedOrder(state, light.direction, kOrderLength);
  }
  for (int i = 0; i < count; ++i) {
    DecayLedLevel(state, i, light.mode);
    const int point[1] = {i};
    DrawChaseGroup(state, light, canvas, point, i, PairEndLit(state, light, count));
  }
}

void TriggerAllLeds(EffectState& state, const LightParams& light, int count,
                    const RandomSource& random) {
  if (light.mode != 6) return;
  count = std::clamp(count, 0, kMaxLightPoints);
  for (int i = 0; i < count; ++i) {
    state.reactState[i] = 1;
    state.ledLevel[i] = 255;
    state.ledHue[i] = static_cast<uint8_t>(random ? random() % kWheelSize : 0);
  }
}

bool RunKindStep(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas,
                 uint32_t nowMs, uint32_t& counter) {
  enum class Step {
    None,
    Wave,
    Cycle,
    Breathing,
    Static,
    Blink,
    GroupChase,
    FullChase,
    BreathingFour,
    BlinkFour,
    Off
  };
  Step step = Step::None;
  const std::array<uint8_t, 5>* thresholds = &SpeedSteps;
  if (kind == kMouse) {
    constexpr std::array<Step, 11> kMouseModes = {
        Step::Wave,      Step::Cycle,      Step::Breathing, Step::Static,
        Step::Blink,     Step::GroupChase, Step::FullChase, Step::BreathingFour,
        Step::BlinkFour, Step::None,       Step::Off};
    if (light.mode >= 0 && light.mode < static_cast<int>(kMouseModes.size())) {
      step = kMouseModes[light.mode];
    }
    if (step == Step::GroupChase) thresholds = &SlowSpeedSteps;
  } else if (kind == kPad || kind == kHeadset) {
    constexpr std::array<Step, 9> kPadModes = {Step::Wave,      Step::Cycle,      Step::Breathing,
                                               Step::Static,    Step::Blink,      Step::None,
                                               Step::FullChase, Step::GroupChase, Step::Off};
    if (light.mode >= 0 && light.mode < static_cast<int>(kPadModes.size())) {
      step = kPadModes[light.mode];
    }
  }
  if (step == Step::None) return false;
  if (counter < BySpeed(*thresholds, light.speed)) return true;
  counter = 0;
  switch (step) {
    case Step::Wave: StepWave(kind, state, light, canvas); break;
    case Step::Cycle: StepColourCycle(state, light, canvas); break;
    case Step::Breathing: StepBreathing(state, light, canvas); break;
    case Step::Static: StepStatic(state, light, canvas); break;
    case Step::Blink: StepBlink(state, light, canvas, nowMs); break;
    case Step::GroupChase: StepGroupChase(kind, state, light, canvas); break;
    case Step::FullChase: StepFullChase(kind, state, light, canvas); break;
    case Step::BreathingFour: StepBreathingFourColours(state, light, canvas); break;
    case Step::BlinkFour: StepBlinkFourColours(state, light, canvas, nowMs); break;
    case Step::Off: StepOff(canvas); break;
    case Step::None: break;
  }
  return true;
}

}  // namespace lighting
