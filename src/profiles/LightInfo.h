#pragma once

#include <cstdint>

// The lighting choice of a profile, 17 bytes in a fixed order: the device
// pages pack it into their parameter blocks by position. The profile only
// stores the values; what they mean belongs to the lighting panel. Each field
// is named after its key in the profile's "LightInfo" object.
struct LightInfo {
  uint8_t SelectItem = 0;  // selected lighting mode (position in the mode list)
  uint8_t Light = 0;       // brightness level
  uint8_t Speed = 0;       // speed level
  uint8_t Fx = 0;          // direction
  uint8_t MultiColor = 0;  // 0 or 1
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  uint8_t Spare8 = 0;  // bytes 8 and 9 are not kept in the profile
  uint8_t Spare9 = 0;
  uint8_t Present = 0;      // in a "LightList" record: 1 when the element exists
  uint8_t ZZCCLedMode = 0;  // second-zone mode
  uint8_t CustomGroup = 0;  // custom per-key colour group in use
  uint8_t OldLedmode = 0;
  uint8_t ByVoiceLedmodeSwitch = 0;  // "byVoiceLedmodeSwith" in the file
  uint8_t ByVoiceLedmode = 0;
  uint8_t ByVoiceSensitivity = 0;

  bool operator==(const LightInfo&) const = default;
};
static_assert(sizeof(LightInfo) == 17);
