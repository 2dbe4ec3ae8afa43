#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "devicecore/DeviceThread.h"
#include "platform/DebugChannel.h"

namespace {

size_t IndexOf(const std::vector<std::string>& lines, std::string_view text, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i].find(text) != std::string::npos)
      return i;
  return lines.size();
}

}  // namespace

TEST(DeviceThread, LoopsUntilStoppedThenWritesItsExitLineBeforeTheStopResult) {
  platform::DebugCapture capture;
  DeviceThread thread("KB灯光线程设定退出", 1000);
  std::atomic<int> passes{0};
  thread.Start([&](const platform::Event&) { ++passes; });
  while (passes.load() < 3)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(thread.IsRunning());
  EXPECT_EQ(thread.Stop(), DeviceThread::StopResult::Ended);
  EXPECT_FALSE(thread.IsRunning());
  const auto lines = capture.Lines();
  const size_t exit = IndexOf(lines, "KB灯光线程设定退出");
  ASSERT_LT(exit, lines.size());
  EXPECT_LT(IndexOf(lines, "线程退出：：对象处于激发状态", exit), lines.size());
  // A second stop has nothing to do.
  EXPECT_EQ(thread.Stop(), DeviceThread::StopResult::NotRunning);
}

TEST(DeviceThread, StartingAgainEndsTheRunningThreadFirst) {
  platform::DebugCapture capture;
  DeviceThread thread("MS设备同步线程设定退出", 1000);
  std::atomic<int> running{0};
  std::atomic<int> most{0};
  auto pass = [&](const platform::Event&) {
    const int now = ++running;
    most = std::max(most.load(), now);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    --running;
  };
  thread.Start(pass);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  thread.Start(pass);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  thread.Stop();
  EXPECT_EQ(most.load(), 1);
  size_t exits = 0;
  for (const auto& line : capture.Lines())
    exits += line.find("MS设备同步线程设定退出") != std::string::npos ? 1 : 0;
  EXPECT_EQ(exits, 2u);
}

TEST(DeviceThread, AnOverrunIsReportedAndTheThreadIsStillWaitedFor) {
  platform::DebugCapture capture;
  DeviceThread thread("MS灯光线程设定退出", 30);
  std::atomic<bool> finished{false};
  std::atomic<bool> inside{false};
  thread.Start([&](const platform::Event& stop) {
    inside = true;
    // A bounded operation that takes longer than the stop limit.
    while (!stop.IsSet())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    finished = true;
  });
  while (!inside.load())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(thread.Stop(), DeviceThread::StopResult::TimedOut);
  // Whatever the thread used may be freed now: it has ended.
  EXPECT_TRUE(finished.load());
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_TRUE(capture.Contains("线程退出：：对象处于非激发状态，超时"));
  EXPECT_FALSE(capture.Contains("线程退出：：对象处于激发状态"));
}
