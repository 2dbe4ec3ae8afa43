#pragma once

#include <condition_variable>
#include <mutex>

namespace platform::detail {

// One lock and one condition for every waitable object of the platform layer:
// events, window sends and thread ends. The objects change rarely and are few,
// so a shared wake-up is cheap, and a single lock lets one wait watch events
// and incoming window sends at the same time without lock-order problems.
struct SyncHub {
  static SyncHub& Instance();

  std::mutex mutex;
  std::condition_variable changed;
};

}  // namespace platform::detail
