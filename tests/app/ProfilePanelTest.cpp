#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "app/OwnControls.h"
#include "app/ProfileCommands.h"
#include "app/ShellMessages.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/DataFolders.h"
#include "platform/WindowMessages.h"
#include "profiles/JsonFile.h"
#include "profiles/ProfileList.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CMsgWnd.h"

#include <QApplication>
#include <QTimer>

using namespace toolkit;
using testing_support::RunUntil;

namespace {

// The main window's profile panels on the shipped skin and templates, with
// the user's answers and file choices given by the test.
class ProfilePanel : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_ = std::make_unique<testing_support::MainWindowEnvironment>(root_.path());
    ASSERT_TRUE(environment_->SkinLoaded());
    window_ = std::make_unique<CMainWnd>();
    window_->Profiles().SetQuestion([this](const QString& text, bool, int buttons) {
      asked_.push_back(text);
      return buttons == 1 ? answer_ : 1;
    });
    window_->Profiles().SetFileChooser([this](bool) { return chosenFile_; });
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(RunUntil([&] { return window_->IsInitialised(); }));
    window_->Pages().ShowDevicePage(DevicePageSet::Keyboard, true, true);
    keyboard_ = window_->CurrentDevice();
    ASSERT_NE(keyboard_, nullptr);
    panel_ = keyboard_->ProfilePanel();
    ASSERT_NE(panel_, nullptr);
  }
  void TearDown() override {
    window_.reset();
    environment_.reset();
  }
  // A button of the keyboard's profile panel, clicked as the user would.
  void Click(const char* name) {
    auto* button = panel_->findChild<CButtonUI*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->Activate();
  }
  CComboUI* Combo() { return panel_->findChild<CComboUI*>("device_profile_combo"); }
  std::vector<QString> ComboNames() {
    std::vector<QString> names;
    for (int i = 0; i < Combo()->GetCount(); ++i)
      names.push_back(Combo()->GetItemAt(i)->GetText());
    return names;
  }

  QTemporaryDir root_;
  std::unique_ptr<testing_support::MainWindowEnvironment> environment_;
  std::unique_ptr<CMainWnd> window_;
  CVarnisUSBDevice* keyboard_ = nullptr;
  CDeviceProfileUI* panel_ = nullptr;
  int answer_ = 1;
  QString chosenFile_;
  std::vector<QString> asked_;
};

}  // namespace

TEST_F(ProfilePanel, EveryPageStartsWithProfile1MadeFromItsTemplate) {
  for (CVarnisUSBDevice* device : window_->Pages().AllDevices()) {
    SCOPED_TRACE(device->GetKindName().toStdString());
    CDeviceProfileUI* panel = device->ProfilePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetProfileCount(), 1);
    EXPECT_EQ(panel->GetNameEditText(), "Profile1");
    EXPECT_EQ(device->GetProfileId(), panel->GetSelectedId());
    const Json::Value profile = JsonFile().ReadJson(panel->GetProfilePathAt(0));
    EXPECT_EQ(profile["profilename"].asString(), "Profile1");
    EXPECT_TRUE(profile["Device"][0].isObject()) << "the template's section";
  }
  // The keyboard has no pointer tab.
  EXPECT_FALSE(panel_->findChild<CControlUI*>("cursor_Op_tab")->IsOwnVisible());
}

TEST_F(ProfilePanel, CommandsAskFirstAndChangeListAndCombo) {
  answer_ = 0;
  Click("device_add_btn");
  EXPECT_EQ(ComboNames(), std::vector<QString>{"Profile1"}) << "declined";
  answer_ = 1;
  Click("device_add_btn");
  Click("device_copy_btn");
  EXPECT_EQ(ComboNames(), (std::vector<QString>{"Profile1", "profile2", "Profile1 copy"}));
  EXPECT_EQ(asked_, (std::vector<QString>{"message_text_27", "message_text_27", "message_text_26"}));
  asked_.clear();

  // Rename through the name edit.
  panel_->SetNameEditText("   ");
  Click("device_profile_edit_save_btn");
  panel_->SetNameEditText("PROFILE2");
  Click("device_profile_edit_save_btn");
  panel_->SetNameEditText("Games");
  Click("device_profile_edit_save_btn");
  EXPECT_EQ(asked_, (std::vector<QString>{"message_text_25", "message_text_5"}));
  EXPECT_EQ(ComboNames()[0], "Games");

  // Delete the selected (first) profile: the next one becomes current.
  Click("device_sub_btn");
  EXPECT_EQ(ComboNames(), (std::vector<QString>{"profile2", "Profile1 copy"}));
  EXPECT_EQ(panel_->GetSelectedIndex(), 0);
  EXPECT_EQ(keyboard_->GetProfileId(), panel_->GetSelectedId());
}

TEST_F(ProfilePanel, ImportAndExportGoThroughTheChosenFiles) {
  chosenFile_ = root_.path() + "/shared.json";
  Click("device_export_btn");
  ASSERT_TRUE(QFile::exists(chosenFile_));
  Click("device_import_btn");
  EXPECT_EQ(ComboNames(), (std::vector<QString>{"Profile1", "shared"}));
  chosenFile_.clear();  // cancelled
  Click("device_import_btn");
  EXPECT_EQ(Combo()->GetCount(), 2);
}

TEST_F(ProfilePanel, ChoosingInTheComboSwitchesTheDeviceAfterTheTimer) {
  Click("device_add_btn");
  const QString first = keyboard_->GetProfileId();
  Combo()->SelectItem(1, false, true);  // the user's choice raises "itemselect"
  EXPECT_EQ(keyboard_->GetProfileId(), first) << "not before timer 1055";
  ASSERT_TRUE(RunUntil([&] { return keyboard_->GetProfileId() != first; }, 2000));
  EXPECT_EQ(keyboard_->GetProfileId(), panel_->GetSelectedId());
  EXPECT_EQ(panel_->List()->Selected(), 1);
}

TEST_F(ProfilePanel, TheFunctionTabsAndTheMenuButton) {
  auto* keys = panel_->findChild<COptionUI*>("key_Op_tab");
  keys->Activate();
  EXPECT_TRUE(keys->IsSelected());
  EXPECT_FALSE(panel_->findChild<COptionUI*>("deng_Op_tab")->IsSelected());
  EXPECT_EQ(keyboard_->CurrentPage(), 2);
  EXPECT_FALSE(panel_->IsProfileMenuShown());
  Click("profile_fun_spread_btn");
  EXPECT_TRUE(panel_->IsProfileMenuShown());
  Click("profile_fun_spread_btn");
  EXPECT_FALSE(panel_->IsProfileMenuShown());
}

TEST_F(ProfilePanel, ResetAsksFirstAndOnlyThenForgetsTheStoredColours) {
  const QString palette = platform::DataFolders::UserDataDir() + ProfileCommands::kPaletteFile;
  QFile file(palette);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("{}");
  file.close();
  answer_ = 0;
  Click("device_reset_btn");
  EXPECT_TRUE(QFile::exists(palette)) << "declined: nothing is lost";
  answer_ = 1;
  Click("device_reset_btn");
  EXPECT_FALSE(QFile::exists(palette));
  EXPECT_EQ(asked_, (std::vector<QString>{"message_text_22", "message_text_22"}));
}

// The real message box, not the test's answers: it sets every window to the
// DPI it is given, so it must be given the main window's own.
TEST_F(ProfilePanel, AConfirmationKeepsTheMainWindowAtItsDpi) {
  window_->Profiles().SetQuestion({});
  // Timer 1011 sizes the window for the screen (96 offscreen): run it now,
  // which also takes it off, so that it cannot come after the change below.
  window_->SendMessage(platform::WM_TIMER, CMainWnd::kTimerResize, 0);
  ASSERT_EQ(window_->size(), QSize(1000, 640));
  CPaintManagerUI::SetAllDPI(144);
  const QSize before = window_->size();
  ASSERT_EQ(window_->PaintManager().GetDPI(), 144);
  int boxDpi = 0;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<CMsgWnd*>(w); box != nullptr && box->isVisible()) {
        boxDpi = box->Dpi();
        static_cast<CButtonUI*>(box->FindControl("confirm_btn"))->Activate();
      }
  });
  Click("device_add_btn");
  EXPECT_EQ(boxDpi, 144);
  EXPECT_EQ(ComboNames().size(), 2u) << "confirmed";
  EXPECT_EQ(window_->PaintManager().GetDPI(), 144);
  EXPECT_EQ(window_->size(), before);
  CPaintManagerUI::SetAllDPI(96);
}
