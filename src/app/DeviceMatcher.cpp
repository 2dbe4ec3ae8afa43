#include "app/DeviceMatcher.h"

#include "app/DeviceTables.h"
#include "hid/ParseHexField.h"

namespace {

bool SameAddress(const InterfaceRecord& a, const InterfaceRecord& b) {
  return a.VendorId == b.VendorId && a.ProductId == b.ProductId && a.Collection == b.Collection &&
         a.InterfaceNumber == b.InterfaceNumber;
}

bool Free(const InterfaceRecord& slot) { return slot.InUse == 0 && slot.Path.empty(); }

}  // namespace

InterfaceRecord DeviceMatcher::FromPath(const std::string& path) {
  InterfaceRecord record;
  record.VendorId = hid::ParseHexField(path, "vid_");
  record.ProductId = hid::ParseHexField(path, "pid_");
  record.Collection = hid::ParseHexField(path, "&col");
  record.InterfaceNumber = hid::ParseHexField(path, "&mi_");
  record.Path = path;
  return record;
}

bool DeviceMatcher::IsCandidate(const std::string& path,
                                std::span<const InterfaceRecord> registry) {
  const InterfaceRecord record = FromPath(path);
  bool inTable = false;
  for (const InterfaceRecord& row : DeviceTables::Interfaces())
    inTable = inTable || SameAddress(row, record);
  if (!inTable)
    return false;
  for (const InterfaceRecord& slot : registry)
    if (SameAddress(slot, record) && Free(slot))
      return true;
  return false;
}

int DeviceMatcher::MatchOpenedInterface(InterfaceRecord& record,
                                        std::span<InterfaceRecord> registry) {
  auto sameSix = [&](const InterfaceRecord& r) {
    return SameAddress(r, record) && r.UsagePage == record.UsagePage && r.Usage == record.Usage;
  };
  const InterfaceRecord* row = nullptr;
  for (const InterfaceRecord& candidate : DeviceTables::Interfaces()) {
    if (sameSix(candidate)) {
      row = &candidate;
      break;
    }
  }
  if (row == nullptr)
    return -1;
  record.DeviceType = row->DeviceType;
  record.Role = row->Role;
  for (size_t i = 0; i < registry.size(); ++i) {
    InterfaceRecord& slot = registry[i];
    if (sameSix(slot) && Free(slot)) {
      slot.InUse = 1;
      slot.Path = record.Path;
      return static_cast<int>(i);
    }
  }
  return -1;
}
