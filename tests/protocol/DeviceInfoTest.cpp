#include <gtest/gtest.h>

#include "protocol/DeviceInfo.h"

using protocol::DeviceInfo;

TEST(ProtocolDeviceInfo, RoundTripAndBytePositions) {
  const DeviceInfo mouse{11, 16, 0x3395, 50, 520, 0x0102};
  const DeviceInfo::Bytes bytes = mouse.Encode();
  EXPECT_EQ(DeviceInfo::Decode(bytes), mouse);
  EXPECT_EQ(bytes.size(), 34u);
  EXPECT_EQ(bytes[5], 11) << "key count";
  EXPECT_EQ(bytes[6], 16) << "macro units";
  EXPECT_EQ(bytes[9] | bytes[10] << 8, 0x3395) << "sensor, low byte first";
  EXPECT_EQ(bytes[11], 50);
  EXPECT_EQ(bytes[12] | bytes[13] << 8, 520);
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 0x0102);
  for (size_t i : {0, 1, 2, 3, 4, 7, 8, 16, 20, 33})
    EXPECT_EQ(bytes[i], 0) << "byte " << i << " is not the program's";
  EXPECT_EQ(mouse.MacroBytes(), 16u * 128);
}

TEST(ProtocolDeviceInfo, BytesTheProgramDoesNotNameAreIgnored) {
  DeviceInfo::Bytes bytes;
  bytes.fill(0xEE);
  bytes[DeviceInfo::kKeyCountOffset] = 126;
  const DeviceInfo info = DeviceInfo::Decode(bytes);
  EXPECT_EQ(info.keyCount, 126);
  EXPECT_EQ(info.macroUnits, 0xEE);
  EXPECT_EQ(info.sensor, 0xEEEE);
  // Encoding zeroes them; the named fields survive.
  EXPECT_EQ(DeviceInfo::Decode(info.Encode()), info);
}
