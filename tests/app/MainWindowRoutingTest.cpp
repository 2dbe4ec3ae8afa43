#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QTemporaryDir>

#include "app/CMainWnd.h"
#include "app/SettingsWindowCommands.h"
#include "ui/CSetWnd.h"
#include "app/DeviceDetector.h"
#include "app/DevicePageSet.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/IndexedName.h"
#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

struct Hit {
  std::string type, name;
  int index;
  RouteOwner owner;
  bool operator==(const Hit&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Hit& hit) {
  return out << hit.type << " " << hit.name << " " << hit.index << " -> "
             << RouteOwnerName(hit.owner);
}

// The main window on the shipped skin with no device attached, every row it
// reaches recorded.
class Routing : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_ = std::make_unique<testing_support::MainWindowEnvironment>(runtime_.path());
    ASSERT_TRUE(environment_->SkinLoaded());
    ASSERT_EQ(server_.Start(), platform::LocalMessageServer::StartResult::Listening);
    server_.SetHandler(ShellState::DeliverFromOtherProgram);
    ShellState::SetMessageServer(&server_);
    listener_.connectToServer(platform::LocalMessageServer::SocketPath());
    ASSERT_TRUE(RunUntil([&] { return server_.ClientCount() == 1; }));

    window_ = std::make_unique<CMainWnd>();
    window_->SetRouteObserver([this](const CMainWnd::RouteCall& call) {
      hits_.push_back({call.type.toStdString(), call.name.toStdString(), call.index, call.owner});
    });
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    ASSERT_TRUE(RunUntil([&] { return window_->IsInitialised() && window_->isVisible(); }));
    hits_.clear();
  }
  void TearDown() override {
    window_.reset();
    ShellState::SetMessageServer(nullptr);
    ShellState::SetRunning(true);
    environment_.reset();
  }
  // A notification from a control of that name, as the toolkit raises it.
  void Raise(const char* type, const char* name, WPARAM wParam = 0) {
    CControlUI sender;
    sender.SetName(name);
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = &sender;
    msg.wParam = wParam;
    window_->Notify(msg);
  }
  // What was reached, without the window's own comings and goings.
  std::vector<Hit> Take() {
    std::vector<Hit> hits;
    for (Hit& hit : std::exchange(hits_, {}))
      if (hit.name != "InstanceMessage" && hit.name.rfind("WM_ACTIVATE", 0) != 0 &&
          hit.name.rfind("WM_MOUSE", 0) != 0 && hit.name != "WM_DISPLAYCHANGE" &&
          hit.name != "WM_DPICHANGED")
        hits.push_back(std::move(hit));
    return hits;
  }
  DevicePageSet& Pages() { return window_->Pages(); }
  // The next line the listening program receives.
  std::optional<platform::SocketMessage> NextBroadcast() {
    if (!RunUntil([&] { return listener_.canReadLine(); }))
      return std::nullopt;
    return platform::SocketMessage::Decode(listener_.readLine().trimmed());
  }
  void SkipBroadcasts() {
    RunFor(50);
    while (listener_.canReadLine())
      listener_.readLine();
  }
  LRESULT Send(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return window_->SendMessage(message, wParam, lParam);
  }

  QTemporaryDir runtime_;
  std::unique_ptr<testing_support::MainWindowEnvironment> environment_;
  platform::LocalMessageServer server_;
  QLocalSocket listener_;
  std::unique_ptr<CMainWnd> window_;
  std::vector<Hit> hits_;
};

}  // namespace

TEST(IndexedNames, SplitAtTheLastUnderscoreWithADecimalNumber) {
  QString prefix;
  int index = -1;
  EXPECT_TRUE(platform::SplitIndexedName("key_12", prefix, index));
  EXPECT_EQ(prefix, "key_");
  EXPECT_EQ(index, 12);
  EXPECT_TRUE(platform::SplitIndexedName("light_0_14", prefix, index));
  EXPECT_EQ(prefix, "light_0_");
  EXPECT_EQ(index, 14);
  for (const char* name : {"keyX", "key_", "key_1a", "closebtn", "key_-1"})
    EXPECT_FALSE(platform::SplitIndexedName(name, prefix, index)) << name;
}

TEST_F(Routing, IndexedAndExactNamesReachTheirFeatureWithTheirNumber) {
  Raise("click", "key_12");
  Raise("click", "KEY_3");  // names are compared without regard to case
  Raise("click", "color_option_3");
  Raise("valuechanged", "DPI_slider_2");
  Raise("movevaluechanged", "DPI_slider_4");
  Raise("selectchanged", "keyboard_key_125");
  Raise("selectchanged", "keyboard_key_126");  // past the keyboard's keys
  Raise("killfocus", "deng_edit_G");
  Raise("colorchanged", "deng_Color_Pallet");
  Raise("click_select_end", "mouse_device_key_light");
  Raise("click", "macro_btn_deleteall");
  EXPECT_EQ(Take(), (std::vector<Hit>{
                        {"click", "key_12", 12, RouteOwner::KeyAssignment},
                        {"click", "key_12", 12, RouteOwner::Lighting},
                        {"click", "KEY_3", 3, RouteOwner::KeyAssignment},
                        {"click", "KEY_3", 3, RouteOwner::Lighting},
                        {"click", "color_option_3", 3, RouteOwner::Lighting},
                        {"valuechanged", "DPI_slider_2", 2, RouteOwner::Dpi},
                        {"movevaluechanged", "DPI_slider_4", 4, RouteOwner::Dpi},
                        {"selectchanged", "keyboard_key_125", 125, RouteOwner::KeyAssignment},
                        {"killfocus", "deng_edit_G", -1, RouteOwner::Lighting},
                        {"colorchanged", "deng_Color_Pallet", -1, RouteOwner::Lighting},
                        {"click_select_end", "mouse_device_key_light", -1, RouteOwner::Lighting},
                        {"click", "macro_btn_deleteall", -1, RouteOwner::Macros},
                    }));
}

TEST_F(Routing, NamesNoTableListsAndTypesWithoutActionChangeNothing) {
  const int lightControl = window_->LightControlOn();
  Raise("click", "no_such_button");
  Raise("click", "light_3");
  Raise("valuechanged", "key_12");  // the right name, but not for this type
  Raise("textchanged", "deng_edit_R");
  Raise("msenter", "closebtn");
  Raise("click_wpedit", "closebtn");
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(window_->LightControlOn(), lightControl);
  // A page's control named like a title-bar button is not that button.
  Raise("click", "closebtn");
  EXPECT_TRUE(Take().empty());
  EXPECT_FALSE(window_->IsDestroying());
}

TEST_F(Routing, ItemSelectionsRefreshTheKeyPanelAfterTheirOwnRow) {
  Raise("itemselect", "keyset_function_combo");
  Raise("itemselect", "keyset_media_combo");
  Raise("itemselect", "light_combo_modeSelect");
  EXPECT_EQ(Take(), (std::vector<Hit>{
                        {"itemselect", "keyset_function_combo", -1, RouteOwner::KeyAssignment},
                        {"itemselect-refresh", "keyset_function_combo", -1, RouteOwner::KeyAssignment},
                        {"itemselect-refresh", "keyset_media_combo", -1, RouteOwner::KeyAssignment},
                        {"itemselect", "light_combo_modeSelect", -1, RouteOwner::Lighting},
                    }));
}

TEST_F(Routing, FunctionTabsShowTheirPageAndTellTheProfilePanel) {
  Pages().ShowDevicePage(DevicePageSet::Keyboard, true, true);
  CVarnisUSBDevice* keyboard = window_->CurrentDevice();
  ASSERT_NE(keyboard, nullptr);
  EXPECT_EQ(keyboard, Pages().Devices(DevicePageSet::Keyboard).front());
  const char* tabs[] = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab",
                        "system_Op_tab", "cursor_Op_tab",     "6533_voice_Op_tab",
                        "magic_Op_tab",  "Virtual7.1_Op_tab"};
  for (int page = 1; page <= 8; ++page) {
    Raise("selectchanged", tabs[page - 1]);
    EXPECT_EQ(keyboard->CurrentPage(), page);
  }
  const auto hits = Take();
  ASSERT_EQ(hits.size(), 16u);
  EXPECT_EQ(hits[14].owner, RouteOwner::MainWindow);
  EXPECT_EQ(hits[15], (Hit{"selectchanged", "Virtual7.1_Op_tab", -1, RouteOwner::ProfilePanelTab}));
}

TEST_F(Routing, PreviousAndNextSelectTheNeighbouringVisibleDevice) {
  Pages().ShowDevicePage(DevicePageSet::Mouse, true, true);
  Pages().ShowDevicePage(DevicePageSet::MousePad, true, false);
  auto click = [&](const char* name) {
    static_cast<CButtonUI*>(window_->FindControl(name))->Activate();
  };
  click("device_select_next");  // the keyboard's tile is hidden: skipped
  EXPECT_TRUE(Pages().SelectorAt(DevicePageSet::MousePad)->IsSelected());
  EXPECT_EQ(window_->CurrentDevice(), Pages().Devices(DevicePageSet::MousePad).front());
  click("device_select_next");  // nothing after the last one
  EXPECT_TRUE(Pages().SelectorAt(DevicePageSet::MousePad)->IsSelected());
  click("device_select_prev");
  EXPECT_TRUE(Pages().SelectorAt(DevicePageSet::Mouse)->IsSelected());
}

TEST_F(Routing, TheLightSwitchStartsOnTogglesAndTellsOtherPrograms) {
  SkipBroadcasts();
  EXPECT_EQ(window_->LightControlOn(), 1);
  CControlUI* lightSwitch = window_->FindControl("control_light_status");
  EXPECT_EQ(lightSwitch->GetText(), QString::fromUtf8("控制灯光"));
  CVarnisUSBDevice* mouse = Pages().Devices(DevicePageSet::Mouse).front();
  static_cast<CButtonUI*>(lightSwitch)->Activate();
  EXPECT_EQ(window_->LightControlOn(), 0);
  EXPECT_EQ(lightSwitch->GetText(), QString::fromUtf8("不控制灯光"));
  EXPECT_FALSE(mouse->IsLightControlEnabled());
  auto notice = NextBroadcast();
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->name, ShellMessages::kLightControlNoticeName);
  EXPECT_EQ(notice->wParam, 1);
  EXPECT_EQ(notice->lParam, 0);

  // A request from another program: only wParam 1 counts.
  const uint32_t request = ShellMessages::Get().LightControlRequest;
  Send(request, 2, 1);
  EXPECT_EQ(window_->LightControlOn(), 0);
  Send(request, 1, 1);
  EXPECT_EQ(window_->LightControlOn(), 1);
  EXPECT_TRUE(mouse->IsLightControlEnabled());
  EXPECT_EQ(lightSwitch->GetText(), QString::fromUtf8("控制灯光"));
}

TEST_F(Routing, WhileTheMachineSleepsDeviceMessagesAreNotHandled) {
  CVarnisUSBDevice* keyboard = Pages().Devices(DevicePageSet::Keyboard).front();
  Send(platform::WM_POWERBROADCAST, platform::PBT_APMSUSPEND);
  EXPECT_FALSE(ShellState::IsRunning());
  EXPECT_FALSE(keyboard->IsLightControlEnabled());
  Take();
  Send(DeviceArrivedMessage, 1);
  Send(PageVisibilityMessage, DevicePageSet::Keyboard, 1);
  EXPECT_TRUE(Take().empty());
  EXPECT_FALSE(Pages().SelectorAt(DevicePageSet::Keyboard)->IsShown());

  Send(platform::WM_POWERBROADCAST, platform::PBT_APMRESUMEAUTOMATIC);
  EXPECT_TRUE(ShellState::IsRunning());
  EXPECT_TRUE(keyboard->IsLightControlEnabled()) << "the switch is on";
  Send(PageVisibilityMessage, DevicePageSet::Keyboard, 1);
  EXPECT_TRUE(Pages().SelectorAt(DevicePageSet::Keyboard)->IsShown());
}

TEST_F(Routing, ActivationAndHoverFollowTheWindowUnlessItIsActive) {
  CVarnisUSBDevice* pad = Pages().Devices(DevicePageSet::MousePad).front();
  Send(platform::WM_ACTIVATE, 0);
  EXPECT_EQ(window_->WindowActiveFlag(), 0);
  EXPECT_EQ(window_->WindowLocked(), 0);
  EXPECT_FALSE(pad->IsWindowActive());
  Send(platform::WM_MOUSEHOVER);
  EXPECT_EQ(window_->WindowActiveFlag(), 1);
  EXPECT_TRUE(pad->IsWindowActive());
  Send(platform::WM_MOUSELEAVE);
  EXPECT_EQ(window_->WindowActiveFlag(), 0);
  // Active: the mouse leaving changes nothing.
  Send(platform::WM_ACTIVATE, 1);
  EXPECT_EQ(window_->WindowLocked(), 1);
  Send(platform::WM_MOUSELEAVE);
  EXPECT_EQ(window_->WindowActiveFlag(), 1);
  EXPECT_TRUE(pad->IsWindowActive());
}

TEST_F(Routing, TheToolQueryIsAnsweredWithTheDeviceKinds) {
  SkipBroadcasts();
  Send(ShellMessages::Get().ToolQueryMessage);
  auto answer = NextBroadcast();
  ASSERT_TRUE(answer);
  ASSERT_TRUE(answer->IsCopyData());
  EXPECT_EQ(answer->dwData, 5u);
  ASSERT_EQ(answer->data.size(), 1024);
  std::vector<uint32_t> values(17);
  std::memcpy(values.data(), answer->data.constData(), values.size() * 4);
  EXPECT_EQ(values, (std::vector<uint32_t>{2, 3, 0, 2, 4, 0x320F, 0x50EF, 2, 0x320F, 0x5055, 1,
                                           0x320F, 0x1004, 3, 0x0C76, 0x1630, 7}));
  EXPECT_EQ(answer->data.mid(68), QByteArray(1024 - 68, '\0')) << "zero-filled";
}

TEST_F(Routing, CaptureRecordsReachTheSpectrumAndTheScreenColours) {
  const std::array<int, 6> colours = {10, 20, 30, 40, 50, 60};
  platform::CopyDataRecord screen{2, sizeof colours, colours.data()};
  Send(platform::WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&screen));
  EXPECT_EQ(window_->ScreenColourBuffer(), colours);
  std::array<int32_t, 500> bins{};
  bins[10] = 4000;
  platform::CopyDataRecord audio{1, sizeof bins, bins.data()};
  Send(platform::WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&audio));
  const auto* bytes = reinterpret_cast<const uint8_t*>(bins.data());
  EXPECT_EQ(window_->SpectrumBuffer(), (std::vector<uint8_t>(bytes, bytes + sizeof bins)));
  const uint8_t other[] = {1, 2, 3, 4};
  platform::CopyDataRecord unknown{7, sizeof other, other};
  Send(platform::WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&unknown));
  EXPECT_EQ(Take(), (std::vector<Hit>{{"message", "WM_COPYDATA 2", -1, RouteOwner::MainWindow},
                                      {"message", "WM_COPYDATA 1", -1, RouteOwner::AudioLighting}}));

  // Records of the wrong size are dropped: a spectrum is 2000 bytes, the
  // screen statistics 24, whoever sends them.
  const std::array<int32_t, 7> longScreen = {1, 2, 3, 4, 5, 6, 7};
  platform::CopyDataRecord badScreen{2, sizeof longScreen, longScreen.data()};
  Send(platform::WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&badScreen));
  platform::CopyDataRecord shortAudio{1, sizeof other, other};
  Send(platform::WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&shortAudio));
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(window_->ScreenColourBuffer(), colours);
  EXPECT_EQ(window_->SpectrumBuffer().size(), sizeof bins);
}

TEST_F(Routing, SmallMessagesOfTheMainWindow) {
  EXPECT_FALSE(window_->FindControl("setting_progress")->IsOwnVisible());
  Send(ShowProgressMessage);
  EXPECT_TRUE(window_->FindControl("setting_progress")->IsOwnVisible());
  Take();
  Send(LanguageMessage, 1);
  // The settings window runs modally: closed as soon as it shows.
  window_->Settings().SetShownListener([](CSetWnd& settings) { settings.Close(IDCANCEL); });
  Send(OpenSettingsMessage);
  Send(SelectProfileMessage, 2);
  EXPECT_EQ(Take(), (std::vector<Hit>{{"message", "0x0C11", -1, RouteOwner::Language},
                                      {"message", "0x0C11 labels", -1, RouteOwner::KeyLabels},
                                      {"message", "0x0C15", -1, RouteOwner::SettingsWindow},
                                      {"message", "0x0D00", -1, RouteOwner::Profiles}}));
}

TEST_F(Routing, AGameEventWithoutASelectedDeviceStillStartsTheLightTimer) {
  window_->SetGameLightDelay(50);
  ASSERT_EQ(window_->CurrentDevice(), nullptr);
  const uint32_t gameStart = ShellMessages::Get().MainWindowList[20];
  Send(gameStart, 1, 2);
  EXPECT_EQ(Take(), (std::vector<Hit>{{"message", "Game_Start", -1, RouteOwner::Lighting}}));
  // Timer 1066 gives the device its light mode back after 5 s (50 ms here).
  std::vector<Hit> later;
  ASSERT_TRUE(RunUntil(
      [&] {
        for (Hit& hit : Take())
          later.push_back(hit);
        return !later.empty();
      },
      2000));
  EXPECT_EQ(later, (std::vector<Hit>{{"timer", "1066", -1, RouteOwner::Lighting}}));
}

TEST_F(Routing, LayoutTagsAreBuiltFromTheirFilesAndFeaturesAddTheirControls) {
  EXPECT_EQ(window_->CreateControl("FutureControl"), nullptr) << "no feature builds it";
  window_->SetControlCreator("FutureControl", [] { return new CControlUI; });
  std::unique_ptr<CControlUI> created(window_->CreateControl("futurecontrol"));
  EXPECT_NE(created, nullptr);
  std::unique_ptr<CControlUI> recoil(window_->CreateControl("shootcontrol"));
  ASSERT_NE(recoil, nullptr);
  EXPECT_EQ(recoil->GetClass(), "ShootControl");
  std::unique_ptr<CControlUI> magic(window_->CreateControl("magiccontrol"));
  ASSERT_NE(magic, nullptr);
  EXPECT_EQ(magic->GetClass(), "MagicControl");
  // A layout tag gives the root of its file; one whose file the skin does
  // not have yet gives nothing.
  std::unique_ptr<CControlUI> profile(window_->CreateControl("deviceprofileui"));
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->GetClass(), "DeviceProfile");
  std::unique_ptr<CControlUI> recoilLayout(window_->CreateControl("ShootKeySetControlUI"));
  ASSERT_NE(recoilLayout, nullptr);
  EXPECT_EQ(recoilLayout->GetClass(), "ShootControl");
  EXPECT_EQ(window_->CreateControl("VirtualSetControlUI"), nullptr) << "a layout the skin lacks";
  std::unique_ptr<CControlUI> button(window_->CreateControl("devicekeybutton"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetClass(), "DeviceKeyButton");
}

// The rows whose feature is still to come. Each feature that lands registers
// its handler and takes its rows off both lists.
TEST_F(Routing, TheWaitingListIsKnown) {
  const std::vector<std::string> expected = {
    "tag ComboEditContainerElement -> key assignment",
    "tag KeySetControl -> key assignment",
  };
  const std::vector<std::string> waiting = window_->WaitingRows();
  std::string printed;
  for (const std::string& row : waiting)
    printed += "    \"" + row + "\",\n";
  EXPECT_EQ(waiting, expected) << "rows still waiting:\n" << printed;
}
