#include "lighting/KeyboardAudioStyles.h"

#include <algorithm>
#include <cstddef>

#include "lighting/KeyboardEffects.h"

namespace lighting {
namespace {

using std::size_t;

// A key at or above this level shows the foreground; below it the
// background.
constexpr int kLitLevel = 10;
// A drop's key holds the key below it from fading while at or above this.
constexpr int kDropHoldLevel = 5;
constexpr int kFadeMode = 29;
constexpr int kRingFadeMode = 0;

constexpr int kLastRing = static_cast<int>(KeyRings.size()) - 1;
constexpr int kLastColumn = kGridColumns - 1;
constexpr int kLastRow = kGridRows - 1;
// The centre-out bars: columns 0..8 form the left half, 9..22 the right.
constexpr int kRightHalf = 9;

// Bands summed for each row of the row bars (the groups widen towards the
// treble) and of the zigzag bars: first band and band count.
struct BandGroup {
  int first;
  int count;
};
constexpr std::array<BandGroup, kGridRows> kRowBarGroups = {{{0, 2}, {2, 3}, {5, 3}, {8, 4}, {12, 5}, {17, 7}}};
constexpr std::array<BandGroup, kGridRows> kZigzagGroups = {{{0, 2}, {2, 2}, {4, 3}, {7, 4}, {11, 5}, {16, 5}}};
constexpr int64_t kGroupDivisor = 3;

int Quietness(int64_t level) { return AudioLevels::Quietness(level); }

int GroupQuietness(const AudioLevels::Levels& bands, BandGroup group) {
  int64_t sum = 0;
  for (int b = group.first; b < group.first + group.count; ++b) sum += bands[static_cast<size_t>(b)];
  return Quietness(sum / kGroupDivisor);
}

// The key position at (column, row), or −1 for a cell outside the grid or one
// that carries no key.
int KeyAt(int column, int row) {
  if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return -1;
  const int p = KeyGrid[static_cast<size_t>(column)][static_cast<size_t>(row)];
  return p < kFirstNonKey ? p : -1;
}

// The level of the key at (column, row); a cell without a key is dark.
int CellLevel(const EffectState& state, int column, int row) {
  const int p = KeyAt(column, row);
  return p < 0 ? 0 : state.ledLevel[static_cast<size_t>(p)];
}

uint8_t& KeyLevel(EffectState& state, int p) { return state.ledLevel[static_cast<size_t>(p)]; }

void Draw(LedCanvas& canvas, int p, Rgb colour, uint8_t level) {
  if (p >= 0 && p < kFirstNonKey && p < canvas.Count()) canvas.Set(p, colour, level);
}

}  // namespace

// The colours of one step.
struct KeyboardAudioStyles::Palette {
  uint8_t brightness = 0;  // LevelTable[brightness]
  Rgb background;
  Rgb foreground;
  bool multiColour = false;

  // The foreground: the wheel at `hue` with the multicolour flag.
  Rgb Foreground(int hue) const {
    return multiColour ? ColourWheel[static_cast<size_t>(hue % kWheelSize)] : foreground;
  }
  // Key p in `colour` at its lit level while it is lit, else the background.
  // Returns whether the foreground was shown.
  bool Show(const EffectState& state, LedCanvas& canvas, int p, Rgb colour) const {
    const uint8_t level = state.ledLevel[static_cast<size_t>(p)];
    if (level >= kLitLevel) {
      Draw(canvas, p, colour, Scale(brightness, level));
      return true;
    }
    Draw(canvas, p, background, brightness);
    return false;
  }
};

// One row of a horizontal bar: the columns first..last are drawn; those from
// barFrom to barTo (none when barFrom > barTo) are lit, the others fade
// from the outer edge inwards: a cell fades when it lies in one of the two
// edge columns or its neighbour towards that edge is dark.
struct KeyboardAudioStyles::RowBar {
  int row = 0;
  int first = 0;
  int last = kLastColumn;
  int barFrom = 0;
  int barTo = -1;
  bool edgeOnLeft = false;
};

// How the running hue moves along a row: by `step` before every column, or
// (perColumn false) each time a cell takes the foreground.
struct KeyboardAudioStyles::HueWalk {
  int step = 0;
  bool perColumn = true;
};

void KeyboardAudioStyles::DrawRowBar(EffectState& state, LedCanvas& canvas, const Palette& palette,
                                     const RowBar& bar, int hue, HueWalk walk) {
  for (int c = bar.first; c <= bar.last; ++c) {
    if (walk.perColumn) hue = (hue + walk.step) % kWheelSize;
    const int p = KeyAt(c, bar.row);
    if (p < 0) continue;
    if (c >= bar.barFrom && c <= bar.barTo) {
      KeyLevel(state, p) = 255;
    } else {
      const bool edge = bar.edgeOnLeft ? c <= 1 : c >= kLastColumn - 1;
      const int neighbour = bar.edgeOnLeft ? c - 1 : c + 1;
      if (edge || CellLevel(state, neighbour, bar.row) < kLitLevel) DecayLedLevel(state, p, kFadeMode);
    }
    const int next = walk.perColumn ? hue : (hue + walk.step) % kWheelSize;
    if (palette.Show(state, canvas, p, palette.Foreground(next)) && !walk.perColumn) hue = next;
  }
}

void KeyboardAudioStyles::Reset() {
  hue_ = 0;
  phase_ = 0;
  columnOffset_ = 0;
  bandOffset_ = 0;
  calls_ = 0;
  dropFlags_.fill(false);
}

void KeyboardAudioStyles::Step(EffectState& state, KeyboardEffects& effects, const LightParams& light,
                               LedCanvas& canvas, const RandomSource& random) {
  Bands bands{};
  if (levels_ != nullptr) {
    (void)levels_->TakeLevels(bands);
    if (levels_->TakeWaveOrigin()) effects.MarkKey(AudioLevels::kWaveOriginKey);
  }
  const Palette palette{Level(std::clamp(light.brightness, 0, 4)), params_.background, params_.foreground,
                        params_.multiColour};
  const int direction = light.direction;
  switch (params_.style) {
    case kColumnBars: StepColumnBars(state, bands, direction, palette, canvas); break;
    case kCentreOutBars: StepCentreOutBars(state, bands, direction, palette, canvas); break;
    case kBeat: StepBeat(state, effects, palette, canvas, random); break;
    case kRings: StepRings(state, bands, direction, palette, canvas); break;
    case kDrops: StepDrops(state, bands, direction, palette, canvas); break;
    case kRowBars: StepRowBars(state, bands, direction, palette, canvas); break;
    case kZigzagBars: StepZigzagBars(state, bands, direction, palette, canvas); break;
    default: break;
  }
}

// Column c rises from the bottom row by band c's loudness: rows from the
// height (v + 100) × 6 / 600 down are lit, so silence (height 7) lights
// nothing and full scale (height 1) all but the top row. Keys above the bar
// fade from the top down: a key fades only once the key over it is dark.
void KeyboardAudioStyles::StepColumnBars(EffectState& state, const Bands& bands, int direction,
                                         const Palette& palette, LedCanvas& canvas) {
  hue_ = StepIndex(direction, kWheelSize, hue_, 1);
  if (++calls_ >= kColumnOffsetCalls) {
    calls_ = 0;
    columnOffset_ = StepIndex(direction, AudioLevels::kBandCount, columnOffset_, 1);
  }
  for (int c = 0; c < kGridColumns; ++c) {
    const int height = (Quietness(bands[static_cast<size_t>(c)]) + 100) * kGridRows / 600;
    const Rgb colour = palette.Foreground(hue_ + 10 * c);
    for (int r = 0; r < kGridRows; ++r) {
      const int p = KeyAt(c, r);
      if (p < 0) continue;
      if (r >= height) {
        KeyLevel(state, p) = 255;
      } else if (r == 0 || CellLevel(state, c, r - 1) < kLitLevel) {
        DecayLedLevel(state, p, kFadeMode);
      }
      palette.Show(state, canvas, p, colour);
    }
  }
}

// Each row has two bars growing outwards from the middle of the board: the
// left one from column 8 towards column 0 (a rotating choice of band), the
// right one from column 9 towards column 22 (a fixed band per row).
void KeyboardAudioStyles::StepCentreOutBars(EffectState& state, const Bands& bands, int direction,
                                            const Palette& palette, LedCanvas& canvas) {
  phase_ = StepIndex(direction, kWheelSize, phase_, 1);
  bandOffset_ = StepIndex(direction, AudioLevels::kBandCount, bandOffset_, 1);
  const auto reach = [&](int band) {
    return (Quietness(bands[static_cast<size_t>(band % AudioLevels::kBandCount)]) + 100) * 12 / 600;
  };
  for (int r = 0; r < kGridRows; ++r) {
    const int left = reach(bandOffset_ + 3 * (r + 1));
    const int right = reach(1 + 2 * r);
    const RowBar leftHalf{.row = r, .first = 0, .last = kRightHalf - 1, .barFrom = left,
                          .barTo = kRightHalf - 1, .edgeOnLeft = true};
    const RowBar rightHalf{.row = r, .first = kRightHalf, .last = kLastColumn, .barFrom = kRightHalf,
                           .barTo = kRightHalf + 12 - right, .edgeOnLeft = false};
    DrawRowBar(state, canvas, palette, leftHalf, phase_, {7, true});
    // The hue runs on across the row from where the left half left it.
    DrawRowBar(state, canvas, palette, rightHalf, (phase_ + 7 * kRightHalf) % kWheelSize, {7, true});
  }
}

// Beats start waves at the centre key; the fronts widen diagonally across
// the board, leaving keys that fade and run through the wheel.
void KeyboardAudioStyles::StepBeat(EffectState& state, KeyboardEffects& effects, const Palette& palette,
                                   LedCanvas& canvas, const RandomSource& random) {
  // Fade first, so that a wave front (and a new origin) shows at full level
  // on the step it is lit.
  for (int p = 0; p < kFirstNonKey; ++p) {
    DecayLedLevel(state, p, kFadeMode);
    uint8_t& hue = state.ledHue[static_cast<size_t>(p)];
    hue = StepIndex(1, kWheelSize, hue, 9);
  }
  effects.SpreadWaves(state, palette.multiColour, random);
  effects.ShiftWaves();
  for (int p = 0; p < kFirstNonKey; ++p) {
    palette.Show(state, canvas, p, palette.Foreground(state.ledHue[static_cast<size_t>(p)]));
  }
}

// Rings round the centre key light from the inside out, the more the
// louder: rings 0 .. 19 − s with s = mean v × 20 / 600 (so every ring from
// s = 8 down, none in silence); the colours turn round the wheel by s per
// step. Rings left unlit fade in the colour they were lit in.
void KeyboardAudioStyles::StepRings(EffectState& state, const Bands& bands, int direction,
                                    const Palette& palette, LedCanvas& canvas) {
  int64_t quiet = 0;
  for (const int32_t level : bands) quiet += Quietness(level);
  const int speed = static_cast<int>(quiet / AudioLevels::kBandCount * 20 / AudioLevels::kSilence);
  phase_ = StepIndex(direction, kWheelSize, phase_, speed);
  const int lastLit = std::min(19 - speed, kLastRing);
  int hue = phase_;
  for (int i = 0; i <= kLastRing; ++i) {
    hue = (hue + 9) % kWheelSize;
    for (const uint8_t p : KeyRings[static_cast<size_t>(i)]) {
      if (p >= kFirstNonKey || !IsPathKey(p)) continue;
      if (i <= lastLit) {
        state.ledLevel[p] = 255;
        state.ledHue[p] = static_cast<uint8_t>(hue);
      } else {
        DecayLedLevel(state, p, kRingFadeMode);
      }
      Draw(canvas, p, ColourWheel[state.ledHue[p]], Scale(palette.brightness, state.ledLevel[p]));
    }
  }
}

// Each column lights one key at the height its band reaches, then waits
// until its bottom key is dark before it lights another. A key fades unless
// the key over it is still lit; lit keys keep the hue they were lit with.
void KeyboardAudioStyles::StepDrops(EffectState& state, const Bands& bands, int direction,
                                    const Palette& palette, LedCanvas& canvas) {
  phase_ = StepIndex(direction, kWheelSize, phase_, 1);
  const int offset = state.effectHue;
  for (int c = 0; c < kGridColumns; ++c) {
    const int band = (offset + c + 1) % AudioLevels::kBandCount;
    const int height = (Quietness(bands[static_cast<size_t>(band)]) + 100) * kGridRows / 600;
    bool& fallen = dropFlags_[static_cast<size_t>(c)];
    if (fallen && CellLevel(state, c, kLastRow) < kLitLevel) fallen = false;
    for (int r = 0; r < kGridRows; ++r) {
      const int p = KeyAt(c, r);
      if (p < 0) continue;
      if (r == 0 || CellLevel(state, c, r - 1) < kDropHoldLevel) DecayLedLevel(state, p, kFadeMode);
      if (r >= height && !fallen) {
        KeyLevel(state, p) = 255;
        state.ledHue[static_cast<size_t>(p)] = phase_;
        fallen = true;
      }
      palette.Show(state, canvas, p, palette.Foreground(state.ledHue[static_cast<size_t>(p)]));
    }
  }
}

// Row r shows band group 5 − r (treble at the top) as a bar from the left
// edge to column 23 − (v + 100) × 23 / 600.
void KeyboardAudioStyles::StepRowBars(EffectState& state, const Bands& bands, int direction,
                                      const Palette& palette, LedCanvas& canvas) {
  phase_ = StepIndex(direction, kWheelSize, phase_, 1);
  for (int r = 0; r < kGridRows; ++r) {
    const int quiet = GroupQuietness(bands, kRowBarGroups[static_cast<size_t>(kLastRow - r)]);
    const int end = kGridColumns - (quiet + 100) * kGridColumns / 600;
    const RowBar bar{.row = r, .barFrom = 0, .barTo = end, .edgeOnLeft = false};
    DrawRowBar(state, canvas, palette, bar, phase_, {3, true});
  }
}

// Row r shows band group r; odd rows grow from the left edge, even rows
// from the right, so loud music fills the board from alternate sides.
void KeyboardAudioStyles::StepZigzagBars(EffectState& state, const Bands& bands, int direction,
                                         const Palette& palette, LedCanvas& canvas) {
  phase_ = StepIndex(direction, kWheelSize, phase_, 1);
  for (int r = 0; r < kGridRows; ++r) {
    const int n = GroupQuietness(bands, kZigzagGroups[static_cast<size_t>(r)]) * kGridColumns / 600;
    RowBar bar{.row = r};
    if (r % 2 == 1) {
      bar.barFrom = 0;
      bar.barTo = std::min(kGridColumns - n, kLastColumn);
      bar.edgeOnLeft = false;
    } else {
      bar.barFrom = n;
      bar.barTo = kLastColumn;
      bar.edgeOnLeft = true;
    }
    DrawRowBar(state, canvas, palette, bar, phase_, {2, false});
  }
}

}  // namespace lighting
