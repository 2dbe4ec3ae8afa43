#include "platform/Event.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/SyncHub.h"

namespace platform {

using detail::SyncHub;

Event::Event(Mode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

void Event::Set() {
  auto& hub = SyncHub::Instance();
  std::lock_guard lock(hub.mutex);
  set_ = true;
  hub.changed.notify_all();
}

void Event::Reset() {
  std::lock_guard lock(SyncHub::Instance().mutex);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(SyncHub::Instance().mutex);
  return set_;
}

bool Event::Wait(int timeoutMs) const {
  const Event* self = this;
  return WaitForEvents(std::span(&self, 1), true, timeoutMs) == 0;
}

int WaitForEvents(std::span<const Event* const> events, bool waitAll, int timeoutMs) {
  if (events.empty())
    return kWaitFailed;
  auto& hub = SyncHub::Instance();
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(std::max(timeoutMs, 0));
  const auto self = std::this_thread::get_id();
  std::unique_lock lock(hub.mutex);
  for (;;) {
    if (waitAll) {
      if (std::all_of(events.begin(), events.end(), [](const Event* e) { return e->set_; })) {
        for (const Event* e : events)
          if (e->mode_ == Event::Mode::AutoReset)
            e->set_ = false;
        return 0;
      }
    } else {
      for (size_t i = 0; i < events.size(); ++i) {
        if (events[i]->set_) {
          if (events[i]->mode_ == Event::Mode::AutoReset)
            events[i]->set_ = false;
          return static_cast<int>(i);
        }
      }
    }
    if (hub.runSentWork != nullptr && hub.runSentWork(lock, self))
      continue;
    if (timeoutMs == kInfinite) {
      hub.changed.wait(lock);
    } else if (hub.changed.wait_until(lock, deadline) == std::cv_status::timeout) {
      // One last look: the state may have changed right at the deadline.
      if (std::chrono::steady_clock::now() >= deadline) {
        bool ready = waitAll ? std::all_of(events.begin(), events.end(),
                                           [](const Event* e) { return e->set_; })
                             : std::any_of(events.begin(), events.end(),
                                           [](const Event* e) { return e->set_; });
        if (!ready)
          return kWaitTimeout;
      }
    }
  }
}

}  // namespace platform
