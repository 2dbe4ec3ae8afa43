#include "platform/SerialWorker.h"

#include <QMetaObject>
#include <QObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include "platform/DebugChannel.h"

namespace platform {

namespace {

// Taken around every hand-over to a context and first thing in the handed
// over call: Qt's own queue orders the two, but ThreadSanitizer cannot see
// into it, and the call reads what the worker wrote into it.
std::mutex& HandOverMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

struct SerialWorker::State {
  struct Entry {
    QObject* context = nullptr;
    Job job;
    std::string key;
  };

  mutable std::mutex mutex;
  std::condition_variable changed;
  std::deque<Entry> queue;
  // Keys of jobs queued or running, or whose completion has not run yet.
  std::set<std::string> pending;
  size_t running = 0;
  bool started = false;
  bool stopping = false;

  void Release(const std::string& key) {
    if (key.empty())
      return;
    std::lock_guard lock(mutex);
    pending.erase(key);
  }
};

SerialWorker::SerialWorker(std::string name)
    : state_(std::make_shared<State>()), thread_(std::move(name)) {}

SerialWorker::~SerialWorker() { Stop(); }

bool SerialWorker::Post(QObject* context, Job job, const std::string& key) {
  if (context == nullptr || !job)
    return false;
  bool start = false;
  {
    std::lock_guard lock(state_->mutex);
    if (state_->stopping || (!key.empty() && state_->pending.count(key) != 0))
      return false;
    if (!key.empty())
      state_->pending.insert(key);
    state_->queue.push_back({context, std::move(job), key});
    start = !state_->started;
    state_->started = true;
  }
  state_->changed.notify_one();
  if (start)
    thread_.Start([state = state_](const Event& stop) { Run(state, stop); });
  return true;
}

bool SerialWorker::IsPending(const std::string& key) const {
  std::lock_guard lock(state_->mutex);
  return state_->pending.count(key) != 0;
}

size_t SerialWorker::Backlog() const {
  std::lock_guard lock(state_->mutex);
  return state_->queue.size() + state_->running;
}

void SerialWorker::Run(const std::shared_ptr<State>& state, const Event& stop) {
  for (;;) {
    State::Entry entry;
    {
      std::unique_lock lock(state->mutex);
      state->changed.wait(lock, [&] { return state->stopping || !state->queue.empty(); });
      if (state->stopping || stop.IsSet())
        return;
      entry = std::move(state->queue.front());
      state->queue.pop_front();
      ++state->running;
    }
    Completion completion = entry.job();
    {
      std::lock_guard lock(state->mutex);
      --state->running;
      // After Stop the context may be on its way out: nothing more is handed
      // to it.
      if (state->stopping)
        return;
      // Posted under the lock: Stop cannot return (and the context cannot be
      // destroyed under the contract) before the hand-over is queued.
      std::lock_guard handOver(HandOverMutex());
      QMetaObject::invokeMethod(
          entry.context,
          [state, key = entry.key, completion = std::move(completion)] {
            { std::lock_guard ordered(HandOverMutex()); }
            state->Release(key);
            if (completion)
              completion();
          },
          Qt::QueuedConnection);
    }
  }
}

WorkerThread::EndResult SerialWorker::Stop(int limitMs) {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (const State::Entry& entry : state_->queue)
      if (!entry.key.empty())
        state_->pending.erase(entry.key);
    state_->queue.clear();
  }
  state_->changed.notify_all();
  thread_.SignalStop();
  const WorkerThread::EndResult result = thread_.WaitForEnd(limitMs);
  if (result == WorkerThread::EndResult::TimedOut)
    DebugPrint("%s: a job still runs after %d ms", thread_.Name().c_str(), limitMs);
  return result;
}

}  // namespace platform
