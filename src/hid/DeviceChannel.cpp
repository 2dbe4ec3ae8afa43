#include "hid/DeviceChannel.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/DebugChannel.h"
#include "platform/ThreadRole.h"
#include "protocol/KeyFunction.h"

namespace hid {

using protocol::Command;

namespace {

using Report = std::array<uint8_t, DeviceCommand::kSize>;
using ReportView = std::span<const uint8_t, DeviceCommand::kSize>;

constexpr int kCableLimitMs = 1000;
constexpr int kReceiverLimitMs = 5000;
constexpr int kReceiverQuickLimitMs = 500;
constexpr uint8_t kRecoilChunk = DeviceCommand::kMaxData;
constexpr uint16_t kKeyTableStride = protocol::kKeyTableBytes;

// The report as two lines of 32 bytes.
void DumpReport(const char* title, ReportView r) {
  if (!platform::DebugActive())
    return;
  platform::DebugOutput(title);
  for (int half = 0; half < 2; ++half) {
    const uint8_t* b = r.data() + half * 32;
    platform::DebugPrint(
        "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x  "
        "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x",
        b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
        b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24], b[25], b[26],
        b[27], b[28], b[29], b[30], b[31]);
  }
}

// The result of an exchanged request, from its answer's status byte.
int StatusResult(ReportView answer) {
  switch (answer[DeviceCommand::kAnswerStatusOffset]) {
    case protocol::kStatusRejected: return kResultStatusFF;
    case protocol::kStatusFailed: return kResultStatusFE;
    default: return kResultSuccess;
  }
}

// Whether `answer` answers `request`. The firmware echoes the command byte,
// and the request's length and position as well; an answer of the same
// command to an earlier request (a late one, or one of a faulty device) is
// told apart by those. Zeros there are taken as a firmware that does not
// echo them.
bool AnswerBelongsTo(ReportView answer, ReportView request) {
  constexpr size_t first = DeviceCommand::kLengthOffset;
  constexpr size_t last = DeviceCommand::kPositionOffset + 1;
  if (answer[DeviceCommand::kAnswerCommandOffset] != request[DeviceCommand::kCommandOffset])
    return false;
  bool echoed = true, blank = true;
  for (size_t i = first; i <= last; ++i) {
    echoed = echoed && answer[i] == request[i];
    blank = blank && answer[i] == 0;
  }
  return echoed || blank;
}

}  // namespace

DeviceChannel::DeviceChannel() = default;

DeviceChannel::~DeviceChannel() {
  std::lock_guard lock(IoLock);
  IsOpen = false;
  Wired.Close();
  Receiver.Close();
}

void DeviceChannel::SetMode(int mode) {
  const bool wireless = mode == 2;
  WirelessMode = wireless;
  ChunkSize = wireless ? kReceiverChunk : static_cast<uint8_t>(DeviceCommand::kMaxData);
}

bool DeviceChannel::SetTransferSize(uint16_t size) {
  if (size > kMaxTransferSize)
    return false;
  TransferSize = size;
  return true;
}

int DeviceChannel::Exchange(std::span<const uint8_t> request, std::span<uint8_t> answer,
                            uint32_t& bytesRead) {
  std::lock_guard guard(exchangeGuard_);
  return ExchangeGuarded(request, answer, bytesRead, false);
}

int DeviceChannel::ExchangeQuick(std::span<const uint8_t> request, std::span<uint8_t> answer,
                                 uint32_t& bytesRead) {
  std::lock_guard guard(exchangeGuard_);
  return ExchangeGuarded(request, answer, bytesRead, true);
}

int DeviceChannel::ExchangeGuarded(std::span<const uint8_t> request, std::span<uint8_t> answer,
                                   uint32_t& bytesRead, bool quick) {
  platform::CheckNotUiThread("device exchange");
  Busy = true;
  bytesRead = 0;
  int result = kResultNoAnswer;
  if (!IsOpen) {
    Busy = false;
    return result;
  }
  Report report{};
  std::copy_n(request.begin(), std::min<size_t>(request.size(), report.size()), report.begin());
  if (!quick)
    DumpReport("命令", report);

  const bool wireless = WirelessMode;
  const int limit =
      wireless ? (quick ? kReceiverQuickLimitMs : kReceiverLimitMs) : kCableLimitMs;
  int written = 0;
  {
    std::lock_guard io(IoLock);
    HidDevice& device = wireless ? Receiver : Wired;
    // Whatever waits unread is older than this request: drop it, so a full
    // queue cannot swallow the answer.
    device.DiscardPendingInput();
    uint32_t n = 0;
    written = device.Write(report, n, limit);
  }
  if (written != 1) {
    Busy = false;
    return kResultNotWritten;
  }
  Report buffer{};
  {
    std::lock_guard io(IoLock);
    HidDevice& device = wireless ? Receiver : Wired;
    for (int attempt = 0; attempt < 2; ++attempt) {
      uint32_t n = 0;
      buffer.fill(0);
      result = device.Read(buffer, n, limit);
      bytesRead = n;
      if (result != 1)
        break;
      if (AnswerBelongsTo(buffer, report))
        break;
      if (wireless && buffer[DeviceCommand::kAnswerCommandOffset] == protocol::kReceiverAnswered) {
        result = kResultReceiverAnswer;
        break;
      }
      // An answer to an earlier request: read once more. Twice is a failure:
      // taking someone else's answer would store the wrong bytes as the
      // device's.
      if (attempt == 1) {
        if (!quick)
          platform::DebugPrint("no answer to command %02x among two reads",
                               report[DeviceCommand::kCommandOffset]);
        result = kResultNoAnswer;
      }
    }
  }
  std::copy_n(buffer.begin(), std::min(answer.size(), buffer.size()), answer.begin());
  if (!quick && bytesRead > 0)
    DumpReport("返回", buffer);
  Busy = false;
  return result;
}

int DeviceChannel::Send(DeviceCommand& request, Lock lock,
                        std::span<uint8_t, DeviceCommand::kSize> answer) {
  request.Seal();
  uint32_t n = 0;
  int result;
  switch (lock) {
    case Lock::Command: {
      std::lock_guard hold(CommandLock);
      result = Exchange(request.bytes, answer, n);
      break;
    }
    case Lock::Light: {
      std::lock_guard hold(LightLock);
      result = Exchange(request.bytes, answer, n);
      break;
    }
    default:
      result = Exchange(request.bytes, answer, n);
      break;
  }
  return result != kResultSuccess ? result : StatusResult(answer);
}

int DeviceChannel::RunBlock(const Block& block) {
  const size_t chunk = block.chunk != 0 ? block.chunk : ChunkSize.load();
  DeviceCommand request(block.command);
  Report answer{};
  for (size_t p = 0; p < block.count; p += chunk) {
    const size_t n = std::min(chunk, block.count - p);
    request.SetLength(static_cast<uint8_t>(n));
    request.SetPosition(static_cast<uint16_t>(block.base + p));
    // The rest of the data area keeps the previous chunk's bytes.
    if (block.source != nullptr)
      std::copy_n(block.source + p, n, request.Data().begin());
    const int result = Send(request, block.lock, answer);
    if (result != kResultSuccess)
      return result;
    if (block.destination != nullptr)
      std::copy_n(answer.begin() + DeviceCommand::kDataOffset, n, block.destination + p);
  }
  return kResultSuccess;
}

int DeviceChannel::BeginTransfer() {
  DeviceCommand request(Command::BeginTransfer);
  Report answer{};
  return Send(request, Lock::Command, answer);
}

int DeviceChannel::EndTransfer() {
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  DeviceCommand request(Command::EndTransfer);
  Report answer{};
  return Send(request, Lock::Command, answer);
}

int DeviceChannel::TakeLightControl() {
  DeviceCommand request(Command::TakeLightControl);
  Report answer{};
  return Send(request, Lock::Command, answer);
}

int DeviceChannel::ReadDeviceInfo(std::span<uint8_t> destination) {
  if (destination.size() < kInfoBytes)
    return kResultNoAnswer;
  return RunBlock(
      {Command::ReadDeviceInfo, Lock::Command, kInfoBytes, 0, 0, nullptr, destination.data()});
}

int DeviceChannel::ReadParameters(std::span<uint8_t> destination, uint16_t base) {
  return RunBlock({Command::ReadParameters, Lock::Command, destination.size(), base, 0, nullptr,
                   destination.data()});
}

int DeviceChannel::WriteParameters(std::span<const uint8_t> source, uint16_t base) {
  return RunBlock(
      {Command::WriteParameters, Lock::Command, source.size(), base, 0, source.data(), nullptr});
}

int DeviceChannel::ReadKeyTable(std::span<uint8_t> destination) {
  const size_t count = TransferSize;
  if (destination.size() < count)
    return kResultNoAnswer;
  return RunBlock(
      {Command::ReadKeyTable, Lock::Command, count, 0, 0, nullptr, destination.data()});
}

int DeviceChannel::WriteKeyTableCommand(Command command, std::span<const uint8_t> source,
                                        int tableIndex) {
  if (tableIndex != 0)
    return kResultBadTableIndex;
  const size_t count = TransferSize;
  if (source.size() < count)
    return kResultNoAnswer;
  // Position: index x 512 + position, with the index always 0.
  return RunBlock({command, Lock::Command, count,
                   static_cast<uint16_t>(tableIndex * kKeyTableStride), 0, source.data(), nullptr});
}

int DeviceChannel::WriteKeyTable(std::span<const uint8_t> source, int tableIndex) {
  return WriteKeyTableCommand(Command::WriteKeyTable, source, tableIndex);
}

int DeviceChannel::WriteKeyTable2(std::span<const uint8_t> source, int tableIndex) {
  return WriteKeyTableCommand(Command::WriteKeyTable2, source, tableIndex);
}

int DeviceChannel::WriteKeyTable3(std::span<const uint8_t> source, int tableIndex) {
  return WriteKeyTableCommand(Command::WriteKeyTable3, source, tableIndex);
}

int DeviceChannel::ReadColorTable(std::span<uint8_t> destination, int slot, int slotSize) {
  return RunBlock({Command::ReadColorTable, Lock::Command, destination.size(),
                   static_cast<uint16_t>(slot * slotSize), 0, nullptr, destination.data()});
}

int DeviceChannel::WriteColorTable(std::span<const uint8_t> source, int slot, int slotSize) {
  return RunBlock({Command::WriteColorTable, Lock::Light, source.size(),
                   static_cast<uint16_t>(slot * slotSize), 0, source.data(), nullptr});
}

int DeviceChannel::WriteMacroData(std::span<const uint8_t> source) {
  return RunBlock(
      {Command::WriteMacroData, Lock::Command, source.size(), 0, 0, source.data(), nullptr});
}

int DeviceChannel::WriteRecoilData(std::span<const uint8_t> source) {
  // Fixed 56-byte requests and no builder lock; the exchange guard still
  // keeps each request with its answer.
  return RunBlock({Command::WriteRecoilData, Lock::None, source.size(), 0, kRecoilChunk,
                   source.data(), nullptr});
}

int DeviceChannel::ReadKeyAttributes(std::span<uint8_t> destination) {
  // One attribute byte per key slot.
  const size_t count = TransferSize / protocol::KeyFunction::kSize;
  if (destination.size() < count)
    return kResultNoAnswer;
  return RunBlock(
      {Command::ReadKeyAttributes, Lock::Command, count, 0, 0, nullptr, destination.data()});
}

int DeviceChannel::ReadPowerStatus(std::span<uint8_t> destination, uint16_t position) {
  const size_t count = std::min(destination.size(), DeviceCommand::kMaxData);
  DeviceCommand request(Command::ReadPowerStatus);
  request.SetLength(static_cast<uint8_t>(count));
  request.SetPosition(position);
  Report answer{};
  const int result = Send(request, Lock::Command, answer);
  if (result == kResultSuccess)
    std::copy_n(answer.begin() + DeviceCommand::kDataOffset, count, destination.begin());
  return result;
}

bool DeviceChannel::QueryWirelessLink() {
  if (!WirelessMode)
    return true;
  DeviceCommand request(Command::QueryWirelessLink);
  request.Seal();
  Report answer{};
  uint32_t n = 0;
  int result;
  {
    std::lock_guard hold(CommandLock);
    result = Exchange(request.bytes, answer, n);
  }
  const uint8_t status = answer[DeviceCommand::kAnswerStatusOffset];
  return result == kResultSuccess && status != protocol::kStatusRejected &&
         status != protocol::kStatusFailed &&
         answer[DeviceCommand::kDataOffset] == protocol::kWirelessLinkUp;
}

int DeviceChannel::SendOutputReport(std::span<const uint8_t> report) {
  platform::CheckNotUiThread("output report");
  if (!IsOpen)
    return kResultNoAnswer;
  std::unique_lock guard(exchangeGuard_, std::try_to_lock);
  if (!guard.owns_lock())
    return kResultNotWritten;
  std::unique_lock io(IoLock, std::try_to_lock);
  if (!io.owns_lock())
    return kResultNotWritten;
  HidDevice& device = WirelessMode ? Receiver : Wired;
  return device.SetOutputReport(report, kOutputReportLimitMs) == 1 ? kResultSuccess
                                                                    : kResultNotWritten;
}

int DeviceChannel::StreamLightFrame(std::span<const uint8_t> source) {
  const size_t chunk = ChunkSize;
  DeviceCommand request(Command::StreamLightFrame);
  Report answer{};
  std::lock_guard hold(LightLock);
  for (size_t p = 0; p < source.size(); p += chunk) {
    const size_t n = std::min(chunk, source.size() - p);
    request.SetLength(static_cast<uint8_t>(n));
    request.SetPosition(static_cast<uint16_t>(p));
    std::copy_n(source.data() + p, n, request.Data().begin());
    request.Seal();
    // A frame is only worth sending while it is current: when another
    // exchange runs, this request is dropped and the frame goes on.
    std::unique_lock guard(exchangeGuard_, std::try_to_lock);
    if (!guard.owns_lock()) {
      platform::DebugOutput("放弃灯光数据");
      continue;
    }
    uint32_t bytesRead = 0;
    const int result = ExchangeGuarded(request.bytes, answer, bytesRead, true);
    guard.unlock();
    if (result != kResultSuccess)
      return result;
    if (const int status = StatusResult(answer); status != kResultSuccess)
      return status;
  }
  return kResultSuccess;
}

}  // namespace hid
