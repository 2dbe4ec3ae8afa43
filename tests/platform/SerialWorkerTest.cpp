#include <gtest/gtest.h>

#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/SerialWorker.h"
#include "support/EventLoopHelpers.h"

using platform::SerialWorker;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// A gate a job waits at until the test opens it.
class Gate {
 public:
  void Wait() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [&] { return open_; });
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

}  // namespace

TEST(SerialWorker, JobsRunInOrderOffTheContextThreadAndCompleteOnIt) {
  QObject context;
  SerialWorker worker("test worker");
  std::mutex mutex;
  std::vector<int> ran;
  std::vector<int> completed;
  std::atomic<bool> offThread = true;
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(worker.Post(&context, [&, i] {
      offThread = offThread && QThread::currentThread() != context.thread();
      {
        std::lock_guard lock(mutex);
        ran.push_back(i);
      }
      return [&, i] {
        EXPECT_EQ(QThread::currentThread(), context.thread());
        completed.push_back(i);
      };
    }));
  ASSERT_TRUE(RunUntil([&] { return completed.size() == 20; }));
  EXPECT_TRUE(offThread);
  std::lock_guard lock(mutex);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(ran[static_cast<size_t>(i)], i);
    EXPECT_EQ(completed[static_cast<size_t>(i)], i);
  }
}

// A timer firing while its last request is on its way adds nothing; the key
// is free again once the completion has run.
TEST(SerialWorker, AKeyStaysPendingUntilItsCompletionHasRun) {
  QObject context;
  SerialWorker worker("test worker");
  Gate gate;
  int completions = 0;
  ASSERT_TRUE(worker.Post(&context, [&] {
    gate.Wait();
    return [&] { ++completions; };
  }, "power"));
  EXPECT_FALSE(worker.Post(&context, [] { return SerialWorker::Completion(); }, "power"))
      << "queued or running";
  EXPECT_TRUE(worker.Post(&context, [] { return SerialWorker::Completion(); }, "link"))
      << "another key";
  gate.Open();
  // Without running the event loop: the completions cannot run meanwhile.
  for (int i = 0; i < 5000 && worker.Backlog() != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(worker.Backlog(), 0u);
  EXPECT_TRUE(worker.IsPending("power")) << "the completion has not run yet";
  EXPECT_FALSE(worker.Post(&context, [] { return SerialWorker::Completion(); }, "power"));
  ASSERT_TRUE(RunUntil([&] { return completions == 1; }));
  EXPECT_FALSE(worker.IsPending("power"));
  EXPECT_TRUE(worker.Post(&context, [] { return SerialWorker::Completion(); }, "power"));
  ASSERT_TRUE(RunUntil([&] { return !worker.IsPending("power"); }));
}

TEST(SerialWorker, StopDropsWhatWaitsAndHandsNothingOver) {
  auto context = std::make_unique<QObject>();
  SerialWorker worker("test worker");
  Gate gate;
  std::atomic<bool> started = false;
  std::atomic<int> laterRan = 0;
  int completions = 0;
  ASSERT_TRUE(worker.Post(context.get(), [&] {
    started = true;
    gate.Wait();
    return [&] { ++completions; };
  }));
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(worker.Post(context.get(), [&] {
      ++laterRan;
      return [&] { ++completions; };
    }, "k" + std::to_string(i)));
  ASSERT_TRUE(RunUntil([&] { return started.load(); }));
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gate.Open();
  });
  EXPECT_EQ(worker.Stop(2000), platform::WorkerThread::EndResult::Ended);
  opener.join();
  EXPECT_EQ(laterRan, 0) << "jobs not started are dropped";
  EXPECT_FALSE(worker.IsPending("k0"));
  EXPECT_FALSE(worker.Post(context.get(), [] { return SerialWorker::Completion(); }));
  context.reset();  // as an owner does once its worker has stopped
  RunFor(30);
  EXPECT_EQ(completions, 0);
}
