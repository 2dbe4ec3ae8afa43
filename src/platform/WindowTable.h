#pragma once

#include <deque>
#include <memory>
#include <thread>
#include <unordered_map>

#include "platform/PendingSends.h"
#include "platform/WindowMessageTypes.h"

class QObject;
class QEvent;

namespace platform::detail {

struct WindowEntry {
  MessageReceiver* receiver = nullptr;
  QObject* pump = nullptr;  // lives on the owner thread; receives the wake-ups
  std::thread::id owner;
  bool destroying = false;
};

// Every live window of the process and the sends waiting for them. Every
// member is guarded by the sync hub's mutex.
class WindowTable {
 public:
  static WindowTable& Instance();

  WindowHandle AddLocked(MessageReceiver* receiver, QObject* pump);
  WindowEntry* FindLocked(WindowHandle window);
  void RemoveLocked(WindowHandle window);
  // Marks the window as being destroyed and answers its waiting sends with 0.
  void BeginDestroyLocked(WindowHandle window);
  // Posts a Qt event to the window's pump while the window is known to be
  // alive (the pump cannot be deleted meanwhile). Takes ownership of `event`.
  bool PostToPumpLocked(WindowHandle window, QEvent* event);

  std::deque<std::shared_ptr<PendingSend>> pending;

 private:
  std::unordered_map<WindowHandle, WindowEntry> windows_;
  WindowHandle next_ = 0x10;
};

// Qt event types used between the table and the pumps.
int PostedMessageEventType();
int WakeSendsEventType();
int TimerRequestEventType();

}  // namespace platform::detail
