#pragma once

#include <cstdint>
#include <string>

// One row of the supported-interface table; with its run-time fields filled,
// also a slot of the device registry and the identity of a device object.
struct InterfaceRecord {
  uint16_t VendorId = 0;
  uint16_t ProductId = 0;
  uint16_t InterfaceNumber = 0;
  uint16_t Collection = 0;
  uint16_t DeviceType = 0;  // 1 keyboard, 9 keyboard receiver, 2 mouse, 6 mouse receiver, 3 pad, 7 headset
  uint16_t Role = 0;        // 0x00 command interface, 0xFF event interface
  uint16_t InUse = 0;       // run time: bound to an attached interface
  uint16_t UsagePage = 0;
  uint16_t Usage = 0;
  uint16_t HasPartner = 0;
  uint16_t PartnerIndex = 0;
  std::string Path;  // run time: the attached interface's path

  // Identity: InUse, HasPartner, PartnerIndex and Path take no part.
  friend bool operator==(const InterfaceRecord& a, const InterfaceRecord& b) {
    return a.VendorId == b.VendorId && a.ProductId == b.ProductId &&
           a.InterfaceNumber == b.InterfaceNumber && a.Collection == b.Collection &&
           a.DeviceType == b.DeviceType && a.Role == b.Role && a.UsagePage == b.UsagePage &&
           a.Usage == b.Usage;
  }
};

inline constexpr uint16_t kRoleCommand = 0x00;
inline constexpr uint16_t kRoleEvent = 0xFF;

namespace DeviceTypes {
inline constexpr uint16_t Keyboard = 1;
inline constexpr uint16_t Mouse = 2;
inline constexpr uint16_t MousePad = 3;
inline constexpr uint16_t MouseReceiver = 6;
inline constexpr uint16_t Headset = 7;
inline constexpr uint16_t KeyboardReceiver = 9;
}  // namespace DeviceTypes
