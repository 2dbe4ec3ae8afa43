#include "lighting/KeyboardEffects.h"

#include <algorithm>
#include <cstddef>

namespace lighting {
namespace {

using std::size_t;

// Lengths of the wave, breath and twinkle curves and of the row tables.
constexpr int kWavePeriod = 96;
constexpr int kBreathPeriod = 128;
constexpr int kTwinklePeriod = 192;
constexpr int kSweepRowCount = 52;
constexpr int kDemoRowCount = 20;

// The neighbours of a halo: offset, raise on press, drop on release.
struct HaloNeighbour {
  int dc;
  int dr;
  int raise;
  int drop;
};
constexpr std::array<HaloNeighbour, 12> kHalo = {{
    {0, -1, 150, 15}, {0, 1, 150, 15}, {-1, 0, 150, 15}, {1, 0, 150, 15},
    {0, -2, 90, 90},  {0, 2, 90, 90},  {-1, -1, 90, 90}, {1, -1, 90, 90},
    {-1, 1, 90, 90},  {1, 1, 90, 90},  {-2, 0, 60, 90},  {2, 0, 60, 90},
}};

uint8_t RandomHue(const RandomSource& random) {
  return random ? static_cast<uint8_t>(random() % kWheelSize) : 0;
}

uint8_t Brightness(const LightParams& light) { return Level(std::clamp(light.brightness, 0, 4)); }

// The grid position at (column, row), or kNoPosition outside the grid.
int GridAt(int column, int row) {
  if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return kNoPosition;
  return KeyGrid[static_cast<size_t>(column)][static_cast<size_t>(row)];
}

bool IsKey(int position) { return position >= 0 && position < kFirstNonKey; }

void Draw(LedCanvas& canvas, int point, Rgb colour, uint8_t level) {
  if (point >= 0 && point < canvas.Count() && point < kKeyPositions) canvas.Set(point, colour, level);
}

// Every light point of the canvas (at most the 170 positions).
int PointCount(const LedCanvas& canvas) { return std::clamp(canvas.Count(), 0, kKeyPositions); }

// The colour of position p: its hue on the wheel with the multicolour flag,
// else the lighting colour.
Rgb KeyColour(const EffectState& state, const LightParams& light, int p) {
  return light.multiColour ? ColourWheel[state.ledHue[static_cast<size_t>(p)]] : light.colour;
}

// Position p in its colour at its lit level.
void DrawLit(const EffectState& state, const LightParams& light, LedCanvas& canvas, int p) {
  Draw(canvas, p, KeyColour(state, light, p), Scale(Brightness(light), state.ledLevel[static_cast<size_t>(p)]));
}

// Column c's keys in one colour at one level.
void DrawColumn(LedCanvas& canvas, int column, Rgb colour, uint8_t level) {
  for (int r = 0; r < kGridRows; ++r) {
    const int p = GridAt(column, r);
    if (IsKey(p)) Draw(canvas, p, colour, level);
  }
}

// Ring i's keys (those on the key path) in one colour at one level.
void DrawRing(LedCanvas& canvas, int ring, Rgb colour, uint8_t level) {
  for (uint8_t p : KeyRings[static_cast<size_t>(ring)]) {
    if (IsPathKey(p)) Draw(canvas, p, colour, level);
  }
}

void Decay(EffectState& state, int p, int mode) { DecayLedLevel(state, p, mode); }

}  // namespace

// ---- Reset -----------------------------------------------------------------

bool KeyboardEffects::ResetKeyEffects(EffectState& state, int mode) {
  state.effectPhase = 0;
  waveCounter_ = 0;
  state.ledHue.fill(0);
  state.ledLevel.fill(0);
  keyState_.fill(0);
  // A key still held when the mode changed sends its release elsewhere.
  keyHeld_.fill(0);
  ClearMasks();
  audio_.Reset();

  switch (mode) {
    case 13:
      SeedMasks(9, 6);
      break;
    case 15:
      for (int c = 0; c < kGridColumns; ++c) {
        for (int r = 0; r < kGridRows; ++r) {
          const int p = GridAt(c, r);
          if (!IsKey(p)) continue;
          state.ledLevel[static_cast<size_t>(p)] = TwinkleStart[static_cast<size_t>(c)][static_cast<size_t>(r)];
          state.ledHue[static_cast<size_t>(p)] = static_cast<uint8_t>(6 * c);
        }
      }
      break;
    case 16:
      SeedMasks(1, 0);
      break;
    case 20:
      break;
    case 33:
      for (int c = 0; c < kGridColumns; ++c) {
        int a = kWheelSize - 8 * c;
        for (uint8_t p : KeyColumns7[static_cast<size_t>(c)]) {
          a = a < 35 ? a + 158 : a - 35;
          if (p >= kKeyPositions) continue;
          twinklePhase_[p] = static_cast<uint8_t>(a);
          state.ledHue[p] = static_cast<uint8_t>(7 * c);
        }
      }
      break;
    default:
      for (int i = 0; i < kKeyPositions; ++i) {
        state.ledHue[static_cast<size_t>(i)] = static_cast<uint8_t>(33 * (i + 1) % kWheelSize);
      }
      break;
  }
  if (mode == 19) {
    state.ledHue.fill(0);
    state.effectPhase = 0;
  }
  return mode == 20;
}

// ---- Wave masks ------------------------------------------------------------

void KeyboardEffects::ClearMasks() {
  for (auto& mask : masks_) mask.fill(0);
}

void KeyboardEffects::SeedMasks(int column, int bit) {
  for (auto& mask : masks_) mask[static_cast<size_t>(column)] |= static_cast<uint8_t>(1u << bit);
}

uint8_t KeyboardEffects::MaskColumn(int column) const {
  uint8_t bits = 0;
  for (const auto& mask : masks_) bits |= mask[static_cast<size_t>(column)];
  return bits;
}

void KeyboardEffects::SpreadWaves(EffectState& state, bool multiColour, const RandomSource& random) {
  for (int c = 0; c < kGridColumns; ++c) {
    const uint8_t bits = MaskColumn(c);
    for (int r = 0; r < kGridRows; ++r) {
      if (!(bits & (1u << r))) continue;
      const int p = GridAt(c, r);
      if (p >= kKeyPositions) continue;
      state.ledLevel[static_cast<size_t>(p)] = 255;
      if (multiColour) state.ledHue[static_cast<size_t>(p)] = RandomHue(random);
    }
  }
}

void KeyboardEffects::ShiftWaves() {
  constexpr size_t last = kGridColumns - 1;
  const auto old = masks_;
  auto& m0 = masks_[0];
  auto& m1 = masks_[1];
  auto& m2 = masks_[2];
  auto& m3 = masks_[3];
  for (size_t k = 0; k < last; ++k) {
    m0[k] = static_cast<uint8_t>((old[0][k] >> 1) | old[0][k + 1]);
    m3[k] = static_cast<uint8_t>((old[3][k] << 1) | old[3][k + 1]);
    m1[k + 1] = static_cast<uint8_t>((old[1][k + 1] >> 1) | old[1][k]);
    m2[k + 1] = static_cast<uint8_t>((old[2][k + 1] << 1) | old[2][k]);
  }
  m0[last] = static_cast<uint8_t>(old[0][last] >> 1);
  m3[last] = static_cast<uint8_t>(old[3][last] << 1);
  m1[0] = static_cast<uint8_t>(old[1][0] >> 1);
  m2[0] = static_cast<uint8_t>(old[2][0] << 1);
}

void KeyboardEffects::SlideWaves() {
  constexpr size_t last = kGridColumns - 1;
  masks_[0].fill(0);
  masks_[2].fill(0);
  auto& m1 = masks_[1];
  auto& m3 = masks_[3];
  for (size_t k = 0; k < last; ++k) m3[k] = m3[k + 1];
  m3[last] = 0;
  for (size_t k = last; k > 0; --k) m1[k] = m1[k - 1];
  m1[0] = 0;
}

void KeyboardEffects::MarkKey(int position) {
  const auto cell = GridCellOf(position);
  if (!cell) return;
  SeedMasks(cell->column, cell->row);
}

// ---- Key events ------------------------------------------------------------

void KeyboardEffects::DispatchKeyEvent(EffectState& state, int position, int type, int mode,
                                       const RandomSource& random) {
  if (position < 0 || position >= kKeyPositions) return;
  if (type != kKeyPressed && type != kKeyReleased) return;
  const auto p = static_cast<size_t>(position);
  switch (mode) {
    case 25:
      if (type == kKeyPressed) {
        PressHalo(state, position);
      } else {
        ReleaseHalo(state, position);
      }
      break;
    case 8:
    case 9:
      if (type == kKeyPressed) MarkKey(position);
      break;
    case 7:
      keyState_[p] = static_cast<uint8_t>(type);
      state.ledLevel[p] = 255;
      state.ledHue[p] = RandomHue(random);
      break;
    default:
      break;
  }
}

void KeyboardEffects::PressHalo(EffectState& state, int position) {
  const auto cell = GridCellOf(position);
  if (!cell) return;
  const auto p = static_cast<size_t>(position);
  keyState_[p] = 1;
  keyHeld_[p] = 1;
  state.ledLevel[p] = 255;
  for (const HaloNeighbour& n : kHalo) {
    const int q = GridAt(cell->column + n.dc, cell->row + n.dr);
    if (q >= kKeyPositions) continue;
    const auto i = static_cast<size_t>(q);
    keyState_[i] = 1;
    state.ledLevel[i] = static_cast<uint8_t>(std::min(255, state.ledLevel[i] + n.raise));
  }
}

void KeyboardEffects::ReleaseHalo(EffectState& state, int position) {
  const auto cell = GridCellOf(position);
  if (!cell) return;
  keyHeld_[static_cast<size_t>(position)] = 0;
  for (const HaloNeighbour& n : kHalo) {
    const int c = cell->column + n.dc;
    const int r = cell->row + n.dr;
    const int q = GridAt(c, r);
    if (q >= kKeyPositions || HeldNear(c, r)) continue;
    const auto i = static_cast<size_t>(q);
    keyState_[i] = 2;
    state.ledLevel[i] = static_cast<uint8_t>(std::max(0, state.ledLevel[i] - n.drop));
  }
  if (!HeldNear(cell->column, cell->row)) keyState_[static_cast<size_t>(position)] = 2;
}

// A held key at (column, row) or within the halo pattern around it.
bool KeyboardEffects::HeldNear(int column, int row) const {
  const int self = GridAt(column, row);
  if (self < kKeyPositions && keyHeld_[static_cast<size_t>(self)]) return true;
  for (const HaloNeighbour& n : kHalo) {
    const int q = GridAt(column + n.dc, row + n.dr);
    if (q < kKeyPositions && keyHeld_[static_cast<size_t>(q)]) return true;
  }
  return false;
}

// ---- Screen colour -----------------------------------------------------------

void KeyboardEffects::SetScreenColour(const int* values, int count) {
  if (values == nullptr) return;
  const int n = std::min(count, static_cast<int>(screen_.size()));
  for (int i = 0; i < n; ++i) screen_[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(values[i], 0, 255));
}

// ---- Mode table --------------------------------------------------------------

int KeyboardEffects::Threshold(int mode, int speedLevel) {
  const bool hasStep = (mode >= 1 && mode <= 21) || mode == 25 || mode == 26 || mode == 27 ||
                       mode == 29 || mode == 30 || (mode >= 32 && mode <= 34);
  if (!hasStep) return -1;
  if (mode == 29) return 2;
  const int row = mode == 26 ? 5 : mode == 27 ? 34 : mode;
  const int speed = std::clamp(speedLevel, 0, 4);
  if (row == 16 || row == 18) return 3;
  if (row >= 30 && row <= 34) return speed == 0 ? 1 : 0;
  return BySpeed(CycleSpeedSteps, speed);
}

void KeyboardEffects::RunStep(EffectState& state, const LightParams& light, LedCanvas& canvas,
                              uint32_t nowMs, const RandomSource& random) {
  switch (light.mode) {
    case 1: StepColumnWave(state, light, canvas); break;
    case 2: StepColumnSweep(state, light, canvas); break;
    case 3: StepPathWave(state, light, canvas); break;
    case 4: StepColourCycle(state, light, canvas); break;
    case 5: StepBreathingGrid(state, light, canvas); break;
    case 6: StepStaticRings(light, canvas); break;
    case 7: StepKeyFade(state, light, canvas); break;
    case 8: StepRipple(state, light, canvas, random); break;
    case 9: StepRowRipple(state, light, canvas, random); break;
    case 10: StepSparks(state, light, canvas, random); break;
    case 11: StepColourFlow(state, light, canvas); break;
    case 12: StepRowRainbow(state, light, canvas); break;
    case 13: StepSelfRipple(state, light, canvas, random); break;
    case 14: StepDemonstration(state, light, canvas, random); break;
    case 15: StepBreathingKeys(state, light, canvas, random); break;
    case 16: StepRunningRipple(state, light, canvas, random); break;
    case 17: StepFixedColour(light, canvas); break;
    case 18: StepRings(state, light, canvas); break;
    case 19: StepSweep(state, light, canvas); break;
    case 20: StepCustomColours(light, canvas); break;
    case 21: StepOff(canvas); break;
    case 25: StepKeyFade(state, light, canvas); break;
    case 26: StepBreathingFourColours(state, light, canvas); break;
    case 27: StepBlinkFourColours(state, light, canvas, nowMs); break;
    case 29: StepAudio(state, light, canvas, random); break;
    case 30: StepScreenColour(light, canvas); break;
    case 32: StepSnake(state, light, canvas); break;
    case 33: StepTwinkle(state, light, canvas, random); break;
    case 34: StepBlink(state, light, canvas, nowMs); break;
    default: break;
  }
}

// ---- Steps -------------------------------------------------------------------

void KeyboardEffects::StepColumnWave(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  if (light.multiColour) {
    state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
    for (int c = 0; c < kGridColumns; ++c) {
      DrawColumn(canvas, c, ColourWheel[static_cast<size_t>((state.effectPhase + 1 + 7 * c) % kWheelSize)], level);
    }
  } else {
    state.effectPhase = StepIndex(light.direction, kWavePeriod, state.effectPhase, 1);
    for (int c = 0; c < kGridColumns; ++c) {
      const uint8_t wave = WaveCurve[static_cast<size_t>((state.effectPhase + 1 + 7 * c) % kWavePeriod)];
      DrawColumn(canvas, c, light.colour, Scale(level, wave));
    }
  }
}

void KeyboardEffects::StepColumnSweep(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  if (light.multiColour) {
    state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
    for (int c = 0; c < kGridColumns; ++c) {
      DrawColumn(canvas, c, ColourWheel[static_cast<size_t>((state.effectPhase + 2 * c) % kWheelSize)], level);
    }
  } else {
    state.effectPhase = StepIndex(light.direction, kBreathPeriod, state.effectPhase, 1);
    for (int c = 0; c < kGridColumns; ++c) {
      const uint8_t twinkle = TwinkleCurve[static_cast<size_t>((state.effectPhase + 7 * c) % kBreathPeriod)];
      DrawColumn(canvas, c, light.colour, Scale(level, twinkle));
    }
  }
}

void KeyboardEffects::StepPathWave(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  const int period = light.multiColour ? kWheelSize : kWavePeriod;
  state.effectPhase = StepIndex(light.direction, period, state.effectPhase, 1);
  int a = state.effectPhase % period;
  for (int i = 0; i < kFirstNonKey; ++i) {
    const int p = KeyPath[static_cast<size_t>(i)];
    if (!IsKey(p)) continue;
    if (light.multiColour) {
      Draw(canvas, p, ColourWheel[static_cast<size_t>(a)], level);
    } else {
      Draw(canvas, p, light.colour, Scale(level, WaveCurve[static_cast<size_t>(a)]));
    }
    a = (a + 5) % period;
  }
}

void KeyboardEffects::StepBreathingGrid(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const int phase = state.effectPhase >= kBreathPeriod - 1 ? 0 : state.effectPhase + 1;
  state.effectPhase = static_cast<uint8_t>(phase);
  const uint8_t level = Scale(BreathCurve[static_cast<size_t>(phase)], Brightness(light));
  for (int c = 0; c < kGridColumns; ++c) {
    DrawColumn(canvas, c, light.multiColour ? ColourWheel[static_cast<size_t>(7 * c)] : light.colour, level);
  }
}

void KeyboardEffects::StepStaticRings(const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  if (light.multiColour) {
    for (int i = 0; i < static_cast<int>(KeyRings.size()); ++i) {
      DrawRing(canvas, i, ColourWheel[static_cast<size_t>(150 - 12 * (i + 1))], level);
    }
    return;
  }
  for (int p = 0; p < PointCount(canvas); ++p) Draw(canvas, p, light.colour, level);
}

void KeyboardEffects::StepKeyFade(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  for (int p = 0; p < kFirstNonKey; ++p) {
    uint8_t& level = state.ledLevel[static_cast<size_t>(p)];
    const uint8_t keyState = keyState_[static_cast<size_t>(p)];
    if (keyState == 1) {
      level = static_cast<uint8_t>(std::min(255, level + 15));
    } else if (keyState == 2) {
      level = static_cast<uint8_t>(std::max(0, level - 5));
    }
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                 const RandomSource& random) {
  SpreadWaves(state, light.multiColour, random);
  ShiftWaves();
  for (int p = 0; p < kFirstNonKey; ++p) {
    Decay(state, p, 8);
    uint8_t& hue = state.ledHue[static_cast<size_t>(p)];
    hue = StepIndex(1, kWheelSize, hue, 7);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepRowRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                    const RandomSource& random) {
  SpreadWaves(state, light.multiColour, random);
  SlideWaves();
  for (int p = 0; p < kFirstNonKey; ++p) {
    Decay(state, p, 9);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepSparks(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                 const RandomSource& random) {
  for (int n = 0; n < 6 && random; ++n) {
    const int a = KeyPath[RandomKeys[random() % RandomKeys.size()]];
    if (a >= kKeyPositions) continue;
    state.ledHue[static_cast<size_t>(a)] = RandomHue(random);
    state.ledLevel[static_cast<size_t>(a)] = 255;
  }
  for (int p = 0; p < kFirstNonKey; ++p) {
    Decay(state, p, 10);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepColourFlow(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  for (int p = 0; p < kKeyPositions; ++p) {
    uint8_t& hue = state.ledHue[static_cast<size_t>(p)];
    hue = hue + 1 >= kWheelSize ? 0 : static_cast<uint8_t>(hue + 1);
    if (IsKey(p)) Draw(canvas, p, ColourWheel[hue], level);
  }
}

void KeyboardEffects::StepRowRainbow(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
  for (int r = 0; r < kGridRows; ++r) {
    const Rgb colour = ColourWheel[static_cast<size_t>((state.effectPhase + 1 + 24 * r) % kWheelSize)];
    for (int c = 0; c < kGridColumns; ++c) {
      const int p = GridAt(c, r);
      if (IsKey(p)) Draw(canvas, p, colour, level);
    }
  }
}

void KeyboardEffects::StepSelfRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                     const RandomSource& random) {
  // The ripple starts again from the bottom or top edge of column 9 once
  // the last one has left it.
  const uint8_t centre = MaskColumn(9);
  if (centre == 0x01) {
    SeedMasks(9, 0);
  } else if (centre == 0x40) {
    SeedMasks(9, 6);
  }
  if (waveCounter_ > 1) {
    waveCounter_ = 0;
    SpreadWaves(state, light.multiColour, random);
    ShiftWaves();
  }
  ++waveCounter_;
  for (int p = 0; p < kFirstNonKey; ++p) {
    Decay(state, p, 13);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepDemonstration(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                        const RandomSource& random) {
  const auto light255 = [&](int p) {
    if (p >= kKeyPositions) return;
    state.ledLevel[static_cast<size_t>(p)] = 255;
    if (light.multiColour) state.ledHue[static_cast<size_t>(p)] = RandomHue(random);
  };
  switch (waveCounter_) {
    case 0: {
      const int row = state.effectPhase < kDemoRowCount ? state.effectPhase : 0;
      for (uint8_t p : DemoRows[static_cast<size_t>(row)]) light255(p);
      if (row + 1 >= kDemoRowCount) {
        state.effectPhase = 0;
        waveCounter_ = 1;
      } else {
        state.effectPhase = static_cast<uint8_t>(row + 1);
      }
      break;
    }
    case 1:
      if (const int pair = state.effectPhase; pair <= 30) {
        for (uint8_t p : DemoPairs[static_cast<size_t>(pair) % DemoPairs.size()]) light255(p);
        state.effectPhase = static_cast<uint8_t>(pair + 1);
      } else if (state.ledLevel[72] == 0) {
        waveCounter_ = 2;
        state.effectPhase = 0;
      }
      break;
    case 2:
      MarkKey(52);
      waveCounter_ = 3;
      break;
    case 3:
      SpreadWaves(state, light.multiColour, random);
      ShiftWaves();
      if (state.ledLevel[124] != 0) waveCounter_ = 4;
      break;
    case 4:
      if (state.ledLevel[124] == 0) {
        waveCounter_ = 0;
        state.effectPhase = 0;
      }
      break;
    default:
      waveCounter_ = 0;
      state.effectPhase = 0;
      break;
  }
  for (int p = 0; p < kFirstNonKey; ++p) {
    Decay(state, p, 14);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepBreathingKeys(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                        const RandomSource& random) {
  const uint8_t level = Brightness(light);
  for (uint8_t p : KeyPath) {
    if (!IsKey(p)) continue;
    int phase = state.ledLevel[p] + 2;
    if (phase >= kTwinklePeriod) {
      phase = 0;
      state.ledHue[p] = RandomHue(random);
    }
    state.ledLevel[p] = static_cast<uint8_t>(phase);
    Draw(canvas, p, KeyColour(state, light, p), Scale(level, TwinkleCurve[static_cast<size_t>(phase)]));
  }
}

void KeyboardEffects::StepRunningRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                        const RandomSource& random) {
  // The ripple runs from the top of column 1 to the bottom of column 22 and
  // back: each end starts it again once the last one has reached it.
  if (MaskColumn(1) == 0x01) SeedMasks(1, 0);
  if (MaskColumn(kGridColumns - 1) == 0x40) SeedMasks(kGridColumns - 1, 6);
  SpreadWaves(state, light.multiColour, random);
  ShiftWaves();
  for (uint8_t p : KeyPath) {
    if (!IsKey(p)) continue;
    Decay(state, p, 16);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepFixedColour(const LightParams& light, LedCanvas& canvas) {
  int entry = 174;
  switch (light.secondZone) {
    case 1: entry = 25; break;
    case 2: entry = 70; break;
    case 3: entry = 95; break;
    default: break;
  }
  const uint8_t level = Brightness(light);
  for (int p = 0; p < PointCount(canvas); ++p) Draw(canvas, p, ColourWheel[static_cast<size_t>(entry)], level);
}

void KeyboardEffects::StepRings(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  state.effectPhase = StepIndex(light.direction, kWheelSize, state.effectPhase, 1);
  for (int i = 0; i < static_cast<int>(KeyRings.size()); ++i) {
    DrawRing(canvas, i, ColourWheel[static_cast<size_t>((state.effectPhase + 7 * (i + 1)) % kWheelSize)], level);
  }
}

void KeyboardEffects::StepSweep(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  state.effectPhase = StepIndex(light.direction, kSweepRowCount, state.effectPhase, 1);
  for (uint8_t p : SweepRows[state.effectPhase % kSweepRowCount]) {
    if (p >= kKeyPositions) continue;
    state.ledLevel[p] = 255;
    state.ledHue[p] = 0;
  }
  for (int p = 0; p < kKeyPositions; ++p) {
    const auto i = static_cast<size_t>(p);
    state.ledLevel[i] = static_cast<uint8_t>(std::max(0, state.ledLevel[i] - 5));
    state.ledHue[i] = static_cast<uint8_t>(std::min(255, state.ledHue[i] + 3));
    if (light.multiColour) {
      Draw(canvas, p, ColourWheel[state.ledHue[i]], level);
    } else {
      Draw(canvas, p, light.colour, Scale(level, state.ledLevel[i]));
    }
  }
}

void KeyboardEffects::StepCustomColours(const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  const int count = std::min(PointCount(canvas), kFirstNonKey);
  for (int p = 0; p < count; ++p) canvas.Set(p, canvas.Get(p), level);
}

void KeyboardEffects::StepScreenColour(const LightParams& light, LedCanvas& canvas) {
  const uint8_t level = Brightness(light);
  const Rgb colour = ScreenColour();
  for (int p = 0; p < PointCount(canvas); ++p) Draw(canvas, p, colour, level);
}

void KeyboardEffects::StepSnake(EffectState& state, const LightParams& light, LedCanvas& canvas) {
  const auto mark = [&](int index) {
    if (index >= kKeyPositions) return;
    const uint8_t p = KeySnake[static_cast<size_t>(index)];
    if (p < kKeyPositions) state.ledLevel[p] = 254;
  };
  if (light.direction != 0) {
    if (state.effectPhase > kKeyPositions - 1) {
      state.effectPhase = 0;
    } else {
      mark(state.effectPhase);
      ++state.effectPhase;
    }
  } else if (state.effectPhase == 0) {
    state.effectPhase = kKeyPositions;
  } else {
    mark(state.effectPhase);
    --state.effectPhase;
  }
  for (uint8_t p : KeyPath) {
    if (!IsKey(p)) continue;
    Decay(state, p, 32);
    DrawLit(state, light, canvas, p);
  }
}

void KeyboardEffects::StepTwinkle(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                  const RandomSource& random) {
  const uint8_t level = Brightness(light);
  for (uint8_t p : KeyPath) {
    if (!IsKey(p)) continue;
    int phase = twinklePhase_[p] + 1;
    if (phase >= kTwinklePeriod) {
      phase = 0;
      state.ledHue[p] = RandomHue(random);
    }
    twinklePhase_[p] = static_cast<uint8_t>(phase);
    Draw(canvas, p, KeyColour(state, light, p), Scale(level, TwinkleCurve[static_cast<size_t>(phase)]));
  }
}

void KeyboardEffects::StepAudio(EffectState& state, const LightParams& light, LedCanvas& canvas,
                                const RandomSource& random) {
  audio_.Step(state, *this, light, canvas, random);
}

}  // namespace lighting
