#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QValidator>

#include "app/CDeviceHook.h"
#include "app/MacroCommands.h"
#include "keys/KeyTables.h"
#include "macros/MacroFile.h"
#include "macros/MacroList.h"
#include "platform/HookRecords.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/ProfileList.h"
#include "support/SimulatedKeyboardPage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListContainerElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/COptionUI.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CMacroControlUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// Scan codes of the recordable keys (set 1).
constexpr uint32_t kScanA = 0x1E;
constexpr uint32_t kScanB = 0x30;
constexpr uint32_t kScanShift = 0x2A;
constexpr uint8_t kUsageA = 0x04;
constexpr uint8_t kUsageB = 0x05;
constexpr int kPositionA = 64;

class MacroPanel : public testing_support::SimulatedKeyboardPage {
 protected:
  void SetUp() override {
    SimulatedKeyboardPage::SetUp();
    Start();
    keyboard_->ShowPage(3);
    window_->Macros().SetQuestion([this](const QString& text, bool, int) {
      asked_.push_back(text);
      return answer_;
    });
  }
  CMacroControlUI* Panel() { return keyboard_->MacroPanel(); }
  template <typename T>
  T* PanelControl(const char* name) {
    auto* control = Panel()->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  void Click(const char* name) {
    PanelControl<CButtonUI>(name)->Activate();
    Settle();
  }
  void Menu(const char* item) {
    MenuCmd command;
    command.szName = QString::fromLatin1(item);
    window_->SendMessage(WM_MENUCLICK, reinterpret_cast<WPARAM>(&command), 0);
    Settle();
  }
  // A captured key as the capture hands it to the window in `mode`.
  void Key(int mode, uint32_t scanCode, bool down, uint32_t timeMs) {
    platform::KeyHookRecord record{0, scanCode, 0, timeMs};
    window_->SendMessage(CDeviceHook::KeyMessageOfMode(mode),
                         down ? platform::kHookKeyDown : platform::kHookKeyUp,
                         reinterpret_cast<LPARAM>(&record));
  }
  void Button(int mode, uint32_t message, uint32_t mouseData, uint32_t timeMs) {
    platform::MouseHookRecord record{0, 0, mouseData, 0, timeMs};
    window_->SendMessage(CDeviceHook::ButtonMessageOfMode(mode), message,
                         reinterpret_cast<LPARAM>(&record));
  }
  // The selected macro's file as written.
  std::vector<macros::MacroEvent> Saved() {
    const int macro = Panel()->SelectedMacro();
    if (macro < 0)
      return {};
    const auto list = macros::ReadMacroList(keyboard_->DeviceFolder() + macros::kMacroListFile);
    return macros::ReadMacroFile(macros::MacroFilePath(keyboard_->DeviceFolder(), list[macro].Guid)).Events;
  }
  std::vector<macros::MacroEvent> Shown() {
    std::vector<macros::MacroEvent> events;
    for (const auto& row : Panel()->Actions().Rows())
      events.push_back(row.Event);
    return events;
  }
  std::vector<uint16_t> Delays(const std::vector<macros::MacroEvent>& events) {
    std::vector<uint16_t> delays;
    for (const auto& event : events)
      delays.push_back(event.Delay);
    return delays;
  }
  CListContainerElementUI* Row(int index) {
    return qobject_cast<CListContainerElementUI*>(
        PanelControl<CListUI>("macro_action_list")->GetItemAt(index));
  }
  // A macro with the rows A down, A up, B down, B up (delays 10, 20, 30, 0).
  void MacroWithFourRows() {
    Click("macro_btn_name_add");
    Click("macro_btn_starredio");
    Key(4, kScanA, true, 1000);
    Key(4, kScanA, false, 1010);
    Key(4, kScanB, true, 1030);
    Key(4, kScanB, false, 1060);
    Click("macro_btn_stopredio");
    ASSERT_EQ(Delays(Saved()), (std::vector<uint16_t>{10, 20, 30, 0}));
  }

  std::vector<QString> asked_;
  int answer_ = 1;
};

bool Enabled(CControlUI* control) { return control != nullptr && control->IsEnabled(); }

}  // namespace

TEST_F(MacroPanel, NewMacrosAreNamedInTurnAndTheEditorWaitsForOne) {
  EXPECT_TRUE(Panel()->MacroNames().empty());
  EXPECT_FALSE(Enabled(PanelControl<CControlUI>("macro_action_layout")));
  EXPECT_FALSE(Enabled(PanelControl<CControlUI>("macro_btn_name_sub")));
  Click("macro_btn_name_add");
  Click("macro_btn_name_add");
  EXPECT_EQ(Panel()->MacroNames(), (std::vector<std::string>{"macro_1", "macro_2"}));
  EXPECT_EQ(Panel()->SelectedMacro(), 1);
  EXPECT_EQ(PanelControl<CEditUI>("macro_edit_macroname")->GetText(), "macro_2");
  EXPECT_TRUE(Enabled(PanelControl<CControlUI>("macro_action_layout")));
  EXPECT_TRUE(Enabled(PanelControl<CControlUI>("macro_btn_export")));
  // The key panel's macro choice knows them at once.
  EXPECT_EQ(keyboard_->MacroNames(), Panel()->MacroNames());
  EXPECT_EQ(macros::ReadMacroNames(keyboard_->DeviceFolder() + macros::kMacroListFile),
            Panel()->MacroNames());
}

// Real time: each event's delay is the time until the next one, from the
// events' own time stamps; auto-repeat, keys outside the table and a second
// identical press are not recorded.
TEST_F(MacroPanel, RecordingTakesRealDelaysFromTheEventsAndLocksTheEditorMeanwhile) {
  Click("macro_btn_name_add");
  Click("macro_btn_starredio");
  EXPECT_EQ(window_->DeviceHook().Mode(), 4);
  EXPECT_TRUE(window_->DeviceHook().IsLibraryHooked());
  EXPECT_FALSE(window_->FindControl(QStringLiteral("device_select_layout"))->IsEnabled());
  EXPECT_FALSE(PanelControl<CControlUI>("macro_name_tab")->IsMouseEnabled());
  EXPECT_FALSE(PanelControl<CControlUI>("macro_action_list")->IsMouseEnabled());
  EXPECT_FALSE(Enabled(PanelControl<CControlUI>("macro_tab_macroaction_edit")));
  EXPECT_FALSE(Enabled(PanelControl<CControlUI>("macro_tab_macrodelay_edit")));
  EXPECT_FALSE(PanelControl<CControlUI>("macro_btn_starredio")->IsOwnVisible());
  EXPECT_TRUE(PanelControl<CControlUI>("macro_btn_stopredio")->IsOwnVisible());

  Key(4, kScanShift, true, 5000);
  Key(4, kScanA, true, 5100);
  Key(4, kScanA, true, 5130);   // auto-repeat
  Key(4, 0x6A, true, 5140);     // not a recordable key
  Key(4, kScanA, false, 7100);  // held for two seconds
  Key(4, kScanShift, false, 7150);
  Button(4, platform::kHookLeftDown, 0, 7200);
  Button(4, platform::kHookLeftDown, 0, 7210);  // the same message again
  Button(4, platform::kHookLeftUp, 0, 7290);
  // The click that stops the recording is not recorded.
  auto* stop = PanelControl<CControlUI>("macro_btn_stopredio");
  const QPoint onStop = stop->mapToGlobal(stop->rect().center());
  EXPECT_TRUE(Panel()->IsOverStopButton(onStop));
  EXPECT_FALSE(Panel()->IsOverStopButton(onStop + QPoint(0, stop->height())));
  Click("macro_btn_stopredio");
  EXPECT_FALSE(Panel()->IsOverStopButton(onStop)) << "a hidden button is no target";

  const std::vector<macros::MacroEvent> expected = {
      {macros::EventType::Modifier, true, 0x02, 100},   {macros::EventType::Key, true, kUsageA, 2000},
      {macros::EventType::Key, false, kUsageA, 50},     {macros::EventType::Modifier, false, 0x02, 50},
      {macros::EventType::MouseButton, true, 1, 90},    {macros::EventType::MouseButton, false, 1, 0},
  };
  EXPECT_EQ(Saved(), expected);
  EXPECT_EQ(Shown(), expected);
  EXPECT_EQ(Panel()->DelayText(1), "2000");
  EXPECT_EQ(Panel()->SelectedRow(), 5) << "the last recorded row is selected";
  EXPECT_FALSE(window_->DeviceHook().IsKeyboardHooked());
  EXPECT_TRUE(window_->FindControl(QStringLiteral("device_select_layout"))->IsEnabled());
  EXPECT_TRUE(PanelControl<CControlUI>("macro_action_list")->IsMouseEnabled());
  EXPECT_TRUE(Enabled(PanelControl<CControlUI>("macro_tab_macroaction_edit")));
  EXPECT_TRUE(PanelControl<CControlUI>("macro_btn_starredio")->IsOwnVisible());
  // After the stop nothing more is recorded.
  Key(4, kScanB, true, 8000);
  EXPECT_EQ(Shown().size(), expected.size());
}

TEST_F(MacroPanel, AFixedDelayGoesToEveryEventTheLastIncluded) {
  Click("macro_btn_name_add");
  PanelControl<COptionUI>("macro_check_time")->Selected(true);
  PanelControl<CEditUI>("macro_fixed_time_edit")->SetText(QStringLiteral("80"));
  Click("macro_btn_starredio");
  Key(4, kScanA, true, 100);
  Key(4, kScanA, false, 5000);
  Click("macro_btn_stopredio");
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{80, 80}));
}

// The menu records in front of the selected row, after it, or over it.
TEST_F(MacroPanel, TheMenuRecordsBeforeAfterAndOverTheSelectedRow) {
  MacroWithFourRows();
  Panel()->SelectRow(2);  // B down
  Menu("redio_previous_ignore_time");
  EXPECT_EQ(window_->DeviceHook().Mode(), 8);
  Key(8, kScanShift, true, 1);
  Key(8, kScanShift, false, 2);
  Click("macro_btn_stopredio");
  auto shown = Shown();
  ASSERT_EQ(shown.size(), 6u);
  EXPECT_EQ(shown[2], (macros::MacroEvent{macros::EventType::Modifier, true, 0x02, 0}));
  EXPECT_EQ(shown[3], (macros::MacroEvent{macros::EventType::Modifier, false, 0x02, 0}));
  EXPECT_EQ(shown[4].Button, kUsageB) << "the events went in front of the selected row, in order";
  EXPECT_EQ(Panel()->SelectedRow(), 4) << "the selection stays on the row it was on";

  Panel()->SelectRow(0);
  Menu("redio_later_constant_time");
  EXPECT_EQ(window_->DeviceHook().Mode(), 16);
  Key(16, kScanB, true, 1);
  Click("macro_btn_stopredio");
  shown = Shown();
  ASSERT_EQ(shown.size(), 7u);
  EXPECT_EQ(shown[1], (macros::MacroEvent{macros::EventType::Key, true, kUsageB, 50}));
  EXPECT_EQ(Panel()->SelectedRow(), 1);

  // Replacing keeps the row's delay.
  Panel()->SelectRow(6);
  const uint16_t delay = Shown()[6].Delay;
  Menu("macro_action_edit");
  EXPECT_EQ(window_->DeviceHook().Mode(), 32);
  Button(32, platform::kHookExtraDown, platform::kHookExtraForward << 16, 1);
  Click("macro_btn_stopredio");
  shown = Shown();
  ASSERT_EQ(shown.size(), 7u);
  EXPECT_EQ(shown[6], (macros::MacroEvent{macros::EventType::MouseButton, true, 16, delay}));
  EXPECT_EQ(Saved(), shown);
}

// A click inserted into an empty list is a press and a release, both with
// the fixed delay; moves take their distance edits.
TEST_F(MacroPanel, MouseActionsAndMovesAreInsertedByHand) {
  Click("macro_btn_name_add");
  Menu("left_click");
  EXPECT_EQ(Saved(), (std::vector<macros::MacroEvent>{{macros::EventType::MouseButton, true, 1, 50},
                                                      {macros::EventType::MouseButton, false, 1, 50}}));
  Panel()->SelectRow(0);
  Menu("back_down");
  PanelControl<CEditUI>("mouse_y_up_edit")->SetText(QStringLiteral("7"));
  Click("macro_inset_moveupkey_btn");
  Click("macro_inset_moverightkey_btn");
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[1], (macros::MacroEvent{macros::EventType::MouseButton, true, 8, 50}));
  EXPECT_EQ(shown[2], (macros::MacroEvent{macros::EventType::MoveVertical, true, 7, 50}));
  EXPECT_EQ(shown[3], (macros::MacroEvent{macros::EventType::MoveHorizontal, false, 10, 50}));
  EXPECT_EQ(Panel()->Actions().At(2).LabelId, "mouse_move_to_up_text");
  EXPECT_EQ(Saved(), shown);
}

TEST_F(MacroPanel, RowMovesDeletesAndDelayEditsAreSavedAtOnce) {
  MacroWithFourRows();
  Panel()->SelectRow(0);
  Click("macro_btn_up");  // nothing to do at the top
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{10, 20, 30, 0}));
  Click("macro_btn_downbottom");
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{20, 30, 0, 10}));
  EXPECT_EQ(Panel()->SelectedRow(), 3);
  EXPECT_EQ(Panel()->DelayText(3), "10") << "the moved row keeps its delay";
  Click("macro_btn_uptop");
  Click("macro_btn_down");
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{20, 10, 30, 0}));
  Click("macro_btn_delete");
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{20, 30, 0}));

  // An emptied delay cell is saved, and shown, as 0; the cell takes no
  // more than 65535.
  auto* cell = Row(0)->findChild<CEditUI*>(QStringLiteral("macro_delay"));
  ASSERT_NE(cell, nullptr);
  cell->SetText(QString());
  cell->GetManager()->SendNotify(cell, QStringLiteral("killfocus"));
  Settle();
  EXPECT_EQ(Delays(Saved()), (std::vector<uint16_t>{0, 30, 0}));
  EXPECT_EQ(Panel()->DelayText(0), "0");
  auto* line = cell->findChild<QLineEdit*>();
  ASSERT_NE(line, nullptr);
  QString text = QStringLiteral("70000");
  int at = 0;
  EXPECT_EQ(line->validator()->validate(text, at), QValidator::Invalid);
  text = QStringLiteral("65535");
  EXPECT_EQ(line->validator()->validate(text, at), QValidator::Acceptable);

  // Cancel shows the file again; delete all empties it.
  Click("macro_btn_deleteall");
  EXPECT_TRUE(Saved().empty());
}

// A press anywhere in a row, its delay cell included, selects it; a right
// click opens the row menu.
TEST_F(MacroPanel, ARowIsPickedFromItsCellAndARightClickOpensTheMenu) {
  MacroWithFourRows();
  auto* cell = Row(1)->findChild<QLineEdit*>();
  ASSERT_NE(cell, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(cell, &press);
  EXPECT_EQ(Panel()->SelectedRow(), 1);

  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(4, 4), QPoint(100, 100));
  QCoreApplication::sendEvent(Row(2), &menu);
  RunFor(10);
  EXPECT_EQ(Panel()->SelectedRow(), 2);
  QMenu* shown = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* candidate = qobject_cast<QMenu*>(widget); candidate != nullptr && candidate->isVisible())
      shown = candidate;
  ASSERT_NE(shown, nullptr) << "no menu opened";
  bool hasClick = false;
  for (QAction* action : shown->actions())
    if (action->menu() != nullptr)
      for (QAction* inner : action->menu()->actions())
        hasClick = hasClick || inner->objectName() == QLatin1String("left_click") ||
                   inner->data().toString() == QLatin1String("left_click");
  shown->close();
  RunFor(10);
  EXPECT_TRUE(hasClick) << "the menu lacks its insertion items";
}

TEST_F(MacroPanel, RenamingRefusesATakenNameInAnyCaseAndTellsTheKeyPanel) {
  Click("macro_btn_name_add");
  Click("macro_btn_name_add");
  auto* edit = PanelControl<CEditUI>("macro_edit_macroname");
  edit->SetText(QStringLiteral("MACRO_1"));
  Click("macro_btn_name_edit");
  EXPECT_EQ(asked_, (std::vector<QString>{"message_text_5"}));
  edit->SetText(QStringLiteral("Macro_2"));
  Click("macro_btn_name_edit");
  EXPECT_EQ(asked_.size(), 2u) << "its own name in other letters is refused too";
  edit->SetText(QStringLiteral("   "));
  Click("macro_btn_name_edit");
  EXPECT_EQ(Panel()->MacroNames(), (std::vector<std::string>{"macro_1", "macro_2"}));

  edit->SetText(QStringLiteral("Jump"));
  Click("macro_btn_name_edit");
  EXPECT_EQ(Panel()->MacroNames(), (std::vector<std::string>{"macro_1", "Jump"}));
  EXPECT_EQ(PanelControl<CListUI>("macro_name_list")->GetItemAt(1)->GetText(), "Jump");
  EXPECT_EQ(keyboard_->MacroNames(), Panel()->MacroNames());
}

TEST_F(MacroPanel, ImportKeepsTheFileAsItIsUnderAFreeNameAndExportCopiesIt) {
  MacroWithFourRows();
  QTemporaryDir outside;
  const QString source = outside.filePath(QStringLiteral("macro_1.mac"));
  window_->Macros().SetFileChooser([&](bool save) {
    return save ? outside.filePath(QStringLiteral("copy")) : source;
  });
  Click("macro_btn_export");
  QFile exported(outside.filePath(QStringLiteral("copy.mac")));
  ASSERT_TRUE(exported.open(QIODevice::ReadOnly)) << "the suffix was not added";
  const QByteArray bytes = exported.readAll();
  exported.copy(source);

  Click("macro_btn_import");
  Click("macro_btn_import");
  EXPECT_EQ(Panel()->MacroNames(),
            (std::vector<std::string>{"macro_1", "macro_1_1", "macro_1_1_2"}));
  EXPECT_EQ(Panel()->SelectedMacro(), 2);
  EXPECT_EQ(Delays(Shown()), (std::vector<uint16_t>{10, 20, 30, 0}));
  const auto list = macros::ReadMacroList(keyboard_->DeviceFolder() + macros::kMacroListFile);
  QFile imported(macros::MacroFilePath(keyboard_->DeviceFolder(), list[2].Guid));
  ASSERT_TRUE(imported.open(QIODevice::ReadOnly));
  EXPECT_EQ(imported.readAll(), bytes);
}

// Macro 1 of 4 goes: a key using it gets its default function, a key using
// macro 2 now uses macro 1, in the current profile and in the others.
TEST_F(MacroPanel, DeletingAMacroRenumbersTheKeysOfEveryProfile) {
  for (int i = 0; i < 4; ++i)
    Click("macro_btn_name_add");
  CDeviceProfileUI* profiles = keyboard_->ProfilePanel();
  ASSERT_TRUE(profiles->NewProfile());
  ProfileList& list = *profiles->List();
  ASSERT_EQ(list.Entries().size(), 2u);
  const int other = list.Selected() == 0 ? 1 : 0;
  const QString otherPath = list.PathAt(other);

  auto macroKey = [](KeyListEntry entry, int macro) {
    entry.Normal.Type = 0x70;
    entry.Normal.Code1 = static_cast<uint8_t>(macro);
    return entry;
  };
  CBasicProfiledata& profile = *keyboard_->ProfileData();
  ASSERT_FALSE(profile.LoadOtherProfile(otherPath).isNull());
  std::vector<KeyListEntry> otherKeys = profile.GetOtherKeyList();
  otherKeys[kPositionA] = macroKey(otherKeys[kPositionA], 2);
  otherKeys[kPositionA + 1] = macroKey(otherKeys[kPositionA + 1], 1);
  profile.SetOtherKeyList(otherKeys);
  ASSERT_EQ(profile.SaveOtherProfile(otherPath), 0);
  std::vector<KeyListEntry> current = keyboard_->KeyList();
  current[kPositionA] = macroKey(current[kPositionA], 1);
  current[kPositionA + 2] = macroKey(current[kPositionA + 2], 3);
  keyboard_->ReplaceKeyList(current);
  keyboard_->SaveProfile();

  PanelControl<CListUI>("macro_name_list")->SelectItem(1);
  Settle();
  const auto guid = macros::ReadMacroList(keyboard_->DeviceFolder() + macros::kMacroListFile)[1].Guid;
  // Declining the second question leaves every profile as it was.
  answer_ = 1;
  int asks = 0;
  window_->Macros().SetQuestion([&](const QString& text, bool, int) {
    asked_.push_back(text);
    return ++asks == 1 ? 1 : 0;
  });
  Click("macro_btn_name_sub");
  EXPECT_EQ(asked_, (std::vector<QString>{"message_text_4", "message_text_2"}));
  EXPECT_EQ(Panel()->MacroNames().size(), 4u);
  ASSERT_FALSE(profile.LoadOtherProfile(otherPath).isNull());
  EXPECT_EQ(profile.GetOtherKeyList()[kPositionA].Normal.Code1, 2) << "another profile changed";

  window_->Macros().SetQuestion([](const QString&, bool, int) { return 1; });
  const int keyTables = CommandCount(static_cast<uint8_t>(protocol::Command::WriteKeyTable));
  Click("macro_btn_name_sub");
  EXPECT_EQ(Panel()->MacroNames(), (std::vector<std::string>{"macro_1", "macro_3", "macro_4"}));
  EXPECT_FALSE(QFile::exists(macros::MacroFilePath(keyboard_->DeviceFolder(), guid)));
  EXPECT_EQ(Panel()->SelectedMacro(), 0);
  EXPECT_EQ(keyboard_->MacroNames().size(), 3u);

  ASSERT_FALSE(profile.LoadOtherProfile(otherPath).isNull());
  otherKeys = profile.GetOtherKeyList();
  EXPECT_EQ(otherKeys[kPositionA].Normal.Code1, 1);
  EXPECT_EQ(keys::CodeOf(otherKeys[kPositionA + 1].Normal), keys::CodeOf(otherKeys[kPositionA + 1].Default));
  current = keyboard_->KeyList();
  EXPECT_EQ(keys::CodeOf(current[kPositionA].Normal), keys::CodeOf(current[kPositionA].Default));
  EXPECT_EQ(current[kPositionA + 2].Normal.Code1, 2);
  EXPECT_GT(CommandCount(static_cast<uint8_t>(protocol::Command::WriteKeyTable)), keyTables) << "the keys were not sent";
}
