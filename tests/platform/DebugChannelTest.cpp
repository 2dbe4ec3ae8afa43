#include <gtest/gtest.h>

#include <thread>

#include "platform/DebugChannel.h"

using platform::DebugCapture;

TEST(DebugChannel, OneLinePerCallWithoutTrailingNewlines) {
  DebugCapture capture;
  platform::DebugOutput("InitWindow");
  platform::DebugOutput("所有对象处于激发状态\n");
  platform::DebugPrint("软件标示：%d", 0xC000);
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "InitWindow");
  EXPECT_EQ(lines[1], "所有对象处于激发状态");
  EXPECT_EQ(lines[2], "软件标示：49152");
}

TEST(DebugChannel, NestedCapturesBothSeeLinesAndStopAtTheirEnd) {
  DebugCapture outer;
  {
    DebugCapture inner;
    platform::DebugOutput("both");
    EXPECT_TRUE(inner.Contains("both"));
  }
  platform::DebugOutput("outer only");
  EXPECT_EQ(outer.Lines().size(), 2u);
}

TEST(DebugChannel, LongFormattedLinesAreNotCut) {
  DebugCapture capture;
  const std::string long_text(5000, 'x');
  platform::DebugPrint("%s|end", long_text.c_str());
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].size(), 5004u);
}

TEST(DebugChannel, ConcurrentWritersNeitherLoseNorMixLines) {
  DebugCapture capture;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 100; ++i)
        platform::DebugPrint("writer %d line %d", t, i);
    });
  for (auto& w : writers)
    w.join();
  const auto lines = capture.Lines();
  EXPECT_EQ(lines.size(), 400u);
  for (const auto& line : lines)
    EXPECT_EQ(line.rfind("writer ", 0), 0u) << line;
}
