#include "app/DeviceDetector.h"

#include "app/DeviceMatcher.h"
#include "app/DeviceRegistry.h"
#include "hid/HidDevice.h"
#include "hid/HotplugMonitor.h"
#include "hid/SysfsEnumerator.h"
#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"

bool DeviceDetector::Pass() {
  // Nothing came, went or was rebound since the last full look (and no
  // hotplug event woke us): the nodes need not be read again this time.
  const std::string signature = hid::SysfsEnumerator::NodeSignature();
  if (signature != lastSignature_)
    retriesLeft_ = kOpenRetries;
  const bool changed = signature != lastSignature_ || woken_ || retrying_ ||
                       ++quietPasses_ >= FullPassEvery();
  woken_ = false;
  if (!changed && enumerations_ > 0)
    return true;
  quietPasses_ = 0;
  lastSignature_ = signature;
  retrying_ = false;
  if (registry_.AnyFree()) {
    hid::HidDevice probe;
    ++enumerations_;
    if (!probe.EnumerateInterfaces())
      return false;
    bool openFailed = false;
    while (auto path = probe.NextPath()) {
      if (!registry_.IsCandidate(*path))
        continue;
      hid::HidDevice device;
      if (!device.Open(*path, true, false, true, false)) {
        openFailed = true;
        continue;
      }
      InterfaceRecord record = DeviceMatcher::FromPath(*path);
      // What the device says about itself wins over the path.
      record.VendorId = device.Attributes.VendorID;
      record.ProductId = device.Attributes.ProductID;
      record.UsagePage = device.Caps.UsagePage;
      record.Usage = device.Caps.Usage;
      const int slot = registry_.Bind(record, device.HidDeviceDir());
      device.Close();
      if (slot >= 0)
        platform::SendWindowMessage(window_, DeviceArrivedMessage, static_cast<platform::WParam>(slot), 0);
    }
    // A node announced before its device can be opened (its permissions
    // not set yet, say) is tried again soon, a few times.
    retrying_ = openFailed && retriesLeft_ > 0;
    if (retrying_)
      --retriesLeft_;
  }
  CheckRemovals();
  return true;
}

void DeviceDetector::CheckRemovals() {
  const auto slots = registry_.Snapshot();
  for (size_t i = 0; i < slots.size(); ++i) {
    if (slots[i].InUse != 1)
      continue;
    // Still there, and still the same device (node numbers are reused).
    const auto parsed = hid::SysfsEnumerator::ParsePath(slots[i].Path);
    bool present = false;
    if (parsed) {
      const std::string node = parsed->devicePath.substr(parsed->devicePath.rfind('/') + 1);
      const auto info = hid::SysfsEnumerator::ReadNode(node);
      present = info && info->hidDeviceDir == registry_.DeviceDirOf(i);
    }
    if (!present && registry_.Unbind(i)) {
      platform::SendWindowMessage(window_, DeviceRemovedMessage, static_cast<platform::WParam>(i), 0);
      // A freed slot is filled by the next pass (the device may be back).
      lastSignature_.clear();
    }
  }
}

void DeviceDetector::Run(const platform::Event& stop) {
  platform::Event hotplug(platform::Event::Mode::AutoReset);
  hid::HotplugMonitor monitor;
  SetWatched(monitor.Start(hotplug));
  bool first = true;
  const platform::Event* waits[] = {&stop, &hotplug};
  for (;;) {
    if (stop.IsSet()) {
      platform::DebugOutput("抓取设备线程设定退出");
      break;
    }
    const bool ok = Pass();
    if (first) {
      // Also after a failed first pass: otherwise the window never shows.
      platform::PostWindowMessage(window_, instanceMessage_, 0, 0);
      first = false;
    }
    if (!ok)
      break;
    const int woke = platform::WaitForEvents(waits, false, retrying_ ? kPassIntervalMs : intervalMs_);
    if (woke == 0) {
      platform::DebugOutput("抓取设备线程设定退出");
      break;
    }
    woken_ = woke == 1;
  }
  monitor.Stop();
}
