#pragma once

#include <cstdint>

namespace platform {

// What a captured key or mouse button hands to its window: the message number
// in wParam and a pointer to one of these records in lParam, valid only while
// the message is being handled.

// Key messages.
inline constexpr uint32_t kHookKeyDown = 256;
inline constexpr uint32_t kHookKeyUp = 257;
inline constexpr uint32_t kHookSysKeyDown = 260;  // while Alt is held without Ctrl
inline constexpr uint32_t kHookSysKeyUp = 261;

// Mouse messages.
inline constexpr uint32_t kHookLeftDown = 513;
inline constexpr uint32_t kHookLeftUp = 514;
inline constexpr uint32_t kHookRightDown = 516;
inline constexpr uint32_t kHookRightUp = 517;
inline constexpr uint32_t kHookMiddleDown = 519;
inline constexpr uint32_t kHookMiddleUp = 520;
inline constexpr uint32_t kHookExtraDown = 523;
inline constexpr uint32_t kHookExtraUp = 524;

// Flags of a key record.
inline constexpr uint32_t kHookKeyExtended = 0x01;
inline constexpr uint32_t kHookKeyAltDown = 0x20;
inline constexpr uint32_t kHookKeyReleased = 0x80;

struct KeyHookRecord {
  uint32_t virtualKey;
  uint32_t scanCode;
  uint32_t flags;
  uint32_t timeMs;
};
static_assert(sizeof(KeyHookRecord) == 16);

// The high word of `mouseData` names the extra button: 1 back, 2 forward.
inline constexpr uint32_t kHookExtraBack = 1;
inline constexpr uint32_t kHookExtraForward = 2;

struct MouseHookRecord {
  int32_t x;  // the pointer's place is not carried: 0
  int32_t y;
  uint32_t mouseData;
  uint32_t flags;
  uint32_t timeMs;
};
static_assert(sizeof(MouseHookRecord) == 20);

}  // namespace platform
