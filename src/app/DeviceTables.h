#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "hid/InterfaceRecord.h"

// A kind of device page: mouse, keyboard, mouse pad, headset (in this order:
// the row index is the kind index, the selector's and the page's position).
struct DeviceKindRecord {
  std::string_view OptionLayout;
  std::string_view OptionGroup;
  std::string_view PowerTabName;
  std::string_view KindName;
  int LightTableIndex;
  int VendorId;
  int ProductId;
  int DeviceType;
  int Role;
};

// Layout and sizes of a kind's page (row i belongs to kind row i).
struct DevicePageRecord {
  int LedCount;
  int KeyCount;
  int ShowPower;
  int MouseOption;
  std::string_view PageLayout;
  std::string_view LightConfigName;
};

// An entry of the update list.
struct UpdateRecord {
  int ItemKind;  // 0 the application, otherwise a device firmware
  int UpdateState;
  int CurrentVersion;
  std::string_view Vendor;
  std::string_view FirmwareId;
  std::string_view DisplayName;
  std::string_view Model;
  std::string_view Version;
};

// The supported devices, compiled in.
class DeviceTables {
 public:
  static constexpr size_t kInterfaceRows = 11;
  static constexpr size_t kKindRows = 4;

  static const std::array<InterfaceRecord, kInterfaceRows>& Interfaces();
  static const std::array<DeviceKindRecord, kKindRows>& Kinds();
  static const std::array<DevicePageRecord, kKindRows>& Pages();
  static const std::array<UpdateRecord, 4>& Updates();

  // Index of the first interface row with these values, or -1.
  static int FindCommandRow(int vendorId, int productId, int deviceType, int role);
  // Index of the first kind row with these values, or -1.
  static int FindKindRow(int vendorId, int productId, int deviceType, int role);
  // The row's partner on the other connection, when it has one.
  static std::optional<int> PartnerOf(int row);
  // The kind row of an interface row: receiver rows go through their cable
  // partner, so both connections of a device share one kind and one page.
  static int KindRowOf(int row);
  // The cable command row that identifies the device object of a row.
  static int DeviceKeyRowOf(int row);
};
