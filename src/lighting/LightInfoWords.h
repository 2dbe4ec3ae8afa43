#pragma once

#include <cstdint>

#include "profiles/LightInfo.h"

// The lighting record as it travels between the light panel, the device page
// and the profile: five machine words, byte 0 of each word lowest.
// A = SelectItem, Light, Speed, Fx; B = MultiColor, Red, Green, Blue;
// C = bytes 8..11 (ZZCCLedMode highest); D = bytes 12..15 (CustomGroup,
// OldLedmode, the audio switch and style); E = the sensitivity byte.
struct LightWords {
  uint32_t A = 0;
  uint32_t B = 0;
  uint32_t C = 0;
  uint32_t D = 0;
  uint8_t E = 0;

  bool operator==(const LightWords&) const = default;
};

inline LightWords ToLightWords(const LightInfo& info) {
  auto word = [](uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return static_cast<uint32_t>(b0) | static_cast<uint32_t>(b1) << 8 |
           static_cast<uint32_t>(b2) << 16 | static_cast<uint32_t>(b3) << 24;
  };
  return {word(info.SelectItem, info.Light, info.Speed, info.Fx),
          word(info.MultiColor, info.Red, info.Green, info.Blue),
          word(info.Spare8, info.Spare9, info.Present, info.ZZCCLedMode),
          word(info.CustomGroup, info.OldLedmode, info.ByVoiceLedmodeSwitch, info.ByVoiceLedmode),
          info.ByVoiceSensitivity};
}

inline LightInfo FromLightWords(const LightWords& words) {
  auto byte = [](uint32_t word, int index) { return static_cast<uint8_t>(word >> (8 * index)); };
  LightInfo info;
  info.SelectItem = byte(words.A, 0);
  info.Light = byte(words.A, 1);
  info.Speed = byte(words.A, 2);
  info.Fx = byte(words.A, 3);
  info.MultiColor = byte(words.B, 0);
  info.Red = byte(words.B, 1);
  info.Green = byte(words.B, 2);
  info.Blue = byte(words.B, 3);
  info.Spare8 = byte(words.C, 0);
  info.Spare9 = byte(words.C, 1);
  info.Present = byte(words.C, 2);
  info.ZZCCLedMode = byte(words.C, 3);
  info.CustomGroup = byte(words.D, 0);
  info.OldLedmode = byte(words.D, 1);
  info.ByVoiceLedmodeSwitch = byte(words.D, 2);
  info.ByVoiceLedmode = byte(words.D, 3);
  info.ByVoiceSensitivity = words.E;
  return info;
}
