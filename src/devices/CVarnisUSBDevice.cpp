#include "devices/CVarnisUSBDevice.h"

#include <QDir>
#include <QFile>

#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "ui/CLightControlUI.h"
#include "lighting/LedCanvas.h"
#include "protocol/PowerStatus.h"
#include "protocol/Rgb.h"
#include "profiles/DeviceFiles.h"
#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "platform/ScreenMetrics.h"
#include "platform/IndexedName.h"
#include "platform/WindowMessages.h"
#include "toolkit/COptionUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CMacroControlUI.h"
#include "toolkit/CTabLayoutUI.h"

using toolkit::CControlUI;
using toolkit::CContainerUI;

void CVarnisUSBDevice::CollectControls(CControlUI* root, std::vector<CControlUI*>& out) {
  auto* container = qobject_cast<CContainerUI*>(root);
  if (container == nullptr)
    return;
  for (int i = 0; i < container->GetCount(); ++i) {
    CControlUI* item = container->GetItemAt(i);
    out.push_back(item);
    CollectControls(item, out);
  }
}

CVarnisUSBDevice::CVarnisUSBDevice(QWidget* parent, std::unique_ptr<DeviceCore> core)
    : toolkit::CHorizontalLayoutUI(parent),
      core_(core ? std::move(core) : std::make_unique<DeviceCore>()),
      Commands(core_->Commands),
      Events(core_->Events) {
  SetVisible(false);
  core_->SetEventHandler([this](uint16_t code, bool receiver) { OnDeviceEvent(code, receiver); });
}

CVarnisUSBDevice::~CVarnisUSBDevice() { StopThreads(); }

void CVarnisUSBDevice::StopThreads() {
  core_->StopWorker();
  core_->StopThreads();
}

void CVarnisUSBDevice::SetKeyCount(int count) {
  if (count < 0 || count == keyCount_)
    return;
  keyCount_ = count;
  keyControls_.assign(static_cast<size_t>(count), nullptr);
}

void CVarnisUSBDevice::SetLedCount(int count) {
  if (count < 0)
    return;
  if (count != ledCount_) {
    ledCount_ = count;
    ledControls_.assign(static_cast<size_t>(count), nullptr);
    ledLightState_.resize(static_cast<size_t>(count));
  }
  // The same count still starts every light point afresh.
  core_->SetLedCount(count);
  std::fill(ledLightState_.begin(), ledLightState_.end(), LedEffectState{});
}

void CVarnisUSBDevice::SetShowPower(int show) {
  showPower_ = show;
  if (powerPanel_ != nullptr)
    powerPanel_->SetShowPower(show);
}

void CVarnisUSBDevice::SetPowerPanel(CMpDevicePowerUI* panel) {
  powerPanel_ = panel;
  if (powerPanel_ != nullptr)
    powerPanel_->SetShowPower(showPower_);
}

void CVarnisUSBDevice::SetKindName(const QString& name) {
  kindName_ = name;
  // Creates the user's data folder and the device's folder when missing.
  deviceFolder_ = name.isEmpty() ? QString() : platform::DataFolders::DeviceFolder(name);
}

QString CVarnisUSBDevice::DefaultDataDir() const { return platform::DataFolders::DefaultDataDir(); }

QString CVarnisUSBDevice::DefaultProfilePath() const {
  return DeviceFiles(kindName_, lightConfigName_).DefaultProfilePath();
}

QString CVarnisUSBDevice::LightConfigPath() const {
  return DeviceFiles(kindName_, lightConfigName_).LightConfigPath();
}

void CVarnisUSBDevice::SetIdentity(const InterfaceRecord& identity) {
  identity_ = identity;
  core_->SetIdentity(identity);
  kindType_ = identity.DeviceType;
  kindRole_ = identity.Role;
}

void CVarnisUSBDevice::SetLightControl(int enabled) {
  core_->SetLightControlEnabled(enabled != 0);
  if (enabled != 0 && kindType_ == DeviceTypes::Keyboard)
    core_->TakeLightControl();
}

void CVarnisUSBDevice::SetTrayHidden(int hidden) {
  if (showPower_ != 0)
    trayHidden_ = hidden;
}

void CVarnisUSBDevice::ClearControlLists() {
  keyCount_ = 0;
  ledCount_ = 0;
  keyControls_.clear();
  ledControls_.clear();
  core_->SetLedCount(0);
  ledLightState_.clear();
}

void CVarnisUSBDevice::BindKeyControl(int index, CControlUI* control) {
  if (index >= 0 && index < static_cast<int>(keyControls_.size()))
    keyControls_[static_cast<size_t>(index)] = control;
}

void CVarnisUSBDevice::BindLedControl(int index, CControlUI* control) {
  if (index >= 0 && index < static_cast<int>(ledControls_.size()))
    ledControls_[static_cast<size_t>(index)] = control;
}

void CVarnisUSBDevice::AttachToWindow() {
  if (layoutPath_.isEmpty()) {
    ClearControlLists();
    return;
  }
  // The pages share one window: each keeps its own choices (function tabs,
  // key picker, report rates).
  toolkit::COptionUI::MakeGroupsOwnedBy(this);
  BindProfilePanel();
  std::vector<CControlUI*> controls;
  CollectControls(this, controls);
  previewPanel_ = nullptr;
  for (CControlUI* control : controls)
    if (control->GetClass() == QLatin1String("SelectPanel")) {
      previewPanel_ = control;
      break;
    }
  if (previewPanel_ == nullptr)
    return;
  auto* panel = qobject_cast<CContainerUI*>(previewPanel_);
  for (int i = 0; panel != nullptr && i < panel->GetCount(); ++i) {
    CControlUI* child = panel->GetItemAt(i);
    if (child->GetClass() != QLatin1String("DeviceKeyButton"))
      continue;
    QString prefix;
    int index = 0;
    if (!platform::SplitIndexedName(child->GetName(), prefix, index))
      continue;
    if (prefix == QLatin1String("key_") && index < keyCount_)
      keyControls_[static_cast<size_t>(index)] = child;
    else if (prefix == QLatin1String("light_") && index < ledCount_)
      ledControls_[static_cast<size_t>(index)] = child;
  }
}

void CVarnisUSBDevice::BindProfilePanel() {
  profilePanel_ = findChild<CDeviceProfileUI*>(QStringLiteral("DeviceProfileItem"));
  if (profilePanel_ == nullptr || deviceFolder_.isEmpty())
    return;
  profilePanel_->SetDeviceKind(kindType_);
  profilePanel_->SetFolders(deviceFolder_, DefaultProfilePath());
  profilePanel_->InitProfileList();
  profileId_ = profilePanel_->GetSelectedId();
}

void CVarnisUSBDevice::BindMacroPanel() {
  macroPanel_ = findChild<CMacroControlUI*>(QStringLiteral("MacroControlItem"));
  if (macroPanel_ == nullptr)
    return;
  macroPanel_->Bind();
  macroPanel_->SetMacroFolder(deviceFolder_);
  macroPanel_->LoadMacroList();
}

void CVarnisUSBDevice::BindKeyPanel(int kind) {
  keyPanel_ = findChild<CKeySetControlUI*>(QStringLiteral("KeySetControlItem"));
  if (keyPanel_ == nullptr)
    return;
  keyPanel_->Bind();
  keyPanel_->SetDeviceKind(static_cast<keys::PanelDevice>(kind));
  // The panel stays hidden until a key is chosen.
  if (auto* layout = keyPanel_->findChild<CControlUI*>(QStringLiteral("keyset_layout")))
    layout->SetVisible(false);
}

void CVarnisUSBDevice::ReapplyProfile() {
  LoadProfileState();
  RefreshView();
  WriteCurrentSettings();
}

void CVarnisUSBDevice::OutputLightFrame() {
  // The preview follows the light points' colours; the device classes
  // stream frames to the hardware.
  if (!IsLightControlEnabled())
    return;
  LightShown shown;
  const auto& buttons = LightButtons();
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i] != nullptr && shown(buttons[i]))
      PaintLightButton(buttons[i], static_cast<int>(i));
}

const std::vector<CDeviceKeyButtonUI*>& CVarnisUSBDevice::LightButtons() {
  if (lightButtonsOf_ != ledControls_ || lightButtons_.empty()) {
    lightButtonsOf_ = ledControls_;
    lightButtons_.clear();
    for (CControlUI* control : ledControls_)
      lightButtons_.push_back(qobject_cast<CDeviceKeyButtonUI*>(control));
    for (CDeviceKeyButtonUI* button : extraLights_)
      if (button != nullptr)
        lightButtons_.push_back(button);
  }
  return lightButtons_;
}

bool CVarnisUSBDevice::LightShown::operator()(const CControlUI* light) {
  if (!light->IsOwnVisible())
    return false;
  const QWidget* panel = light->parentWidget();
  if (panel != panel_ || !looked_) {
    panel_ = panel;
    looked_ = true;
    const CControlUI* control = light->GetParent();
    panelShown_ = control == nullptr || control->IsVisible();
  }
  return panelShown_;
}

void CVarnisUSBDevice::PaintLightButton(CDeviceKeyButtonUI* button, int index) const {
  const uint32_t led = GetLedColour(index);
  button->SetLightState(protocol::ToRbgWord(lighting::UnpackColour(led)),
                        lighting::UnpackLevel(led), 1);
}

void CVarnisUSBDevice::SetLedColour(int index, uint32_t colour) { core_->SetLedColour(index, colour); }

uint32_t CVarnisUSBDevice::GetLedColour(int index) const { return core_->GetLedColour(index); }

void CVarnisUSBDevice::CheckWirelessLink(std::function<void(bool)> done,
                                         const std::string& purpose) {
  core_->CheckWirelessLink(std::move(done), purpose);
}

void CVarnisUSBDevice::OnLightModeChanged() {
  std::fill(ledLightState_.begin(), ledLightState_.end(), LedEffectState{});
  // The main window looks again at what the pages need of the screen and
  // the sound, once this change is through.
  if (ownerWindow_ != 0)
    platform::PostWindowMessage(ownerWindow_, LightSettingsMessage, 0, 0);
}

void CVarnisUSBDevice::ShowPage(int kind) {
  pageKind_ = kind;
  auto* functions = findChild<toolkit::CTabLayoutUI*>(QStringLiteral("device_function_switch"));
  auto* keyFunctions =
      findChild<toolkit::CTabLayoutUI*>(QStringLiteral("device_key_function_switch"));
  int f = 0;
  int k = 0;  // -1: unchanged
  const bool keyboardOrMouse =
      kindType_ == DeviceTypes::Keyboard || kindType_ == DeviceTypes::Mouse;
  switch (kind) {
    case 2:
    case 6: f = 0; k = 1; break;
    case 3:
    case 8: f = 1; k = -1; break;
    case 4:
      if (keyboardOrMouse) {
        f = 3;
        k = -1;
      } else {
        f = 0;
        k = 2;
      }
      break;
    case 7: f = 0; k = 2; break;
    case 5: f = 2; k = -1; break;
    default: f = 0; k = 0; break;
  }
  if (functions != nullptr)
    functions->SelectItem(f);
  if (keyFunctions != nullptr && k >= 0)
    keyFunctions->SelectItem(k);
}

void CVarnisUSBDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) {
  SetLightWords(LightWords{a, b, c, d, e});
}

void CVarnisUSBDevice::SetAudioLightInfo(const AudioLightInfo& info) {
  audioLightInfo_ = info;
  if (lightPanel_ != nullptr)
    lightPanel_->ShowAudioLightInfo(info);
}

std::optional<AudioLightInfo> CVarnisUSBDevice::GetAudioLightInfo(bool readPanel) const {
  if (!readPanel)
    return audioLightInfo_;
  if (lightPanel_ == nullptr)
    return std::nullopt;
  return lightPanel_->ReadAudioLightInfo(audioLightInfo_, true);
}

void CVarnisUSBDevice::ResyncAfterTheReadOnItsWay() {
  if (GetSelector() != nullptr)
    GetSelector()->StartTimer(CDeviceOptionUI::kTimerResync, kResyncRetryMs);
}

void CVarnisUSBDevice::SendToOwner(uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) const {
  if (ownerWindow_ != 0)
    platform::SendWindowMessage(ownerWindow_, message, wParam, lParam);
}

void CVarnisUSBDevice::SendPageVisibility(bool show) const {
  SendToOwner(PageVisibilityMessage, static_cast<platform::WParam>(kindIndex_), show ? 1 : 0);
}

void CVarnisUSBDevice::OnDeviceEvent(uint16_t code, bool receiver) {
  platform::DebugPrint("device event %04x (%s)", code, receiver ? "receiver" : "cable");
}

int CVarnisUSBDevice::WriteCurrentSettings(Done done) {
  // The main window looks again at what the pages need of the screen and
  // the sound, once this change is through.
  if (ownerWindow_ != 0)
    platform::PostWindowMessage(ownerWindow_, LightSettingsMessage, 0, 0);
  return WriteParameterBlock(0, 0, 1, platform::ScreenMetrics::Width(),
                             platform::ScreenMetrics::Height(), std::move(done));
}

void CVarnisUSBDevice::PollPowerStatus() {
  if (!Commands.IsOpen || (IsTrayHidden() && !PollsPowerWhileInTray()))
    return;
  core_->PollPowerStatus([this](std::optional<DeviceCore::PowerBytes> status) {
    if (!status)
      return;
    if (GetPowerPanel() != nullptr) {
      CMpDevicePowerUI::Status panelStatus{};
      std::copy(status->begin(), status->end(), panelStatus.begin());
      GetPowerPanel()->SetPowerStatus(panelStatus);
    }
    SendToOwner(PowerStatusMessage, (*status)[protocol::PowerStatus::kForwardedOffset], 0);
  });
}
