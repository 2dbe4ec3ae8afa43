#include "devicecore/DeviceCore.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "platform/DebugChannel.h"
#include "protocol/ParameterBlocks.h"
#include "platform/ThreadRole.h"

DeviceCore::DeviceCore()
    : worker_("device worker"),
      lightThread_("MS灯光线程设定退出", 1000),
      wiredReader_("MS设备同步线程设定退出", 1000),
      receiverReader_("MS设备同步线程设定退出", 1000) {}

DeviceCore::~DeviceCore() {
  Commands.IsOpen = false;
  Commands.Wired.Interrupt();
  Commands.Receiver.Interrupt();
  StopWorker();
  StopThreads();
  std::lock_guard lock(Commands.IoLock);
  Commands.Wired.Close();
  Commands.Receiver.Close();
}

// --- Worker ------------------------------------------------------------------

bool DeviceCore::Post(platform::SerialWorker::Job job, const std::string& key) {
  const bool posted = worker_.Post(
      this,
      [this, job = std::move(job)]() -> platform::SerialWorker::Completion {
        platform::SerialWorker::Completion completion = job();
        return [this, completion = std::move(completion)] {
          --outstanding_;
          if (completion)
            completion();
        };
      },
      key);
  if (posted)
    ++outstanding_;
  return posted;
}

void DeviceCore::StopWorker() {
  // What is on its way is cut short: the link counts as closed and a
  // pending transfer is interrupted, so a job still running fails its
  // remaining exchanges at once. It is waited for however long its pauses
  // take: nothing of the core may go while it runs.
  Commands.IsOpen = false;
  Commands.Wired.Interrupt();
  Commands.Receiver.Interrupt();
  worker_.Stop(platform::kInfinite);
}

void DeviceCore::PauseDevice(int ms) {
  platform::CheckNotUiThread("device pause");
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// --- Connections ---------------------------------------------------------------

void DeviceCore::OpenCommand(const std::string& path, bool receiver, bool setMode,
                             std::function<void(bool)> done) {
  Run<bool>(
      [this, path, receiver, setMode] {
        std::lock_guard lock(Commands.IoLock);
        hid::HidDevice& link = receiver ? Commands.Receiver : Commands.Wired;
        if (!link.Open(path, true, true, true, false)) {
          platform::DebugPrint("command interface could not be opened: %s", path.c_str());
          return false;
        }
        if (setMode)
          Commands.SetMode(receiver ? 2 : 1);
        (receiver ? receiverVersion_ : cableVersion_) = link.Attributes.VersionNumber;
        Commands.IsOpen = true;
        return true;
      },
      std::move(done));
}

void DeviceCore::CloseCommand(std::function<void()> done) {
  Commands.IsOpen = false;
  Commands.Wired.Interrupt();
  Commands.Receiver.Interrupt();
  Run<bool>(
      [this] {
        std::lock_guard lock(Commands.IoLock);
        Commands.Wired.Close();
        Commands.Receiver.Close();
        return true;
      },
      [done = std::move(done)](bool) {
        if (done)
          done();
      });
}

void DeviceCore::SwitchCommand(const std::string& cablePath, const std::string& receiverPath,
                               std::function<void(bool)> done) {
  // What runs on the link being left is cut short; the job itself runs after
  // the jobs queued before it, so it decides the direction then.
  Commands.IsOpen = false;
  (Commands.WirelessMode ? Commands.Receiver : Commands.Wired).Interrupt();
  Run<bool>(
      [this, cablePath, receiverPath] {
        const bool toReceiver = !Commands.WirelessMode;
        const std::string& path = toReceiver ? receiverPath : cablePath;
        bool opened = false;
        {
          std::lock_guard lock(Commands.IoLock);
          hid::HidDevice& from = toReceiver ? Commands.Wired : Commands.Receiver;
          hid::HidDevice& to = toReceiver ? Commands.Receiver : Commands.Wired;
          from.Close();
          opened = to.Open(path, true, true, true, false);
          if (opened) {
            (toReceiver ? receiverVersion_ : cableVersion_) = to.Attributes.VersionNumber;
            Commands.SetMode(toReceiver ? 2 : 1);
            Commands.IsOpen = true;
          }
        }
        if (!opened)
          platform::DebugPrint("connection switch failed: %s", path.c_str());
        return opened;
      },
      std::move(done));
}

bool DeviceCore::CheckWirelessLink(std::function<void(bool)> done, const std::string& purpose,
                                   int tries, int pauseMs) {
  return Run<bool>(
      [this, tries, pauseMs] {
        for (int attempt = 0; attempt < std::max(tries, 1); ++attempt) {
          if (!Commands.IsOpen)
            return false;
          if (!Commands.WirelessMode || Commands.QueryWirelessLink())
            return true;
          if (tries > 1)
            platform::DebugOutput("获取2.4G模式失败");
          if (attempt + 1 < tries && pauseMs > 0)
            PauseDevice(pauseMs);
        }
        return false;
      },
      std::move(done), purpose);
}

void DeviceCore::TakeLightControl() {
  Run<int>([this] { return Commands.IsOpen ? Commands.TakeLightControl() : 0; }, {});
}

// --- Event interfaces ------------------------------------------------------------

void DeviceCore::SetEventThreadStyle(const std::string& exitLine, int stopLimitMs) {
  wiredReader_.Configure(exitLine, stopLimitMs);
  receiverReader_.Configure(exitLine, stopLimitMs);
}

void DeviceCore::SetLightThreadStyle(const std::string& exitLine, int stopLimitMs) {
  lightThread_.Configure(exitLine, stopLimitMs);
}

void DeviceCore::StopThreads() {
  lightThread_.Stop();
  CloseEventInterface(false);
  CloseEventInterface(true);
}

bool DeviceCore::OpenEventInterface(const std::string& path, bool receiver) {
  DeviceThread& reader = ReaderOf(receiver);
  hid::HidDevice& device = receiver ? Events.Receiver : Events.Wired;
  std::atomic<bool>& open = receiver ? Events.WirelessMode : Events.IsOpen;
  // A reader of the interface being replaced ends first.
  CloseEventInterface(receiver);
  if (path.empty())
    return false;
  {
    std::lock_guard lock(Events.IoLock);
    if (!device.Open(path, true, true, true, false))
      return false;
    open = true;
  }
  reader.Start([this, receiver](const platform::Event& stop) { ReadOneEvent(receiver, stop); });
  return true;
}

void DeviceCore::CloseEventInterface(bool receiver) {
  DeviceThread& reader = ReaderOf(receiver);
  hid::HidDevice& device = receiver ? Events.Receiver : Events.Wired;
  std::atomic<bool>& open = receiver ? Events.WirelessMode : Events.IsOpen;
  // Closed first: a reader that sees its stop (and ends) never leaves an
  // interface marked open behind it.
  open = false;
  reader.SignalStop();
  {
    // Closing cuts the reader's pending read short; the reader holds no lock
    // while it waits, so this never blocks on it.
    std::lock_guard lock(Events.IoLock);
    device.Close();
  }
  reader.Stop();
}

bool DeviceCore::IsEventInterfaceOpen(bool receiver) const {
  return receiver ? Events.WirelessMode.load() : Events.IsOpen.load();
}

void DeviceCore::ReadOneEvent(bool receiver, const platform::Event& stop) {
  hid::HidDevice& device = receiver ? Events.Receiver : Events.Wired;
  const std::atomic<bool>& open = receiver ? Events.WirelessMode : Events.IsOpen;
  if (!open)
    return;
  std::array<uint8_t, 64> report{};
  const size_t length = std::clamp<size_t>(device.Caps.InputReportByteLength, 1, report.size());
  uint32_t transferred = 0;
  if (device.Read(std::span(report.data(), length), transferred, platform::kInfinite) != 1) {
    // A device that is gone stays gone until the detection loop notices it:
    // do not spin on it meanwhile.
    if (device.IsGone())
      stop.Wait(50);
    return;
  }
  if (!device.UnpackInputReport(std::span(report.data(), transferred)))
    return;
  if (device.InputData.empty() || device.InputData[0].Usages.empty())
    return;
  const uint16_t code = device.InputData[0].Usages[0];
  if (eventHandler_)
    eventHandler_(code, receiver);
  else
    platform::DebugPrint("device event %04x (%s)", code, receiver ? "receiver" : "cable");
}

// --- Light points ----------------------------------------------------------------

void DeviceCore::SetLedCount(int count) {
  if (count < 0)
    return;
  if (count != LedCount())
    ledColours_ = std::vector<std::atomic<uint32_t>>(static_cast<size_t>(count));
  ClearLeds();
}

void DeviceCore::ClearLeds() {
  for (auto& colour : ledColours_)
    colour = 0;
}

void DeviceCore::SetLedColour(int index, uint32_t colour) {
  if (index < 0 || index >= LedCount())
    return;
  ledColours_[static_cast<size_t>(index)] = colour;
}

uint32_t DeviceCore::GetLedColour(int index) const {
  if (index < 0 || index >= LedCount())
    return 0;
  return ledColours_[static_cast<size_t>(index)];
}

void DeviceCore::PollPowerStatus(std::function<void(std::optional<PowerBytes>)> done) {
  Run<std::optional<PowerBytes>>(
      [this]() -> std::optional<PowerBytes> {
        if (!Commands.IsOpen || (PowerNeedsWirelessLink() && !Commands.QueryWirelessLink()))
          return std::nullopt;
        PowerBytes status{};
        if (Commands.ReadPowerStatus(status, 0) != 1)
          return std::nullopt;
        status[protocol::PowerStatus::kWirelessOffset] = Commands.WirelessMode ? 1 : 0;
        return status;
      },
      std::move(done), "power");
}

bool DeviceCore::ReadActiveBlock(std::span<uint8_t> block, size_t stride) {
  if (!Commands.IsOpen || block.empty())
    return false;
  std::array<uint8_t, 1> active{};
  if (Commands.ReadParameters(active, protocol::kActiveProfileAddress) != 1)
    return false;
  if (Commands.ReadParameters(block, static_cast<uint16_t>(active[0] * stride)) != 1)
    return false;
  block[protocol::BlockLighting::kActiveProfileOffset] = active[0];
  return true;
}

void DeviceCore::CheckStoredSettings(std::function<void(Stored)> done) {
  if (done)
    done(Stored::Unread);
}

void DeviceCore::ReportSettingsLost() {
  platform::DebugPrint("device %04x:%04x holds other settings than its profile; writing the profile again",
                       identity_.VendorId, identity_.ProductId);
  if (!settingsLost_)
    return;
  QMetaObject::invokeMethod(this, [this] {
    if (settingsLost_)
      settingsLost_();
  }, Qt::QueuedConnection);
}
