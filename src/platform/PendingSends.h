#pragma once

#include <memory>
#include <mutex>
#include <thread>

#include "platform/WindowMessageTypes.h"

namespace platform::detail {

// A message sent from one thread to a window owned by another, waiting for
// the owner thread to handle it. Guarded by the sync hub's mutex.
struct PendingSend {
  WindowHandle target = 0;
  std::thread::id owner;
  uint32_t message = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  LResult result = 0;
  bool done = false;
};

// With the sync hub's mutex held: removes and returns the oldest send waiting
// for a window owned by `thread`, or null.
std::shared_ptr<PendingSend> TakePendingSendLocked(std::thread::id thread);

// Without the mutex held, on the owner thread: handles the send and wakes its
// sender.
void RunPendingSend(PendingSend& send);

// The sync hub's runner of sent work: one send waiting for `thread`, run with
// the lock released.
bool RunSentWorkWhileWaiting(std::unique_lock<std::mutex>& lock, std::thread::id thread);

}  // namespace platform::detail
