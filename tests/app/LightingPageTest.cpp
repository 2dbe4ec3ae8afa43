#include <gtest/gtest.h>

#include "app/CAudioRecorImpl.h"
#include "app/LightingCommands.h"
#include "devices/CVarnisMouseDevice.h"
#include "lighting/LightInfoWords.h"
#include "lighting/LedCanvas.h"
#include "lighting/LightTables.h"
#include "platform/WindowMessages.h"
#include "support/PrivateXServer.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CLightControlUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

constexpr int kPositionA = 64;

// The keyboard's lighting panel on the shipped skin, against the simulator.
class LightingPage : public testing_support::SimulatedKeyboardPage {
 protected:
  CLightControlUI* Panel() { return keyboard_->LightPanel(); }
  void Click(const char* name) {
    auto* button = Control<CButtonUI>(name);
    ASSERT_NE(button, nullptr);
    button->Activate();
    Settle();
  }
  // The user leaves an edit.
  void Leave(CControlUI* edit) {
    TNotifyUI msg;
    msg.sType = QStringLiteral("killfocus");
    msg.pSender = edit;
    window_->Notify(msg);
    Settle();
  }
  // A message to the main window as another program sends it.
  void Send(const char* name, platform::WParam wParam, platform::LParam lParam) {
    platform::SendWindowMessage(window_->GetHWND(), platform::RegisterMessageName(name),
                                wParam, lParam);
  }
};

}  // namespace

TEST_F(LightingPage, TheColourEditsKeepTheirValuesInRangeAndClearMulticolour) {
  Start();
  SelectMode(1);
  Control<COptionUI>("deng_7color_check")->Selected(true);
  Settle();
  ASSERT_EQ(Light().MultiColor, 1);
  auto* green = Control<CEditUI>("deng_edit_G");
  green->SetText("300");
  Leave(green);
  EXPECT_EQ(Light().Green, 255);
  EXPECT_EQ(green->GetText(), "255");
  EXPECT_EQ(Light().MultiColor, 0);
  EXPECT_FALSE(Panel()->GetMultiColour());
  EXPECT_EQ(Block()[7], 255);
  EXPECT_EQ(Block()[5], 0);
  EXPECT_EQ(ProfileSection()["LightInfo"]["Green"].asInt(), 255);

  auto* blue = Control<CEditUI>("deng_edit_B");
  blue->SetText("");
  Leave(blue);
  EXPECT_EQ(blue->GetText(), "0");
  EXPECT_EQ(Block()[8], 0);
}

TEST_F(LightingPage, ModeBrightnessSpeedAndDirectionReachTheBlock) {
  Start();
  SelectMode(12);  // a mode with a direction
  Control<CSliderUI>("deng_light_slider")->SetValue(3, true);
  Control<CSliderUI>("deng_speed_slider")->SetValue(1, true);
  Control<COptionUI>("deng_FXL_check")->Selected(true);
  Settle();
  const auto block = Block();
  EXPECT_EQ(block[1], 12);
  EXPECT_EQ(block[2], 3);
  EXPECT_EQ(block[3], 3) << "the device takes 4 - speed";
  EXPECT_EQ(block[4], 1);
  Control<COptionUI>("deng_FXR_check")->Selected(true);
  Settle();
  EXPECT_EQ(Block()[4], 0);
  EXPECT_EQ(Light().Fx, 0);
  // A swatch takes its colour.
  Click("color_option_4");
  const uint32_t swatch = Panel()->GetPresetColour(4);
  EXPECT_EQ(Block()[6], (swatch >> 16) & 0xFF);
  EXPECT_EQ(Block()[7], (swatch >> 8) & 0xFF);
  EXPECT_EQ(Block()[8], swatch & 0xFF);
}

TEST_F(LightingPage, TheSameModeButtonNeedsASecondDeviceAndACommonEffect) {
  Start();
  SelectMode(5);
  auto* same = Control<CControlUI>("deng_same_mode");
  EXPECT_FALSE(same->IsOwnVisible()) << "one page only";
  ASSERT_TRUE(simulator_->Plug("pad"));
  ASSERT_TRUE(RunUntil([&] { return Panel()->IsSameModeAvailable() != 0; }));
  SelectMode(5);
  EXPECT_TRUE(same->IsOwnVisible());

  // Mode 7 has no common effect: nothing changes.
  SelectMode(7);
  const int writes = CommandCount(0x06);
  EXPECT_FALSE(window_->Lighting().ApplySameMode());
  EXPECT_EQ(CommandCount(0x06), writes);
  EXPECT_EQ(window_->Lighting().SameModeEffect(), LightingCommands::CommonEffect::None);

  // Breathing: the keyboard follows with its breathing position.
  SelectMode(5);
  EXPECT_TRUE(window_->Lighting().ApplySameMode());
  EXPECT_EQ(window_->Lighting().SameModeEffect(), LightingCommands::CommonEffect::Breathing);
  EXPECT_TRUE(keyboard_->Commands.LightFollower);
  EXPECT_EQ(Block()[1], 5);
  // A change on the page ends the following.
  Control<CSliderUI>("deng_light_slider")->SetValue(1, true);
  Settle();
  EXPECT_FALSE(keyboard_->Commands.LightFollower);
}

TEST_F(LightingPage, CommonEffectsHaveAPositionOnEveryKind) {
  using E = LightingCommands::CommonEffect;
  struct Row {
    int kind;
    int positions[5];
  };
  for (const Row& row : {Row{1, {5, 6, 34, 4, 21}}, Row{2, {2, 3, 4, 1, 10}},
                         Row{3, {2, 3, 4, 1, 8}}, Row{7, {2, 3, 4, 1, 8}}}) {
    int i = 0;
    for (E effect : {E::Breathing, E::Static, E::Blink, E::ColourCycle, E::Off}) {
      EXPECT_EQ(LightingCommands::CommonEffectPosition(row.kind, effect), row.positions[i]);
      EXPECT_EQ(LightingCommands::CommonEffectOf(row.kind, row.positions[i]), effect);
      ++i;
    }
  }
  EXPECT_EQ(LightingCommands::CommonEffectOf(1, 7), E::None);
  EXPECT_EQ(LightingCommands::CommonEffectPosition(9, E::Static), -1);
}

TEST_F(LightingPage, CustomColoursPaintKeysAndWriteTheColourTable) {
  Start();
  SelectMode(20);
  Control<CComboUI>("light_combo_custommodeSelect")->SelectItem(1, false, true);
  Settle();
  EXPECT_EQ(Block()[25], 1);
  EXPECT_EQ(ProfileSection()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 1);
  // Off: the first 126 keys black in group 1's table.
  Click("custom_off_color_btn");
  auto table = Memory("colour_tables");
  const int slotCount = keyboard_->SlotCount();
  for (int i = 0; i < slotCount * 3; ++i)
    ASSERT_EQ(table[512 + i], 0) << i;

  // Paint A with the colour of a swatch.
  Click("color_option_0");
  const uint32_t colour = Panel()->GetPresetColour(0);
  auto* a = keyboard_->KeyControls()[kPositionA];
  ASSERT_NE(a, nullptr);
  keyboard_->ShowPage(1);
  qobject_cast<CButtonUI*>(a)->Activate();
  Settle();
  EXPECT_EQ(keyboard_->CustomColour(kPositionA) & 0xFFFFFF,
            ((colour >> 16) & 0xFF) | (colour & 0xFF00) | (colour & 0xFF) << 16);
  table = Memory("colour_tables");
  const int slot = keyboard_->PositionToSlot(kPositionA);
  EXPECT_EQ(table[512 + slot * 3], (colour >> 16) & 0xFF);
  EXPECT_EQ(table[512 + slot * 3 + 1], (colour >> 8) & 0xFF);
  EXPECT_EQ(table[512 + slot * 3 + 2], colour & 0xFF);
  // The group keeps it in the profile.
  const Json::Value group = ProfileSection()["CustomLightMode"];
  EXPECT_FALSE(group.isNull());
  // Outside mode 20 a click paints nothing.
  SelectMode(6);
  const uint32_t before = keyboard_->CustomColour(kPositionA + 1);
  qobject_cast<CButtonUI*>(keyboard_->KeyControls()[kPositionA + 1])->Activate();
  Settle();
  EXPECT_EQ(keyboard_->CustomColour(kPositionA + 1), before);
}

TEST_F(LightingPage, AGameEventChangesTheModeUntilTheTimerGivesTheUsersBack) {
  Start();
  SelectMode(6);
  LightingCommands& lighting = window_->Lighting();
  // mode 5, brightness 2, speed 3, direction 1.
  lighting.OnGameEvent(0, 5 | 2 << 8 | 3 << 16 | 1 << 24);
  Settle();
  EXPECT_EQ(Light().SelectItem, 5);
  EXPECT_EQ(Light().Light, 2);
  EXPECT_EQ(Light().Speed, 3);
  EXPECT_EQ(Light().OldLedmode, 6);
  EXPECT_EQ(Block()[1], 5);
  // A second event before the timer keeps the user's mode, not the game's.
  lighting.OnGameEvent(0, 34 | 4 << 8);
  EXPECT_EQ(Light().SelectItem, 34);
  EXPECT_EQ(Light().OldLedmode, 6);
  lighting.OnGameTimer();
  Settle();
  EXPECT_EQ(Light().SelectItem, 6);
  EXPECT_EQ(Panel()->GetMode(), 6);
  EXPECT_EQ(Block()[1], 6);

  // wParam 1 and 2 set only the mode; other values nothing.
  lighting.OnGameEvent(1, 4);
  EXPECT_EQ(Light().SelectItem, 4);
  lighting.OnGameEvent(7, 5);
  EXPECT_EQ(Light().SelectItem, 4);
}

TEST_F(LightingPage, HostileValuesNeverLeaveTheirRanges) {
  Start();
  // From another program: mode 255, brightness 200, speed 9.
  window_->Lighting().OnGameEvent(0, 255 | 200 << 8 | 9 << 16 | 7 << 24);
  Settle();
  EXPECT_LT(Light().SelectItem, keyboard_->ModeCount());
  EXPECT_LE(Light().Light, 4);
  EXPECT_LE(Light().Speed, 4);
  auto block = Block();
  EXPECT_LE(block[2], 4);
  EXPECT_LE(block[3], 4);
  EXPECT_LE(block[4], 1);

  // From the profile file.
  keyboard_->Profile().SetLightInfo(LightInfo{255, 200, 9, 5, 3, 1, 2, 3});
  keyboard_->SaveProfile();
  keyboard_->LoadProfileState();
  EXPECT_LT(Light().SelectItem, keyboard_->ModeCount());
  EXPECT_EQ(Light().Light, 4);
  EXPECT_EQ(Light().Speed, 4);
  EXPECT_EQ(Light().Fx, 1);
  ASSERT_EQ(keyboard_->WriteParameterBlock(0, 0, 1, 0, 0), 1);
  Settle();
  block = Block();
  EXPECT_EQ(block[2], 4);
  EXPECT_EQ(block[3], 0);
}

TEST_F(LightingPage, GameEventsArriveAsWindowMessagesAndTheTimerEndsThem) {
  Start();
  window_->SetGameLightDelay(100);
  SelectMode(6);
  Send("Game_Start", 0, 34 | 4 << 8);
  Settle();
  EXPECT_EQ(Light().SelectItem, 34);
  EXPECT_EQ(Block()[1], 34);
  Send("Game_Kill", 1, 5);
  EXPECT_EQ(Light().SelectItem, 5);
  ASSERT_TRUE(RunUntil([&] { return Light().SelectItem == 6; }, 2000));
  Settle();
  EXPECT_EQ(Block()[1], 6);
}

TEST_F(LightingPage, AKeyPressFromTheKeyboardLightsItsKeyInTheFadeMode) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return keyboard_->IsEventInterfaceOpen(false); }));
  SelectMode(7);
  const int slot = keyboard_->PositionToSlot(kPositionA);
  ASSERT_LT(slot, 255);
  RunFor(100);
  EXPECT_EQ(lighting::UnpackLevel(keyboard_->GetLedColour(kPositionA)), 0) << "dark before the press";
  ASSERT_TRUE(simulator_->SendEvent(sim::DeviceKind::Keyboard, static_cast<uint16_t>(0x0500 + slot)));
  ASSERT_TRUE(RunUntil([&] { return lighting::UnpackLevel(keyboard_->GetLedColour(kPositionA)) > 0; }, 3000));
  // Its neighbour stays dark.
  EXPECT_EQ(lighting::UnpackLevel(keyboard_->GetLedColour(kPositionA + 1)), 0);
}

TEST_F(LightingPage, TheScreenColourIsStreamedOnlyWhileTheProgramControlsTheLights) {
  Start();
  SelectMode(30);
  const int values[6] = {10, 200, 30, 0, 0, 0};
  keyboard_->SetScreenColour(values, 6);
  const int led = keyboard_->PositionToLed(kPositionA);
  ASSERT_LT(led, 255);
  const int level = lighting::LevelTable[Light().Light];
  // The light thread draws the colour and streams the frame, on its own.
  auto streamed = [&] {
    const auto frame = Memory("light_frame");
    return frame[led * 3] == lighting::Scale(10, level) &&
           frame[led * 3 + 1] == lighting::Scale(200, level) &&
           frame[led * 3 + 2] == lighting::Scale(30, level);
  };
  EXPECT_TRUE(RunUntil(streamed, 3000));

  keyboard_->SetLightControl(0);
  Settle();
  RunFor(3 * KeyboardCore::kFrameIntervalMs);
  const int streams = CommandCount(0x12);
  RunFor(3 * KeyboardCore::kFrameIntervalMs);
  EXPECT_EQ(CommandCount(0x12), streams) << "nothing is streamed while light control is off";
  keyboard_->SetLightControl(1);
  Settle();
  EXPECT_TRUE(RunUntil([&] { return CommandCount(0x12) > streams; }, 3000));

  // An ordinary mode runs on the keyboard itself: nothing is streamed.
  SelectMode(6);
  RunFor(3 * KeyboardCore::kFrameIntervalMs);
  const int streamsStatic = CommandCount(0x12);
  RunFor(3 * KeyboardCore::kFrameIntervalMs);
  EXPECT_EQ(CommandCount(0x12), streamsStatic);
}

// The screen mode reads the real screen: the sampler runs while the
// keyboard shows it, and the keyboard streams the screen's colour; another
// mode stops the sampler.
TEST_F(LightingPage, TheScreenModeStreamsTheScreensColourWhileItIsShown) {
  testing_support::XServer x;
  x.Start();
  if (x.display.empty())
    GTEST_SKIP() << x.failure;
  testing_support::RootPainter painter(x.display);
  ASSERT_TRUE(painter.Connected());
  painter.Solid(0xFF0000);
  CAudioRecorImpl::Get().SetScreenDisplay(x.display);
  Start();
  EXPECT_FALSE(CAudioRecorImpl::Get().IsScreenRunning()) << "nothing sampled while unused";
  SelectMode(30);
  ASSERT_TRUE(RunUntil([&] { return CAudioRecorImpl::Get().IsScreenRunning(); }));
  const int led = keyboard_->PositionToLed(kPositionA);
  ASSERT_LT(led, 255);
  const int level = lighting::LevelTable[Light().Light];
  auto streams = [&](int red, int green, int blue) {
    return [=, this] {
      const auto frame = Memory("light_frame");
      return frame[led * 3] == lighting::Scale(red, level) &&
             frame[led * 3 + 1] == lighting::Scale(green, level) &&
             frame[led * 3 + 2] == lighting::Scale(blue, level);
    };
  };
  EXPECT_TRUE(RunUntil(streams(255, 0, 0), 3000));
  painter.Solid(0x0000FF);
  EXPECT_TRUE(RunUntil(streams(0, 0, 255), 3000));

  SelectMode(6);
  EXPECT_TRUE(RunUntil([&] { return !CAudioRecorImpl::Get().IsScreenRunning(); }));
  window_.reset();
  CAudioRecorImpl::Get().SetScreenDisplay({});
}

TEST_F(LightingPage, FollowersArePaintedByTheCommonEffect) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  SelectMode(6);  // static
  ASSERT_TRUE(RunUntil([&] { return Panel()->IsSameModeAvailable() != 0; }));
  // The page's own effect stops drawing; the common one paints black first.
  for (int i = 0; i < keyboard_->GetLedCount(); ++i)
    keyboard_->SetLedColour(i, 0);
  ASSERT_TRUE(window_->Lighting().ApplySameMode());
  ASSERT_TRUE(keyboard_->Commands.LightFollower);
  const LightInfo light = Light();
  const uint32_t expected = lighting::PackLed({light.Red, light.Green, light.Blue},
                                             lighting::LevelTable[light.Light]);
  EXPECT_TRUE(RunUntil([&] { return keyboard_->GetLedColour(kPositionA) == expected; }, 3000));
}

// Another kind follows too: the mouse stops its own effect and shows the
// keyboard's common one.
TEST_F(LightingPage, TheMouseFollowsTheKeyboardsCommonEffect) {
  ASSERT_TRUE(simulator_->Plug("mouse"));
  Start();
  CVarnisMouseDevice* mouse = nullptr;
  ASSERT_TRUE(RunUntil([&] {
    const auto& list = window_->Pages().Devices(DevicePageSet::Mouse);
    mouse = list.empty() ? nullptr : qobject_cast<CVarnisMouseDevice*>(list.front());
    return mouse != nullptr && mouse->Mouse().FirstContactComplete();
  }));
  SelectMode(6);  // static
  ASSERT_TRUE(RunUntil([&] { return Panel()->IsSameModeAvailable() != 0; }));
  ASSERT_TRUE(window_->Lighting().ApplySameMode());
  EXPECT_TRUE(mouse->Commands.LightFollower);
  const LightInfo light = Light();
  const uint32_t expected = lighting::PackLed({light.Red, light.Green, light.Blue},
                                             lighting::LevelTable[light.Light]);
  EXPECT_TRUE(RunUntil([&] { return mouse->GetLedColour(0) == expected; }, 3000));
  // The mouse's own light pass leaves the lights to the common effect.
  mouse->SetLedColour(0, 0);
  mouse->Mouse().LightPass();
  EXPECT_EQ(mouse->GetLedColour(0), 0u);
}

TEST_F(LightingPage, ThePaletteAndTheSecondZoneReachTheProfileAndTheBlock) {
  Start();
  SelectMode(1);
  auto* palette = Control<CColorPaletteUI>("deng_Color_Pallet");
  ASSERT_NE(palette, nullptr);
  palette->SetSelectColor(0xFF123456);
  TNotifyUI msg;
  msg.sType = QStringLiteral("colorchanged");
  msg.pSender = palette;
  window_->Notify(msg);
  Settle();
  EXPECT_EQ(Block()[6], 0x12);
  EXPECT_EQ(Block()[7], 0x34);
  EXPECT_EQ(Block()[8], 0x56);
  EXPECT_EQ(Control<CEditUI>("deng_edit_R")->GetText(), "18");
  EXPECT_EQ(ProfileSection()["LightInfo"]["Blue"].asInt(), 0x56);

  SelectMode(17);
  Control<CComboUI>("light_combo_ZZCCmodeSelect")->SelectItem(2, false, true);
  Settle();
  EXPECT_EQ(Light().ZZCCLedMode, 2);
  EXPECT_EQ(Block()[18], 2);
  EXPECT_EQ(ProfileSection()["LightInfo"]["ZZCCLedMode"].asInt(), 2);
}
