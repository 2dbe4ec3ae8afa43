#include "lighting/LightingBytes.h"

#include <algorithm>

namespace lighting {

namespace {

uint8_t Level(uint8_t value) { return static_cast<uint8_t>(std::min<int>(value, kMaxLevel)); }
uint8_t Flag(uint8_t value) { return value != 0 ? 1 : 0; }

// Bytes 2, 3, 5..8, shared by every block.
template <size_t N>
void PutCommon(std::span<uint8_t, N> block, const LightInfo& info) {
  block[2] = Level(info.Light);
  block[3] = static_cast<uint8_t>(kMaxLevel - Level(info.Speed));
  block[5] = Flag(info.MultiColor);
  block[6] = info.Red;
  block[7] = info.Green;
  block[8] = info.Blue;
}

}  // namespace

LightInfo ClampLightInfo(LightInfo info, const LightModeList& modes) {
  info.Light = Level(info.Light);
  info.Speed = Level(info.Speed);
  info.Fx = Flag(info.Fx);
  info.MultiColor = Flag(info.MultiColor);
  if (!modes.Empty() && info.SelectItem >= modes.Count())
    info.SelectItem = 0;
  return info;
}

int ModeValue(const LightModeList& modes, int position, int firstInvalid) {
  if (position < 0 || position >= firstInvalid)
    position = 0;
  if (modes.Empty())
    return std::clamp(position, 0, 255);
  if (position >= modes.Count())
    position = 0;
  return modes.ValueAt(position);
}

void PutKeyboardLighting(std::span<uint8_t, 39> block, const LightInfo& info,
                         const LightModeList& modes) {
  const int value = ModeValue(modes, info.SelectItem, 256);
  block[1] = (value == kAudioModeValue || value == kScreenModeValue)
                 ? kHostDrawnMode
                 : static_cast<uint8_t>(value);
  PutCommon(block, info);
  block[4] = Flag(info.Fx);
  block[16] = 0;
  block[18] = info.ZZCCLedMode;
  block[25] = info.CustomGroup;
}

void PutMouseLighting(std::span<uint8_t, 71> block, const LightInfo& info,
                      const LightModeList& modes) {
  block[1] = static_cast<uint8_t>(ModeValue(modes, info.SelectItem, 12));
  PutCommon(block, info);
  block[4] = Flag(info.Fx);
  block[9] = 0;
  block[10] = 0;
}

void PutPadLighting(std::span<uint8_t, 21> block, const LightInfo& info,
                    const LightModeList& modes) {
  block[1] = static_cast<uint8_t>(ModeValue(modes, info.SelectItem, 9));
  PutCommon(block, info);
}

void ReadKeyboardLighting(std::span<const uint8_t, 39> block, LightInfo& info,
                          const LightModeList& modes) {
  const uint8_t mode = block[1];
  if (mode == kHostDrawnMode) {
    const int current = modes.ValueAt(info.SelectItem);
    const bool hostDrawn = info.SelectItem < modes.Count() &&
                           (current == kAudioModeValue || current == kScreenModeValue);
    if (!hostDrawn) {
      const int position = modes.PositionOf(kAudioModeValue);
      if (position >= 0)
        info.SelectItem = static_cast<uint8_t>(position);
    }
  } else {
    const int position = modes.PositionOf(mode);
    if (position >= 0)
      info.SelectItem = static_cast<uint8_t>(position);
  }
  info.Light = Level(block[2]);
  info.Speed = static_cast<uint8_t>(kMaxLevel - Level(block[3]));
  info.Fx = block[4];
  info.MultiColor = block[5];
  info.Red = block[6];
  info.Green = block[7];
  info.Blue = block[8];
  info.ZZCCLedMode = block[18];
  info.CustomGroup = block[25];
}

}  // namespace lighting
