#include "sim/DeviceSimulator.h"

#include <atomic>
#include <filesystem>

#include "protocol/DeviceCommand.h"
#include "protocol/HeadsetLightReport.h"
#include "sim/SimDescriptors.h"

namespace sim {

namespace {

struct ConnectionSpec {
  const char* name;
  DeviceKind kind;
  uint16_t vendor;
  uint16_t product;
  int interfaceNumber;
  int port;
  bool receiver;
  uint16_t bcdDevice;
  const char* productName;
};

constexpr ConnectionSpec kConnections[] = {
    {"keyboard", DeviceKind::Keyboard, 0x320F, 0x5055, 1, 2, false, 0x0103, "Simulated Keyboard"},
    {"keyboard-receiver", DeviceKind::Keyboard, 0x320F, 0x5088, 1, 3, true, 0x0103,
     "Simulated Keyboard Receiver"},
    {"mouse", DeviceKind::Mouse, 0x320F, 0x50EF, 1, 4, false, 0x0102, "Simulated Mouse"},
    {"mouse-receiver", DeviceKind::Mouse, 0x320F, 0x221D, 1, 5, true, 0x0102,
     "Simulated Mouse Receiver"},
    {"pad", DeviceKind::Pad, 0x320F, 0x1004, 1, 6, false, 0x0101, "Simulated Mouse Pad"},
    {"headset", DeviceKind::Headset, 0x0C76, 0x1630, 3, 7, false, 0x0100, "Simulated Headset"},
};

const ConnectionSpec* Find(const std::string& name) {
  for (const ConnectionSpec& entry : kConnections)
    if (name == entry.name)
      return &entry;
  return nullptr;
}

constexpr uint8_t kCommandReport = protocol::DeviceCommand::kReportId;
constexpr uint8_t kEventReport = 3;
constexpr uint8_t kHeadsetLightReport = protocol::HeadsetLightReport::kReportId;

}  // namespace

DeviceSimulator::DeviceSimulator(std::string root)
    : root_(std::move(root)), sysfs_(root_ + "/sys") {
  std::filesystem::create_directories(DevRoot());
  for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::Pad,
                          DeviceKind::Headset})
    firmware_[kind] = std::make_unique<FirmwareModel>(kind);
}

DeviceSimulator::~DeviceSimulator() {
  for (const std::string& name : ConnectionNames())
    Unplug(name);
  std::error_code ec;
  std::filesystem::remove_all(SysRoot(), ec);
  std::filesystem::remove(DevRoot(), ec);
}

const std::vector<std::string>& DeviceSimulator::ConnectionNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> list;
    for (const ConnectionSpec& entry : kConnections)
      list.emplace_back(entry.name);
    return list;
  }();
  return names;
}

FirmwareModel& DeviceSimulator::Firmware(DeviceKind kind) { return *firmware_.at(kind); }

void DeviceSimulator::HandleOutput(DeviceKind kind, bool viaReceiver, SimulatedNode* node,
                                   std::span<const uint8_t> report) {
  if (report.empty() || node == nullptr)
    return;
  FirmwareModel& firmware = Firmware(kind);
  if (kind == DeviceKind::Headset &&
      report[protocol::HeadsetLightReport::kReportIdOffset] == kHeadsetLightReport) {
    firmware.HandleLightReport(report);
    return;
  }
  if (report[protocol::DeviceCommand::kReportIdOffset] != kCommandReport)
    return;
  // Answers are input reports of the node: every connection sees them.
  for (const Report& answer : firmware.HandleRequest(report, viaReceiver))
    node->Broadcast(std::vector<uint8_t>(answer.begin(), answer.end()));
}

bool DeviceSimulator::Plug(const std::string& connection) {
  const ConnectionSpec* entry = Find(connection);
  if (entry == nullptr)
    return false;
  std::lock_guard lock(mutex_);
  if (plugged_.count(connection) != 0)
    return false;
  const std::vector<uint8_t> descriptor = entry->kind == DeviceKind::Headset
                                              ? HeadsetInterfaceDescriptor()
                                              : CommandInterfaceDescriptor();
  const std::string node = sysfs_.AddUsbNode(entry->vendor, entry->product, entry->interfaceNumber,
                                             entry->port, entry->bcdDevice, descriptor,
                                             entry->productName);
  auto slot = std::make_shared<std::atomic<SimulatedNode*>>(nullptr);
  const DeviceKind kind = entry->kind;
  const bool receiver = entry->receiver;
  auto server = std::make_unique<SimulatedNode>(
      DevRoot() + "/" + node, [this, kind, receiver, slot](std::span<const uint8_t> report) {
        HandleOutput(kind, receiver, slot->load(), report);
      });
  if (!server->IsListening()) {
    sysfs_.RemoveNode(node);
    return false;
  }
  slot->store(server.get());
  plugged_[connection] = Plugged{node, kind, std::move(server)};
  return true;
}

bool DeviceSimulator::Unplug(const std::string& connection) {
  Plugged removed;
  {
    std::lock_guard lock(mutex_);
    auto it = plugged_.find(connection);
    if (it == plugged_.end())
      return false;
    removed = std::move(it->second);
    plugged_.erase(it);
  }
  // Like the kernel: the sysfs entry goes, open files see the hang-up.
  sysfs_.RemoveNode(removed.node);
  removed.server.reset();
  return true;
}

std::vector<std::string> DeviceSimulator::List() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> list;
  for (const ConnectionSpec& entry : kConnections) {
    auto it = plugged_.find(entry.name);
    if (it != plugged_.end())
      list.push_back(std::string(entry.name) + " " + it->second.node);
  }
  return list;
}

std::optional<std::string> DeviceSimulator::NodeOf(const std::string& connection) const {
  std::lock_guard lock(mutex_);
  auto it = plugged_.find(connection);
  if (it == plugged_.end())
    return std::nullopt;
  return it->second.node;
}

bool DeviceSimulator::SendEvent(DeviceKind kind, uint16_t code) {
  // The headset has no event collection: its only one carries the commands.
  if (kind == DeviceKind::Headset)
    return false;
  std::lock_guard lock(mutex_);
  bool sent = false;
  for (auto& [name, plugged] : plugged_) {
    if (plugged.kind != kind)
      continue;
    plugged.server->Broadcast({kEventReport, static_cast<uint8_t>(code & 0xFF),
                               static_cast<uint8_t>(code >> 8)});
    sent = true;
  }
  return sent;
}

}  // namespace sim

namespace sim {

int DeviceSimulator::OpenCount(const std::string& connection) const {
  std::lock_guard lock(mutex_);
  auto it = plugged_.find(connection);
  return it == plugged_.end() ? 0 : it->second.server->Connections();
}

}  // namespace sim
