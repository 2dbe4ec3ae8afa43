#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/WindowMessageTypes.h"

namespace platform {

// Sends a message and returns the window's answer. On the window's own thread
// the message is handled at once; from another thread the call blocks until
// the window's thread has handled it. A window that is gone or being destroyed
// answers 0 at once, and so does every send still waiting when it starts to be
// destroyed.
LResult SendWindowMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// Queues a message for the window's thread and returns at once. False when the
// window is gone or being destroyed (the message is dropped).
bool PostWindowMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam);

// The id of a message known by name: the same name gives the same id for the
// whole process; ids start at 0xC000.
uint32_t RegisterMessageName(std::string_view name);
// The id of a name registered before; nullopt for a name nobody registered.
std::optional<uint32_t> FindMessageName(std::string_view name);
// The name of a registered id; empty for other ids.
std::string MessageNameOf(uint32_t id);

// A block of bytes handed to a window with WM_COPYDATA (lParam points to it
// for the duration of the send).
struct CopyDataRecord {
  uintptr_t dwData = 0;
  uint32_t cbData = 0;
  const void* lpData = nullptr;
};

// Timers that arrive at the window as WM_TIMER with the id in wParam. Setting
// a running timer restarts it. Safe from any thread.
bool SetWindowTimer(WindowHandle window, uintptr_t id, int intervalMs);
bool KillWindowTimer(WindowHandle window, uintptr_t id);

bool IsWindowAlive(WindowHandle window);

// Handles, on the calling thread, the sends waiting for windows it owns.
void DispatchPendingSends();

}  // namespace platform
