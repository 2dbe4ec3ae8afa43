#pragma once

#include <functional>
#include <string>

#include "platform/Event.h"
#include "platform/WorkerThread.h"

// A worker thread of a device object (its light thread, its event readers).
// Starting stops a running thread of the same kind first. The thread loops
// while a 1 ms wait on its stop event times out and leaves with its exit
// line. Stopping waits up to the stop limit and reports the result on the
// debug channel.
//
// A thread cannot be killed safely, so one that overruns its limit is
// reported and then waited for until it ends: every blocking operation of a
// device thread is bounded (transfers have time limits, event reads are cut
// short by closing the interface), so it ends soon after, and no thread ever
// outlives the device object whose state it uses.
class DeviceThread {
 public:
  using Pass = std::function<void(const platform::Event& stop)>;
  enum class StopResult { NotRunning, Ended, TimedOut };

  DeviceThread(std::string exitLine, int stopLimitMs);
  ~DeviceThread();
  DeviceThread(const DeviceThread&) = delete;
  DeviceThread& operator=(const DeviceThread&) = delete;

  // Runs `pass` once per loop until the stop event is set. Between passes
  // the thread waits 1 ms, or one step of the light tick count when
  // `tickSteps` (the light threads).
  void Start(Pass pass, bool tickSteps = false);
  // A light thread's loop: each pass returns how many steps of the light
  // tick count to wait before the next one (at least one).
  using SteppedPass = std::function<int(const platform::Event& stop)>;
  void StartStepped(SteppedPass pass);
  // Sets the stop event without waiting (so its owner can cut a pending
  // transfer short before it waits).
  void SignalStop();
  StopResult Stop();
  bool IsRunning() const { return thread_.IsRunning(); }
  // Takes effect at the next start.
  void Configure(std::string exitLine, int stopLimitMs);
  const std::string& ExitLine() const { return exitLine_; }
  int StopLimitMs() const { return stopLimitMs_; }

  // Debug lines of a stop.
  static constexpr const char* kEndedLine = "线程退出：：对象处于激发状态\n";
  static constexpr const char* kTimedOutLine = "线程退出：：对象处于非激发状态，超时\n";

 private:
  std::string exitLine_;
  int stopLimitMs_;
  platform::WorkerThread thread_;
  bool started_ = false;
};
