#include "sim/FirmwareModel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "keys/KeyTables.h"
#include "protocol/Command.h"
#include "protocol/DeviceCommand.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"
#include "protocol/PowerStatus.h"
#include "protocol/Rgb.h"

namespace sim {

namespace {

using protocol::Command;
using protocol::DeviceCommand;
using protocol::DeviceInfo;

constexpr uint8_t kKeyboardKeySlots = 126;

std::string Hex(std::span<const uint8_t> bytes) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

DeviceInfo InfoFor(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Keyboard: return {kKeyboardKeySlots, 32, 0, 0, 0, 0};
    case DeviceKind::Mouse: return {11, 16, 0x3395, 50, 520, 0};
    case DeviceKind::Pad: return {};
    case DeviceKind::Headset: return {};
  }
  return {};
}

// The macro memory an information block announces.
size_t MacroBytesOf(const std::vector<uint8_t>& info) {
  return DeviceInfo::Decode(std::span<const uint8_t, DeviceInfo::kSize>(info.begin(),
                                                                       DeviceInfo::kSize))
      .MacroBytes();
}

// The keyboard as it leaves the factory: every printed key of the layout in
// one slot, the slots ordered by key name row rather than by layout
// position, each with the LED under that key (the LED index is the layout
// position). Slots left over hold 0, 0, 0 and no LED.
void FillKeyboardKeys(std::vector<uint8_t>& table, std::vector<uint8_t>& attributes,
                      size_t slots) {
  std::vector<int> positions;
  for (int position = 0; position < keys::kLayoutPositions; ++position)
    if (keys::KeyPositionTable[static_cast<size_t>(position)] != keys::kNoRow)
      positions.push_back(position);
  std::stable_sort(positions.begin(), positions.end(), [](int a, int b) {
    return keys::KeyPositionTable[static_cast<size_t>(a)] <
           keys::KeyPositionTable[static_cast<size_t>(b)];
  });
  for (size_t slot = 0; slot < slots; ++slot) {
    if (slot < positions.size()) {
      keys::PrintedFunction(positions[slot]).WriteSlot(table, slot);
      attributes[slot] = static_cast<uint8_t>(positions[slot]);
    } else {
      attributes[slot] = protocol::kNoLed;
    }
  }
}

// The bytes of a pad's or headset's block that only its firmware knows
// (byte 4 and 9..20): never zero, and different in every slot, so a host
// that writes back what it did not read shows.
void FillOwnPadBytes(std::span<uint8_t> block, size_t slot) {
  using Parameters = protocol::PadParameters;
  block[Parameters::kDirectionOffset] = static_cast<uint8_t>(0x40 + slot);
  for (size_t i = Parameters::kLightingEnd; i < Parameters::kSize; ++i)
    block[i] = static_cast<uint8_t>(0x80 + slot * 0x10 + i);
}

// A device fresh from the factory lights up: every profile slot starts with
// a static red at full brightness, middle speed, and the fastest report rate.
void FillFactoryParameters(DeviceKind kind, std::vector<uint8_t>& parameters) {
  using protocol::BlockLighting;
  struct Layout {
    size_t stride;
    uint8_t mode;
    size_t reportRateOffset;  // 0: the block has none
    uint8_t reportRate;
  };
  Layout layout{};
  switch (kind) {
    case DeviceKind::Keyboard:
      layout = {protocol::KeyboardParameters::kStride, 6,
                protocol::KeyboardParameters::kReportRateOffset, 3};
      break;
    case DeviceKind::Mouse:
      layout = {protocol::MouseParameters::kStride, 3, protocol::MouseParameters::kReportRateOffset,
                3};
      break;
    case DeviceKind::Pad:
    case DeviceKind::Headset: layout = {protocol::PadParameters::kStride, 3, 0, 0}; break;
  }
  constexpr uint8_t kFullBrightness = 4;
  constexpr uint8_t kMiddleSpeed = 2;  // stored as 4 − the level: 2 either way
  constexpr protocol::Rgb kFactoryRed{0xFF, 0x20, 0x20};
  for (size_t slot = 0; slot < protocol::kProfileSlots; ++slot) {
    const size_t base = slot * layout.stride;
    if (base + layout.stride > parameters.size())
      break;
    const std::span<uint8_t> block = std::span(parameters).subspan(base, layout.stride);
    block[BlockLighting::kModeOffset] = layout.mode;
    block[BlockLighting::kBrightnessOffset] = kFullBrightness;
    block[BlockLighting::kSpeedOffset] = kMiddleSpeed;
    protocol::WriteRgbBytes(
        kFactoryRed, block.subspan(BlockLighting::kColourOffset).first<protocol::kRgbBytes>());
    if (layout.reportRateOffset != 0)
      block[layout.reportRateOffset] = layout.reportRate;
    if (kind == DeviceKind::Pad || kind == DeviceKind::Headset)
      FillOwnPadBytes(block, slot);
  }
}

}  // namespace

const char* KindName(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Keyboard: return "keyboard";
    case DeviceKind::Mouse: return "mouse";
    case DeviceKind::Pad: return "pad";
    case DeviceKind::Headset: return "headset";
  }
  return "";
}

std::optional<DeviceKind> KindFromName(const std::string& name) {
  for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::Pad,
                          DeviceKind::Headset})
    if (name == KindName(kind))
      return kind;
  return std::nullopt;
}

std::optional<Fault> Fault::Parse(const std::string& text) {
  Fault fault;
  if (text == "none") {
    fault.kind = Kind::None;
  } else if (text == "noanswer") {
    fault.kind = Kind::NoAnswer;
  } else if (text == "status-ff") {
    fault.kind = Kind::StatusFF;
  } else if (text == "status-fe") {
    fault.kind = Kind::StatusFE;
  } else if (text == "stale") {
    fault.kind = Kind::Stale;
  } else if (text.rfind("noanswer-after:", 0) == 0) {
    const char* digits = text.c_str() + 15;
    char* end = nullptr;
    const long count = std::strtol(digits, &end, 10);
    if (end == digits || *end != '\0' || count < 0 || count > 1000000)
      return std::nullopt;
    fault.kind = Kind::NoAnswerAfter;
    fault.answersLeft = static_cast<int>(count);
  } else if (text.rfind("delay:", 0) == 0) {
    char* end = nullptr;
    const long ms = std::strtol(text.c_str() + 6, &end, 10);
    if (end == text.c_str() + 6 || *end != '\0' || ms < 0 || ms > 600000)
      return std::nullopt;
    fault.kind = Kind::Delay;
    fault.delayMs = static_cast<int>(ms);
  } else {
    return std::nullopt;
  }
  return fault;
}

FirmwareModel::FirmwareModel(DeviceKind kind) : kind_(kind) {
  const DeviceInfo::Bytes infoBytes = InfoFor(kind).Encode();
  info_.assign(infoBytes.begin(), infoBytes.end());
  FillFactoryMemory();
  // Battery full, not charging; no wireless flag, no phone.
  power_.assign(protocol::PowerStatus::kSize, 0);
  power_[protocol::PowerStatus::kChargeOffset] = 100;
}

void FirmwareModel::FillFactoryMemory() {
  const DeviceInfo info = InfoFor(kind_);
  parameters_.assign(kParameterBytes, 0);
  FillFactoryParameters(kind_, parameters_);
  keyTable_.assign(kKeyTableBytes, 0);
  fnKeyTable_.assign(kKeyTableBytes, 0);
  thirdKeyTable_.assign(kKeyTableBytes, 0);
  keyAttributes_.assign(protocol::KeyFunction::kSlots, 0);
  if (kind_ == DeviceKind::Keyboard)
    FillKeyboardKeys(keyTable_, keyAttributes_, info.keyCount);
  if (kind_ == DeviceKind::Mouse)
    for (size_t slot = 0; slot < keys::MouseFactoryFunctions.size(); ++slot)
      keys::MouseFactoryFunctions[slot].WriteSlot(keyTable_, slot);
  colourTables_.assign(kColourSlots * kColourSlotBytes, 0);
  // The macro memory keeps the size the information block announces.
  macroMemory_.assign(MacroBytesOf(info_), 0);
  recoilMemory_.assign(kRecoilBytes, 0);
  lightFrame_.assign(kLightFrameBytes, 0);
  lightReports_.clear();
  lastAnswer_.reset();
}

void FirmwareModel::ResetMemory() {
  std::lock_guard lock(mutex_);
  FillFactoryMemory();
}

uint16_t FirmwareModel::Checksum(std::span<const uint8_t, DeviceCommand::kSize> report) {
  return DeviceCommand::Checksum(report);
}

void FirmwareModel::Record(bool toDevice, std::span<const uint8_t> report) {
  LogEntry entry;
  entry.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start_)
                           .count();
  entry.toDevice = toDevice;
  std::copy_n(report.begin(), std::min(report.size(), entry.report.size()), entry.report.begin());
  log_.push_back(entry);
  while (log_.size() > kLogEntries)
    log_.pop_front();
}

std::vector<Report> FirmwareModel::HandleRequest(std::span<const uint8_t> request,
                                                 bool viaReceiver) {
  Fault fault;
  {
    std::lock_guard lock(mutex_);
    Record(true, request);
    fault = fault_;
    if (fault_.kind == Fault::Kind::NoAnswerAfter && fault_.answersLeft > 0)
      --fault_.answersLeft;
  }
  if (fault.kind == Fault::Kind::Delay)
    std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
  std::lock_guard lock(mutex_);
  if (request.size() != DeviceCommand::kSize ||
      request[DeviceCommand::kReportIdOffset] != DeviceCommand::kReportId)
    return {};  // not the command report: the device ignores it
  if (fault.kind == Fault::Kind::NoAnswer ||
      (fault.kind == Fault::Kind::NoAnswerAfter && fault.answersLeft == 0))
    return {};
  std::vector<Report> answers;
  if (fault.kind == Fault::Kind::Stale && lastAnswer_)
    answers.push_back(*lastAnswer_);
  Report answer = Answer(request, viaReceiver);
  if (fault.kind == Fault::Kind::StatusFF)
    answer[DeviceCommand::kAnswerStatusOffset] = protocol::kStatusRejected;
  else if (fault.kind == Fault::Kind::StatusFE)
    answer[DeviceCommand::kAnswerStatusOffset] = protocol::kStatusFailed;
  answers.push_back(answer);
  lastAnswer_ = answer;
  for (const Report& a : answers)
    Record(false, a);
  return answers;
}

Report FirmwareModel::Answer(std::span<const uint8_t> request, bool viaReceiver) {
  // HandleRequest let only whole command reports through.
  const std::span<const uint8_t, DeviceCommand::kSize> report(request.begin(),
                                                              DeviceCommand::kSize);
  const uint8_t length = report[DeviceCommand::kLengthOffset];
  const size_t position = DeviceCommand::PositionOf(report);
  Report answer{};
  answer[DeviceCommand::kReportIdOffset] = DeviceCommand::kReportId;
  answer[DeviceCommand::kAnswerCommandOffset] = report[DeviceCommand::kCommandOffset];
  // The length and position are echoed where the request had them.
  std::copy_n(report.begin() + DeviceCommand::kLengthOffset,
              DeviceCommand::kPositionOffset + 2 - DeviceCommand::kLengthOffset,
              answer.begin() + DeviceCommand::kLengthOffset);
  uint8_t& status = answer[DeviceCommand::kAnswerStatusOffset];
  const auto data = std::span(answer).subspan(DeviceCommand::kDataOffset);
  auto bad = [&] {
    status = protocol::kStatusRejected;
    return answer;
  };

  // The receiver answers for a device that is switched off.
  if (viaReceiver && !wirelessOn_) {
    answer[DeviceCommand::kAnswerCommandOffset] = protocol::kReceiverAnswered;
    return answer;
  }
  if (DeviceCommand::StoredChecksum(report) != DeviceCommand::Checksum(report) ||
      length > DeviceCommand::kMaxData)
    return bad();

  auto read = [&](const std::vector<uint8_t>& region) {
    if (position + length > region.size())
      return bad();
    std::copy_n(region.begin() + static_cast<long>(position), length, data.begin());
    status = protocol::kStatusOk;
    return answer;
  };
  // Bytes after the data of a request are not looked at.
  auto write = [&](std::vector<uint8_t>& region) {
    if (position + length > region.size())
      return bad();
    std::copy_n(report.begin() + DeviceCommand::kDataOffset, length,
                region.begin() + static_cast<long>(position));
    status = protocol::kStatusOk;
    return answer;
  };

  switch (static_cast<Command>(report[DeviceCommand::kCommandOffset])) {
    case Command::BeginTransfer:
    case Command::EndTransfer:
    case Command::TakeLightControl:
      status = protocol::kStatusOk;
      return answer;
    case Command::ReadDeviceInfo: return read(info_);
    case Command::ReadParameters: return read(parameters_);
    case Command::WriteParameters: return write(parameters_);
    case Command::ReadKeyTable: return read(keyTable_);
    case Command::WriteKeyTable: return write(keyTable_);
    case Command::WriteKeyTable2: return write(fnKeyTable_);
    case Command::WriteKeyTable3: return write(thirdKeyTable_);
    case Command::ReadColorTable: return read(colourTables_);
    case Command::WriteColorTable: return write(colourTables_);
    case Command::StreamLightFrame: return write(lightFrame_);
    case Command::WriteMacroData: return write(macroMemory_);
    case Command::WriteRecoilData: return write(recoilMemory_);
    case Command::ReadPowerStatus: return read(power_);
    case Command::ReadKeyAttributes: return read(keyAttributes_);
    case Command::QueryWirelessLink:
      status = protocol::kStatusOk;
      answer[DeviceCommand::kDataOffset] =
          wirelessOn_ ? protocol::kWirelessLinkUp : protocol::kWirelessLinkDown;
      return answer;
  }
  return bad();
}

void FirmwareModel::HandleLightReport(std::span<const uint8_t> report) {
  std::lock_guard lock(mutex_);
  Record(true, report);
  lightReports_.emplace_back(report.begin(), report.end());
  while (lightReports_.size() > kHeadsetLightReports)
    lightReports_.pop_front();
}

void FirmwareModel::SetWirelessOn(bool on) {
  std::lock_guard lock(mutex_);
  wirelessOn_ = on;
}

bool FirmwareModel::IsWirelessOn() const {
  std::lock_guard lock(mutex_);
  return wirelessOn_;
}

void FirmwareModel::SetFault(Fault fault) {
  std::lock_guard lock(mutex_);
  fault_ = fault;
}

void FirmwareModel::SetPower(uint8_t percent, uint8_t state) {
  std::lock_guard lock(mutex_);
  power_[protocol::PowerStatus::kChargeOffset] = percent;
  power_[protocol::PowerStatus::kChargingStateOffset] = state;
}

void FirmwareModel::SetPowerStatus(const protocol::PowerStatus::Bytes& status) {
  std::lock_guard lock(mutex_);
  std::copy(status.begin(), status.end(), power_.begin());
}

std::vector<uint8_t>* FirmwareModel::RegionFor(const std::string& name) {
  if (name == "info") return &info_;
  if (name == "parameters") return &parameters_;
  if (name == "key_table") return &keyTable_;
  if (name == "fn_key_table") return &fnKeyTable_;
  if (name == "third_key_table") return &thirdKeyTable_;
  if (name == "key_attributes") return &keyAttributes_;
  if (name == "colour_tables") return &colourTables_;
  if (name == "macro_memory") return &macroMemory_;
  if (name == "recoil_memory") return &recoilMemory_;
  if (name == "light_frame") return &lightFrame_;
  if (name == "power") return &power_;
  return nullptr;
}

bool FirmwareModel::Poke(const std::string& region, size_t offset,
                         std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  std::vector<uint8_t>* memory = RegionFor(region);
  if (memory == nullptr || offset + bytes.size() > memory->size())
    return false;
  std::copy(bytes.begin(), bytes.end(), memory->begin() + static_cast<long>(offset));
  // A new information block may give the device another macro memory size.
  if (region == "info")
    macroMemory_.resize(MacroBytesOf(info_), 0);
  return true;
}

std::optional<std::vector<uint8_t>> FirmwareModel::Region(const std::string& region) const {
  std::lock_guard lock(mutex_);
  auto* memory = const_cast<FirmwareModel*>(this)->RegionFor(region);
  if (memory == nullptr)
    return std::nullopt;
  return *memory;
}

uint8_t FirmwareModel::ActiveProfile() const {
  std::lock_guard lock(mutex_);
  return parameters_[protocol::kActiveProfileAddress];
}

std::vector<std::vector<uint8_t>> FirmwareModel::LightReports() const {
  std::lock_guard lock(mutex_);
  return {lightReports_.begin(), lightReports_.end()};
}

std::vector<LogEntry> FirmwareModel::Log() const {
  std::lock_guard lock(mutex_);
  return {log_.begin(), log_.end()};
}

std::string FirmwareModel::StateJson() const {
  std::lock_guard lock(mutex_);
  std::string json = "{";
  auto field = [&](const char* name, const std::vector<uint8_t>& bytes) {
    json += "\"";
    json += name;
    json += "\": \"" + Hex(bytes) + "\", ";
  };
  field("info", info_);
  json += "\"active_profile\": " +
          std::to_string(parameters_[protocol::kActiveProfileAddress]) + ", ";
  field("parameters", parameters_);
  field("key_table", keyTable_);
  field("fn_key_table", fnKeyTable_);
  field("third_key_table", thirdKeyTable_);
  field("key_attributes", keyAttributes_);
  field("colour_tables", colourTables_);
  field("macro_memory", macroMemory_);
  field("recoil_memory", recoilMemory_);
  field("light_frame", lightFrame_);
  json += "\"light_reports\": [";
  for (size_t i = 0; i < lightReports_.size(); ++i)
    json += (i ? ", \"" : "\"") + Hex(lightReports_[i]) + "\"";
  json += "], ";
  field("power", power_);
  json += std::string("\"wireless\": ") + (wirelessOn_ ? "true" : "false") + "}";
  return json;
}

}  // namespace sim
