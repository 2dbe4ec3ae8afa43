#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The parameter memory (ReadParameters / WriteParameters) holds one block per
// profile slot, each kind of device with its block size and stride. Bytes
// the program does not name are read and written back as they are.
namespace protocol {

// Memory byte 0, which is byte 0 of slot 0's block: the active profile.
inline constexpr uint16_t kActiveProfileAddress = 0;
inline constexpr size_t kProfileSlots = 4;

// The lighting bytes at the start of every block.
struct BlockLighting {
  // Meaningful in the block written to slot 0 (see kActiveProfileAddress).
  static constexpr size_t kActiveProfileOffset = 0;
  static constexpr size_t kModeOffset = 1;
  static constexpr size_t kBrightnessOffset = 2;  // level 0..4
  static constexpr size_t kSpeedOffset = 3;       // 4 − the speed level
  static constexpr size_t kDirectionOffset = 4;
  static constexpr size_t kMultiColourOffset = 5;
  static constexpr size_t kColourOffset = 6;  // red, green, blue
  static constexpr size_t kLightingEnd = kColourOffset + 3;
};

// Keyboard: 39 bytes every 40.
struct KeyboardParameters : BlockLighting {
  static constexpr size_t kSize = 39;
  static constexpr size_t kStride = 40;
  // Sent as zero; what the firmware keeps there is not known.
  static constexpr size_t kZeroedOffset = 16;
  static constexpr size_t kZeroedBytes = 1;
  // The high nibble of a profile event (0x11xx) lands here.
  static constexpr size_t kProfileStateOffset = 17;
  static constexpr size_t kSecondZoneModeOffset = 18;
  static constexpr size_t kWFlagOffset = 19;
  static constexpr size_t kKey6FlagOffset = 20;
  static constexpr size_t kWinLockOffset = 21;
  static constexpr size_t kReportRateOffset = 22;
  static constexpr size_t kCustomGroupOffset = 25;
  // The mode byte's value for a frame the host streams (StreamLightFrame).
  static constexpr uint8_t kHostDrawnMode = 0xFE;

  using Bytes = std::array<uint8_t, kSize>;
};

// Mouse: 71 bytes every 128.
//   11 report rate index | 12 active DPI stage | 14 + 9 i DPI stage i (on,
//   separate X/Y, X steps LE, Y steps LE, red, green, blue) | 59 written as
//   1 | 60..61, 62..63 the primary screen's width and height (LE) | 64, 65
//   the selected correction preset (its second byte, then its first)
struct MouseParameters : BlockLighting {
  static constexpr size_t kSize = 71;
  static constexpr size_t kStride = 128;
  static constexpr size_t kZeroedOffset = 9;
  static constexpr size_t kZeroedBytes = 2;
  static constexpr size_t kReportRateOffset = 11;
  static constexpr size_t kActiveStageOffset = 12;
  static constexpr size_t kStagesOffset = 14;
  static constexpr size_t kStageBytes = 9;
  static constexpr size_t kStages = 5;
  static constexpr size_t kStageOnOffset = 0;
  static constexpr size_t kStageXYOffset = 1;
  static constexpr size_t kStageXOffset = 2;
  static constexpr size_t kStageYOffset = 4;
  static constexpr size_t kStageColourOffset = 6;
  static constexpr size_t kMarkOffset = 59;
  static constexpr size_t kScreenWidthOffset = 60;
  static constexpr size_t kScreenHeightOffset = 62;
  static constexpr size_t kCorrectionOffset = 64;

  using Bytes = std::array<uint8_t, kSize>;
};

// Mouse pad and headset: 21 bytes every 64. The direction byte is the
// device's own: written back as read.
struct PadParameters : BlockLighting {
  static constexpr size_t kSize = 21;
  static constexpr size_t kStride = 64;

  using Bytes = std::array<uint8_t, kSize>;
};

// Where profile slot `slot`'s block starts in the parameter memory.
template <typename Block>
constexpr uint16_t SlotAddress(size_t slot) {
  return static_cast<uint16_t>(slot * Block::kStride);
}

static_assert(KeyboardParameters::kCustomGroupOffset < KeyboardParameters::kSize);
static_assert(KeyboardParameters::kLightingEnd <= KeyboardParameters::kZeroedOffset);
static_assert(KeyboardParameters::kSize <= KeyboardParameters::kStride);
static_assert(MouseParameters::kLightingEnd <= MouseParameters::kZeroedOffset);
static_assert(MouseParameters::kZeroedOffset + MouseParameters::kZeroedBytes <=
              MouseParameters::kReportRateOffset);
static_assert(MouseParameters::kSize <= MouseParameters::kStride);
static_assert(MouseParameters::kStagesOffset + MouseParameters::kStages * MouseParameters::kStageBytes ==
              MouseParameters::kMarkOffset);
static_assert(MouseParameters::kCorrectionOffset + 2 <= MouseParameters::kSize);
static_assert(PadParameters::kLightingEnd <= PadParameters::kSize);
static_assert(PadParameters::kSize <= PadParameters::kStride);
static_assert(sizeof(KeyboardParameters::Bytes) == 39 && sizeof(MouseParameters::Bytes) == 71 &&
              sizeof(PadParameters::Bytes) == 21);

}  // namespace protocol
