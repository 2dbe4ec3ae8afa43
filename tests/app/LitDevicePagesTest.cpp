#include <gtest/gtest.h>

#include "app/DevicePageSet.h"
#include "app/LightingCommands.h"
#include "app/ProfileCommands.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "devices/CVarnisMouseDevice.h"
#include "devices/CVarnisMousePadDevice.h"
#include "devices/CVarnisRO6533Device.h"
#include "lighting/LightInfoWords.h"
#include "profiles/JsonFile.h"
#include "protocol/HeadsetLightReport.h"
#include "protocol/ParameterBlocks.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CDeviceProfileUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

using Parameters = protocol::PadParameters;

// The mouse pad's and the headset's pages on the shipped skin, with the
// other kinds where the same mode needs them, against the simulator.
class LitPages : public testing_support::SimulatedMainWindow {
 protected:
  void Start(std::initializer_list<const char*> connections) {
    for (const char* connection : connections)
      ASSERT_TRUE(simulator_->Plug(connection));
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
  }
  template <typename Page>
  Page* WaitForPage(DevicePageSet::Kind kind) {
    Page* page = nullptr;
    EXPECT_TRUE(RunUntil([&] {
      const auto& list = window_->Pages().Devices(kind);
      page = list.empty() ? nullptr : qobject_cast<Page*>(list.front());
      return page != nullptr && page->Commands.IsOpen && page->Core().IsIdle() &&
             page->Core().LightThread().IsRunning();
    })) << "kind " << kind << " was never read";
    return page;
  }
  void Show(CVarnisUSBDevice* page, DevicePageSet::Kind kind) {
    window_->Pages().ShowDevicePage(kind, true, true);
    ASSERT_EQ(window_->CurrentDevice(), page);
    Settle(page);
  }
  void Settle(CVarnisUSBDevice* page) {
    RunFor(10);
    ASSERT_TRUE(RunUntil([&] { return page->Core().IsIdle(); }));
  }
  template <typename T>
  T* Control(CVarnisUSBDevice* page, const char* name) {
    auto* control = page->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  std::vector<uint8_t> Block(sim::DeviceKind kind, int slot = 0) {
    const auto memory = *simulator_->Firmware(kind).Region("parameters");
    return {memory.begin() + slot * Parameters::kStride,
            memory.begin() + slot * Parameters::kStride + Parameters::kSize};
  }
  LightInfo Light(CVarnisUSBDevice* page) { return FromLightWords(page->GetLightWords()); }
  size_t HeadsetReports() { return simulator_->Firmware(sim::DeviceKind::Headset).LightReports().size(); }
  size_t HeadsetLogged() {
    size_t n = 0;
    for (const auto& entry : simulator_->Firmware(sim::DeviceKind::Headset).Log())
      n += entry.report[0] == protocol::HeadsetLightReport::kReportId ? 1 : 0;
    return n;
  }
};

}  // namespace

// Mode, brightness and speed changed on each page reach the block the
// device reads back and the profile; the device's own bytes stay as they
// were.
TEST_F(LitPages, PadAndHeadsetWriteTheirLightingAndKeepTheirOwnBytes) {
  Start({"pad", "headset"});
  auto* pad = WaitForPage<CVarnisMousePadDevice>(DevicePageSet::MousePad);
  auto* headset = WaitForPage<CVarnisRO6533Device>(DevicePageSet::Headset);
  ASSERT_TRUE(pad && headset);
  // Each page keeps its own function tab: building the headset's page left
  // the pad's lighting tab selected.
  EXPECT_TRUE(Control<COptionUI>(pad, "deng_Op_tab")->IsSelected());
  EXPECT_TRUE(Control<COptionUI>(headset, "deng_Op_tab")->IsSelected());
  for (auto [page, kind, device] :
       {std::tuple{static_cast<CVarnisLightingDevice*>(pad), DevicePageSet::MousePad,
                   sim::DeviceKind::Pad},
        std::tuple{static_cast<CVarnisLightingDevice*>(headset), DevicePageSet::Headset,
                   sim::DeviceKind::Headset}}) {
    SCOPED_TRACE(static_cast<int>(kind));
    Show(page, kind);
    const std::vector<uint8_t> factory = Block(device);
    Control<CComboUI>(page, "light_combo_modeSelect")->SelectItem(2, false, true);
    Settle(page);
    Control<CSliderUI>(page, "deng_light_slider")->SetValue(1, true);
    Settle(page);
    Control<CSliderUI>(page, "deng_speed_slider")->SetValue(3, true);
    Settle(page);
    const std::vector<uint8_t> block = Block(device);
    EXPECT_EQ(block[Parameters::kModeOffset], page->Pad().ModeList().ValueAt(2));
    EXPECT_EQ(block[Parameters::kBrightnessOffset], 1);
    EXPECT_EQ(block[Parameters::kSpeedOffset], 4 - 3);
    EXPECT_EQ(block[Parameters::kDirectionOffset], factory[Parameters::kDirectionOffset]);
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + Parameters::kLightingEnd, block.end()),
              std::vector<uint8_t>(factory.begin() + Parameters::kLightingEnd, factory.end()));
    const Json::Value info = JsonFile().ReadJson(page->ProfilePath())["Device"][0]["LightInfo"];
    EXPECT_EQ(info["SelectItem"].asInt(), 2);
    EXPECT_EQ(info["Light"].asInt(), 1);
    EXPECT_EQ(info["Speed"].asInt(), 3);
  }
}

// The pad's event 0x401 rereads its block after the pause, and the main
// window selects the profile of the pad's active slot: on the pad's page,
// even while another page is shown. A slot without a profile is ignored.
TEST_F(LitPages, ThePadsEventSelectsItsOwnProfile) {
  Start({"keyboard", "pad"});
  auto* pad = WaitForPage<CVarnisMousePadDevice>(DevicePageSet::MousePad);
  auto* keyboard = WaitForPage<CVarnisKeyboardDevice>(DevicePageSet::Keyboard);
  ASSERT_TRUE(pad && keyboard);
  Show(pad, DevicePageSet::MousePad);
  ASSERT_TRUE(pad->ProfilePanel()->NewProfile());
  ASSERT_EQ(pad->ProfilePanel()->GetProfileCount(), 2);
  pad->ProfilePanel()->SelectProfile(0, false);
  window_->Profiles().SwitchProfile(pad);
  Show(keyboard, DevicePageSet::Keyboard);
  ASSERT_TRUE(keyboard->ProfilePanel()->NewProfile());
  keyboard->ProfilePanel()->SelectProfile(0, false);
  const QString keyboardProfile = keyboard->GetProfileId();

  // The pad's slot 1 holds another lighting.
  const uint8_t slot = 1;
  sim::FirmwareModel& firmware = simulator_->Firmware(sim::DeviceKind::Pad);
  ASSERT_TRUE(firmware.Poke("parameters", protocol::kActiveProfileAddress, std::span(&slot, 1)));
  const uint8_t mode = 4;
  ASSERT_TRUE(firmware.Poke("parameters", Parameters::kStride + Parameters::kModeOffset,
                            std::span(&mode, 1)));
  ASSERT_TRUE(simulator_->SendEvent(sim::DeviceKind::Pad, 0x0401));
  RunFor(250);
  EXPECT_EQ(pad->Pad().ActiveSlot(), 0) << "read before the pause";
  ASSERT_TRUE(RunUntil([&] { return pad->ProfilePanel()->GetSelectedIndex() == 1; }));
  EXPECT_EQ(pad->Pad().ActiveSlot(), 1);
  EXPECT_EQ(keyboard->ProfilePanel()->GetSelectedIndex(), 0);
  EXPECT_EQ(keyboard->GetProfileId(), keyboardProfile);
  EXPECT_EQ(window_->CurrentDevice(), keyboard);

  // Slot 5 has no profile: the selection stays. (The profile switch above
  // writes the pad's block first; that write must not land after the poke.)
  ASSERT_TRUE(RunUntil([&] { return pad->Core().IsIdle(); }));
  const uint8_t beyond = 5;
  ASSERT_TRUE(firmware.Poke("parameters", protocol::kActiveProfileAddress, std::span(&beyond, 1)));
  ASSERT_TRUE(simulator_->SendEvent(sim::DeviceKind::Pad, 0x0401));
  ASSERT_TRUE(RunUntil([&] { return pad->Pad().ActiveSlot() == 5; }));
  RunFor(100);
  EXPECT_EQ(pad->ProfilePanel()->GetSelectedIndex(), 1);
}

// The same mode from the keyboard page reaches every kind with its own
// position of the common effect; every page follows, and the headset keeps
// streaming what the common effect paints.
TEST_F(LitPages, TheSameModeReachesAllFourKinds) {
  Start({"keyboard", "mouse", "pad", "headset"});
  auto* keyboard = WaitForPage<CVarnisKeyboardDevice>(DevicePageSet::Keyboard);
  auto* mouse = WaitForPage<CVarnisMouseDevice>(DevicePageSet::Mouse);
  auto* pad = WaitForPage<CVarnisMousePadDevice>(DevicePageSet::MousePad);
  auto* headset = WaitForPage<CVarnisRO6533Device>(DevicePageSet::Headset);
  ASSERT_TRUE(keyboard && mouse && pad && headset);
  Show(keyboard, DevicePageSet::Keyboard);
  Control<CComboUI>(keyboard, "light_combo_modeSelect")->SelectItem(5, false, true);
  Settle(keyboard);
  ASSERT_TRUE(window_->Lighting().ApplySameMode());
  for (CVarnisUSBDevice* page : {static_cast<CVarnisUSBDevice*>(keyboard),
                                 static_cast<CVarnisUSBDevice*>(mouse),
                                 static_cast<CVarnisUSBDevice*>(pad),
                                 static_cast<CVarnisUSBDevice*>(headset)})
    Settle(page);
  EXPECT_EQ(Light(keyboard).SelectItem, 5);
  EXPECT_EQ(Light(mouse).SelectItem, 2);
  EXPECT_EQ(Light(pad).SelectItem, 2);
  EXPECT_EQ(Light(headset).SelectItem, 2);
  for (CVarnisUSBDevice* page : {static_cast<CVarnisUSBDevice*>(keyboard),
                                 static_cast<CVarnisUSBDevice*>(mouse),
                                 static_cast<CVarnisUSBDevice*>(pad),
                                 static_cast<CVarnisUSBDevice*>(headset)})
    EXPECT_TRUE(page->Commands.LightFollower) << page->GetClass().toStdString();
  EXPECT_EQ(Block(sim::DeviceKind::Pad)[Parameters::kModeOffset], pad->Pad().ModeList().ValueAt(2));
  EXPECT_EQ(Block(sim::DeviceKind::Headset)[Parameters::kModeOffset],
            headset->Pad().ModeList().ValueAt(2));

  // The common breathing paints the followers' lights; the headset streams
  // them on.
  const size_t reports = HeadsetLogged();
  for (int i = 0; i < headset->GetLedCount(); ++i)
    headset->SetLedColour(i, 0);
  EXPECT_TRUE(RunUntil([&] { return headset->GetLedColour(0) != 0 && pad->GetLedColour(0) != 0; },
                       3000));
  EXPECT_TRUE(RunUntil([&] { return HeadsetLogged() >= reports + 24; }));
}

// The light-control switch of the main window stops and restarts the
// headset's stream.
TEST_F(LitPages, TheLightControlSwitchStopsTheHeadsetsStream) {
  Start({"headset"});
  auto* headset = WaitForPage<CVarnisRO6533Device>(DevicePageSet::Headset);
  ASSERT_NE(headset, nullptr);
  ASSERT_TRUE(RunUntil([&] { return HeadsetLogged() >= 24; }));
  auto* toggle = qobject_cast<CButtonUI*>(window_->FindControl("control_light_status"));
  ASSERT_NE(toggle, nullptr);
  toggle->Activate();
  RunFor(100);
  ASSERT_FALSE(headset->IsLightControlEnabled());
  const size_t stopped = HeadsetLogged();
  RunFor(300);
  EXPECT_EQ(HeadsetLogged(), stopped);
  toggle->Activate();
  RunFor(10);
  EXPECT_TRUE(RunUntil([&] { return HeadsetLogged() >= stopped + 24; }));
}
