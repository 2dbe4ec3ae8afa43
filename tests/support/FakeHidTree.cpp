#include "support/FakeHidTree.h"

#include "sim/SimDescriptors.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testing_support {

std::vector<uint8_t> FourCollectionDescriptor() { return sim::CommandInterfaceDescriptor(); }

std::vector<uint8_t> BootKeyboardDescriptor() {
  return {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,
          0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
          0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01,
          0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07,
          0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};
}

std::vector<uint8_t> BootMouseDescriptor() {
  return {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
          0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
          0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
          0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
}

namespace {

void WriteFile(const QString& path, const QByteArray& data) {
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(data);
}

}  // namespace

FakeHidTree::FakeHidTree() {
  savedSys_ = qgetenv("TRAVIX_SYSFS_ROOT");
  savedDev_ = qgetenv("TRAVIX_DEV_ROOT");
  QDir(dir_.path()).mkpath("sys/class/hidraw");
  QDir(dir_.path()).mkpath("dev");
  qputenv("TRAVIX_SYSFS_ROOT", SysRoot().c_str());
  qputenv("TRAVIX_DEV_ROOT", DevRoot().c_str());
}

FakeHidTree::~FakeHidTree() {
  qputenv("TRAVIX_SYSFS_ROOT", savedSys_);
  qputenv("TRAVIX_DEV_ROOT", savedDev_);
}

std::string FakeHidTree::SysRoot() const { return dir_.path().toStdString() + "/sys"; }
std::string FakeHidTree::DevRoot() const { return dir_.path().toStdString() + "/dev"; }

std::string FakeHidTree::HidDir(const std::string& node) const {
  for (const Node& n : nodes_)
    if (n.name == node)
      return n.hidDir.substr(n.hidDir.rfind('/') + 1);
  return {};
}

std::string FakeHidTree::WriteHidDevice(const std::string& parent, uint16_t bus, uint16_t vendor,
                                        uint16_t product, const std::vector<uint8_t>& descriptor,
                                        const std::string& node) {
  char name[64];
  std::snprintf(name, sizeof name, "%04X:%04X:%04X.%04X", bus, vendor, product, nextSequence_++);
  const std::string hidDir = parent + "/" + name;
  QDir().mkpath(QString::fromStdString(hidDir + "/hidraw/" + node));
  char uevent[256];
  std::snprintf(uevent, sizeof uevent,
                "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=Test Device %04x\n"
                "HID_PHYS=usb-0000:00:14.0-2/input1\nMODALIAS=hid:b%04Xg0001v%08Xp%08X\n",
                bus, vendor, product, product, bus, vendor, product);
  WriteFile(QString::fromStdString(hidDir + "/uevent"), uevent);
  WriteFile(QString::fromStdString(hidDir + "/report_descriptor"),
            QByteArray(reinterpret_cast<const char*>(descriptor.data()),
                       static_cast<int>(descriptor.size())));
  WriteFile(QString::fromStdString(hidDir + "/hidraw/" + node + "/dev"), "242:0\n");
  // hidrawN/device -> ../../../<hid device>
  QFile::link(QString::fromStdString(std::string("../../../") + name),
              QString::fromStdString(hidDir + "/hidraw/" + node + "/device"));
  // class/hidraw/hidrawN -> ../../devices/.../hidraw/hidrawN
  const std::string sys = SysRoot();
  const std::string relative = "../.." + hidDir.substr(sys.size()) + "/hidraw/" + node;
  QFile::remove(QString::fromStdString(sys + "/class/hidraw/" + node));
  QFile::link(QString::fromStdString(relative),
              QString::fromStdString(sys + "/class/hidraw/" + node));
  return hidDir;
}

std::string FakeHidTree::AddUsbNode(uint16_t vendor, uint16_t product, int interfaceNumber,
                                    const std::vector<uint8_t>& descriptor, uint16_t bcdDevice,
                                    int port) {
  const std::string node = "hidraw" + std::to_string(nextNode_++);
  const std::string usbDevice =
      SysRoot() + "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port);
  char text[16];
  std::snprintf(text, sizeof text, "%04x\n", bcdDevice);
  QDir().mkpath(QString::fromStdString(usbDevice));
  WriteFile(QString::fromStdString(usbDevice + "/bcdDevice"), text);
  std::snprintf(text, sizeof text, "%04x\n", vendor);
  WriteFile(QString::fromStdString(usbDevice + "/idVendor"), text);
  std::snprintf(text, sizeof text, "%04x\n", product);
  WriteFile(QString::fromStdString(usbDevice + "/idProduct"), text);
  const std::string usbInterface =
      usbDevice + "/1-" + std::to_string(port) + ":1." + std::to_string(interfaceNumber);
  QDir().mkpath(QString::fromStdString(usbInterface));
  std::snprintf(text, sizeof text, "%02x\n", interfaceNumber);
  WriteFile(QString::fromStdString(usbInterface + "/bInterfaceNumber"), text);
  const std::string hidDir = WriteHidDevice(usbInterface, 0x0003, vendor, product, descriptor, node);
  nodes_.push_back({node, hidDir, usbInterface});
  return node;
}

std::string FakeHidTree::AddBluetoothNode(uint16_t vendor, uint16_t product,
                                          const std::vector<uint8_t>& descriptor) {
  const std::string node = "hidraw" + std::to_string(nextNode_++);
  const std::string parent = SysRoot() + "/devices/virtual/misc/uhid";
  QDir().mkpath(QString::fromStdString(parent));
  const std::string hidDir = WriteHidDevice(parent, 0x0005, vendor, product, descriptor, node);
  nodes_.push_back({node, hidDir, parent});
  return node;
}

void FakeHidTree::RemoveNode(const std::string& node) {
  for (auto it = nodes_.begin(); it != nodes_.end(); ++it) {
    if (it->name != node)
      continue;
    QFile::remove(QString::fromStdString(SysRoot() + "/class/hidraw/" + node));
    QDir(QString::fromStdString(it->hidDir)).removeRecursively();
    nodes_.erase(it);
    return;
  }
}

void FakeHidTree::Rebind(const std::string& node) {
  for (Node& n : nodes_) {
    if (n.name != node)
      continue;
    QFile descriptorFile(QString::fromStdString(n.hidDir + "/report_descriptor"));
    descriptorFile.open(QIODevice::ReadOnly);
    const QByteArray bytes = descriptorFile.readAll();
    const std::string old = n.hidDir.substr(n.hidDir.rfind('/') + 1);
    unsigned bus = 0, vendor = 0, product = 0;
    std::sscanf(old.c_str(), "%x:%x:%x", &bus, &vendor, &product);
    QDir(QString::fromStdString(n.hidDir)).removeRecursively();
    n.hidDir = WriteHidDevice(n.parent, static_cast<uint16_t>(bus), static_cast<uint16_t>(vendor),
                              static_cast<uint16_t>(product),
                              std::vector<uint8_t>(bytes.begin(), bytes.end()), node);
    return;
  }
}

SocketNode::SocketNode(const std::string& path) : path_(path) {
  listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  unlink(path.c_str());
  bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(listenFd_, 8);
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread([this] { Serve(); });
}

SocketNode::~SocketNode() {
  stop_ = true;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
  thread_.join();
  for (int client : clients_)
    close(client);
  close(listenFd_);
  close(wakeFd_);
  unlink(path_.c_str());
}

void SocketNode::Serve() {
  while (!stop_) {
    std::vector<pollfd> fds = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    {
      std::lock_guard lock(mutex_);
      for (int client : clients_)
        fds.push_back({client, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), 100) <= 0)
      continue;
    if (fds[0].revents & POLLIN) {
      const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) {
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
        ++connections_;
      }
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP)))
        continue;
      uint8_t buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      std::lock_guard lock(mutex_);
      if (n <= 0) {
        std::erase(clients_, fds[i].fd);
        close(fds[i].fd);
        --connections_;
      } else {
        written_.emplace_back(buffer, buffer + n);
      }
    }
  }
}

void SocketNode::SendReport(const std::vector<uint8_t>& report) {
  std::lock_guard lock(mutex_);
  for (int client : clients_)
    send(client, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

std::vector<std::vector<uint8_t>> SocketNode::Written() {
  std::lock_guard lock(mutex_);
  return written_;
}

void SocketNode::DropAll() {
  // The serving thread sees the hang-up and closes its side.
  std::lock_guard lock(mutex_);
  for (int client : clients_)
    shutdown(client, SHUT_RDWR);
}

}  // namespace testing_support
