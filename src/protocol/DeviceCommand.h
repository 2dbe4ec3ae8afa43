#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/Command.h"
#include "protocol/LittleEndian.h"

namespace protocol {

// One request of the device protocol: a 64-byte output report.
//   0 report id (4) | 1..2 checksum (LE) | 3 command | 4 data length |
//   5..6 position (LE) | 7 zero | 8..63 data
// The checksum is the sum of bytes 3..63 modulo 65536, set last.
// An answer is a 64-byte input report of the same shape, with the status in
// byte 7.
struct DeviceCommand {
  static constexpr size_t kSize = 64;
  static constexpr size_t kReportIdOffset = 0;
  static constexpr size_t kChecksumOffset = 1;
  static constexpr size_t kCommandOffset = 3;
  static constexpr size_t kLengthOffset = 4;
  static constexpr size_t kPositionOffset = 5;
  static constexpr size_t kDataOffset = 8;
  static constexpr size_t kMaxData = kSize - kDataOffset;  // 56
  static constexpr uint8_t kReportId = 4;
  // Answer bytes.
  static constexpr size_t kAnswerCommandOffset = 3;
  static constexpr size_t kAnswerStatusOffset = 7;

  std::array<uint8_t, kSize> bytes{};

  explicit DeviceCommand(uint8_t command = 0) {
    bytes[kReportIdOffset] = kReportId;
    bytes[kCommandOffset] = command;
  }
  explicit DeviceCommand(protocol::Command command) : DeviceCommand(ToByte(command)) {}
  void SetLength(uint8_t length) { bytes[kLengthOffset] = length; }
  void SetPosition(uint16_t position) { PutLe16(bytes, kPositionOffset, position); }
  std::span<uint8_t> Data() { return std::span(bytes).subspan(kDataOffset); }
  // Sets the checksum; call after every other byte is set.
  void Seal() { PutLe16(bytes, kChecksumOffset, Checksum(bytes)); }

  static uint16_t Checksum(std::span<const uint8_t, kSize> report) {
    uint32_t sum = 0;
    for (size_t i = kCommandOffset; i < kSize; ++i)
      sum += report[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
  }
  static uint16_t StoredChecksum(std::span<const uint8_t, kSize> report) {
    return GetLe16(report, kChecksumOffset);
  }
  static uint16_t PositionOf(std::span<const uint8_t, kSize> report) {
    return GetLe16(report, kPositionOffset);
  }
};

static_assert(sizeof(DeviceCommand) == DeviceCommand::kSize, "a request is one 64-byte report");
static_assert(DeviceCommand::kMaxData == 56);

}  // namespace protocol
