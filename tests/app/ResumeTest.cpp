#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "app/CMainWnd.h"
#include "app/DevicePageSet.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/WindowMessages.h"
#include "protocol/Command.h"
#include "protocol/ParameterBlocks.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"

using sim::DeviceKind;
using testing_support::RunFor;
using testing_support::RunUntil;

// Suspend, resume and reconnect against the simulator: what each device had
// (its light control, its settings) comes back, also when the device lost
// its memory in between.
namespace {

struct Kind {
  const char* connection;
  DeviceKind device;
  DevicePageSet::Kind page;
};
constexpr Kind kKinds[] = {
    {"keyboard", DeviceKind::Keyboard, DevicePageSet::Keyboard},
    {"mouse", DeviceKind::Mouse, DevicePageSet::Mouse},
    {"pad", DeviceKind::Pad, DevicePageSet::MousePad},
    {"headset", DeviceKind::Headset, DevicePageSet::Headset},
};
// A brightness the factory never sets (it lights at full, 4).
constexpr uint8_t kUserBrightness = 1;
constexpr size_t kBrightness = protocol::BlockLighting::kBrightnessOffset;

class Resume : public testing_support::SimulatedMainWindow {
 protected:
  void SetUp() override {
    SimulatedMainWindow::SetUp();
    ShellState::SetRunning(true);
  }
  // Every device plugged and read, then given the user's brightness through
  // its page (into its profile and onto the device).
  void StartWithEveryDevice() {
    for (const Kind& kind : kKinds)
      ASSERT_TRUE(simulator_->Plug(kind.connection));
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    for (const Kind& kind : kKinds) {
      SCOPED_TRACE(kind.connection);
      ASSERT_TRUE(RunUntil([&] { return Read(kind); }, 10000));
      CVarnisUSBDevice* device = Device(kind);
      LightWords words = device->GetLightWords();
      words.A = (words.A & ~0xFF00u) | (uint32_t{kUserBrightness} << 8);
      device->SetLightInfo(words.A, words.B, words.C, words.D, words.E);
      device->SaveProfile();
      device->WriteCurrentSettings();
      ASSERT_TRUE(RunUntil([&] { return StoredBrightness(kind) == kUserBrightness && Idle(); }));
    }
  }
  CVarnisUSBDevice* Device(const Kind& kind) {
    const auto& list = window_->Pages().Devices(kind.page);
    return list.empty() ? nullptr : list.front();
  }
  bool Read(const Kind& kind) {
    CVarnisUSBDevice* device = Device(kind);
    return device != nullptr && device->Commands.IsOpen && device->Core().ReadBefore() &&
           device->Core().IsIdle();
  }
  bool Idle() {
    for (const Kind& kind : kKinds)
      if (Device(kind) != nullptr && !Device(kind)->Core().IsIdle())
        return false;
    return true;
  }
  uint8_t StoredBrightness(const Kind& kind) {
    return (*simulator_->Firmware(kind.device).Region("parameters"))[kBrightness];
  }
  // Requests of `command` the device got since `from` (a log position).
  int Requests(const Kind& kind, protocol::Command command, size_t from) {
    const auto log = simulator_->Firmware(kind.device).Log();
    int count = 0;
    for (size_t i = from; i < log.size(); ++i)
      count += log[i].toDevice && log[i].report[0] == 4 &&
                       log[i].report[3] == static_cast<uint8_t>(command)
                   ? 1
                   : 0;
    return count;
  }
  size_t LogSize(const Kind& kind) { return simulator_->Firmware(kind.device).Log().size(); }
  void Power(platform::WParam event) {
    platform::SendWindowMessage(window_->GetHWND(), platform::WM_POWERBROADCAST, event, 0);
  }
};

}  // namespace

TEST_F(Resume, ADeviceThatLostItsMemoryGetsItsProfileAndOneThatKeptItIsLeftAlone) {
  StartWithEveryDevice();
  for (const Kind& kind : kKinds)
    ASSERT_EQ(StoredBrightness(kind), kUserBrightness) << kind.connection;

  // The keyboard and the pad lose their memory while the machine sleeps; the
  // mouse and the headset keep theirs.
  Power(platform::PBT_APMSUSPEND);
  ASSERT_FALSE(ShellState::IsRunning());
  simulator_->Firmware(DeviceKind::Keyboard).ResetMemory();
  simulator_->Firmware(DeviceKind::Pad).ResetMemory();
  std::map<DeviceKind, size_t> before;
  for (const Kind& kind : kKinds)
    before[kind.device] = LogSize(kind);
  Power(platform::PBT_APMRESUMEAUTOMATIC);
  ASSERT_TRUE(ShellState::IsRunning());

  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.connection);
    const bool lost = kind.device == DeviceKind::Keyboard || kind.device == DeviceKind::Pad;
    ASSERT_TRUE(RunUntil([&] { return StoredBrightness(kind) == kUserBrightness && Idle(); }, 10000))
        << "the device holds the profile's brightness again";
    RunFor(100);
    EXPECT_GE(Requests(kind, protocol::Command::ReadParameters, before[kind.device]), 1)
        << "its settings are read again";
    if (lost)
      EXPECT_GE(Requests(kind, protocol::Command::WriteParameters, before[kind.device]), 1);
    else
      EXPECT_EQ(Requests(kind, protocol::Command::WriteParameters, before[kind.device]), 0)
          << "nothing written to a device that kept its settings";
  }
  // The keyboard lost its key table too: the profile's keys go back with it.
  EXPECT_GE(Requests(kKinds[0], protocol::Command::WriteKeyTable, before[DeviceKind::Keyboard]), 1);
}

TEST_F(Resume, AReconnectedDeviceThatLostItsMemoryGetsItsProfileAgain) {
  StartWithEveryDevice();
  for (const Kind& kind : {kKinds[0], kKinds[2]}) {
    SCOPED_TRACE(kind.connection);
    // Unplugged and plugged again as it was: nothing to write.
    ASSERT_TRUE(simulator_->Unplug(kind.connection));
    ASSERT_TRUE(RunUntil([&] { return !Device(kind)->Commands.IsOpen; }));
    size_t from = LogSize(kind);
    ASSERT_TRUE(simulator_->Plug(kind.connection));
    ASSERT_TRUE(RunUntil([&] {
      return Device(kind)->Commands.IsOpen &&
             Requests(kind, protocol::Command::ReadParameters, from) > 0 && Idle();
    }, 10000));
    RunFor(200);
    EXPECT_EQ(Requests(kind, protocol::Command::WriteParameters, from), 0);
    EXPECT_EQ(StoredBrightness(kind), kUserBrightness);

    // Unplugged, its memory lost, plugged again: the profile goes back, and
    // the profile itself keeps the user's brightness.
    ASSERT_TRUE(simulator_->Unplug(kind.connection));
    ASSERT_TRUE(RunUntil([&] { return !Device(kind)->Commands.IsOpen; }));
    simulator_->Firmware(kind.device).ResetMemory();
    ASSERT_NE(StoredBrightness(kind), kUserBrightness);
    from = LogSize(kind);
    ASSERT_TRUE(simulator_->Plug(kind.connection));
    ASSERT_TRUE(RunUntil([&] { return StoredBrightness(kind) == kUserBrightness && Idle(); }, 10000));
    EXPECT_GE(Requests(kind, protocol::Command::WriteParameters, from), 1);
  }
}

TEST_F(Resume, EachDeviceGetsBackTheLightControlItHadAndTheKeyboardIsToldAgain) {
  StartWithEveryDevice();
  const Kind& keyboard = kKinds[0];
  const Kind& pad = kKinds[2];
  const Kind& headset = kKinds[3];
  // The pad's lighting is left to the device (its page's own state), the
  // others follow the switch, which is on.
  ASSERT_EQ(window_->LightControlOn(), 1);
  Device(pad)->SetLightControl(0);

  Power(platform::PBT_APMSUSPEND);
  for (const Kind& kind : kKinds)
    EXPECT_FALSE(Device(kind)->IsLightControlEnabled()) << kind.connection;
  // While asleep the headset's light reports stop.
  RunFor(150);
  const size_t asleep = simulator_->Firmware(headset.device).Log().size();
  RunFor(300);
  EXPECT_EQ(simulator_->Firmware(headset.device).Log().size(), asleep)
      << "nothing goes to a device while the machine sleeps";

  const size_t from = LogSize(keyboard);
  Power(platform::PBT_APMRESUMEAUTOMATIC);
  EXPECT_TRUE(Device(keyboard)->IsLightControlEnabled());
  EXPECT_TRUE(Device(kKinds[1])->IsLightControlEnabled());
  EXPECT_TRUE(Device(headset)->IsLightControlEnabled());
  EXPECT_FALSE(Device(pad)->IsLightControlEnabled()) << "as it was before the sleep";
  ASSERT_TRUE(RunUntil([&] {
    return Requests(keyboard, protocol::Command::TakeLightControl, from) > 0;
  }));
  // The headset streams its light reports again.
  ASSERT_TRUE(RunUntil([&] {
    return simulator_->Firmware(headset.device).Log().size() > asleep + 10;
  }));

  // A light-control request while asleep reaches every device on resume,
  // and none before.
  Power(platform::PBT_APMSUSPEND);
  const uint32_t request = ShellMessages::Get().LightControlRequest;
  platform::SendWindowMessage(window_->GetHWND(), request, 1, 0);
  EXPECT_EQ(window_->LightControlOn(), 0);
  platform::SendWindowMessage(window_->GetHWND(), request, 1, 1);
  for (const Kind& kind : kKinds)
    EXPECT_FALSE(Device(kind)->IsLightControlEnabled()) << kind.connection;
  Power(platform::PBT_APMRESUMEAUTOMATIC);
  for (const Kind& kind : kKinds)
    EXPECT_TRUE(Device(kind)->IsLightControlEnabled()) << kind.connection;
  // A second resume changes nothing.
  Device(pad)->SetLightControl(0);
  Power(platform::PBT_APMRESUMEAUTOMATIC);
  EXPECT_FALSE(Device(pad)->IsLightControlEnabled());
}
