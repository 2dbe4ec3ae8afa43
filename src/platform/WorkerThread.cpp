#include "platform/WorkerThread.h"

#include "platform/DebugChannel.h"

namespace platform {

WorkerThread::WorkerThread(std::string name)
    : name_(std::move(name)), shared_(std::make_shared<Shared>()) {}

WorkerThread::~WorkerThread() {
  if (thread_.joinable())
    Stop();
}

bool WorkerThread::Start(Body body) {
  if (thread_.joinable())
    return false;
  if (shared_.use_count() > 1) {
    // A thread left running on its own still holds the old events.
    shared_ = std::make_shared<Shared>();
  } else {
    shared_->stop.Reset();
    shared_->finished.Reset();
  }
  // The thread keeps its own reference to the events, so a detached thread
  // never touches freed memory of this object.
  thread_ = std::thread([shared = shared_, body = std::move(body)] {
    body(shared->stop);
    shared->finished.Set();
  });
  return true;
}

void WorkerThread::SignalStop() { shared_->stop.Set(); }

WorkerThread::EndResult WorkerThread::WaitForEnd(int limitMs, bool detachOnTimeout) {
  if (!thread_.joinable())
    return EndResult::NotStarted;
  const Event* finished[] = {&shared_->finished};
  if (WaitForEvents(finished, false, limitMs) == 0) {
    thread_.join();
    return EndResult::Ended;
  }
  if (!detachOnTimeout)
    return EndResult::TimedOut;
  DebugPrint("thread \"%s\" did not end within %d ms; left to finish on its own", name_.c_str(),
             limitMs);
  thread_.detach();
  return EndResult::TimedOut;
}

WorkerThread::EndResult WorkerThread::Stop(int limitMs) {
  SignalStop();
  return WaitForEnd(limitMs);
}

bool WorkerThread::IsRunning() const {
  return thread_.joinable() && !shared_->finished.IsSet();
}

}  // namespace platform
