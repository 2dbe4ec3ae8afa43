#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devicecore/DeviceCore.h"
#include "platform/ThreadRole.h"
#include "protocol/Command.h"
#include "protocol/DeviceInfo.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"

using sim::DeviceKind;

namespace {

using testing_support::RunUntil;

class Core : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(root_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
  }
  void TearDown() override {
    core_.reset();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  std::string PathOf(const std::string& connection) {
    static const std::map<std::string, std::string> kMarkers = {
        {"keyboard", "?vid_320f&pid_5055&mi_01&col04"},
        {"keyboard-receiver", "?vid_320f&pid_5088&mi_01&col04"},
    };
    EXPECT_TRUE(simulator_->Plug(connection));
    return simulator_->DevRoot() + "/" + *simulator_->NodeOf(connection) + kMarkers.at(connection);
  }
  // Opens `path` on the core's worker and waits for the answer.
  bool Open(const std::string& path, bool receiver) {
    std::optional<bool> opened;
    core_->OpenCommand(path, receiver, true, [&](bool ok) { opened = ok; });
    EXPECT_TRUE(RunUntil([&] { return opened.has_value(); }));
    return opened.value_or(false);
  }
  int Requests(uint8_t command) {
    int count = 0;
    for (const auto& entry : simulator_->Firmware(DeviceKind::Keyboard).Log())
      count += entry.toDevice && entry.report[3] == command ? 1 : 0;
    return count;
  }

  QTemporaryDir root_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<DeviceCore> core_ = std::make_unique<DeviceCore>();
};

// What the UI-thread check reported.
std::mutex reportedMutex;
std::vector<std::string> reported;
void Record(const char* what) {
  std::lock_guard lock(reportedMutex);
  reported.emplace_back(what);
}
std::vector<std::string> Reported() {
  std::lock_guard lock(reportedMutex);
  return reported;
}

}  // namespace

TEST_F(Core, OpensAndSwitchesOnItsWorkerInTheOrderAsked) {
  const std::string cable = PathOf("keyboard");
  const std::string receiver = PathOf("keyboard-receiver");
  ASSERT_TRUE(Open(cable, false));
  EXPECT_TRUE(core_->Commands.IsOpen);
  EXPECT_FALSE(core_->Commands.WirelessMode);
  EXPECT_EQ(core_->Commands.ChunkSize, 56);

  // To the receiver and back.
  std::optional<bool> switched;
  core_->SwitchCommand(cable, receiver, [&](bool opened) { switched = opened; });
  ASSERT_TRUE(RunUntil([&] { return switched.has_value(); }));
  EXPECT_TRUE(*switched);
  EXPECT_TRUE(core_->Commands.WirelessMode);
  EXPECT_EQ(core_->Commands.ChunkSize, 24);
  // Two switches asked at once run in that order: there and back again.
  std::vector<bool> answers;
  for (int i = 0; i < 2; ++i)
    core_->SwitchCommand(cable, receiver, [&](bool opened) { answers.push_back(opened); });
  ASSERT_TRUE(RunUntil([&] { return answers.size() == 2; }));
  EXPECT_EQ(answers, (std::vector<bool>{true, true}));
  EXPECT_TRUE(core_->Commands.WirelessMode);
  EXPECT_TRUE(core_->Commands.IsOpen);
  EXPECT_TRUE(core_->IsIdle());

  // Both links go on close; a switch to a node that is gone fails.
  bool closed = false;
  core_->CloseCommand([&] { closed = true; });
  ASSERT_TRUE(RunUntil([&] { return closed; }));
  EXPECT_FALSE(core_->Commands.Wired.IsOpen());
  EXPECT_FALSE(core_->Commands.Receiver.IsOpen());
  ASSERT_TRUE(simulator_->Unplug("keyboard-receiver"));
  ASSERT_TRUE(Open(cable, false));
  switched.reset();
  core_->SwitchCommand(cable, receiver, [&](bool opened) { switched = opened; });
  ASSERT_TRUE(RunUntil([&] { return switched.has_value(); }));
  EXPECT_FALSE(*switched);
  EXPECT_FALSE(core_->Commands.IsOpen);
}

TEST_F(Core, ASilentReceiverNeverPilesUpLinkChecksAndACloseCutsTheWaitShort) {
  const std::string receiver = PathOf("keyboard-receiver");
  ASSERT_TRUE(Open(receiver, true));
  ASSERT_TRUE(core_->Commands.WirelessMode);
  simulator_->Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("noanswer"));
  const int before = Requests(static_cast<uint8_t>(protocol::Command::QueryWirelessLink));

  // A timer firing every few milliseconds while the receiver stays silent
  // (each check would wait 5 s for its answer).
  std::vector<bool> answers;
  int accepted = 0;
  for (int i = 0; i < 50; ++i) {
    accepted += core_->CheckWirelessLink([&](bool up) { answers.push_back(up); }) ? 1 : 0;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
  }
  EXPECT_EQ(accepted, 1);
  EXPECT_TRUE(core_->IsPending("link"));
  ASSERT_TRUE(RunUntil([&] {
    return Requests(static_cast<uint8_t>(protocol::Command::QueryWirelessLink)) > before;
  }));
  // Another purpose has a check of its own.
  EXPECT_TRUE(core_->CheckWirelessLink([&](bool up) { answers.push_back(up); }, "connect-link"));

  // Unplugged meanwhile: the close cuts the pending wait short instead of
  // letting the worker sit out the receiver's 5 s limit.
  QElapsedTimer timer;
  timer.start();
  bool closed = false;
  core_->CloseCommand([&] { closed = true; });
  ASSERT_TRUE(RunUntil([&] { return closed; }, 4000));
  EXPECT_LT(timer.elapsed(), 4000) << "the close waited for the receiver's time limit";
  EXPECT_EQ(answers, (std::vector<bool>{false, false}));
  EXPECT_EQ(Requests(static_cast<uint8_t>(protocol::Command::QueryWirelessLink)) - before, 1);
  EXPECT_FALSE(core_->IsPending("link"));
  // The interruption is gone with the close: the next open exchanges again.
  simulator_->Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("none"));
  ASSERT_TRUE(Open(receiver, true));
  std::optional<bool> up;
  core_->CheckWirelessLink([&](bool linked) { up = linked; });
  ASSERT_TRUE(RunUntil([&] { return up.has_value(); }));
  EXPECT_TRUE(*up);
}

TEST_F(Core, DeviceWorkOnTheUiThreadIsReportedAndOnTheWorkerItIsNot) {
  ASSERT_TRUE(Open(PathOf("keyboard"), false));
  platform::SetUiThreadWorkHandler(&Record);
  // A thread of its own plays the UI thread, so this process's main thread
  // keeps its part for the other tests.
  std::thread ui([this] {
    platform::MarkUiThread();
    core_->Commands.BeginTransfer();
    DeviceCore::PauseDevice(1);
  });
  ui.join();
  EXPECT_EQ(Reported(), (std::vector<std::string>{"device exchange", "device pause"}));

  std::optional<int> result;
  core_->Run<int>([this] { return core_->Commands.BeginTransfer(); }, [&](int r) { result = r; });
  ASSERT_TRUE(RunUntil([&] { return result.has_value(); }));
  EXPECT_EQ(*result, 1);
  EXPECT_EQ(Reported().size(), 2u) << "the worker is not the UI thread";
  platform::SetUiThreadWorkHandler(nullptr);
}

// A core that goes while a job works against a device that stopped
// answering: the job is cut short and waited for, however long its pauses
// take, before anything of the core goes (it used to be left running on a
// core already destroyed).
TEST_F(Core, AJobStillRunningIsCutShortAndWaitedForWhenTheCoreGoes) {
  ASSERT_TRUE(Open(PathOf("keyboard"), false));
  simulator_->Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("noanswer"));
  std::atomic<bool> started{false};
  std::atomic<bool> ended{false};
  std::atomic<int> exchanges{0};
  DeviceCore* core = core_.get();
  core_->Run<int>(
      [core, &started, &ended, &exchanges] {
        started = true;
        // Longer than a worker is normally given to end: exchanges with
        // pauses between, as a job retrying a silent device does.
        for (int i = 0; i < 15; ++i) {
          protocol::DeviceInfo::Bytes info{};
          core->Commands.ReadDeviceInfo(info);
          ++exchanges;
          DeviceCore::PauseDevice(100);
        }
        ended = true;
        return 0;
      },
      {});
  ASSERT_TRUE(RunUntil([&] { return started.load(); }));
  QElapsedTimer timer;
  timer.start();
  core_.reset();
  EXPECT_TRUE(ended) << "the core went while its job still ran";
  EXPECT_EQ(exchanges, 15);
  EXPECT_LT(timer.elapsed(), 4000) << "the exchanges after the stop failed at once";
}
