#include "sim/FirmwareModel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "keys/KeyTables.h"

namespace sim {

namespace {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusBad = 0xFF;
constexpr uint8_t kNoLed = 255;
constexpr uint8_t kKeyboardKeySlots = 126;

// The mouse's factory functions, one slot per button: left, right, middle,
// forward, back, DPI up, DPI down, DPI cycle, GM key, M8 key (DPI shift
// 0x90/1) and fire (interval 0x78, two shots).
constexpr std::array<keys::FunctionCode, 11> kMouseButtonFunctions = {{
    {keys::FunctionType::MouseButton, 0x01, 0x00},
    {keys::FunctionType::MouseButton, 0x02, 0x00},
    {keys::FunctionType::MouseButton, 0x04, 0x00},
    {keys::FunctionType::MouseButton, 0x10, 0x00},
    {keys::FunctionType::MouseButton, 0x08, 0x00},
    {keys::FunctionType::Dpi, 0x01, 0x00},
    {keys::FunctionType::Dpi, 0x02, 0x00},
    {keys::FunctionType::Dpi, 0x03, 0x00},
    {keys::FunctionType::Special, 0x1B, 0x00},
    {keys::FunctionType::DpiShift, 0x90, 0x01},
    {keys::FunctionType::Fire, 0x78, 0x02},
}};

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

struct InfoValues {
  uint8_t keyCount;
  uint8_t macroUnits;  // of 128 bytes
  uint16_t sensor;
  uint8_t dpiStep;
  uint16_t dpiMax;
  uint16_t dpiBase;
};

InfoValues InfoFor(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::Keyboard: return {kKeyboardKeySlots, 32, 0, 0, 0, 0};
    case DeviceKind::Mouse: return {11, 16, 0x3395, 50, 520, 0};
    case DeviceKind::Pad: return {0, 0, 0, 0, 0, 0};
    case DeviceKind::Headset: return {0, 0, 0, 0, 0, 0};
  }
  return {};
}

void PutFunction(std::vector<uint8_t>& table, size_t slot, keys::FunctionCode code) {
  table[slot * 3] = code.Type;
  table[slot * 3 + 1] = code.Code1;
  table[slot * 3 + 2] = code.Code2;
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
      PutFunction(table, slot, keys::PrintedFunction(positions[slot]));
      attributes[slot] = static_cast<uint8_t>(positions[slot]);
    } else {
      attributes[slot] = kNoLed;
    }
  }
}

// A device fresh from the factory lights up: every profile slot starts with
// a static red at full brightness, middle speed, and the fastest report rate.
void FillFactoryParameters(DeviceKind kind, std::vector<uint8_t>& parameters) {
  struct Layout {
    size_t stride, slots;
    uint8_t mode;
    size_t reportRateByte;  // 0: none
    uint8_t reportRate;
  };
  Layout layout{};
  switch (kind) {
    case DeviceKind::Keyboard: layout = {40, 4, 6, 22, 3}; break;
    case DeviceKind::Mouse: layout = {128, 4, 3, 11, 3}; break;
    case DeviceKind::Pad:
    case DeviceKind::Headset: layout = {64, 4, 3, 0, 0}; break;
  }
  for (size_t slot = 0; slot < layout.slots; ++slot) {
    const size_t base = slot * layout.stride;
    if (base + layout.stride > parameters.size())
      break;
    parameters[base + 1] = layout.mode;
    parameters[base + 2] = 4;  // brightness
    parameters[base + 3] = 2;  // 4 - speed level
    parameters[base + 6] = 0xFF;
    parameters[base + 7] = 0x20;
    parameters[base + 8] = 0x20;
    if (layout.reportRateByte != 0)
      parameters[base + layout.reportRateByte] = layout.reportRate;
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
  const InfoValues v = InfoFor(kind);
  info_.assign(34, 0);
  info_[5] = v.keyCount;
  info_[6] = v.macroUnits;
  info_[9] = static_cast<uint8_t>(v.sensor & 0xFF);
  info_[10] = static_cast<uint8_t>(v.sensor >> 8);
  info_[11] = v.dpiStep;
  info_[12] = static_cast<uint8_t>(v.dpiMax & 0xFF);
  info_[13] = static_cast<uint8_t>(v.dpiMax >> 8);
  info_[14] = static_cast<uint8_t>(v.dpiBase & 0xFF);
  info_[15] = static_cast<uint8_t>(v.dpiBase >> 8);
  parameters_.assign(kParameterBytes, 0);
  FillFactoryParameters(kind, parameters_);
  keyTable_.assign(kKeyTableBytes, 0);
  fnKeyTable_.assign(kKeyTableBytes, 0);
  thirdKeyTable_.assign(kKeyTableBytes, 0);
  keyAttributes_.assign(kKeyTableBytes / 3, 0);
  if (kind == DeviceKind::Keyboard)
    FillKeyboardKeys(keyTable_, keyAttributes_, v.keyCount);
  if (kind == DeviceKind::Mouse)
    for (size_t slot = 0; slot < kMouseButtonFunctions.size(); ++slot)
      PutFunction(keyTable_, slot, kMouseButtonFunctions[slot]);
  colourTables_.assign(kColourSlots * kColourSlotBytes, 0);
  macroMemory_.assign(static_cast<size_t>(v.macroUnits) * 128, 0);
  recoilMemory_.assign(kRecoilBytes, 0);
  lightFrame_.assign(kLightFrameBytes, 0);
  // Battery full, not charging, wireless flag, phone type.
  power_ = {100, 0, 0, 0, 0, 0};
}

uint16_t FirmwareModel::Checksum(std::span<const uint8_t, 64> report) {
  uint32_t sum = 0;
  for (size_t i = 3; i < 64; ++i)
    sum += report[i];
  return static_cast<uint16_t>(sum & 0xFFFF);
}

void FirmwareModel::Record(bool toDevice, std::span<const uint8_t> report) {
  LogEntry entry;
  entry.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start_)
                           .count();
  entry.toDevice = toDevice;
  std::copy_n(report.begin(), std::min<size_t>(report.size(), 64), entry.report.begin());
  log_.push_back(entry);
}

std::vector<Report> FirmwareModel::HandleRequest(std::span<const uint8_t> request,
                                                 bool viaReceiver) {
  Fault fault;
  {
    std::lock_guard lock(mutex_);
    Record(true, request);
    fault = fault_;
  }
  if (fault.kind == Fault::Kind::Delay)
    std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
  std::lock_guard lock(mutex_);
  if (request.size() != 64 || request[0] != kReportId)
    return {};  // not the command report: the device ignores it
  if (fault.kind == Fault::Kind::NoAnswer)
    return {};
  std::vector<Report> answers;
  if (fault.kind == Fault::Kind::Stale && lastAnswer_)
    answers.push_back(*lastAnswer_);
  Report answer = Answer(request, viaReceiver);
  if (fault.kind == Fault::Kind::StatusFF)
    answer[7] = 0xFF;
  else if (fault.kind == Fault::Kind::StatusFE)
    answer[7] = 0xFE;
  answers.push_back(answer);
  lastAnswer_ = answer;
  for (const Report& a : answers)
    Record(false, a);
  return answers;
}

Report FirmwareModel::Answer(std::span<const uint8_t> request, bool viaReceiver) {
  Report answer{};
  answer[0] = kReportId;
  const uint8_t command = request[3];
  const uint8_t length = request[4];
  const size_t position = request[5] | (static_cast<size_t>(request[6]) << 8);
  answer[3] = command;
  answer[4] = length;
  answer[5] = request[5];
  answer[6] = request[6];
  auto bad = [&] {
    answer[7] = kStatusBad;
    return answer;
  };

  // The receiver answers for a device that is switched off.
  if (viaReceiver && !wirelessOn_) {
    answer[3] = kReceiverAnswer;
    return answer;
  }
  const uint16_t checksum = request[1] | (request[2] << 8);
  std::array<uint8_t, 64> copy{};
  std::copy_n(request.begin(), 64, copy.begin());
  if (checksum != Checksum(copy) || length > 56)
    return bad();

  auto read = [&](const std::vector<uint8_t>& region) {
    if (position + length > region.size())
      return bad();
    std::copy_n(region.begin() + static_cast<long>(position), length, answer.begin() + 8);
    answer[7] = kStatusOk;
    return answer;
  };
  // Bytes after the data of a request are not looked at.
  auto write = [&](std::vector<uint8_t>& region) {
    if (position + length > region.size())
      return bad();
    std::copy_n(request.begin() + 8, length, region.begin() + static_cast<long>(position));
    answer[7] = kStatusOk;
    return answer;
  };

  switch (command) {
    case 0x01:  // begin transfer
    case 0x02:  // end transfer
    case 0x1C:  // take light control
      answer[7] = kStatusOk;
      return answer;
    case 0x03: return read(info_);
    case 0x05: return read(parameters_);
    case 0x06: return write(parameters_);
    case 0x07: return read(keyTable_);
    case 0x09: return write(keyTable_);
    case 0x27: return write(fnKeyTable_);
    case 0x28: return write(thirdKeyTable_);
    case 0x0A: return read(colourTables_);
    case 0x0B: return write(colourTables_);
    case 0x12: return write(lightFrame_);
    case 0x15: return write(macroMemory_);
    case 0x17: return write(recoilMemory_);
    case 0x1A: return read(power_);
    case 0x1B: return read(keyAttributes_);
    case 0xAA:
      answer[7] = kStatusOk;
      answer[8] = wirelessOn_ ? 0xFF : 0x00;
      return answer;
    default:
      return bad();
  }
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
  power_[0] = percent;
  power_[1] = state;
}

void FirmwareModel::SetPowerStatus(const std::array<uint8_t, 6>& status) {
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
    macroMemory_.resize(static_cast<size_t>(info_[6]) * 128, 0);
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
  return parameters_[0];
}

std::vector<std::vector<uint8_t>> FirmwareModel::LightReports() const {
  std::lock_guard lock(mutex_);
  return {lightReports_.begin(), lightReports_.end()};
}

std::vector<LogEntry> FirmwareModel::Log() const {
  std::lock_guard lock(mutex_);
  return log_;
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
  json += "\"active_profile\": " + std::to_string(parameters_[0]) + ", ";
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
