#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/Event.h"

using platform::Event;
using platform::kWaitFailed;
using platform::kWaitTimeout;
using platform::WaitForEvents;

TEST(Event, ManualResetStaysSetUntilReset) {
  Event event(Event::Mode::ManualReset);
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, AutoResetLetsOneWaiterThrough) {
  Event event(Event::Mode::AutoReset, true);
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  EXPECT_FALSE(event.IsSet());
}

TEST(Event, WaitAnyReturnsIndexOfFirstSetEvent) {
  Event a(Event::Mode::ManualReset), b(Event::Mode::ManualReset), c(Event::Mode::AutoReset);
  const Event* events[] = {&a, &b, &c};
  EXPECT_EQ(WaitForEvents(events, false, 0), kWaitTimeout);
  c.Set();
  EXPECT_EQ(WaitForEvents(events, false, 0), 2);
  // The auto-reset event was consumed by that wait.
  EXPECT_EQ(WaitForEvents(events, false, 0), kWaitTimeout);
  b.Set();
  c.Set();
  EXPECT_EQ(WaitForEvents(events, false, 0), 1);
}

TEST(Event, WaitAllNeedsEveryEventAndConsumesAutoResetOnlyThen) {
  Event a(Event::Mode::ManualReset), b(Event::Mode::AutoReset);
  const Event* events[] = {&a, &b};
  b.Set();
  EXPECT_EQ(WaitForEvents(events, true, 0), kWaitTimeout);
  EXPECT_TRUE(b.IsSet()) << "a failed wait-all must not consume an auto-reset event";
  a.Set();
  EXPECT_EQ(WaitForEvents(events, true, 0), 0);
  EXPECT_FALSE(b.IsSet());
  EXPECT_TRUE(a.IsSet());
}

TEST(Event, EmptyListFails) {
  EXPECT_EQ(WaitForEvents({}, false, 0), kWaitFailed);
}

TEST(Event, WaitWakesWhenAnotherThreadSets) {
  Event event(Event::Mode::ManualReset);
  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.Wait(5000));
  setter.join();
}

TEST(Event, TimedWaitEndsAfterItsLimit) {
  Event event(Event::Mode::ManualReset);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(event.Wait(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(Event, ManyWaitersAllWakeOnManualReset) {
  Event event(Event::Mode::ManualReset);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 8; ++i)
    waiters.emplace_back([&] {
      if (event.Wait(5000))
        ++woken;
    });
  event.Set();
  for (auto& t : waiters)
    t.join();
  EXPECT_EQ(woken.load(), 8);
}
