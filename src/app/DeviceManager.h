#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "hid/InterfaceRecord.h"

class DeviceCore;
class DeviceRegistry;

// Binds the interfaces the detection thread reports to the device cores:
// opens and closes the command interfaces, switches a wireless device
// between cable and receiver, and hands the event interfaces to the cores'
// readers. Every open, close and switch runs on the device's worker (a
// pending transfer is cut short first), so the UI thread never takes a
// channel's lock; the listener hears on the UI thread what came of it.
// No widgets: the pages are the listener's.
class DeviceManager {
 public:
  enum Kind { Mouse = 0, Keyboard = 1, MousePad = 2, Headset = 3, KindCount = 4 };

  class Listener {
   public:
    virtual ~Listener() = default;
    // The command interface of `core` opened (through the receiver when
    // `receiver`).
    virtual void DeviceOpened(DeviceCore& core, bool receiver) = 0;
    // The device went away (neither connection is left).
    virtual void DeviceClosed(DeviceCore& core) = 0;
    // The device goes on through the other connection; `wireless` is the
    // new one.
    virtual void DeviceSwitched(DeviceCore& core, bool wireless) = 0;
  };

  DeviceManager(DeviceRegistry& registry, Listener& listener);
  ~DeviceManager();
  DeviceManager(const DeviceManager&) = delete;
  DeviceManager& operator=(const DeviceManager&) = delete;

  static int KindOfType(int deviceType);

  // The cores the manager binds interfaces to (they outlive their binding).
  void Bind(int kind, DeviceCore& core);
  void Unbind(DeviceCore& core);
  // The core of `kind` whose identity (cable command row) is `identity`.
  DeviceCore* Find(int kind, const InterfaceRecord& identity) const;
  DeviceCore* FindAnyKind(const InterfaceRecord& identity) const;
  // The record that identifies the device of registry slot `slot` (its
  // cable command row).
  InterfaceRecord KeyRecordOf(size_t slot) const;

  // The detection thread's reports.
  void Connect(size_t slot);
  void Disconnect(size_t slot);
  // Both connections of a wireless device: the cable wins while it is there.
  void Switch(size_t slot);
  // No open, close or switch asked for is still on its way.
  bool Settled() const { return pendingConnections_ == 0; }

 private:
  void OpenEventInterface(size_t slot, int type);
  void CloseEventInterface(size_t slot, int type);
  // The cores of `kind` an event interface of `match` belongs to.
  DeviceCore* EventOwner(int type, const InterfaceRecord& match, bool receiver, bool open) const;

  DeviceRegistry& registry_;
  Listener& listener_;
  std::array<std::vector<DeviceCore*>, KindCount> cores_;
  int pendingConnections_ = 0;
};
