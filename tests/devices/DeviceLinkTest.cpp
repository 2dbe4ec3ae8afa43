#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <mutex>
#include <thread>

#include "devices/CVarnisKeyboardDevice.h"
#include "devices/CVarnisMouseDevice.h"
#include "hid/HidDevice.h"
#include "platform/DebugChannel.h"
#include "sim/DeviceSimulator.h"

using sim::DeviceKind;

namespace {

// A keyboard whose events are recorded instead of acted on.
class RecordingKeyboard : public CVarnisKeyboardDevice {
 public:
  ~RecordingKeyboard() override { StopThreads(); }
  std::vector<std::pair<uint16_t, bool>> Received() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override {
    std::lock_guard lock(mutex_);
    events_.emplace_back(code, receiver);
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<uint16_t, bool>> events_;
};

bool WaitFor(const std::function<bool()>& done, int limitMs = 3000) {
  for (int waited = 0; waited < limitMs; waited += 2) {
    if (done())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

class DeviceLink : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    simulator_ = std::make_unique<sim::DeviceSimulator>(root_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
  }
  void TearDown() override {
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
    qunsetenv("XDG_DATA_HOME");
  }
  static std::string PathOf(const std::string& markers) {
    hid::HidDevice probe;
    probe.EnumerateInterfaces();
    for (const std::string& path : probe.PathList)
      if (path.size() >= markers.size() && path.compare(path.size() - markers.size(), markers.size(), markers) == 0)
        return path;
    return {};
  }
  std::vector<uint8_t> CommandsSent(DeviceKind kind) {
    std::vector<uint8_t> commands;
    for (const auto& entry : simulator_->Firmware(kind).Log())
      if (entry.toDevice)
        commands.push_back(entry.report[3]);
    return commands;
  }

  QTemporaryDir root_;
  QTemporaryDir data_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
};

}  // namespace

TEST_F(DeviceLink, OnlyAKeyboardIsToldThatTheProgramTakesTheLighting) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(simulator_->Plug("mouse"));
  CVarnisKeyboardDevice keyboard;
  CVarnisMouseDevice mouse;
  ASSERT_TRUE(keyboard.Commands.Wired.Open(PathOf("pid_5055&mi_01&col04"), true, true, true, false));
  ASSERT_TRUE(mouse.Commands.Wired.Open(PathOf("pid_50ef&mi_01&col04"), true, true, true, false));
  keyboard.Commands.IsOpen = true;
  mouse.Commands.IsOpen = true;
  InterfaceRecord identity;
  identity.DeviceType = DeviceTypes::Keyboard;
  keyboard.SetIdentity(identity);
  identity.DeviceType = DeviceTypes::Mouse;
  mouse.SetIdentity(identity);

  mouse.SetLightControl(1);
  keyboard.SetLightControl(0);
  EXPECT_TRUE(CommandsSent(DeviceKind::Mouse).empty());
  EXPECT_TRUE(CommandsSent(DeviceKind::Keyboard).empty());
  EXPECT_FALSE(keyboard.IsLightControlEnabled());
  keyboard.SetLightControl(1);
  // Sent on the keyboard's worker.
  EXPECT_TRUE(WaitFor([&] { return !CommandsSent(DeviceKind::Keyboard).empty(); }));
  EXPECT_EQ(CommandsSent(DeviceKind::Keyboard), std::vector<uint8_t>{0x1C});
  EXPECT_TRUE(keyboard.IsLightControlEnabled());
}

TEST_F(DeviceLink, EventReadersDeliverTheCodesOfBothConnections) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(simulator_->Plug("keyboard-receiver"));
  RecordingKeyboard keyboard;
  ASSERT_TRUE(keyboard.OpenEventInterface(PathOf("pid_5055&mi_01&col03"), false));
  ASSERT_TRUE(keyboard.OpenEventInterface(PathOf("pid_5088&mi_01&col03"), true));
  EXPECT_TRUE(keyboard.IsEventInterfaceOpen(false));
  EXPECT_TRUE(keyboard.IsEventInterfaceOpen(true));
  ASSERT_TRUE(WaitFor([&] { return simulator_->OpenCount("keyboard-receiver") == 1; }));
  ASSERT_TRUE(WaitFor([&] { return simulator_->OpenCount("keyboard") == 1; }));
  // The simulator sends an event on every connection of the device.
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x0401));
  ASSERT_TRUE(WaitFor([&] { return keyboard.Received().size() == 2; }));
  auto events = keyboard.Received();
  std::sort(events.begin(), events.end());
  EXPECT_EQ(events, (std::vector<std::pair<uint16_t, bool>>{{0x0401, false}, {0x0401, true}}));
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x1103));
  ASSERT_TRUE(WaitFor([&] { return keyboard.Received().size() == 4; }));
  EXPECT_EQ(keyboard.Received()[3].first, 0x1103);
}

TEST_F(DeviceLink, ClosingCutsAnEndlessReadShortAndTheReaderEnds) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  platform::DebugCapture capture;
  RecordingKeyboard keyboard;
  ASSERT_TRUE(keyboard.OpenEventInterface(PathOf("pid_5055&mi_01&col03"), false));
  ASSERT_TRUE(WaitFor([&] { return keyboard.Events.Wired.ReadPending.load(); }));
  QElapsedTimer timer;
  timer.start();
  keyboard.CloseEventInterface(false);
  EXPECT_LT(timer.elapsed(), 400) << "well inside the readers' stop limit";
  EXPECT_FALSE(keyboard.EventReader(false).IsRunning());
  EXPECT_FALSE(keyboard.IsEventInterfaceOpen(false));
  EXPECT_TRUE(capture.Contains("MS 设备同步线程设定退出"));
  EXPECT_FALSE(capture.Contains("超时"));
}

TEST_F(DeviceLink, AReaderOfAnUnpluggedDeviceStopsSpinningAndEndsWhenClosed) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  RecordingKeyboard keyboard;
  ASSERT_TRUE(keyboard.OpenEventInterface(PathOf("pid_5055&mi_01&col03"), false));
  ASSERT_TRUE(WaitFor([&] { return keyboard.Events.Wired.ReadPending.load(); }));
  ASSERT_TRUE(simulator_->Unplug("keyboard"));
  ASSERT_TRUE(WaitFor([&] { return keyboard.Events.Wired.IsGone(); }));
  EXPECT_TRUE(keyboard.EventReader(false).IsRunning());
  keyboard.CloseEventInterface(false);
  EXPECT_FALSE(keyboard.EventReader(false).IsRunning());
  // Opening a path that is gone fails and starts no reader.
  EXPECT_FALSE(keyboard.OpenEventInterface("/nonexistent?vid_320f&pid_5055&mi_01&col03", false));
  EXPECT_FALSE(keyboard.EventReader(false).IsRunning());
  EXPECT_FALSE(keyboard.IsEventInterfaceOpen(false));
}
