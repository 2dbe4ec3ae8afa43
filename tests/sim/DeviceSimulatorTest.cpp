#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <thread>

#include "hid/HidDevice.h"
#include "sim/DeviceSimulator.h"
#include "sim/FirmwareModel.h"

using sim::DeviceKind;
using sim::DeviceSimulator;

namespace {

// The simulator in a temporary root, with the program's HID layer pointed at it.
class Simulated : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<DeviceSimulator>(root_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
  }
  void TearDown() override {
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  std::string PathOf(const std::string& connection, const std::string& markers) {
    return simulator_->DevRoot() + "/" + *simulator_->NodeOf(connection) + markers;
  }
  static std::vector<uint8_t> Request(uint8_t command, uint8_t length = 0, uint16_t position = 0) {
    sim::Report r{};
    r[0] = 4;
    r[3] = command;
    r[4] = length;
    r[5] = static_cast<uint8_t>(position & 0xFF);
    r[6] = static_cast<uint8_t>(position >> 8);
    const uint16_t sum = sim::FirmwareModel::Checksum(r);
    r[1] = static_cast<uint8_t>(sum & 0xFF);
    r[2] = static_cast<uint8_t>(sum >> 8);
    return {r.begin(), r.end()};
  }
  // The node took the connection (a report sent before that is not seen).
  bool WaitForOpens(const std::string& connection, int count) {
    for (int i = 0; i < 1000; ++i) {
      if (simulator_->OpenCount(connection) == count)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
  // Writes a request and reads its answer.
  static std::vector<uint8_t> Exchange(hid::HidDevice& device, const std::vector<uint8_t>& request) {
    uint32_t n = 0;
    EXPECT_EQ(device.Write(request, n, 1000), 1);
    std::vector<uint8_t> answer(64);
    if (device.Read(answer, n, 1000) != 1)
      return {};
    return answer;
  }

  QTemporaryDir root_;
  std::unique_ptr<DeviceSimulator> simulator_;
};

}  // namespace

TEST_F(Simulated, PluggedDevicesAreEnumeratedLikeRealOnes) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(simulator_->Plug("headset"));
  EXPECT_FALSE(simulator_->Plug("keyboard")) << "already plugged";
  EXPECT_FALSE(simulator_->Plug("toaster"));
  hid::HidDevice probe;
  probe.EnumerateInterfaces();
  ASSERT_EQ(probe.PathCount, 5u);
  EXPECT_EQ(probe.PathList[3].substr(probe.PathList[3].find('?')), "?vid_320f&pid_5055&mi_01&col04");
  EXPECT_EQ(probe.PathList[4].substr(probe.PathList[4].find('?')), "?vid_0c76&pid_1630&mi_03");
  EXPECT_EQ(simulator_->List(), (std::vector<std::string>{"keyboard hidraw0", "headset hidraw1"}));
}

TEST_F(Simulated, CommandsAreAnsweredThroughTheHidLayer) {
  ASSERT_TRUE(simulator_->Plug("mouse"));
  hid::HidDevice device;
  ASSERT_TRUE(device.Open(PathOf("mouse", "?vid_320f&pid_50ef&mi_01&col04"), true, true, true, false));
  EXPECT_EQ(device.Caps.UsagePage, 0xFF1C);
  EXPECT_EQ(device.Attributes.VersionNumber, 0x0102);
  const auto begin = Exchange(device, Request(0x01));
  ASSERT_EQ(begin.size(), 64u);
  EXPECT_EQ(begin[0], 4);
  EXPECT_EQ(begin[3], 0x01);
  EXPECT_EQ(begin[7], 0x00);
  const auto info = Exchange(device, Request(0x03, 34, 0));
  ASSERT_EQ(info.size(), 64u);
  EXPECT_EQ(info[8 + 5], 11) << "the mouse's key count";
  EXPECT_EQ(simulator_->Firmware(DeviceKind::Mouse).Log().size(), 4u);
}

TEST_F(Simulated, EventsReachTheEventCollectionAndEveryConnection) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  hid::HidDevice events, commands;
  ASSERT_TRUE(events.Open(PathOf("keyboard", "?vid_320f&pid_5055&mi_01&col03"), true, true, true, false));
  ASSERT_TRUE(commands.Open(PathOf("keyboard", "?vid_320f&pid_5055&mi_01&col04"), true, true, true, false));
  ASSERT_TRUE(WaitForOpens("keyboard", 2));
  ASSERT_TRUE(simulator_->SendEvent(DeviceKind::Keyboard, 0x0401));
  std::vector<uint8_t> report(8);
  uint32_t n = 0;
  ASSERT_EQ(events.Read(report, n, 1000), 1);
  ASSERT_TRUE(events.UnpackInputReport(std::span(report.data(), n)));
  EXPECT_EQ(events.InputData[0].Usages[0], 0x0401);
  // The command interface sees the event too, and skips it for its answer.
  const auto answer = Exchange(commands, Request(0x01));
  ASSERT_EQ(answer.size(), 64u);
  EXPECT_EQ(answer[3], 0x01);
  EXPECT_FALSE(simulator_->SendEvent(DeviceKind::Pad, 0x0401)) << "no pad plugged";
}

TEST_F(Simulated, TheReceiverAnswersWhileTheDeviceIsOff) {
  ASSERT_TRUE(simulator_->Plug("keyboard-receiver"));
  hid::HidDevice device;
  ASSERT_TRUE(device.Open(PathOf("keyboard-receiver", "?vid_320f&pid_5088&mi_01&col04"), true, true,
                          true, false));
  simulator_->Firmware(DeviceKind::Keyboard).SetWirelessOn(false);
  EXPECT_EQ(Exchange(device, Request(0x05, 8, 0))[3], 0xAA);
  simulator_->Firmware(DeviceKind::Keyboard).SetWirelessOn(true);
  EXPECT_EQ(Exchange(device, Request(0xAA))[8], 0xFF);
}

TEST_F(Simulated, ASlowReaderLosesNewReportsNotTheDevice) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  hid::HidDevice device;
  ASSERT_TRUE(device.Open(PathOf("pad", "?vid_320f&pid_1004&mi_01&col03"), true, true, true, false));
  ASSERT_TRUE(WaitForOpens("pad", 1));
  for (int i = 1; i <= 200; ++i)
    simulator_->SendEvent(DeviceKind::Pad, static_cast<uint16_t>(i));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int received = 0;
  uint16_t first = 0;
  std::vector<uint8_t> report(8);
  uint32_t n = 0;
  while (device.Read(report, n, 50) == 1) {
    if (received++ == 0)
      first = static_cast<uint16_t>(report[1] | report[2] << 8);
  }
  EXPECT_EQ(first, 1) << "the oldest reports are kept";
  EXPECT_GE(received, 64);
  EXPECT_LT(received, 200) << "new reports are dropped when the queue is full";
}

TEST_F(Simulated, UnpluggingHangsUpAndRemovesTheNode) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  hid::HidDevice device;
  ASSERT_TRUE(device.Open(PathOf("keyboard", "?vid_320f&pid_5055&mi_01&col04"), true, true, true, false));
  EXPECT_TRUE(device.IsSameDevicePresent());
  std::atomic<int> result{-1};
  std::thread reader([&] {
    std::vector<uint8_t> buffer(64);
    uint32_t n = 0;
    result = device.Read(buffer, n, 5000);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(simulator_->Unplug("keyboard"));
  reader.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_TRUE(device.IsGone());
  EXPECT_FALSE(device.IsSameDevicePresent());
  hid::HidDevice probe;
  probe.EnumerateInterfaces();
  EXPECT_EQ(probe.PathCount, 0u);
  EXPECT_FALSE(simulator_->Unplug("keyboard"));
}

TEST_F(Simulated, HeadsetLightReportsAreKept) {
  ASSERT_TRUE(simulator_->Plug("headset"));
  hid::HidDevice device;
  ASSERT_TRUE(device.Open(PathOf("headset", "?vid_0c76&pid_1630&mi_03"), true, true, true, false));
  EXPECT_EQ(device.Caps.OutputReportByteLength, 64);
  std::vector<uint8_t> light(17, 0);
  light[0] = 0xFF;
  light[1] = 0x22;
  light[2] = 0xAA;
  uint32_t n = 0;
  ASSERT_EQ(device.Write(light, n, 1000), 1);
  for (int i = 0; i < 100 && simulator_->Firmware(DeviceKind::Headset).LightReports().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const auto reports = simulator_->Firmware(DeviceKind::Headset).LightReports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], light);
}
