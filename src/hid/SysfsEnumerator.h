#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hid {

// What sysfs tells about one hidraw node.
struct HidrawNodeInfo {
  std::string node;          // "hidraw3"
  std::string devicePath;    // device root + "/hidraw3"
  std::string hidDeviceDir;  // "0003:320F:5055.000A": changes on every bind
  uint16_t bus = 0;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t version = 0;      // the USB device's bcdDevice
  int interfaceNumber = -1;  // the USB interface's bInterfaceNumber
  std::string name;
  std::vector<uint8_t> descriptor;
};

// The interface path of one top-level collection of a node, in the form the
// device tables match: "<node>?vid_320f&pid_5055&mi_01&col04".
struct InterfacePath {
  std::string devicePath;  // the node, before "?"
  int collection = 0;      // 1-based; 0 when the node has a single collection
};

// Reads the kernel's hidraw devices from sysfs. The roots come from
// TRAVIX_SYSFS_ROOT and TRAVIX_DEV_ROOT (default /sys and /dev), so tests and
// the device simulator can stand in for the kernel.
class SysfsEnumerator {
 public:
  static std::string SysfsRoot();
  static std::string DevRoot();

  // Every USB hidraw node, in node-number order. A missing class folder is an
  // empty list. Nodes of other buses (Bluetooth, I2C) are left out.
  static std::vector<HidrawNodeInfo> ListNodes();
  // The hidraw nodes as the kernel lists them, each with the device it links
  // to: changes whenever a node comes, goes or is bound to another device.
  // Much cheaper than reading the nodes.
  static std::string NodeSignature();
  static std::optional<HidrawNodeInfo> ReadNode(const std::string& node);
  // One path per top-level collection of the node's descriptor.
  static std::vector<std::string> InterfacePathsOf(const HidrawNodeInfo& node);
  // Every interface path of the machine.
  static std::vector<std::string> EnumeratePaths();

  static std::optional<InterfacePath> ParsePath(const std::string& path);
};

}  // namespace hid
