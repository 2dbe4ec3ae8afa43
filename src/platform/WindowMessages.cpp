#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <map>
#include <mutex>
#include <string>

#include "platform/PendingSends.h"
#include "platform/SyncHub.h"
#include "platform/WindowMessageEvents.h"
#include "platform/WindowTable.h"

namespace platform {

using detail::PendingSend;
using detail::SyncHub;
using detail::WindowTable;

namespace detail {

WindowTable& WindowTable::Instance() {
  // Never destroyed, like the sync hub: workers may send until the very end.
  static WindowTable* table = new WindowTable;
  return *table;
}

WindowHandle WindowTable::AddLocked(MessageReceiver* receiver, QObject* pump) {
  const WindowHandle handle = next_;
  next_ += 0x10;
  windows_[handle] = WindowEntry{receiver, pump, std::this_thread::get_id(), false};
  return handle;
}

WindowEntry* WindowTable::FindLocked(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

void WindowTable::RemoveLocked(WindowHandle window) {
  BeginDestroyLocked(window);
  windows_.erase(window);
}

void WindowTable::BeginDestroyLocked(WindowHandle window) {
  if (WindowEntry* entry = FindLocked(window))
    entry->destroying = true;
  bool answered = false;
  for (auto it = pending.begin(); it != pending.end();) {
    if ((*it)->target == window) {
      (*it)->result = 0;
      (*it)->done = true;
      it = pending.erase(it);
      answered = true;
    } else {
      ++it;
    }
  }
  if (answered)
    SyncHub::Instance().changed.notify_all();
}

bool WindowTable::PostToPumpLocked(WindowHandle window, QEvent* event) {
  WindowEntry* entry = FindLocked(window);
  if (entry == nullptr || entry->destroying) {
    delete event;
    return false;
  }
  QCoreApplication::postEvent(entry->pump, event);
  return true;
}

int PostedMessageEventType() {
  static const int type = QEvent::registerEventType();
  return type;
}

int WakeSendsEventType() {
  static const int type = QEvent::registerEventType();
  return type;
}

int TimerRequestEventType() {
  static const int type = QEvent::registerEventType();
  return type;
}

std::shared_ptr<PendingSend> TakePendingSendLocked(std::thread::id thread) {
  auto& pending = WindowTable::Instance().pending;
  for (auto it = pending.begin(); it != pending.end(); ++it) {
    if ((*it)->owner == thread) {
      auto send = *it;
      pending.erase(it);
      return send;
    }
  }
  return nullptr;
}

bool RunSentWorkWhileWaiting(std::unique_lock<std::mutex>& lock, std::thread::id thread) {
  const auto send = TakePendingSendLocked(thread);
  if (!send)
    return false;
  lock.unlock();
  RunPendingSend(*send);
  lock.lock();
  return true;
}

void RunPendingSend(PendingSend& send) {
  auto& hub = SyncHub::Instance();
  MessageReceiver* receiver = nullptr;
  {
    std::lock_guard lock(hub.mutex);
    auto* entry = WindowTable::Instance().FindLocked(send.target);
    if (entry != nullptr && !entry->destroying)
      receiver = entry->receiver;
  }
  // Only the owner thread destroys the window, and that is this thread, so the
  // receiver stays valid for the call.
  const LResult result =
      receiver != nullptr ? receiver->ReceiveMessage(send.message, send.wParam, send.lParam) : 0;
  std::lock_guard lock(hub.mutex);
  send.result = result;
  send.done = true;
  hub.changed.notify_all();
}

}  // namespace detail

LResult SendWindowMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  auto& hub = SyncHub::Instance();
  auto& table = WindowTable::Instance();
  std::unique_lock lock(hub.mutex);
  auto* entry = table.FindLocked(window);
  if (entry == nullptr || entry->destroying)
    return 0;
  if (entry->owner == std::this_thread::get_id()) {
    MessageReceiver* receiver = entry->receiver;
    lock.unlock();
    return receiver->ReceiveMessage(message, wParam, lParam);
  }
  auto send = std::make_shared<PendingSend>();
  send->target = window;
  send->owner = entry->owner;
  send->message = message;
  send->wParam = wParam;
  send->lParam = lParam;
  table.pending.push_back(send);
  // Wake the owner: its event loop through the pump, or its event wait
  // through the hub condition.
  QCoreApplication::postEvent(entry->pump, new QEvent(static_cast<QEvent::Type>(
                                               detail::WakeSendsEventType())));
  hub.changed.notify_all();
  // While waiting, answer sends made to this thread's own windows, so two
  // threads sending to each other cannot lock up.
  const auto self = std::this_thread::get_id();
  while (!send->done) {
    if (auto incoming = detail::TakePendingSendLocked(self)) {
      lock.unlock();
      detail::RunPendingSend(*incoming);
      lock.lock();
      continue;
    }
    hub.changed.wait(lock);
  }
  return send->result;
}

bool PostWindowMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
  std::lock_guard lock(SyncHub::Instance().mutex);
  return WindowTable::Instance().PostToPumpLocked(
      window, new detail::PostedMessageEvent(message, wParam, lParam));
}

bool SetWindowTimer(WindowHandle window, uintptr_t id, int intervalMs) {
  std::lock_guard lock(SyncHub::Instance().mutex);
  return WindowTable::Instance().PostToPumpLocked(
      window, new detail::TimerRequestEvent(id, std::max(intervalMs, 0), true));
}

bool KillWindowTimer(WindowHandle window, uintptr_t id) {
  std::lock_guard lock(SyncHub::Instance().mutex);
  return WindowTable::Instance().PostToPumpLocked(window,
                                                  new detail::TimerRequestEvent(id, 0, false));
}

bool IsWindowAlive(WindowHandle window) {
  std::lock_guard lock(SyncHub::Instance().mutex);
  auto* entry = WindowTable::Instance().FindLocked(window);
  return entry != nullptr && !entry->destroying;
}

void DispatchPendingSends() {
  auto& hub = SyncHub::Instance();
  const auto self = std::this_thread::get_id();
  for (;;) {
    std::shared_ptr<PendingSend> send;
    {
      std::lock_guard lock(hub.mutex);
      send = detail::TakePendingSendLocked(self);
    }
    if (!send)
      return;
    detail::RunPendingSend(*send);
  }
}

namespace {

struct MessageNames {
  std::mutex mutex;
  std::map<std::string, uint32_t, std::less<>> ids;
};

MessageNames& Names() {
  static MessageNames* names = new MessageNames;
  return *names;
}

}  // namespace

uint32_t RegisterMessageName(std::string_view name) {
  auto& names = Names();
  std::lock_guard lock(names.mutex);
  auto it = names.ids.find(name);
  if (it != names.ids.end())
    return it->second;
  const uint32_t id = kFirstRegisteredMessage + static_cast<uint32_t>(names.ids.size());
  names.ids.emplace(std::string(name), id);
  return id;
}

std::optional<uint32_t> FindMessageName(std::string_view name) {
  auto& names = Names();
  std::lock_guard lock(names.mutex);
  auto it = names.ids.find(name);
  if (it == names.ids.end())
    return std::nullopt;
  return it->second;
}

std::string MessageNameOf(uint32_t id) {
  auto& names = Names();
  std::lock_guard lock(names.mutex);
  for (const auto& [name, value] : names.ids)
    if (value == id)
      return name;
  return {};
}

}  // namespace platform
