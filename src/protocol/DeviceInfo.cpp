#include "protocol/DeviceInfo.h"

#include "protocol/LittleEndian.h"

namespace protocol {

DeviceInfo::Bytes DeviceInfo::Encode() const {
  Bytes bytes{};
  bytes[kKeyCountOffset] = keyCount;
  bytes[kMacroUnitsOffset] = macroUnits;
  PutLe16(bytes, kSensorOffset, sensor);
  bytes[kDpiStepOffset] = dpiStep;
  PutLe16(bytes, kDpiMaxOffset, dpiMax);
  PutLe16(bytes, kDpiBaseOffset, dpiBase);
  return bytes;
}

DeviceInfo DeviceInfo::Decode(std::span<const uint8_t, kSize> bytes) {
  DeviceInfo info;
  info.keyCount = bytes[kKeyCountOffset];
  info.macroUnits = bytes[kMacroUnitsOffset];
  info.sensor = GetLe16(bytes, kSensorOffset);
  info.dpiStep = bytes[kDpiStepOffset];
  info.dpiMax = GetLe16(bytes, kDpiMaxOffset);
  info.dpiBase = GetLe16(bytes, kDpiBaseOffset);
  return info;
}

}  // namespace protocol
