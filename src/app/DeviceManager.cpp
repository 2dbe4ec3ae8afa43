#include "app/DeviceManager.h"

#include <algorithm>

#include "app/DeviceRegistry.h"
#include "app/DeviceTables.h"
#include "devicecore/DeviceCore.h"
#include "platform/DebugChannel.h"

namespace {

bool IsReceiverType(int type) {
  return type == DeviceTypes::MouseReceiver || type == DeviceTypes::KeyboardReceiver;
}
bool IsCableType(int type) { return type == DeviceTypes::Keyboard || type == DeviceTypes::Mouse; }
bool IsWirelessKind(int type) { return IsCableType(type) || IsReceiverType(type); }

}  // namespace

DeviceManager::DeviceManager(DeviceRegistry& registry, Listener& listener)
    : registry_(registry), listener_(listener) {}

DeviceManager::~DeviceManager() = default;

int DeviceManager::KindOfType(int deviceType) {
  switch (deviceType) {
    case DeviceTypes::Keyboard:
    case DeviceTypes::KeyboardReceiver: return Keyboard;
    case DeviceTypes::Mouse:
    case DeviceTypes::MouseReceiver: return Mouse;
    case DeviceTypes::MousePad: return MousePad;
    case DeviceTypes::Headset: return Headset;
    default: return -1;
  }
}

void DeviceManager::Bind(int kind, DeviceCore& core) {
  if (kind >= 0 && kind < KindCount)
    cores_[static_cast<size_t>(kind)].push_back(&core);
}

void DeviceManager::Unbind(DeviceCore& core) {
  for (auto& list : cores_)
    list.erase(std::remove(list.begin(), list.end(), &core), list.end());
}

DeviceCore* DeviceManager::Find(int kind, const InterfaceRecord& identity) const {
  if (kind < 0 || kind >= KindCount)
    return nullptr;
  for (DeviceCore* core : cores_[static_cast<size_t>(kind)])
    if (core->Identity() == identity)
      return core;
  return nullptr;
}

DeviceCore* DeviceManager::FindAnyKind(const InterfaceRecord& identity) const {
  for (const auto& list : cores_)
    for (DeviceCore* core : list)
      if (core->Identity() == identity)
        return core;
  return nullptr;
}

InterfaceRecord DeviceManager::KeyRecordOf(size_t slot) const {
  const int key = DeviceTables::DeviceKeyRowOf(static_cast<int>(slot));
  return key < 0 ? InterfaceRecord{} : registry_.Slot(static_cast<size_t>(key));
}

void DeviceManager::Connect(size_t slot) {
  const InterfaceRecord record = registry_.Slot(slot);
  if (record.Role == kRoleEvent) {
    OpenEventInterface(slot, record.DeviceType);
    return;
  }
  const bool receiverRow = IsReceiverType(record.DeviceType);
  if (IsWirelessKind(record.DeviceType) && registry_.PartnerAttached(slot)) {
    // Both connections are there: the cable wins.
    if (IsCableType(record.DeviceType))
      Switch(slot);
    return;
  }
  const InterfaceRecord key = KeyRecordOf(slot);
  DeviceCore* core = Find(KindOfType(record.DeviceType), key);
  if (core == nullptr || core->Commands.IsOpen)
    return;
  core->SetIdentity(key);
  ++pendingConnections_;
  core->OpenCommand(record.Path, receiverRow, IsWirelessKind(record.DeviceType),
                    [this, core, receiverRow](bool opened) {
                      --pendingConnections_;
                      if (opened)
                        listener_.DeviceOpened(*core, receiverRow);
                    });
}

void DeviceManager::Disconnect(size_t slot) {
  const InterfaceRecord record = registry_.Slot(slot);
  if (record.Role == kRoleEvent) {
    CloseEventInterface(slot, record.DeviceType);
    return;
  }
  const int kind = KindOfType(record.DeviceType);
  if (kind == Mouse)
    platform::DebugOutput("鼠标设备丢失");
  else if (kind == Keyboard)
    platform::DebugOutput("键盘设备丢失");
  if (!registry_.PartnerAttached(slot)) {
    DeviceCore* core = Find(kind, KeyRecordOf(slot));
    if (core == nullptr)
      return;
    ++pendingConnections_;
    core->CloseCommand([this] { --pendingConnections_; });
    // The page goes at once; the links close on the worker.
    listener_.DeviceClosed(*core);
  } else if (IsCableType(record.DeviceType)) {
    // The device goes on through its receiver.
    Switch(slot);
  }
}

void DeviceManager::Switch(size_t slot) {
  const InterfaceRecord record = registry_.Slot(slot);
  const auto partner = DeviceTables::PartnerOf(static_cast<int>(slot));
  if (!partner)
    return;
  const InterfaceRecord partnerRecord = registry_.Slot(static_cast<size_t>(*partner));
  DeviceCore* core = FindAnyKind(record);
  if (core == nullptr)
    core = FindAnyKind(partnerRecord);
  if (core == nullptr)
    return;
  const bool cableRow = IsCableType(record.DeviceType);
  const std::string& cablePath = cableRow ? record.Path : partnerRecord.Path;
  const std::string& receiverPath = cableRow ? partnerRecord.Path : record.Path;
  ++pendingConnections_;
  core->SwitchCommand(cablePath, receiverPath, [this, core](bool opened) {
    --pendingConnections_;
    if (opened)
      listener_.DeviceSwitched(*core, core->Commands.WirelessMode);
  });
}

DeviceCore* DeviceManager::EventOwner(int type, const InterfaceRecord& match, bool receiver,
                                      bool open) const {
  for (DeviceCore* core : cores_[static_cast<size_t>(std::max(KindOfType(type), 0))]) {
    const InterfaceRecord& identity = core->Identity();
    if (identity.VendorId == match.VendorId && identity.ProductId == match.ProductId &&
        identity.DeviceType == match.DeviceType && core->IsEventInterfaceOpen(receiver) == open)
      return core;
  }
  return nullptr;
}

void DeviceManager::OpenEventInterface(size_t slot, int type) {
  const InterfaceRecord record = registry_.Slot(slot);
  const bool receiver = IsReceiverType(type);
  InterfaceRecord match = record;
  if (receiver)
    if (auto partner = DeviceTables::PartnerOf(static_cast<int>(slot)))
      match = registry_.Slot(static_cast<size_t>(*partner));
  DeviceCore* core = EventOwner(type, match, receiver, false);
  if (core == nullptr)
    return;
  // On the device's worker: opening and starting a reader never hold up
  // the UI thread.
  core->Run<bool>([core, path = record.Path, receiver] {
    return core->OpenEventInterface(path, receiver);
  }, {});
}

void DeviceManager::CloseEventInterface(size_t slot, int type) {
  const bool receiver = IsReceiverType(type);
  InterfaceRecord match = registry_.Slot(slot);
  if (receiver)
    if (auto partner = DeviceTables::PartnerOf(static_cast<int>(slot)))
      match = registry_.Slot(static_cast<size_t>(*partner));
  DeviceCore* core = EventOwner(type, match, receiver, true);
  if (core == nullptr)
    return;
  core->Run<bool>([core, receiver] {
    core->CloseEventInterface(receiver);
    return true;
  }, {});
}
