#pragma once

#include <array>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/DeviceTables.h"
#include "hid/InterfaceRecord.h"

// The main window's slots binding the rows of the interface table to
// attached interfaces: slot i is row i. The detection thread binds and frees
// slots; the UI thread reads them. Every access is under one lock, and
// readers get copies.
class DeviceRegistry {
 public:
  static constexpr size_t kSlots = DeviceTables::kInterfaceRows;

  // Fills the slots with the table's rows, all free.
  void Reset();

  InterfaceRecord Slot(size_t index) const;
  std::vector<InterfaceRecord> Snapshot() const;
  bool AnyFree() const;
  bool IsCandidate(const std::string& path) const;
  // Binds the first free slot matching the opened interface; -1 when none.
  // `deviceDir` names the kernel's device (it changes on every re-plug).
  int Bind(InterfaceRecord& record, const std::string& deviceDir);
  // Frees a slot; false when it was not in use.
  bool Unbind(size_t index);
  std::string DeviceDirOf(size_t index) const;
  // The slot's partner is attached and points back to it.
  bool PartnerAttached(size_t index) const;

 private:
  mutable std::mutex mutex_;
  std::array<InterfaceRecord, kSlots> slots_{};
  std::array<std::string, kSlots> deviceDirs_{};
};
