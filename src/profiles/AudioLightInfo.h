#pragma once

#include <cstdint>

// The colours of the audio-reactive lighting, 9 bytes in a fixed order; each
// field is named after its key in the profile's "AudioLightInfo" object.
struct AudioLightInfo {
  uint8_t AudioMode = 0;
  uint8_t BkColorR = 0;  // background colour
  uint8_t BkColorG = 0;
  uint8_t BkColorB = 0;
  uint8_t FgColorR = 0;  // foreground colour
  uint8_t FgColorG = 0;
  uint8_t FgColorB = 0;
  uint8_t SevenColorFlags = 0;  // "7ColorFlags", 0 or 1
  uint8_t ColorTypeFlags = 0;   // 0 or 1

  bool operator==(const AudioLightInfo&) const = default;
};
static_assert(sizeof(AudioLightInfo) == 9);
