#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/WorkerThread.h"

class QObject;

namespace platform {

// One thread that runs jobs one after the other, in the order they were
// posted, and hands each job's result to a completion that runs on the
// thread of a context object (for a device, the UI thread that owns its
// page). A job touches only what it was given; what it found is applied in
// its completion, where the page's state lives.
//
// A job may carry a key: while a job of that key is queued, running, or its
// completion has not run yet, another one of the same key is refused. A
// timer that fires while its last request is still on its way then adds
// nothing; the completion re-arms what depends on the result.
//
// The context must outlive the worker's Stop (a completion already posted is
// dropped by Qt when its context is gone first).
class SerialWorker {
 public:
  using Completion = std::function<void()>;
  // Runs on the worker thread; returns what is to run on the context's
  // thread afterwards (may be empty).
  using Job = std::function<Completion()>;

  explicit SerialWorker(std::string name);
  ~SerialWorker();  // Stop() with the default limit
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  // Queues `job`; the thread starts with the first one. False when it is
  // refused: stopped, or a job of `key` (not empty) is still pending.
  bool Post(QObject* context, Job job, const std::string& key = {});
  bool IsPending(const std::string& key) const;
  // Jobs queued and running (not counting completions still to run).
  size_t Backlog() const;
  // Drops the jobs not started yet, then waits up to `limitMs` for the one
  // running. Nothing can be posted afterwards.
  WorkerThread::EndResult Stop(int limitMs = WorkerThread::kDefaultStopLimitMs);

 private:
  struct State;
  static void Run(const std::shared_ptr<State>& state, const Event& stop);

  std::shared_ptr<State> state_;
  WorkerThread thread_;
};

}  // namespace platform
