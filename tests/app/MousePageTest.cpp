#include <gtest/gtest.h>

#include <QFile>

#include "app/CDeviceHook.h"
#include "app/DevicePageSet.h"
#include "app/KeyAssignmentCommands.h"
#include "app/MacroCommands.h"
#include "app/MouseSettingsCommands.h"
#include "devices/CVarnisMouseDevice.h"
#include "keys/KeyTables.h"
#include "mouse/DpiSteps.h"
#include "platform/HookRecords.h"
#include "profiles/JsonFile.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMousePage.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CMacroControlUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

using Parameters = protocol::MouseParameters;

class MousePage : public testing_support::SimulatedMousePage {};

}  // namespace

// Every DPI control ends in the profile file and the mouse's block.
TEST_F(MousePage, DpiStagesAndTheReportRateReachTheProfileAndTheMouse) {
  Start();
  const mouse::SensorParameters sensor = mouse_->Mouse().Sensor();
  ASSERT_TRUE(sensor.Valid());
  EXPECT_EQ(Control<CSliderUI>("DPI_slider_0")->GetMaxValue(), sensor.maxSteps);

  auto* slider = Control<CSliderUI>("DPI_slider_1");
  slider->SetValue(40, false);
  Notify(slider, "valuechanged");
  EXPECT_EQ(Control<CEditUI>("DPI_edit_1")->GetText(), QString::number(mouse::StepsToDpi(sensor, 40)));
  EXPECT_EQ(Block()[Parameters::kStagesOffset + 9 + 2], 40);
  EXPECT_EQ(Profile()["DPIStages"]["StageDPIs"][1]["StageDPIX"].asInt(), 40);

  // A typed DPI counts once the edit is left.
  auto* edit = Control<CEditUI>("DPI_edit_2");
  edit->SetText(QString::number(mouse::StepsToDpi(sensor, 100) + 10));
  Notify(edit, "killfocus");
  EXPECT_EQ(Control<CSliderUI>("DPI_slider_2")->GetValue(), 100);
  EXPECT_EQ(Block()[Parameters::kStagesOffset + 18 + 2], 100);

  auto* select = Control<COptionUI>("DPI_select_check_3");
  select->Selected(true, false);
  Notify(select, "selectchanged");
  EXPECT_EQ(Block()[Parameters::kActiveStageOffset], 3);
  EXPECT_FALSE(Control<COptionUI>("DPI_enable_check_3")->IsEnabled()) << "the active stage stays on";

  auto* rate = Control<COptionUI>("polling_rate_option_1");
  rate->Selected(true, false);
  Notify(rate, "selectchanged");
  EXPECT_EQ(Block()[Parameters::kReportRateOffset], 1);
  EXPECT_EQ(Profile()["ReportStages"]["StageActive"].asInt(), 1);
}

// Switching four stages off leaves the fifth locked on; switching one on
// again frees it.
TEST_F(MousePage, TheLastStageOnCannotBeSwitchedOff) {
  Start();
  const int active = mouse_->Mouse().ActiveStage();
  std::vector<int> others;
  for (int n = 0; n < 5; ++n)
    if (n != active)
      others.push_back(n);
  auto toggle = [&](int n, bool on) {
    auto* check = Control<COptionUI>(Indexed("DPI_enable_check_", n));
    check->Selected(on, false);
    Notify(check, "selectchanged");
  };
  for (int n : others)
    toggle(n, false);
  EXPECT_FALSE(Control<COptionUI>(Indexed("DPI_enable_check_", active))->IsEnabled());
  for (int n : others) {
    EXPECT_EQ(Block()[Parameters::kStagesOffset + static_cast<size_t>(n) * 9], 0) << n;
    EXPECT_FALSE(Control<CControlUI>(Indexed("DPI_layout_", n))->IsEnabled());
  }
  // Choosing another stage as active moves the lock.
  toggle(others[0], true);
  auto* select = Control<COptionUI>(Indexed("DPI_select_check_", others[0]));
  select->Selected(true, false);
  Notify(select, "selectchanged");
  EXPECT_TRUE(Control<COptionUI>(Indexed("DPI_enable_check_", active))->IsEnabled());
  EXPECT_FALSE(Control<COptionUI>(Indexed("DPI_enable_check_", others[0]))->IsEnabled());
}

// The pointer settings are stored only; scrolling by lines clears the page
// option on screen but not the stored page flag; the pointer speed never
// touches the report rate.
TEST_F(MousePage, PointerSettingsAreStoredHalfByHalf) {
  Start();
  const int rate = mouse_->Mouse().ReportRate();
  auto* page = Control<COptionUI>("scrolls_page_check");
  page->Selected(true, false);
  Notify(page, "selectchanged");
  EXPECT_EQ(mouse_->Mouse().System()[1] >> 16, 1u);
  auto* lines = Control<CSliderUI>("scroll_speed_slider");
  lines->SetValue(7, false);
  Notify(lines, "valuechanged");
  EXPECT_FALSE(page->IsSelected());
  EXPECT_EQ(mouse_->Mouse().System()[1] >> 16, 1u) << "the stored page flag changed";
  EXPECT_EQ(mouse_->Mouse().System()[2] & 0xFFFF, 7u);
  auto* speed = Control<CSliderUI>("pointer_speed_slider");
  speed->SetValue(15, false);
  Notify(speed, "valuechanged");
  EXPECT_EQ(mouse_->Mouse().System()[0] >> 16, 15u);
  EXPECT_EQ(mouse_->Mouse().ReportRate(), rate);
  const Json::Value system = Profile()["SystemStages"];
  EXPECT_EQ(system["MouseSpeed"].asInt(), 15);
  EXPECT_EQ(system["WheelScorlllinse"].asInt(), 7);
  EXPECT_EQ(system["ScorllPage"].asInt(), 1);
}

// Out-of-range choices show the first tab and the first report rate.
TEST_F(MousePage, ATabOrRateBeyondTheChoicesShowsTheFirst) {
  Start();
  mouse_->SetReportRate(7);
  EXPECT_TRUE(Control<COptionUI>("polling_rate_option_0")->IsSelected());
  for (int n = 1; n < 5; ++n)
    EXPECT_FALSE(Control<COptionUI>(Indexed("polling_rate_option_", n))->IsSelected());
  mouse_->SelectSettingsTab(9);
  // Every button has its row in the button list, shown, with its function.
  auto* list = Control<CContainerUI>("device_setkeyinfo_list");
  ASSERT_EQ(list->GetCount(), 11);
  for (int i = 0; i < list->GetCount(); ++i) {
    auto* row = qobject_cast<CContainerUI*>(list->GetItemAt(i));
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->IsOwnVisible()) << "row " << i;
    EXPECT_FALSE(row->GetItemAt(1)->GetText().isEmpty()) << "row " << i;
  }
  EXPECT_EQ(Control<CTabLayoutUI>("mouse_device_seting_layout")->GetCurSel(), 0);
  EXPECT_TRUE(Control<COptionUI>("mouse_device_seting_option_0")->IsSelected());
  EXPECT_FALSE(Control<COptionUI>("mouse_device_seting_option_1")->IsSelected());
}

// A captured chord on a button: Right Alt + A is Alt + A, saved into the
// button's slot of the mouse.
TEST_F(MousePage, AButtonTakesACapturedChordAndTheSaveSendsIt) {
  Start();
  const int button = 3;
  qobject_cast<CDeviceKeyButtonUI*>(mouse_->KeyControls()[button])->Activate();
  RunFor(10);
  CKeySetControlUI* panel = mouse_->KeyPanel();
  ASSERT_NE(panel, nullptr);
  auto* combo = panel->findChild<CComboUI*>("keyset_function_combo");
  for (int i = 0; i < combo->GetCount(); ++i)
    if (combo->GetItemAt(i)->GetUserData() == QString::number(keys::kKindKeyboardKey))
      combo->SelectItem(i);
  RunFor(10);
  auto key = [&](uint32_t scan, uint32_t flags, bool down) {
    platform::KeyHookRecord record{0, scan, flags, 0};
    window_->SendMessage(CDeviceHook::KeyMessageOfMode(1), down ? platform::kHookKeyDown : platform::kHookKeyUp,
                         reinterpret_cast<LPARAM>(&record));
  };
  key(0x38, platform::kHookKeyExtended, true);  // right Alt
  key(0x1E, 0, true);                           // A
  key(0x1E, 0, false);
  key(0x38, platform::kHookKeyExtended, false);
  EXPECT_EQ(keys::CodeOf(mouse_->Mouse().KeyList()[button].Normal), (keys::FunctionCode{0x20, 0x04, 0x04}));
  panel->findChild<CButtonUI*>("key_butt_prosave")->Activate();
  Settle();
  EXPECT_EQ(Slot(mouse_->Mouse().ButtonSlot(button)), (std::array<uint8_t, 3>{0x20, 0x04, 0x04}));
}

// A macro recorded on the mouse page and given to a button is in the
// mouse's macro memory, and the button's slot plays it.
TEST_F(MousePage, AMacroOnAButtonIsDownloadedToTheMouse) {
  Start();
  CMacroControlUI* macros = mouse_->MacroPanel();
  ASSERT_NE(macros, nullptr);
  mouse_->ShowPage(3);
  macros->findChild<CButtonUI*>("macro_btn_name_add")->Activate();
  Settle();
  macros->findChild<CButtonUI*>("macro_btn_starredio")->Activate();
  Settle();
  platform::KeyHookRecord a{0, 0x1E, 0, 100};
  window_->SendMessage(CDeviceHook::KeyMessageOfMode(4), platform::kHookKeyDown, reinterpret_cast<LPARAM>(&a));
  a.timeMs = 150;
  window_->SendMessage(CDeviceHook::KeyMessageOfMode(4), platform::kHookKeyUp, reinterpret_cast<LPARAM>(&a));
  macros->findChild<CButtonUI*>("macro_btn_stopredio")->Activate();
  Settle();
  ASSERT_EQ(macros->Actions().Count(), 2u);

  const int button = 4;
  mouse_->ShowPage(2);
  qobject_cast<CDeviceKeyButtonUI*>(mouse_->KeyControls()[button])->Activate();
  RunFor(10);
  CKeySetControlUI* panel = mouse_->KeyPanel();
  auto* combo = panel->findChild<CComboUI*>("keyset_function_combo");
  for (int i = 0; i < combo->GetCount(); ++i)
    if (combo->GetItemAt(i)->GetUserData() == QString::number(keys::kKindMacro))
      combo->SelectItem(i);
  panel->findChild<CComboUI*>("keyset_macro_combo")->SelectItem(0);
  RunFor(10);
  panel->findChild<CButtonUI*>("key_butt_prosave")->Activate();
  Settle();
  const auto memory = *Firmware().Region("macro_memory");
  EXPECT_EQ(memory[0], 0xAA);
  EXPECT_EQ(memory[1], 0x55);
  EXPECT_EQ(Slot(mouse_->Mouse().ButtonSlot(button)), (std::array<uint8_t, 3>{0x70, 0x00, 0x00}));
}

// Through the receiver: settings reach the mouse; with the mouse switched
// off nothing is written and nothing is said.
TEST_F(MousePage, ThroughTheReceiverASwitchedOffMouseIsNotWritten) {
  Start("mouse-receiver");
  auto* rate = Control<COptionUI>("polling_rate_option_2");
  rate->Selected(true, false);
  Notify(rate, "selectchanged");
  EXPECT_EQ(Block()[Parameters::kReportRateOffset], 2);
  Firmware().SetWirelessOn(false);
  const auto before = Block();
  auto* other = Control<COptionUI>("polling_rate_option_4");
  other->Selected(true, false);
  Notify(other, "selectchanged");
  EXPECT_EQ(Block(), before);
  EXPECT_EQ(Profile()["ReportStages"]["StageActive"].asInt(), 4) << "the profile keeps the choice";
}

// A stage's colour from the colour dialog reaches the swatch, the profile
// and the mouse; a cancelled dialog changes nothing.
TEST_F(MousePage, AStageColourFromTheDialogReachesTheMouse) {
  Start();
  bool answer = true;
  uint32_t offered = 0;
  window_->MouseSettings().SetColourChooser([&](uint32_t initial, uint32_t& chosen) {
    offered = initial;
    chosen = 0xFF102030;
    return answer;
  });
  auto* swatch = Control<CButtonUI>("DPI_color_option_2");
  const uint32_t before = swatch->GetBkColor().rgba();
  answer = false;
  swatch->Activate();
  Settle();
  EXPECT_EQ(offered, before);
  EXPECT_EQ(swatch->GetBkColor().rgba(), before);
  answer = true;
  swatch->Activate();
  Settle();
  EXPECT_EQ(swatch->GetBkColor().rgba(), 0xFF102030u);
  const size_t at = Parameters::kStagesOffset + 2 * Parameters::kStageBytes + Parameters::kStageColourOffset;
  EXPECT_EQ((std::vector<uint8_t>{Block()[at], Block()[at + 1], Block()[at + 2]}),
            (std::vector<uint8_t>{0x10, 0x20, 0x30}));
  EXPECT_EQ(Profile()["DPIStages"]["StageDPIs"][2]["StageColorG"].asInt(), 0x20);
}
