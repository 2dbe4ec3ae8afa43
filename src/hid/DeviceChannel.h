#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "hid/HidDevice.h"
#include "protocol/DeviceCommand.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"

namespace hid {

// The channel's callers build and read reports under this name as well.
using protocol::DeviceCommand;

// Result codes of exchanges and command builders.
inline constexpr int kResultSuccess = 1;
inline constexpr int kResultNoAnswer = 0;         // nothing sent, or no answer in time
inline constexpr int kResultNotWritten = -1;      // the request was not written in time
inline constexpr int kResultReceiverAnswer = -101;  // the receiver answered for the device
inline constexpr int kResultStatusFF = -102;
inline constexpr int kResultStatusFE = -103;
inline constexpr int kResultBadTableIndex = -201;

// The command link of one device: its command interface by cable and through
// the 2.4 GHz receiver, the active one, and the protocol's request/answer
// exchange with the eighteen commands built on it.
//
// Locks, outermost first: CommandLock or LightLock (a builder, around each
// request/answer pair), the exchange guard (one request/answer pair at a time
// on the channel, from the write to the last read), IoLock (one write or one
// read; also held while an interface is opened, closed or switched).
class DeviceChannel {
 public:
  // A whole key table: the largest transfer the key table commands make.
  static constexpr uint16_t kMaxTransferSize = protocol::kKeyTableBytes;
  // Data bytes a request carries through the receiver; by cable, a full
  // request's (DeviceCommand::kMaxData).
  static constexpr uint8_t kReceiverChunk = 24;
  static constexpr size_t kInfoBytes = protocol::DeviceInfo::kSize;

  DeviceChannel();
  ~DeviceChannel();
  DeviceChannel(const DeviceChannel&) = delete;
  DeviceChannel& operator=(const DeviceChannel&) = delete;

  int Exchange(std::span<const uint8_t> request, std::span<uint8_t> answer, uint32_t& bytesRead);
  // For live light frames: shorter limits through the receiver, no debug lines.
  int ExchangeQuick(std::span<const uint8_t> request, std::span<uint8_t> answer,
                    uint32_t& bytesRead);
  // 2 selects the receiver, anything else the cable.
  void SetMode(int mode);
  bool SetTransferSize(uint16_t size);

  // The commands.
  int BeginTransfer();
  int EndTransfer();
  int ReadDeviceInfo(std::span<uint8_t> destination);  // 34 bytes
  int ReadParameters(std::span<uint8_t> destination, uint16_t base);
  int WriteParameters(std::span<const uint8_t> source, uint16_t base);
  int ReadKeyTable(std::span<uint8_t> destination);  // TransferSize bytes
  int WriteKeyTable(std::span<const uint8_t> source, int tableIndex);
  int WriteKeyTable2(std::span<const uint8_t> source, int tableIndex);
  int WriteKeyTable3(std::span<const uint8_t> source, int tableIndex);
  int ReadColorTable(std::span<uint8_t> destination, int slot, int slotSize);
  int WriteColorTable(std::span<const uint8_t> source, int slot, int slotSize);
  int StreamLightFrame(std::span<const uint8_t> source);
  int WriteMacroData(std::span<const uint8_t> source);
  int WriteRecoilData(std::span<const uint8_t> source);
  int ReadPowerStatus(std::span<uint8_t> destination, uint16_t position);
  int ReadKeyAttributes(std::span<uint8_t> destination);  // TransferSize / 3 bytes
  int TakeLightControl();
  bool QueryWirelessLink();
  // An unanswered output report of its own (the headset's live light
  // reports) on the active link. Only worth sending while current: it is
  // dropped (kResultNotWritten) while an exchange runs, and waits at most
  // kOutputReportLimitMs for the node to take it.
  static constexpr int kOutputReportLimitMs = 10;
  int SendOutputReport(std::span<const uint8_t> report);

  // The channel's state, by its established names. Flags other threads read
  // are atomic.
  HidDevice Wired;
  HidDevice Receiver;
  std::atomic<bool> IsOpen{false};
  std::atomic<bool> WirelessMode{false};
  std::atomic<bool> Busy{false};
  std::atomic<bool> LightFollower{false};
  std::atomic<uint8_t> ChunkSize{kReceiverChunk};
  std::atomic<uint16_t> TransferSize{kMaxTransferSize};
  // Recursive, like the platform's critical sections: a device object may
  // hold one while it calls a builder that takes it again.
  std::recursive_mutex IoLock;
  std::recursive_mutex CommandLock;
  std::recursive_mutex LightLock;

 private:
  enum class Lock { Command, Light, None };
  struct Block {
    protocol::Command command;
    Lock lock;
    size_t count;
    uint16_t base;
    uint8_t chunk;  // 0: the channel's ChunkSize
    const uint8_t* source = nullptr;
    uint8_t* destination = nullptr;
  };
  // One request/answer pair with the exchange guard held.
  int ExchangeGuarded(std::span<const uint8_t> request, std::span<uint8_t> answer,
                      uint32_t& bytesRead, bool quick);
  // Sends one request under its builder lock and checks the answer's status.
  int Send(DeviceCommand& request, Lock lock, std::span<uint8_t, DeviceCommand::kSize> answer);
  int RunBlock(const Block& block);
  int WriteKeyTableCommand(protocol::Command command, std::span<const uint8_t> source,
                           int tableIndex);

  std::mutex exchangeGuard_;
};

}  // namespace hid
