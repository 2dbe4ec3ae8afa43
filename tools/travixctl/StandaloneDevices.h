#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "app/DeviceManager.h"
#include "app/DeviceRegistry.h"
#include "travixctl/StandaloneDevice.h"

namespace travixctl {

// The attached devices, found and opened by travixctl itself (Travix is
// not running and the device lock is ours): one pass of the program's
// detection over the HID nodes, the program's device manager to open the
// command interfaces (cable wins over receiver), and a StandaloneDevice for
// each. Event interfaces are left closed: nobody is here to hear them.
class StandaloneDevices : private DeviceManager::Listener {
 public:
  using Clock = std::chrono::steady_clock;

  explicit StandaloneDevices(Clock::time_point deadline);
  ~StandaloneDevices() override;

  // Finds and opens the devices, and waits for the opens (or the deadline).
  void Open();
  // Reads `device`'s settings once (first contact), the profile's files
  // given first. False when it did not answer in time.
  bool Read(StandaloneDevice& device);

  // The devices of a kind ("keyboard", ...) in the order the program lists
  // them; every device when `word` is empty.
  std::vector<StandaloneDevice*> Devices(const QString& word = {}) const;
  // Whether the device answers through its receiver.
  static bool ByReceiver(StandaloneDevice& device);
  // Whether its command interface is open and, by receiver, the device
  // behind it answered the link check.
  bool Online(StandaloneDevice& device) const;

  // Runs the event loop until `ready` or the deadline; false on the
  // deadline.
  bool WaitUntil(const std::function<bool()>& ready) const;

 private:
  void DeviceOpened(DeviceCore& core, bool receiver) override;
  void DeviceClosed(DeviceCore& core) override;
  void DeviceSwitched(DeviceCore& core, bool wireless) override;
  StandaloneDevice* Of(DeviceCore& core) const;

  Clock::time_point deadline_;
  DeviceRegistry registry_;
  DeviceManager manager_;
  std::vector<std::unique_ptr<StandaloneDevice>> devices_;
  std::vector<DeviceCore*> linked_;  // by receiver, the device answered
  int linkChecks_ = 0;
};

}  // namespace travixctl
