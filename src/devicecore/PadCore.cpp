#include "devicecore/PadCore.h"

#include <QMetaObject>
#include <algorithm>

#include "devicecore/DeviceLedCanvas.h"
#include "lighting/CommonEffects.h"
#include "lighting/LightingBytes.h"
#include "platform/TickClock.h"

namespace {

using Parameters = protocol::PadParameters;

}  // namespace

PadCore::PadCore(int kind, std::unique_ptr<CBasicProfiledata> profile)
    : kind_(kind),
      profile_(profile ? std::move(profile) : std::make_unique<CBasicProfiledata>()) {
  SetLightThreadStyle("PAD灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
  effect_.StartChase();
  resyncTimer_.setSingleShot(true);
  resyncTimer_.setInterval(kResyncDelayMs);
  connect(&resyncTimer_, &QTimer::timeout, this, [this] {
    SyncFromDevice(
        [this](int slot) {
          if (slot >= 0 && listener_.resynced)
            listener_.resynced(slot);
        },
        "resync");
  });
  SetEventHandler([this](uint16_t code, bool) { HandleEvent(code); });
}

PadCore::~PadCore() {
  StopWorker();
  StopThreads();
}

void PadCore::SetProfileFiles(const QString& defaultProfile, const QString& profile,
                              const QString& lightConfig) {
  Profile().SetFiles(defaultProfile, profile, lightConfig);
}

void PadCore::LoadLightLists(const QString& modeFile, int tableIndex) {
  modes_ = LightModeList::Load(modeFile, tableIndex);
}

void PadCore::LoadProfileState() {
  const QString path = Profile().GetProfilePath();
  if (path.isEmpty())
    return;
  Profile().LoadProfile(path);
  ApplyProfile();
}

void PadCore::ApplyProfile() {
  const LightInfo info = lighting::ClampLightInfo(Profile().GetLightInfo(), modes_);
  const uint8_t previousMode = static_cast<uint8_t>(GetLightWords().A & 0xFF);
  SetLightWords(ToLightWords(info));
  Profile().LoadLightConfig(Profile().GetLightConfigPath());
  DeviceLedCanvas canvas(*this);
  {
    std::lock_guard lock(listMutex_);
    lightList_.SetList(Profile().GetLightList());
    lightList_.Run(canvas, platform::TickCount(), true);
  }
  {
    std::lock_guard lock(stepMutex_);
    userSteps_.SetSteps(Profile().GetLightEffectSteps());
  }
  if (info.SelectItem != previousMode)
    OnLightModeChanged();
}

void PadCore::ResetToDefaults() {
  Profile().LoadProfile(Profile().GetDefaultProfilePath());
  ApplyProfile();
  SaveProfile();
}

void PadCore::SaveProfile() {
  if (!Profile().GetProfilePath().isEmpty())
    Profile().Save();
}

void PadCore::SetLightInfo(const LightWords& words) {
  SetLightWords(words);
  Profile().SetLightInfo(FromLightWords(words));
}

PadCore::BlockRead PadCore::ExchangeBlock() {
  BlockRead read;
  read.read = ReadActiveBlock(read.block, Parameters::kStride);
  return read;
}

bool PadCore::ApplyBlock(const BlockRead& read) {
  if (!read.read)
    return false;
  activeSlot_ = read.block[Parameters::kActiveProfileOffset];
  {
    std::lock_guard lock(blockMutex_);
    block_ = read.block;
  }
  LightInfo info = FromLightWords(GetLightWords());
  const uint8_t previousMode = info.SelectItem;
  lighting::ReadPadLighting(read.block, info, modes_);
  SetLightWords(ToLightWords(info));
  if (info.SelectItem != previousMode)
    OnLightModeChanged();
  return true;
}

void PadCore::ReadFirstContact(std::function<void(bool)> done) {
  Run<BlockRead>(
      [this] {
        if (readsInformationBlock_ && Commands.IsOpen) {
          protocol::DeviceInfo::Bytes info{};
          Commands.BeginTransfer();
          Commands.ReadDeviceInfo(info);
          Commands.EndTransfer();
        }
        return ExchangeBlock();
      },
      [this, done = std::move(done)](const BlockRead& read) {
        LoadProfileState();
        // Read before in this run and no longer holding its settings: lost.
        const bool applied = (ReadBefore() && read.read && TakeLoss(read)) || ApplyBlock(read);
        if (applied)
          MarkRead();
        StartLightThread();
        if (done)
          done(applied);
      },
      "first-contact");
}

bool PadCore::SyncFromDevice(std::function<void(int)> done, const std::string& key) {
  Commands.LightFollower = false;
  return Run<BlockRead>([this] { return ExchangeBlock(); },
                        [this, done = std::move(done)](const BlockRead& read) {
                          const bool applied = ApplyBlock(read);
                          if (done)
                            done(applied ? static_cast<int>(activeSlot_.load()) : -1);
                        },
                        key);
}

PadCore::Block PadCore::LastBlock() const {
  std::lock_guard lock(blockMutex_);
  return block_;
}

PadCore::Block PadCore::ComposeBlock(Block block) const {
  lighting::PutPadLighting(block, FromLightWords(GetLightWords()), modes_);
  return block;
}

void PadCore::KeepDeviceBytes(const Block& block) {
  activeSlot_ = block[Parameters::kActiveProfileOffset];
  std::lock_guard lock(blockMutex_);
  block_ = block;
}

void PadCore::CheckStoredSettings(std::function<void(Stored)> done) {
  CheckStoredBlock<BlockRead>([this] { return ExchangeBlock(); },
                              [this](const BlockRead& read) { return TakeLoss(read); }, std::move(done));
}

bool PadCore::TakeLoss(const BlockRead& read) {
  if (HoldsCurrentSettings(read.block))
    return false;
  KeepDeviceBytes(read.block);
  ReportSettingsLost();
  return true;
}

void PadCore::WriteParameterBlock(int slot, std::function<void(int)> done) {
  // The device's own bytes go back as read; the lighting is the profile's.
  const Block block = ComposeBlock(LastBlock());
  const auto address = protocol::SlotAddress<Parameters>(static_cast<size_t>(std::max(slot, 0)));
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

void PadCore::StartLightThread() {
  LightThread().Stop();
  tickCounter_ = 0;
  LightThread().StartStepped([this](const platform::Event& stop) {
    if (!Commands.IsOpen) {
      stop.Wait(100);
      return 1;
    }
    LightPass();
    return 1;
  });
}

void PadCore::LightPass() {
  if (Commands.LightFollower)
    return;
  const uint32_t now = platform::TickCount();
  const LightInfo info = FromLightWords(GetLightWords());
  lighting::LightParams light;
  light.mode = info.SelectItem;
  light.brightness = std::min<int>(info.Light, lighting::kMaxLevel);
  light.speed = std::min<int>(info.Speed, lighting::kMaxLevel);
  light.multiColour = info.MultiColor != 0;
  light.colour = {info.Red, info.Green, info.Blue};
  DeviceLedCanvas canvas(*this);
  ++tickCounter_;
  bool stepped = false;
  {
    std::lock_guard lock(effectMutex_);
    stepped = lighting::RunKindStep(kind_, effect_, light, canvas, now, tickCounter_);
  }
  if (!stepped) {
    std::lock_guard lock(stepMutex_);
    userSteps_.Play(canvas, light.speed, now);
  }
  std::lock_guard lock(listMutex_);
  lightList_.Run(canvas, now, false);
}

void PadCore::OnLightModeChanged() {
  if (listener_.lightModeChanged)
    listener_.lightModeChanged();
  std::lock_guard lock(effectMutex_);
  effect_.ClearChase();
  effect_.StartChase();
}

void PadCore::HandleEvent(uint16_t code) {
  if (code != kEventResync)
    return;
  QMetaObject::invokeMethod(this, [this] { resyncTimer_.start(); }, Qt::QueuedConnection);
}
