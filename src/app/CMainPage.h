#pragma once

#include "toolkit/CNotifyPump.h"

// The notification handler registered under the virtual-window name
// "mainpage". Its handlers for "click", "selectchanged" and "itemclick" take
// the notification and do nothing: the main window acts before it is asked.
class CMainPage : public toolkit::CNotifyPump {
 public:
  static constexpr const char* kVirtualWndName = "mainpage";

 protected:
  bool HandleNotify(toolkit::TNotifyUI& msg) override;
};
