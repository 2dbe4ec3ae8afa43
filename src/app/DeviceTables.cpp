#include "app/DeviceTables.h"

namespace {

InterfaceRecord Row(uint16_t vendor, uint16_t product, uint16_t interfaceNumber,
                    uint16_t collection, uint16_t type, uint16_t role, uint16_t page, uint16_t usage,
                    uint16_t hasPartner, uint16_t partner) {
  InterfaceRecord r;
  r.VendorId = vendor;
  r.ProductId = product;
  r.InterfaceNumber = interfaceNumber;
  r.Collection = collection;
  r.DeviceType = type;
  r.Role = role;
  r.UsagePage = page;
  r.Usage = usage;
  r.HasPartner = hasPartner;
  r.PartnerIndex = partner;
  return r;
}

constexpr std::string_view kOptionLayout = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr std::string_view kOptionGroup = "tab_header_device";
constexpr std::string_view kPowerTab = "device_power_switch";

}  // namespace

const std::array<InterfaceRecord, DeviceTables::kInterfaceRows>& DeviceTables::Interfaces() {
  static const std::array<InterfaceRecord, kInterfaceRows> kTable = {
      Row(0x320F, 0x5055, 1, 4, 1, 0x00, 0xFF1C, 0x92, 1, 2),
      Row(0x320F, 0x5055, 1, 3, 1, 0xFF, 0x000C, 0x01, 1, 3),
      Row(0x320F, 0x5088, 1, 4, 9, 0x00, 0xFF1C, 0x92, 1, 0),
      Row(0x320F, 0x5088, 1, 3, 9, 0xFF, 0x000C, 0x01, 1, 1),
      Row(0x320F, 0x50EF, 1, 4, 2, 0x00, 0xFF1C, 0x92, 1, 6),
      Row(0x320F, 0x50EF, 1, 3, 2, 0xFF, 0x000C, 0x01, 1, 7),
      Row(0x320F, 0x221D, 1, 4, 6, 0x00, 0xFF1C, 0x92, 1, 4),
      Row(0x320F, 0x221D, 1, 3, 6, 0xFF, 0x000C, 0x01, 1, 5),
      Row(0x320F, 0x1004, 1, 4, 3, 0x00, 0xFF1C, 0x92, 0, 0),
      Row(0x320F, 0x1004, 1, 3, 3, 0xFF, 0x000C, 0x01, 0, 0),
      Row(0x0C76, 0x1630, 3, 0, 7, 0x00, 0x000C, 0x01, 0, 0),
  };
  return kTable;
}

const std::array<DeviceKindRecord, DeviceTables::kKindRows>& DeviceTables::Kinds() {
  static const std::array<DeviceKindRecord, kKindRows> kTable = {{
      {kOptionLayout, kOptionGroup, kPowerTab, "mouse", 1, 0x320F, 0x50EF, 2, 0},
      {kOptionLayout, kOptionGroup, kPowerTab, "keyboard", 0, 0x320F, 0x5055, 1, 0},
      {kOptionLayout, kOptionGroup, kPowerTab, "MousePad", 2, 0x320F, 0x1004, 3, 0},
      {kOptionLayout, kOptionGroup, kPowerTab, "HD", 3, 0x0C76, 0x1630, 7, 0},
  }};
  return kTable;
}

const std::array<DevicePageRecord, DeviceTables::kKindRows>& DeviceTables::Pages() {
  static const std::array<DevicePageRecord, kKindRows> kTable = {{
      {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "kaldo_light"},
      {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "kaldo_light"},
      {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "kaldo_light"},
      {13, 0, 0, -1, "XML\\DeviceXml\\ro6533device.xml", "kaldo_light"},
  }};
  return kTable;
}

const std::array<UpdateRecord, 4>& DeviceTables::Updates() {
  static const std::array<UpdateRecord, 4> kTable = {{
      {1, 1, 0, "KALDO", "TR40M21B", "MS", "MS", ""},
      {1, 1, 0, "KALDO", "TR40K22B", "KB417L Gaming", "QKB417", ""},
      {2, 1, 0, "KALDO", "TR40P23B_1", "P60", "P60", ""},
      {0, 1, 0, "KALDO", "ALL", "KB417L Gaming", "AP", "V0101"},
  }};
  return kTable;
}

int DeviceTables::FindCommandRow(int vendorId, int productId, int deviceType, int role) {
  const auto& rows = Interfaces();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].VendorId == vendorId && rows[i].ProductId == productId &&
        rows[i].DeviceType == deviceType && rows[i].Role == role)
      return static_cast<int>(i);
  return -1;
}

int DeviceTables::FindKindRow(int vendorId, int productId, int deviceType, int role) {
  const auto& rows = Kinds();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].VendorId == vendorId && rows[i].ProductId == productId &&
        rows[i].DeviceType == deviceType && rows[i].Role == role)
      return static_cast<int>(i);
  return -1;
}

std::optional<int> DeviceTables::PartnerOf(int row) {
  if (row < 0 || row >= static_cast<int>(kInterfaceRows))
    return std::nullopt;
  const InterfaceRecord& r = Interfaces()[row];
  if (r.HasPartner != 1)
    return std::nullopt;
  return r.PartnerIndex;
}

int DeviceTables::DeviceKeyRowOf(int row) {
  if (row < 0 || row >= static_cast<int>(kInterfaceRows))
    return -1;
  const InterfaceRecord* r = &Interfaces()[row];
  int key = row;
  if (r->Role == kRoleEvent) {
    key = FindCommandRow(r->VendorId, r->ProductId, r->DeviceType, kRoleCommand);
    if (key < 0)
      return -1;
    r = &Interfaces()[key];
  }
  if (r->DeviceType == DeviceTypes::KeyboardReceiver || r->DeviceType == DeviceTypes::MouseReceiver)
    if (auto partner = PartnerOf(key))
      key = *partner;
  return key;
}

int DeviceTables::KindRowOf(int row) {
  const int key = DeviceKeyRowOf(row);
  if (key < 0)
    return -1;
  const InterfaceRecord& r = Interfaces()[key];
  return FindKindRow(r.VendorId, r.ProductId, r.DeviceType, kRoleCommand);
}
