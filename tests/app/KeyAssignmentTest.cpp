#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>

#include "app/CDeviceHook.h"
#include "app/KeyAssignmentCommands.h"
#include "keys/KeyTables.h"
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
