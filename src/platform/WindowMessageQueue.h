#pragma once

#include <memory>

#include "platform/WindowMessageTypes.h"

namespace platform {

// The message queue of one window, on the thread that creates it (the UI
// thread): gives the window its handle and delivers posted and sent messages
// and window timers to its receiver through the Qt event loop.
class WindowMessageQueue {
 public:
  explicit WindowMessageQueue(MessageReceiver& receiver);
  ~WindowMessageQueue();
  WindowMessageQueue(const WindowMessageQueue&) = delete;
  WindowMessageQueue& operator=(const WindowMessageQueue&) = delete;

  WindowHandle Handle() const { return handle_; }

  // From here on the window takes no more messages: waiting and new sends get
  // 0, posts are dropped, timers stop. Called when the window starts to be
  // destroyed; the destructor calls it too.
  void BeginDestroy();
  bool IsDestroying() const;

 private:
  class Pump;
  WindowHandle handle_ = 0;
  std::unique_ptr<Pump> pump_;
};

}  // namespace platform
