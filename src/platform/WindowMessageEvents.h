#pragma once

#include <QEvent>

#include "platform/WindowMessageTypes.h"
#include "platform/WindowTable.h"

namespace platform::detail {

class PostedMessageEvent : public QEvent {
 public:
  PostedMessageEvent(uint32_t message, WParam wParam, LParam lParam)
      : QEvent(static_cast<Type>(PostedMessageEventType())),
        message(message),
        wParam(wParam),
        lParam(lParam) {}
  const uint32_t message;
  const WParam wParam;
  const LParam lParam;
};

class TimerRequestEvent : public QEvent {
 public:
  TimerRequestEvent(uintptr_t id, int intervalMs, bool start)
      : QEvent(static_cast<Type>(TimerRequestEventType())),
        id(id),
        intervalMs(intervalMs),
        start(start) {}
  const uintptr_t id;
  const int intervalMs;
  const bool start;
};

}  // namespace platform::detail
