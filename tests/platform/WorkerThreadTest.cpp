#include <gtest/gtest.h>

#include <atomic>

#include "platform/DebugChannel.h"
#include "platform/WorkerThread.h"

using platform::Event;
using platform::WorkerThread;

TEST(WorkerThread, StopsAtItsStopEvent) {
  WorkerThread worker("poller");
  std::atomic<int> passes{0};
  ASSERT_TRUE(worker.Start([&](const Event& stop) {
    while (!stop.Wait(1))
      ++passes;
  }));
  EXPECT_FALSE(worker.Start([](const Event&) {})) << "a running worker cannot start twice";
  while (passes.load() < 3)
    std::this_thread::yield();
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_EQ(worker.Stop(1000), WorkerThread::EndResult::Ended);
  EXPECT_FALSE(worker.IsRunning());
}

TEST(WorkerThread, NotStartedReportsSo) {
  WorkerThread worker("idle");
  EXPECT_EQ(worker.Stop(10), WorkerThread::EndResult::NotStarted);
}

TEST(WorkerThread, HangingThreadIsDetachedAndReportedAfterTheLimit) {
  platform::DebugCapture capture;
  auto release = std::make_shared<Event>(Event::Mode::ManualReset);
  auto finished = std::make_shared<Event>(Event::Mode::ManualReset);
  {
    WorkerThread worker("stubborn");
    worker.Start([release, finished](const Event&) {
      // Ignores its stop event until released.
      release->Wait(platform::kInfinite);
      finished->Set();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(worker.Stop(50), WorkerThread::EndResult::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_FALSE(worker.IsRunning());
  }
  EXPECT_TRUE(capture.Contains("stubborn"));
  // The detached thread still runs safely after its owner is gone.
  release->Set();
  EXPECT_TRUE(finished->Wait(5000));
}

TEST(WorkerThread, CanRestartAfterStop) {
  WorkerThread worker("again");
  for (int round = 0; round < 3; ++round) {
    std::atomic<bool> ran{false};
    ASSERT_TRUE(worker.Start([&](const Event& stop) {
      ran = true;
      stop.Wait(platform::kInfinite);
    }));
    EXPECT_EQ(worker.Stop(1000), WorkerThread::EndResult::Ended);
    EXPECT_TRUE(ran.load());
  }
}
