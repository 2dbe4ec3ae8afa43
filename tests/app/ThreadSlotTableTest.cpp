#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>

#include "app/ThreadSlotTable.h"
#include "platform/DebugChannel.h"

TEST(ThreadSlotTable, SlotsHaveStopEventsAndParameterBlocksBeforeAnyThread) {
  ThreadSlotTable table;
  EXPECT_EQ(table.Parameters(0), nullptr) << "nothing before Create";
  EXPECT_FALSE(table.StartThread(0, [](const auto&) {}));
  auto* owner = reinterpret_cast<CMainWnd*>(0x1234);
  table.Create(owner);
  for (int slot = 0; slot < ThreadSlotTable::kSlotCount; ++slot) {
    const auto* block = table.Parameters(slot);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->owner, owner);
    ASSERT_NE(block->stop, nullptr);
    EXPECT_FALSE(block->stop->IsSet());
    EXPECT_FALSE(table.IsRunning(slot));
  }
  EXPECT_NE(table.Parameters(0)->stop, table.Parameters(1)->stop);
  EXPECT_EQ(table.Parameters(ThreadSlotTable::kSlotCount), nullptr);
  table.StopAll();
  EXPECT_FALSE(table.IsCreated());
}

TEST(ThreadSlotTable, WorkersSeeTheirBlockAndEndAtTheirStopEvent) {
  platform::DebugCapture capture;
  ThreadSlotTable table;
  table.Create(nullptr);
  std::atomic<int> passes{0};
  const platform::Event* seenStop = nullptr;
  ASSERT_TRUE(table.StartThread(ThreadSlotTable::kDetectionSlot, [&](const auto& block) {
    seenStop = block.stop;
    while (!block.stop->Wait(1))
      ++passes;
  }));
  EXPECT_FALSE(table.StartThread(ThreadSlotTable::kDetectionSlot, [](const auto&) {}));
  while (passes.load() < 2)
    std::this_thread::yield();
  EXPECT_EQ(seenStop, table.Parameters(ThreadSlotTable::kDetectionSlot)->stop);
  EXPECT_TRUE(table.IsRunning(ThreadSlotTable::kDetectionSlot));
  table.StopAll();
  EXPECT_TRUE(capture.Contains("所有对象处于激发状态"));
  EXPECT_FALSE(capture.Contains("超时"));
}

TEST(ThreadSlotTable, AHungWorkerDelaysShutDownByItsLimitOnlyAndIsReported) {
  platform::DebugCapture capture;
  auto release = std::make_shared<platform::Event>(platform::Event::Mode::ManualReset);
  auto finished = std::make_shared<platform::Event>(platform::Event::Mode::ManualReset);
  {
    ThreadSlotTable table;
    table.Create(nullptr);
    // Two hung slots and one that stops properly.
    for (int slot : {3, 5})
      ASSERT_TRUE(table.StartThread(slot, [release, finished](const auto&) {
        release->Wait(platform::kInfinite);
        finished->Set();
      }));
    ASSERT_TRUE(table.StartThread(ThreadSlotTable::kSameModeSlot,
                                  [](const auto& block) { block.stop->Wait(platform::kInfinite); }));
    QElapsedTimer timer;
    timer.start();
    table.StopAll(150);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, 2 * 150);
    EXPECT_LT(elapsed, 2 * 150 + 1000) << "about one limit per hung slot, no more";
  }
  const auto lines = capture.Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "所有对象处于非激发状态，超时"), 2);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "所有对象处于激发状态"), 1);
  // The hung threads were left to finish on their own, safely.
  release->Set();
  EXPECT_TRUE(finished->Wait(5000));
}
