#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include "app/CDeviceHook.h"
#include "app/KeyAssignmentCommands.h"
#include "keys/KeyTables.h"
#include "macros/MacroFile.h"
#include "macros/MacroImage.h"
#include "macros/MacroList.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CMsgWnd.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

constexpr int kPositionA = 64;

class KeyAssignment : public testing_support::SimulatedKeyboardPage {
 protected:
  CKeySetControlUI* Panel() { return keyboard_->KeyPanel(); }
  template <typename T>
  T* PanelControl(const QString& name) {
    auto* control = Panel()->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  void ClickKey(int position) {
    qobject_cast<CDeviceKeyButtonUI*>(keyboard_->KeyControls()[position])->Activate();
    RunFor(10);
  }
  void ChooseKind(int kind) {
    auto* combo = PanelControl<CComboUI>("keyset_function_combo");
    for (int i = 0; i < combo->GetCount(); ++i)
      if (combo->GetItemAt(i)->GetUserData().toInt() == kind &&
          !combo->GetItemAt(i)->GetUserData().isEmpty()) {
        combo->SelectItem(i);
        RunFor(10);
        return;
      }
    ADD_FAILURE() << "no function item of kind " << kind;
  }
  void Click(const char* name) {
    PanelControl<CButtonUI>(name)->Activate();
    Settle();
  }
  keys::FunctionCode Normal(int position) { return keys::CodeOf(keyboard_->KeyList()[position].Normal); }

  // Shows the window and puts the focus in the key edit: capture starts.
  void FocusKeyEdit() {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(RunUntil([&] { return window_->isActiveWindow(); }));
    PanelControl<CEditUI>("keyset_keyboard_text_edit")->SetFocus();
    RunFor(10);
  }
  // A key of the real keyboard, as the window system hands it over (by
  // Linux input code; the platform's keycode is 8 more).
  void Key(int inputCode, bool press) {
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, 0, Qt::NoModifier,
                    static_cast<quint32>(inputCode + 8), 0, 0);
    QCoreApplication::sendEvent(window_->windowHandle(), &event);
  }
  QString KeyText(int row) {
    return CResourceManager::GetInstance()->GetText(QString::fromLatin1(keys::KeyNameTable[row].TextId));
  }
  bool SelectorEnabled() { return window_->FindControl(QStringLiteral("device_select_layout"))->IsEnabled(); }
};

// Linux input codes.
constexpr int kInputA = 30;
constexpr int kInputB = 48;
constexpr int kInputRightAlt = 100;

}  // namespace

TEST_F(KeyAssignment, APickedKeyIsSavedDefaultBringsThePrintedOneBackAndCancelTheNormalRecord) {
  Start();
  keyboard_->ShowPage(2);
  ASSERT_NE(Panel(), nullptr);
  const uint8_t slot = keyboard_->PositionToSlot(kPositionA);
  ASSERT_LT(slot, 255);
  ClickKey(kPositionA);
  EXPECT_TRUE(PanelControl<CControlUI>("keyset_layout")->IsOwnVisible());
  EXPECT_FALSE(Panel()->IsModified());
  EXPECT_EQ(PanelControl<CComboUI>("keyset_function_combo")->GetCurSel() >= 0, true)
      << "the key's record is shown";

  ChooseKind(keys::kKindKeyboardKey);
  PanelControl<COptionUI>("keyboard_key_10")->Activate();
  RunFor(10);
  EXPECT_EQ(Normal(kPositionA), keys::PickerFunction(10));
  EXPECT_TRUE(Panel()->IsModified());
  EXPECT_TRUE(PanelControl<CControlUI>("key_butt_prosave")->IsEnabled());

  Click("key_butt_prosave");
  EXPECT_EQ(SlotEntry("key_table", slot),
            (std::array<uint8_t, 3>{keys::PickerFunction(10).Type, keys::PickerFunction(10).Code1,
                                    keys::PickerFunction(10).Code2}));
  EXPECT_FALSE(Panel()->IsModified());
  EXPECT_EQ(ProfileSection()["KeyList"][kPositionA]["Assignment"].asInt(),
            keys::PickerFunction(10).Type << 16 | keys::PickerFunction(10).Code1 << 8 |
                keys::PickerFunction(10).Code2);

  // A media function, then cancel: the panel shows the normal record again
  // and is clean.
  ChooseKind(keys::kKindMedia);
  PanelControl<CComboUI>("keyset_media_combo")->SelectItem(3);
  RunFor(10);
  EXPECT_EQ(Normal(kPositionA), keys::MediaFunctionTable[3].Code());
  Click("key_butt_keycancel");
  EXPECT_FALSE(Panel()->IsModified());
  EXPECT_EQ(PanelControl<CComboUI>("keyset_media_combo")->GetCurSel(), 3);

  // Default: the printed function, on the keyboard too.
  Click("key_butt_keydefalut");
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x20, 0x00, 0x04}));
  EXPECT_EQ(SlotEntry("key_table", slot), (std::array<uint8_t, 3>{0x20, 0x00, 0x04}));
  EXPECT_FALSE(Panel()->IsModified());
}

TEST_F(KeyAssignment, AKeyIsNotSelectedWhileTheProfileCannotBeRead) {
  Start();
  keyboard_->ShowPage(2);
  QFile profile(keyboard_->ProfilePath());
  ASSERT_TRUE(profile.open(QIODevice::WriteOnly | QIODevice::Truncate));
  profile.write("{broken");
  profile.close();
  ClickKey(kPositionA);
  EXPECT_EQ(keyboard_->GetSelectedKey() == kPositionA, false);
}

TEST_F(KeyAssignment, AKeyPressedInTheKeyEditPicksThatKeyUntilTheEditLosesTheFocus) {
  Start();
  keyboard_->ShowPage(2);
  ClickKey(kPositionA);
  ChooseKind(keys::kKindKeyboardKey);
  ASSERT_TRUE(SelectorEnabled());
  FocusKeyEdit();
  ASSERT_TRUE(window_->DeviceHook().IsKeyboardHooked()) << "focus did not start the capture";
  EXPECT_EQ(window_->DeviceHook().Mode(), 1);
  EXPECT_FALSE(SelectorEnabled()) << "devices can be switched while capturing";
  // Without X11 (here: offscreen) keys come from this window only, and the
  // panel says so.
  EXPECT_TRUE(PanelControl<CControlUI>("keyset_capture_window_note")->IsOwnVisible());

  Key(kInputB, true);
  const auto rowB = keys::FindKeyNameRow({0x20, 0x00, 0x05});
  ASSERT_TRUE(rowB);
  const auto pickerB = keys::FindPickerKey({0x20, 0x00, 0x05});
  ASSERT_TRUE(pickerB);
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x20, 0x00, 0x05}));
  EXPECT_TRUE(PanelControl<COptionUI>(QStringLiteral("keyboard_key_%1").arg(*pickerB))->IsSelected());
  EXPECT_EQ(PanelControl<CEditUI>("keyset_keyboard_text_edit")->GetText(), KeyText(*rowB));
  EXPECT_TRUE(Panel()->IsModified());
  // A release changes nothing; B never reached the edit as a character.
  Key(kInputA, false);
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x20, 0x00, 0x05}));

  window_->setFocus();
  RunFor(10);
  EXPECT_FALSE(window_->DeviceHook().IsKeyboardHooked());
  EXPECT_TRUE(SelectorEnabled());
  Key(kInputA, true);
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x20, 0x00, 0x05}));
}

// The mouse's panel takes the captured key with its modifier. Presses only:
// Right Alt down, A down, A up, Right Alt up is Alt + A.
TEST_F(KeyAssignment, OnTheMousePanelAChordKeepsItsModifierWhenTheKeysGoUp) {
  Start();
  keyboard_->ShowPage(2);
  ClickKey(kPositionA);
  Panel()->SetDeviceKind(keys::PanelDevice::Mouse);
  ChooseKind(keys::kKindKeyboardKey);
  EXPECT_TRUE(PanelControl<CControlUI>("keyset_modifier_layout")->IsOwnVisible());
  FocusKeyEdit();
  ASSERT_TRUE(window_->DeviceHook().IsKeyboardHooked());
  Key(kInputRightAlt, true);
  Key(kInputA, true);
  Key(kInputA, false);
  Key(kInputRightAlt, false);
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x20, 0x04, 0x04}));
  EXPECT_TRUE(PanelControl<COptionUI>("key_ComBox_check_3")->IsSelected());
  EXPECT_EQ(PanelControl<CEditUI>("keyset_keyboard_text_edit")->GetText(),
            KeyText(*keys::FindKeyNameRow({0x20, 0x00, 0x04})));
}

// Leaving the page with applied but unsaved keys asks; yes saves them to the
// device, no keeps them applied.
TEST_F(KeyAssignment, LeavingThePageWithUnsavedKeysOffersToSaveThem) {
  Start();
  keyboard_->ShowPage(2);
  const uint8_t slot = keyboard_->PositionToSlot(kPositionA);
  ClickKey(kPositionA);
  ChooseKind(keys::kKindKeyboardKey);
  PanelControl<COptionUI>("keyboard_key_10")->Activate();
  RunFor(10);
  ASSERT_TRUE(Panel()->IsModified());
  const auto before = SlotEntry("key_table", slot);

  auto answer = [](const char* button, QString* text) {
    QTimer::singleShot(0, [=] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<CMsgWnd*>(w); box != nullptr && box->isVisible()) {
          if (auto* label = box->FindControl(QStringLiteral("MessageText")))
            *text = label->GetText();
          static_cast<CButtonUI*>(box->FindControl(button))->Activate();
        }
    });
  };
  QString asked;
  answer("cancel_btn", &asked);
  window_->KeyAssignment().OnLeavingDevice(keyboard_);
  Settle();
  EXPECT_FALSE(asked.isEmpty()) << "nothing was asked";
  EXPECT_TRUE(Panel()->IsModified());
  EXPECT_EQ(SlotEntry("key_table", slot), before);
  EXPECT_EQ(Normal(kPositionA), keys::PickerFunction(10)) << "the applied key was dropped";

  answer("confirm_btn", &asked);
  window_->KeyAssignment().OnLeavingDevice(keyboard_);
  Settle();
  EXPECT_FALSE(Panel()->IsModified());
  const keys::FunctionCode picked = keys::PickerFunction(10);
  EXPECT_EQ(SlotEntry("key_table", slot), (std::array<uint8_t, 3>{picked.Type, picked.Code1, picked.Code2}));

  // A clean panel asks nothing.
  asked.clear();
  answer("confirm_btn", &asked);
  window_->KeyAssignment().OnLeavingDevice(keyboard_);
  RunFor(10);
  EXPECT_TRUE(asked.isEmpty());
}

// Re-applying the profile (a profile switch) hides the panel and puts its
// inputs back to where a fresh panel starts.
TEST_F(KeyAssignment, ReapplyingTheProfileResetsThePanelsInputs) {
  Start();
  keyboard_->ShowPage(2);
  ClickKey(kPositionA);
  ChooseKind(keys::kKindMedia);
  PanelControl<CComboUI>("keyset_media_combo")->SelectItem(3);
  PanelControl<CControlUI>("keyset_mousefire_interval_edit")->SetText(QStringLiteral("90"));
  PanelControl<CControlUI>("keyset_macro_cycle_edit")->SetText(QStringLiteral("7"));
  RunFor(10);
  keyboard_->ReapplyProfile();
  Settle();
  EXPECT_FALSE(PanelControl<CControlUI>("keyset_layout")->IsOwnVisible());
  EXPECT_EQ(PanelControl<CComboUI>("keyset_media_combo")->GetCurSel(), 0);
  EXPECT_EQ(PanelControl<CControlUI>("keyset_mousefire_interval_edit")->GetText(), QStringLiteral("50"));
  EXPECT_EQ(PanelControl<CControlUI>("keyset_mousefire_num_edit")->GetText(), QStringLiteral("2"));
  EXPECT_EQ(PanelControl<CControlUI>("keyset_macro_cycle_edit")->GetText(), QStringLiteral("1"));
}

namespace {

// Macro files for the macros of WriteMacroList, by index.
void WriteMacro(const QString& folder, int index, const std::vector<macros::MacroEvent>& events) {
  const std::string guid = "2026_01_01_00_00_00_00" + std::to_string(index);
  ASSERT_EQ(macros::WriteMacroFile(macros::MacroFilePath(folder, guid), {"macro", guid, events}), 0);
}

KeyListEntry WithNormal(KeyListEntry entry, uint8_t type, uint8_t code1, uint8_t code2) {
  entry.Normal.Type = type;
  entry.Normal.Code1 = code1;
  entry.Normal.Code2 = code2;
  return entry;
}

}  // namespace

// Macros 3 (met first) and 1 go into one image; the keys are sent with their
// macro's place in it; the profile keeps the list's numbers.
TEST_F(KeyAssignment, TheMacrosTheKeysUseAreSentAsOneImageAndTheKeysReferToTheirPlaceInIt) {
  Start();
  keyboard_->ShowPage(2);
  WriteMacroList(5);
  const std::vector<macros::MacroEvent> three = {{10, true, 4, 300}, {10, false, 4, 0}};
  const std::vector<macros::MacroEvent> one = {{1, true, 1, 20}};
  WriteMacro(keyboard_->DeviceFolder(), 3, three);
  WriteMacro(keyboard_->DeviceFolder(), 1, one);
  const int positions[] = {kPositionA, kPositionA + 1, kPositionA + 2};
  const keys::FunctionCode assigned[] = {{0x70, 3, 0}, {0x71, 1, 5}, {0x70, 3, 1}};
  for (int i = 0; i < 3; ++i) {
    ASSERT_LT(keyboard_->PositionToSlot(positions[i]), 255);
    keyboard_->SelectKey(positions[i]);
    const keys::FunctionCode code = assigned[i];
    keyboard_->SetKeyAssignment(WithNormal(keyboard_->KeyList()[positions[i]], code.Type, code.Code1, code.Code2));
  }
  EXPECT_EQ(keyboard_->GetUsedMacros(), (std::vector<int>{3, 1}));
  window_->KeyAssignment().Save();
  Settle();

  const std::vector<uint8_t> image = macros::BuildMacroImage({three, one});
  const std::vector<uint8_t> memory = Memory("macro_memory");
  ASSERT_GE(memory.size(), image.size());
  EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + static_cast<long>(image.size())), image);
  EXPECT_EQ(SlotEntry("key_table", keyboard_->PositionToSlot(positions[0])), (std::array<uint8_t, 3>{0x70, 0, 0}));
  EXPECT_EQ(SlotEntry("key_table", keyboard_->PositionToSlot(positions[1])), (std::array<uint8_t, 3>{0x71, 1, 5}));
  EXPECT_EQ(SlotEntry("key_table", keyboard_->PositionToSlot(positions[2])), (std::array<uint8_t, 3>{0x70, 0, 1}));
  EXPECT_EQ(ProfileSection()["KeyList"][kPositionA]["Assignment"].asInt(), 0x70 << 16 | 3 << 8);
}

// Macros larger than the device's memory: the count of events to remove,
// and nothing is sent.
TEST_F(KeyAssignment, MacrosBeyondTheDevicesMemoryAreRefusedWithTheEventsToRemove) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  const uint8_t oneUnit = 1;  // 128 bytes
  ASSERT_TRUE(Firmware().Poke("info", protocol::DeviceInfo::kMacroUnitsOffset, std::span(&oneUnit, 1)));
  Start();
  WriteMacroList(1);
  WriteMacro(keyboard_->DeviceFolder(), 0, std::vector<macros::MacroEvent>(40, {10, true, 4, 1}));
  keyboard_->SelectKey(kPositionA);
  keyboard_->SetKeyAssignment(WithNormal(keyboard_->KeyList()[kPositionA], 0x70, 0, 0));
  // 16 + 6 + 160 = 182 bytes in 128: (182 - 128) / 4 + 1 events too many.
  EXPECT_EQ(keyboard_->DownloadMacros(keyboard_->GetUsedMacros()), 14);
  Settle();
  const std::vector<uint8_t> memory = Memory("macro_memory");
  EXPECT_TRUE(std::all_of(memory.begin(), memory.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(CommandCount(0x15), 0);
  // The keys go out without the macro the device never got.
  keyboard_->DownloadKeys(0);
  Settle();
  const keys::FunctionCode printed = keys::CodeOf(keyboard_->KeyList()[kPositionA].Default);
  EXPECT_EQ(SlotEntry("key_table", keyboard_->PositionToSlot(kPositionA)),
            (std::array<uint8_t, 3>{printed.Type, printed.Code1, printed.Code2}));
  // No key with a macro: nothing to send, and that is no failure.
  keyboard_->SetKeyAssignment(WithNormal(keyboard_->KeyList()[kPositionA], 0x20, 0, 4));
  EXPECT_EQ(keyboard_->DownloadMacros(keyboard_->GetUsedMacros()), 0);
}

// Choosing a macro shows the run mode the record gets: once, unless another
// is chosen.
TEST_F(KeyAssignment, AMacroChosenWithoutARunModeShowsRunOnce) {
  Start();
  WriteMacroList(1);
  keyboard_->ReloadMacroNames();
  keyboard_->ShowPage(2);
  ClickKey(kPositionA);
  auto* runMode = PanelControl<CComboUI>("keyset_macro_over_combo");
  runMode->SelectItem(-1, false, false);
  ChooseKind(keys::kKindMacro);
  EXPECT_EQ(runMode->GetCurSel(), 0);
  PanelControl<CComboUI>("keyset_macro_combo")->SelectItem(0);
  RunFor(10);
  EXPECT_EQ(Normal(kPositionA), (keys::FunctionCode{0x70, 0, 0}));
}
