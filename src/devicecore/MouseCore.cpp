#include "devicecore/MouseCore.h"

#include <QMetaObject>
#include <algorithm>

#include "devicecore/DeviceLedCanvas.h"
#include "keys/KeyTables.h"
#include "lighting/CommonEffects.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroImage.h"
#include "macros/MacroList.h"
#include "platform/DebugChannel.h"
#include "platform/TickClock.h"

namespace {

using Parameters = protocol::MouseParameters;

}  // namespace

MouseCore::MouseCore() {
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
  for (auto& slot : buttonSlots_)
    slot = mouse::kNoSlot;
  effect_.StartChase();
  resyncTimer_.setSingleShot(true);
  resyncTimer_.setInterval(kResyncDelayMs);
  connect(&resyncTimer_, &QTimer::timeout, this, [this] {
    SyncFromDevice([this](bool read) {
      if (read)
        Tell(listener_.viewChanged);
    }, "resync");
  });
  SetEventHandler([this](uint16_t code, bool) { HandleEvent(code); });
}

MouseCore::~MouseCore() {
  StopWorker();
  StopThreads();
}

// --- Files and profile ------------------------------------------------------------

void MouseCore::SetProfileFiles(const QString& defaultProfile, const QString& profile,
                                const QString& lightConfig) {
  profile_.SetFiles(defaultProfile, profile, lightConfig);
}

void MouseCore::LoadLightLists(const QString& modeFile, int tableIndex, const QString& macroListFile) {
  modes_ = LightModeList::Load(modeFile, tableIndex);
  ReloadMacroNames(macroListFile);
}

void MouseCore::LoadProfileState() {
  const QString path = profile_.GetProfilePath();
  if (path.isEmpty())
    return;
  profile_.LoadProfile(path);
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  stages_ = profile_.GetDpiStages();
  activeStage_ = profile_.GetActiveDpiStage();
  system_ = profile_.GetMouseSystem();
}

void MouseCore::ApplyProfile() {
  const LightInfo info = lighting::ClampLightInfo(profile_.GetLightInfo(), modes_);
  const uint8_t previousMode = static_cast<uint8_t>(GetLightWords().A & 0xFF);
  SetLightWords(ToLightWords(info));
  {
    std::lock_guard lock(blockMutex_);
    lighting::PutMouseLighting(block_, info, modes_);
  }
  profile_.LoadLightConfig(profile_.GetLightConfigPath());
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
  if (info.SelectItem != previousMode)
    OnLightModeChanged();
}

void MouseCore::ResetToDefaults() {
  profile_.LoadProfile(profile_.GetDefaultProfilePath());
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  stages_ = profile_.GetDpiStages();
  activeStage_ = profile_.GetActiveDpiStage();
  system_ = profile_.GetMouseSystem();
  SaveProfile();
}

void MouseCore::SaveProfile() {
  if (!profile_.GetProfilePath().isEmpty())
    profile_.Save();
}

void MouseCore::SetLightInfo(const LightWords& words) {
  SetLightWords(words);
  profile_.SetLightInfo(FromLightWords(words));
}

DpiStage& MouseCore::Stage(int index) {
  index = std::clamp(index, 0, kStages - 1);
  if (stages_.size() <= static_cast<size_t>(index))
    stages_.resize(static_cast<size_t>(index) + 1);
  return stages_[static_cast<size_t>(index)];
}

void MouseCore::StoreStages() {
  profile_.SetDpiStages(stages_);
  profile_.SetActiveDpiStage(activeStage_);
}

void MouseCore::SetActiveStage(int stage) {
  if (stage < 0 || stage >= kStages)
    return;
  activeStage_ = stage;
  profile_.SetActiveDpiStage(stage);
}

void MouseCore::SetSystem(const SystemWords& words) {
  system_ = words;
  profile_.SetMouseSystem(words[0], words[1], words[2]);
}

void MouseCore::SetReportRate(int index) {
  if (index < 0 || index >= kReportRates)
    index = 0;
  SystemWords words = system_;
  words[2] = (words[2] & 0xFFFFu) | static_cast<uint32_t>(index) << 16;
  SetSystem(words);
}

// --- Reads ------------------------------------------------------------------------

MouseCore::KeysRead MouseCore::ExchangeKeys() {
  KeysRead read;
  if (!Commands.IsOpen || !Commands.QueryWirelessLink())
    return read;
  Commands.BeginTransfer();
  protocol::DeviceInfo::Bytes infoBytes{};
  if (Commands.ReadDeviceInfo(infoBytes) != 1) {
    Commands.EndTransfer();
    return read;
  }
  read.info = protocol::DeviceInfo::Decode(infoBytes);
  read.infoRead = true;
  // The table holds 170 slots of 3 bytes; a larger count reads no more.
  const int slotCount = std::min<int>(read.info.keyCount, mouse::kMaxSlots);
  const auto tableBytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
  if (Commands.SetTransferSize(static_cast<uint16_t>(tableBytes)))
    read.tableRead = Commands.ReadKeyTable(std::span(read.table.data(), tableBytes)) == 1;
  Commands.EndTransfer();
  return read;
}

bool MouseCore::ApplyKeys(const KeysRead& read) {
  if (!read.infoRead)
    return false;
  info_ = read.info;
  if (!read.tableRead)
    return false;
  keyTable_ = read.table;
  const auto map = mouse::BuildButtonMap(keyTable_, info_.keyCount);
  for (size_t i = 0; i < map.size(); ++i)
    buttonSlots_[i] = map[i];
  return true;
}

MouseCore::BlockRead MouseCore::ExchangeBlock() {
  BlockRead read;
  // A mouse behind its receiver is read only while it answers.
  read.read = Commands.IsOpen && Commands.QueryWirelessLink() &&
              ReadActiveBlock(read.block, Parameters::kStride);
  return read;
}

bool MouseCore::ApplyBlock(const BlockRead& read) {
  if (!read.read)
    return false;
  activeSlot_ = read.block[Parameters::kActiveProfileOffset];
  {
    std::lock_guard lock(blockMutex_);
    std::copy_n(block_.begin(), previousBlock_.size(), previousBlock_.begin());
    block_ = read.block;
  }
  LightInfo info = FromLightWords(GetLightWords());
  const uint8_t previousMode = info.SelectItem;
  lighting::ReadMouseLighting(read.block, info, modes_);
  SetLightWords(ToLightWords(info));
  if (info.SelectItem != previousMode)
    OnLightModeChanged();
  const int stage = read.block[Parameters::kActiveStageOffset];
  if (stage < kStages)
    activeStage_ = stage;
  if (!profile_.GetProfilePath().isEmpty()) {
    profile_.SetActiveDpiStage(activeStage_);
    profile_.SetLightInfo(info);
    SaveProfile();
  }
  return true;
}

void MouseCore::ReadFirstContact(std::function<void(bool)> done) {
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
        if (done)
          done(FirstContactComplete());
      },
      "first-contact");
}

bool MouseCore::SyncFromDevice(std::function<void(bool)> done, const std::string& key) {
  return Run<BlockRead>([this] { return ExchangeBlock(); },
                        [this, done = std::move(done)](const BlockRead& read) {
                          const bool applied = ApplyBlock(read);
                          if (applied)
                            blockRead_ = true;
                          if (done)
                            done(applied);
                        },
                        key);
}

bool MouseCore::HoldsCurrentSettings(const Block& block) const {
  const LightInfo current = FromLightWords(GetLightWords());
  LightInfo stored = current;
  lighting::ReadMouseLighting(block, stored, modes_);
  if (!(stored == current))
    return false;
  if (block[Parameters::kActiveStageOffset] != activeStage_)
    return false;
  const std::vector<DpiStage> storedStages = mouse::StagesOfBlock(block);
  for (size_t i = 0; i < std::min(storedStages.size(), stages_.size()); ++i) {
    const DpiStage& a = storedStages[i];
    const DpiStage& b = stages_[i];
    if ((a.StageActive != 0) != (b.StageActive != 0) || a.StageDPIX != b.StageDPIX ||
        a.StageDPIY != b.StageDPIY)
      return false;
  }
  return true;
}

void MouseCore::KeepDeviceBytes(const Block& block) {
  activeSlot_ = block[Parameters::kActiveProfileOffset];
  std::lock_guard lock(blockMutex_);
  block_ = block;
}

void MouseCore::CheckStoredSettings(std::function<void(Stored)> done) {
  CheckStoredBlock<BlockRead>([this] { return ExchangeBlock(); },
                              [this](const BlockRead& read) { return TakeLoss(read); }, std::move(done));
}

bool MouseCore::TakeLoss(const BlockRead& read) {
  if (HoldsCurrentSettings(read.block))
    return false;
  KeepDeviceBytes(read.block);
  ReportSettingsLost();
  return true;
}

MouseCore::Block MouseCore::LastBlock() const {
  std::lock_guard lock(blockMutex_);
  return block_;
}

uint8_t MouseCore::ButtonSlot(int button) const {
  return button >= 0 && button < kButtons ? buttonSlots_[static_cast<size_t>(button)].load()
                                          : mouse::kNoSlot;
}

// --- Writes -------------------------------------------------------------------------

void MouseCore::WriteParameterBlock(int slot, const mouse::BlockFrame& frame,
                                    std::function<void(int)> done) {
  mouse::MouseSettings settings;
  settings.light = FromLightWords(GetLightWords());
  settings.stages = stages_;
  settings.reportRate = ReportRate();
  settings.activeStage = activeStage_;
  settings.corrections = profile_.GetCorrectInfo();
  const Block block = mouse::BuildMouseBlock(settings, modes_, frame);
  const auto address = protocol::SlotAddress<Parameters>(static_cast<size_t>(std::max(slot, 0)));
  Run<int>(
      [this, block, address] {
        if (!Commands.IsOpen || !Commands.QueryWirelessLink())
          return 0;
        const int begun = Commands.BeginTransfer();
        const int written = Commands.WriteParameters(block, address);
        const int ended = Commands.EndTransfer();
        return begun == 1 && written == 1 && ended == 1 ? 1 : 0;
      },
      std::move(done));
}

void MouseCore::WriteKeyTables(int arg, std::vector<KeyListEntry> list, std::function<void(int)> done) {
  std::array<uint8_t, protocol::kKeyTableBytes> table = keyTable_;
  std::vector<int> used;
  const int slotCount = std::min<int>(info_.keyCount, mouse::kMaxSlots);
  for (int button = 0; button < kButtons && button < static_cast<int>(list.size()); ++button) {
    const uint8_t slot = ButtonSlot(button);
    if (slot == mouse::kNoSlot || slot >= slotCount)
      continue;
    KeyFunctionRecord record = list[static_cast<size_t>(button)].Normal;
    if (keys::IsMacro(record.Type) && !RenumberForSending(record, used))
      record = list[static_cast<size_t>(button)].Default;
    keys::CodeOf(record).WriteSlot(table, slot);
  }
  const size_t bytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
  Run<int>(
      [this, table, bytes, arg] {
        if (!Commands.IsOpen || !Commands.QueryWirelessLink())
          return 0;
        const int begun = Commands.BeginTransfer();
        const int written = Commands.WriteKeyTable(std::span(table.data(), bytes), arg);
        Commands.EndTransfer();
        return begun == 1 && written == 1 ? 1 : 0;
      },
      [this, table, done = std::move(done)](int result) {
        if (result == 1)
          keyTable_ = table;
        if (done)
          done(result);
      });
}

std::vector<int> MouseCore::CollectUsedMacros() const {
  std::vector<int> scan;
  for (int button = 0; button < kButtons; ++button)
    if (ButtonSlot(button) != mouse::kNoSlot)
      scan.push_back(button);
  return macros::UsedMacros(keyList_, scan, false, macroNames_.size());
}

// --- Light effects ---------------------------------------------------------------------

void MouseCore::StartLightThread() {
  LightThread().Stop();
  tickCounter_ = 0;
  LightThread().StartStepped([this](const platform::Event& stop) {
    if (!Commands.IsOpen) {
      stop.Wait(100);
      return 1;
    }
    LightPass();
    return IdleSteps();
  });
}

void MouseCore::LightPass() {
  if (Commands.LightFollower)
    return;
  const uint32_t now = platform::TickCount();
  const LightInfo info = FromLightWords(GetLightWords());
  lighting::LightParams light;
  light.mode = info.SelectItem;
  light.brightness = std::min<int>(info.Light, lighting::kMaxLevel);
  light.speed = std::min<int>(info.Speed, lighting::kMaxLevel);
  light.direction = info.Fx != 0 ? 1 : 0;
  light.multiColour = info.MultiColor != 0;
  light.colour = {info.Red, info.Green, info.Blue};
  DeviceLedCanvas canvas(*this);
  ++tickCounter_;
  bool stepped = false;
  {
    std::lock_guard lock(effectMutex_);
    stepped = lighting::RunKindStep(lighting::kKindMouse, effect_, light, canvas, now, tickCounter_);
  }
  if (!stepped) {
    std::lock_guard lock(stepMutex_);
    userSteps_.Play(canvas, light.speed, now);
  }
  std::lock_guard lock(listMutex_);
  lightList_.Run(canvas, now, false);
}

int MouseCore::IdleSteps() const { return 1; }

void MouseCore::OnLightModeChanged() {
  Tell(listener_.lightModeChanged);
  std::lock_guard lock(effectMutex_);
  effect_.ClearChase();
  effect_.StartChase();
}

void MouseCore::HandleEvent(uint16_t code) {
  if (!Commands.IsOpen)
    return;
  if (code == kEventResync || code == kEventChanged) {
    QMetaObject::invokeMethod(this, [this] { resyncTimer_.start(); }, Qt::QueuedConnection);
    return;
  }
  if (code == kEventTrigger) {
    const int mode = static_cast<int>(GetLightWords().A & 0xFF);
    if (mode != kReactiveModePosition)
      return;
    const LightInfo info = FromLightWords(GetLightWords());
    lighting::LightParams light;
    light.mode = mode;
    light.brightness = std::min<int>(info.Light, lighting::kMaxLevel);
    std::lock_guard lock(effectMutex_);
    lighting::TriggerAllLeds(effect_, light, LedCount(),
                             [this] { return static_cast<uint32_t>(random_()); });
    return;
  }
  const int high = code >> 8;
  if (high != 0x10 && high != 0x11)
    return;
  const uint8_t slot = static_cast<uint8_t>(code & 0x0F);
  const int stage = (code >> 4) & 0x0F;
  QMetaObject::invokeMethod(
      this,
      [this, slot, stage, high] {
        activeSlot_ = slot;
        {
          std::lock_guard lock(blockMutex_);
          block_[Parameters::kActiveProfileOffset] = slot;
        }
        // The mouse has five stages: a stage beyond them changes only the
        // slot.
        if (high == 0x11 && stage < kStages) {
          activeStage_ = stage;
          profile_.SetActiveDpiStage(stage);
          std::lock_guard lock(blockMutex_);
          block_[Parameters::kActiveStageOffset] = static_cast<uint8_t>(stage);
        }
        Tell(listener_.viewChanged);
      },
      Qt::QueuedConnection);
}

void MouseCore::DownloadRecoil(std::vector<uint8_t> image, std::function<void(int)> done) {
  struct Sent {
    int result = 0;
    std::optional<protocol::DeviceInfo> info;
  };
  Run<Sent>(
      [this, image = std::move(image)] {
        Sent out;
        if (!Commands.IsOpen || image.empty())
          return out;
        if (Commands.WirelessMode && !Commands.QueryWirelessLink())
          return out;
        protocol::DeviceInfo::Bytes info{};
        if (Commands.ReadDeviceInfo(info) != 1)
          return out;
        out.info = protocol::DeviceInfo::Decode(info);
        const int begun = Commands.BeginTransfer();
        const int written = Commands.WriteRecoilData(image);
        const int ended = Commands.EndTransfer();
        out.result = begun == 1 && written == 1 && ended == 1 ? 1 : 0;
        return out;
      },
      [this, done = std::move(done)](const Sent& sent) {
        if (sent.info)
          AdoptInfo(*sent.info);
        if (done)
          done(sent.result);
      });
}
