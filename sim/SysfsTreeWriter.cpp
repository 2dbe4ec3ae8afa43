#include "sim/SysfsTreeWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace sim {

namespace {

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0,
                   unsigned d = 0) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
  return buffer;
}

}  // namespace

SysfsTreeWriter::SysfsTreeWriter(std::string sysRoot) : sysRoot_(std::move(sysRoot)) {
  fs::create_directories(fs::path(sysRoot_) / "class" / "hidraw");
}

std::string SysfsTreeWriter::AddUsbNode(uint16_t vendor, uint16_t product, int interfaceNumber,
                                        int port, uint16_t bcdDevice,
                                        const std::vector<uint8_t>& descriptor,
                                        const std::string& name) {
  const fs::path classDir = fs::path(sysRoot_) / "class" / "hidraw";
  int number = 0;
  while (fs::exists(fs::symlink_status(classDir / ("hidraw" + std::to_string(number)))))
    ++number;
  const std::string node = "hidraw" + std::to_string(number);

  const std::string usbName = "1-" + std::to_string(port);
  const fs::path usbDevice =
      fs::path(sysRoot_) / "devices" / "pci0000:00" / "0000:00:14.0" / "usb1" / usbName;
  fs::create_directories(usbDevice);
  Write(usbDevice / "bcdDevice", Format("%04x\n", bcdDevice));
  Write(usbDevice / "idVendor", Format("%04x\n", vendor));
  Write(usbDevice / "idProduct", Format("%04x\n", product));
  const fs::path usbInterface = usbDevice / (usbName + ":1." + std::to_string(interfaceNumber));
  fs::create_directories(usbInterface);
  Write(usbInterface / "bInterfaceNumber", Format("%02x\n", static_cast<unsigned>(interfaceNumber)));

  const std::string hidName = Format("0003:%04X:%04X.%04X", vendor, product,
                                     static_cast<unsigned>(sequence_++));
  const fs::path hidDir = usbInterface / hidName;
  fs::create_directories(hidDir / "hidraw" / node);
  Write(hidDir / "uevent",
        Format("DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\n", vendor, product) +
            "HID_NAME=" + name + "\n");
  Write(hidDir / "report_descriptor", std::string(descriptor.begin(), descriptor.end()));
  Write(hidDir / "hidraw" / node / "dev", "242:" + std::to_string(number) + "\n");
  fs::create_symlink(fs::path("../../..") / hidName, hidDir / "hidraw" / node / "device");
  const fs::path target =
      fs::path("../..") / fs::relative(hidDir / "hidraw" / node, fs::path(sysRoot_));
  fs::create_symlink(target, classDir / node);
  return node;
}

void SysfsTreeWriter::RemoveNode(const std::string& node) {
  const fs::path link = fs::path(sysRoot_) / "class" / "hidraw" / node;
  std::error_code ec;
  const fs::path hidDir = fs::canonical(link / "device", ec);
  fs::remove(link, ec);
  if (!ec)
    fs::remove_all(hidDir, ec);
}

}  // namespace sim
