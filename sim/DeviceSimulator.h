#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/FirmwareModel.h"
#include "sim/SimulatedNode.h"
#include "sim/SysfsTreeWriter.h"

namespace sim {

// Simulated devices under a root folder: ROOT/sys is a sysfs tree and
// ROOT/dev holds the device nodes, so the program finds them through
// TRAVIX_SYSFS_ROOT and TRAVIX_DEV_ROOT exactly as it finds real ones.
// The cable and receiver connections of one device share its firmware.
class DeviceSimulator {
 public:
  explicit DeviceSimulator(std::string root);
  ~DeviceSimulator();  // unplugs everything and removes what it created

  // Connections: "keyboard", "keyboard-receiver", "mouse", "mouse-receiver",
  // "pad", "headset".
  static const std::vector<std::string>& ConnectionNames();
  bool Plug(const std::string& connection);
  bool Unplug(const std::string& connection);
  // Plugged connections with their nodes, e.g. "keyboard hidraw0".
  std::vector<std::string> List() const;
  std::optional<std::string> NodeOf(const std::string& connection) const;
  // How many times the connection's node is open.
  int OpenCount(const std::string& connection) const;

  FirmwareModel& Firmware(DeviceKind kind);
  // Sends an event report (a 16-bit usage on the consumer collection) on every
  // plugged connection of the device. False when none is plugged, and for the
  // headset, which has no event collection.
  bool SendEvent(DeviceKind kind, uint16_t code);

  std::string SysRoot() const { return root_ + "/sys"; }
  std::string DevRoot() const { return root_ + "/dev"; }

 private:
  struct Plugged {
    std::string node;
    DeviceKind kind;
    std::unique_ptr<SimulatedNode> server;
  };
  void HandleOutput(DeviceKind kind, bool viaReceiver, SimulatedNode* node,
                    std::span<const uint8_t> report);

  std::string root_;
  SysfsTreeWriter sysfs_;
  std::map<DeviceKind, std::unique_ptr<FirmwareModel>> firmware_;
  mutable std::mutex mutex_;
  std::map<std::string, Plugged> plugged_;
};

}  // namespace sim
