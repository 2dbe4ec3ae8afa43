#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "platform/WindowMessageQueue.h"
#include "platform/WindowMessages.h"
#include "support/EventLoopHelpers.h"

using namespace platform;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

constexpr uint32_t kPing = WM_USER + 1;

// Records what arrives, with the thread it arrived on.
class RecordingReceiver : public MessageReceiver {
 public:
  LResult ReceiveMessage(uint32_t message, WParam wParam, LParam lParam) override {
    std::lock_guard lock(mutex);
    messages.push_back({message, wParam, lParam, std::this_thread::get_id()});
    if (onMessage)
      return onMessage(message, wParam, lParam);
    return static_cast<LResult>(wParam) * 2;
  }
  size_t Count() {
    std::lock_guard lock(mutex);
    return messages.size();
  }
  size_t CountOf(uint32_t message) {
    std::lock_guard lock(mutex);
    return std::count_if(messages.begin(), messages.end(),
                         [&](const Received& r) { return r.message == message; });
  }

  struct Received {
    uint32_t message;
    WParam wParam;
    LParam lParam;
    std::thread::id thread;
  };
  std::mutex mutex;
  std::vector<Received> messages;
  std::function<LResult(uint32_t, WParam, LParam)> onMessage;
};

}  // namespace

TEST(RegisteredMessages, SameNameSameIdFromC000) {
  const uint32_t a = RegisterMessageName("RUDAVAVE DADAV UDU417");
  const uint32_t b = RegisterMessageName("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
  EXPECT_GE(a, kFirstRegisteredMessage);
  EXPECT_GE(b, kFirstRegisteredMessage);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterMessageName("RUDAVAVE DADAV UDU417"), a);
  // The same name registered from several threads at once still gets one id.
  std::vector<std::thread> threads;
  std::vector<uint32_t> ids(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] { ids[i] = RegisterMessageName("UWM_MOUSERBUTTONDOWN_USER_MSG"); });
  for (auto& t : threads)
    t.join();
  for (uint32_t id : ids)
    EXPECT_EQ(id, ids[0]);
}

TEST(WindowMessages, SendOnOwnThreadIsHandledAtOnce) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  EXPECT_TRUE(IsWindowAlive(queue.Handle()));
  EXPECT_EQ(SendWindowMessage(queue.Handle(), kPing, 21, 0), 42);
  EXPECT_EQ(receiver.Count(), 1u);
}

TEST(WindowMessages, PostsArriveInOrderThroughTheEventLoop) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  for (WParam i = 0; i < 5; ++i)
    EXPECT_TRUE(PostWindowMessage(queue.Handle(), kPing, i, 0));
  EXPECT_EQ(receiver.Count(), 0u) << "a post returns before it is handled";
  ASSERT_TRUE(RunUntil([&] { return receiver.Count() == 5; }));
  for (WParam i = 0; i < 5; ++i)
    EXPECT_EQ(receiver.messages[i].wParam, i);
}

TEST(WindowMessages, UnknownOrGoneWindowAnswersZero) {
  EXPECT_EQ(SendWindowMessage(0, kPing, 1, 0), 0);
  EXPECT_FALSE(PostWindowMessage(0, kPing, 1, 0));
  WindowHandle gone;
  {
    RecordingReceiver receiver;
    WindowMessageQueue queue(receiver);
    gone = queue.Handle();
  }
  EXPECT_FALSE(IsWindowAlive(gone));
  EXPECT_EQ(SendWindowMessage(gone, kPing, 1, 0), 0);
  EXPECT_FALSE(PostWindowMessage(gone, kPing, 1, 0));
}

TEST(WindowMessages, SendFromWorkerBlocksUntilTheUiThreadHandledIt) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  std::atomic<bool> handled{false};
  receiver.onMessage = [&](uint32_t, WParam wParam, LParam) -> LResult {
    handled = true;
    return static_cast<LResult>(wParam) + 1000;
  };
  std::atomic<LResult> result{-1};
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    result = SendWindowMessage(queue.Handle(), kPing, 7, 0);
    // The send returns only after the handler ran.
    EXPECT_TRUE(handled.load());
    returned = true;
  });
  ASSERT_TRUE(RunUntil([&] { return returned.load(); }));
  worker.join();
  EXPECT_EQ(result.load(), 1007);
  ASSERT_EQ(receiver.Count(), 1u);
  EXPECT_EQ(receiver.messages[0].thread, std::this_thread::get_id());
}

TEST(WindowMessages, UiThreadWaitingForAnEventStillAnswersSends) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  Event workerDone(Event::Mode::ManualReset);
  std::atomic<LResult> result{0};
  std::thread worker([&] {
    result = SendWindowMessage(queue.Handle(), kPing, 5, 0);
    workerDone.Set();
  });
  // No event loop runs here: the wait itself must hand the send to the receiver.
  EXPECT_TRUE(workerDone.Wait(5000));
  worker.join();
  EXPECT_EQ(result.load(), 10);
}

TEST(WindowMessages, BeginDestroyAnswersWaitingSendsWithZero) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  std::atomic<int> sending{0};
  std::atomic<LResult> result{-1};
  std::thread worker([&] {
    sending = 1;
    result = SendWindowMessage(queue.Handle(), kPing, 9, 0);
    sending = 2;
  });
  while (sending.load() == 0)
    std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  queue.BeginDestroy();
  worker.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_EQ(receiver.Count(), 0u);
  // New messages are refused as well.
  EXPECT_EQ(SendWindowMessage(queue.Handle(), kPing, 1, 0), 0);
  EXPECT_FALSE(PostWindowMessage(queue.Handle(), kPing, 1, 0));
  RunFor(20);
  EXPECT_EQ(receiver.Count(), 0u);
}

TEST(WindowMessages, WindowDestroyedWhileWorkerSendsInALoop) {
  auto receiver = std::make_unique<RecordingReceiver>();
  auto queue = std::make_unique<WindowMessageQueue>(*receiver);
  const WindowHandle handle = queue->Handle();
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  std::atomic<int> zeros{0};
  std::thread worker([&] {
    while (!stop) {
      const LResult r = SendWindowMessage(handle, kPing, 1, 0);
      PostWindowMessage(handle, kPing, 1, 0);
      if (r == 2)
        ++answered;
      else
        ++zeros;
      if (!IsWindowAlive(handle) && zeros > 10)
        break;
    }
  });
  ASSERT_TRUE(RunUntil([&] { return answered.load() > 20; }));
  // Destroy the window with sends and posts in flight; nothing may reach the
  // receiver afterwards, and the worker must not hang.
  queue.reset();
  receiver.reset();
  RunFor(20);
  stop = true;
  worker.join();
  EXPECT_GT(zeros.load(), 0);
}

TEST(WindowMessages, ThreadsSendingToEachOtherDoNotLockUp) {
  RecordingReceiver uiReceiver;
  WindowMessageQueue uiQueue(uiReceiver);
  std::atomic<WindowHandle> workerWindow{0};
  std::atomic<bool> done{false};
  std::atomic<LResult> workerResult{0};
  // The UI window answers a worker's send by sending back to the worker's window.
  uiReceiver.onMessage = [&](uint32_t, WParam, LParam) -> LResult {
    return SendWindowMessage(workerWindow.load(), kPing, 50, 0) + 1;
  };
  std::thread worker([&] {
    RecordingReceiver workerReceiver;
    WindowMessageQueue workerQueue(workerReceiver);
    workerWindow = workerQueue.Handle();
    workerResult = SendWindowMessage(uiQueue.Handle(), kPing, 1, 0);
    done = true;
  });
  ASSERT_TRUE(RunUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(workerResult.load(), 101);
}

TEST(WindowTimers, FireRestartAndStopFromAnyThread) {
  RecordingReceiver receiver;
  WindowMessageQueue queue(receiver);
  std::thread([&] { EXPECT_TRUE(SetWindowTimer(queue.Handle(), 1011, 10)); }).join();
  ASSERT_TRUE(RunUntil([&] { return receiver.CountOf(WM_TIMER) >= 2; }));
  EXPECT_EQ(receiver.messages.back().wParam, 1011u);
  std::thread([&] { EXPECT_TRUE(KillWindowTimer(queue.Handle(), 1011)); }).join();
  RunFor(20);  // the kill request itself goes through the loop
  const size_t after = receiver.CountOf(WM_TIMER);
  RunFor(60);
  EXPECT_EQ(receiver.CountOf(WM_TIMER), after);

  // Setting a running timer again restarts its interval.
  ASSERT_TRUE(SetWindowTimer(queue.Handle(), 7, 250));
  RunFor(150);
  ASSERT_TRUE(SetWindowTimer(queue.Handle(), 7, 250));
  RunFor(150);
  EXPECT_EQ(receiver.CountOf(WM_TIMER), after) << "restart must push the first tick back";
  ASSERT_TRUE(RunUntil([&] { return receiver.CountOf(WM_TIMER) > after; }));
}
