#include "devicecore/KeyboardCore.h"

#include <QMetaObject>
#include <algorithm>
#include <cstring>

#include "devicecore/DeviceLedCanvas.h"
#include "devicecore/MacroDownload.h"
#include "keys/KeySlotMap.h"
#include "keys/KeyTables.h"
#include "lighting/KeyboardFrame.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroFile.h"
#include "macros/MacroImage.h"
#include "macros/MacroList.h"
#include "platform/DebugChannel.h"
#include "platform/TickClock.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"
#include "protocol/Rgb.h"

namespace {

using Parameters = protocol::KeyboardParameters;

// A light point showing a custom colour (an RGB word) at full level.
uint32_t FullLevelLed(uint32_t rgbWord) {
  return lighting::PackLed(protocol::FromRgbWord(rgbWord), 0xFF);
}

}  // namespace

std::atomic<uint16_t> KeyboardCore::pendingReset_{0};

KeyboardCore::KeyboardCore() {
  SetLightThreadStyle("KB灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
  for (auto& slot : positionToSlot_)
    slot = kNoSlot;
  for (auto& led : positionToLed_)
    led = kNoSlot;
  effect_.StartChase();
  keyEffects_.AudioStyles().SetLevelSource(&audioLevels_);
  firstContactRetry_.setSingleShot(true);
  connect(&firstContactRetry_, &QTimer::timeout, this, &KeyboardCore::RetryFirstContact);
  SetEventHandler([this](uint16_t code, bool) { HandleEvent(code); });
}

KeyboardCore::~KeyboardCore() {
  // Nothing of this class may run once it is being torn down.
  StopWorker();
  StopThreads();
}

// --- Files and profile ---------------------------------------------------------

void KeyboardCore::SetProfileFiles(const QString& defaultProfile, const QString& profile,
                                   const QString& lightConfig) {
  profile_.SetFiles(defaultProfile, profile, lightConfig);
}

void KeyboardCore::LoadLightLists(const QString& modeFile, int tableIndex,
                                  const QString& macroListFile) {
  modes_ = LightModeList::Load(modeFile, tableIndex);
  ReloadMacroNames(macroListFile);
}


void KeyboardCore::LoadProfileState() {
  const QString path = profile_.GetProfilePath();
  if (path.isEmpty())
    return;
  profile_.LoadProfile(path);
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  settings_ = profile_.GetKeyboardSystem();
  fnLayer_ = profile_.GetFnKeysetFlag();
}

void KeyboardCore::ApplyProfile() {
  const LightInfo info = lighting::ClampLightInfo(profile_.GetLightInfo(), modes_);
  const uint8_t previousMode = static_cast<uint8_t>(GetLightWords().A & 0xFF);
  SetLightWords(ToLightWords(info));
  profile_.LoadLightConfig(profile_.GetLightConfigPath());
  LoadCustomColours(info.CustomGroup);
  DeviceLedCanvas canvas(*this);
  {
    std::lock_guard lock(listMutex_);
    lightList_.SetList(profile_.GetLightList());
    lightList_.Run(canvas, platform::TickCount(), true);
  }
  {
    std::lock_guard lock(stepMutex_);
    userSteps_.SetSteps(profile_.GetLightEffectSteps());
  }
  SetAudioStyle(profile_.GetAudioLightInfo());
  if (info.SelectItem != previousMode || info.SelectItem == kCustomColourMode)
    OnLightModeChanged();
  Tell(listener_.profileApplied);
}

void KeyboardCore::ResetToDefaults() {
  profile_.LoadProfile(profile_.GetDefaultProfilePath());
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  settings_ = profile_.GetKeyboardSystem();
  SaveProfile();
}

void KeyboardCore::SaveProfile() {
  if (!profile_.GetProfilePath().isEmpty())
    profile_.Save();
}

void KeyboardCore::SetLightInfo(const LightWords& words) {
  SetLightWords(words);
  profile_.SetLightInfo(FromLightWords(words));
}

void KeyboardCore::SetFnLayer(bool on) {
  fnLayer_ = on;
  profile_.SetFnKeysetFlag(on);
}

uint16_t KeyboardCore::Half(HalfWord field) const {
  const uint32_t value = settings_[static_cast<size_t>(field.word)];
  return static_cast<uint16_t>(field.high ? value >> 16 : value & 0xFFFF);
}

void KeyboardCore::SetHalf(HalfWord field, uint16_t value) {
  uint32_t& target = settings_[static_cast<size_t>(field.word)];
  target = field.high ? (target & 0x0000FFFFu) | static_cast<uint32_t>(value) << 16
                      : (target & 0xFFFF0000u) | value;
}

void KeyboardCore::StoreSettings() {
  profile_.SetKeyboardSystem(settings_[0], settings_[1], settings_[2], settings_[3]);
}

// --- Custom colours -------------------------------------------------------------

bool KeyboardCore::IsCustomColourMode() const {
  return static_cast<int>(GetLightWords().A & 0xFF) == kCustomColourMode;
}

uint32_t KeyboardCore::CustomColour(int position) const {
  return position >= 0 && position < kPositions ? customColours_[static_cast<size_t>(position)]
                                                : 0;
}

void KeyboardCore::LoadCustomColours(int group) {
  const std::vector<CustomLightColor> colours = profile_.GetCustomLightColors(group, kPositions);
  customColours_.fill(0);
  for (size_t i = 0; i < colours.size() && i < customColours_.size(); ++i)
    customColours_[i] = protocol::ToRgbWord({colours[i].Red, colours[i].Green, colours[i].Blue});
  if (IsCustomColourMode())
    for (int i = 0; i < kPositions; ++i)
      SetLedColour(i, FullLevelLed(customColours_[static_cast<size_t>(i)]));
}

void KeyboardCore::StoreCustomColours(int group) {
  std::vector<CustomLightColor> colours(kPositions);
  for (size_t i = 0; i < colours.size(); ++i) {
    const protocol::Rgb colour = protocol::FromRgbWord(customColours_[i]);
    colours[i] = {colour.r, colour.g, colour.b, 0xFF};
  }
  profile_.SetCustomLightColors(colours, group);
}

bool KeyboardCore::PaintCustomKey(int position) {
  if (!IsCustomColourMode() || position < 0 || position >= kPositions)
    return false;
  const LightInfo info = FromLightWords(GetLightWords());
  customColours_[static_cast<size_t>(position)] =
      protocol::ToRgbWord({info.Red, info.Green, info.Blue});
  SetLedColour(position, FullLevelLed(customColours_[static_cast<size_t>(position)]));
  return true;
}

void KeyboardCore::FillCustomKeys(bool on) {
  const LightInfo info = FromLightWords(GetLightWords());
  const uint32_t colour = on ? protocol::ToRgbWord({info.Red, info.Green, info.Blue}) : 0;
  for (int i = 0; i < kKeyPositions; ++i) {
    customColours_[static_cast<size_t>(i)] = colour;
    SetLedColour(i, FullLevelLed(colour));
  }
}

// --- Reads ------------------------------------------------------------------------

KeyboardCore::KeysRead KeyboardCore::ExchangeKeys() {
  KeysRead read;
  if (!Commands.IsOpen)
    return read;
  Commands.BeginTransfer();
  protocol::DeviceInfo::Bytes infoBytes{};
  if (Commands.ReadDeviceInfo(infoBytes) != 1) {
    Commands.EndTransfer();
    return read;
  }
  read.info = protocol::DeviceInfo::Decode(infoBytes);
  const int slotCount = std::min<int>(read.info.keyCount, protocol::KeyFunction::kSlots);
  const auto tableBytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
  if (!Commands.SetTransferSize(static_cast<uint16_t>(tableBytes))) {
    Commands.EndTransfer();
    return read;
  }
  read.infoRead = true;
  read.tableRead = Commands.ReadKeyTable(std::span(read.table.data(), tableBytes)) == 1;
  read.attributesRead =
      Commands.ReadKeyAttributes(std::span(read.attributes.data(), slotCount)) == 1;
  Commands.EndTransfer();
  return read;
}

bool KeyboardCore::ApplyKeys(const KeysRead& read) {
  if (!read.infoRead)
    return false;
  AdoptInfo(read.info);
  if (read.tableRead)
    keyTable_ = read.table;
  if (read.attributesRead)
    keyAttributes_ = read.attributes;
  const int slotCount = std::min<int>(info_.keyCount, protocol::KeyFunction::kSlots);
  // The table finds each printed key; a map learned before keeps the keys
  // that were given other functions since.
  const keys::KeySlotMap::Slots fresh = keys::KeySlotMap::FromTable(keyTable_, slotCount);
  const keys::KeySlotMap::Slots known = ReadKnownSlots(slotCount);
  const keys::KeySlotMap::Slots map = keys::KeySlotMap::Merge(fresh, known, slotCount);
  if (read.tableRead && map != known)
    WriteKnownSlots(map, slotCount);
  for (int position = 0; position < kPositions; ++position) {
    const uint8_t slot = position < keys::kLayoutPositions ? map[static_cast<size_t>(position)] : kNoSlot;
    positionToSlot_[static_cast<size_t>(position)] = slot;
    positionToLed_[static_cast<size_t>(position)] = slot != kNoSlot ? keyAttributes_[slot] : kNoSlot;
  }
  return read.tableRead;
}

keys::KeySlotMap::Slots KeyboardCore::ReadKnownSlots(int slotCount) const {
  keys::KeySlotMap::Slots map = keys::KeySlotMap::None();
  if (keySlotFile_.isEmpty())
    return map;
  const Json::Value document = JsonFile().ReadJson(keySlotFile_);
  const Json::Value& list = jsonvalue::Member(document, "map");
  // A map of another keyboard (another key count) is no map of this one.
  if (jsonvalue::ReadInt(jsonvalue::Member(document, "keyCount"), -1) != slotCount || !list.isArray() ||
      list.size() != map.size())
    return map;
  for (Json::ArrayIndex i = 0; i < list.size(); ++i)
    map[i] = static_cast<uint8_t>(jsonvalue::ReadIntIn(list[i], keys::KeySlotMap::kNoSlot, 0, keys::KeySlotMap::kNoSlot));
  return map;
}

void KeyboardCore::WriteKnownSlots(const keys::KeySlotMap::Slots& map, int slotCount) const {
  if (keySlotFile_.isEmpty())
    return;
  Json::Value document(Json::objectValue);
  document["keyCount"] = slotCount;
  Json::Value& list = document["map"] = Json::Value(Json::arrayValue);
  for (uint8_t slot : map)
    list.append(slot);
  if (JsonFile().WriteJson(keySlotFile_, document) != 0)
    platform::DebugOutput("keyboard: the key slot map could not be saved");
}

KeyboardCore::BlockRead KeyboardCore::ExchangeBlock() {
  BlockRead read;
  read.read = ReadActiveBlock(read.block, Parameters::kStride);
  return read;
}

bool KeyboardCore::ApplyBlock(const BlockRead& read) {
  if (!read.read)
    return false;
  const Block& block = read.block;
  activeProfile_ = block[Parameters::kActiveProfileOffset];
  {
    std::lock_guard lock(blockMutex_);
    block_ = block;
  }
  LightInfo info = FromLightWords(GetLightWords());
  const uint8_t previousMode = info.SelectItem;
  lighting::ReadKeyboardLighting(block, info, modes_);
  SetLightWords(ToLightWords(info));
  if (info.SelectItem != previousMode || info.SelectItem == kCustomColourMode)
    OnLightModeChanged();
  SetHalf(kWFlag, block[Parameters::kWFlagOffset]);
  SetHalf(kKey6Flag, block[Parameters::kKey6FlagOffset]);
  SetHalf(kWinFlag, block[Parameters::kWinLockOffset]);
  if (!profile_.GetProfilePath().isEmpty()) {
    StoreSettings();
    profile_.SetLightInfo(info);
    SaveProfile();
  }
  return true;
}

void KeyboardCore::ReadFirstContact(std::function<void()> done) {
  firstContactRetry_.stop();
  Run<std::pair<KeysRead, BlockRead>>(
      [this] {
        KeysRead keys = ExchangeKeys();
        return std::make_pair(keys, ExchangeBlock());
      },
      [this, done = std::move(done)](const std::pair<KeysRead, BlockRead>& read) {
        keysRead_ = ApplyKeys(read.first);
        LoadProfileState();
        // Read before in this run and no longer holding its settings: lost.
        blockRead_ = (ReadBefore() && read.second.read && TakeLoss(read.second)) || ApplyBlock(read.second);
        if (blockRead_)
          MarkRead();
        Tell(listener_.viewChanged);
        StartLightThread();
        firstContactDelayMs_ = 0;
        if (!FirstContactComplete())
          ScheduleFirstContactRetry();
        if (done)
          done();
      },
      "first-contact");
}

void KeyboardCore::ScheduleFirstContactRetry() {
  firstContactDelayMs_ = firstContactDelayMs_ == 0
                             ? kFirstContactRetryMs
                             : std::min(firstContactDelayMs_ * 2, kFirstContactRetryMaxMs);
  platform::DebugPrint("keyboard: first contact incomplete (keys %d, block %d); reading again in %d ms",
                       keysRead_ ? 1 : 0, blockRead_ ? 1 : 0, firstContactDelayMs_);
  firstContactRetry_.start(firstContactDelayMs_);
}

void KeyboardCore::RetryFirstContact() {
  // A device that went away is read afresh when it comes back.
  if (!Commands.IsOpen)
    return;
  const bool keys = !keysRead_;
  const bool block = !blockRead_;
  Run<std::pair<KeysRead, BlockRead>>(
      [this, keys, block] {
        KeysRead keysRead = keys ? ExchangeKeys() : KeysRead{};
        return std::make_pair(keysRead, block ? ExchangeBlock() : BlockRead{});
      },
      [this, keys, block](const std::pair<KeysRead, BlockRead>& read) {
        if (keys)
          keysRead_ = ApplyKeys(read.first);
        if (block)
          blockRead_ = (ReadBefore() && read.second.read && TakeLoss(read.second)) || ApplyBlock(read.second);
        if (blockRead_)
          MarkRead();
        Tell(listener_.viewChanged);
        if (!FirstContactComplete())
          ScheduleFirstContactRetry();
      },
      "first-contact");
}

bool KeyboardCore::ReadParameterBlock(std::function<void(bool)> done, const std::string& key) {
  return Run<BlockRead>([this] { return ExchangeBlock(); },
                        [this, done = std::move(done)](const BlockRead& read) {
                          const bool applied = ApplyBlock(read);
                          if (done)
                            done(applied);
                        },
                        key);
}

KeyboardCore::Block KeyboardCore::LastBlock() const {
  std::lock_guard lock(blockMutex_);
  return block_;
}

uint8_t KeyboardCore::PositionToSlot(int position) const {
  return position >= 0 && position < kPositions ? positionToSlot_[static_cast<size_t>(position)].load()
                                                : kNoSlot;
}

uint8_t KeyboardCore::PositionToLed(int position) const {
  return position >= 0 && position < kPositions ? positionToLed_[static_cast<size_t>(position)].load()
                                                : kNoSlot;
}

// --- Writes -------------------------------------------------------------------------

KeyboardCore::Block KeyboardCore::ComposeBlock(Block block) const {
  lighting::PutKeyboardLighting(block, FromLightWords(GetLightWords()), modes_);
  block[Parameters::kWFlagOffset] = static_cast<uint8_t>(Half(kWFlag));
  block[Parameters::kKey6FlagOffset] = static_cast<uint8_t>(Half(kKey6Flag));
  block[Parameters::kWinLockOffset] = static_cast<uint8_t>(Half(kWinFlag));
  block[Parameters::kReportRateOffset] = static_cast<uint8_t>(Half(kPollingRate));
  return block;
}

bool KeyboardCore::HoldsCurrentSettings(const Block& block) const {
  return ComposeBlock(block) == block;
}

void KeyboardCore::KeepDeviceBytes(const Block& block) {
  activeProfile_ = block[Parameters::kActiveProfileOffset];
  std::lock_guard lock(blockMutex_);
  block_ = block;
}

void KeyboardCore::CheckStoredSettings(std::function<void(Stored)> done) {
  CheckStoredBlock<BlockRead>([this] { return ExchangeBlock(); },
                              [this](const BlockRead& read) { return TakeLoss(read); }, std::move(done));
}

bool KeyboardCore::TakeLoss(const BlockRead& read) {
  if (HoldsCurrentSettings(read.block))
    return false;
  KeepDeviceBytes(read.block);
  ReportSettingsLost();
  return true;
}

void KeyboardCore::WriteParameterBlock(int slot, int byte0, std::function<void(int)> done) {
  Block block = ComposeBlock(LastBlock());
  block[Parameters::kActiveProfileOffset] = static_cast<uint8_t>(byte0);
  const auto address = protocol::SlotAddress<Parameters>(static_cast<size_t>(slot));
  Run<int>(
      [this, block, address] {
        if (!Commands.IsOpen)
          return 0;
        const int begun = Commands.BeginTransfer();
        const int written = Commands.WriteParameters(block, address);
        const int ended = Commands.EndTransfer();
        return begun == 1 && written == 1 && ended == 1 ? 1 : 0;
      },
      std::move(done));
}

void KeyboardCore::WriteKeyTables(int arg, std::vector<KeyListEntry> list,
                                  std::function<void(int)> done) {
  // Every slot the table can hold is built; the device's own count, read
  // again first, decides how much of it is sent.
  std::array<uint8_t, kTableSize> normal = keyTable_;
  std::array<uint8_t, kTableSize> fn = keyTable_;
  std::vector<int> used;
  const int slotLimit = std::min<int>(info_.keyCount, protocol::KeyFunction::kSlots);
  const size_t positions = std::min<size_t>(list.size(), kKeyPositions);
  for (size_t i = 0; i < positions; ++i) {
    const uint8_t slot = positionToSlot_[i];
    if (slot == kNoSlot || slot >= slotLimit)
      continue;
    KeyListEntry& entry = list[i];
    if (keys::IsMacro(entry.Normal.Type) && !RenumberForSending(entry.Normal, used))
      entry.Normal = entry.Default;
    if (keys::IsMacro(entry.Fn.Type) && !RenumberForSending(entry.Fn, used)) {
      entry.Fn.Type = 0;
      entry.Fn.Code1 = 0;
      entry.Fn.Code2 = 0;
    }
    // An Fn function equal to the default is sent as none.
    const keys::FunctionCode fnCode =
        entry.Fn == entry.Default ? keys::FunctionCode{} : keys::CodeOf(entry.Fn);
    fnCode.WriteSlot(fn, slot);
    keys::CodeOf(entry.Normal).WriteSlot(normal, slot);
  }
  struct Written {
    int result = 0;
    std::optional<protocol::DeviceInfo> info;
  };
  const protocol::DeviceInfo known = info_;
  Run<Written>(
      [this, normal, fn, known, arg] {
        Written out;
        if (!Commands.IsOpen)
          return out;
        protocol::DeviceInfo info = known;
        protocol::DeviceInfo::Bytes infoBytes{};
        if (Commands.ReadDeviceInfo(infoBytes) == 1) {
          info = protocol::DeviceInfo::Decode(infoBytes);
          out.info = info;
        }
        const int slotCount = std::min<int>(info.keyCount, protocol::KeyFunction::kSlots);
        const size_t bytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
        const int begun = Commands.BeginTransfer();
        const int a = Commands.WriteKeyTable(std::span(normal.data(), bytes), arg);
        const int b = Commands.WriteKeyTable2(std::span(fn.data(), bytes), arg);
        Commands.EndTransfer();
        out.result = begun == 1 && a == 1 && b == 1 ? 1 : 0;
        return out;
      },
      [this, done = std::move(done)](const Written& written) {
        if (written.info)
          AdoptInfo(*written.info);
        if (done)
          done(written.result);
      });
}

void KeyboardCore::AdoptInfo(const protocol::DeviceInfo& info) {
  info_ = info;
  streamedSlots_ = info_.keyCount;
}

std::vector<int> KeyboardCore::CollectUsedMacros() const {
  std::vector<int> scan;
  for (int position = 0; position < kKeyPositions; ++position)
    if (positionToSlot_[static_cast<size_t>(position)] != kNoSlot)
      scan.push_back(position);
  return macros::UsedMacros(keyList_, scan, true, macroNames_.size());
}

void KeyboardCore::WriteColourTable(std::function<void(int)> done) {
  std::array<uint8_t, protocol::kColourTableBytes> table{};
  const int slotCount =
      std::min<int>(info_.keyCount, protocol::kColourTableBytes / protocol::kRgbBytes);
  for (int i = 0; i < kPositions; ++i) {
    const uint8_t key = positionToSlot_[static_cast<size_t>(i)];
    if (key == kNoSlot || key >= slotCount)
      continue;
    protocol::PutRgbAt(table, key, protocol::FromRgbWord(customColours_[static_cast<size_t>(i)]));
  }
  const int group = static_cast<int>(GetLightWords().D & 0xFF);
  const size_t bytes = static_cast<size_t>(slotCount) * protocol::kRgbBytes;
  Run<int>(
      [this, table, group, bytes] {
        if (!Commands.IsOpen)
          return 0;
        const int result = Commands.WriteColorTable(std::span(table.data(), bytes), group,
                                                    protocol::kColourTableBytes);
        if (result != 1) {
          // The keyboard is busy or gone: give it a moment before the next
          // exchange.
          PauseDevice(kFailedWritePauseMs);
          return 0;
        }
        return 1;
      },
      std::move(done));
}

// --- Light effects ---------------------------------------------------------------------

lighting::LightParams KeyboardCore::CurrentLightParams() const {
  const LightInfo info = FromLightWords(GetLightWords());
  lighting::LightParams light;
  light.mode = info.SelectItem;
  light.brightness = std::min<int>(info.Light, lighting::kMaxLevel);
  light.speed = std::min<int>(info.Speed, lighting::kMaxLevel);
  light.direction = info.Fx != 0 ? 1 : 0;
  light.multiColour = info.MultiColor != 0;
  light.colour = {info.Red, info.Green, info.Blue};
  light.secondZone = info.ZZCCLedMode;
  return light;
}

void KeyboardCore::StartLightThread() {
  LightThread().Stop();
  tickLast_ = platform::TickCount();
  tickCounter_ = 0;
  LightThread().StartStepped([this](const platform::Event& stop) {
    if (!Commands.IsOpen) {
      stop.Wait(100);
      return 1;
    }
    LightPass();
    // Sleep through the steps with nothing to draw.
    return IdleSteps();
  });
}

void KeyboardCore::LightPass() {
  // While the page follows the common effect, that effect paints it.
  if (Commands.LightFollower)
    return;
  const uint32_t now = platform::TickCount();
  if (now - tickLast_ >= 2) {
    // Every step of the tick count is a pass (the loop may have slept
    // through several).
    tickCounter_ += std::max<uint32_t>(
        1, static_cast<uint32_t>((now - tickLast_) / platform::kTickStepMs + 0.5));
    tickLast_ = now;
  }
  const lighting::LightParams light = CurrentLightParams();
  DeviceLedCanvas canvas(*this);
  const int threshold = lighting::KeyboardEffects::Threshold(light.mode, light.speed);
  if (threshold < 0) {
    std::lock_guard lock(stepMutex_);
    userSteps_.Play(canvas, light.speed, now);
  } else if (tickCounter_ >= static_cast<uint32_t>(threshold)) {
    std::lock_guard lock(effectMutex_);
    keyEffects_.RunStep(effect_, light, canvas, now,
                        [this] { return static_cast<uint32_t>(random_()); });
    tickCounter_ = 0;
  }
  {
    std::lock_guard lock(listMutex_);
    lightList_.Run(canvas, now, false);
  }
  StreamFrame(now);
}

void KeyboardCore::StreamFrame(uint32_t now) {
  // The host-drawn modes (audio, screen colour) send their frame from here,
  // never from the UI thread, and never queued behind a configuration
  // exchange: the channel drops a frame while one runs.
  if (!StreamsFrames() || !IsLightControlEnabled() || !Commands.IsOpen)
    return;
  if (now - lastFrame_ < static_cast<uint32_t>(kFrameIntervalMs))
    return;
  lastFrame_ = now;
  std::array<uint8_t, kPositions> leds{};
  for (size_t i = 0; i < leds.size(); ++i)
    leds[i] = positionToLed_[i];
  DeviceLedCanvas canvas(*this);
  const auto frame = lighting::BuildKeyboardFrame(canvas, leds);
  const size_t bytes = std::min<size_t>(
      static_cast<size_t>(std::max(streamedSlots_.load(), 0)) * protocol::kRgbBytes, frame.size());
  if (Commands.StreamLightFrame(std::span(frame.data(), bytes)) != 1)
    PauseDevice(kFailedWritePauseMs);
}

int KeyboardCore::IdleSteps() const {
  // Passes with nothing to draw need not wake the thread: a mode with a
  // step of its own draws only when its threshold is reached, as long as
  // no per-light-point effect runs on every pass and no frame is streamed.
  const lighting::LightParams light = CurrentLightParams();
  const int threshold = lighting::KeyboardEffects::Threshold(light.mode, light.speed);
  if (threshold <= 1 || Commands.LightFollower)
    return 1;
  {
    std::lock_guard lock(listMutex_);
    if (!lightList_.List().empty())
      return 1;
  }
  int steps = std::max(1, threshold - static_cast<int>(tickCounter_));
  if (StreamsFrames())
    steps = std::min(steps, std::max(1, static_cast<int>(kFrameIntervalMs / platform::kTickStepMs)));
  return steps;
}

void KeyboardCore::OnLightModeChanged() {
  Tell(listener_.lightModeChanged);
  const int mode = static_cast<int>(GetLightWords().A & 0xFF);
  bool customColours = false;
  {
    std::lock_guard lock(effectMutex_);
    effect_.ClearChase();
    customColours = keyEffects_.ResetKeyEffects(effect_, mode);
  }
  if (customColours)
    LoadCustomColours(static_cast<int>(GetLightWords().D & 0xFF));
}

void KeyboardCore::OnKeyEvent(int slot, int type) {
  if (slot < 0 || slot >= kNoSlot)
    return;
  int position = -1;
  for (int p = 0; p < kPositions; ++p)
    if (positionToSlot_[static_cast<size_t>(p)] == slot) {
      position = p;
      break;
    }
  if (position < 0)
    return;
  const int mode = static_cast<int>(GetLightWords().A & 0xFF);
  std::lock_guard lock(effectMutex_);
  keyEffects_.DispatchKeyEvent(effect_, position, type, mode,
                               [this] { return static_cast<uint32_t>(random_()); });
}

void KeyboardCore::SetAudioLevels(std::span<const int32_t> levels) {
  const bool musicMode = static_cast<int>(GetLightWords().A & 0xFF) == lighting::kAudioModeValue;
  audioLevels_.SetBeatStyle(musicMode && audioStyleIndex_ == kBeatStyle);
  audioLevels_.SetAudioLevels(levels);
}

void KeyboardCore::SetAudioStyle(const AudioLightInfo& info) {
  lighting::AudioStyleParams params;
  params.style = info.AudioMode;
  params.background = {info.BkColorR, info.BkColorG, info.BkColorB};
  params.foreground = {info.FgColorR, info.FgColorG, info.FgColorB};
  params.multiColour = info.SevenColorFlags != 0;
  audioStyleIndex_ = params.style;
  std::lock_guard lock(effectMutex_);
  keyEffects_.AudioStyles().SetParams(params);
}

lighting::AudioStyleParams KeyboardCore::AudioStyle() const {
  std::lock_guard lock(effectMutex_);
  return keyEffects_.AudioStyles().Params();
}

void KeyboardCore::SetScreenColour(const int* values, int count) {
  std::lock_guard lock(effectMutex_);
  keyEffects_.SetScreenColour(values, count);
}

bool KeyboardCore::StreamsFrames() const {
  const int mode = static_cast<int>(GetLightWords().A & 0xFF);
  return mode == lighting::kAudioModeValue || mode == lighting::kScreenModeValue;
}

void KeyboardCore::HandleEvent(uint16_t code) {
  platform::DebugPrint("接收到自动添加设备的同步信息要求  TEST");
  if (code == kEventResync || code == kEventFactoryReset) {
    if (code == kEventFactoryReset)
      pendingReset_ = kEventFactoryReset;
    platform::DebugPrint("接收到自动添加设备的同步信息要求");
    QMetaObject::invokeMethod(this, [this] { Tell(listener_.resyncRequested); },
                              Qt::QueuedConnection);
    return;
  }
  if (code >= 0x0500 && code <= 0x06FF) {
    OnKeyEvent(code & 0xFF, code < 0x0600 ? 1 : 2);
    return;
  }
  if (code >= 0x1000 && code <= 0x11FF) {
    if (!Commands.IsOpen)
      return;
    activeProfile_ = static_cast<uint8_t>(code & 0x0F);
    {
      std::lock_guard lock(blockMutex_);
      block_[Parameters::kActiveProfileOffset] = activeProfile_;
      if (code >= 0x1100)
        block_[Parameters::kProfileStateOffset] = static_cast<uint8_t>((code >> 4) & 0x0F);
    }
    QMetaObject::invokeMethod(this, [this] { Tell(listener_.viewChanged); }, Qt::QueuedConnection);
  }
}
