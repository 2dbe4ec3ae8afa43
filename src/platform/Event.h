#pragma once

#include <span>

namespace platform {

inline constexpr int kInfinite = -1;
inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;

// A kernel-style event. A manual-reset event stays set until Reset(); an
// auto-reset event lets exactly one waiter through and clears itself.
class Event {
 public:
  enum class Mode { ManualReset, AutoReset };

  explicit Event(Mode mode, bool initiallySet = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // True when the event was (or became) set within the limit.
  bool Wait(int timeoutMs) const;

 private:
  friend int WaitForEvents(std::span<const Event* const>, bool, int);
  const Mode mode_;
  mutable bool set_;  // guarded by the sync hub's mutex
};

// Waits for any (or all) of the events. Returns the index of the event that
// ended the wait (0 when waiting for all), kWaitTimeout, or kWaitFailed for an
// empty list. A thread that owns windows keeps handling the window messages
// sent to it from other threads while it waits, so a worker blocked in a send
// can always finish.
int WaitForEvents(std::span<const Event* const> events, bool waitAll, int timeoutMs);

}  // namespace platform
