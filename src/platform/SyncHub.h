#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform::detail {

// One lock and one condition for every waitable object of the platform layer:
// events, window sends and thread ends. The objects change rarely and are few,
// so a shared wake-up is cheap, and a single lock lets one wait watch events
// and incoming window sends at the same time without lock-order problems.
struct SyncHub {
  static SyncHub& Instance();

  std::mutex mutex;
  std::condition_variable changed;

  // Runs work that other threads sent to `thread` and wait for (window
  // messages sent to the windows it owns), so that a thread waiting on an
  // event never leaves a sender blocked. Called with `lock` on `mutex` held,
  // returns with it held; true when it ran something (and released the lock
  // meanwhile). Set, under `mutex`, by the window-message layer when its
  // first window is made; null before, when nothing can have been sent.
  using SentWorkRunner = bool (*)(std::unique_lock<std::mutex>& lock, std::thread::id thread);
  SentWorkRunner runSentWork = nullptr;
};

}  // namespace platform::detail
