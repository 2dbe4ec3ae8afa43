#include "hid/HidDevice.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "hid/HidReportReader.h"
#include "hid/HidStatus.h"
#include "hid/ParseHexField.h"
#include "hid/SysfsEnumerator.h"

namespace hid {

namespace {

// hidraw delivers at most this much per report.
constexpr size_t kMaxReportBytes = 4096;

int OpenNode(const std::string& path, bool read, bool write, bool& isSocket) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0)
    return -1;
  if (S_ISSOCK(info.st_mode)) {
    // The device simulator's nodes: one message is one report, like hidraw.
    isSocket = true;
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
      return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
      close(fd);
      return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }
  isSocket = false;
  const int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  return open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

HidDevice::HidDevice() : abortFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

HidDevice::~HidDevice() {
  Close();
  FreePathList();
  if (abortFd_ >= 0)
    close(abortFd_);
}

bool HidDevice::EnumerateInterfaces() {
  FreePathList();
  // Room for 8 to start with, doubled as it fills; every path is kept.
  PathList.reserve(8);
  for (std::string& path : SysfsEnumerator::EnumeratePaths()) {
    if (PathList.size() == PathList.capacity())
      PathList.reserve(PathList.capacity() * 2);
    PathList.push_back(std::move(path));
  }
  PathCount = static_cast<uint32_t>(PathList.size());
  PathCursor = 0;
  return true;
}

std::optional<std::string> HidDevice::NextPath() {
  if (PathCursor >= PathList.size())
    return std::nullopt;
  return PathList[PathCursor++];
}

void HidDevice::FreePathList() {
  PathList.clear();
  PathList.shrink_to_fit();
  PathCount = 0;
  PathCursor = 0;
}

void HidDevice::AbortPending() {
  if (!ReadPending.load() && !WritePending.load())
    return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(abortFd_, &one, sizeof one);
  std::unique_lock lock(pendingMutex_);
  pendingDone_.wait(lock, [&] { return !ReadPending.load() && !WritePending.load(); });
  // Clear the abort so it cannot cut short the next transfer.
  uint64_t value = 0;
  n = read(abortFd_, &value, sizeof value);
}

bool HidDevice::Open(const std::string& path, bool read, bool write, bool overlapped,
                     bool exclusive) {
  AbortPending();
  ReleaseDeviceInformation();
  ClearAbort();
  WantRead = read;
  WantWrite = write;
  Overlapped = overlapped;
  Exclusive = exclusive;  // hidraw has no share modes; kept for the callers
  DevicePath = path;
  gone_ = false;

  if (!FillDeviceInformation(path))
    return false;
  const int fd = OpenNode(node_, read, write, isSocket_);
  if (fd < 0) {
    ReleaseDeviceInformation();
    return false;
  }
  Handle = fd;
  return true;
}

bool HidDevice::FillDeviceInformation(const std::string& path) {
  const auto parsed = SysfsEnumerator::ParsePath(path);
  if (!parsed)
    return false;
  const std::string nodeName = parsed->devicePath.substr(parsed->devicePath.rfind('/') + 1);
  const auto info = SysfsEnumerator::ReadNode(nodeName);
  if (!info)
    return false;
  const auto descriptor = HidReportDescriptor::Parse(info->descriptor);
  if (!descriptor || descriptor->Collections().empty())
    return false;
  const auto& collections = descriptor->Collections();
  const size_t index = parsed->collection > 0 ? static_cast<size_t>(parsed->collection - 1) : 0;
  if (index >= collections.size() || (parsed->collection == 0 && collections.size() != 1))
    return false;

  node_ = info->devicePath;
  hidDeviceDir_ = info->hidDeviceDir;
  numbered_ = descriptor->UsesReportIds();
  collection_ = collections[index];
  Attributes = HIDD_ATTRIBUTES{};
  Attributes.VendorID = info->vendorId;
  Attributes.ProductID = info->productId;
  Attributes.VersionNumber = info->version;

  const HidCollection& c = *collection_;
  Caps = HIDP_CAPS{};
  Caps.UsagePage = c.usagePage;
  Caps.Usage = c.usage;
  Caps.InputReportByteLength = c.inputReportLength;
  Caps.OutputReportByteLength = c.outputReportLength;
  Caps.FeatureReportByteLength = c.featureReportLength;
  Caps.NumberLinkCollectionNodes = 1;

  // The input controls: one entry per button field, one per usage of every
  // value field.
  const HidReportReader reader(c);
  InputData.clear();
  for (const HidField& field : c.fields) {
    auto count = [&](uint16_t& buttons, uint16_t& values, uint16_t& indices) {
      if (field.IsButton())
        ++buttons;
      else
        ++values;
      indices += static_cast<uint16_t>(field.usageIsRange ? field.usageMax - field.usageMin + 1
                                                          : std::max<size_t>(field.usages.size(), 1));
    };
    switch (field.type) {
      case ReportType::Input:
        count(Caps.NumberInputButtonCaps, Caps.NumberInputValueCaps, Caps.NumberInputDataIndices);
        break;
      case ReportType::Output:
        count(Caps.NumberOutputButtonCaps, Caps.NumberOutputValueCaps,
              Caps.NumberOutputDataIndices);
        break;
      case ReportType::Feature:
        count(Caps.NumberFeatureButtonCaps, Caps.NumberFeatureValueCaps,
              Caps.NumberFeatureDataIndices);
        break;
    }
    if (field.type != ReportType::Input)
      continue;
    if (field.IsButton()) {
      HidUsageData entry;
      entry.IsButtonData = 1;
      entry.UsagePage = field.usagePage;
      entry.ReportId = field.reportId;
      if (field.usageIsRange) {
        entry.UsageMin = field.usageMin & 0xFFFF;
        entry.UsageMax = field.usageMax & 0xFFFF;
      } else {
        const uint32_t usage = field.usages.empty() ? 0 : field.usages.front() & 0xFFFF;
        entry.UsageMin = entry.UsageMax = usage;
      }
      entry.MaxUsageLength = reader.MaxUsageListLength(ReportType::Input, field.usagePage);
      entry.Usages.assign(entry.MaxUsageLength, 0);
      InputData.push_back(std::move(entry));
    }
  }
  for (const HidField& field : c.fields) {
    if (field.type != ReportType::Input || field.IsButton())
      continue;
    const uint32_t usages = field.usageIsRange ? field.usageMax - field.usageMin + 1
                                               : static_cast<uint32_t>(field.usages.size());
    for (uint32_t u = 0; u < usages; ++u) {
      const auto usage = field.usageIsRange ? std::optional<uint32_t>(field.usageMin + u)
                                            : std::optional<uint32_t>(field.usages[u]);
      HidUsageData entry;
      entry.UsagePage = static_cast<uint16_t>(*usage >> 16);
      entry.ReportId = field.reportId;
      entry.Usage = static_cast<uint16_t>(*usage & 0xFFFF);
      InputData.push_back(std::move(entry));
    }
  }
  InputDataCount = static_cast<uint32_t>(InputData.size());
  InputReport.assign(Caps.InputReportByteLength, 0);
  InterfaceNumber = ParseHexField(path, "&mi_");
  Collection = ParseHexField(path, "&col");
  return true;
}

void HidDevice::ReleaseDeviceInformation() {
  const int fd = Handle.exchange(-1);
  if (fd >= 0)
    close(fd);
  InputReport.clear();
  InputData.clear();
  InputDataCount = 0;
  collection_.reset();
}

void HidDevice::Close() {
  AbortPending();
  ReleaseDeviceInformation();
  ClearAbort();
}

void HidDevice::Interrupt() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(abortFd_, &one, sizeof one);
}

void HidDevice::ClearAbort() {
  uint64_t value = 0;
  [[maybe_unused]] ssize_t n = read(abortFd_, &value, sizeof value);
}

void HidDevice::MarkGoneIfFatal(int error) {
  if (error == EIO || error == ENODEV || error == EPIPE || error == ECONNRESET ||
      error == ENOTCONN || error == EBADF)
    gone_ = true;
}

HidDevice::Wait HidDevice::WaitFor(short events, int& remainingMs) {
  const int fd = Handle.load();
  if (fd < 0)
    return Wait::Failed;
  const auto start = std::chrono::steady_clock::now();
  pollfd fds[2] = {{fd, events, 0}, {abortFd_, POLLIN, 0}};
  int result;
  do {
    result = poll(fds, 2, remainingMs);
  } while (result < 0 && errno == EINTR);
  if (remainingMs >= 0) {
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
    remainingMs = std::max(0, remainingMs - static_cast<int>(spent));
  }
  if (result < 0)
    return Wait::Failed;
  if (fds[1].revents & POLLIN)
    return Wait::Aborted;
  if (result == 0)
    return Wait::TimedOut;
  // A hang-up with nothing left to read: the device is gone.
  if ((fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) && !(fds[0].revents & events)) {
    gone_ = true;
    return Wait::Failed;
  }
  return Wait::Ready;
}

int HidDevice::Read(std::span<uint8_t> buffer, uint32_t& transferred, int timeoutMs) {
  transferred = 0;
  if (!IsOpen() || !WantRead || buffer.empty())
    return 0;
  ReadPending = true;
  int result = 0;
  int remaining = timeoutMs;
  uint8_t report[kMaxReportBytes + 1];
  for (;;) {
    const Wait wait = WaitFor(POLLIN, remaining);
    if (wait != Wait::Ready)
      break;
    // Unnumbered reports come without an id byte: leave room to put a 0 there.
    uint8_t* into = numbered_ ? report : report + 1;
    const ssize_t n = ::read(Handle.load(), into, kMaxReportBytes);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR)
        continue;
      MarkGoneIfFatal(errno);
      break;
    }
    if (n == 0) {
      // A socket node whose other end went away.
      gone_ = true;
      break;
    }
    size_t length = static_cast<size_t>(n);
    if (!numbered_) {
      report[0] = 0;
      ++length;
    }
    // Every open file of a node receives every report of the node: keep only
    // this collection's.
    if (collection_ && !collection_->HasReportId(report[0]))
      continue;
    const size_t copy = std::min(length, buffer.size());
    std::memcpy(buffer.data(), report, copy);
    transferred = static_cast<uint32_t>(copy);
    result = 1;
    break;
  }
  {
    std::lock_guard lock(pendingMutex_);
    ReadPending = false;
  }
  pendingDone_.notify_all();
  return result;
}

int HidDevice::Write(std::span<const uint8_t> report, uint32_t& transferred, int timeoutMs) {
  transferred = 0;
  if (!IsOpen() || !WantWrite || report.empty())
    return 0;
  WritePending = true;
  int result = 0;
  int remaining = timeoutMs;
  while (WaitFor(POLLOUT, remaining) == Wait::Ready) {
    // hidraw takes the report id in byte 0, 0 for unnumbered reports.
    const ssize_t n = ::write(Handle.load(), report.data(), report.size());
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR)
        continue;
      MarkGoneIfFatal(errno);
      break;
    }
    transferred = static_cast<uint32_t>(n);
    // A short write is a failed write.
    result = static_cast<size_t>(n) == report.size() ? 1 : 0;
    break;
  }
  {
    std::lock_guard lock(pendingMutex_);
    WritePending = false;
  }
  pendingDone_.notify_all();
  return result;
}

int HidDevice::SetOutputReport(std::span<const uint8_t> report, int timeoutMs) {
  uint32_t transferred = 0;
#ifdef HIDIOCSOUTPUT
  // Output reports are short; a longer one goes through write().
  constexpr size_t kMaxOutputRequest = 256;
  if (!isSocket_ && !noOutputRequest_ && report.size() <= kMaxOutputRequest) {
    if (!IsOpen() || !WantWrite || report.empty())
      return 0;
    WritePending = true;
    int result = 0;
    int remaining = timeoutMs;
    if (WaitFor(POLLOUT, remaining) == Wait::Ready) {
      // The request's buffer is in and out; the report is copied.
      std::array<uint8_t, kMaxOutputRequest> buffer{};
      std::copy(report.begin(), report.end(), buffer.begin());
      const int n = ::ioctl(Handle.load(), HIDIOCSOUTPUT(report.size()), buffer.data());
      if (n >= 0) {
        result = 1;
      } else if (errno == ENOTTY) {
        noOutputRequest_ = true;
      } else {
        MarkGoneIfFatal(errno);
      }
    }
    {
      std::lock_guard lock(pendingMutex_);
      WritePending = false;
    }
    pendingDone_.notify_all();
    if (!noOutputRequest_)
      return result;
  }
#endif
  return Write(report, transferred, timeoutMs);
}

void HidDevice::DiscardPendingInput() {
  const int fd = Handle.load();
  if (fd < 0)
    return;
  uint8_t scratch[kMaxReportBytes];
  while (::read(fd, scratch, sizeof scratch) > 0) {
  }
}

bool HidDevice::UnpackInputReport(std::span<const uint8_t> report) {
  if (!collection_ || report.empty())
    return false;
  const HidReportReader reader(*collection_);
  for (HidUsageData& entry : InputData) {
    if (entry.ReportId != report[0])
      continue;
    if (entry.IsButtonData) {
      std::vector<uint16_t> usages;
      entry.Status = reader.GetUsages(ReportType::Input, entry.UsagePage, report, usages);
      // Keep the usages inside the entry's range, in order, and a 0 after them.
      std::fill(entry.Usages.begin(), entry.Usages.end(), 0);
      size_t n = 0;
      for (uint16_t usage : usages)
        if (usage >= entry.UsageMin && usage <= entry.UsageMax && n < entry.Usages.size())
          entry.Usages[n++] = usage;
    } else {
      entry.Status = reader.GetUsageValue(ReportType::Input, entry.UsagePage, entry.Usage, report,
                                          entry.Value);
      if (entry.Status != HIDP_STATUS_SUCCESS)
        return false;
      entry.Status = reader.GetScaledUsageValue(ReportType::Input, entry.UsagePage, entry.Usage,
                                                report, entry.ScaledValue);
    }
    entry.IsDataSet = 1;
  }
  return true;
}

bool HidDevice::IsSameDevicePresent() const {
  if (node_.empty())
    return false;
  const std::string name = node_.substr(node_.rfind('/') + 1);
  const auto info = SysfsEnumerator::ReadNode(name);
  return info && info->hidDeviceDir == hidDeviceDir_ && access(node_.c_str(), F_OK) == 0;
}

}  // namespace hid
