#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <thread>

#include "hid/DeviceChannel.h"
#include "platform/DebugChannel.h"
#include "sim/DeviceSimulator.h"
#include "support/FakeHidTree.h"

using namespace hid;
using sim::DeviceKind;
using sim::Fault;

namespace {

// A channel talking to the simulator through the real hidraw backend (socket
// nodes and a sysfs tree).
class Channel : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(root_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
  }
  void TearDown() override {
    channel_.reset();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  // Plugs the connection and opens its command collection on a new channel.
  DeviceChannel& Connect(const std::string& connection) {
    EXPECT_TRUE(simulator_->Plug(connection));
    const bool receiver = connection.find("receiver") != std::string::npos;
    static const std::map<std::string, std::string> kMarkers = {
        {"keyboard", "?vid_320f&pid_5055&mi_01&col04"},
        {"keyboard-receiver", "?vid_320f&pid_5088&mi_01&col04"},
        {"mouse", "?vid_320f&pid_50ef&mi_01&col04"},
        {"mouse-receiver", "?vid_320f&pid_221d&mi_01&col04"},
        {"pad", "?vid_320f&pid_1004&mi_01&col04"},
    };
    const std::string path =
        simulator_->DevRoot() + "/" + *simulator_->NodeOf(connection) + kMarkers.at(connection);
    channel_ = std::make_unique<DeviceChannel>();
    HidDevice& device = receiver ? channel_->Receiver : channel_->Wired;
    EXPECT_TRUE(device.Open(path, true, true, true, false));
    channel_->SetMode(receiver ? 2 : 1);
    channel_->IsOpen = true;
    return *channel_;
  }
  sim::FirmwareModel& Firmware(DeviceKind kind) { return simulator_->Firmware(kind); }
  // The requests the device received: (command, length, position).
  std::vector<std::tuple<int, int, int>> Requests(DeviceKind kind) {
    std::vector<std::tuple<int, int, int>> out;
    for (const auto& entry : Firmware(kind).Log())
      if (entry.toDevice)
        out.emplace_back(entry.report[3], entry.report[4], entry.report[5] | entry.report[6] << 8);
    return out;
  }
  static std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
      v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
  }

  QTemporaryDir root_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<DeviceChannel> channel_;
};

using Request = std::tuple<int, int, int>;

}  // namespace

TEST(DeviceCommand, ChecksumsOfTheProtocolsExamples) {
  DeviceCommand begin(0x01);
  begin.Seal();
  EXPECT_EQ(begin.bytes[1], 0x01);
  EXPECT_EQ(begin.bytes[2], 0x00);
  DeviceCommand info(0x03);
  info.SetLength(0x18);
  info.SetPosition(0x0018);
  info.Seal();
  EXPECT_EQ(info.bytes[1] | info.bytes[2] << 8, 0x0033);
  DeviceCommand macro(0x15);
  macro.SetLength(0x38);
  std::fill(macro.Data().begin(), macro.Data().end(), 0xFF);
  macro.Seal();
  EXPECT_EQ(macro.bytes[1], 0x15);
  EXPECT_EQ(macro.bytes[2], 0x38);
  EXPECT_EQ(macro.bytes[0], 4);
  EXPECT_EQ(macro.bytes[7], 0);
}

TEST(DeviceChannelSettings, ModeChunkAndTransferSize) {
  DeviceChannel channel;
  EXPECT_FALSE(channel.IsOpen);
  EXPECT_EQ(channel.ChunkSize, 24) << "as constructed";
  EXPECT_EQ(channel.TransferSize, 512);
  channel.SetMode(1);
  EXPECT_FALSE(channel.WirelessMode);
  EXPECT_EQ(channel.ChunkSize, 56);
  channel.SetMode(2);
  EXPECT_TRUE(channel.WirelessMode);
  EXPECT_EQ(channel.ChunkSize, 24);
  EXPECT_FALSE(channel.SetTransferSize(513));
  EXPECT_EQ(channel.TransferSize, 512);
  EXPECT_TRUE(channel.SetTransferSize(378));
  EXPECT_EQ(channel.TransferSize, 378);
}

TEST(DeviceChannelSettings, NothingIsSentWhileClosedAndNothingWritten) {
  platform::DebugCapture capture;
  DeviceChannel channel;
  std::array<uint8_t, 64> answer{};
  uint32_t n = 5;
  EXPECT_EQ(channel.Exchange(DeviceCommand(0x01).bytes, answer, n), kResultNoAnswer);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(channel.BeginTransfer(), kResultNoAnswer);
  EXPECT_TRUE(capture.Lines().empty());
  EXPECT_FALSE(channel.Busy);
}

TEST_F(Channel, ParametersByCableAndThroughTheReceiver) {
  DeviceChannel& cable = Connect("keyboard");
  const auto block = Bytes(39, 1);
  ASSERT_EQ(cable.WriteParameters(block, 80), kResultSuccess);
  EXPECT_EQ(Requests(DeviceKind::Keyboard), (std::vector<Request>{{0x06, 39, 80}}));
  std::vector<uint8_t> back(39);
  ASSERT_EQ(cable.ReadParameters(back, 80), kResultSuccess);
  EXPECT_EQ(back, block);

  simulator_->Unplug("keyboard");
  DeviceChannel& receiver = Connect("keyboard-receiver");
  const auto other = Bytes(39, 9);
  ASSERT_EQ(receiver.WriteParameters(other, 120), kResultSuccess);
  auto requests = Requests(DeviceKind::Keyboard);
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(std::vector<Request>(requests.end() - 2, requests.end()),
            (std::vector<Request>{{0x06, 24, 120}, {0x06, 15, 144}}));
  const auto memory = *Firmware(DeviceKind::Keyboard).Region("parameters");
  EXPECT_TRUE(std::equal(other.begin(), other.end(), memory.begin() + 120));
}

TEST_F(Channel, InformationThroughTheReceiverInChunksOf24And10) {
  DeviceChannel& channel = Connect("mouse-receiver");
  std::array<uint8_t, 34> info{};
  ASSERT_EQ(channel.ReadDeviceInfo(info), kResultSuccess);
  EXPECT_EQ(Requests(DeviceKind::Mouse), (std::vector<Request>{{0x03, 24, 0}, {0x03, 10, 24}}));
  const auto expected = *Firmware(DeviceKind::Mouse).Region("info");
  EXPECT_TRUE(std::equal(info.begin(), info.end(), expected.begin()));
}

TEST_F(Channel, KeyTablesAttributesAndTheBadIndex) {
  DeviceChannel& channel = Connect("keyboard");
  ASSERT_TRUE(channel.SetTransferSize(378));
  const auto table = Bytes(378, 3);
  EXPECT_EQ(channel.WriteKeyTable(table, 1), kResultBadTableIndex);
  EXPECT_TRUE(Requests(DeviceKind::Keyboard).empty()) << "nothing sent for a bad index";
  ASSERT_EQ(channel.WriteKeyTable(table, 0), kResultSuccess);
  ASSERT_EQ(channel.WriteKeyTable2(Bytes(378, 4), 0), kResultSuccess);
  ASSERT_EQ(channel.WriteKeyTable3(Bytes(378, 5), 0), kResultSuccess);
  EXPECT_EQ(Requests(DeviceKind::Keyboard).size(), 3u * 7) << "378 bytes in 56-byte requests";
  std::vector<uint8_t> back(378);
  ASSERT_EQ(channel.ReadKeyTable(back), kResultSuccess);
  EXPECT_EQ(back, table);
  const auto fn = *Firmware(DeviceKind::Keyboard).Region("fn_key_table");
  EXPECT_EQ(std::vector<uint8_t>(fn.begin(), fn.begin() + 378), Bytes(378, 4));
  ASSERT_TRUE(Firmware(DeviceKind::Keyboard).Poke("key_attributes", 0, Bytes(126, 6)));
  std::vector<uint8_t> attributes(126);
  ASSERT_EQ(channel.ReadKeyAttributes(attributes), kResultSuccess);
  EXPECT_EQ(attributes, Bytes(126, 6));
}

TEST_F(Channel, RecoilGoesIn56ByteRequestsEvenThroughTheReceiver) {
  DeviceChannel& channel = Connect("mouse-receiver");
  ASSERT_EQ(channel.WriteRecoilData(Bytes(100, 2)), kResultSuccess);
  EXPECT_EQ(Requests(DeviceKind::Mouse), (std::vector<Request>{{0x17, 56, 0}, {0x17, 44, 56}}));
  ASSERT_EQ(channel.WriteMacroData(Bytes(30, 2)), kResultSuccess);
  ASSERT_EQ(channel.WriteColorTable(Bytes(30, 8), 2, 512), kResultSuccess);
  std::vector<uint8_t> colours(30);
  ASSERT_EQ(channel.ReadColorTable(colours, 2, 512), kResultSuccess);
  EXPECT_EQ(colours, Bytes(30, 8));
  auto requests = Requests(DeviceKind::Mouse);
  EXPECT_EQ(requests[4], Request(0x0B, 24, 1024)) << "slot 2 of 512";
}

TEST_F(Channel, PowerStatusLightControlAndTransferBrackets) {
  DeviceChannel& channel = Connect("mouse");
  Firmware(DeviceKind::Mouse).SetPower(42, 1);
  std::array<uint8_t, 6> power{};
  ASSERT_EQ(channel.ReadPowerStatus(power, 0), kResultSuccess);
  EXPECT_EQ(power[0], 42);
  EXPECT_EQ(power[1], 1);
  EXPECT_EQ(channel.BeginTransfer(), kResultSuccess);
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(channel.EndTransfer(), kResultSuccess);
  EXPECT_GE(timer.elapsed(), 10);
  EXPECT_EQ(channel.TakeLightControl(), kResultSuccess);
  EXPECT_EQ(Requests(DeviceKind::Mouse),
            (std::vector<Request>{{0x1A, 6, 0}, {0x01, 0, 0}, {0x02, 0, 0}, {0x1C, 0, 0}}));
}

TEST_F(Channel, WirelessLinkQueryAndTheReceiversOwnAnswer) {
  DeviceChannel& cable = Connect("keyboard");
  EXPECT_TRUE(cable.QueryWirelessLink());
  EXPECT_TRUE(Requests(DeviceKind::Keyboard).empty()) << "by cable nothing is sent";
  simulator_->Unplug("keyboard");

  DeviceChannel& receiver = Connect("keyboard-receiver");
  EXPECT_TRUE(receiver.QueryWirelessLink());
  Firmware(DeviceKind::Keyboard).SetWirelessOn(false);
  EXPECT_FALSE(receiver.QueryWirelessLink());
  EXPECT_EQ(receiver.BeginTransfer(), kResultReceiverAnswer) << "at once, no time-out";
  Firmware(DeviceKind::Keyboard).SetWirelessOn(true);
  EXPECT_EQ(receiver.BeginTransfer(), kResultSuccess);
}

TEST_F(Channel, StatusErrorsAndAStaleAnswer) {
  DeviceChannel& channel = Connect("pad");
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("status-ff"));
  EXPECT_EQ(channel.BeginTransfer(), kResultStatusFF);
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("status-fe"));
  EXPECT_EQ(channel.BeginTransfer(), kResultStatusFE);
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("stale"));
  std::vector<uint8_t> back(8);
  EXPECT_EQ(channel.ReadParameters(back, 0), kResultSuccess) << "the stale answer is skipped";
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("none"));
}

TEST_F(Channel, NoAnswerCostsTheLimitAndTheChannelGoesOn) {
  DeviceChannel& channel = Connect("pad");
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("noanswer"));
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(channel.BeginTransfer(), kResultNoAnswer);
  EXPECT_GE(timer.elapsed(), 950);
  EXPECT_LT(timer.elapsed(), 3200) << "at most the write limit and two read limits";
  EXPECT_FALSE(channel.Busy);
  Firmware(DeviceKind::Pad).SetFault(*Fault::Parse("none"));
  EXPECT_EQ(channel.BeginTransfer(), kResultSuccess);
}

TEST_F(Channel, ARemovedDeviceStopsTheBlockAtTheFirstFailure) {
  DeviceChannel& channel = Connect("keyboard");
  Firmware(DeviceKind::Keyboard).SetFault(*Fault::Parse("delay:40"));
  std::atomic<int> result{99};
  std::thread writer([&] { result = channel.WriteMacroData(Bytes(56 * 10, 1)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(130));
  simulator_->Unplug("keyboard");
  writer.join();
  EXPECT_NE(result.load(), kResultSuccess);
  EXPECT_LT(Firmware(DeviceKind::Keyboard).Log().size(), 2u * 10);
}

TEST_F(Channel, TheDebugDumpShowsRequestAndAnswer) {
  DeviceChannel& channel = Connect("keyboard");
  platform::DebugCapture capture;
  ASSERT_EQ(channel.BeginTransfer(), kResultSuccess);
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "命令");
  EXPECT_EQ(lines[1], "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  "
                      "00 00 00 00  00 00 00 00  00 00 00 00");
  EXPECT_EQ(lines[3], "返回");
  EXPECT_EQ(lines[4].substr(0, 11), "04 00 00 01");
  capture.Clear();
  // Light frames write no dump.
  ASSERT_EQ(channel.StreamLightFrame(Bytes(20, 1)), kResultSuccess);
  EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(Channel, LightFramesNeverCutIntoAnotherRequestsAnswer) {
  DeviceChannel& channel = Connect("keyboard-receiver");
  platform::DebugCapture capture;
  std::atomic<bool> stop{false};
  std::atomic<int> frames{0};
  std::thread light([&] {
    const auto frame = Bytes(72, 5);
    while (!stop) {
      EXPECT_EQ(channel.StreamLightFrame(frame), kResultSuccess);
      ++frames;
    }
  });
  for (int i = 0; i < 20; ++i) {
    const auto block = Bytes(39, static_cast<uint8_t>(i));
    ASSERT_EQ(channel.WriteParameters(block, static_cast<uint16_t>(40 * (i % 8))), kResultSuccess);
    const auto memory = *Firmware(DeviceKind::Keyboard).Region("parameters");
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.begin() + 40 * (i % 8)));
  }
  // Let the light thread finish a frame at least once before it stops.
  for (int i = 0; i < 2000 && frames.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  light.join();
  EXPECT_GT(frames.load(), 0);
  // Every request is followed by its own answer before the next request.
  const auto log = Firmware(DeviceKind::Keyboard).Log();
  for (size_t i = 0; i + 1 < log.size(); i += 2) {
    ASSERT_TRUE(log[i].toDevice) << i;
    ASSERT_FALSE(log[i + 1].toDevice) << i;
    EXPECT_EQ(log[i].report[3], log[i + 1].report[3]) << i;
  }
}

namespace {

// A device node whose answers the test writes: `answer` makes the reports
// sent back for each request.
class ScriptedDevice {
 public:
  using Script = std::function<std::vector<std::vector<uint8_t>>(const std::vector<uint8_t>&)>;
  explicit ScriptedDevice(Script script) {
    node_ = tree_.AddUsbNode(0x320F, 0x5055, 1, testing_support::FourCollectionDescriptor());
    device_ = std::make_unique<testing_support::SocketNode>(tree_.DevRoot() + "/" + node_);
    EXPECT_TRUE(channel.Wired.Open(tree_.DevRoot() + "/" + node_ + "?vid_320f&pid_5055&mi_01&col04",
                                   true, true, true, false));
    channel.SetMode(1);
    channel.IsOpen = true;
    responder_ = std::thread([this, script = std::move(script)] {
      size_t seen = 0;
      while (!stop_) {
        const auto written = device_->Written();
        for (; seen < written.size(); ++seen)
          for (const auto& report : script(written[seen]))
            device_->SendReport(report);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~ScriptedDevice() {
    stop_ = true;
    responder_.join();
  }
  DeviceChannel channel;

 private:
  testing_support::FakeHidTree tree_;
  std::string node_;
  std::unique_ptr<testing_support::SocketNode> device_;
  std::atomic<bool> stop_{false};
  std::thread responder_;
};

std::vector<uint8_t> AnswerTo(const std::vector<uint8_t>& request, bool echo, uint8_t fill) {
  std::vector<uint8_t> answer(64, fill);
  answer[0] = 4;
  answer[3] = request[3];
  for (size_t i = 4; i <= 6; ++i)
    answer[i] = echo ? request[i] : 0;
  answer[7] = 0;
  return answer;
}

}  // namespace

TEST(DeviceChannelAnswers, TwoAnswersToOtherRequestsAreAFailureNotASuccess) {
  ScriptedDevice device([](const std::vector<uint8_t>&) {
    std::vector<uint8_t> wrong(64, 0);
    wrong[0] = 4;
    wrong[3] = 0x33;
    return std::vector{wrong, wrong};
  });
  platform::DebugCapture capture;
  std::array<uint8_t, 64> answer{};
  uint32_t n = 0;
  DeviceCommand request(0x01);
  request.Seal();
  EXPECT_EQ(device.channel.Exchange(request.bytes, answer, n), kResultNoAnswer);
  EXPECT_TRUE(capture.Contains("no answer to command 01"));
  std::vector<uint8_t> back(8);
  EXPECT_EQ(device.channel.ReadParameters(back, 0), kResultNoAnswer);
}

TEST(DeviceChannelAnswers, ASameCommandAnswerForAnotherPositionIsSkipped) {
  // Every request is answered late first: the previous request's answer,
  // then its own. Consecutive reads of one command differ only by length and
  // position.
  std::vector<uint8_t> previous;
  ScriptedDevice device([&previous](const std::vector<uint8_t>& request) {
    std::vector<std::vector<uint8_t>> out;
    if (!previous.empty())
      out.push_back(previous);
    previous = AnswerTo(request, true, static_cast<uint8_t>(request[5] + request[4]));
    out.push_back(previous);
    return out;
  });
  std::vector<uint8_t> one(1), block(39);
  ASSERT_EQ(device.channel.ReadParameters(one, 0), kResultSuccess);
  EXPECT_EQ(one[0], 1);
  ASSERT_EQ(device.channel.ReadParameters(block, 0x40), kResultSuccess);
  EXPECT_EQ(block, std::vector<uint8_t>(39, 0x40 + 39)) << "not the 1-byte read's answer";
  std::vector<uint8_t> two(100);
  ASSERT_EQ(device.channel.ReadParameters(two, 0), kResultSuccess);
  EXPECT_EQ(two[0], 56);
  EXPECT_EQ(two[56], 56 + 44) << "the second chunk's own answer";
}

TEST(DeviceChannelAnswers, AFirmwareThatEchoesOnlyTheCommandIsUnderstood) {
  ScriptedDevice device([](const std::vector<uint8_t>& request) {
    return std::vector<std::vector<uint8_t>>{AnswerTo(request, false, 0x5A)};
  });
  std::vector<uint8_t> back(70);
  ASSERT_EQ(device.channel.ReadParameters(back, 0x10), kResultSuccess);
  EXPECT_EQ(back, std::vector<uint8_t>(70, 0x5A));
}
