#include "support/SkinFixture.h"

#include "support/EventLoopHelpers.h"

namespace testing_support {

std::unique_ptr<RecordingWindow> SkinTest::MakeWindow(const QString& skin) {
  auto window = std::make_unique<RecordingWindow>(skin);
  EXPECT_TRUE(window->Create(nullptr, "test", 0, 0, 0, 0, 400, 300));
  EXPECT_TRUE(RunUntil([&] {
    for (const auto& n : window->seen)
      if (n.type == "windowinit")
        return true;
    return false;
  }));
  window->seen.clear();
  return window;
}

}  // namespace testing_support
