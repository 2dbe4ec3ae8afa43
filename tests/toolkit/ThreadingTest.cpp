#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Event.h"
#include "platform/WindowMessages.h"
#include "platform/WorkerThread.h"
#include "support/EventLoopHelpers.h"
#include "support/SkinFixture.h"

// Worker threads meeting toolkit windows. The windows stay hidden: these
// tests also run under ThreadSanitizer, and painting would pull in Qt's own
// image threads, which the sanitizer cannot follow.

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;
using testing_support::SkinTest;

namespace {

class ThreadedWindow : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    window = MakeWindow();
  }
  CControlUI* Find(const char* name) { return window->PaintManager().FindControl(name); }
  std::unique_ptr<testing_support::RecordingWindow> window;
};

}  // namespace

TEST_F(ThreadedWindow, ControlTimersFireRestartAndStopFromAnyThread) {
  CPaintManagerUI& pm = window->PaintManager();
  CControlUI* floater = Find("floater");
  ASSERT_TRUE(pm.SetTimer(floater, 1002, 10));
  ASSERT_TRUE(RunUntil([&] { return window->Trace(true).size() >= 2; }));
  EXPECT_EQ(window->Trace(true)[0], "timer:floater");
  EXPECT_EQ(window->seen[0].wParam, 1002u);
  EXPECT_TRUE(pm.KillTimer(floater, 1002));
  EXPECT_FALSE(pm.HasTimer(floater, 1002));
  window->seen.clear();
  RunFor(40);
  EXPECT_TRUE(window->seen.empty());

  // From a worker, as device threads do.
  std::thread([&] { EXPECT_TRUE(pm.SetTimer(floater, 7, 10)); }).join();
  ASSERT_TRUE(RunUntil([&] { return !window->seen.empty(); }));
  EXPECT_EQ(window->seen[0].wParam, 7u);
  std::thread([&] { EXPECT_TRUE(pm.KillTimer(floater, 7)); }).join();
  RunFor(20);
  window->seen.clear();
  RunFor(40);
  EXPECT_TRUE(window->seen.empty());

  // Setting a running timer again restarts it.
  ASSERT_TRUE(pm.SetTimer(floater, 9, 250));
  RunFor(150);
  ASSERT_TRUE(pm.SetTimer(floater, 9, 250));
  RunFor(150);
  EXPECT_TRUE(window->seen.empty());
  ASSERT_TRUE(RunUntil([&] { return !window->seen.empty(); }));

  // A control that goes away takes its timers with it.
  ASSERT_TRUE(pm.SetTimer(floater, 11, 5));
  delete floater;
  EXPECT_FALSE(pm.HasTimer(floater, 11));
}


TEST_F(ThreadedWindow, ShutdownWaitingForAWorkerThatSendsNeverDeadlocks) {
  // The pattern of the main window: on WM_DESTROY it stops its workers and
  // waits for them while they may be blocked sending to it.
  platform::WorkerThread worker("sender");
  std::atomic<int> sent{0};
  std::atomic<bool> sawZero{false};
  worker.Start([&, hwnd = window->GetHWND()](const platform::Event& stop) {
    while (!stop.Wait(0)) {
      if (platform::SendWindowMessage(hwnd, platform::WM_USER + 9, 0, 0) == 0)
        sawZero = true;
      ++sent;
    }
  });
  window->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
    handled = true;
    if (message == platform::WM_DESTROY) {
      worker.SignalStop();
      EXPECT_EQ(worker.WaitForEnd(1000), platform::WorkerThread::EndResult::Ended);
    }
    return 1;
  };
  ASSERT_TRUE(RunUntil([&] { return sent.load() > 10; }));
  window->DestroyWindow();
  EXPECT_FALSE(worker.IsRunning());
}


TEST_F(ThreadedWindow, SendFromWorkerIsHandledOnTheUiThreadWithItsResult) {
  const auto uiThread = std::this_thread::get_id();
  std::thread::id handledOn;
  window->onMessage = [&](UINT message, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
    if (message != platform::WM_USER + 77)
      return handled = false, 0;
    handled = true;
    handledOn = std::this_thread::get_id();
    return static_cast<LRESULT>(wParam) * 3;
  };
  std::atomic<LRESULT> result{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    result = platform::SendWindowMessage(window->GetHWND(), platform::WM_USER + 77, 5, 0);
    done = true;
  });
  ASSERT_TRUE(RunUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(result.load(), 15);
  EXPECT_EQ(handledOn, uiThread);
}

