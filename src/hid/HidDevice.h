#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hid/HidReportDescriptor.h"
#include "hid/HidTypes.h"

namespace hid {

// One HID interface (a top-level collection of a hidraw node). The record is
// reused: closed and opened again, with other paths, many times.
//
// Reports always carry their report id in byte 0 (0 for unnumbered reports),
// whatever the kernel does. A node may also be a Unix seqpacket socket (the
// device simulator); it is then connected instead of opened.
class HidDevice {
 public:
  HidDevice();
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  // Enumeration (the detection loop's probe record).
  bool EnumerateInterfaces();
  // The next path of the list, or nullopt at its end.
  std::optional<std::string> NextPath();
  void FreePathList();

  bool Open(const std::string& path, bool read, bool write, bool overlapped, bool exclusive);
  void Close();
  // Cuts the pending and every later transfer short until the next Close or
  // Open, without waiting for anything: another thread then closes the
  // record quickly.
  void Interrupt();
  bool IsOpen() const { return Handle.load() >= 0; }

  // 1 with a report, 0 on failure, time-out or abort. `timeoutMs` -1 waits
  // without limit. Input reports of other collections of the node are
  // skipped; they neither count as a read nor restart the limit.
  int Read(std::span<uint8_t> buffer, uint32_t& transferred, int timeoutMs);
  // 1 when the whole report was written, else 0.
  int Write(std::span<const uint8_t> report, uint32_t& transferred, int timeoutMs);
  // An output report as the device's control endpoint takes it (the
  // output-report request of the hidraw node), or through write() where the
  // kernel lacks that request or the node is a socket. 1 when sent, else 0;
  // `timeoutMs` bounds the wait for the node to take it.
  int SetOutputReport(std::span<const uint8_t> report, int timeoutMs);
  // Drops the input reports waiting on the node (stale answers, events).
  void DiscardPendingInput();
  bool UnpackInputReport(std::span<const uint8_t> report);

  // The device behind the open record is gone (hang-up, EIO, ENODEV).
  bool IsGone() const { return gone_.load(); }
  // Whether the node still exists and still is the device it was when opened
  // (hidraw numbers are reused).
  bool IsSameDevicePresent() const;
  const std::string& HidDeviceDir() const { return hidDeviceDir_; }

  // The record's fields, by their established names.
  std::vector<std::string> PathList;
  uint32_t PathCount = 0;
  uint32_t PathCursor = 0;
  bool WantRead = false;
  bool WantWrite = false;
  bool Overlapped = false;
  bool Exclusive = false;
  std::atomic<int> Handle{-1};
  std::string DevicePath;
  HIDP_CAPS Caps;
  HIDD_ATTRIBUTES Attributes;
  std::vector<uint8_t> InputReport;
  std::vector<HidUsageData> InputData;
  uint32_t InputDataCount = 0;
  uint32_t InterfaceNumber = 0;
  uint32_t Collection = 0;
  std::atomic<bool> ReadPending{false};
  std::atomic<bool> WritePending{false};

 private:
  enum class Wait { Ready, Aborted, TimedOut, Failed };
  // Waits for the node (or the abort) with what is left of the time limit.
  Wait WaitFor(short events, int& remainingMs);
  // Sets the abort and waits until every pending transfer has left.
  void AbortPending();
  // Clears an abort or interruption left on the abort event.
  void ClearAbort();
  bool FillDeviceInformation(const std::string& path);
  void ReleaseDeviceInformation();
  void MarkGoneIfFatal(int error);

  int abortFd_ = -1;  // eventfd: readable while an abort is under way
  std::mutex pendingMutex_;
  std::condition_variable pendingDone_;
  std::atomic<bool> gone_{false};
  bool isSocket_ = false;
  // The kernel answered the output-report request with ENOTTY once: write().
  std::atomic<bool> noOutputRequest_{false};
  bool numbered_ = false;
  std::optional<HidCollection> collection_;
  std::string hidDeviceDir_;
  std::string node_;
};

}  // namespace hid
