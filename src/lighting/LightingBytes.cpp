#include "lighting/LightingBytes.h"

#include <algorithm>

#include "protocol/Rgb.h"

namespace lighting {

namespace {

using protocol::BlockLighting;
using protocol::KeyboardParameters;
using protocol::MouseParameters;
using protocol::PadParameters;

uint8_t Level(uint8_t value) { return static_cast<uint8_t>(std::min<int>(value, kMaxLevel)); }
uint8_t Flag(uint8_t value) { return value != 0 ? 1 : 0; }

// Brightness, speed, multicolour and colour, shared by every block.
template <size_t N>
void PutCommon(std::span<uint8_t, N> block, const LightInfo& info) {
  block[BlockLighting::kBrightnessOffset] = Level(info.Light);
  block[BlockLighting::kSpeedOffset] = static_cast<uint8_t>(kMaxLevel - Level(info.Speed));
  block[BlockLighting::kMultiColourOffset] = Flag(info.MultiColor);
  protocol::WriteRgbBytes(
      {info.Red, info.Green, info.Blue},
      block.template subspan<BlockLighting::kColourOffset, protocol::kRgbBytes>());
}

template <size_t N>
void PutZeros(std::span<uint8_t, N> block, size_t offset, size_t count) {
  std::ranges::fill(block.subspan(offset, count), uint8_t{0});
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

void PutKeyboardLighting(std::span<uint8_t, KeyboardParameters::kSize> block,
                         const LightInfo& info, const LightModeList& modes) {
  const int value = ModeValue(modes, info.SelectItem, 256);
  block[KeyboardParameters::kModeOffset] =
      (value == kAudioModeValue || value == kScreenModeValue) ? kHostDrawnMode
                                                              : static_cast<uint8_t>(value);
  PutCommon(block, info);
  block[KeyboardParameters::kDirectionOffset] = Flag(info.Fx);
  PutZeros(block, KeyboardParameters::kZeroedOffset, KeyboardParameters::kZeroedBytes);
  block[KeyboardParameters::kSecondZoneModeOffset] = info.ZZCCLedMode;
  block[KeyboardParameters::kCustomGroupOffset] = info.CustomGroup;
}

void PutMouseLighting(std::span<uint8_t, MouseParameters::kSize> block,
                      const LightInfo& info, const LightModeList& modes) {
  block[MouseParameters::kModeOffset] =
      static_cast<uint8_t>(ModeValue(modes, info.SelectItem, kMouseModePositions));
  PutCommon(block, info);
  block[MouseParameters::kDirectionOffset] = Flag(info.Fx);
  PutZeros(block, MouseParameters::kZeroedOffset, MouseParameters::kZeroedBytes);
}

void PutPadLighting(std::span<uint8_t, PadParameters::kSize> block,
                    const LightInfo& info, const LightModeList& modes) {
  block[PadParameters::kModeOffset] =
      static_cast<uint8_t>(ModeValue(modes, info.SelectItem, kPadModePositions));
  PutCommon(block, info);
}

void ReadKeyboardLighting(std::span<const uint8_t, KeyboardParameters::kSize> block,
                          LightInfo& info, const LightModeList& modes) {
  const uint8_t mode = block[KeyboardParameters::kModeOffset];
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
  info.Light = Level(block[KeyboardParameters::kBrightnessOffset]);
  info.Speed = static_cast<uint8_t>(kMaxLevel - Level(block[KeyboardParameters::kSpeedOffset]));
  info.Fx = block[KeyboardParameters::kDirectionOffset];
  info.MultiColor = block[KeyboardParameters::kMultiColourOffset];
  const protocol::Rgb colour = protocol::ReadRgbBytes(
      block.subspan<KeyboardParameters::kColourOffset, protocol::kRgbBytes>());
  info.Red = colour.r;
  info.Green = colour.g;
  info.Blue = colour.b;
  info.ZZCCLedMode = block[KeyboardParameters::kSecondZoneModeOffset];
  info.CustomGroup = block[KeyboardParameters::kCustomGroupOffset];
}

namespace {

template <size_t N>
void ReadCommon(std::span<const uint8_t, N> block, LightInfo& info, const LightModeList& modes) {
  const int position = modes.PositionOf(block[BlockLighting::kModeOffset]);
  info.SelectItem = static_cast<uint8_t>(position >= 0 ? position : block[BlockLighting::kModeOffset]);
  info.Light = Level(block[BlockLighting::kBrightnessOffset]);
  info.Speed = static_cast<uint8_t>(kMaxLevel - Level(block[BlockLighting::kSpeedOffset]));
  info.MultiColor = Flag(block[BlockLighting::kMultiColourOffset]);
  info.Red = block[BlockLighting::kColourOffset];
  info.Green = block[BlockLighting::kColourOffset + 1];
  info.Blue = block[BlockLighting::kColourOffset + 2];
}

}  // namespace

void ReadMouseLighting(std::span<const uint8_t, MouseParameters::kSize> block, LightInfo& info,
                       const LightModeList& modes) {
  ReadCommon<MouseParameters::kSize>(block, info, modes);
}

void ReadPadLighting(std::span<const uint8_t, PadParameters::kSize> block, LightInfo& info,
                     const LightModeList& modes) {
  ReadCommon<PadParameters::kSize>(block, info, modes);
}

}  // namespace lighting
