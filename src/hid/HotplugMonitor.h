#pragma once

#include <memory>

#include "platform/Event.h"

namespace hid {

// Watches hidraw nodes come and go and sets an event when one does, so a
// detection loop looks at once instead of at its next pass.
//
// On the system's device tree the kernel's add and remove events come
// through udev; on another tree (TRAVIX_SYSFS_ROOT, the device simulator's)
// its class/hidraw folder is watched with inotify. Without either (udev not
// running, as in containers) it does not start, and the loop's own interval
// finds every change.
class HotplugMonitor {
 public:
  HotplugMonitor();
  ~HotplugMonitor();
  HotplugMonitor(const HotplugMonitor&) = delete;
  HotplugMonitor& operator=(const HotplugMonitor&) = delete;

  // Starts watching; `wake` is set on every node added or removed. False
  // when no source of events can be had.
  bool Start(platform::Event& wake);
  void Stop();
  bool IsRunning() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hid
