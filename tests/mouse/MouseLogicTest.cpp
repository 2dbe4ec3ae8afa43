#include <gtest/gtest.h>

#include "lighting/LightingBytes.h"
#include "mouse/DpiSteps.h"
#include "mouse/MouseBlock.h"
#include "mouse/MouseButtonMap.h"
#include "profiles/CMouseProfiledata.h"

using mouse::SensorParameters;
using protocol::MouseParameters;

namespace {

// A list whose position 3 has the device value 7.
LightModeList ModesWithSevenAtThree() {
  LightModeList list;
  list.names = {"a", "b", "c", "d"};
  list.visible = {true, true, true, true};
  list.values = {0, 1, 2, 7};
  return list;
}

}  // namespace

// The coarse sensor climbs 200 DPI a step above step 48; typing a value
// gives the step it stands for, and the step back the same value.
TEST(DpiSteps, BothSensorFamiliesConvertBothWays) {
  const SensorParameters coarse{0x3325, 100, 70, 200};
  EXPECT_EQ(mouse::StepsToDpi(coarse, 48), 5000);
  EXPECT_EQ(mouse::StepsToDpi(coarse, 49), 5200);
  EXPECT_EQ(mouse::DpiToSteps(coarse, "5400"), 50);
  EXPECT_EQ(mouse::DpiToSteps(coarse, "5000"), 48);
  EXPECT_EQ(mouse::DpiToSteps(coarse, "5199"), 48);
  EXPECT_EQ(mouse::DpiToSteps(coarse, "150"), 0);
  EXPECT_EQ(mouse::DpiToSteps(coarse, ""), 0);
  for (int steps = 0; steps <= coarse.maxSteps; ++steps)
    EXPECT_EQ(mouse::DpiToSteps(coarse, QString::number(mouse::StepsToDpi(coarse, steps))), steps);
  // Beyond the last step: the last step.
  EXPECT_EQ(mouse::DpiToSteps(coarse, "999999"), 70);
  EXPECT_EQ(mouse::MaxDpi(coarse), mouse::StepsToDpi(coarse, 70));

  const SensorParameters fine{0x3395, 50, 520, 100};
  EXPECT_EQ(mouse::StepsToDpi(fine, 10), 600);
  EXPECT_EQ(mouse::DpiToSteps(fine, "620"), 10);
  EXPECT_EQ(mouse::StepsToDpi(fine, 60), 3100) << "no coarse steps on another sensor";
}

TEST(DpiSteps, AnUnreadSensorConvertsNothing) {
  const SensorParameters unread{};
  EXPECT_FALSE(unread.Valid());
  EXPECT_EQ(mouse::DpiToSteps(unread, "1600"), 0);
  protocol::DeviceInfo info;
  info.sensor = 0x3325;
  info.dpiStep = 100;
  info.dpiMax = 70;
  info.dpiBase = 200;
  EXPECT_EQ(SensorParameters::FromInfo(info), (SensorParameters{0x3325, 100, 70, 200}));
}

// The active stage and the only stage on cannot be switched off; the lock
// follows every change.
TEST(DpiSteps, EnableSwitchesLockTheActiveAndTheLastStage) {
  using Flags = std::array<bool, mouse::kStages>;
  EXPECT_EQ(mouse::LockedEnableSwitches({true, true, true, true, true}, 2),
            (Flags{false, false, true, false, false}));
  EXPECT_EQ(mouse::LockedEnableSwitches({false, false, false, false, true}, 0),
            (Flags{true, false, false, false, true}));
  // Once a second stage is on again, the first is free again.
  EXPECT_EQ(mouse::LockedEnableSwitches({false, true, false, false, true}, 4),
            (Flags{false, false, false, false, true}));
}

TEST(MouseBlock, StagesMissingAreZerosAndTheSelectedCorrectionIsSwapped) {
  mouse::MouseSettings settings;
  settings.light.SelectItem = 1;
  settings.light.Light = 3;
  settings.light.Speed = 1;
  settings.light.Red = 0x10;
  settings.stages = {{1, 0, 0x1234, 0x1234, 1, 2, 3}, {0, 1, 8, 9, 4, 5, 6}, {1, 0, 16, 16, 7, 8, 9}};
  settings.reportRate = 3;
  settings.activeStage = 1;
  settings.corrections = {{5, 6, 0, "a"}, {7, 9, 1, "b"}, {1, 1, 1, "c"}};
  mouse::BlockFrame frame{0, 1, 1920, 1080};
  const auto block = mouse::BuildMouseBlock(settings, LightModeList{}, frame);
  EXPECT_EQ(block[1], 1);
  EXPECT_EQ(block[2], 3);
  EXPECT_EQ(block[3], 3) << "4 - speed";
  EXPECT_EQ(block[6], 0x10);
  EXPECT_EQ(block[9], 0);
  EXPECT_EQ(block[11], 3);
  EXPECT_EQ(block[12], 1);
  EXPECT_EQ((std::vector<uint8_t>(block.begin() + 14, block.begin() + 23)),
            (std::vector<uint8_t>{1, 0, 0x34, 0x12, 0x34, 0x12, 1, 2, 3}));
  for (size_t i = 41; i <= 58; ++i)
    EXPECT_EQ(block[i], 0) << "byte " << i;
  EXPECT_EQ(block[59], 1);
  EXPECT_EQ(block[60] | block[61] << 8, 1920);
  EXPECT_EQ(block[62] | block[63] << 8, 1080);
  EXPECT_EQ(block[64], 9);
  EXPECT_EQ(block[65], 7);
  EXPECT_EQ(mouse::StagesOfBlock(block)[1], settings.stages[1]);

  settings.corrections = {{5, 6, 0, "a"}};
  const auto none = mouse::BuildMouseBlock(settings, LightModeList{}, frame);
  EXPECT_EQ(none[64], 0);
  EXPECT_EQ(none[65], 0);
}

// The mode byte maps to its list position; an unknown value stays raw; a
// speed byte past 4 reads as speed 0, never wrapped.
TEST(MouseBlock, ReadingTheLightingMapsTheModeAndHoldsTheLevels) {
  const LightModeList modes = ModesWithSevenAtThree();
  ASSERT_EQ(modes.Count(), 4);
  MouseParameters::Bytes block{};
  block[1] = 7;
  block[2] = 9;
  block[3] = 200;
  block[4] = 1;
  LightInfo info;
  info.Fx = 0;
  lighting::ReadMouseLighting(block, info, modes);
  EXPECT_EQ(info.SelectItem, 3);
  EXPECT_EQ(info.Light, 4);
  EXPECT_EQ(info.Speed, 0);
  EXPECT_EQ(info.Fx, 0) << "the direction stays the page's";
  block[1] = 9;
  block[3] = 1;
  lighting::ReadMouseLighting(block, info, modes);
  EXPECT_EQ(info.SelectItem, 9);
  EXPECT_EQ(info.Speed, 3);
}

// Each button is the first slot holding its factory function; a count
// beyond the table's 170 slots reads no further.
TEST(MouseButtons, EachButtonIsTheFirstSlotWithItsFactoryFunction) {
  std::vector<uint8_t> table(512, 0);
  auto put = [&table](int slot, keys::FunctionCode code) { code.WriteSlot(table, static_cast<size_t>(slot)); };
  put(4, keys::MouseFactoryFunctions[0]);
  put(2, keys::MouseFactoryFunctions[1]);
  put(7, keys::MouseFactoryFunctions[1]);
  put(169, keys::MouseFactoryFunctions[2]);
  auto map = mouse::BuildButtonMap(table, 255);
  EXPECT_EQ(map[0], 4);
  EXPECT_EQ(map[1], 2);
  EXPECT_EQ(map[2], 169);
  EXPECT_EQ(map[3], mouse::kNoSlot);
  map = mouse::BuildButtonMap(table, 100);
  EXPECT_EQ(map[2], mouse::kNoSlot) << "slot 169 is beyond the 100 the mouse has";
}

// The shipped mouse profile's buttons are the factory functions the mouse's
// key table holds, button for button.
TEST(MouseButtons, TheProfileTemplateMatchesTheFactoryFunctions) {
  CMouseProfiledata profile;
  profile.LoadProfile(TRAVIX_SOURCE_DIR "/DefaultData/mouse.Json");
  const std::vector<KeyListEntry> keys = profile.GetKeyList();
  ASSERT_EQ(keys.size(), keys::MouseFactoryFunctions.size());
  for (size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(keys::CodeOf(keys[i].Default), keys::MouseFactoryFunctions[i]) << "button " << i;
}
