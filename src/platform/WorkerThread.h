#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Event.h"

namespace platform {

// The worker pattern of the program: a thread with its own manual-reset stop
// event that it watches at the top of its loop. Its owner signals the event
// and waits for the end with a limit; a thread that overruns the limit is
// detached and reported, never killed in the middle of an operation.
class WorkerThread {
 public:
  using Body = std::function<void(const Event& stop)>;
  enum class EndResult { NotStarted, Ended, TimedOut };

  explicit WorkerThread(std::string name);
  ~WorkerThread();  // stops a running thread with the default limit
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  static constexpr int kDefaultStopLimitMs = 1000;

  // False when a thread is already running.
  bool Start(Body body);
  void SignalStop();
  // Waits up to `limitMs` (kInfinite: no limit) for the thread to end; while
  // waiting, window sends to this thread's windows are still handled. A
  // thread still running at the limit is detached and reported, unless the
  // caller keeps it to wait again.
  EndResult WaitForEnd(int limitMs, bool detachOnTimeout = true);
  EndResult Stop(int limitMs = kDefaultStopLimitMs);

  bool IsRunning() const;
  const std::string& Name() const { return name_; }
  // The stop event exists from construction on, so owners can hand it out
  // before the thread starts.
  const Event& StopEvent() const { return shared_->stop; }

 private:
  struct Shared {
    Event stop{Event::Mode::ManualReset};
    Event finished{Event::Mode::ManualReset};
  };

  std::string name_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace platform
