#pragma once

#include <memory>

#include "platform/Event.h"

namespace hid {

// Watches the kernel's hidraw add and remove events (through udev) and sets
// an event when one arrives, so a polling detection loop can look at once
// instead of at its next pass. Without udev (containers, tests) it simply
// does not start; the loop's own interval still finds every change.
class HotplugMonitor {
 public:
  HotplugMonitor();
  ~HotplugMonitor();
  HotplugMonitor(const HotplugMonitor&) = delete;
  HotplugMonitor& operator=(const HotplugMonitor&) = delete;

  // Starts watching; `wake` is set on every hidraw add or remove. False when
  // udev cannot be reached.
  bool Start(platform::Event& wake);
  void Stop();
  bool IsRunning() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hid
