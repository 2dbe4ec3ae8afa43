#pragma once

#include <cstdint>

namespace protocol {

// Byte 3 of a request: what the device is asked to do. Named after the
// channel's builders that send them.
enum class Command : uint8_t {
  BeginTransfer = 0x01,
  EndTransfer = 0x02,
  ReadDeviceInfo = 0x03,
  ReadParameters = 0x05,
  WriteParameters = 0x06,
  ReadKeyTable = 0x07,
  WriteKeyTable = 0x09,
  ReadColorTable = 0x0A,
  WriteColorTable = 0x0B,
  StreamLightFrame = 0x12,
  WriteMacroData = 0x15,
  WriteRecoilData = 0x17,
  ReadPowerStatus = 0x1A,
  ReadKeyAttributes = 0x1B,
  TakeLightControl = 0x1C,
  WriteKeyTable2 = 0x27,  // the Fn layer's table
  WriteKeyTable3 = 0x28,
  QueryWirelessLink = 0xAA,
};

constexpr uint8_t ToByte(Command command) { return static_cast<uint8_t>(command); }

// Byte 7 of an answer. Any value but these two is taken as success; the
// firmware sends 0xFF for a request it cannot take (bad checksum, unknown
// command, out of range) and 0xFE for a failure it does not explain.
inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusRejected = 0xFF;
inline constexpr uint8_t kStatusFailed = 0xFE;

// The command byte of an answer sent by the 2.4 GHz receiver itself: the
// device behind it is switched off or out of reach.
inline constexpr uint8_t kReceiverAnswered = 0xAA;

// Data byte 0 of the answer to QueryWirelessLink: the device is linked.
inline constexpr uint8_t kWirelessLinkUp = 0xFF;
inline constexpr uint8_t kWirelessLinkDown = 0x00;

}  // namespace protocol
