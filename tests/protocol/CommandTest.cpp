// The request report and the command codes: what goes on the wire.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "protocol/Command.h"
#include "protocol/DeviceCommand.h"

using protocol::Command;
using protocol::DeviceCommand;

TEST(ProtocolCommand, CodesAreTheDevicesOwnAndDistinct) {
  const std::pair<Command, uint8_t> codes[] = {
      {Command::BeginTransfer, 0x01},     {Command::EndTransfer, 0x02},
      {Command::ReadDeviceInfo, 0x03},    {Command::ReadParameters, 0x05},
      {Command::WriteParameters, 0x06},   {Command::ReadKeyTable, 0x07},
      {Command::WriteKeyTable, 0x09},     {Command::ReadColorTable, 0x0A},
      {Command::WriteColorTable, 0x0B},   {Command::StreamLightFrame, 0x12},
      {Command::WriteMacroData, 0x15},    {Command::WriteRecoilData, 0x17},
      {Command::ReadPowerStatus, 0x1A},   {Command::ReadKeyAttributes, 0x1B},
      {Command::TakeLightControl, 0x1C},  {Command::WriteKeyTable2, 0x27},
      {Command::WriteKeyTable3, 0x28},    {Command::QueryWirelessLink, 0xAA},
  };
  std::set<uint8_t> seen;
  for (const auto& [command, byte] : codes) {
    EXPECT_EQ(protocol::ToByte(command), byte);
    EXPECT_TRUE(seen.insert(byte).second) << "code " << int(byte) << " twice";
    EXPECT_EQ(DeviceCommand(command).bytes, DeviceCommand(byte).bytes);
  }
  EXPECT_EQ(seen.size(), 18u);
  EXPECT_NE(protocol::kStatusRejected, protocol::kStatusFailed);
  EXPECT_NE(protocol::kStatusOk, protocol::kStatusRejected);
}

TEST(ProtocolCommand, RequestRoundTripAndBytePositions) {
  DeviceCommand request(Command::WriteParameters);
  request.SetLength(15);
  request.SetPosition(0x0168);
  std::fill(request.Data().begin(), request.Data().end(), 0x11);
  request.Seal();
  // 0 report id | 1..2 checksum | 3 command | 4 length | 5..6 position | 7 zero | 8.. data
  EXPECT_EQ(request.bytes[0], 4);
  EXPECT_EQ(request.bytes[3], 0x06);
  EXPECT_EQ(request.bytes[4], 15);
  EXPECT_EQ(request.bytes[5], 0x68);
  EXPECT_EQ(request.bytes[6], 0x01);
  EXPECT_EQ(request.bytes[7], 0);
  EXPECT_EQ(request.bytes[8], 0x11);
  EXPECT_EQ(request.Data().size(), DeviceCommand::kMaxData);
  EXPECT_EQ(DeviceCommand::PositionOf(request.bytes), 0x0168);
  EXPECT_EQ(DeviceCommand::StoredChecksum(request.bytes), DeviceCommand::Checksum(request.bytes));
  EXPECT_EQ(DeviceCommand::StoredChecksum(request.bytes), 0x06 + 15 + 0x68 + 0x01 + 56 * 0x11);

  // The report id and the checksum bytes are not summed.
  DeviceCommand other = request;
  other.bytes[0] = 9;
  other.bytes[1] ^= 0xFF;
  EXPECT_EQ(DeviceCommand::Checksum(other.bytes), DeviceCommand::Checksum(request.bytes));
}
