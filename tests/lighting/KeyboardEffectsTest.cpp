// The keyboard's layout tables and its own light effects.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "lighting/KeyboardEffects.h"
#include "lighting/KeyboardLayoutTables.h"

namespace {

using namespace lighting;

// Records what effects draw; a point at or beyond the count is a failure.
class TestCanvas : public LedCanvas {
 public:
  explicit TestCanvas(int count = kKeyPositions) : count_(count) {}
  int Count() const override { return count_; }
  void Set(int point, Rgb c, uint8_t l) override {
    if (point < 0 || point >= count_) {
      ADD_FAILURE() << "drawn outside the canvas: " << point;
      return;
    }
    colour[point] = c;
    level[point] = l;
  }
  Rgb Get(int point) const override { return colour[point]; }
  uint8_t GetLevel(int point) const override { return level[point]; }

  std::array<Rgb, kKeyPositions> colour{};
  std::array<uint8_t, kKeyPositions> level{};

 private:
  int count_;
};

class KeyboardEffectsTest : public ::testing::Test {
 protected:
  void Start(int mode) {
    light.mode = mode;
    (void)fx.ResetKeyEffects(state, mode);
  }
  void Step(int times = 1) {
    for (int i = 0; i < times; ++i) fx.RunStep(state, light, canvas, 0, random);
  }
  void Key(int position, int type) { fx.DispatchKeyEvent(state, position, type, light.mode, random); }
  int LevelAt(int column, int row) const { return state.ledLevel[KeyGrid[column][row]]; }

  KeyboardEffects fx;
  EffectState state;
  LightParams light{.brightness = 4, .colour = {200, 100, 50}};
  TestCanvas canvas;
  uint32_t next = 0;
  RandomSource random = [this] { return next++; };
};

// Levels of a freshly lit key, frame by frame.
constexpr std::array<int, 5> kFade = {215, 175, 135, 95, 65};

TEST(KeyboardLayoutTables, PathAndSnakeHoldTheirKeysThenNothing) {
  std::set<int> seen;
  for (int i = 0; i < kKeyPositions; ++i) {
    if (i < kPathKeys) {
      EXPECT_LT(KeyPath[i], kFirstNonKey) << i;
      EXPECT_TRUE(seen.insert(KeyPath[i]).second) << i;
    } else {
      EXPECT_EQ(KeyPath[i], kNoPosition) << i;
    }
  }
  EXPECT_EQ(KeyPath[0], 15);
  EXPECT_EQ(KeyPath[106], 77);
  const std::vector<std::pair<int, int>> snake = {{15, 15}, {16, 17}, {19, 20}, {20, 41}, {40, 21},
                                                  {41, 42}, {60, 61}, {61, 119}, {65, 75}, {66, 170},
                                                  {67, 74}, {78, 63}, {79, 84}, {80, 170}, {81, 85},
                                                  {95, 99}, {96, 118}, {109, 105}, {110, 170}, {169, 170}};
  for (auto [index, position] : snake) EXPECT_EQ(KeySnake[index], position) << index;
}

TEST(KeyboardLayoutTables, GridRingsAndLayoutRowsNameKnownPositions) {
  std::array<int, kKeyPositions> found{};
  for (const auto& column : KeyGrid) {
    for (uint8_t p : column) {
      ASSERT_LE(p, kNoPosition);
      if (p < kNoPosition) ++found[p];
    }
  }
  for (int p = 0; p < kFirstNonKey; ++p) EXPECT_EQ(found[p], 1) << p;
  ASSERT_TRUE(GridCellOf(51).has_value());
  EXPECT_EQ(GridCellOf(51)->column, 10);
  EXPECT_EQ(GridCellOf(51)->row, 2);
  EXPECT_FALSE(GridCellOf(170).has_value());
  EXPECT_FALSE(GridCellOf(-1).has_value());
  for (const auto& ring : KeyRings) {
    for (uint8_t p : ring) EXPECT_TRUE(p == kNoPosition || IsPathKey(p)) << int(p);
  }
  EXPECT_EQ(KeyRings[0][0], 51);

  const auto keyOr = [](uint8_t p, uint8_t none) { return p == none || p < kFirstNonKey; };
  for (const auto& row : SweepRows) for (uint8_t p : row) EXPECT_TRUE(keyOr(p, kNoPosition));
  for (const auto& row : DemoRows) for (uint8_t p : row) EXPECT_TRUE(keyOr(p, kNoEntry));
  for (const auto& col : KeyColumns7) for (uint8_t p : col) EXPECT_TRUE(keyOr(p, kNoEntry));
  using R12 = std::array<uint8_t, 12>;
  EXPECT_EQ(SweepRows[0], (R12{25, 26, 50, 51, 170, 170, 170, 170, 170, 170, 170, 170}));
  EXPECT_EQ(SweepRows[1][0], 0);
  EXPECT_EQ(SweepRows[13], (R12{9, 32, 52, 170, 170, 170, 170, 170, 170, 170, 170, 170}));
  EXPECT_EQ(SweepRows[51][2], 72);
  using R7 = std::array<uint8_t, 7>;
  EXPECT_EQ(KeyColumns7[0], (R7{255, 255, 255, 255, 255, 255, 105}));
  EXPECT_EQ(KeyColumns7[1], (R7{255, 255, 21, 42, 63, 84, 106}));
  EXPECT_EQ(KeyColumns7[20], (R7{125, 18, 39, 60, 77, 98, 116}));
  using R6 = std::array<uint8_t, 6>;
  EXPECT_EQ(TwinkleStart[0], (R6{72, 52, 32, 12, 182, 162}));
  EXPECT_EQ(TwinkleStart[2], (R6{120, 100, 80, 60, 40, 20}));
  EXPECT_EQ(TwinkleStart[13], (R6{192, 162, 132, 102, 72, 32}));
  EXPECT_EQ(DemoRows[6], (R6{6, 112, 24, 97, 42, 119}));
  EXPECT_EQ(DemoRows[19], (R6{31, 94, 255, 255, 255, 255}));
  const std::vector<int> head = {88, 24, 101, 57, 16, 69, 35, 34, 36, 51};
  std::set<int> picks;
  for (size_t i = 0; i < RandomKeys.size(); ++i) {
    if (i < head.size()) {
      EXPECT_EQ(RandomKeys[i], head[i]);
    }
    EXPECT_LE(RandomKeys[i], 110);
    picks.insert(RandomKeys[i]);
  }
  EXPECT_EQ(picks.size(), 104u);
  EXPECT_EQ(TwinkleCurve[24], 255);
  EXPECT_EQ(TwinkleCurve[87], 1);
  EXPECT_EQ(TwinkleCurve[191], 0);
}

TEST_F(KeyboardEffectsTest, ResetStartsEachModeAndAsksForCustomColoursOnlyInMode20) {
  state.ledLevel.fill(9);
  EXPECT_FALSE(fx.ResetKeyEffects(state, 1));
  EXPECT_EQ(state.ledLevel[3], 0);
  EXPECT_EQ(state.ledHue[0], 33);
  EXPECT_EQ(state.ledHue[5], 6);  // 198 wraps round the wheel
  EXPECT_TRUE(fx.ResetKeyEffects(state, 20));
  EXPECT_FALSE(fx.ResetKeyEffects(state, 19));
  EXPECT_EQ(state.ledHue[0], 0);
  EXPECT_FALSE(fx.ResetKeyEffects(state, 15));
  EXPECT_EQ(state.ledLevel[0], 120);  // column 2, row 0
  EXPECT_EQ(state.ledHue[0], 12);
  EXPECT_EQ(state.ledLevel[120], 52);  // column 0, row 1
  EXPECT_FALSE(fx.ResetKeyEffects(state, 13));
  for (const auto& mask : fx.WaveMasks()) EXPECT_EQ(mask[9], 0x40);
  // The audio styles start again too (their params stay).
  fx.AudioStyles().SetParams({.style = KeyboardAudioStyles::kZigzagBars});
  light.direction = 1;
  Start(29);
  Step(3);
  EXPECT_EQ(int{fx.AudioStyles().Phase()}, 3);
  EXPECT_FALSE(fx.ResetKeyEffects(state, 29));
  EXPECT_EQ(int{fx.AudioStyles().Phase()}, 0);
  EXPECT_EQ(fx.AudioStyles().Params().style, KeyboardAudioStyles::kZigzagBars);
}

TEST_F(KeyboardEffectsTest, StaticMulticolourPaintsRingsFromTheCentreWithoutMoving) {
  light.multiColour = true;
  light.brightness = 3;
  Start(6);
  Step();
  EXPECT_EQ(canvas.colour[51], ColourWheel[138]);
  EXPECT_EQ(canvas.level[51], 195);
  EXPECT_EQ(canvas.colour[30], ColourWheel[126]);
  for (int p : {118, 119, 41}) EXPECT_EQ(canvas.colour[p], ColourWheel[6]) << p;
  const auto first = canvas.colour;
  Step(5);
  EXPECT_EQ(canvas.colour, first);
}

TEST_F(KeyboardEffectsTest, FixedColourFollowsTheSecondZone) {
  light.brightness = 2;
  light.secondZone = 2;
  Start(17);
  Step();
  for (int p = 0; p < kKeyPositions; ++p) {
    EXPECT_EQ(canvas.colour[p], (Rgb{0, 255, 18})) << p;
    EXPECT_EQ(canvas.level[p], 135) << p;
  }
  light.secondZone = 7;
  Step();
  EXPECT_EQ(canvas.colour[60], ColourWheel[174]);
}

TEST_F(KeyboardEffectsTest, RipplePressWidensADiamondOneCellPerFrameAndFades) {
  Start(8);
  Key(51, KeyboardEffects::kKeyPressed);
  EXPECT_EQ(state.ledLevel[51], 0);  // lit by the next frame
  for (int frame = 1; frame <= 4; ++frame) {
    Step();
    for (int c = 0; c < kGridColumns; ++c) {
      for (int r = 0; r < kGridRows; ++r) {
        if (KeyGrid[c][r] >= kFirstNonKey) continue;
        const int d = std::abs(c - 10) + std::abs(r - 2);
        EXPECT_EQ(LevelAt(c, r), d < frame ? kFade[frame - 1 - d] : 0) << frame << ": " << c << "," << r;
      }
    }
  }
  EXPECT_EQ(canvas.level[51], Scale(255, 95));
  EXPECT_EQ(canvas.colour[51], light.colour);
}

TEST_F(KeyboardEffectsTest, RowRippleRunsTwoDotsLeftAndRightAlongTheRow) {
  Start(9);
  Key(51, KeyboardEffects::kKeyPressed);
  for (int frame = 1; frame <= 5; ++frame) {
    Step();
    for (int c = 0; c < kGridColumns; ++c) {
      for (int r = 0; r < kGridRows; ++r) {
        if (KeyGrid[c][r] >= kFirstNonKey) continue;
        const int d = std::abs(c - 10);
        const int expected = (r == 2 && d < frame) ? kFade[frame - 1 - d] : 0;
        EXPECT_EQ(LevelAt(c, r), expected) << frame << ": " << c << "," << r;
      }
    }
  }
}

TEST_F(KeyboardEffectsTest, HaloPressRaisesTheNeighboursByTheirDistance) {
  Start(25);
  Key(51, 1);
  EXPECT_EQ(state.ledLevel[51], 255);
  for (int p : {30, 72, 50, 52}) EXPECT_EQ(state.ledLevel[p], 150) << p;
  for (int p : {7, 92, 29, 31, 71, 73}) EXPECT_EQ(state.ledLevel[p], 90) << p;
  for (int p : {49, 53}) EXPECT_EQ(state.ledLevel[p], 60) << p;
  EXPECT_EQ(state.ledLevel[28], 0);
  EXPECT_EQ(fx.KeyStates()[49], 1);
  Key(52, 1);
  EXPECT_EQ(state.ledLevel[53], 210);  // 60 + 150
  EXPECT_EQ(state.ledLevel[30], 240);  // 150 + 90
  EXPECT_EQ(state.ledLevel[50], 210);  // 150 + 60
  EXPECT_EQ(state.ledLevel[51], 255);  // held at 255
}

TEST_F(KeyboardEffectsTest, HaloSharedNeighboursRiseWhileOneKeyIsHeldThenFade) {
  Start(25);
  Key(51, 1);
  Key(52, 1);
  Step();
  EXPECT_EQ(state.ledLevel[53], 225);
  Key(51, 2);  // 52 still held
  EXPECT_EQ(fx.KeyStates()[53], 1);
  EXPECT_EQ(fx.KeyStates()[51], 1);
  EXPECT_EQ(fx.KeyStates()[49], 2);  // too far from 52
  EXPECT_EQ(state.ledLevel[49], 0);
  Step();
  EXPECT_EQ(state.ledLevel[53], 240);
  Key(52, 2);
  EXPECT_EQ(fx.KeyStates()[53], 2);
  EXPECT_EQ(fx.KeyStates()[51], 2);
  EXPECT_EQ(state.ledLevel[53], 225);
  for (int level : {220, 215, 210}) {
    Step();
    EXPECT_EQ(state.ledLevel[53], level);
  }
  EXPECT_EQ(canvas.level[53], Scale(255, 210));
}

TEST_F(KeyboardEffectsTest, SweepRunsThroughItsRowsAndStartsAgain) {
  EXPECT_EQ(KeyboardEffects::Threshold(19, 0), 10);
  light.direction = 1;
  Start(19);
  for (int step = 1; step <= 104; ++step) {
    Step();
    ASSERT_EQ(state.effectPhase, step % 52);
    for (uint8_t p : SweepRows[step % 52]) {
      if (p != kNoPosition) {
        ASSERT_EQ(state.ledLevel[p], 250) << step;
      }
    }
  }
  EXPECT_EQ(canvas.level[25], Scale(255, 250));
}

TEST_F(KeyboardEffectsTest, SnakeMovesOnEveryPassAtSpeedTwoAndStaysInItsTable) {
  EXPECT_EQ(KeyboardEffects::Threshold(32, 2), 0);
  EXPECT_EQ(KeyboardEffects::Threshold(32, 0), 1);
  light.direction = 1;
  Start(32);
  Step(2);
  EXPECT_EQ(state.ledLevel[KeySnake[1]], 214);  // 254 after one decay
  EXPECT_EQ(state.ledLevel[KeySnake[0]], 174);
  Step(168);
  EXPECT_EQ(state.effectPhase, 170);
  Step();
  EXPECT_EQ(state.effectPhase, 0);
  light.direction = 0;
  Start(32);
  Step(3);  // 0 → 170, past the end → 169, an empty entry → 168
  EXPECT_EQ(state.effectPhase, 168);
  for (int p = 0; p < kKeyPositions; ++p) EXPECT_EQ(state.ledLevel[p], 0) << p;
}

TEST_F(KeyboardEffectsTest, TwinklePhasesStartByColumnAndWrapAt192) {
  Start(33);
  EXPECT_EQ(fx.TwinklePhases()[105], 140);
  EXPECT_EQ(fx.TwinklePhases()[21], 79);
  EXPECT_EQ(fx.TwinklePhases()[31], 192);
  EXPECT_EQ(state.ledHue[31], 77);
  random = [] { return 500u; };
  Step();
  EXPECT_EQ(fx.TwinklePhases()[31], 0);
  EXPECT_EQ(state.ledHue[31], 500 % 192);
  EXPECT_EQ(fx.TwinklePhases()[105], 141);
  Step(400);
  for (int i = 0; i < kPathKeys; ++i) EXPECT_LT(fx.TwinklePhases()[KeyPath[i]], 192);
}

TEST_F(KeyboardEffectsTest, DemonstrationRunsItsRowsThenThePairs) {
  Start(14);
  Step();
  EXPECT_EQ(state.ledLevel[0], 215);
  EXPECT_EQ(state.ledLevel[118], 215);
  Step(19);
  EXPECT_EQ(fx.WaveCounter(), 1);
  EXPECT_EQ(state.effectPhase, 0);
  Step();
  EXPECT_EQ(state.ledLevel[DemoPairs[0][0]], 215);
  EXPECT_EQ(state.ledLevel[DemoPairs[0][1]], 215);
}

TEST_F(KeyboardEffectsTest, ScreenColourShowsTheSamplerMean) {
  const int values[] = {10, 300, -5, 1, 2, 3};
  fx.SetScreenColour(values, 6);
  EXPECT_EQ(fx.ScreenDeviation(), (Rgb{1, 2, 3}));
  light.brightness = 1;
  Start(30);
  Step();
  EXPECT_EQ(canvas.colour[150], (Rgb{10, 255, 0}));
  EXPECT_EQ(canvas.level[150], 80);
}

TEST(KeyboardEffects, ThresholdsByModeAndSpeed) {
  for (int mode : {-1, 0, 22, 23, 24, 28, 31, 35, 60}) EXPECT_EQ(KeyboardEffects::Threshold(mode, 2), -1) << mode;
  const auto row = [](int mode) {
    std::array<int, 5> r{};
    for (int s = 0; s < 5; ++s) r[s] = KeyboardEffects::Threshold(mode, s);
    return r;
  };
  using Row = std::array<int, 5>;
  for (int mode : {1, 5, 14, 19, 20, 21, 25, 26}) EXPECT_EQ(row(mode), (Row{10, 8, 5, 3, 1})) << mode;
  for (int mode : {16, 18}) EXPECT_EQ(row(mode), (Row{3, 3, 3, 3, 3})) << mode;
  for (int mode : {27, 30, 32, 33, 34}) EXPECT_EQ(row(mode), (Row{1, 0, 0, 0, 0})) << mode;
  EXPECT_EQ(row(29), (Row{2, 2, 2, 2, 2}));
  EXPECT_EQ(KeyboardEffects::Threshold(1, 9), 1);
  EXPECT_EQ(KeyboardEffects::Threshold(1, -3), 10);
}

TEST_F(KeyboardEffectsTest, HostileKeyEventsChangeNothing) {
  for (int mode : {6, 7, 8, 9, 25}) {
    Start(mode);
    const EffectState before = state;
    const auto masks = fx.WaveMasks();
    const auto keyStates = fx.KeyStates();
    const auto held = fx.KeysHeld();
    for (auto [position, type] : std::vector<std::pair<int, int>>{
             {500, 1}, {-1, 1}, {170, 1}, {51, 0}, {51, 3}, {51, -1}, {51, 255}}) {
      Key(position, type);
    }
    if (mode == 6) Key(51, 1);  // no key reaction in this mode
    EXPECT_EQ(state.ledLevel, before.ledLevel) << mode;
    EXPECT_EQ(state.ledHue, before.ledHue) << mode;
    EXPECT_EQ(fx.WaveMasks(), masks) << mode;
    EXPECT_EQ(fx.KeyStates(), keyStates) << mode;
    EXPECT_EQ(fx.KeysHeld(), held) << mode;
  }
}

TEST_F(KeyboardEffectsTest, EveryModeStaysInsideASmallCanvas) {
  TestCanvas small(40);
  for (int mode = 0; mode <= 40; ++mode) {
    light.mode = mode;
    light.multiColour = mode % 2 == 0;
    (void)fx.ResetKeyEffects(state, mode);
    Key(51, 1);
    for (int i = 0; i < 60; ++i) fx.RunStep(state, light, small, static_cast<uint32_t>(i) * 100, random);
    Key(51, 2);
  }
}

}  // namespace
