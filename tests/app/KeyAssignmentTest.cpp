#include <gtest/gtest.h>

#include "app/KeyAssignmentCommands.h"
#include "keys/KeyTables.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/COptionUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CKeySetControlUI.h"

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
};

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
