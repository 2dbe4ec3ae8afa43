#pragma once

#include <QTemporaryDir>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// Report descriptors of the supported devices' interfaces.
std::vector<uint8_t> FourCollectionDescriptor();  // interface 1: keyboard, system, consumer, vendor
std::vector<uint8_t> BootKeyboardDescriptor();
std::vector<uint8_t> BootMouseDescriptor();

// A sysfs and /dev tree laid out like a real kernel's, in a temporary folder,
// with TRAVIX_SYSFS_ROOT and TRAVIX_DEV_ROOT pointing at it while it lives.
//   sys/class/hidraw/hidrawN -> ../../devices/pci0000:00/0000:00:14.0/usb1/1-P/1-P:1.I/BBBB:VVVV:PPPP.NNNN/hidraw/hidrawN
//   .../hidrawN/device -> ../../../BBBB:VVVV:PPPP.NNNN   (uevent, report_descriptor)
//   .../1-P:1.I/bInterfaceNumber, .../1-P/bcdDevice
class FakeHidTree {
 public:
  FakeHidTree();
  ~FakeHidTree();

  // Adds a USB node; returns its name ("hidrawN").
  std::string AddUsbNode(uint16_t vendor, uint16_t product, int interfaceNumber,
                         const std::vector<uint8_t>& descriptor, uint16_t bcdDevice = 0x0103,
                         int port = 2);
  // A node of another bus (Bluetooth), which the program leaves alone.
  std::string AddBluetoothNode(uint16_t vendor, uint16_t product,
                               const std::vector<uint8_t>& descriptor);
  void RemoveNode(const std::string& node);
  // Binds the node again (as after a re-plug): same number, new device folder.
  void Rebind(const std::string& node);

  std::string SysRoot() const;
  std::string DevRoot() const;
  std::string HidDir(const std::string& node) const;

 private:
  struct Node {
    std::string name;
    std::string hidDir;  // absolute
    std::string parent;  // the interface folder
  };
  std::string WriteHidDevice(const std::string& parent, uint16_t bus, uint16_t vendor,
                             uint16_t product, const std::vector<uint8_t>& descriptor,
                             const std::string& node);

  QTemporaryDir dir_;
  std::vector<Node> nodes_;
  int nextNode_ = 0;
  int nextSequence_ = 1;
  QByteArray savedSys_, savedDev_;
};

// A device node served over a Unix seqpacket socket, as the simulator does:
// every connection gets every report sent with SendReport; what the program
// writes is collected.
class SocketNode {
 public:
  explicit SocketNode(const std::string& path);
  ~SocketNode();

  // Sends one report (hidraw form: with the id byte for numbered reports).
  void SendReport(const std::vector<uint8_t>& report);
  std::vector<std::vector<uint8_t>> Written();
  int Connections() const { return connections_.load(); }
  // Drops every connection, as an unplugged device would.
  void DropAll();

 private:
  void Serve();

  std::string path_;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<int> clients_;
  std::vector<std::vector<uint8_t>> written_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace testing_support
