// The effect steps drawn into a small canvas: common steps, the mouse's,
// mouse pad's and headset's effects, the per-light-point list, user effect
// steps, the same-mode animation and the headset's light reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "lighting/CommonEffects.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/HeadsetReports.h"
#include "lighting/LightListPlayer.h"
#include "lighting/SameModeEffect.h"

using namespace lighting;

namespace {

constexpr Rgb kUnset{1, 2, 3};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};

class PointCanvas : public LedCanvas {
 public:
  explicit PointCanvas(int count) : colours(count, kUnset), levels(count, 77) {}
  int Count() const override { return static_cast<int>(colours.size()); }
  void Set(int point, Rgb colour, uint8_t level) override {
    ASSERT_TRUE(point >= 0 && point < Count()) << "point " << point;
    colours[point] = colour;
    levels[point] = level;
  }
  Rgb Get(int point) const override { return colours[point]; }
  uint8_t GetLevel(int point) const override { return levels[point]; }
  // The point with the highest level (the first of equals).
  int Brightest() const {
    return static_cast<int>(std::max_element(levels.begin(), levels.end()) - levels.begin());
  }
  std::vector<Rgb> colours;
  std::vector<uint8_t> levels;
};

LightParams Params(int mode, int brightness = 4, int speed = 4, int direction = 1,
                   bool multi = false, Rgb colour = {200, 100, 50}) {
  return LightParams{mode, brightness, speed, direction, multi, colour, 0};
}

TEST(CommonSteps, MulticolourBreathRunsHueToOneNinetyTwoThenZero) {
  EffectState state;
  PointCanvas canvas(3);
  const LightParams light = Params(2, 4, 4, 1, true);
  std::vector<int> hues;
  for (int breath = 0; breath < 15; ++breath) {
    for (int i = 0; i < 128; ++i) StepBreathing(state, light, canvas);
    EXPECT_EQ(state.effectPhase, 0);
    hues.push_back(state.effectHue);
    EXPECT_EQ(canvas.colours[2], ColourWheel[state.effectHue % kWheelSize]);
  }
  EXPECT_EQ(hues, (std::vector<int>{16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 0, 16,
                                    32}));
  for (int i = 0; i < 33; ++i) StepBreathing(state, light, canvas);
  EXPECT_EQ(canvas.levels[0], Scale(BreathCurve[33], 255));
}

TEST(CommonSteps, BlinkTogglesOnThePeriodAndStaticOffFill) {
  EffectState state;
  PointCanvas canvas(4);
  const LightParams light = Params(4, 2, 3);  // 400 ms
  state.blinkTime = 1000;
  StepBlink(state, light, canvas, 1399);
  EXPECT_EQ(canvas.levels[3], 0);
  StepBlink(state, light, canvas, 1400);
  EXPECT_EQ(canvas.colours[3], light.colour);
  EXPECT_EQ(canvas.levels[3], 135);
  EXPECT_EQ(state.effectPhase, 16);
  StepOff(canvas);
  EXPECT_EQ(canvas.levels, std::vector<uint8_t>(4, 0));
  // A phase left by another mode cannot index past the four colours.
  state.effectPhase = 150;
  StepBlinkFourColours(state, light, canvas, 5000);
  EXPECT_LE(state.effectPhase, 3);
}

TEST(MouseEffects, SingleColourWaveSpreadsGroupsSevenApart) {
  EffectState state;
  PointCanvas canvas(15);
  const LightParams light = Params(0, 3, 4, 1);
  StepWave(2, state, light, canvas);
  const int p = (state.effectPhase + 1) % 96;
  const std::vector<std::vector<int>> groups = {{0, 13}, {1, 12}, {6, 14, 7}};
  const std::vector<int> offsets = {0, 7, 42};
  for (size_t g = 0; g < groups.size(); ++g) {
    for (int point : groups[g]) {
      EXPECT_EQ(canvas.levels[point], Scale(WaveCurve[(p + offsets[g]) % 96], 195)) << point;
      EXPECT_EQ(canvas.colours[point], light.colour);
    }
  }
  PointCanvas small(10);  // groups naming points 10..14 are drawn in part
  StepWave(2, state, light, small);
  StepGroupChase(2, state, Params(5, 4, 4, 1, true), small);
}

TEST(MouseEffects, NewMouseChaseMovesOneGroupPerStep) {
  const std::vector<int> fade = {255, 215, 175, 135, 95, 65, 35, 25, 17, 9, 8, 7, 6};
  EffectState state;
  state.StartChase();
  PointCanvas canvas(15);
  const LightParams light = Params(5, 4, 4, 1);
  for (int step = 1; step <= 12; ++step) {
    uint32_t counter = 2;
    ASSERT_TRUE(RunKindStep(2, state, light, canvas, 0, counter));
    ASSERT_EQ(counter, 0u);
    for (int g = 0; g < 7; ++g) {
      // Group g was lit (255) in step g + 1 and has faded every step since.
      const int expected = g < step ? fade[step - g] : 0;
      EXPECT_EQ(state.ledLevel[g], expected) << "step " << step << " group " << g;
      EXPECT_EQ(canvas.levels[g], Scale(expected, 255));
    }
  }
}

TEST(MouseEffects, ReactiveFadeDarkUntilTriggered) {
  EffectState state;
  PointCanvas canvas(15);
  const LightParams light = Params(6, 4, 4, 1, true);
  uint32_t hue = 190;
  const RandomSource random = [&hue] { return hue++; };
  for (int i = 0; i < 3; ++i) StepFullChase(2, state, light, canvas);
  EXPECT_EQ(canvas.levels, std::vector<uint8_t>(15, 0));
  TriggerAllLeds(state, Params(5), 15, random);  // other modes: no trigger
  EXPECT_EQ(state.reactState[0], 0);
  TriggerAllLeds(state, light, 15, random);
  EXPECT_EQ(state.ledHue[2], 0);  // 192 modulo 192
  for (int expected = 255; expected >= -30; expected -= 15) {
    StepFullChase(2, state, light, canvas);
    EXPECT_EQ(state.ledLevel[5], std::max(expected, 0));
    EXPECT_EQ(canvas.levels[5], Scale(std::max(expected, 0), 255));
  }
  EXPECT_EQ(canvas.colours[1], ColourWheel[191]);
}

TEST(KindSteps, ModeTablesAndThresholds) {
  struct Case { int kind, mode, speed, threshold; };  // threshold 0: plays user steps
  const std::vector<Case> cases = {
      {2, 0, 0, 8}, {2, 5, 0, 16}, {2, 5, 4, 2}, {2, 8, 2, 4}, {2, 9, 0, 0}, {2, 10, 1, 6},
      {2, 11, 0, 0}, {3, 5, 0, 0}, {3, 6, 1, 6}, {3, 7, 0, 8}, {7, 8, 4, 1}, {7, 9, 0, 0},
      {1, 0, 0, 0}};
  for (const Case& c : cases) {
    EffectState state;
    PointCanvas canvas(15);
    const LightParams light = Params(c.mode, 4, c.speed);
    uint32_t counter = c.threshold ? c.threshold - 1 : 100;
    EXPECT_EQ(RunKindStep(c.kind, state, light, canvas, 0, counter), c.threshold != 0)
        << c.kind << "/" << c.mode;
    EXPECT_EQ(counter, c.threshold ? c.threshold - 1u : 100u);
    EXPECT_EQ(canvas.colours[0], kUnset);
    if (!c.threshold) continue;
    ++counter;
    EXPECT_TRUE(RunKindStep(c.kind, state, light, canvas, 0, counter));
    EXPECT_EQ(counter, 0u);
    EXPECT_NE(canvas.levels, std::vector<uint8_t>(15, 77)) << c.kind << "/" << c.mode;
  }
}

TEST(KindSteps, PadAndHeadsetChaseMovesFromTheStart) {
  struct Case { int kind, mode, points, direction; std::vector<int> lit; };
  const std::vector<Case> cases = {
      {3, 6, 15, 1, {0, 1, 2, 3}}, {7, 6, 13, 1, {0, 1, 2, 3}},
      {3, 7, 15, 0, {1, 2, 3, 4}}, {7, 7, 13, 0, {1, 2, 3, 4}}};
  for (const Case& c : cases) {
    EffectState state;
    state.StartChase();
    PointCanvas canvas(c.points);
    const LightParams light = Params(c.mode, 4, 4, c.direction);
    for (size_t k = 0; k < c.lit.size(); ++k) {
      for (int pass = 0; pass < 2; ++pass) {
        uint32_t counter = 1;
        RunKindStep(c.kind, state, light, canvas, 0, counter);
      }
      EXPECT_EQ(canvas.Brightest(), c.lit[k]) << c.kind << "/" << c.mode << " step " << k;
      EXPECT_EQ(canvas.levels[c.lit[k]], Scale(215, 255));
    }
  }
}

LightInfo Element(uint8_t kind, uint8_t brightness, uint8_t speed, Rgb colour = kRed,
                  uint8_t multi = 0) {
  LightInfo e{kind, brightness, speed, 0, multi, colour.r, colour.g, colour.b};
  e.Present = 1;
  return e;
}

TEST(LightList, BreathingWrapsWithinTheCurveAtEverySpeed) {
  LightListPlayer player;
  std::vector<LightInfo> list;
  for (uint8_t speed : {0, 1, 2, 3, 4, 9}) list.push_back(Element(0, 4, speed, kRed, 1));
  player.SetList(list);
  PointCanvas canvas(6);
  for (int pass = 0; pass < 200; ++pass) {
    player.Run(canvas, 0, pass == 0);
    for (size_t i = 0; i < list.size(); ++i) ASSERT_LT(player.Phase(i), 128) << pass;
  }
  // Speed 3 steps by 7: 0, 7, … 126, then 0 (not 133).
  player.Run(canvas, 0, true);
  for (int pass = 1; pass < 18; ++pass) player.Run(canvas, 0, false);
  EXPECT_EQ(player.Phase(3), 126);
  player.Run(canvas, 0, false);
  EXPECT_EQ(player.Phase(3), 0);
  EXPECT_EQ(canvas.colours[3], ColourWheel[1]);
}

TEST(LightList, EachKindRenders) {
  LightListPlayer player;
  LightInfo null;  // a null element: not drawn
  player.SetList({Element(1, 2, 0, kGreen), Element(4, 4, 0), Element(2, 3, 4, kGreen),
                  Element(3, 4, 4), null, Element(1, 4, 0), Element(1, 4, 0)});
  PointCanvas canvas(6);  // element 6 names no point
  player.Run(canvas, 100, true);
  EXPECT_EQ(canvas.colours[0], kGreen);
  EXPECT_EQ(canvas.levels[0], 135);
  EXPECT_EQ(canvas.levels[1], 0);
  EXPECT_EQ(canvas.levels[2], 0);  // blink starts off
  EXPECT_EQ(canvas.colours[3], ColourWheel[1]);
  EXPECT_EQ(canvas.colours[4], kUnset);
  player.Run(canvas, 200, false);  // 200 ms: the blink comes on
  EXPECT_EQ(canvas.colours[2], kGreen);
  EXPECT_EQ(canvas.levels[2], 195);
  player.Run(canvas, 300, false);
  EXPECT_EQ(canvas.levels[2], 195);
  player.Run(canvas, 400, false);
  EXPECT_EQ(canvas.levels[2], 0);
}

LightEffectStep UserStep(uint8_t kind, Rgb colour, int32_t ms, uint8_t speed = 4) {
  LightEffectStep s{kind, 4, speed, 0, 0, colour.r, colour.g, colour.b};
  s.Time = ms;
  return s;
}

TEST(UserSteps, StepsFollowTheirDurations) {
  EffectStepPlayer player;
  PointCanvas canvas(3);
  player.Play(canvas, 0, 10);
  EXPECT_EQ(canvas.levels, std::vector<uint8_t>(3, 0));  // empty list: off
  player.SetSteps({UserStep(1, kRed, 1000), UserStep(1, kGreen, 0)});
  std::vector<uint32_t> greenAt;
  for (uint32_t now = 5000; now <= 7010; ++now) {
    player.Play(canvas, 0, now);
    if (canvas.colours[1] == kGreen) greenAt.push_back(now);
  }
  // Red from 5000 to 6001, green for the one call at 6002, red again.
  EXPECT_EQ(greenAt, (std::vector<uint32_t>{6002, 7004}));
}

TEST(UserSteps, KindsAndHostileValues) {
  EffectStepPlayer player;
  PointCanvas canvas(4);
  player.SetSteps({UserStep(3, kRed, 100000)});
  player.Play(canvas, 0, 0);
  EXPECT_EQ(canvas.colours[0], kUnset);  // kind 3 draws nothing
  LightEffectStep wave = UserStep(4, kRed, 100000, 200);
  wave.LEDBrightness = 250;
  player.SetSteps({wave, UserStep(9, kRed, 0)});
  for (uint32_t now = 0; now < 500; ++now) player.Play(canvas, 0, now);
  EXPECT_EQ(canvas.colours[0], kRed);
  // Blink follows the page's speed (200 ms), not the step's.
  player.SetSteps({UserStep(2, kGreen, 100000, 0)});
  std::vector<uint8_t> levels;
  for (uint32_t now = 1000; now <= 1400; now += 100) {
    player.Play(canvas, 4, now);
    levels.push_back(canvas.levels[0]);
  }
  EXPECT_EQ(levels, (std::vector<uint8_t>{255, 255, 0, 0, 255}));
}

TEST(SameMode, BreathingBlinkAndOff) {
  SameModeEffect effect;
  effect.Set(SameModeEffect::kBreathing, Params(0, 4, 3, 1, false, kGreen));
  Rgb colour;
  uint8_t level = 0;
  std::vector<int> stepsAt;
  for (uint32_t now = 1000; now <= 1020; ++now) {
    if (effect.Tick(now, colour, level)) stepsAt.push_back(now);
  }
  EXPECT_EQ(stepsAt, (std::vector<int>{1004, 1008, 1012, 1016, 1020}));  // 2 ticks of 2 ms
  EXPECT_EQ(colour, kGreen);
  EXPECT_EQ(level, Scale(BreathCurve[5], 255));

  effect.Set(SameModeEffect::kBlink, Params(0, 1, 4, 1, true));
  ASSERT_TRUE(effect.Tick(1022, colour, level));
  EXPECT_EQ(colour, ColourWheel[14]);
  EXPECT_EQ(level, 80);
  ASSERT_TRUE(effect.Tick(1024, colour, level));
  EXPECT_EQ(level, 80);
  ASSERT_TRUE(effect.Tick(1222, colour, level));
  EXPECT_EQ(level, 0);

  effect.Set(SameModeEffect::kOff, Params(0, 4, 4));
  ASSERT_TRUE(effect.Tick(1224, colour, level));
  EXPECT_EQ(colour, Rgb{});
  EXPECT_EQ(level, 0);
}

TEST(HeadsetReports, OrderCodesCapAndKeptByte) {
  PointCanvas canvas(13);
  for (int i = 0; i < 13; ++i) canvas.Set(i, Rgb{uint8_t(10 * i), uint8_t(20 + i), 255}, 255);
  canvas.Set(6, Rgb{200, 100, 255}, 128);
  const auto reports = HeadsetLightReports(canvas);
  const std::vector<std::pair<int, int>> codes = {
      {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
      {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
  for (int r = 0; r < 12; ++r) {
    const auto& report = reports[r];
    EXPECT_EQ(report[0], 0xFF);
    EXPECT_EQ(report[1], codes[r].first) << r;
    EXPECT_EQ(report[2], codes[r].second) << r;
    const int channel = r / 4;
    const int first = r % 2 ? 7 : 0;
    for (int v = 0; v < (first ? 6 : 7); ++v) {
      const Rgb c = canvas.colours[first + v];
      const int raw = channel == 0 ? c.r : channel == 1 ? c.g : c.b;
      EXPECT_EQ(report[3 + v], std::min(Scale(raw, canvas.levels[first + v]), uint8_t{0xF7}))
          << r << "/" << v;
    }
    if (first) {
      EXPECT_EQ(report[9], reports[r - 1][9]) << r;  // point 6's value
    }
    for (int b = 10; b < 17; ++b) EXPECT_EQ(report[b], 0) << r;
  }
  EXPECT_EQ(reports[0][9], 100);
  EXPECT_EQ(reports[8][3], 0xF7);
}

}  // namespace
