#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "hid/HidDevice.h"
#include "hid/HotplugMonitor.h"
#include "hid/ParseHexField.h"
#include "hid/SysfsEnumerator.h"
#include "support/FakeHidTree.h"

using namespace hid;
using testing_support::FakeHidTree;
using testing_support::FourCollectionDescriptor;
using testing_support::SocketNode;

namespace {

bool Eventually(const std::function<bool()>& done, int limitMs = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

TEST(ParseHexField, ReadsMarkersAfterTheQuestionMarkOnly) {
  const std::string path = "/dev/hidraw3?vid_320f&pid_5055&mi_01&col04";
  EXPECT_EQ(ParseHexField(path, "vid_"), 0x320F);
  EXPECT_EQ(ParseHexField(path, "pid_"), 0x5055);
  EXPECT_EQ(ParseHexField(path, "&mi_"), 1);
  EXPECT_EQ(ParseHexField(path, "&col"), 4);
  EXPECT_EQ(ParseHexField("/dev/hidraw3?VID_0C76&PID_1630&MI_03", "&col"), 0);
  EXPECT_EQ(ParseHexField("/dev/hidraw3?VID_0C76&PID_1630&MI_03", "pid_"), 0x1630);
  EXPECT_EQ(ParseHexField("/home/vid_1234/hidraw0?pid_0001", "vid_"), 0)
      << "a folder name cannot pose as a marker";
  EXPECT_EQ(ParseHexField("/dev/hidraw0?vid_12345", "vid_"), 0x2345) << "low 16 bits";
  EXPECT_EQ(ParseHexField("/dev/hidraw0", "vid_"), 0);
}

TEST(SysfsEnumerator, MissingClassFolderIsAnEmptyList) {
  FakeHidTree tree;
  qputenv("TRAVIX_SYSFS_ROOT", (tree.SysRoot() + "/nothing").c_str());
  EXPECT_TRUE(SysfsEnumerator::EnumeratePaths().empty());
}

TEST(SysfsEnumerator, OnePathPerTopLevelCollectionAndAGrowingList) {
  FakeHidTree tree;
  const std::string keyboard = tree.AddUsbNode(0x320F, 0x5055, 1, FourCollectionDescriptor());
  tree.AddUsbNode(0x320F, 0x5055, 0, testing_support::BootKeyboardDescriptor());
  const std::string headset =
      tree.AddUsbNode(0x0C76, 0x1630, 3, testing_support::BootKeyboardDescriptor(), 0x0100, 3);
  tree.AddBluetoothNode(0x046D, 0xB01A, testing_support::BootMouseDescriptor());
  tree.AddUsbNode(0x320F, 0x50EF, 1, FourCollectionDescriptor(), 0x0200, 4);
  tree.AddUsbNode(0x1234, 0x0001, 0, {0x05}, 0x0100, 5);  // broken descriptor: no paths

  HidDevice probe;
  ASSERT_TRUE(probe.EnumerateInterfaces());
  // 4 + 1 + 1 + 4 collections; Bluetooth and the broken node give none.
  ASSERT_EQ(probe.PathCount, 10u);
  EXPECT_EQ(probe.PathList[0], tree.DevRoot() + "/" + keyboard + "?vid_320f&pid_5055&mi_01&col01");
  EXPECT_EQ(probe.PathList[3], tree.DevRoot() + "/" + keyboard + "?vid_320f&pid_5055&mi_01&col04");
  EXPECT_EQ(probe.PathList[4].substr(probe.PathList[4].find('?')), "?vid_320f&pid_5055&mi_00");
  EXPECT_EQ(probe.PathList[5], tree.DevRoot() + "/" + headset + "?vid_0c76&pid_1630&mi_03");
  std::vector<std::string> walked;
  while (auto path = probe.NextPath())
    walked.push_back(*path);
  EXPECT_EQ(walked, probe.PathList);
  EXPECT_FALSE(probe.NextPath());
  probe.FreePathList();
  EXPECT_EQ(probe.PathCount, 0u);
  EXPECT_FALSE(probe.NextPath());
}

TEST(SysfsEnumerator, NodeInformationComesFromTheKernelsLayout) {
  FakeHidTree tree;
  const std::string node = tree.AddUsbNode(0x320F, 0x5088, 1, FourCollectionDescriptor(), 0x0107);
  auto info = SysfsEnumerator::ReadNode(node);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->vendorId, 0x320F);
  EXPECT_EQ(info->productId, 0x5088);
  EXPECT_EQ(info->version, 0x0107);
  EXPECT_EQ(info->interfaceNumber, 1);
  EXPECT_EQ(info->bus, 0x0003);
  EXPECT_EQ(info->hidDeviceDir, tree.HidDir(node));
  EXPECT_EQ(info->descriptor, FourCollectionDescriptor());
}

namespace {

class OpenedInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    node_ = tree_.AddUsbNode(0x320F, 0x5055, 1, FourCollectionDescriptor(), 0x0103);
    socket_ = std::make_unique<SocketNode>(tree_.DevRoot() + "/" + node_);
  }
  std::string PathOf(int collection) const {
    char markers[64];
    std::snprintf(markers, sizeof markers, "?vid_320f&pid_5055&mi_01&col%02x", collection);
    return tree_.DevRoot() + "/" + node_ + markers;
  }
  static std::vector<uint8_t> Report(uint8_t id, size_t length, uint8_t fill) {
    std::vector<uint8_t> r(length, fill);
    r[0] = id;
    return r;
  }

  FakeHidTree tree_;
  std::string node_;
  std::unique_ptr<SocketNode> socket_;
};

}  // namespace

TEST_F(OpenedInterface, OpenFillsAttributesCapabilitiesAndMarkers) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(device.Attributes.VendorID, 0x320F);
  EXPECT_EQ(device.Attributes.ProductID, 0x5055);
  EXPECT_EQ(device.Attributes.VersionNumber, 0x0103);
  EXPECT_EQ(device.Caps.UsagePage, 0xFF1C);
  EXPECT_EQ(device.Caps.Usage, 0x92);
  EXPECT_EQ(device.Caps.InputReportByteLength, 64);
  EXPECT_EQ(device.Caps.OutputReportByteLength, 64);
  EXPECT_EQ(device.InterfaceNumber, 1u);
  EXPECT_EQ(device.Collection, 4u);
  EXPECT_EQ(device.InputReport.size(), 64u);

  ASSERT_TRUE(device.Open(PathOf(3), true, true, true, false)) << "opening again closes first";
  EXPECT_EQ(device.Caps.UsagePage, 0x0C);
  ASSERT_EQ(device.InputDataCount, 1u);
  EXPECT_TRUE(device.InputData[0].IsButtonData);
  EXPECT_EQ(device.InputData[0].ReportId, 3u);
  EXPECT_EQ(device.InputData[0].UsageMax, 0x7FFFu);
  EXPECT_EQ(device.InputData[0].MaxUsageLength, 1u);
}

TEST_F(OpenedInterface, AMissingPathFailsAndTransfersFailAtOnce) {
  HidDevice device;
  EXPECT_FALSE(device.Open(tree_.DevRoot() + "/hidraw99?vid_320f&pid_5055&mi_01&col04", true,
                           true, true, false));
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Handle.load(), -1);
  uint8_t buffer[64];
  uint32_t n = 7;
  EXPECT_EQ(device.Read(buffer, n, -1), 0);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(device.Write(buffer, n, -1), 0);
  EXPECT_FALSE(device.Open(PathOf(9), true, true, true, false)) << "no such collection";
  EXPECT_FALSE(device.Open("/no/question/mark", true, true, true, false));
}

TEST_F(OpenedInterface, WritesReachTheDeviceWhole) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  const auto report = Report(4, 64, 0xAB);
  uint32_t written = 0;
  EXPECT_EQ(device.Write(report, written, 1000), 1);
  EXPECT_EQ(written, 64u);
  ASSERT_TRUE(Eventually([&] { return socket_->Written().size() == 1; }));
  EXPECT_EQ(socket_->Written()[0], report);
  HidDevice readOnly;
  ASSERT_TRUE(readOnly.Open(PathOf(4), true, false, true, false));
  EXPECT_EQ(readOnly.Write(report, written, 100), 0) << "not opened for writing";
}

TEST_F(OpenedInterface, ReadsOnlyTheirCollectionsReports) {
  HidDevice commands, events;
  ASSERT_TRUE(commands.Open(PathOf(4), true, true, true, false));
  ASSERT_TRUE(events.Open(PathOf(3), true, true, true, false));
  ASSERT_TRUE(Eventually([&] { return socket_->Connections() == 2; }));
  socket_->SendReport({0x03, 0x01, 0x04});
  socket_->SendReport(Report(4, 64, 0x11));
  std::vector<uint8_t> buffer(64);
  uint32_t n = 0;
  ASSERT_EQ(commands.Read(buffer, n, 1000), 1);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(buffer[0], 4) << "the event report is skipped";
  EXPECT_EQ(buffer[1], 0x11);
  ASSERT_EQ(events.Read(buffer, n, 1000), 1);
  EXPECT_EQ(n, 3u);
  ASSERT_TRUE(events.UnpackInputReport(std::span(buffer.data(), n)));
  EXPECT_EQ(events.InputData[0].Usages[0], 0x0401) << "the event code";
  EXPECT_TRUE(events.InputData[0].IsDataSet);
  // Only reports of another collection: the limit still ends the read.
  socket_->SendReport({0x03, 0x02, 0x04});
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(commands.Read(buffer, n, 100), 0);
  EXPECT_GE(timer.elapsed(), 95);
  EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(OpenedInterface, StaleInputCanBeDiscardedBeforeARequest) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  ASSERT_TRUE(Eventually([&] { return socket_->Connections() == 1; }));
  socket_->SendReport(Report(4, 64, 0x01));
  socket_->SendReport(Report(4, 64, 0x02));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  device.DiscardPendingInput();
  socket_->SendReport(Report(4, 64, 0x03));
  std::vector<uint8_t> buffer(64);
  uint32_t n = 0;
  ASSERT_EQ(device.Read(buffer, n, 1000), 1);
  EXPECT_EQ(buffer[1], 0x03);
}

TEST_F(OpenedInterface, CloseFromAnotherThreadEndsAnEndlessRead) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(3), true, true, true, false));
  std::atomic<int> result{-1};
  std::vector<uint8_t> buffer(8, 0x5A);
  std::thread reader([&] {
    uint32_t n = 0;
    result = device.Read(buffer, n, -1);
  });
  ASSERT_TRUE(Eventually([&] { return device.ReadPending.load(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  device.Close();
  reader.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(buffer, std::vector<uint8_t>(8, 0x5A)) << "the buffer is left alone";
  EXPECT_FALSE(device.IsOpen());

  // The abort does not linger: the next transfer after a new open works.
  ASSERT_TRUE(Eventually([&] { return socket_->Connections() == 0; }));
  ASSERT_TRUE(device.Open(PathOf(3), true, true, true, false));
  ASSERT_TRUE(Eventually([&] { return socket_->Connections() == 1; }));
  socket_->SendReport({0x03, 0x02, 0x04});
  uint32_t n = 0;
  EXPECT_EQ(device.Read(buffer, n, 1000), 1);
}

TEST_F(OpenedInterface, OpeningAgainAbortsAWaitingReadFirst) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  std::atomic<int> reads{-1};
  std::thread reader([&] {
    std::vector<uint8_t> buffer(64);
    uint32_t n = 0;
    reads = device.Read(buffer, n, -1);
  });
  ASSERT_TRUE(Eventually([&] { return device.ReadPending.load(); }));
  // A second open from this thread aborts the read and waits for it.
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  reader.join();
  EXPECT_EQ(reads.load(), 0);
  EXPECT_FALSE(device.ReadPending.load());
}

TEST_F(OpenedInterface, AVanishedDeviceFailsItsTransfersAndIsGone) {
  HidDevice device;
  ASSERT_TRUE(device.Open(PathOf(4), true, true, true, false));
  EXPECT_TRUE(device.IsSameDevicePresent());
  ASSERT_TRUE(Eventually([&] { return socket_->Connections() == 1; }));
  socket_->DropAll();
  std::vector<uint8_t> buffer(64);
  uint32_t n = 0;
  EXPECT_EQ(device.Read(buffer, n, 1000), 0);
  EXPECT_TRUE(device.IsGone());

  // Re-plugged under the same node number: not the same device any more.
  tree_.Rebind(node_);
  EXPECT_FALSE(device.IsSameDevicePresent());
  tree_.RemoveNode(node_);
  EXPECT_FALSE(device.IsSameDevicePresent());
}

TEST(HotplugMonitor, StartsAndStopsPromptlyWhetherOrNotUdevIsThere) {
  platform::Event wake(platform::Event::Mode::ManualReset);
  hid::HotplugMonitor monitor;
  for (int round = 0; round < 3; ++round) {
    const bool started = monitor.Start(wake);
    EXPECT_EQ(monitor.IsRunning(), started);
    monitor.Stop();
    EXPECT_FALSE(monitor.IsRunning());
  }
}
