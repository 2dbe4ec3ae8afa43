#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>

#include "platform/WindowMessageTypes.h"

namespace toolkit {

class CControlUI;

using CDuiString = QString;
using WPARAM = platform::WParam;
using LPARAM = platform::LParam;
using LRESULT = platform::LResult;
using UINT = uint32_t;

// Notification types raised by the toolkit's controls.
inline constexpr const char* DUI_MSGTYPE_WINDOWINIT = "windowinit";
inline constexpr const char* DUI_MSGTYPE_WINDOWSIZE = "windowsize";
inline constexpr const char* DUI_MSGTYPE_CLICK = "click";
inline constexpr const char* DUI_MSGTYPE_DBCLICK = "dbclick";
inline constexpr const char* DUI_MSGTYPE_SELECTCHANGED = "selectchanged";
inline constexpr const char* DUI_MSGTYPE_ITEMSELECT = "itemselect";
inline constexpr const char* DUI_MSGTYPE_ITEMCLICK = "itemclick";
inline constexpr const char* DUI_MSGTYPE_ITEMACTIVATE = "itemactivate";
inline constexpr const char* DUI_MSGTYPE_VALUECHANGED = "valuechanged";
inline constexpr const char* DUI_MSGTYPE_MOVEVALUECHANGED = "movevaluechanged";
inline constexpr const char* DUI_MSGTYPE_TEXTCHANGED = "textchanged";
inline constexpr const char* DUI_MSGTYPE_KILLFOCUS = "killfocus";
inline constexpr const char* DUI_MSGTYPE_SETFOCUS = "setfocus";
inline constexpr const char* DUI_MSGTYPE_RETURN = "return";
inline constexpr const char* DUI_MSGTYPE_MENU = "menu";
inline constexpr const char* DUI_MSGTYPE_TIMER = "timer";
inline constexpr const char* DUI_MSGTYPE_MOUSEENTER = "msenter";
inline constexpr const char* DUI_MSGTYPE_MOUSELEAVE = "msleave";
inline constexpr const char* DUI_MSGTYPE_COLORCHANGED = "colorchanged";

// Message the tray icon sends its window by default; lParam carries the
// mouse message (WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK).
inline constexpr UINT UIMSG_TRAYICON = platform::WM_USER + 1;  // 0x0401
// Message a pop-up menu sends its owner when an item is chosen.
inline constexpr UINT WM_MENUCLICK = platform::WM_USER + 121;  // 0x0479

// One notification: what happened, to which control.
struct TNotifyUI {
  CDuiString sType;
  CDuiString sVirtualWnd;
  CControlUI* pSender = nullptr;
  uint64_t dwTimestamp = 0;
  QPoint ptMouse;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

// Answers text ids the language file does not hold.
class IQueryControlText {
 public:
  virtual ~IQueryControlText() = default;
  virtual CDuiString QueryControlText(const CDuiString& id, const CDuiString& type) = 0;
};

}  // namespace toolkit
