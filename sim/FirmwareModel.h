#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/DeviceCommand.h"
#include "protocol/KeyFunction.h"
#include "protocol/PowerStatus.h"
#include "protocol/Rgb.h"

namespace sim {

enum class DeviceKind { Keyboard, Mouse, Pad, Headset };

// A fault the firmware shows on demand.
struct Fault {
  enum class Kind { None, NoAnswer, StatusFF, StatusFE, Stale, Delay, NoAnswerAfter };
  Kind kind = Kind::None;
  int delayMs = 0;
  // NoAnswerAfter: requests still answered before the device falls silent
  // (in the middle of a transfer, say).
  int answersLeft = 0;
  // "none", "noanswer", "status-ff", "status-fe", "stale", "delay:MS",
  // "noanswer-after:N".
  static std::optional<Fault> Parse(const std::string& text);
};

// One request or answer that went through the device.
struct LogEntry {
  int64_t milliseconds = 0;
  bool toDevice = false;  // "out" (to the device) or "in" (to the host)
  std::array<uint8_t, protocol::DeviceCommand::kSize> report{};
};

using Report = std::array<uint8_t, protocol::DeviceCommand::kSize>;

// The firmware of one simulated device behind the 64-byte command protocol:
// it checks each request, keeps the device's memories and answers as the
// device would. Thread-safe.
class FirmwareModel {
 public:
  static constexpr size_t kParameterBytes = 2048;
  static constexpr size_t kKeyTableBytes = protocol::kKeyTableBytes;
  static constexpr size_t kColourSlotBytes = protocol::kColourTableBytes;
  static constexpr size_t kColourSlots = 8;
  static constexpr size_t kRecoilBytes = 4096;
  static constexpr size_t kLightFrameBytes = 1024;
  static constexpr size_t kHeadsetLightReports = 12;
  // The log keeps the newest entries (a streaming headset adds 240 a second).
  static constexpr size_t kLogEntries = 50000;

  explicit FirmwareModel(DeviceKind kind);

  DeviceKind Kind() const { return kind_; }

  // Handles one output report on the command collection. `viaReceiver`: the
  // request came through the 2.4 GHz receiver. Returns the input reports the
  // device sends in return: none (no answer), one, or a stale answer followed
  // by the real one.
  std::vector<Report> HandleRequest(std::span<const uint8_t> request, bool viaReceiver);
  // A headset light output report (not answered).
  void HandleLightReport(std::span<const uint8_t> report);

  void SetWirelessOn(bool on);
  bool IsWirelessOn() const;
  void SetFault(Fault fault);
  // The device lost what it stored (its power went, or its settings were
  // wiped): parameters, key tables and attributes, colour tables, macro and
  // recoil memory and the light output go back to the factory state. The
  // information block, the power status, the wireless state, a fault set and
  // the log stay.
  void ResetMemory();
  // The power status: byte 0 the charge in percent, 1 the charging state;
  // SetPowerStatus also sets bytes 2..5 (3 the wireless flag, 5 the phone
  // type of a mouse pad).
  void SetPower(uint8_t percent, uint8_t state);
  void SetPowerStatus(const protocol::PowerStatus::Bytes& status);

  // Named memories, for poking a state in and reading it back.
  // "info", "parameters", "key_table", "fn_key_table", "third_key_table",
  // "key_attributes", "colour_tables", "macro_memory", "recoil_memory",
  // "light_frame", "power".
  bool Poke(const std::string& region, size_t offset, std::span<const uint8_t> bytes);
  std::optional<std::vector<uint8_t>> Region(const std::string& region) const;
  uint8_t ActiveProfile() const;
  std::vector<std::vector<uint8_t>> LightReports() const;
  std::vector<LogEntry> Log() const;
  // The JSON object of the whole state (byte arrays as lower-case hex).
  std::string StateJson() const;

  static uint16_t Checksum(std::span<const uint8_t, protocol::DeviceCommand::kSize> report);

 private:
  std::vector<uint8_t>* RegionFor(const std::string& name);
  void FillFactoryMemory();  // under mutex_ (or in the constructor)
  void Record(bool toDevice, std::span<const uint8_t> report);
  Report Answer(std::span<const uint8_t> request, bool viaReceiver);

  const DeviceKind kind_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> info_;
  std::vector<uint8_t> parameters_;
  std::vector<uint8_t> keyTable_;
  std::vector<uint8_t> fnKeyTable_;
  std::vector<uint8_t> thirdKeyTable_;
  std::vector<uint8_t> keyAttributes_;
  std::vector<uint8_t> colourTables_;
  std::vector<uint8_t> macroMemory_;
  std::vector<uint8_t> recoilMemory_;
  std::vector<uint8_t> lightFrame_;
  std::vector<uint8_t> power_;
  std::deque<std::vector<uint8_t>> lightReports_;
  bool wirelessOn_ = true;
  Fault fault_;
  std::optional<Report> lastAnswer_;
  std::deque<LogEntry> log_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

const char* KindName(DeviceKind kind);
std::optional<DeviceKind> KindFromName(const std::string& name);

}  // namespace sim
