#include "hid/SysfsEnumerator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hid/HidReportDescriptor.h"

namespace fs = std::filesystem;

namespace hid {

namespace {

std::string EnvOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? std::string(value) : std::string(fallback);
}

std::optional<std::string> ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  std::string text = out.str();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

std::optional<unsigned long> ParseHex(const std::string& text) {
  if (text.empty())
    return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 16);
  if (end == text.c_str() || *end != '\0')
    return std::nullopt;
  return value;
}

int NodeNumber(const std::string& node) {
  return std::atoi(node.c_str() + std::string("hidraw").size());
}

}  // namespace

std::string SysfsEnumerator::SysfsRoot() { return EnvOr("TRAVIX_SYSFS_ROOT", "/sys"); }
std::string SysfsEnumerator::DevRoot() { return EnvOr("TRAVIX_DEV_ROOT", "/dev"); }

std::optional<HidrawNodeInfo> SysfsEnumerator::ReadNode(const std::string& node) {
  std::error_code ec;
  const fs::path classEntry = fs::path(SysfsRoot()) / "class" / "hidraw" / node;
  const fs::path hidDir = fs::canonical(classEntry / "device", ec);
  if (ec)
    return std::nullopt;

  HidrawNodeInfo info;
  info.node = node;
  info.devicePath = DevRoot() + "/" + node;
  info.hidDeviceDir = hidDir.filename().string();

  const auto uevent = ReadText(hidDir / "uevent");
  if (!uevent)
    return std::nullopt;
  std::istringstream lines(*uevent);
  std::string line;
  bool haveId = false;
  while (std::getline(lines, line)) {
    if (line.rfind("HID_ID=", 0) == 0) {
      unsigned bus = 0, vendor = 0, product = 0;
      if (std::sscanf(line.c_str() + 7, "%x:%x:%x", &bus, &vendor, &product) == 3) {
        info.bus = static_cast<uint16_t>(bus);
        info.vendorId = static_cast<uint16_t>(vendor);
        info.productId = static_cast<uint16_t>(product);
        haveId = true;
      }
    } else if (line.rfind("HID_NAME=", 0) == 0) {
      info.name = line.substr(9);
    }
  }
  if (!haveId)
    return std::nullopt;

  std::ifstream descriptor(hidDir / "report_descriptor", std::ios::binary);
  if (!descriptor)
    return std::nullopt;
  info.descriptor.assign(std::istreambuf_iterator<char>(descriptor), {});

  // USB: the interface folder holds the HID device, the USB device folder
  // holds the interface.
  if (const auto number = ReadText(hidDir.parent_path() / "bInterfaceNumber"))
    if (const auto value = ParseHex(*number))
      info.interfaceNumber = static_cast<int>(*value);
  if (const auto bcd = ReadText(hidDir.parent_path().parent_path() / "bcdDevice"))
    if (const auto value = ParseHex(*bcd))
      info.version = static_cast<uint16_t>(*value);
  return info;
}

std::string SysfsEnumerator::NodeSignature() {
  std::error_code ec;
  const fs::path folder = fs::path(SysfsRoot()) / "class" / "hidraw";
  std::vector<std::string> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code linkError;
    const fs::path target = fs::read_symlink(it->path(), linkError);
    entries.push_back(it->path().filename().string() + "=" + (linkError ? std::string() : target.string()));
  }
  std::sort(entries.begin(), entries.end());
  std::string signature;
  for (const std::string& entry : entries)
    signature += entry + "\n";
  return signature;
}

std::vector<HidrawNodeInfo> SysfsEnumerator::ListNodes() {
  std::vector<HidrawNodeInfo> nodes;
  std::error_code ec;
  const fs::path folder = fs::path(SysfsRoot()) / "class" / "hidraw";
  fs::directory_iterator it(folder, ec);
  if (ec)
    return nodes;
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("hidraw", 0) != 0)
      continue;
    auto info = ReadNode(name);
    // Only USB devices carry interface numbers; the supported devices are all USB.
    if (info && info->bus == 0x0003 && info->interfaceNumber >= 0)
      nodes.push_back(std::move(*info));
  }
  std::sort(nodes.begin(), nodes.end(), [](const HidrawNodeInfo& a, const HidrawNodeInfo& b) {
    return NodeNumber(a.node) < NodeNumber(b.node);
  });
  return nodes;
}

std::vector<std::string> SysfsEnumerator::InterfacePathsOf(const HidrawNodeInfo& node) {
  std::vector<std::string> paths;
  const auto descriptor = HidReportDescriptor::Parse(node.descriptor);
  if (!descriptor || descriptor->Collections().empty())
    return paths;
  const size_t count = descriptor->Collections().size();
  for (size_t i = 0; i < count; ++i) {
    char markers[64];
    if (count == 1)
      std::snprintf(markers, sizeof markers, "?vid_%04x&pid_%04x&mi_%02x", node.vendorId,
                    node.productId, static_cast<unsigned>(node.interfaceNumber));
    else
      std::snprintf(markers, sizeof markers, "?vid_%04x&pid_%04x&mi_%02x&col%02x",
                    node.vendorId, node.productId, static_cast<unsigned>(node.interfaceNumber),
                    static_cast<unsigned>(i + 1));
    paths.push_back(node.devicePath + markers);
  }
  return paths;
}

std::vector<std::string> SysfsEnumerator::EnumeratePaths() {
  std::vector<std::string> paths;
  for (const HidrawNodeInfo& node : ListNodes())
    for (std::string& path : InterfacePathsOf(node))
      paths.push_back(std::move(path));
  return paths;
}

std::optional<InterfacePath> SysfsEnumerator::ParsePath(const std::string& path) {
  const size_t mark = path.find('?');
  if (mark == std::string::npos || mark == 0)
    return std::nullopt;
  InterfacePath result;
  result.devicePath = path.substr(0, mark);
  std::string markers = path.substr(mark + 1);
  std::transform(markers.begin(), markers.end(), markers.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const size_t col = markers.find("&col");
  if (col != std::string::npos)
    result.collection = static_cast<int>(std::strtoul(markers.c_str() + col + 4, nullptr, 16));
  return result;
}

}  // namespace hid
