#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <mutex>
#include <set>
#include <vector>

#include "app/DeviceDetector.h"
#include "app/DeviceRegistry.h"
#include "hid/HotplugMonitor.h"
#include "platform/WindowMessageQueue.h"
#include "platform/WindowMessages.h"
#include "platform/WorkerThread.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"

using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

constexpr uint32_t kInstance = 0xC123;

// Stands in for the main window: records what the detection thread says,
// checking on each arrival that the slot is bound already.
class Window : public platform::MessageReceiver {
 public:
  explicit Window(DeviceRegistry& registry) : registry_(registry) {}
  platform::LResult ReceiveMessage(uint32_t message, platform::WParam wParam,
                                   platform::LParam) override {
    std::lock_guard lock(mutex);
    if (message == DeviceArrivedMessage) {
      EXPECT_EQ(registry_.Slot(wParam).InUse, 1);
      arrived.push_back(static_cast<int>(wParam));
    } else if (message == DeviceRemovedMessage) {
      EXPECT_EQ(registry_.Slot(wParam).InUse, 0);
      removed.push_back(static_cast<int>(wParam));
    } else if (message == kInstance) {
      ++instances;
    }
    return 0;
  }
  std::mutex mutex;
  std::vector<int> arrived, removed;
  int instances = 0;

 private:
  DeviceRegistry& registry_;
};

class Detection : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(root_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
    registry_.Reset();
  }
  void TearDown() override {
    thread_.Stop();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  void Start() {
    thread_.Start([this, handle = queue_.Handle()](const platform::Event& stop) {
      DeviceDetector(registry_, handle, kInstance).Run(stop);
    });
  }
  std::vector<int> Arrived() {
    std::lock_guard lock(window_.mutex);
    return window_.arrived;
  }
  std::vector<int> Removed() {
    std::lock_guard lock(window_.mutex);
    return window_.removed;
  }

  QTemporaryDir root_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  DeviceRegistry registry_;
  Window window_{registry_};
  platform::WindowMessageQueue queue_{window_};
  platform::WorkerThread thread_{"detection"};
};

}  // namespace

TEST_F(Detection, FirstPassShowsTheWindowEvenWithNoDevice) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return window_.instances == 1; }));
  RunFor(250);
  EXPECT_EQ(window_.instances, 1) << "only after the first pass";
  EXPECT_TRUE(Arrived().empty());
}

TEST_F(Detection, DevicesArriveAndLeaveWithinAPass) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  Start();
  ASSERT_TRUE(RunUntil([&] { return Arrived().size() == 2; }));
  EXPECT_EQ(Arrived(), (std::vector<int>{1, 0})) << "event collection 3, command collection 4";
  EXPECT_TRUE(RunUntil([&] { return window_.instances == 1; })) << "posted after the pass";

  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  ASSERT_TRUE(RunUntil([&] { return Arrived().size() == 4; }, 5000));
  // The receiver's nodes appear one by one; a pass may fall between them,
  // so only the slots are certain here, not their order.
  const std::vector<int> arrived = Arrived();
  EXPECT_EQ(std::multiset<int>(arrived.begin() + 2, arrived.end()), (std::multiset<int>{6, 7}));
  EXPECT_FALSE(registry_.PartnerAttached(6)) << "the mouse's cable is not attached";

  ASSERT_TRUE(simulator_->Unplug("keyboard"));
  ASSERT_TRUE(RunUntil([&] { return Removed().size() == 2; }, 5000));
  EXPECT_EQ(registry_.Slot(0).InUse, 0);
  EXPECT_TRUE(registry_.Slot(0).Path.empty());
  // Plugged again: bound again.
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(RunUntil([&] { return Arrived().size() == 6; }, 5000));
}

TEST_F(Detection, ARepluggedDeviceOnTheSameNodeIsNoticed) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  ASSERT_TRUE(RunUntil([&] { return Arrived().size() == 2; }));
  // Gone and back between two passes, on the same node number.
  thread_.Stop();
  ASSERT_TRUE(simulator_->Unplug("pad"));
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  ASSERT_TRUE(RunUntil([&] { return Removed().size() == 2 && Arrived().size() == 4; }, 2000));
}

TEST_F(Detection, StopsAtItsStopEvent) {
  Start();
  ASSERT_TRUE(RunUntil([&] { return window_.instances == 1; }));
  EXPECT_EQ(thread_.Stop(1000), platform::WorkerThread::EndResult::Ended);
}

TEST_F(Detection, WithEverySlotBoundOnlyTheRemovalCheckRuns) {
  for (const std::string& connection : sim::DeviceSimulator::ConnectionNames())
    ASSERT_TRUE(simulator_->Plug(connection));
  DeviceDetector detector(registry_, queue_.Handle(), kInstance);
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 1);
  EXPECT_EQ(Arrived().size(), DeviceRegistry::kSlots);
  EXPECT_FALSE(registry_.AnyFree());
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 1) << "nothing to bind: no enumeration";

  ASSERT_TRUE(simulator_->Unplug("pad"));
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(Removed(), (std::vector<int>{8, 9}));
  EXPECT_EQ(detector.EnumeratingPasses(), 1);
  // A free slot again: the next pass looks for devices.
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 2);
}

TEST_F(Detection, UnchangedNodesAreReadFullyOnlyNowAndThen) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  DeviceDetector detector(registry_, queue_.Handle(), kInstance);
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 1);
  EXPECT_EQ(detector.FullPassEvery(), 20) << "two seconds of 100 ms passes";
  for (int i = 1; i < detector.FullPassEvery(); ++i)
    ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 1) << "the same nodes: nothing read again";
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 2) << "but now and then anyway";
  // A new node is read at once.
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(detector.Pass());
  EXPECT_EQ(detector.EnumeratingPasses(), 3);
}

TEST_F(Detection, NodesComingAndGoingWakeTheLoopSoItCanPassRarely) {
  // The simulated tree is watched: plugging and unplugging set the event.
  platform::Event wake(platform::Event::Mode::ManualReset);
  hid::HotplugMonitor monitor;
  ASSERT_TRUE(monitor.Start(wake));
  ASSERT_TRUE(simulator_->Plug("pad"));
  EXPECT_TRUE(wake.Wait(5000)) << "plugged";
  wake.Reset();
  ASSERT_TRUE(simulator_->Unplug("pad"));
  EXPECT_TRUE(wake.Wait(5000)) << "unplugged";
  monitor.Stop();

  DeviceDetector detector(registry_, queue_.Handle(), kInstance);
  detector.SetWatched(true);
  EXPECT_EQ(detector.PassIntervalMs(), DeviceDetector::kWatchedPassIntervalMs);
  EXPECT_EQ(detector.FullPassEvery(), 2) << "still a full read every two seconds";

  // Woken by the event, the loop binds a device long before its next pass
  // would come.
  Start();
  ASSERT_TRUE(RunUntil([&] { return window_.instances == 1; }));
  ASSERT_TRUE(simulator_->Plug("pad"));
  EXPECT_TRUE(RunUntil([&] { return Arrived().size() == 2; }, 900));
}

TEST_F(Detection, ANodeThatCannotBeOpenedYetIsTriedAgainSoonAFewTimes) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  // The nodes are announced, their devices not there yet.
  const std::filesystem::path dev(simulator_->DevRoot());
  std::vector<std::filesystem::path> moved;
  for (const auto& entry : std::filesystem::directory_iterator(dev)) {
    moved.push_back(entry.path());
    std::filesystem::rename(entry.path(), entry.path().string() + ".away");
  }
  ASSERT_FALSE(moved.empty());
  DeviceDetector detector(registry_, queue_.Handle(), kInstance);
  int retries = 0;
  for (int pass = 0; pass < 3 * DeviceDetector::kOpenRetries; ++pass) {
    ASSERT_TRUE(detector.Pass());
    retries += detector.Retrying() ? 1 : 0;
  }
  EXPECT_EQ(retries, DeviceDetector::kOpenRetries) << "a few times, not for ever";
  EXPECT_TRUE(Arrived().empty());

  // Back before the retries ran out: bound at the next pass.
  DeviceDetector again(registry_, queue_.Handle(), kInstance);
  ASSERT_TRUE(again.Pass());
  EXPECT_TRUE(again.Retrying());
  for (const auto& path : moved)
    std::filesystem::rename(path.string() + ".away", path);
  ASSERT_TRUE(again.Pass());
  EXPECT_FALSE(again.Retrying());
  EXPECT_EQ(Arrived().size(), 2u);
}
