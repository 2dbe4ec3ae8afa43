#include "devices/CVarnisKeyboardDevice.h"

#include <algorithm>
#include <cstring>

#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "keys/KeyLabel.h"
#include "keys/KeyTables.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroList.h"
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
#include "ui/CKeySetControlUI.h"
#include "ui/CLightControlUI.h"

using toolkit::CControlUI;

namespace {

constexpr const char* kModeFile = "default_light.json";
constexpr int kKeyPage = 2;
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

CVarnisKeyboardDevice::CVarnisKeyboardDevice(QWidget* parent)
    : CVarnisUSBDevice(parent, std::make_unique<KeyboardCore>()) {
  kindType_ = DeviceTypes::Keyboard;
  KeyboardCore::Listener listener;
  listener.viewChanged = [this] { RefreshView(); };
  listener.lightModeChanged = [this] { CVarnisUSBDevice::OnLightModeChanged(); };
  listener.resyncRequested = [this] {
    if (GetSelector() != nullptr)
      GetSelector()->StartTimer(CDeviceOptionUI::kTimerResync, 50);
  };
  listener.profileApplied = [this] {
    CVarnisUSBDevice::SetAudioLightInfo(Keyboard().Profile().GetAudioLightInfo());
  };
  Keyboard().SetListener(std::move(listener));
}

CVarnisKeyboardDevice::~CVarnisKeyboardDevice() {
  // The listener calls into this page: nothing of the core may run now.
  StopThreads();
  Keyboard().SetListener({});
}

template <typename T>
T* CVarnisKeyboardDevice::Find(const char* name) const {
  return findChild<T*>(QString::fromLatin1(name));
}

QString CVarnisKeyboardDevice::DeviceFile(const QString& name) const {
  return DeviceFolder().isEmpty() ? QString() : DeviceFolder() + name;
}

int CVarnisKeyboardDevice::CustomGroupOfPanel() const {
  return LightPanel() != nullptr ? LightPanel()->GetCustomGroup() : -1;
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
  BindMacroPanel();
  LoadLightLists();
  if (auto* panel = findChild<CLightControlUI*>(QStringLiteral("LightControlItem"))) {
    SetLightPanel(panel);
    panel->SetDeviceKind(lighting::kKindKeyboard);
    panel->FillModeList(ModeList().names, ModeList().visible, lighting::kMaxLevel, lighting::kMaxLevel);
  }
  BindKeyPanel(static_cast<int>(keys::PanelDevice::Keyboard));
  if (KeyPanel() != nullptr)
    KeyPanel()->FillMacroList(MacroNames());
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
  if (IsFnLayer()) {
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
  Keyboard().SetKeySlotFile(DeviceFile(QLatin1String(KeyboardCore::kKeySlotFile)));
  Keyboard().SetProfileFiles(DefaultProfilePath(), ProfilePath(), LightConfigPath());
}

void CVarnisKeyboardDevice::SaveProfile() { Keyboard().SaveProfile(); }

void CVarnisKeyboardDevice::LoadProfileState() {
  LoadProfileFiles();
  Keyboard().LoadProfileState();
}

void CVarnisKeyboardDevice::ApplyProfile() { Keyboard().ApplyProfile(); }

void CVarnisKeyboardDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                                         uint8_t e) {
  Keyboard().SetLightInfo(LightWords{a, b, c, d, e});
}

void CVarnisKeyboardDevice::LoadLightLists() {
  Keyboard().LoadLightLists(DefaultDataDir() + QLatin1String(kModeFile), GetLightTableIndex(),
                            DeviceFile(QLatin1String(macros::kMacroListFile)));
}

void CVarnisKeyboardDevice::ResetToDefaults() {
  LoadProfileFiles();
  Keyboard().ResetToDefaults();
  RefreshView();
}

void CVarnisKeyboardDevice::ReapplyProfile() {
  LoadProfileState();
  RefreshView();
  WriteCurrentSettings();
  if (CControlUI* keySet = Find<CControlUI>("keyset_layout"))
    keySet->SetVisible(false);
  if (KeyPanel() != nullptr)
    KeyPanel()->ResetInputs();
}

void CVarnisKeyboardDevice::CompleteReapply() {
  WriteColourTable();
  RepaintKeyButtons();
}

void CVarnisKeyboardDevice::DropInvalidMacroKeys() {
  LoadLightLists();
  if (Keyboard().DropInvalidMacroKeys())
    RefreshKeyLabels();
}

void CVarnisKeyboardDevice::SetKeyAssignment(const KeyListEntry& entry) {
  Keyboard().SetKeyAssignment(GetSelectedKey(), entry);
}

// --- Device --------------------------------------------------------------------

void CVarnisKeyboardDevice::InitialRead() {
  // The profile's files are known before the first contact loads it.
  LoadProfileFiles();
  Keyboard().ReadFirstContact();
}

bool CVarnisKeyboardDevice::ReadParameterBlock(std::function<void(bool)> done) {
  if (!Commands.IsOpen)
    return false;
  Keyboard().ReadParameterBlock(std::move(done));
  return true;
}

int CVarnisKeyboardDevice::WriteParameterBlock(int slot, int byte0, int /*byte59*/, int /*width*/,
                                               int /*height*/, Done done) {
  if (!Commands.IsOpen)
    return 0;
  Keyboard().WriteParameterBlock(slot, byte0, std::move(done));
  return 1;
}

int CVarnisKeyboardDevice::WriteKeyTables(int arg, std::vector<KeyListEntry> list, Done done) {
  if (!Commands.IsOpen)
    return 0;
  // The macro numbers sent are those of the macro list as it is now.
  LoadLightLists();
  Keyboard().WriteKeyTables(arg, std::move(list), std::move(done));
  return 1;
}

CBasicProfiledata* CVarnisKeyboardDevice::ProfileData() { return &Profile(); }

void CVarnisKeyboardDevice::ReplaceKeyList(const std::vector<KeyListEntry>& list) {
  Keyboard().SetKeyList(list);
  RefreshKeyLabels();
}

void CVarnisKeyboardDevice::ReloadMacroNames() {
  Keyboard().ReloadMacroNames(DeviceFile(QLatin1String(macros::kMacroListFile)));
  if (KeyPanel() != nullptr)
    KeyPanel()->FillMacroList(MacroNames());
}

std::vector<int> CVarnisKeyboardDevice::GetUsedMacros() {
  // Counted against the macro list as it is now.
  LoadLightLists();
  return Keyboard().CollectUsedMacros();
}

int CVarnisKeyboardDevice::DownloadMacros(const std::vector<int>& used, Done done) {
  return Keyboard().DownloadMacros(used, DeviceFolder(), std::move(done));
}

int CVarnisKeyboardDevice::DownloadKeys(int arg, Done done) {
  return WriteKeyTables(arg, KeyList(), std::move(done));
}

int CVarnisKeyboardDevice::WriteColourTable(Done done) {
  if (!Commands.IsOpen)
    return 0;
  Keyboard().WriteColourTable(std::move(done));
  return 1;
}

void CVarnisKeyboardDevice::ResyncFromDevice() {
  if (KeyboardCore::PendingReset() == kEventFactoryReset) {
    if (ProfilePanel() != nullptr)
      ProfilePanel()->ResetProfile();
    LoadProfileState();
    RepaintKeyButtons();
    KeyboardCore::ClearPendingReset();
  }
  // Events in a burst read the block once more after the read on its way.
  if (Commands.IsOpen && !Keyboard().ReadParameterBlock([this](bool) { RefreshView(); }, "resync"))
    ResyncAfterTheReadOnItsWay();
}

void CVarnisKeyboardDevice::OnDeviceEvent(uint16_t code, bool /*receiver*/) {
  Keyboard().HandleEvent(code);
}

void CVarnisKeyboardDevice::SetScreenColour(const int* values, int count) {
  Keyboard().SetScreenColour(values, count);
}

void CVarnisKeyboardDevice::SetAudioLevels(const int32_t* levels, int count) {
  if (levels == nullptr || count <= 0)
    return;
  const int taken = std::min(count, lighting::AudioLevels::kBandCount);
  Keyboard().SetAudioLevels(std::span(levels, static_cast<size_t>(taken)));
}

void CVarnisKeyboardDevice::SetAudioLightInfo(const AudioLightInfo& info) {
  CVarnisUSBDevice::SetAudioLightInfo(info);
  Keyboard().Profile().SetAudioLightInfo(info);
  Keyboard().SetAudioStyle(info);
}

void CVarnisKeyboardDevice::OnLightModeChanged() { Keyboard().OnLightModeChanged(); }

bool CVarnisKeyboardDevice::WantsScreenColour() const {
  return Commands.IsOpen && IsLightControlEnabled() &&
         static_cast<int>(GetLightWords().A & 0xFF) == lighting::kScreenModeValue;
}

bool CVarnisKeyboardDevice::WantsAudioLevels() const {
  return Commands.IsOpen && IsLightControlEnabled() &&
         static_cast<int>(GetLightWords().A & 0xFF) == lighting::kAudioModeValue;
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
  context.fnLayer = IsFnLayer();
  context.macroNames = &MacroNames();
  context.text = LanguageText;
  const QString keySet = Text("Key_Set");
  const auto& buttons = KeyControls();
  const std::vector<KeyListEntry>& keyList = KeyList();
  const size_t count = std::min(keyList.size(), buttons.size());
  for (size_t i = 0; i < count; ++i) {
    auto* button = qobject_cast<CDeviceKeyButtonUI*>(buttons[i]);
    if (button == nullptr)
      continue;
    const KeyListEntry& entry = keyList[i];
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
  const std::vector<KeyListEntry>& keyList = KeyList();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == nullptr)
      continue;
    const bool unchanged = i >= keyList.size() || keyList[i].Normal == keyList[i].Default;
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
  const std::vector<KeyListEntry>& keyList = KeyList();
  if (position < 0 || position >= static_cast<int>(keyList.size()))
    return;
  if (previous >= 0 && previous < static_cast<int>(keyList.size()) && previous != position) {
    const KeyListEntry& old = keyList[static_cast<size_t>(previous)];
    MarkKey(previous, old.Normal == old.Default, false);
  }
  const KeyListEntry& entry = keyList[static_cast<size_t>(position)];
  MarkKey(position, entry.Normal == entry.Default, true);
  // The key assignment panel loads the entry once it exists.
}

// --- Behaviour settings ---------------------------------------------------------

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

void CVarnisKeyboardDevice::SettingChanged(bool written) {
  Keyboard().StoreSettings();
  SaveProfile();
  if (written)
    WriteCurrentSettings();
}

void CVarnisKeyboardDevice::ShowSettings() {
  KeyboardCore& core = Keyboard();
  ShowFlag("winlockflag_option", core.Half(KeyboardCore::kWinFlag));
  ShowFlag("wflag_option", core.Half(KeyboardCore::kWFlag));
  ShowFlag("6flag_option", core.Half(KeyboardCore::kKey6Flag));
  if (auto* slider = Find<toolkit::CSliderUI>("repeat_rate_slider"))
    slider->SetValue(core.Half(KeyboardCore::kRepeat));
  ShowRepeatDelay(core.Half(KeyboardCore::kRepeatDelay));
  if (auto* edit = Find<CControlUI>("repeat_input_richedit")) {
    edit->SetText(QString());
    edit->SetToolTip(Text("Repeat_input_text"));
  }
  ShowReportRate(core.Half(KeyboardCore::kPollingRate));
  const int sensitivity = GetLightWords().E;
  if (auto* slider = Find<toolkit::CSliderUI>("voice_sensitivity"))
    slider->SetValue(sensitivity);
  if (auto* label = Find<CControlUI>("voice_sensitivity_value"))
    label->SetText(QString::number(sensitivity));
  ShowFlag("keyset_fn", core.IsFnLayer() ? 1 : 0);
}

void CVarnisKeyboardDevice::OnReportRateSelected(int index) {
  ShowReportRate(index);
  Keyboard().SetHalf(KeyboardCore::kPollingRate, static_cast<uint16_t>(index));
  SettingChanged(true);
}

void CVarnisKeyboardDevice::OnFlagChanged(const QString& optionName) {
  HalfWord field{};
  if (optionName == QLatin1String("winlockflag_option"))
    field = KeyboardCore::kWinFlag;
  else if (optionName == QLatin1String("wflag_option"))
    field = KeyboardCore::kWFlag;
  else if (optionName == QLatin1String("6flag_option"))
    field = KeyboardCore::kKey6Flag;
  else
    return;
  auto* option = findChild<toolkit::COptionUI*>(optionName);
  Keyboard().SetHalf(field, option != nullptr && option->IsSelected() ? 1 : 0);
  SettingChanged(true);
}

void CVarnisKeyboardDevice::OnRepeatDelaySelected(int index) {
  ShowRepeatDelay(index);
  Keyboard().SetHalf(KeyboardCore::kRepeatDelay, static_cast<uint16_t>(index));
  SettingChanged(false);
}

void CVarnisKeyboardDevice::OnRepeatRateChanged() {
  auto* slider = Find<toolkit::CSliderUI>("repeat_rate_slider");
  Keyboard().SetHalf(KeyboardCore::kRepeat,
                     static_cast<uint16_t>(slider != nullptr ? slider->GetValue() : 0));
  SettingChanged(false);
}

void CVarnisKeyboardDevice::OnResetRepeat() {
  if (auto* edit = Find<CControlUI>("repeat_input_richedit"))
    edit->SetText(QString());
}

void CVarnisKeyboardDevice::OnFnLayerSwitched() {
  Keyboard().SetFnLayer(!Keyboard().IsFnLayer());
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

void CVarnisKeyboardDevice::SelectCustomGroup(int group) {
  if (group < 0 || group >= CKeyboardProfiledata::kMaxCustomLightGroups)
    return;
  if (LightPanel() != nullptr)
    LightPanel()->SelectCustomGroup(group);
  Profile().SetCustomLightGroupIndex(group);
  SaveProfile();
  LightWords words = GetLightWords();
  words.D = (words.D & ~0xFFu) | static_cast<uint32_t>(group);
  SetLightInfo(words.A, words.B, words.C, words.D, words.E);
  SaveProfile();
  WriteCurrentSettings();
  LoadCustomGroup();
}

void CVarnisKeyboardDevice::LoadCustomGroup() {
  Keyboard().LoadCustomColours(static_cast<int>(GetLightWords().D & 0xFF));
  WriteColourTable();
}

void CVarnisKeyboardDevice::PaintKey(int position) {
  if (!Keyboard().PaintCustomKey(position))
    return;
  const int group = CustomGroupOfPanel();
  if (group < 0)
    return;
  Keyboard().StoreCustomColours(group);
  SaveProfile();
  WriteColourTable();
}

void CVarnisKeyboardDevice::FillAllKeys(bool on) {
  Keyboard().FillCustomKeys(on);
  WriteColourTable();
  const int group = CustomGroupOfPanel();
  if (group < 0)
    return;
  Keyboard().StoreCustomColours(group);
  SaveProfile();
}
