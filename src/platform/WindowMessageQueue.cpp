#include "platform/WindowMessageQueue.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <map>
#include <mutex>

#include "platform/SyncHub.h"
#include "platform/WindowMessageEvents.h"
#include "platform/WindowMessages.h"
#include "platform/WindowTable.h"

namespace platform {

using detail::SyncHub;
using detail::WindowTable;

class WindowMessageQueue::Pump : public QObject {
 public:
  explicit Pump(MessageReceiver& receiver) : receiver_(receiver) {}

  void StopTimers() {
    for (auto& [id, timer] : timers_)
      delete timer;
    timers_.clear();
  }

  std::atomic<bool> destroying{false};

 protected:
  bool event(QEvent* e) override {
    // Other threads post to the pump while they hold the hub's lock; taking
    // it here orders their writes before our reads (Qt's own queue hand-over
    // is invisible to ThreadSanitizer).
    { std::lock_guard lock(SyncHub::Instance().mutex); }
    const int type = e->type();
    if (type == detail::WakeSendsEventType()) {
      DispatchPendingSends();
      return true;
    }
    if (type == detail::PostedMessageEventType()) {
      auto* posted = static_cast<detail::PostedMessageEvent*>(e);
      if (!destroying)
        receiver_.ReceiveMessage(posted->message, posted->wParam, posted->lParam);
      return true;
    }
    if (type == detail::TimerRequestEventType()) {
      auto* request = static_cast<detail::TimerRequestEvent*>(e);
      if (destroying)
        return true;
      if (request->start)
        StartTimer(request->id, request->intervalMs);
      else
        KillTimer(request->id);
      return true;
    }
    return QObject::event(e);
  }

 private:
  void StartTimer(uintptr_t id, int intervalMs) {
    QTimer*& timer = timers_[id];
    if (timer == nullptr) {
      timer = new QTimer(this);
      QObject::connect(timer, &QTimer::timeout, this, [this, id] {
        if (!destroying)
          receiver_.ReceiveMessage(WM_TIMER, id, 0);
      });
    }
    timer->start(intervalMs);
  }

  void KillTimer(uintptr_t id) {
    auto it = timers_.find(id);
    if (it == timers_.end())
      return;
    delete it->second;
    timers_.erase(it);
  }

  MessageReceiver& receiver_;
  std::map<uintptr_t, QTimer*> timers_;
};

WindowMessageQueue::WindowMessageQueue(MessageReceiver& receiver)
    : pump_(std::make_unique<Pump>(receiver)) {
  SyncHub& hub = SyncHub::Instance();
  std::lock_guard lock(hub.mutex);
  // From now on a thread may send here; its owner answers even while it
  // waits on an event.
  hub.runSentWork = &detail::RunSentWorkWhileWaiting;
  handle_ = WindowTable::Instance().AddLocked(&receiver, pump_.get());
}

WindowMessageQueue::~WindowMessageQueue() {
  {
    std::lock_guard lock(SyncHub::Instance().mutex);
    WindowTable::Instance().RemoveLocked(handle_);
  }
  pump_->destroying = true;
  pump_->StopTimers();
  // Deleting the pump discards the Qt events still posted to it.
  pump_.reset();
}

void WindowMessageQueue::BeginDestroy() {
  {
    std::lock_guard lock(SyncHub::Instance().mutex);
    WindowTable::Instance().BeginDestroyLocked(handle_);
  }
  pump_->destroying = true;
  pump_->StopTimers();
}

bool WindowMessageQueue::IsDestroying() const { return pump_->destroying; }

}  // namespace platform
