#pragma once

#include <cstdint>
#include <string>

#include "platform/Event.h"
#include "platform/WindowMessageTypes.h"

class DeviceRegistry;

// Messages the detection thread sends the main window (and waits for).
inline constexpr uint32_t DeviceArrivedMessage = 0x0C12;  // wParam: slot
inline constexpr uint32_t DeviceRemovedMessage = 0x0C13;  // wParam: slot

// The device detection loop, run on thread slot 0: every pass (at most
// 100 ms apart, sooner when a hotplug event arrives) it binds newly attached
// interfaces of supported devices to free registry slots and frees the slots
// whose devices are gone, telling the window about each. After the first
// pass it posts the instance message, which shows the window.
class DeviceDetector {
 public:
  static constexpr int kPassIntervalMs = 100;
  // While the kernel's list of nodes stays the same, the nodes are read
  // fully only every this many passes (a node may become usable without
  // changing, e.g. when its permissions change).
  static constexpr int kFullPassEvery = 20;

  DeviceDetector(DeviceRegistry& registry, platform::WindowHandle window, uint32_t instanceMessage)
      : registry_(registry), window_(window), instanceMessage_(instanceMessage) {}

  // Runs until `stop` is set.
  void Run(const platform::Event& stop);
  // One pass; false when enumeration failed.
  bool Pass();
  // Passes that enumerated the interfaces (none while every slot is bound).
  int EnumeratingPasses() const { return enumerations_; }

 private:
  void CheckRemovals();

  DeviceRegistry& registry_;
  platform::WindowHandle window_;
  uint32_t instanceMessage_;
  int enumerations_ = 0;
  std::string lastSignature_;
  int quietPasses_ = 0;
  bool woken_ = false;
};
