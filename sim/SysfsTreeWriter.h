#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Writes hidraw devices into a sysfs tree laid out as the kernel does:
//   class/hidraw/hidrawN -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-P/1-P:1.I/0003:VVVV:PPPP.NNNN/hidraw/hidrawN
//   .../hidrawN/device -> ../../../0003:VVVV:PPPP.NNNN (uevent, report_descriptor)
//   .../1-P:1.I/bInterfaceNumber, .../1-P/{bcdDevice,idVendor,idProduct}
class SysfsTreeWriter {
 public:
  explicit SysfsTreeWriter(std::string sysRoot);

  // Returns the node name ("hidrawN"); N is the lowest free number.
  std::string AddUsbNode(uint16_t vendor, uint16_t product, int interfaceNumber, int port,
                         uint16_t bcdDevice, const std::vector<uint8_t>& descriptor,
                         const std::string& name);
  void RemoveNode(const std::string& node);

 private:
  std::string sysRoot_;
  int sequence_ = 1;
};

}  // namespace sim
