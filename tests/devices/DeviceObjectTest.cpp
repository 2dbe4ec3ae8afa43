#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <mutex>
#include <vector>

#include "app/OwnControls.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "devices/CVarnisRO6533Device.h"
#include "platform/WindowMessageQueue.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CProgressUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "ui/CDeviceKeyButtonUI.h"

using namespace toolkit;

namespace {

class OwnTags : public IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const QString& tag) override { return CreateOwnControl(tag); }
};

// Records the page requests a device sends its window.
class OwnerWindow : public platform::MessageReceiver {
 public:
  platform::LResult ReceiveMessage(uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) override {
    if (message == PageVisibilityMessage)
      requests.emplace_back(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
  }
  std::vector<std::pair<int, int>> requests;
};

// A device whose operations the heartbeat drives are counted.
class CountingDevice : public CVarnisUSBDevice {
 public:
  // Answered at once, as a completion would be.
  void CheckWirelessLink(std::function<void(bool)> done, const std::string&) override {
    ++linkChecks;
    done(reachable);
  }
  void InitialRead() override { ++initialReads; }
  void PollPowerStatus() override { ++powerPolls; }
  void ResyncFromDevice() override { ++resyncs; }
  void OutputLightFrame() override { ++frames; }
  bool reachable = true;
  int initialReads = 0, powerPolls = 0, resyncs = 0, frames = 0, linkChecks = 0;
};

class Devices : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    RegisterOwnControls();
  }
  void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

  template <typename T>
  std::unique_ptr<T> Build(const QString& xml) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(xml, {}, &tags_, &manager_));
    EXPECT_TRUE(builder.Errors().isEmpty()) << builder.Errors().join("\n").toStdString();
    auto* typed = qobject_cast<T*>(root.get());
    if (typed != nullptr) {
      root.release();
      typed->SetManager(&manager_);
    }
    return std::unique_ptr<T>(typed);
  }

  QTemporaryDir data_;
  OwnTags tags_;
  CPaintManagerUI manager_;
};

// A page that binds its buttons the common way (the keyboard and the mouse
// have their own).
const char* kCommonPage = R"(<VarnisMousePadDevice>
  <VerticalLayout>
    <SelectPanel name="first_panel">
      <DeviceKeyButton name="key_0"/>
      <DeviceKeyButton name="key_200"/>
      <DeviceKeyButton name="keyX"/>
      <DeviceKeyButton name="light_2"/>
      <Button name="key_1"/>
    </SelectPanel>
  </VerticalLayout>
  <SelectPanel name="second_panel"><DeviceKeyButton name="key_1"/></SelectPanel>
  <TabLayout name="device_function_switch">
    <Control/><Control/><Control/><Control/>
  </TabLayout>
  <TabLayout name="device_key_function_switch">
    <Control/><Control/><Control/>
  </TabLayout>
</VarnisMousePadDevice>)";

}  // namespace

TEST_F(Devices, LightPointsAreZeroedOnEveryCountAndGuardedByRange) {
  CVarnisKeyboardDevice device;
  device.SetLedCount(3);
  device.SetLedColour(1, 0x80112233);
  EXPECT_EQ(device.GetLedColour(1), 0x80112233u);
  device.SetLedColour(3, 7);
  device.SetLedColour(-1, 7);
  EXPECT_EQ(device.GetLedColour(3), 0u);
  EXPECT_EQ(device.GetLedColour(-1), 0u);
  // The same count keeps the lists but starts every point afresh.
  device.SetLedCount(3);
  EXPECT_EQ(device.GetLedColour(1), 0u);
  EXPECT_EQ(device.LedControls().size(), 3u);
  EXPECT_EQ(device.LedLightState().size(), 3u);
}

TEST_F(Devices, AttachBindsTheButtonsOfTheFirstSelectionPanelOnly) {
  auto page = Build<CVarnisUSBDevice>(kCommonPage);
  ASSERT_NE(page, nullptr);
  page->SetLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
  page->SetKeyCount(126);
  page->SetLedCount(3);
  page->AttachToWindow();
  ASSERT_NE(page->PreviewPanel(), nullptr);
  EXPECT_EQ(page->PreviewPanel()->GetName(), "first_panel");
  ASSERT_NE(page->KeyControls()[0], nullptr);
  EXPECT_EQ(page->KeyControls()[0]->GetName(), "key_0");
  // A plain button and a button of another panel are not key buttons here.
  EXPECT_EQ(page->KeyControls()[1], nullptr);
  ASSERT_NE(page->LedControls()[2], nullptr);
  EXPECT_EQ(page->LedControls()[2]->GetName(), "light_2");
  int bound = 0;
  for (CControlUI* key : page->KeyControls())
    bound += key != nullptr ? 1 : 0;
  EXPECT_EQ(bound, 1) << "key_200 and keyX bind nothing";

  // Without a layout the page has no keys and no lights at all.
  page->SetLayoutPath({});
  page->AttachToWindow();
  EXPECT_EQ(page->GetKeyCount(), 0);
  EXPECT_EQ(page->GetLedCount(), 0);
  EXPECT_TRUE(page->KeyControls().empty());
  EXPECT_TRUE(page->LedControls().empty());
}

TEST_F(Devices, ShowPageSwitchesTheFunctionTabsByKindAndDevice) {
  struct Row {
    int page, f, k;
  };
  auto check = [&](CVarnisUSBDevice& device, const std::vector<Row>& rows) {
    auto* f = qobject_cast<CTabLayoutUI*>(manager_.FindSubControlByName(&device, "device_function_switch"));
    auto* k = qobject_cast<CTabLayoutUI*>(
        manager_.FindSubControlByName(&device, "device_key_function_switch"));
    ASSERT_NE(f, nullptr);
    ASSERT_NE(k, nullptr);
    for (const Row& row : rows) {
      SCOPED_TRACE(row.page);
      k->SelectItem(0);
      device.ShowPage(row.page);
      EXPECT_EQ(device.CurrentPage(), row.page);
      EXPECT_EQ(f->GetCurSel(), row.f);
      EXPECT_EQ(k->GetCurSel(), row.k);
    }
  };
  auto keyboard = Build<CVarnisUSBDevice>(kCommonPage);
  ASSERT_NE(keyboard, nullptr);
  InterfaceRecord identity;
  identity.DeviceType = DeviceTypes::Keyboard;
  keyboard->SetIdentity(identity);
  // K stays where it was (0 here) for the pages that leave it unchanged.
  check(*keyboard, {{2, 0, 1}, {6, 0, 1}, {3, 1, 0}, {8, 1, 0}, {4, 3, 0}, {7, 0, 2}, {5, 2, 0},
                    {1, 0, 0}, {9, 0, 0}});

  QString headsetPage = kCommonPage;
  headsetPage.replace("VarnisMousePadDevice", "VarnisRO6533Device");
  auto headset = Build<CVarnisUSBDevice>(headsetPage);
  ASSERT_NE(headset, nullptr);
  identity.DeviceType = DeviceTypes::Headset;
  headset->SetIdentity(identity);
  check(*headset, {{4, 0, 2}});
}

TEST_F(Devices, AKeyboardBindsOnlyTheButtonsOfItsKeyContainer) {
  const QString page = R"(<VarnisKeyboardDevice>
  <Container name="keyboard_device_key_light">
    <SelectPanel name="keys">
      <DeviceKeyButton name="key_0" userdata="light_2"/>
      <DeviceKeyButton name="key_200"/>
      <DeviceKeyButton name="keyX"/>
      <DeviceKeyButton name="light_1"/>
      <Button name="key_1"/>
    </SelectPanel>
  </Container>
  <SelectPanel name="elsewhere"><DeviceKeyButton name="key_3"/></SelectPanel>
</VarnisKeyboardDevice>)";
  auto keyboard = Build<CVarnisKeyboardDevice>(page);
  ASSERT_NE(keyboard, nullptr);
  keyboard->SetLayoutPath("XML\\DeviceXml\\keyboarddevice.xml");
  keyboard->SetKeyCount(126);
  keyboard->SetLedCount(3);
  keyboard->AttachToWindow();
  int keys = 0;
  for (CControlUI* key : keyboard->KeyControls())
    keys += key != nullptr ? 1 : 0;
  EXPECT_EQ(keys, 1) << "key_200, keyX, a plain button and a button elsewhere bind nothing";
  ASSERT_NE(keyboard->KeyControls()[0], nullptr);
  // A key button may be the light point of another index.
  EXPECT_EQ(keyboard->LedControls()[2], keyboard->KeyControls()[0]);
  auto* light = qobject_cast<CDeviceKeyButtonUI*>(keyboard->LedControls()[1]);
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->GetLightColour(), 0xFFFFFFu);
  EXPECT_EQ(light->GetLightOn(), 1);
  ASSERT_NE(keyboard->PreviewPanel(), nullptr);
  EXPECT_EQ(keyboard->PreviewPanel()->GetName(), "keyboard_device_key_light");

  // Without the container nothing is bound at all.
  QString bare = page;
  bare.replace("keyboard_device_key_light", "something_else");
  auto other = Build<CVarnisKeyboardDevice>(bare);
  ASSERT_NE(other, nullptr);
  other->SetLayoutPath("page");
  other->SetKeyCount(126);
  other->SetLedCount(3);
  other->AttachToWindow();
  for (CControlUI* key : other->KeyControls())
    EXPECT_EQ(key, nullptr);
  for (CControlUI* led : other->LedControls())
    EXPECT_EQ(led, nullptr);
  EXPECT_EQ(other->PreviewPanel(), nullptr);
}

TEST_F(Devices, TrayHiddenIsKeptOnlyByDevicesThatShowPower) {
  CVarnisKeyboardDevice device;
  device.SetTrayHidden(1);
  EXPECT_FALSE(device.IsTrayHidden());
  device.SetShowPower(1);
  device.SetTrayHidden(1);
  EXPECT_TRUE(device.IsTrayHidden());
}

TEST_F(Devices, PreviewPaintsEachLightInDisplayOrderUnlessLightControlIsOff) {
  auto page = Build<CVarnisUSBDevice>(kCommonPage);
  ASSERT_NE(page, nullptr);
  page->SetLayoutPath("page");
  page->SetKeyCount(126);
  page->SetLedCount(3);
  page->AttachToWindow();
  auto* light = qobject_cast<CDeviceKeyButtonUI*>(page->LedControls()[2]);
  ASSERT_NE(light, nullptr);
  page->SetVisible(true);
  // Red 0x11, green 0x22, blue 0x33 at level 0x80.
  page->SetLedColour(2, 0x80332211);
  page->OutputLightFrame();
  EXPECT_EQ(light->GetLightColour(), 0x223311u);
  EXPECT_EQ(light->GetLightLevel(), 0x80);
  EXPECT_EQ(light->GetLightOn(), 1);

  page->SetLedColour(2, 0xFF0000FF);
  page->SetLightControl(0);
  page->OutputLightFrame();
  EXPECT_EQ(light->GetLightColour(), 0x223311u) << "nothing is painted without light control";
}

TEST_F(Devices, PowerPanelShowsChargeStateWirelessAndPhone) {
  const QString xml = R"(<MpDevicePower>
    <HorizontalLayout name="device_power_Layout">
      <Control name="device_power_status"/>
      <Label name="device_power_value"/>
      <Progress name="device_Power_progress" min="0" max="100"/>
      <Control name="device_wuxian_logo" visible="false"/>
      <Control name="device_phone_type"/>
    </HorizontalLayout>
  </MpDevicePower>)";
  auto panel = Build<CMpDevicePowerUI>(xml);
  ASSERT_NE(panel, nullptr);
  auto sub = [&](const char* name) { return manager_.FindSubControlByName(panel.get(), name); };
  auto* progress = qobject_cast<CProgressUI*>(sub("device_Power_progress"));
  ASSERT_NE(progress, nullptr);

  panel->SetShowPower(0);
  EXPECT_FALSE(sub("device_power_Layout")->IsOwnVisible());
  panel->SetShowPower(1);
  EXPECT_TRUE(sub("device_power_Layout")->IsOwnVisible());

  // A mouse on battery through its receiver.
  panel->SetDeviceType(2, 0);
  panel->SetPowerStatus({85, 0, 0, 1, 0, 0});
  EXPECT_EQ(sub("device_power_value")->GetText(), "85%");
  EXPECT_EQ(progress->GetValue(), 15);
  EXPECT_TRUE(sub("device_wuxian_logo")->IsOwnVisible());
  EXPECT_EQ(sub("device_power_status")->GetBkImage(), "file='power/powered.png'");
  EXPECT_TRUE(progress->IsOwnVisible());
  // Charging with the wireless mark shown hides the bar.
  panel->SetPowerStatus({85, 1, 0, 1, 0, 0});
  EXPECT_EQ(sub("device_power_status")->GetBkImage(), "file='power/powering.png'");
  EXPECT_FALSE(progress->IsOwnVisible());
  // By cable: no wireless mark, the bar is back.
  panel->SetPowerStatus({100, 2, 0, 0, 0, 0});
  EXPECT_FALSE(sub("device_wuxian_logo")->IsOwnVisible());
  EXPECT_EQ(sub("device_power_status")->GetBkImage(), "file='power/power.png'");
  EXPECT_TRUE(progress->IsOwnVisible());
  EXPECT_TRUE(sub("device_phone_type")->GetBkImage().isEmpty()) << "only the pad shows a phone";

  // The pad: the wireless mark is left alone, the phone follows byte 5.
  panel->SetDeviceType(3, 0);
  panel->SetPowerStatus({50, 0, 0, 1, 0, 2});
  EXPECT_FALSE(sub("device_wuxian_logo")->IsOwnVisible());
  EXPECT_EQ(sub("device_phone_type")->GetToolTip(), "Phone_type_samsung");
  EXPECT_EQ(sub("device_phone_type")->GetBkImage(), "file='power/Phone_type_samsung.png'");
  panel->SetPowerStatus({50, 0, 0, 1, 0, 9});
  EXPECT_EQ(sub("device_phone_type")->GetBkImage(), "file='power/Phone_type_no_device.png'");
}

TEST_F(Devices, SelectorImagesFollowTheDeviceType) {
  EXPECT_EQ(CDeviceOptionUI::ImageStem(1, 0), "kb");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(2, 0), "ms");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(3, 0), "hard_mp");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(3, 1), "soft_mp");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(4, 0), "hd");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(7, 0), "hd");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(5, 0), "hub");
  EXPECT_EQ(CDeviceOptionUI::ImageStem(6, 0), "unknow");

  auto selector = Build<CDeviceOptionUI>(
      R"(<DeviceOption><Option name="device_select"/><Option name="synchro_device_select"/>
         <Label name="device_select_name"/></DeviceOption>)");
  ASSERT_NE(selector, nullptr);
  selector->SetKindValues(3, 1);
  EXPECT_EQ(selector->SelectOption()->GetNormalImage(), "common/device_ico/soft_mp_device_normal.png");
  EXPECT_EQ(selector->SynchroOption()->GetNormalImage(),
            "common/device_ico/soft_mp_device_synchro_normal.png");
  EXPECT_EQ(selector->NameControl()->GetRawText(), "soft_mp_device_name_text");
}

TEST_F(Devices, HeartbeatConnectsReadsAndFollowsTheReceiverLink) {
  OwnerWindow owner;
  platform::WindowMessageQueue queue(owner);
  auto selector = Build<CDeviceOptionUI>(R"(<DeviceOption><Option name="device_select"/></DeviceOption>)");
  ASSERT_NE(selector, nullptr);
  CountingDevice device;
  device.SetOwnerWindow(queue.Handle());
  device.SetKindIndex(0);
  device.SetShowPower(1);
  selector->SetDevice(&device);
  device.SetSelector(selector.get());

  // Through the receiver, with the mouse switched off: the page stays
  // hidden and the connect timer tries again in 3 s.
  device.Commands.IsOpen = true;
  device.Commands.SetMode(2);
  device.reachable = false;
  selector->SetShown(true);
  selector->DoTimer(CDeviceOptionUI::kTimerConnect);
  EXPECT_EQ(owner.requests, (std::vector<std::pair<int, int>>{{0, 0}}));
  EXPECT_EQ(device.initialReads, 0);
  EXPECT_TRUE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerConnect));
  EXPECT_EQ(selector->RetryCount(), 1);

  // It answers: page shown, read, preview, power and link timers.
  selector->SetShown(false);
  device.reachable = true;
  owner.requests.clear();
  selector->DoTimer(CDeviceOptionUI::kTimerConnect);
  EXPECT_EQ(owner.requests, (std::vector<std::pair<int, int>>{{0, 1}}));
  EXPECT_EQ(device.initialReads, 1);
  EXPECT_EQ(selector->RetryCount(), 0);
  EXPECT_FALSE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerConnect));
  for (UINT id : {CDeviceOptionUI::kTimerPreview, CDeviceOptionUI::kTimerPower,
                  CDeviceOptionUI::kTimerLink})
    EXPECT_TRUE(manager_.HasTimer(selector.get(), id)) << id;

  // Preview and power timers run again while the channel is open.
  selector->DoTimer(CDeviceOptionUI::kTimerPreview);
  selector->DoTimer(CDeviceOptionUI::kTimerPower);
  EXPECT_EQ(device.frames, 1);
  EXPECT_EQ(device.powerPolls, 1);
  EXPECT_TRUE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerPreview));
  EXPECT_TRUE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerPower));

  // The link timer hides the page when the mouse goes off and shows it
  // (with a power poll) when it comes back.
  owner.requests.clear();
  selector->SetShown(true);
  device.reachable = false;
  selector->DoTimer(CDeviceOptionUI::kTimerLink);
  selector->SetShown(false);
  device.reachable = true;
  selector->DoTimer(CDeviceOptionUI::kTimerLink);
  EXPECT_EQ(owner.requests, (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}}));
  EXPECT_EQ(device.powerPolls, 2);
  EXPECT_TRUE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerLink));

  // Once disconnected, the preview stops by itself; by cable no link timer.
  device.Commands.IsOpen = false;
  device.Commands.SetMode(1);
  selector->DoTimer(CDeviceOptionUI::kTimerPreview);
  selector->DoTimer(CDeviceOptionUI::kTimerLink);
  EXPECT_FALSE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerPreview));
  EXPECT_FALSE(manager_.HasTimer(selector.get(), CDeviceOptionUI::kTimerLink));
  selector->DoTimer(CDeviceOptionUI::kTimerResync);
  EXPECT_EQ(device.resyncs, 1);
  device.SetSelector(nullptr);
}
