// The light tables, the position stepper and the chase helpers that work on
// the effect state alone.

#include <gtest/gtest.h>

#include <vector>

#include "lighting/CommonEffects.h"
#include "lighting/LightTables.h"

using namespace lighting;

namespace {

TEST(LightTables, LevelsCurvesAndSpeeds) {
  EXPECT_EQ(LevelTable, (std::array<uint8_t, 5>{0, 80, 135, 195, 255}));
  EXPECT_EQ(SpeedSteps, (std::array<uint8_t, 5>{8, 6, 4, 2, 1}));
  EXPECT_EQ(SlowSpeedSteps, (std::array<uint8_t, 5>{16, 12, 8, 4, 2}));
  EXPECT_EQ(CycleSpeedSteps, (std::array<uint8_t, 5>{10, 8, 5, 3, 1}));
  EXPECT_EQ(Level(7), 255);
  EXPECT_EQ(BySpeed(SlowSpeedSteps, 9), 2);
  const std::vector<std::pair<int, int>> blink = {{0, 1600}, {1, 1200}, {2, 800}, {3, 400},
                                                  {4, 200}, {9, 200}};
  for (auto [speed, ms] : blink) EXPECT_EQ(BlinkPeriodMs(speed), ms) << speed;

  const std::vector<std::pair<int, int>> breath = {{0, 0},    {10, 10},  {11, 12},  {17, 24},
                                                   {18, 27},  {25, 49},  {36, 94},  {45, 140},
                                                   {57, 213}, {63, 255}, {64, 255}, {127, 0}};
  for (auto [i, v] : breath) EXPECT_EQ(BreathCurve[i], v) << i;
  for (int i = 0; i < 64; ++i) EXPECT_EQ(BreathCurve[i], BreathCurve[127 - i]) << i;
  for (int i = 1; i < 64; ++i) EXPECT_GT(BreathCurve[i], BreathCurve[i - 1]) << i;

  EXPECT_EQ(WaveCurve[0], 22);
  EXPECT_EQ(WaveCurve[47], 255);
  for (int i = 0; i < 48; ++i) {
    EXPECT_EQ(WaveCurve[i], BreathCurve[16 + i]) << i;
    EXPECT_EQ(WaveCurve[95 - i], WaveCurve[i]) << i;
  }
}

TEST(LightTables, ColourWheelFromRamps) {
  const std::vector<std::pair<int, Rgb>> entries = {
      {0, {255, 1, 0}},    {31, {255, 255, 0}}, {32, {248, 255, 0}}, {63, {0, 255, 0}},
      {64, {0, 255, 1}},   {70, {0, 255, 18}},  {96, {0, 248, 255}}, {127, {0, 0, 255}},
      {128, {1, 0, 255}},  {159, {255, 0, 255}}, {160, {255, 0, 248}}, {191, {255, 0, 0}}};
  for (const auto& [i, colour] : entries) EXPECT_EQ(ColourWheel[i], colour) << i;
  for (int k = 0; k < 64; ++k) EXPECT_EQ(ColourWheel[192 + k], ColourWheel[k]) << k;
  EXPECT_EQ(FourColours[0], (Rgb{0, 255, 180}));
  EXPECT_EQ(FourColours[3], (Rgb{255, 0, 0}));
}

TEST(LightTables, StepIndexMovesWithinThePeriod) {
  struct Case { int direction, period, index, step, expected; };
  const std::vector<Case> cases = {
      {0, 128, 0, 1, 127}, {1, 128, 127, 1, 0}, {0, 96, 0, 3, 93}, {1, 192, 5, 1, 6},
      {0, 192, 5, 1, 4},   {1, 96, 93, 3, 0},   {1, 96, 92, 3, 95}, {0, 96, 2, 3, 93},
      // A position another effect left beyond the period.
      {1, 128, 150, 1, 0}, {0, 128, 200, 1, 127}};
  for (const Case& c : cases) {
    EXPECT_EQ(StepIndex(c.direction, c.period, c.index, c.step), c.expected)
        << c.direction << " " << c.period << " " << c.index << " " << c.step;
  }
}

// Levels from 255 down to 0 under the decay rules of `mode`.
std::vector<int> DecayRun(int mode) {
  EffectState state;
  state.ledLevel[3] = 255;
  std::vector<int> levels{255};
  while (state.ledLevel[3] != 0 && levels.size() < 300) {
    DecayLedLevel(state, 3, mode);
    levels.push_back(state.ledLevel[3]);
  }
  return levels;
}

std::vector<int> ThenCountDown(std::vector<int> head, int from) {
  for (int v = from; v >= 0; --v) head.push_back(v);
  return head;
}

TEST(ChaseHelpers, DecaySequencesByMode) {
  EXPECT_EQ(DecayRun(0), ThenCountDown({255, 215, 175, 135, 95, 65, 35, 20, 12}, 11));
  EXPECT_EQ(DecayRun(29), ThenCountDown({255, 210, 165, 120, 75, 40}, 5));
  EXPECT_EQ(DecayRun(5), ThenCountDown({255, 215, 175, 135, 95, 65, 35, 25, 17, 9}, 8));
  EffectState state;
  DecayLedLevel(state, 0, 0);
  EXPECT_EQ(state.ledLevel[0], 0);
  DecayLedLevel(state, kMaxLightPoints, 0);  // beyond the points: ignored
}

TEST(ChaseHelpers, RotateAndRetrigger) {
  EffectState state;
  state.StartChase();
  RotateLedOrder(state, 0);
  EXPECT_EQ(state.ledOrder[22], 1);
  RotateLedOrder(state, 1);
  RotateLedOrder(state, 1);
  EXPECT_EQ(state.ledOrder[1], 1);
  // The short ring wraps at its length.
  state.StartChase();
  RotateLedOrder(state, 0, 8);
  EXPECT_EQ(state.ledOrder[7], 1);
  EXPECT_EQ(state.ledOrder[22], 0);
  RetriggerLeds(state, 7);
  EXPECT_EQ(state.ledLevel[7], 0);
  RetriggerLeds(state, 8);
  EXPECT_EQ(state.ledLevel[7], 255);
}

}  // namespace
