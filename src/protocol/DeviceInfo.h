#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace protocol {

// The device's information block, read with ReadDeviceInfo: 34 bytes.
//   5 key count (slots of the key table) | 6 macro memory in units of 128
//   bytes | 9..10 sensor id (LE) | 11 DPI step | 12..13 highest DPI (LE) |
//   14..15 DPI base (LE)
// The other bytes are not used by the program; encoding leaves them zero.
struct DeviceInfo {
  static constexpr size_t kSize = 34;
  static constexpr size_t kKeyCountOffset = 5;
  static constexpr size_t kMacroUnitsOffset = 6;
  static constexpr size_t kSensorOffset = 9;
  static constexpr size_t kDpiStepOffset = 11;
  static constexpr size_t kDpiMaxOffset = 12;
  static constexpr size_t kDpiBaseOffset = 14;
  static constexpr size_t kMacroUnitBytes = 128;

  using Bytes = std::array<uint8_t, kSize>;

  uint8_t keyCount = 0;
  uint8_t macroUnits = 0;
  uint16_t sensor = 0;
  uint8_t dpiStep = 0;
  uint16_t dpiMax = 0;
  uint16_t dpiBase = 0;

  bool operator==(const DeviceInfo&) const = default;

  size_t MacroBytes() const { return static_cast<size_t>(macroUnits) * kMacroUnitBytes; }

  Bytes Encode() const;
  static DeviceInfo Decode(std::span<const uint8_t, kSize> bytes);
};

static_assert(DeviceInfo::kDpiBaseOffset + 2 <= DeviceInfo::kSize);

}  // namespace protocol
