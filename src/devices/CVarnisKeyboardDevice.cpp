#include "devices/CVarnisKeyboardDevice.h"

#include <QMetaObject>
#include <algorithm>
#include <cstring>

#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "keys/KeyLabel.h"
#include "keys/KeyTables.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroList.h"
#include "platform/DebugChannel.h"
#include "platform/IndexedName.h"
#include "profiles/ProfileIds.h"
#include "protocol/PowerStatus.h"
#include "protocol/Rgb.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CRichEditUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CLightControlUI.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/KeyboardFrame.h"
#include "devices/DeviceLedCanvas.h"
#include "platform/TickClock.h"
#include <QThread>

using toolkit::CControlUI;

namespace {

constexpr const char* kModeFile = "default_light.json";
constexpr int kKeyPage = 2;
// Mode list position of the custom per-key colours.
constexpr int kCustomColourMode = 20;
// Where the behaviour settings sit in the settings words: word, high half.
struct HalfWord {
  int word;
  bool high;
};
constexpr HalfWord kRepeat{0, false};
constexpr HalfWord kRepeatDelay{0, true};
constexpr HalfWord kKey6Flag{1, false};
constexpr HalfWord kPollingRate{1, true};
constexpr HalfWord kWFlag{2, false};
constexpr HalfWord kWinFlag{2, true};
using Parameters = protocol::KeyboardParameters;

// A light point showing a custom colour (an RGB word) at full level.
uint32_t FullLevelLed(uint32_t rgbWord) {
  return lighting::PackLed(protocol::FromRgbWord(rgbWord), 0xFF);
}
// Sensitivity shown when the slider is missing.
constexpr int kDefaultSensitivity = 20;

std::string LanguageText(std::string_view id) {
  return toolkit::CResourceManager::GetInstance()
      ->GetText(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())))
      .toStdString();
}

QString Text(const char* id) {
  return toolkit::CResourceManager::GetInstance()->GetText(QString::fromLatin1(id));
}

}  // namespace

std::atomic<uint16_t> CVarnisKeyboardDevice::pendingReset_{0};

CVarnisKeyboardDevice::CVarnisKeyboardDevice(QWidget* parent) : CVarnisUSBDevice(parent) {
  kindType_ = DeviceTypes::Keyboard;
  SetLightThreadStyle("KB灯光线程设定退出", 1000);
  SetEventThreadStyle("MS 设备同步线程设定退出", 500);
  for (auto& slot : positionToSlot_)
    slot = kNoSlot;
  positionToLed_.fill(kNoSlot);
  effect_.StartChase();
}

CVarnisKeyboardDevice::~CVarnisKeyboardDevice() { StopThreads(); }

template <typename T>
T* CVarnisKeyboardDevice::Find(const char* name) const {
  return findChild<T*>(QString::fromLatin1(name));
}

QString CVarnisKeyboardDevice::DeviceFile(const QString& name) const {
  return DeviceFolder().isEmpty() ? QString() : DeviceFolder() + name;
}

// --- Page ------------------------------------------------------------------

void CVarnisKeyboardDevice::AttachToWindow() { BuildLayout(); }

void CVarnisKeyboardDevice::BuildLayout() {
  if (GetLayoutPath().isEmpty()) {
    ClearControlLists();
    return;
  }
  keyLightContainer_ = Find<CControlUI>("keyboard_device_key_light");
  if (keyLightContainer_ == nullptr)
    return;
  std::vector<CControlUI*> children;
  CollectControls(keyLightContainer_, children);
  auto bindLight = [this](int index, CControlUI* child) {
    if (index >= GetLedCount())
      return;
    BindLedControl(index, child);
    if (auto* button = qobject_cast<CDeviceKeyButtonUI*>(child)) {
      button->SetLightState(protocol::ToRbgWord({0xFF, 0, 0}), 255, 1);
      button->SetLightState(protocol::ToRbgWord({0xFF, 0xFF, 0xFF}), 255, 1);
    }
  };
  for (CControlUI* child : children) {
    if (child->GetClass() != QLatin1String("DeviceKeyButton"))
      continue;
    QString prefix;
    int index = 0;
    if (platform::SplitIndexedName(child->GetName(), prefix, index)) {
      if (prefix == QLatin1String("key_") && index < GetKeyCount())
        BindKeyControl(index, child);
      else if (prefix == QLatin1String("light_"))
        bindLight(index, child);
    }
    // A key button may also be the light point of another index.
    if (platform::SplitIndexedName(child->GetUserData(), prefix, index) &&
        prefix == QLatin1String("light_"))
      bindLight(index, child);
  }
  if (PreviewPanel() == nullptr)
    SetPreviewPanel(keyLightContainer_);
  BindProfilePanel();
  LoadLightLists();
  if (auto* panel = findChild<CLightControlUI*>(QStringLiteral("LightControlItem"))) {
    SetLightPanel(panel);
    panel->SetDeviceKind(lighting::kKindKeyboard);
    panel->FillModeList(modes_.names, modes_.visible, lighting::kMaxLevel, lighting::kMaxLevel);
  }
  // The assignment panel starts hidden until a key is chosen.
  if (CControlUI* keySet = Find<CControlUI>("KeySetControlItem")) {
    if (auto* layout = keySet->findChild<CControlUI*>(QStringLiteral("keyset_layout")))
      layout->SetVisible(false);
  }
}

void CVarnisKeyboardDevice::ShowPage(int page) {
  CVarnisUSBDevice::ShowPage(page);
  // The power area belongs to the device's power panel, beside the page.
  CControlUI* power =
      GetPowerPanel() != nullptr
          ? GetPowerPanel()->findChild<CControlUI*>(QStringLiteral("device_power_Layout"))
          : nullptr;
  auto* fnLayout = Find<CControlUI>("Keyset_Fn_Layout");
  if (power != nullptr)
    power->SetVisible(true);
  if (page == 1) {
    if (fnLayout != nullptr)
      fnLayout->SetVisible(false);
  } else if (page == kKeyPage) {
    if (fnLayout != nullptr)
      fnLayout->SetVisible(true);
  } else if (page == 3 || page == 4) {
    if (fnLayout != nullptr)
      fnLayout->SetVisible(false);
    if (power != nullptr)
      power->SetVisible(false);
  }
  if (page == 1 || page == kKeyPage)
    UpdateKeyEnabling();
}

void CVarnisKeyboardDevice::UpdateKeyEnabling() {
  const auto& keys = KeyControls();
  for (CControlUI* key : keys)
    if (key != nullptr)
      key->SetEnabled(true);
  if (CurrentPage() != kKeyPage)
    return;
  auto disable = [&keys](int position) {
    if (position >= 0 && position < static_cast<int>(keys.size()) &&
        keys[static_cast<size_t>(position)] != nullptr)
      keys[static_cast<size_t>(position)]->SetEnabled(false);
  };
  if (fnLayer_ != 0) {
    for (int position : keys::FnReservedPositions())
      disable(position);
  } else {
    disable(keys::kFnKeyPosition);
  }
}

// --- Files and profile -------------------------------------------------------

QString CVarnisKeyboardDevice::ProfilePath() const {
  if (DeviceFolder().isEmpty() || !IsPlainFileName(GetProfileId()))
    return {};
  return DeviceFolder() + GetProfileId() + QStringLiteral(".Json");
}

void CVarnisKeyboardDevice::LoadProfileFiles() {
  profile_.SetDefaultProfilePath(DefaultProfilePath());
  profile_.SetProfilePath(ProfilePath());
  profile_.SetLightConfigPath(LightConfigPath());
}

void CVarnisKeyboardDevice::SaveProfile() {
  if (!profile_.GetProfilePath().isEmpty())
    profile_.Save();
}

void CVarnisKeyboardDevice::LoadProfileState() {
  LoadProfileFiles();
  const QString path = ProfilePath();
  if (path.isEmpty())
    return;
  profile_.LoadProfile(path);
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  settings_ = profile_.GetKeyboardSystem();
  fnLayer_ = profile_.GetFnKeysetFlag() ? 1 : 0;
}

void CVarnisKeyboardDevice::ApplyProfile() {
  const LightInfo info = lighting::ClampLightInfo(profile_.GetLightInfo(), modes_);
  const uint8_t previousMode = static_cast<uint8_t>(GetLightWords().A & 0xFF);
  SetLightWords(ToLightWords(info));
  const AudioLightInfo audio = profile_.GetAudioLightInfo();
  AudioLightRecord record{};
  std::memcpy(record.data(), &audio, record.size());
  CVarnisUSBDevice::SetAudioLightInfo(record);
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
  if (info.SelectItem != previousMode || info.SelectItem == kCustomColourMode)
    OnLightModeChanged();
}

void CVarnisKeyboardDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                                         uint8_t e) {
  const LightWords words{a, b, c, d, e};
  SetLightWords(words);
  profile_.SetLightInfo(FromLightWords(words));
}

void CVarnisKeyboardDevice::LoadLightLists() {
  modes_ = LightModeList::Load(DefaultDataDir() + QLatin1String(kModeFile), GetLightTableIndex());
  macroNames_ = macros::ReadMacroNames(DeviceFile(QLatin1String(macros::kMacroListFile)));
}

void CVarnisKeyboardDevice::ResetToDefaults() {
  LoadProfileFiles();
  profile_.LoadProfile(DefaultProfilePath());
  keyList_ = profile_.GetKeyList();
  ApplyProfile();
  settings_ = profile_.GetKeyboardSystem();
  SaveProfile();
  RefreshView();
}

void CVarnisKeyboardDevice::ReapplyProfile() {
  LoadProfileState();
  RefreshView();
  WriteCurrentSettings();
  if (CControlUI* keySet = Find<CControlUI>("keyset_layout"))
    keySet->SetVisible(false);
}

void CVarnisKeyboardDevice::CompleteReapply() {
  WriteColourTable();
  RepaintKeyButtons();
}

// --- Device reads ---------------------------------------------------------

void CVarnisKeyboardDevice::InitialRead() {
  if (firstContactRetry_ != nullptr)
    firstContactRetry_->stop();
  keysRead_ = ReadKeysFromDevice();
  LoadProfileState();
  blockRead_ = ReadParameterBlock();
  RefreshView();
  StartLightThread();
  firstContactDelayMs_ = 0;
  if (!FirstContactComplete())
    ScheduleFirstContactRetry();
}

void CVarnisKeyboardDevice::ScheduleFirstContactRetry() {
  if (firstContactRetry_ == nullptr) {
    firstContactRetry_ = new QTimer(this);
    firstContactRetry_->setSingleShot(true);
    connect(firstContactRetry_, &QTimer::timeout, this, &CVarnisKeyboardDevice::RetryFirstContact);
  }
  firstContactDelayMs_ = firstContactDelayMs_ == 0
                             ? kFirstContactRetryMs
                             : std::min(firstContactDelayMs_ * 2, kFirstContactRetryMaxMs);
  platform::DebugPrint("keyboard: first contact incomplete (keys %d, block %d); reading again in %d ms",
                       keysRead_ ? 1 : 0, blockRead_ ? 1 : 0, firstContactDelayMs_);
  firstContactRetry_->start(firstContactDelayMs_);
}

void CVarnisKeyboardDevice::RetryFirstContact() {
  // A device that went away is read afresh when it comes back.
  if (!Commands.IsOpen)
    return;
  if (!keysRead_)
    keysRead_ = ReadKeysFromDevice();
  if (!blockRead_)
    blockRead_ = ReadParameterBlock();
  RefreshView();
  if (!FirstContactComplete())
    ScheduleFirstContactRetry();
}

bool CVarnisKeyboardDevice::ReadKeysFromDevice() {
  if (!Commands.IsOpen)
    return false;
  Commands.BeginTransfer();
  protocol::DeviceInfo::Bytes infoBytes{};
  if (Commands.ReadDeviceInfo(infoBytes) != 1) {
    Commands.EndTransfer();
    return false;
  }
  const protocol::DeviceInfo info = protocol::DeviceInfo::Decode(infoBytes);
  const int slotCount = std::min<int>(info.keyCount, protocol::KeyFunction::kSlots);
  const auto tableBytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
  if (!Commands.SetTransferSize(static_cast<uint16_t>(tableBytes))) {
    Commands.EndTransfer();
    return false;
  }
  info_ = info;
  std::array<uint8_t, kTableSize> table{};
  std::array<uint8_t, kTableSize> attributes{};
  const bool tableRead = Commands.ReadKeyTable(std::span(table.data(), tableBytes)) == 1;
  const bool attributesRead = Commands.ReadKeyAttributes(std::span(attributes.data(), slotCount)) == 1;
  Commands.EndTransfer();
  if (tableRead)
    keyTable_ = table;
  if (attributesRead)
    keyAttributes_ = attributes;

  for (auto& slot : positionToSlot_)
    slot = kNoSlot;
  positionToLed_.fill(kNoSlot);
  for (int position = 0; position < kPositions; ++position) {
    // Positions without a printed key would all land on any unused slot.
    if (keys::KeyPositionTable[static_cast<size_t>(position)] == keys::kNoRow)
      continue;
    const keys::FunctionCode printed = keys::PrintedFunction(position);
    for (int slot = 0; slot < slotCount; ++slot) {
      if (protocol::KeyFunction::ReadSlot(keyTable_, static_cast<size_t>(slot)) == printed) {
        positionToSlot_[static_cast<size_t>(position)] = static_cast<uint8_t>(slot);
        positionToLed_[static_cast<size_t>(position)] = keyAttributes_[static_cast<size_t>(slot)];
        break;
      }
    }
  }
  return tableRead;
}

bool CVarnisKeyboardDevice::ReadParameterBlock() {
  if (!Commands.IsOpen)
    return false;
  std::array<uint8_t, 1> active{};
  Block block{};
  if (Commands.ReadParameters(active, protocol::kActiveProfileAddress) != 1)
    return false;
  if (Commands.ReadParameters(block, protocol::SlotAddress<Parameters>(active[0])) != 1)
    return false;
  block[Parameters::kActiveProfileOffset] = active[0];
  activeProfile_ = active[0];
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

  SetHalf(kWFlag.word, kWFlag.high, block[Parameters::kWFlagOffset]);
  SetHalf(kKey6Flag.word, kKey6Flag.high, block[Parameters::kKey6FlagOffset]);
  SetHalf(kWinFlag.word, kWinFlag.high, block[Parameters::kWinLockOffset]);
  if (!profile_.GetProfilePath().isEmpty()) {
    profile_.SetKeyboardSystem(settings_[0], settings_[1], settings_[2], settings_[3]);
    profile_.SetLightInfo(info);
    SaveProfile();
  }
  return true;
}

CVarnisKeyboardDevice::Block CVarnisKeyboardDevice::LastBlock() const {
  std::lock_guard lock(blockMutex_);
  return block_;
}

uint8_t CVarnisKeyboardDevice::PositionToSlot(int position) const {
  return position >= 0 && position < kPositions ? positionToSlot_[static_cast<size_t>(position)].load()
                                                : kNoSlot;
}

uint8_t CVarnisKeyboardDevice::PositionToLed(int position) const {
  return position >= 0 && position < kPositions ? positionToLed_[static_cast<size_t>(position)]
                                                : kNoSlot;
}

// --- Device writes -----------------------------------------------------------

int CVarnisKeyboardDevice::WriteParameterBlock(int slot, int byte0, int /*byte59*/,
                                               int /*width*/, int /*height*/) {
  if (!Commands.IsOpen)
    return 0;
  Block block = LastBlock();
  lighting::PutKeyboardLighting(block, FromLightWords(GetLightWords()), modes_);
  block[Parameters::kWFlagOffset] = static_cast<uint8_t>(Half(kWFlag.word, kWFlag.high));
  block[Parameters::kKey6FlagOffset] = static_cast<uint8_t>(Half(kKey6Flag.word, kKey6Flag.high));
  block[Parameters::kWinLockOffset] = static_cast<uint8_t>(Half(kWinFlag.word, kWinFlag.high));
  block[Parameters::kReportRateOffset] =
      static_cast<uint8_t>(Half(kPollingRate.word, kPollingRate.high));
  block[Parameters::kActiveProfileOffset] = static_cast<uint8_t>(byte0);
  const int begun = Commands.BeginTransfer();
  const int written =
      Commands.WriteParameters(block, protocol::SlotAddress<Parameters>(static_cast<size_t>(slot)));
  const int ended = Commands.EndTransfer();
  return begun == 1 && written == 1 && ended == 1 ? 1 : 0;
}

int CVarnisKeyboardDevice::WriteKeyTables(int arg, std::vector<KeyListEntry> list) {
  if (!Commands.IsOpen)
    return 0;
  protocol::DeviceInfo::Bytes infoBytes{};
  if (Commands.ReadDeviceInfo(infoBytes) == 1)
    info_ = protocol::DeviceInfo::Decode(infoBytes);
  const int slotCount = std::min<int>(info_.keyCount, protocol::KeyFunction::kSlots);
  std::array<uint8_t, kTableSize> normal = keyTable_;
  std::array<uint8_t, kTableSize> fn = keyTable_;

  const size_t macroCount =
      macros::ReadMacroNames(DeviceFile(QLatin1String(macros::kMacroListFile))).size();
  std::vector<int> used;
  auto renumber = [&used](uint8_t macroIndex) {
    auto it = std::find(used.begin(), used.end(), macroIndex);
    if (it == used.end()) {
      used.push_back(macroIndex);
      return static_cast<uint8_t>(used.size() - 1);
    }
    return static_cast<uint8_t>(it - used.begin());
  };

  const size_t positions = std::min<size_t>(list.size(), kKeyPositions);
  for (size_t i = 0; i < positions; ++i) {
    const uint8_t slot = positionToSlot_[i];
    if (slot == kNoSlot || slot >= slotCount)
      continue;
    KeyListEntry& entry = list[i];
    if (keys::IsMacro(entry.Normal.Type)) {
      if (entry.Normal.Code1 < macroCount)
        entry.Normal.Code1 = renumber(entry.Normal.Code1);
      else
        entry.Normal = entry.Default;
    }
    if (keys::IsMacro(entry.Fn.Type)) {
      if (entry.Fn.Code1 < macroCount) {
        entry.Fn.Code1 = renumber(entry.Fn.Code1);
      } else {
        entry.Fn.Type = 0;
        entry.Fn.Code1 = 0;
        entry.Fn.Code2 = 0;
      }
    }
    // An Fn function equal to the default is sent as none.
    const keys::FunctionCode fnCode =
        entry.Fn == entry.Default ? keys::FunctionCode{} : keys::CodeOf(entry.Fn);
    fnCode.WriteSlot(fn, slot);
    keys::CodeOf(entry.Normal).WriteSlot(normal, slot);
  }
  usedMacros_ = used;

  const size_t bytes = static_cast<size_t>(slotCount) * protocol::KeyFunction::kSize;
  const int begun = Commands.BeginTransfer();
  const int first = Commands.WriteKeyTable(std::span(normal.data(), bytes), arg);
  const int second = Commands.WriteKeyTable2(std::span(fn.data(), bytes), arg);
  Commands.EndTransfer();
  return begun == 1 && first == 1 && second == 1 ? 1 : 0;
}

int CVarnisKeyboardDevice::DownloadKeys(int arg) { return WriteKeyTables(arg, keyList_); }

void CVarnisKeyboardDevice::DropInvalidMacroKeys() {
  LoadLightLists();
  const size_t count = macroNames_.size();
  bool changed = false;
  for (KeyListEntry& entry : keyList_) {
    if (keys::IsMacro(entry.Normal.Type) && entry.Normal.Code1 >= count) {
      const uint16_t index = entry.Normal.KeyIndex;
      entry.Normal = entry.Default;
      entry.Normal.KeyIndex = index;
      changed = true;
    }
  }
  if (!changed)
    return;
  profile_.SetKeyList(keyList_);
  RefreshKeyLabels();
}

void CVarnisKeyboardDevice::SetKeyAssignment(const KeyListEntry& entry) {
  const int position = GetSelectedKey();
  if (position < 0 || position >= static_cast<int>(keyList_.size()))
    return;
  keyList_[static_cast<size_t>(position)] = entry;
  profile_.SetKeyList(keyList_);
}

// --- Heartbeat and events -----------------------------------------------------

bool CVarnisKeyboardDevice::IsWirelessReachable() {
  return Commands.IsOpen && Commands.WirelessMode && Commands.QueryWirelessLink();
}

void CVarnisKeyboardDevice::PollPowerStatus() {
  if (!Commands.IsOpen || IsTrayHidden() || !Commands.QueryWirelessLink())
    return;
  protocol::PowerStatus::Bytes status{};
  if (Commands.ReadPowerStatus(status, 0) != 1)
    return;
  status[protocol::PowerStatus::kWirelessOffset] = Commands.WirelessMode ? 1 : 0;
  if (GetPowerPanel() != nullptr) {
    CMpDevicePowerUI::Status panelStatus{};
    std::copy(status.begin(), status.end(), panelStatus.begin());
    GetPowerPanel()->SetPowerStatus(panelStatus);
  }
  SendToOwner(PowerStatusMessage, status[protocol::PowerStatus::kForwardedOffset], 0);
}

void CVarnisKeyboardDevice::ResyncFromDevice() {
  if (pendingReset_ == kEventFactoryReset) {
    if (ProfilePanel() != nullptr)
      ProfilePanel()->ResetProfile();
    LoadProfileState();
    RepaintKeyButtons();
    pendingReset_ = 0;
  }
  ReadParameterBlock();
  RefreshView();
}

void CVarnisKeyboardDevice::OnDeviceEvent(uint16_t code, bool /*receiver*/) {
  platform::DebugPrint("接收到自动添加设备的同步信息要求  TEST");
  if (code == kEventResync || code == kEventFactoryReset) {
    if (code == kEventFactoryReset)
      pendingReset_ = kEventFactoryReset;
    platform::DebugPrint("接收到自动添加设备的同步信息要求");
    if (GetSelector() != nullptr)
      GetSelector()->StartTimer(CDeviceOptionUI::kTimerResync, 50);
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
    QMetaObject::invokeMethod(this, [this] { RefreshView(); }, Qt::QueuedConnection);
  }
}

// --- View ------------------------------------------------------------------

void CVarnisKeyboardDevice::RefreshView() {
  LoadLightLists();
  RefreshKeyLabels();
  if (LightPanel() != nullptr) {
    const LightWords words = GetLightWords();
    LightPanel()->ShowLightInfo(words.A, words.B, words.C);
    const int group = static_cast<int>(words.D & 0xFF);
    LightPanel()->SelectCustomGroup(group);
  }
  ShowSettings();
  UpdateKeyEnabling();
}

void CVarnisKeyboardDevice::RefreshKeyLabels() {
  keys::LabelContext context;
  context.keyboard = true;
  context.fnLayer = fnLayer_ != 0;
  context.macroNames = &macroNames_;
  context.text = LanguageText;
  const QString keySet = Text("Key_Set");
  const auto& buttons = KeyControls();
  const size_t count = std::min(keyList_.size(), buttons.size());
  for (size_t i = 0; i < count; ++i) {
    auto* button = qobject_cast<CDeviceKeyButtonUI*>(buttons[i]);
    if (button == nullptr)
      continue;
    const KeyListEntry& entry = keyList_[i];
    const KeyFunctionRecord& record = context.fnLayer ? entry.Fn : entry.Normal;
    const std::optional<std::string> label = keys::KeyLabel(keys::CodeOf(record), context);
    if (!label)
      continue;
    const QString text = QString::fromStdString(*label);
    QString title;
    if (auto row = keys::FindKeyNameRow(keys::PrintedFunction(static_cast<int>(i))))
      title = QString::fromStdString(LanguageText(keys::KeyNameTable[static_cast<size_t>(*row)].TextId));
    const bool unchanged = title.compare(text, Qt::CaseInsensitive) == 0;
    button->SetKeyUnsetHidden(unchanged ? 0 : 1);
    button->SetKeySetHidden(unchanged ? 1 : 0);
    button->SetToolTip(title + QLatin1Char('\n') + keySet + text);
  }
}

void CVarnisKeyboardDevice::MarkKey(int position, bool unchanged, bool selected) {
  const auto& buttons = KeyControls();
  if (position < 0 || position >= static_cast<int>(buttons.size()))
    return;
  auto* button = qobject_cast<CDeviceKeyButtonUI*>(buttons[static_cast<size_t>(position)]);
  if (button == nullptr)
    return;
  button->SetKeyUnsetHidden(unchanged ? 0 : 1);
  button->SetKeySetHidden(unchanged ? 1 : 0);
  button->SetChosen(selected ? 1 : 0);
}

void CVarnisKeyboardDevice::RepaintKeyButtons() {
  const auto& buttons = KeyControls();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == nullptr)
      continue;
    const bool unchanged = i >= keyList_.size() || keyList_[i].Normal == keyList_[i].Default;
    MarkKey(static_cast<int>(i), unchanged, false);
    buttons[i]->Invalidate();
  }
}

void CVarnisKeyboardDevice::MarkSavedKeyButtons() { RepaintKeyButtons(); }

void CVarnisKeyboardDevice::SelectKey(int position) {
  const int previous = GetSelectedKey();
  CVarnisUSBDevice::SelectKey(position);
  if (CControlUI* keySet = Find<CControlUI>("keyset_layout"))
    keySet->SetVisible(true);
  if (position < 0 || position >= static_cast<int>(keyList_.size()))
    return;
  if (previous >= 0 && previous < static_cast<int>(keyList_.size()) && previous != position) {
    const KeyListEntry& old = keyList_[static_cast<size_t>(previous)];
    MarkKey(previous, old.Normal == old.Default, false);
  }
  const KeyListEntry& entry = keyList_[static_cast<size_t>(position)];
  MarkKey(position, entry.Normal == entry.Default, true);
  // The key assignment panel loads the entry once it exists.
}

// --- Behaviour settings ---------------------------------------------------------

uint16_t CVarnisKeyboardDevice::Half(int word, bool high) const {
  const uint32_t value = settings_[static_cast<size_t>(word)];
  return static_cast<uint16_t>(high ? value >> 16 : value & 0xFFFF);
}

void CVarnisKeyboardDevice::SetHalf(int word, bool high, uint16_t value) {
  uint32_t& target = settings_[static_cast<size_t>(word)];
  target = high ? (target & 0x0000FFFFu) | static_cast<uint32_t>(value) << 16
                : (target & 0xFFFF0000u) | value;
}

void CVarnisKeyboardDevice::StoreSettings() {
  profile_.SetKeyboardSystem(settings_[0], settings_[1], settings_[2], settings_[3]);
}

void CVarnisKeyboardDevice::ShowReportRate(int index) {
  if (index < 0 || index > 3)
    index = 0;
  for (int i = 0; i < 4; ++i) {
    const QString name = QStringLiteral("polling_rate_option_%1").arg(i);
    if (auto* option = findChild<toolkit::COptionUI*>(name))
      option->Selected(i == index, false);
  }
}

void CVarnisKeyboardDevice::ShowRepeatDelay(int index) {
  if (index < 0 || index > 3)
    index = 0;
  for (int i = 0; i < 4; ++i) {
    const QString name = QStringLiteral("repeat_delay_check_%1").arg(i);
    if (auto* option = findChild<toolkit::COptionUI*>(name))
      option->Selected(i == index, false);
  }
  if (auto* label = Find<CControlUI>("repeat_delay_time_label1"))
    label->SetText(Text("Repeat_Delay_Time") + QString::number(index * 250 + 250) +
                   QStringLiteral("ms"));
}

void CVarnisKeyboardDevice::ShowFlag(const char* name, int value) {
  if (auto* option = Find<toolkit::COptionUI>(name))
    option->Selected(value != 0, false);
}

void CVarnisKeyboardDevice::ShowSettings() {
  ShowFlag("winlockflag_option", Half(kWinFlag.word, kWinFlag.high));
  ShowFlag("wflag_option", Half(kWFlag.word, kWFlag.high));
  ShowFlag("6flag_option", Half(kKey6Flag.word, kKey6Flag.high));
  if (auto* slider = Find<toolkit::CSliderUI>("repeat_rate_slider"))
    slider->SetValue(Half(kRepeat.word, kRepeat.high));
  ShowRepeatDelay(Half(kRepeatDelay.word, kRepeatDelay.high));
  if (auto* edit = Find<CControlUI>("repeat_input_richedit")) {
    edit->SetText(QString());
    edit->SetToolTip(Text("Repeat_input_text"));
  }
  ShowReportRate(Half(kPollingRate.word, kPollingRate.high));
  const int sensitivity = GetLightWords().E;
  if (auto* slider = Find<toolkit::CSliderUI>("voice_sensitivity"))
    slider->SetValue(sensitivity);
  if (auto* label = Find<CControlUI>("voice_sensitivity_value"))
    label->SetText(QString::number(sensitivity));
  ShowFlag("keyset_fn", fnLayer_);
}

void CVarnisKeyboardDevice::OnReportRateSelected(int index) {
  ShowReportRate(index);
  SetHalf(kPollingRate.word, kPollingRate.high, static_cast<uint16_t>(index));
  StoreSettings();
  SaveProfile();
  WriteCurrentSettings();
}

void CVarnisKeyboardDevice::OnFlagChanged(const QString& optionName) {
  HalfWord field{};
  if (optionName == QLatin1String("winlockflag_option"))
    field = kWinFlag;
  else if (optionName == QLatin1String("wflag_option"))
    field = kWFlag;
  else if (optionName == QLatin1String("6flag_option"))
    field = kKey6Flag;
  else
    return;
  auto* option = findChild<toolkit::COptionUI*>(optionName);
  SetHalf(field.word, field.high, option != nullptr && option->IsSelected() ? 1 : 0);
  StoreSettings();
  SaveProfile();
  WriteCurrentSettings();
}

void CVarnisKeyboardDevice::OnRepeatDelaySelected(int index) {
  ShowRepeatDelay(index);
  SetHalf(kRepeatDelay.word, kRepeatDelay.high, static_cast<uint16_t>(index));
  StoreSettings();
  SaveProfile();
}

void CVarnisKeyboardDevice::OnRepeatRateChanged() {
  auto* slider = Find<toolkit::CSliderUI>("repeat_rate_slider");
  SetHalf(kRepeat.word, kRepeat.high, static_cast<uint16_t>(slider != nullptr ? slider->GetValue() : 0));
  StoreSettings();
  SaveProfile();
}

void CVarnisKeyboardDevice::OnResetRepeat() {
  if (auto* edit = Find<CControlUI>("repeat_input_richedit"))
    edit->SetText(QString());
}

void CVarnisKeyboardDevice::OnFnLayerSwitched() {
  fnLayer_ = fnLayer_ != 0 ? 0 : 1;
  profile_.SetFnKeysetFlag(fnLayer_ != 0);
  SaveProfile();
  RefreshView();
}

void CVarnisKeyboardDevice::OnSensitivityChanged() {
  auto* slider = Find<toolkit::CSliderUI>("voice_sensitivity");
  const int value = slider != nullptr ? slider->GetValue() : kDefaultSensitivity;
  if (auto* label = Find<CControlUI>("voice_sensitivity_value"))
    label->SetText(QString::number(value));
  LightWords words = GetLightWords();
  words.E = static_cast<uint8_t>(std::clamp(value, 0, 255));
  SetLightInfo(words.A, words.B, words.C, words.D, words.E);
  SaveProfile();
  ApplyProfile();
  WriteCurrentSettings();
}

// --- Custom per-key colours -----------------------------------------------------

bool CVarnisKeyboardDevice::IsCustomColourMode() const {
  return static_cast<int>(GetLightWords().A & 0xFF) == kCustomColourMode;
}

uint32_t CVarnisKeyboardDevice::CustomColour(int position) const {
  return position >= 0 && position < kPositions ? customColours_[static_cast<size_t>(position)]
                                                : 0;
}

void CVarnisKeyboardDevice::LoadCustomColours(int group) {
  const std::vector<CustomLightColor> colours = profile_.GetCustomLightColors(group, kPositions);
  customColours_.fill(0);
  for (size_t i = 0; i < colours.size() && i < customColours_.size(); ++i)
    customColours_[i] = protocol::ToRgbWord({colours[i].Red, colours[i].Green, colours[i].Blue});
  if (IsCustomColourMode())
    for (int i = 0; i < kPositions; ++i)
      SetLedColour(i, FullLevelLed(customColours_[static_cast<size_t>(i)]));
}

void CVarnisKeyboardDevice::StoreCustomColours(int group) {
  std::vector<CustomLightColor> colours(kPositions);
  for (size_t i = 0; i < colours.size(); ++i) {
    const protocol::Rgb colour = protocol::FromRgbWord(customColours_[i]);
    colours[i] = {colour.r, colour.g, colour.b, 0xFF};
  }
  profile_.SetCustomLightColors(colours, group);
}

void CVarnisKeyboardDevice::SelectCustomGroup(int group) {
  if (group < 0 || group >= CKeyboardProfiledata::kMaxCustomLightGroups)
    return;
  if (LightPanel() != nullptr)
    LightPanel()->SelectCustomGroup(group);
  profile_.SetCustomLightGroupIndex(group);
  SaveProfile();
  LightWords words = GetLightWords();
  words.D = (words.D & ~0xFFu) | static_cast<uint32_t>(group);
  SetLightInfo(words.A, words.B, words.C, words.D, words.E);
  SaveProfile();
  WriteCurrentSettings();
  LoadCustomGroup();
}

void CVarnisKeyboardDevice::LoadCustomGroup() {
  LoadCustomColours(static_cast<int>(GetLightWords().D & 0xFF));
  WriteColourTable();
}

void CVarnisKeyboardDevice::PaintKey(int position) {
  if (!IsCustomColourMode() || position < 0 || position >= kPositions)
    return;
  const LightInfo info = FromLightWords(GetLightWords());
  customColours_[static_cast<size_t>(position)] =
      protocol::ToRgbWord({info.Red, info.Green, info.Blue});
  SetLedColour(position, FullLevelLed(customColours_[static_cast<size_t>(position)]));
  const int group = LightPanel() != nullptr ? LightPanel()->GetCustomGroup() : -1;
  if (group < 0)
    return;
  StoreCustomColours(group);
  SaveProfile();
  WriteColourTable();
}

void CVarnisKeyboardDevice::FillAllKeys(bool on) {
  const LightInfo info = FromLightWords(GetLightWords());
  const uint32_t colour = on ? protocol::ToRgbWord({info.Red, info.Green, info.Blue}) : 0;
  for (int i = 0; i < kKeyPositions; ++i) {
    customColours_[static_cast<size_t>(i)] = colour;
    SetLedColour(i, FullLevelLed(colour));
  }
  WriteColourTable();
  const int group = LightPanel() != nullptr ? LightPanel()->GetCustomGroup() : -1;
  if (group < 0)
    return;
  StoreCustomColours(group);
  SaveProfile();
}

int CVarnisKeyboardDevice::WriteColourTable() {
  if (!Commands.IsOpen)
    return 0;
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
  const int result = Commands.WriteColorTable(
      std::span(table.data(), static_cast<size_t>(slotCount) * protocol::kRgbBytes), group,
      protocol::kColourTableBytes);
  if (result != 1) {
    // The keyboard is busy or gone: give it a moment before the next write.
    QThread::msleep(200);
    return 0;
  }
  return 1;
}

// --- Light effects -------------------------------------------------------------

lighting::LightParams CVarnisKeyboardDevice::CurrentLightParams() const {
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

void CVarnisKeyboardDevice::StartLightThread() {
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

void CVarnisKeyboardDevice::LightPass() {
  // While the page follows the common effect, that effect paints it.
  if (Commands.LightFollower)
    return;
  const uint32_t now = platform::TickCount();
  if (now - tickLast_ >= 2) {
    // Every step of the tick count is a pass (the loop may have slept
    // through several).
    tickCounter_ += std::max<uint32_t>(1, static_cast<uint32_t>((now - tickLast_) / platform::kTickStepMs + 0.5));
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
    keyEffects_.RunStep(effect_, light, canvas, now, [this] { return static_cast<uint32_t>(random_()); });
    tickCounter_ = 0;
  }
  std::lock_guard lock(listMutex_);
  lightList_.Run(canvas, now, false);
}

int CVarnisKeyboardDevice::IdleSteps() const {
  // Passes with nothing to draw need not wake the thread: a mode with a
  // step of its own draws only when its threshold is reached, as long as
  // no per-light-point effect runs on every pass.
  const lighting::LightParams light = CurrentLightParams();
  const int threshold = lighting::KeyboardEffects::Threshold(light.mode, light.speed);
  if (threshold <= 1 || Commands.LightFollower)
    return 1;
  {
    std::lock_guard lock(listMutex_);
    if (!lightList_.List().empty())
      return 1;
  }
  return std::max(1, threshold - static_cast<int>(tickCounter_));
}

void CVarnisKeyboardDevice::OnLightModeChanged() {
  CVarnisUSBDevice::OnLightModeChanged();
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

void CVarnisKeyboardDevice::OnKeyEvent(int slot, int type) {
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

void CVarnisKeyboardDevice::SetScreenColour(const int* values, int count) {
  std::lock_guard lock(effectMutex_);
  keyEffects_.SetScreenColour(values, count);
}

bool CVarnisKeyboardDevice::StreamsFrames() const {
  const int mode = static_cast<int>(GetLightWords().A & 0xFF);
  return mode == lighting::kAudioModeValue || mode == lighting::kScreenModeValue;
}

void CVarnisKeyboardDevice::OutputLightFrame() {
  if (!IsLightControlEnabled())
    return;
  const bool lightingPage = CurrentPage() == 1;
  const auto& lights = LightButtons();
  LightShown shown;
  for (size_t i = 0; i < lights.size(); ++i) {
    CDeviceKeyButtonUI* button = lights[i];
    if (button == nullptr)
      continue;
    if (!lightingPage || !shown(button))
      button->SetLightState(0, 0, 1);
    else
      PaintLightButton(button, static_cast<int>(i));
  }
  const int mode = static_cast<int>(GetLightWords().A & 0xFF);
  if ((mode != lighting::kAudioModeValue && mode != lighting::kScreenModeValue) || !Commands.IsOpen)
    return;
  DeviceLedCanvas canvas(*this);
  const auto frame = lighting::BuildKeyboardFrame(canvas, positionToLed_);
  const size_t bytes =
      std::min<size_t>(static_cast<size_t>(info_.keyCount) * protocol::kRgbBytes, frame.size());
  if (Commands.StreamLightFrame(std::span(frame.data(), bytes)) != 1)
    QThread::msleep(200);
}
