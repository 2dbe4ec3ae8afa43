#pragma once

#include <cstdint>

namespace platform {

// A window as other threads see it: an opaque number, 0 for none.
using WindowHandle = std::uintptr_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Message numbers the program shares with the platform it was designed on.
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_COPYDATA = 0x004A;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr uint32_t WM_MOUSEHOVER = 0x02A1;
inline constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
inline constexpr uint32_t WM_DPICHANGED = 0x02E0;
inline constexpr uint32_t WM_USER = 0x0400;

// WM_POWERBROADCAST events.
inline constexpr WParam PBT_APMSUSPEND = 0x0004;
inline constexpr WParam PBT_APMRESUMEAUTOMATIC = 0x0012;

inline constexpr WParam SC_MINIMIZE = 0xF020;
inline constexpr WParam SC_MAXIMIZE = 0xF030;
inline constexpr WParam SC_CLOSE = 0xF060;
inline constexpr WParam SC_RESTORE = 0xF120;

// First id handed out for messages registered by name.
inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;

// Receives the messages of one window, always on the window's own thread.
class MessageReceiver {
 public:
  virtual ~MessageReceiver() = default;
  virtual LResult ReceiveMessage(uint32_t message, WParam wParam, LParam lParam) = 0;
};

}  // namespace platform
