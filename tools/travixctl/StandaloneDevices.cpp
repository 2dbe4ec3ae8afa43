#include "travixctl/StandaloneDevices.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "app/DeviceDetector.h"
#include "devicecore/DeviceCore.h"

namespace travixctl {

namespace {

// Tries of the receiver's link check, as the window's connect does.
constexpr int kLinkTries = 3;
constexpr int kLinkPauseMs = 100;

}  // namespace

StandaloneDevices::StandaloneDevices(Clock::time_point deadline)
    : deadline_(deadline), manager_(registry_, *this) {}

StandaloneDevices::~StandaloneDevices() {
  // Each core's worker and threads stop before anything of the core goes:
  // a job still on its way (a device that stopped answering) may use all
  // of it. The cores then close their interfaces.
  for (auto& device : devices_) {
    device->Core().StopWorker();
    device->Core().StopThreads();
    manager_.Unbind(device->Core());
  }
}

void StandaloneDevices::Open() {
  registry_.Reset();
  // One pass of the program's detection; it tells no window.
  DeviceDetector detector(registry_, 0, 0);
  detector.Pass();
  const std::vector<InterfaceRecord> rows = registry_.Snapshot();
  std::vector<size_t> commands;
  for (size_t slot = 0; slot < rows.size(); ++slot) {
    if (rows[slot].InUse != 1 || rows[slot].Role == kRoleEvent)
      continue;
    const int kind = DeviceManager::KindOfType(rows[slot].DeviceType);
    if (kind < 0 || kind >= DeviceManager::KindCount)
      continue;
    commands.push_back(slot);
    const InterfaceRecord key = manager_.KeyRecordOf(slot);
    if (manager_.Find(kind, key) != nullptr)
      continue;
    devices_.push_back(StandaloneDevice::Create(kind));
    devices_.back()->Core().SetIdentity(key);
    manager_.Bind(kind, devices_.back()->Core());
  }
  // The program's order: mouse, keyboard, pad, headset.
  std::stable_sort(devices_.begin(), devices_.end(),
                   [](const auto& a, const auto& b) { return a->Kind() < b->Kind(); });
  for (size_t slot : commands)
    manager_.Connect(slot);
  WaitUntil([this] { return manager_.Settled(); });
  WaitUntil([this] { return linkChecks_ == 0; });
}

bool StandaloneDevices::Read(StandaloneDevice& device) {
  device.LoadFiles();
  bool finished = false;
  bool answered = false;
  device.ReadSettings([&finished, &answered](bool complete) {
    finished = true;
    answered = complete;
  });
  // The device's worker is bounded; the completion may still come after
  // the deadline, and is dropped with the core then.
  return WaitUntil([&finished] { return finished; }) && answered;
}

void StandaloneDevices::DeviceOpened(DeviceCore& core, bool receiver) {
  if (!receiver) {
    linked_.push_back(&core);
    return;
  }
  ++linkChecks_;
  core.CheckWirelessLink(
      [this, &core](bool reachable) {
        --linkChecks_;
        if (reachable)
          linked_.push_back(&core);
      },
      "connect-link", kLinkTries, kLinkPauseMs);
}

void StandaloneDevices::DeviceClosed(DeviceCore& core) {
  linked_.erase(std::remove(linked_.begin(), linked_.end(), &core), linked_.end());
}

void StandaloneDevices::DeviceSwitched(DeviceCore& core, bool wireless) {
  // Met only when the cable and the receiver are both there at the first
  // look: the cable wins, and answers at once.
  if (!wireless && std::find(linked_.begin(), linked_.end(), &core) == linked_.end())
    linked_.push_back(&core);
}

std::vector<StandaloneDevice*> StandaloneDevices::Devices(const QString& word) const {
  std::vector<StandaloneDevice*> found;
  for (const auto& device : devices_)
    if (word.isEmpty() || device->Word() == word)
      found.push_back(device.get());
  return found;
}

bool StandaloneDevices::ByReceiver(StandaloneDevice& device) { return device.Core().Commands.WirelessMode; }

bool StandaloneDevices::Online(StandaloneDevice& device) const {
  DeviceCore* core = &device.Core();
  return core->Commands.IsOpen && std::find(linked_.begin(), linked_.end(), core) != linked_.end();
}

bool StandaloneDevices::WaitUntil(const std::function<bool()>& ready) const {
  while (!ready()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() <= 0)
      return false;
    QEventLoop loop;
    QTimer::singleShot(std::min<int>(static_cast<int>(left.count()), 5), &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

}  // namespace travixctl
