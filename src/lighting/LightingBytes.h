#pragma once

#include <cstdint>
#include <span>

#include "lighting/LightModeList.h"
#include "profiles/LightInfo.h"
#include "protocol/ParameterBlocks.h"

// The lighting bytes of each device's parameter block, in one place. Values
// read from a profile or sent by another program are clamped to their ranges
// here, so no stored value reaches the device out of range.
namespace lighting {

inline constexpr int kMaxLevel = 4;  // brightness and speed levels 0..4
// Keyboard modes the host draws; the device gets this value instead.
inline constexpr uint8_t kHostDrawnMode = protocol::KeyboardParameters::kHostDrawnMode;
inline constexpr int kAudioModeValue = 29;
inline constexpr int kScreenModeValue = 30;
// List positions from these on send position 0's value.
inline constexpr int kMouseModePositions = 12;
inline constexpr int kPadModePositions = 9;

// The device value sent for list position `position`. Positions at or
// beyond `firstInvalid` (or beyond the list) send the value of position 0;
// without a list the position itself is sent, after the same cut-off.
int ModeValue(const LightModeList& modes, int position, int firstInvalid);

// The record with every value that indexes a table within its range:
// brightness and speed 0..4, direction and multicolour 0 or 1, and a mode
// position beyond the list (when there is one) replaced by position 0.
LightInfo ClampLightInfo(LightInfo info, const LightModeList& modes);

// The layouts are protocol::KeyboardParameters, MouseParameters and
// PadParameters; bytes other than the lighting bytes keep what was there.
//
// Keyboard: mode (29 and 30 as 0xFE), brightness, 4 − speed, direction,
// multicolour, colour, the zeroed byte, second-zone mode, custom colour
// group.
void PutKeyboardLighting(std::span<uint8_t, protocol::KeyboardParameters::kSize> block,
                         const LightInfo& info, const LightModeList& modes);
// Mouse: mode (positions from kMouseModePositions send position 0), the
// rest as the keyboard up to the colour, then the two zeroed bytes.
void PutMouseLighting(std::span<uint8_t, protocol::MouseParameters::kSize> block,
                      const LightInfo& info, const LightModeList& modes);
// Mouse pad and headset: mode (positions from kPadModePositions send
// position 0), brightness, speed, multicolour, colour; the direction byte
// keeps what was read.
void PutPadLighting(std::span<uint8_t, protocol::PadParameters::kSize> block,
                    const LightInfo& info, const LightModeList& modes);

// Reads the keyboard block's lighting back into `info`. The mode byte maps to
// the first list position with that value (unchanged when none has it); the
// host-drawn value keeps a host-drawn position, else takes the first
// position of value 29. Levels are clamped to 0..4.
void ReadKeyboardLighting(std::span<const uint8_t, protocol::KeyboardParameters::kSize> block,
                          LightInfo& info, const LightModeList& modes);

// Reads the mouse block's lighting back into `info`: the mode byte maps to
// the first list position with that value (unchanged when none has it);
// brightness, speed (4 − byte 3) and multicolour held to their ranges; the
// colour. The direction stays the page's.
void ReadMouseLighting(std::span<const uint8_t, protocol::MouseParameters::kSize> block,
                       LightInfo& info, const LightModeList& modes);

// Reads the pad's (and headset's) block lighting back the same way; the
// block has no direction byte of the program's.
void ReadPadLighting(std::span<const uint8_t, protocol::PadParameters::kSize> block,
                     LightInfo& info, const LightModeList& modes);

}  // namespace lighting
