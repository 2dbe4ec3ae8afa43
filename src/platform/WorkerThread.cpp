#include "platform/WorkerThread.h"

#include <pthread.h>

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
  // The kernel keeps 15 bytes of a thread's name; cut at a character.
  std::string name = name_.substr(0, 15);
  if (name.size() < name_.size())
    while (!name.empty() && (static_cast<unsigned char>(name_[name.size()]) & 0xC0) == 0x80)
      name.pop_back();
  thread_ = std::thread([shared = shared_, body = std::move(body), name = std::move(name)] {
    // Named for top, perf and the debugger.
    pthread_setname_np(pthread_self(), name.c_str());
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
