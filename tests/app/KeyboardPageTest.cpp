#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QTemporaryDir>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "keys/KeyTables.h"
#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "support/SimulatedKeyboardPage.h"
#include "app/ProfileCommands.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CDeviceProfileUI.h"

using namespace toolkit;
using sim::DeviceKind;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

constexpr int kPositionA = 64;    // printed "A"
constexpr int kPositionB = 89;    // printed "B"
constexpr int kPositionEsc = 0;
constexpr int kPositionLCtrl = 105;

using KeyboardPage = testing_support::SimulatedKeyboardPage;

}  // namespace

TEST_F(KeyboardPage, FirstContactMapsEveryPrintedKeyToItsSlotAndLight) {
  Start();
  EXPECT_EQ(keyboard_->SlotCount(), 126);
  EXPECT_GE(CommandCount(0x03), 1);
  EXPECT_GE(CommandCount(0x07), 1);
  EXPECT_GE(CommandCount(0x1B), 1);
  const auto table = Memory("key_table");
  for (int position = 0; position < CVarnisKeyboardDevice::kPositions; ++position) {
    SCOPED_TRACE(position);
    const uint8_t slot = keyboard_->PositionToSlot(position);
    if (keys::KeyPositionTable[position] == keys::kNoRow) {
      EXPECT_EQ(slot, 255) << "a position without a key maps to nothing";
      continue;
    }
    ASSERT_LT(slot, 126);
    const keys::FunctionCode printed = keys::PrintedFunction(position);
    EXPECT_EQ(table[slot * 3], printed.Type);
    EXPECT_EQ(table[slot * 3 + 1], printed.Code1);
    EXPECT_EQ(table[slot * 3 + 2], printed.Code2);
    EXPECT_EQ(keyboard_->PositionToLed(position), position) << "the simulator lights key N with LED N";
  }
  // The key list and the labels come from the profile made from the template.
  ASSERT_EQ(keyboard_->KeyList().size(), 170u);
  auto* esc = qobject_cast<CDeviceKeyButtonUI*>(keyboard_->KeyControls()[kPositionEsc]);
  ASSERT_NE(esc, nullptr);
  EXPECT_EQ(esc->GetKeyUnsetHidden(), 0) << "Esc does what it says";
  EXPECT_TRUE(esc->GetToolTip().startsWith("Esc")) << esc->GetToolTip().toStdString();
}

TEST_F(KeyboardPage, TwoSlotsWithOneFunctionMapToTheLowerSlot) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  // Slot 0 (Left Ctrl) now also says Esc.
  const std::array<uint8_t, 3> esc{0x20, 0x00, 0x29};
  ASSERT_TRUE(Firmware().Poke("key_table", 0, esc));
  Start();
  EXPECT_EQ(keyboard_->PositionToSlot(kPositionEsc), 0);
  EXPECT_EQ(keyboard_->PositionToSlot(kPositionLCtrl), 255) << "no slot says Left Ctrl any more";
}

TEST_F(KeyboardPage, MacrosBeyondTheListAndFnRecordsEqualToTheDefaultAreNotSent) {
  Start();
  WriteMacroList(2);
  const uint8_t slotA = keyboard_->PositionToSlot(kPositionA);
  const uint8_t slotB = keyboard_->PositionToSlot(kPositionB);
  ASSERT_NE(slotA, 255);
  ASSERT_NE(slotB, 255);

  // A: macro 3 on both layers while two macros exist.
  keyboard_->SelectKey(kPositionA);
  KeyListEntry entry = keyboard_->KeyList()[kPositionA];
  entry.Normal = {kPositionA, 0x70, 3, 0, 0};
  entry.Fn = {kPositionA, 0x70, 3, 0, 0};
  keyboard_->SetKeyAssignment(entry);
  // B: macro 1 on the normal layer, its default on the Fn layer.
  keyboard_->SelectKey(kPositionB);
  entry = keyboard_->KeyList()[kPositionB];
  entry.Normal = {kPositionB, 0x70, 1, 2, 0};
  entry.Fn = entry.Default;
  keyboard_->SetKeyAssignment(entry);

  ASSERT_EQ(keyboard_->DownloadKeys(0), 1);

  Settle();
  EXPECT_EQ(SlotEntry("key_table", slotA), (std::array<uint8_t, 3>{0x20, 0x00, 0x04}))
      << "the normal layer falls back to the default";
  EXPECT_EQ(SlotEntry("fn_key_table", slotA), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(SlotEntry("key_table", slotB), (std::array<uint8_t, 3>{0x70, 0, 2}))
      << "macro 1 is the first macro sent";
  EXPECT_EQ(SlotEntry("fn_key_table", slotB), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(keyboard_->GetUsedMacros(), std::vector<int>{1});
  // The profile keeps the macro numbers the user chose.
  EXPECT_EQ(keyboard_->KeyList()[kPositionB].Normal.Code1, 1);
  keyboard_->SaveProfile();
  const Json::Value keyList = ProfileSection()["KeyList"];
  EXPECT_EQ(keyList[kPositionA]["Assignment"].asInt(), 0x700300);

  // An Fn record of its own goes out as it is.
  keyboard_->SelectKey(kPositionB);
  entry.Fn = {kPositionB, 0x20, 0x00, 0x06, 0};
  keyboard_->SetKeyAssignment(entry);
  ASSERT_EQ(keyboard_->DownloadKeys(0), 1);
  Settle();
  EXPECT_EQ(SlotEntry("fn_key_table", slotB), (std::array<uint8_t, 3>{0x20, 0, 6}));

  // Macros deleted: the key falls back to its default and the profile too.
  WriteMacroList(1);
  keyboard_->DropInvalidMacroKeys();
  EXPECT_EQ(keyboard_->KeyList()[kPositionB].Normal, keyboard_->KeyList()[kPositionB].Default);
  EXPECT_EQ(keyboard_->KeyList()[kPositionA].Normal, keyboard_->KeyList()[kPositionA].Default);
}

TEST_F(KeyboardPage, HostDrawnModesGoOutAsFeAndEveryOtherByteAsTheProfileSays) {
  Start();
  const int audio = keyboard_->ModeList().PositionOf(29);
  ASSERT_GE(audio, 0);
  for (int value : {29, 30, 6}) {
    SCOPED_TRACE(value);
    LightWords words = keyboard_->GetLightInfo();
    words.A = (words.A & ~0xFFu) | static_cast<uint32_t>(keyboard_->ModeList().PositionOf(value));
    keyboard_->SetLightInfo(words.A, words.B, words.C, words.D, words.E);
    ASSERT_EQ(keyboard_->WriteParameterBlock(0, 0, 1, 1920, 1080), 1);
    Settle();
    EXPECT_EQ(Block()[1], value == 6 ? 6 : 0xFE);
  }
  // Reading 0xFE back keeps a host-drawn mode.
  ASSERT_TRUE(ReadBlock());
  EXPECT_EQ(keyboard_->GetLightInfo().A & 0xFF, static_cast<uint32_t>(keyboard_->ModeList().PositionOf(6)));
}

TEST_F(KeyboardPage, EverySettingChangesTheProfileAndTheDeviceWhereItShould) {
  Start();
  const int writesBefore = CommandCount(0x06);

  Control<COptionUI>("winlockflag_option")->Selected(true);
  Settle();
  EXPECT_EQ(Block()[21], 1);
  EXPECT_EQ(ProfileSection()["SystemStages"]["WinFlag"].asInt(), 1);

  Control<COptionUI>("wflag_option")->Selected(true);
  Control<COptionUI>("6flag_option")->Selected(true);
  Control<COptionUI>("polling_rate_option_2")->Selected(true);
  Settle();
  const auto block = Block();
  EXPECT_EQ(block[19], 1);
  EXPECT_EQ(block[20], 1);
  EXPECT_EQ(block[22], 2);
  EXPECT_EQ(block[16], 0);
  Json::Value system = ProfileSection()["SystemStages"];
  EXPECT_EQ(system["WFlag"].asInt(), 1);
  EXPECT_EQ(system["Key6Flag"].asInt(), 1);
  EXPECT_EQ(system["PollingRate"].asInt(), 2);
  const int writesAfterFlags = CommandCount(0x06);
  EXPECT_EQ(writesAfterFlags - writesBefore, 4);

  // Repeat rate and delay stay on the computer.
  Control<COptionUI>("repeat_delay_check_3")->Selected(true);
  Control<CSliderUI>("repeat_rate_slider")->SetValue(7, true);
  Settle();
  system = ProfileSection()["SystemStages"];
  EXPECT_EQ(system["RepeatDelay"].asInt(), 3);
  EXPECT_EQ(system["Repeat"].asInt(), 7);
  EXPECT_TRUE(Control<CControlUI>("repeat_delay_time_label1")->GetText().endsWith("1000ms"));
  EXPECT_EQ(CommandCount(0x06), writesAfterFlags) << "nothing is sent for the repeat settings";

  // Switching the lock off again.
  Control<COptionUI>("winlockflag_option")->Selected(false);
  Settle();
  EXPECT_EQ(Block()[21], 0);

  // The sensitivity is kept with the lighting and the block is written.
  Control<CSliderUI>("voice_sensitivity")->SetValue(33, true);
  Settle();
  EXPECT_EQ(ProfileSection()["LightInfo"]["byVoiceSensitivity"].asInt(), 33);
  EXPECT_EQ(Control<CControlUI>("voice_sensitivity_value")->GetText(), "33");
  EXPECT_EQ(keyboard_->GetLightInfo().E, 33);
}

TEST_F(KeyboardPage, AStoredReportRateOutOfRangeShowsTheFirstOptionAndIsSentAsItIs) {
  Start();
  keyboard_->Profile().SetKeyboardSystem(0, 7u << 16, 0, 0);
  keyboard_->SaveProfile();
  keyboard_->LoadProfileState();
  keyboard_->RefreshView();
  EXPECT_TRUE(Control<COptionUI>("polling_rate_option_0")->IsSelected());
  ASSERT_EQ(keyboard_->WriteParameterBlock(0, 0, 1, 0, 0), 1);
  Settle();
  EXPECT_EQ(Block()[22], 7);
}

TEST_F(KeyboardPage, TheFnSwitchShowsTheOtherLayerAndComesBack) {
  Start();
  auto* esc = qobject_cast<CDeviceKeyButtonUI*>(keyboard_->KeyControls()[kPositionEsc]);
  ASSERT_NE(esc, nullptr);
  const QString normalTip = esc->GetToolTip();
  keyboard_->ShowPage(2);
  auto* fnSwitch = Control<COptionUI>("keyset_fn");
  fnSwitch->Selected(!fnSwitch->IsSelected());
  Settle();
  EXPECT_TRUE(keyboard_->IsFnLayer());
  EXPECT_TRUE(ProfileSection()["FnKeysetFlag"].asBool());
  EXPECT_NE(esc->GetToolTip(), normalTip) << "the Fn layer of Esc is empty";
  EXPECT_FALSE(esc->IsEnabled()) << "Esc is reserved on the Fn layer";
  EXPECT_TRUE(keyboard_->KeyControls()[keys::kFnKeyPosition]->IsEnabled());

  fnSwitch->Selected(!fnSwitch->IsSelected());
  Settle();
  EXPECT_FALSE(keyboard_->IsFnLayer());
  EXPECT_FALSE(ProfileSection()["FnKeysetFlag"].asBool());
  EXPECT_EQ(esc->GetToolTip(), normalTip);
  EXPECT_TRUE(esc->IsEnabled());
  EXPECT_FALSE(keyboard_->KeyControls()[keys::kFnKeyPosition]->IsEnabled())
      << "the Fn key itself cannot be assigned";
  keyboard_->ShowPage(1);
  EXPECT_TRUE(keyboard_->KeyControls()[keys::kFnKeyPosition]->IsEnabled());
}

TEST_F(KeyboardPage, ProfileEventsSetTheActiveProfileAndTheStateByte) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return keyboard_->IsEventInterfaceOpen(false); }));
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x1152));
  ASSERT_TRUE(RunUntil([&] { return keyboard_->ActiveProfile() == 2; }));
  EXPECT_EQ(keyboard_->LastBlock()[17], 5);
  EXPECT_EQ(keyboard_->LastBlock()[0], 2);
}

TEST_F(KeyboardPage, AResetEventRestoresTheProfileWhileAResyncOnlyRereads) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return keyboard_->IsEventInterfaceOpen(false); }));
  keyboard_->SelectKey(kPositionA);
  KeyListEntry entry = keyboard_->KeyList()[kPositionA];
  entry.Normal = {kPositionA, 0x20, 0x00, 0x05, 0};
  keyboard_->SetKeyAssignment(entry);
  keyboard_->SaveProfile();
  const QString name = QString::fromStdString(
      JsonFile().ReadJson(keyboard_->ProfilePath())["profilename"].asString());

  // A resync rereads the block and keeps the profile.
  int reads = CommandCount(0x05);
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x0401));
  ASSERT_TRUE(RunUntil([&] { return CommandCount(0x05) >= reads + 2; }));
  EXPECT_EQ(ProfileSection()["KeyList"][kPositionA]["Assignment"].asInt(), 0x200005);

  // The device was reset: the profile goes back to the template, name kept.
  reads = CommandCount(0x05);
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x0402));
  ASSERT_TRUE(RunUntil([&] { return CommandCount(0x05) >= reads + 2; }));
  Settle();
  EXPECT_EQ(ProfileSection()["KeyList"][kPositionA]["Assignment"].asInt(), 0x200004);
  EXPECT_EQ(keyboard_->KeyList()[kPositionA].Normal, keyboard_->KeyList()[kPositionA].Default);
  EXPECT_EQ(QString::fromStdString(JsonFile().ReadJson(keyboard_->ProfilePath())["profilename"].asString()), name);
  EXPECT_EQ(CVarnisKeyboardDevice::PendingReset(), 0);
}

TEST_F(KeyboardPage, AFailedReadChangesNothingAndSavesNothing) {
  Start();
  const QByteArray before = [&] {
    QFile file(keyboard_->ProfilePath());
    file.open(QIODevice::ReadOnly);
    return file.readAll();
  }();
  const LightWords words = keyboard_->GetLightInfo();
  Firmware().SetFault(*sim::Fault::Parse("status-ff"));
  EXPECT_FALSE(ReadBlock());
  Firmware().SetFault(*sim::Fault::Parse("none"));
  EXPECT_EQ(keyboard_->GetLightInfo(), words);
  QFile file(keyboard_->ProfilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
}

// A device that answers each request late (the previous request's answer
// first) is read cleanly all the same: same-command answers of other
// positions are not taken.
TEST_F(KeyboardPage, AStaleFirstContactReadsTheSameAsACleanOne) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Firmware().SetFault(*sim::Fault::Parse("stale"));
  Start();
  EXPECT_TRUE(keyboard_->FirstContactComplete());
  const LightWords read = keyboard_->GetLightInfo();
  const Json::Value saved = ProfileSection()["LightInfo"];
  Firmware().SetFault(*sim::Fault::Parse("none"));
  ASSERT_TRUE(ReadBlock());
  EXPECT_EQ(keyboard_->GetLightInfo(), read);
  EXPECT_EQ(ProfileSection()["LightInfo"], saved);
  EXPECT_EQ(saved["SelectItem"].asInt(), keyboard_->ModeList().PositionOf(Block()[1]))
      << "the device's mode, not a stale byte";
}

TEST_F(KeyboardPage, AFirstContactThatFailsIsReadAgainOnceTheDeviceAnswers) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Firmware().SetFault(*sim::Fault::Parse("status-ff"));
  platform::DebugCapture capture;
  window_ = std::make_unique<CMainWnd>();
  ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
  ASSERT_TRUE(testing_support::RunUntil([&] { return capture.Contains("first contact incomplete"); }));
  keyboard_ = Keyboard();
  ASSERT_NE(keyboard_, nullptr);
  EXPECT_FALSE(keyboard_->FirstContactComplete());
  EXPECT_EQ(keyboard_->SlotCount(), 0);
  Firmware().SetFault(*sim::Fault::Parse("none"));
  ASSERT_TRUE(testing_support::RunUntil([&] { return keyboard_->FirstContactComplete(); }, 4000));
  EXPECT_NE(keyboard_->SlotCount(), 0);
  EXPECT_EQ(ProfileSection()["LightInfo"]["SelectItem"].asInt(), keyboard_->ModeList().PositionOf(Block()[1]));
}

TEST_F(KeyboardPage, AReceiverWhoseKeyboardIsOffHidesThePageUntilItAnswers) {
  Start("keyboard-receiver");
  CDeviceOptionUI* selector = window_->Pages().SelectorAt(DevicePageSet::Keyboard);
  ASSERT_NE(selector, nullptr);
  ASSERT_TRUE(selector->IsShown());
  // The link timer looks every 3 s; fired here directly.
  Firmware().SetWirelessOn(false);
  selector->DoTimer(CDeviceOptionUI::kTimerLink);
  ASSERT_TRUE(RunUntil([&] { return !selector->IsShown(); }));
  Firmware().SetWirelessOn(true);
  selector->DoTimer(CDeviceOptionUI::kTimerLink);
  ASSERT_TRUE(RunUntil([&] { return selector->IsShown(); }));

  // The connect timer does not read a keyboard that does not answer.
  Firmware().SetWirelessOn(false);
  const int infoReads = CommandCount(0x03);
  selector->DoTimer(CDeviceOptionUI::kTimerConnect);
  Settle();
  EXPECT_EQ(CommandCount(0x03), infoReads);
  Firmware().SetWirelessOn(true);
  selector->DoTimer(CDeviceOptionUI::kTimerConnect);
  Settle();
  EXPECT_GT(CommandCount(0x03), infoReads) << "the first answer reads the keyboard";
}

TEST_F(KeyboardPage, BothResetsWriteTheTemplatesKeysAndSettingsToTheKeyboard) {
  Start();
  window_->Profiles().SetQuestion([](const QString&, bool, int) { return 1; });
  const uint8_t slotA = keyboard_->PositionToSlot(kPositionA);
  for (const char* command : {"device_reset_btn", "default_btn"}) {
    SCOPED_TRACE(command);
    // A reassigned and the Windows key locked, on the keyboard and in the file.
    keyboard_->SelectKey(kPositionA);
    KeyListEntry entry = keyboard_->KeyList()[kPositionA];
    entry.Normal = {kPositionA, 0x20, 0x00, 0x05, 0};
    keyboard_->SetKeyAssignment(entry);
    keyboard_->Profile().SetKeyboardSystem(0, 0, 1u << 16, 0);
    keyboard_->SaveProfile();
    keyboard_->LoadProfileState();
    ASSERT_EQ(keyboard_->DownloadKeys(0), 1);
    Settle();
    ASSERT_EQ(keyboard_->WriteParameterBlock(0, 0, 1, 0, 0), 1);
    Settle();
    ASSERT_EQ(SlotEntry("key_table", slotA), (std::array<uint8_t, 3>{0x20, 0x00, 0x05}));
    ASSERT_EQ(Block()[21], 1);

    auto* button = keyboard_->ProfilePanel()->findChild<CButtonUI*>(command);
    ASSERT_NE(button, nullptr);
    button->Activate();
    Settle();
    EXPECT_EQ(SlotEntry("key_table", slotA), (std::array<uint8_t, 3>{0x20, 0x00, 0x04}));
    EXPECT_EQ(Block()[21], 0);
    EXPECT_EQ(ProfileSection()["KeyList"][kPositionA]["Assignment"].asInt(), 0x200004);
    EXPECT_EQ(ProfileSection()["SystemStages"]["WinFlag"].asInt(), 0);
    auto* a = qobject_cast<CDeviceKeyButtonUI*>(keyboard_->KeyControls()[kPositionA]);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetKeyUnsetHidden(), 0) << "A does what it says again";
  }
}

TEST_F(KeyboardPage, TheSettingsPagesHideThePowerAreaAndTheKeyPageShowsTheFnSwitch) {
  Start();
  auto* power = keyboard_->GetPowerPanel()->findChild<CControlUI*>("device_power_Layout");
  ASSERT_NE(power, nullptr);
  auto* fnLayout = Control<CControlUI>("Keyset_Fn_Layout");
  keyboard_->ShowPage(2);
  EXPECT_TRUE(power->IsOwnVisible());
  EXPECT_TRUE(fnLayout->IsOwnVisible());
  keyboard_->ShowPage(4);
  EXPECT_FALSE(power->IsOwnVisible());
  EXPECT_FALSE(fnLayout->IsOwnVisible());
  keyboard_->ShowPage(1);
  EXPECT_TRUE(power->IsOwnVisible());
  EXPECT_FALSE(fnLayout->IsOwnVisible());
}

// The keyboard answers every request 300 ms late: its first contact takes
// seconds, and the window answers what is posted to it all along.
TEST_F(KeyboardPage, TheWindowKeepsAnsweringWhileASlowKeyboardIsRead) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Firmware().SetFault(*sim::Fault::Parse("delay:300"));
  window_ = std::make_unique<CMainWnd>();
  ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
  ASSERT_TRUE(RunUntil([&] { return (keyboard_ = Keyboard()) != nullptr; }));
  ASSERT_TRUE(RunUntil([&] { return CommandCount(0x03) > 0; }, 3000)) << "the first contact began";

  // Every 20 ms a call is posted; how late each one runs is what a click
  // or a socket request would wait.
  QElapsedTimer clock;
  clock.start();
  qint64 latest = 0;
  int answered = 0;
  QTimer poster;
  QObject::connect(&poster, &QTimer::timeout, [&] {
    const qint64 posted = clock.elapsed();
    QMetaObject::invokeMethod(
        &poster,
        [&, posted] {
          latest = std::max(latest, clock.elapsed() - posted);
          ++answered;
        },
        Qt::QueuedConnection);
  });
  poster.start(20);
  RunFor(1500);
  poster.stop();
  EXPECT_FALSE(keyboard_->Core().IsIdle()) << "the first contact still runs";
  EXPECT_GT(answered, 20);
  EXPECT_LT(latest, 150) << "a posted call waited " << latest << " ms";

  Firmware().SetFault(*sim::Fault::Parse("none"));
  ASSERT_TRUE(RunUntil([&] { return keyboard_->SlotCount() != 0 && keyboard_->Core().IsIdle(); }, 8000));
  EXPECT_TRUE(keyboard_->FirstContactComplete());
}

// Through a receiver that has gone silent, the link timer asks once and
// waits for that answer, however often it fires.
TEST_F(KeyboardPage, ASilentReceiverGetsOneLinkQueryAtATime) {
  Start("keyboard-receiver");
  CDeviceOptionUI* selector = window_->Pages().SelectorAt(DevicePageSet::Keyboard);
  ASSERT_NE(selector, nullptr);
  Settle();
  Firmware().SetFault(*sim::Fault::Parse("noanswer"));
  const int before = CommandCount(0xAA);
  for (int i = 0; i < 10; ++i) {
    selector->DoTimer(CDeviceOptionUI::kTimerLink);
    RunFor(10);
  }
  RunFor(100);
  EXPECT_EQ(CommandCount(0xAA) - before, 1);
  EXPECT_TRUE(keyboard_->Core().IsPending("link"));
  EXPECT_TRUE(selector->IsShown()) << "no answer yet is not an answer";
}
