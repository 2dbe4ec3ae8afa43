#include "devices/CDeviceOptionUI.h"

#include <algorithm>

#include "ui/CDeviceKeyButtonUI.h"
#include "ui/LightPreviewLayer.h"

#include "devices/CVarnisUSBDevice.h"
#include "platform/DebugChannel.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"

using namespace toolkit;

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : CHorizontalLayoutUI(parent) {}

QString CDeviceOptionUI::ImageStem(int deviceType, int role) {
  switch (deviceType) {
    case 1: return QStringLiteral("kb");
    case 2: return QStringLiteral("ms");
    case 3: return role == 1 ? QStringLiteral("soft_mp") : QStringLiteral("hard_mp");
    case 4:
    case 7: return QStringLiteral("hd");
    case 5: return QStringLiteral("hub");
    default: return QStringLiteral("unknow");
  }
}

CControlUI* CDeviceOptionUI::Sub(const char* name) const {
  // Found among this selector's own controls only: every selector has the
  // same names.
  const QList<CControlUI*> all = findChildren<CControlUI*>(QString::fromLatin1(name));
  return all.isEmpty() ? nullptr : all.first();
}

COptionUI* CDeviceOptionUI::SelectOption() const {
  // Asked for on every preview frame: looked up once.
  if (selectOption_ == nullptr)
    selectOption_ = qobject_cast<COptionUI*>(Sub("device_select"));
  return selectOption_;
}
COptionUI* CDeviceOptionUI::SynchroOption() const {
  return qobject_cast<COptionUI*>(Sub("synchro_device_select"));
}
CControlUI* CDeviceOptionUI::NameControl() const { return Sub("device_select_name"); }

void CDeviceOptionUI::SetKindValues(int deviceType, int role) {
  deviceType_ = deviceType;
  role_ = role;
  const QString stem = ImageStem(deviceType, role);
  const QString base = QStringLiteral("common/device_ico/") + stem;
  if (COptionUI* option = SelectOption()) {
    option->SetAttribute("normalimage", base + "_device_normal.png");
    option->SetAttribute("selectedimage", base + "_device_selected.png");
  }
  if (COptionUI* synchro = SynchroOption()) {
    synchro->SetAttribute("normalimage", base + "_device_synchro_normal.png");
    synchro->SetAttribute("selectedimage", base + "_device_synchro_selected.png");
  }
  // The name shown in the bar is the language's name of the kind.
  if (CControlUI* name = NameControl()) {
    name->SetResourceText(true);
    name->SetText(stem + "_device_name_text");
  }
}

void CDeviceOptionUI::BindTab(const QString& tabLayoutName, int index) {
  tabName_ = tabLayoutName;
  tabIndex_ = index;
}

void CDeviceOptionUI::SetPowerTab(const QString& tabLayoutName, int index) {
  powerTabName_ = tabLayoutName;
  powerTabIndex_ = index;
}

void CDeviceOptionUI::SetGroup(const QString& group) {
  if (COptionUI* option = SelectOption())
    option->SetGroup(group);
}

void CDeviceOptionUI::SetNameText(const QString& text) {
  // The kind's own name ("keyboard", "mouse" ...), by which it is found.
  SetText(text);
  SetToolTip(text);
}

void CDeviceOptionUI::SetShown(bool shown) {
  shown_ = shown;
  SetVisible(shown);
}

bool CDeviceOptionUI::IsSelected() const {
  const COptionUI* option = SelectOption();
  return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::Select() {
  if (COptionUI* option = SelectOption())
    option->Selected(true, false);
}

bool CDeviceOptionUI::IsSynchroChecked() const {
  const COptionUI* synchro = SynchroOption();
  return synchro != nullptr && synchro->IsSelected();
}

void CDeviceOptionUI::SetSynchroChecked(bool checked) {
  if (COptionUI* synchro = SynchroOption())
    synchro->Selected(checked, false);
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
  if (COptionUI* synchro = SynchroOption())
    synchro->SetVisible(visible);
}

void CDeviceOptionUI::StartTimer(UINT id, UINT elapseMs) {
  if (GetManager() != nullptr)
    GetManager()->SetTimer(this, id, elapseMs);
}

void CDeviceOptionUI::DoTimer(UINT id) {
  // Every heartbeat timer runs once and is started again where needed.
  if (GetManager() != nullptr)
    GetManager()->KillTimer(this, id);
  if (device_ == nullptr)
    return;
  switch (id) {
    case kTimerConnect: OnConnectTimer(); break;
    case kTimerPreview: OnPreviewTimer(); break;
    case kTimerResync: device_->ResyncFromDevice(); break;
    case kTimerPower: OnPowerTimer(); break;
    case kTimerLink: OnLinkTimer(); break;
    default: CHorizontalLayoutUI::DoTimer(id); break;
  }
}

void CDeviceOptionUI::RequestPage(bool show) {
  device_->SendPageVisibility(show);
}

void CDeviceOptionUI::OnConnectTimer() {
  if (device_->Commands.WirelessMode && device_->Commands.IsOpen) {
    // Asked on the device's worker; the answer goes on from here.
    QPointer<CDeviceOptionUI> self(this);
    device_->CheckWirelessLink(
        [self](bool reachable) {
          if (self != nullptr && self->device_ != nullptr)
            self->Connect(reachable);
        },
        "connect-link");
    return;
  }
  Connect(true);
}

void CDeviceOptionUI::Connect(bool reachable) {
  const bool receiver = device_->Commands.WirelessMode;
  const bool open = device_->Commands.IsOpen;
  if (receiver && open && !reachable) {
    // The device behind the receiver is off: try again in a while.
    ++retryCount_;
    if (shown_)
      RequestPage(false);
    StartTimer(kTimerConnect, 3000);
    return;
  }
  if (receiver)
    RequestPage(true);
  device_->InitialRead();
  retryCount_ = 0;
  StartTimer(kTimerPreview, 5);
  if (device_->GetShowPower() != 0 && open)
    StartTimer(kTimerPower, 50);
  if (receiver && open)
    StartTimer(kTimerLink, 2000);
}

void CDeviceOptionUI::OnPreviewTimer() {
  device_->OutputLightFrame();
  // Only a preview someone can see is drawn again (not while the window is
  // hidden in the tray or minimised).
  toolkit::CControlUI* preview = device_->PreviewPanel();
  const bool seen = preview != nullptr && preview->isVisible() && !preview->window()->isMinimized();
  if (IsSelected() && device_->IsWindowActive() && seen)
    RefreshPreview();
  else if (layer_ != nullptr)
    layer_->Suspend();  // the buttons draw themselves meanwhile
  // Nobody sees the preview of a hidden window: it is refreshed slowly then,
  // unless the device takes its frames from here.
  if (device_->Commands.IsOpen)
    StartTimer(kTimerPreview, seen || device_->StreamsFrames() ? 50 : kHiddenPreviewMs);
}

void CDeviceOptionUI::RefreshPreview() {
  const std::vector<CDeviceKeyButtonUI*>& lights = device_->LightButtons();
  if (layer_ == nullptr || lights != layerLights_) {
    // The lights are drawn in one layer over the panel they sit on.
    const auto first = std::find_if(lights.begin(), lights.end(),
                                    [](const CDeviceKeyButtonUI* b) { return b != nullptr; });
    if (first == lights.end())
      return;
    QWidget* host = (*first)->parentWidget();
    if (layer_ != nullptr && layer_->parentWidget() != host)
      delete layer_;
    if (layer_ == nullptr)
      layer_ = new LightPreviewLayer(host);
    layer_->SetLights(lights);
    layerLights_ = lights;
  }
  // Only the lights that changed since the last frame are drawn again.
  layer_->Refresh();
}

void CDeviceOptionUI::OnPowerTimer() {
  device_->PollPowerStatus();
  if (device_->GetShowPower() != 0)
    StartTimer(kTimerPower, 5000);
}

void CDeviceOptionUI::OnLinkTimer() {
  if (!device_->Commands.WirelessMode)
    return;
  // Re-armed from the answer: a silent receiver never piles up checks.
  QPointer<CDeviceOptionUI> self(this);
  device_->CheckWirelessLink([self](bool reachable) {
    if (self != nullptr && self->device_ != nullptr)
      self->LinkChecked(reachable);
  });
}

void CDeviceOptionUI::LinkChecked(bool reachable) {
  if (!device_->Commands.WirelessMode)
    return;
  if (reachable && !shown_) {
    RequestPage(true);
    if (device_->GetShowPower() != 0)
      device_->PollPowerStatus();
  } else if (!reachable && shown_) {
    RequestPage(false);
  }
  if (device_->Commands.WirelessMode)
    StartTimer(kTimerLink, 3000);
}
