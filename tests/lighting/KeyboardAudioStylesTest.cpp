// The keyboard's music lighting: the seven audio styles drawn from band
// levels, run through the keyboard effects' mode 29 as the light thread does.

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "lighting/AudioLevels.h"
#include "lighting/KeyboardAudioStyles.h"
#include "lighting/KeyboardEffects.h"

namespace {

using namespace lighting;
using Levels = AudioLevels::Levels;
using Styles = KeyboardAudioStyles;

// Records what the styles draw; a point at or beyond the count is a failure.
class TestCanvas : public LedCanvas {
 public:
  explicit TestCanvas(int count = kKeyPositions) : count_(count) {}
  int Count() const override { return count_; }
  void Set(int point, Rgb c, uint8_t l) override {
    if (point < 0 || point >= count_ || point >= kFirstNonKey) {
      ADD_FAILURE() << "drawn outside the keys or the canvas: " << point;
      return;
    }
    colour[point] = c;
    level[point] = l;
    ++writes[point];
  }
  Rgb Get(int point) const override { return colour[point]; }
  uint8_t GetLevel(int point) const override { return level[point]; }

  std::array<Rgb, kKeyPositions> colour{};
  std::array<uint8_t, kKeyPositions> level{};
  std::array<int, kKeyPositions> writes{};

 private:
  int count_;
};

constexpr Rgb kBack{1, 2, 3};
constexpr Rgb kFore{200, 100, 50};
// Brightness level 3 is light level 195: the background shows at 195, a
// freshly lit key at 195 × 255 >> 8 = 194, a key at 210 (one mode-29 decay)
// at 159, one at 40 at 30.
constexpr uint8_t kBackLevel = 195;
constexpr uint8_t kLit = 194;
constexpr uint8_t kLit210 = 159;
constexpr uint8_t kLit40 = 30;

Levels Uniform(int32_t value) {
  Levels levels;
  levels.fill(value);
  return levels;
}

Levels With(std::initializer_list<std::pair<int, int32_t>> bands) {
  Levels levels{};
  for (auto [band, value] : bands) levels[static_cast<size_t>(band)] = value;
  return levels;
}

class AudioStylesTest : public ::testing::Test {
 protected:
  void Start(int style, bool multiColour = false) {
    (void)fx.ResetKeyEffects(state, 29);
    fx.AudioStyles().SetLevelSource(&levels);
    fx.AudioStyles().SetParams({.style = style, .background = kBack, .foreground = kFore,
                                .multiColour = multiColour});
  }
  // One step on `set` (handed over as the analyser does).
  void Step(const Levels& set = {}) {
    levels.SetAudioLevels(set);
    fx.RunStep(state, light, canvas, 0, random);
  }
  void ExpectLit(int p, Rgb colour = kFore, uint8_t level = kLit) const {
    EXPECT_EQ(canvas.colour[p], colour) << p;
    EXPECT_EQ(canvas.level[p], level) << p;
  }
  void ExpectBack(int p) const { ExpectLit(p, kBack, kBackLevel); }

  KeyboardEffects fx;
  EffectState state;
  AudioLevels levels;
  LightParams light{.mode = 29, .brightness = 3, .direction = 1, .colour = {}};
  TestCanvas canvas;
  uint32_t next = 100;
  RandomSource random = [this] { return next++; };
};

// Keys of column 4 (rows 0..5) and of row 2 (columns 0..22).
constexpr std::array<int, 6> kColumn4 = {2, 24, 45, 66, 86, 107};
constexpr std::array<int, 23> kRow2 = {121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52,
                                       53, 54, 55, 103, 56, 57, 58, 59, 60, 61, 16};

// --- Column bars ---

TEST_F(AudioStylesTest, ColumnBarsInSilenceShowOnlyTheBackground) {
  Start(Styles::kColumnBars);
  Step();  // every band 0: height 7, no row re-lit
  for (int p = 0; p < kFirstNonKey; ++p) ExpectBack(p);
  for (int p = kFirstNonKey; p < kKeyPositions; ++p) EXPECT_EQ(canvas.writes[p], 0) << p;
  for (int p = 0; p < kKeyPositions; ++p) EXPECT_EQ(state.ledLevel[p], 0) << p;
}

TEST_F(AudioStylesTest, ColumnBarsRiseWithTheirBandAndFadeFromTheTop) {
  Start(Styles::kColumnBars);
  // 2000: v 0, height 1 (rows 1..5); 1000: v 300, height 4; 2500: v 500
  // (past full scale), height 6: nothing.
  Step(With({{4, 2000}, {7, 1000}, {8, 2500}}));
  ExpectBack(2);
  for (int r = 1; r < 6; ++r) ExpectLit(kColumn4[r]);
  ExpectBack(69);  // column 7, row 3
  ExpectLit(89);   // rows 4, 5
  ExpectLit(108);
  for (int p : {5, 28, 49, 70, 90}) ExpectBack(p);  // column 8
  ExpectBack(1);                                    // column 3

  Step();  // silence: the top key fades first, the ones below it hold
  ExpectBack(2);
  ExpectLit(24, kFore, kLit210);
  for (int r = 2; r < 6; ++r) ExpectLit(kColumn4[r]);
  for (int n = 0; n < 4; ++n) Step();  // 165, 120, 75, 40
  ExpectLit(24, kFore, kLit40);
  ExpectLit(45);
  Step();  // 5: dark, so the next key starts fading
  ExpectBack(24);
  ExpectLit(45, kFore, kLit210);
}

TEST_F(AudioStylesTest, ColumnBarsTakeTheWheelTenApartAndMoveTheOffsetEvery31Steps) {
  Start(Styles::kColumnBars, true);
  Step(Uniform(2000));
  ExpectLit(24, ColourWheel[41]);   // hue 1, column 4: 1 + 40
  ExpectLit(41, ColourWheel[29]);   // column 22: 221 wraps to 29
  for (int n = 1; n < 30; ++n) Step();
  EXPECT_EQ(int{fx.AudioStyles().ColumnOffset()}, 0);
  Step();
  EXPECT_EQ(int{fx.AudioStyles().ColumnOffset()}, 1);
  EXPECT_EQ(int{fx.AudioStyles().Hue()}, 31);

  light.direction = 0;
  Start(Styles::kColumnBars, true);
  Step(Uniform(2000));
  ExpectLit(21, ColourWheel[9]);  // hue 191, column 1: 201 wraps to 9
  for (int n = 1; n < 31; ++n) Step();
  EXPECT_EQ(int{fx.AudioStyles().ColumnOffset()}, 24);
}

// --- Centre-out bars ---

TEST_F(AudioStylesTest, CentreOutBarsGrowFromTheMiddleAndFadeFromTheEdges) {
  Start(Styles::kCentreOutBars, true);
  // First step: band offset 1, so row 2's left half shows band 1 + 9 = 10,
  // its right half band 5. Half reach (v + 100) × 12 / 600: 2 at 2000.
  Step(With({{10, 2000}, {5, 2000}}));
  ExpectBack(121);
  ExpectBack(42);
  for (int c = 2; c <= 19; ++c) ExpectLit(kRow2[c], ColourWheel[1 + 7 * (c + 1)]);
  for (int c = 20; c <= 22; ++c) ExpectBack(kRow2[c]);

  // Silence: the outermost lit key of each half fades, the inner ones hold.
  Step();
  ExpectLit(43, ColourWheel[23], kLit210);  // phase 2, column 2
  EXPECT_EQ(state.ledLevel[44], 255);
  EXPECT_EQ(state.ledLevel[59], 210);
  EXPECT_EQ(state.ledLevel[58], 255);
}

TEST_F(AudioStylesTest, CentreOutBarsRotateTheLeftBand) {
  Start(Styles::kCentreOutBars);
  // 1000: v 300, reach 8: the left bar is column 8 alone, the right one
  // columns 9..13.
  Step(With({{10, 1000}, {5, 1000}}));
  ExpectBack(48);
  ExpectLit(49);
  for (int p : {50, 51, 52, 53, 54}) ExpectLit(p);
  ExpectBack(55);
  // Second step: offset 2, row 2 now follows band 11 on the left.
  Step(With({{11, 2000}}));
  ExpectLit(43);
  EXPECT_EQ(int{fx.AudioStyles().BandOffset()}, 2);
}

// --- Beat ---

TEST_F(AudioStylesTest, BeatLightsTheCentreKeyAndSpreadsAFadingDiamond) {
  Start(Styles::kBeat);
  levels.SetBeatStyle(true);
  // 25 × 2000: v 0, beat 25 per set; the third set reaches 75 ≥ 71.
  levels.SetAudioLevels(Uniform(2000));
  levels.SetAudioLevels(Uniform(2000));
  fx.RunStep(state, light, canvas, 0, random);
  ExpectBack(51);
  levels.SetAudioLevels(Uniform(2000));
  fx.RunStep(state, light, canvas, 0, random);
  EXPECT_EQ(state.ledLevel[51], 255);
  ExpectLit(51);
  ExpectBack(50);

  fx.RunStep(state, light, canvas, 0, random);
  ExpectLit(51, kFore, kLit210);
  for (int p : {50, 30, 52, 72}) ExpectLit(p);  // left, up, right, down
  for (int n = 0; n < 4; ++n) fx.RunStep(state, light, canvas, 0, random);
  ExpectLit(51, kFore, kLit40);
  fx.RunStep(state, light, canvas, 0, random);
  ExpectBack(51);
}

TEST_F(AudioStylesTest, BeatWithMulticolourTurnsEachKeysHueByNine) {
  Start(Styles::kBeat, true);
  fx.MarkKey(51);
  fx.RunStep(state, light, canvas, 0, random);
  ExpectLit(51, ColourWheel[100]);  // the random hue it was lit with
  fx.RunStep(state, light, canvas, 0, random);
  ExpectLit(51, ColourWheel[109], kLit210);
}

// --- Rings ---

TEST_F(AudioStylesTest, RingsLightFromTheCentreByTheMeanLoudness) {
  Start(Styles::kRings);
  // All 2000: s 0, rings 0 .. 19 clamped to the twelve there are; ring i
  // takes hue 9 (i + 1), whatever the foreground.
  Step(Uniform(2000));
  ExpectLit(51, ColourWheel[9]);
  ExpectLit(30, ColourWheel[18]);
  for (int p : {118, 119, 41}) ExpectLit(p, ColourWheel[108]);
  EXPECT_EQ(canvas.writes[16], 0);  // off the key path

  // Silence: s 20, no ring lit; the rings fade by the mode-0 rules in their
  // colours, and the colours turn by 20.
  Step();
  ExpectLit(51, ColourWheel[9], 163);  // 215
  EXPECT_EQ(int{fx.AudioStyles().Phase()}, 20);

  // 1050 everywhere: v 285, s 9: rings 0..10. 50: v 585, s 19: ring 0 only.
  Start(Styles::kRings);
  Step(Uniform(1050));
  ExpectLit(61, ColourWheel[(9 + 99) % 192]);
  for (int p : {118, 119, 41}) EXPECT_EQ(state.ledLevel[p], 0) << p;
  Start(Styles::kRings);
  Step(Uniform(50));
  EXPECT_EQ(state.ledLevel[51], 255);
  EXPECT_EQ(state.ledLevel[30], 0);
  // 1150: v 255, s 8, the last step that lights every ring.
  Start(Styles::kRings);
  Step(Uniform(1150));
  EXPECT_EQ(state.ledLevel[41], 255);
}

// --- Drops ---

TEST_F(AudioStylesTest, DropsLightOneKeyPerColumnUntilTheBottomKeyIsDark) {
  Start(Styles::kDrops, true);
  // Column c follows band c + 1. 2000: height 1, the row-1 key; 500: v 450,
  // height 5, the bottom key.
  Step(With({{5, 2000}, {8, 500}}));
  ExpectBack(2);
  ExpectLit(24, ColourWheel[1]);  // the phase it was lit at
  ExpectBack(45);
  ExpectLit(108, ColourWheel[1]);  // column 7, row 5
  // Still loud: column 4's bottom is dark, so it lights again (new hue);
  // column 7 waits while its bottom key fades.
  Step(With({{5, 2000}, {8, 500}}));
  ExpectLit(24, ColourWheel[2]);
  ExpectLit(108, ColourWheel[1], kLit210);
  for (int n = 0; n < 5; ++n) Step(With({{8, 500}}));  // 165 .. 5
  ExpectBack(108);
  Step(With({{8, 500}}));
  ExpectLit(108, ColourWheel[8]);

  // The colour index shifts the bands: column 21 follows band 0.
  Start(Styles::kDrops);
  state.effectHue = 3;
  Step(With({{0, 2000}}));
  ExpectLit(40);
  EXPECT_EQ(state.effectHue, 3);
}

// --- Row bars ---

TEST_F(AudioStylesTest, RowBarsRunFromTheLeftByBandGroup) {
  Start(Styles::kRowBars, true);
  // Row 2 shows bands 8..11, row 5 bands 0 and 1 (sums divided by 3): a
  // group level of 2000 ends the bar at column 20, 1000 (v 300) at column 8.
  Step(With({{8, 1500}, {9, 1500}, {10, 1500}, {11, 1500}, {0, 3000}}));
  ExpectLit(121, ColourWheel[4]);  // hue 1 + 3 (c + 1)
  ExpectLit(60, ColourWheel[64]);
  ExpectBack(61);
  ExpectBack(16);
  ExpectLit(124, ColourWheel[4]);  // row 5 ends at column 8
  ExpectLit(108, ColourWheel[25]);  // column 7
  ExpectBack(109);                  // column 10
  Start(Styles::kRowBars);
  Step(With({{0, 3000}, {1, 3000}, {8, 1500}, {9, 1500}}));
  ExpectLit(49);
  ExpectBack(50);
  ExpectLit(104);   // row 5, column 20
  ExpectBack(117);  // column 21
  Step();  // silence: the right end fades, the rest holds
  EXPECT_EQ(state.ledLevel[49], 210);
  EXPECT_EQ(state.ledLevel[48], 255);
}

// --- Zigzag bars ---

TEST_F(AudioStylesTest, ZigzagBarsAlternateSidesAndStayInsideTheGrid) {
  Start(Styles::kZigzagBars, true);
  Step();  // silence: n 23; odd rows keep column 0, even rows nothing
  ExpectLit(120, ColourWheel[3]);
  ExpectLit(122, ColourWheel[3]);
  ExpectLit(124, ColourWheel[3]);
  ExpectBack(121);
  ExpectBack(21);

  // Loud: every group at 2000 (its sum / 3), n 0, every row full; the odd
  // rows' bar is held to column 22. The hue moves by 2 per key drawn in the
  // foreground: row 0's first key is in column 2.
  Start(Styles::kZigzagBars, true);
  Levels loud{};
  for (int b = 0; b <= 20; ++b) loud[b] = b < 4 ? 3000 : b < 7 ? 2000 : b < 11 ? 1500 : 1200;
  Step(loud);
  ExpectLit(0, ColourWheel[3]);
  ExpectLit(1, ColourWheel[5]);
  ExpectLit(41, ColourWheel[47]);  // row 1, column 22
  ExpectLit(16, ColourWheel[47]);  // row 2
  Step();  // silence: the two edge columns fade at once, the next one holds
  EXPECT_EQ(state.ledLevel[41], 210);
  EXPECT_EQ(state.ledLevel[40], 210);
  EXPECT_EQ(state.ledLevel[39], 255);
  EXPECT_EQ(state.ledLevel[0], 210);  // its left neighbour carries no key
  EXPECT_EQ(state.ledLevel[1], 255);

  // Row 2 (bands 4..6) and row 3 (7..10) at a group level of 1000: n 11.
  Start(Styles::kZigzagBars);
  Step(With({{4, 1000}, {5, 1000}, {6, 1000}, {7, 750}, {8, 750}, {9, 750}, {10, 750}}));
  ExpectBack(51);
  ExpectLit(52);
  ExpectLit(74);  // row 3, column 12
  ExpectBack(62);
}

// --- Robustness and the keyboard effects around the styles ---

TEST_F(AudioStylesTest, HostileLevelsAndSmallCanvasesStayInRange) {
  const std::array<Levels, 4> sets = {Uniform(INT32_MIN), Uniform(INT32_MAX), Uniform(-1),
                                      With({{0, INT32_MAX}, {1, INT32_MIN}, {24, INT32_MAX}})};
  for (int count : {0, 40, kKeyPositions}) {
    for (int style = -1; style <= Styles::kStyleCount; ++style) {
      TestCanvas small(count);
      Start(style, style % 2 == 0);
      levels.SetBeatStyle(style == Styles::kBeat);
      fx.MarkKey(51);
      for (int n = 0; n < 60; ++n) {
        light.direction = n % 7 < 3;
        levels.SetAudioLevels(sets[static_cast<size_t>(n) % sets.size()]);
        fx.RunStep(state, light, small, 0, random);
      }
      int written = 0;
      for (int p = 0; p < kKeyPositions; ++p) written += small.writes[p];
      if (style < 0 || style >= Styles::kStyleCount) {
        EXPECT_EQ(written, 0) << style;
      }
      // The bars, rings and drops never touch a position without a key (the
      // beat's waves run through the whole grid and may).
      if (style == Styles::kBeat) continue;
      for (int p = kFirstNonKey; p < kKeyPositions; ++p) EXPECT_EQ(state.ledLevel[p], 0) << style << " " << p;
    }
  }
}

TEST_F(AudioStylesTest, WithoutALevelSourceEveryStepIsSilent) {
  Start(Styles::kColumnBars);
  fx.AudioStyles().SetLevelSource(nullptr);
  levels.SetAudioLevels(Uniform(2000));
  fx.RunStep(state, light, canvas, 0, random);
  for (int p : kColumn4) ExpectBack(p);
}

}  // namespace
