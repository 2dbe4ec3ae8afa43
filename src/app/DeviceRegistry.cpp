#include "app/DeviceRegistry.h"

#include "app/DeviceMatcher.h"

void DeviceRegistry::Reset() {
  std::lock_guard lock(mutex_);
  std::copy(DeviceTables::Interfaces().begin(), DeviceTables::Interfaces().end(), slots_.begin());
  deviceDirs_.fill({});
}

InterfaceRecord DeviceRegistry::Slot(size_t index) const {
  std::lock_guard lock(mutex_);
  return index < kSlots ? slots_[index] : InterfaceRecord{};
}

std::vector<InterfaceRecord> DeviceRegistry::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {slots_.begin(), slots_.end()};
}

bool DeviceRegistry::AnyFree() const {
  std::lock_guard lock(mutex_);
  for (const InterfaceRecord& slot : slots_)
    if (slot.InUse == 0 && slot.Path.empty())
      return true;
  return false;
}

bool DeviceRegistry::IsCandidate(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return DeviceMatcher::IsCandidate(path, slots_);
}

int DeviceRegistry::Bind(InterfaceRecord& record, const std::string& deviceDir) {
  std::lock_guard lock(mutex_);
  const int index = DeviceMatcher::MatchOpenedInterface(record, slots_);
  if (index >= 0)
    deviceDirs_[static_cast<size_t>(index)] = deviceDir;
  return index;
}

bool DeviceRegistry::Unbind(size_t index) {
  std::lock_guard lock(mutex_);
  if (index >= kSlots || slots_[index].InUse == 0)
    return false;
  slots_[index].InUse = 0;
  slots_[index].Path.clear();
  deviceDirs_[index].clear();
  return true;
}

std::string DeviceRegistry::DeviceDirOf(size_t index) const {
  std::lock_guard lock(mutex_);
  return index < kSlots ? deviceDirs_[index] : std::string();
}

bool DeviceRegistry::PartnerAttached(size_t index) const {
  std::lock_guard lock(mutex_);
  if (index >= kSlots || slots_[index].HasPartner != 1)
    return false;
  const size_t partner = slots_[index].PartnerIndex;
  return partner < kSlots && slots_[partner].InUse == 1 && !slots_[partner].Path.empty() &&
         slots_[partner].PartnerIndex == index;
}
