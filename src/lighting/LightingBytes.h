#pragma once

#include <cstdint>
#include <span>

#include "lighting/LightModeList.h"
#include "profiles/LightInfo.h"

// The lighting bytes of each device's parameter block, in one place. Values
// read from a profile or sent by another program are clamped to their ranges
// here, so no stored value reaches the device out of range.
namespace lighting {

inline constexpr int kMaxLevel = 4;  // brightness and speed levels 0..4
// Keyboard modes the host draws; the device gets this value instead.
inline constexpr uint8_t kHostDrawnMode = 0xFE;
inline constexpr int kAudioModeValue = 29;
inline constexpr int kScreenModeValue = 30;

// The device value sent for list position `position`. Positions at or
// beyond `firstInvalid` (or beyond the list) send the value of position 0;
// without a list the position itself is sent, after the same cut-off.
int ModeValue(const LightModeList& modes, int position, int firstInvalid);

// The record with every value that indexes a table within its range:
// brightness and speed 0..4, direction and multicolour 0 or 1, and a mode
// position beyond the list (when there is one) replaced by position 0.
LightInfo ClampLightInfo(LightInfo info, const LightModeList& modes);

// Keyboard block (39 bytes): 1 mode (29 and 30 as 0xFE), 2 brightness,
// 3 4 − speed, 4 direction, 5 multicolour, 6..8 colour, 16 zero,
// 18 second-zone mode, 25 custom colour group.
void PutKeyboardLighting(std::span<uint8_t, 39> block, const LightInfo& info,
                         const LightModeList& modes);
// Mouse block (71 bytes): 1 mode (positions from 12 send position 0),
// 2..8 as the keyboard, 9 and 10 zero.
void PutMouseLighting(std::span<uint8_t, 71> block, const LightInfo& info,
                      const LightModeList& modes);
// Mouse pad and headset block (21 bytes): 1 mode (positions from 9 send
// position 0), 2, 3, 5..8 as the keyboard; byte 4 keeps what was read.
void PutPadLighting(std::span<uint8_t, 21> block, const LightInfo& info,
                    const LightModeList& modes);

// Reads the keyboard block's lighting back into `info`. The mode byte maps to
// the first list position with that value (unchanged when none has it); the
// host-drawn value keeps a host-drawn position, else takes the first
// position of value 29. Levels are clamped to 0..4.
void ReadKeyboardLighting(std::span<const uint8_t, 39> block, LightInfo& info,
                          const LightModeList& modes);

}  // namespace lighting
