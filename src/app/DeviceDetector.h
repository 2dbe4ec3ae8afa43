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
// 100 ms apart, at once when a hotplug event arrives; a second apart while
// hotplug events are watched) it binds newly attached
// interfaces of supported devices to free registry slots and frees the slots
// whose devices are gone, telling the window about each. After the first
// pass it posts the instance message, which shows the window.
class DeviceDetector {
 public:
  static constexpr int kPassIntervalMs = 100;
  // While hotplug events wake the loop, the passes in between only catch
  // what no event tells.
  static constexpr int kWatchedPassIntervalMs = 1000;
  // While the kernel's list of nodes stays the same, the nodes are read
  // fully only this often (a node may become usable without changing, e.g.
  // when its permissions change).
  static constexpr int kFullPassMs = 2000;
  // Short passes that look again at a node whose device could not be opened.
  static constexpr int kOpenRetries = 10;

  DeviceDetector(DeviceRegistry& registry, platform::WindowHandle window, uint32_t instanceMessage)
      : registry_(registry), window_(window), instanceMessage_(instanceMessage) {}

  // Runs until `stop` is set.
  void Run(const platform::Event& stop);
  // One pass; false when enumeration failed.
  bool Pass();
  // Passes that enumerated the interfaces (none while every slot is bound).
  int EnumeratingPasses() const { return enumerations_; }
  // Whether hotplug events are watched (the passes are further apart).
  void SetWatched(bool watched) { intervalMs_ = watched ? kWatchedPassIntervalMs : kPassIntervalMs; }
  int PassIntervalMs() const { return intervalMs_; }
  // Passes with the same nodes between two full reads.
  int FullPassEvery() const { return kFullPassMs / intervalMs_; }
  // Whether the next pass comes soon to try a device that could not be
  // opened.
  bool Retrying() const { return retrying_; }

 private:
  void CheckRemovals();

  DeviceRegistry& registry_;
  platform::WindowHandle window_;
  uint32_t instanceMessage_;
  int enumerations_ = 0;
  std::string lastSignature_;
  int quietPasses_ = 0;
  int intervalMs_ = kPassIntervalMs;
  int retriesLeft_ = kOpenRetries;
  bool retrying_ = false;
  bool woken_ = false;
};
