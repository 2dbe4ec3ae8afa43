#include "app/DevicePageSet.h"

#include "ui/CLightControlUI.h"

#include "app/PageSetHost.h"
#include "app/DeviceRegistry.h"
#include "app/DeviceTables.h"
#include <QPointer>
#include "devices/CDeviceOptionUI.h"
#include "devices/CMpDevicePowerUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/DebugChannel.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CTabLayoutUI.h"

using namespace toolkit;

namespace {

constexpr const char* kPowerPanelLayout = "XML\\CustomControlXML\\MpDevicePower.xml";

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DevicePageSet::DevicePageSet(PageSetHost& window, DeviceRegistry& registry)
    : window_(window), registry_(registry), manager_(registry, *this) {}

DevicePageSet::~DevicePageSet() = default;

CContainerUI* DevicePageSet::Bar() const {
  return qobject_cast<CContainerUI*>(window_.FindControl("device_select_layout"));
}
CTabLayoutUI* DevicePageSet::PageSwitch() const {
  return qobject_cast<CTabLayoutUI*>(window_.FindControl("device_switch"));
}
CTabLayoutUI* DevicePageSet::PowerSwitch() const {
  return qobject_cast<CTabLayoutUI*>(window_.FindControl("device_power_switch"));
}

std::vector<CDeviceOptionUI*> DevicePageSet::Selectors() const {
  std::vector<CDeviceOptionUI*> selectors;
  if (CContainerUI* bar = Bar())
    for (int i = 0; i < bar->GetCount(); ++i)
      if (auto* selector = qobject_cast<CDeviceOptionUI*>(bar->GetItemAt(i)))
        selectors.push_back(selector);
  return selectors;
}

CDeviceOptionUI* DevicePageSet::SelectorAt(int index) const {
  CContainerUI* bar = Bar();
  if (bar == nullptr || index < 0 || index >= bar->GetCount())
    return nullptr;
  return qobject_cast<CDeviceOptionUI*>(bar->GetItemAt(index));
}

int DevicePageSet::VisibleSelectorCount() const {
  int count = 0;
  for (CDeviceOptionUI* selector : Selectors())
    count += selector->IsShown() ? 1 : 0;
  return count;
}

std::vector<CVarnisUSBDevice*> DevicePageSet::AllDevices() const {
  std::vector<CVarnisUSBDevice*> all;
  // Keyboards first, as the light followers are looked for.
  for (int kind : {Keyboard, Mouse, MousePad, Headset})
    all.insert(all.end(), devices_[kind].begin(), devices_[kind].end());
  return all;
}

int DevicePageSet::SelectorIndexOf(const CVarnisUSBDevice* device) const {
  const auto selectors = Selectors();
  for (size_t i = 0; i < selectors.size(); ++i)
    if (selectors[i]->GetDevice() == device)
      return static_cast<int>(i);
  return -1;
}

void DevicePageSet::CreateInitialPages() {
  for (size_t kind = 0; kind < 3; ++kind) {
    const DeviceKindRecord& record = DeviceTables::Kinds()[kind];
    const int row = DeviceTables::FindCommandRow(record.VendorId, record.ProductId,
                                                 record.DeviceType, kRoleCommand);
    if (row >= 0)
      CreateDevicePage(row, 0);
  }
}

bool DevicePageSet::CreateDevicePage(int row, int extra) {
  if (row < 0 || row >= static_cast<int>(DeviceTables::kInterfaceRows))
    return false;
  const InterfaceRecord& interfaceRow = DeviceTables::Interfaces()[static_cast<size_t>(row)];
  int type = interfaceRow.DeviceType;
  int vendor = interfaceRow.VendorId;
  int product = interfaceRow.ProductId;
  if (type == DeviceTypes::MouseReceiver) {
    // The receiver's page is its mouse's page.
    type = DeviceTypes::Mouse;
    if (auto partner = DeviceTables::PartnerOf(row)) {
      vendor = DeviceTables::Interfaces()[static_cast<size_t>(*partner)].VendorId;
      product = DeviceTables::Interfaces()[static_cast<size_t>(*partner)].ProductId;
    }
  }
  const int kindRow = DeviceTables::FindKindRow(vendor, product, type, extra);
  if (kindRow < 0)
    return false;
  const DeviceKindRecord& kind = DeviceTables::Kinds()[static_cast<size_t>(kindRow)];
  const DevicePageRecord& page = DeviceTables::Pages()[static_cast<size_t>(kindRow)];
  CContainerUI* bar = Bar();
  CTabLayoutUI* pages = PageSwitch();
  CTabLayoutUI* powerSwitch = PowerSwitch();
  if (bar == nullptr || pages == nullptr || powerSwitch == nullptr)
    return false;

  CPaintManagerUI* manager = &window_.PagePaintManager();
  auto build = [&](std::string_view layout) -> CControlUI* {
    CDialogBuilder builder;
    return builder.Create(FromView(layout), {}, &window_.PageControlMaker(), manager);
  };
  std::unique_ptr<CMpDevicePowerUI> power(
      qobject_cast<CMpDevicePowerUI*>(build(kPowerPanelLayout)));
  std::unique_ptr<CDeviceOptionUI> selector(
      qobject_cast<CDeviceOptionUI*>(build(kind.OptionLayout)));
  std::unique_ptr<CVarnisUSBDevice> device(
      qobject_cast<CVarnisUSBDevice*>(build(page.PageLayout)));
  if (!power || !selector || !device) {
    platform::DebugPrint("device page of \"%s\" could not be built", kind.KindName.data());
    return false;
  }

  CMpDevicePowerUI* powerPanel = power.release();
  powerSwitch->Add(powerPanel);
  powerPanel->SetDeviceType(type, extra);
  powerPanels_.push_back(powerPanel);

  const int kindIndex = bar->GetCount();
  CVarnisUSBDevice* object = device.release();
  object->SetLayoutPath(FromView(page.PageLayout));
  object->SetOwnerWindow(window_.PageOwnerWindow());
  object->SetKeyCount(page.KeyCount);
  object->SetLedCount(page.LedCount);
  object->SetKindIndex(kindIndex);
  object->SetShowPower(page.ShowPower);
  if (type == DeviceTypes::Mouse)
    object->SetMouseOption(page.MouseOption);
  object->SetKindName(FromView(kind.KindName));
  object->SetPowerPanel(powerPanel);
  // The identity is the device's cable command row, whichever connection
  // the page was created for.
  object->SetIdentity(registry_.Slot(static_cast<size_t>(DeviceTables::DeviceKeyRowOf(row))));
  object->SetLightTableIndex(kind.LightTableIndex);
  object->SetLightConfigName(FromView(page.LightConfigName));
  pages->Add(object);
  object->AttachToWindow();
  const int kindIndexOfType = DeviceManager::KindOfType(type);
  devices_[static_cast<size_t>(kindIndexOfType)].push_back(object);
  manager_.Bind(kindIndexOfType, object->Core());
  object->Core().SetSettingsLostHandler([this, page = QPointer<CVarnisUSBDevice>(object)] {
    if (page != nullptr && page->Commands.IsOpen)
      WriteProfileAgain(page);
  });

  CDeviceOptionUI* option = selector.release();
  bar->Add(option);
  option->SetSynchroVisible(false);
  option->SetGroup(FromView(kind.OptionGroup));
  option->BindTab(QStringLiteral("device_switch"), pages->GetCount() - 1);
  option->SetPowerTab(FromView(kind.PowerTabName), powerSwitch->GetCount() - 1);
  option->SetKindValues(kind.DeviceType, kind.Role);
  option->SetShown(false);
  option->SetNameText(FromView(kind.KindName));
  option->SetDevice(object);
  object->SetSelector(option);
  return true;
}

CVarnisUSBDevice* DevicePageSet::FindDeviceAnyKind(const InterfaceRecord& identity) const {
  for (CDeviceOptionUI* selector : Selectors())
    if (selector->GetDevice() != nullptr && selector->GetDevice()->GetIdentity() == identity)
      return selector->GetDevice();
  return nullptr;
}

CVarnisUSBDevice* DevicePageSet::PageOf(const DeviceCore& core) const {
  for (const auto& list : devices_)
    for (CVarnisUSBDevice* device : list)
      if (&device->Core() == &core)
        return device;
  return nullptr;
}

void DevicePageSet::OnDeviceArrived(size_t slot) {
  if (slot >= DeviceRegistry::kSlots)
    return;
  const InterfaceRecord record = registry_.Slot(slot);
  const int commandRow =
      DeviceTables::FindCommandRow(record.VendorId, record.ProductId, record.DeviceType, 0);
  const int kind = DeviceManager::KindOfType(record.DeviceType);
  if (kind < 0)
    return;
  if (FindDeviceAnyKind(manager_.KeyRecordOf(slot)) == nullptr)
    CreateDevicePage(commandRow, 0);
  manager_.Connect(slot);
}

void DevicePageSet::OnDeviceRemoved(size_t slot) {
  if (slot >= DeviceRegistry::kSlots)
    return;
  manager_.Disconnect(slot);
}

void DevicePageSet::DeviceOpened(DeviceCore& core, bool receiver) {
  CVarnisUSBDevice* device = PageOf(core);
  if (device == nullptr)
    return;
  device->SetIdentity(core.Identity());
  CDeviceOptionUI* selector = device->GetSelector();
  const int index = SelectorIndexOf(device);
  if (selector == nullptr || index < 0)
    return;
  // A device that comes back gets the light control it had: a keyboard whose
  // lighting the program drives is told so again.
  device->SetLightControl(device->IsLightControlEnabled() ? 1 : 0);
  // A page by receiver is shown once the device answers through it.
  if (!receiver)
    ShowDevicePage(index, true, VisibleSelectorCount() == 0);
  selector->StartTimer(CDeviceOptionUI::kTimerConnect, 500);
}

void DevicePageSet::DeviceClosed(DeviceCore& core) {
  if (CVarnisUSBDevice* device = PageOf(core))
    HideDevicePage(SelectorIndexOf(device));
}

void DevicePageSet::DeviceSwitched(DeviceCore& core, bool wireless) {
  CVarnisUSBDevice* device = PageOf(core);
  if (device == nullptr)
    return;
  CDeviceOptionUI* selector = device->GetSelector();
  QPointer<CVarnisUSBDevice> page(device);
  if (wireless) {
    // Every step below is a job on the device's worker, in this order.
    if (device->GetShowPower() != 0)
      core.CheckWirelessLink(
          [page](bool) {
            if (page != nullptr)
              page->PollPowerStatus();
          },
          "switch-link", kLinkQueryTries, kLinkQueryPauseMs);
    if (selector != nullptr) {
      core.Run<int>([&core] { return core.Commands.IsOpen ? core.Commands.BeginTransfer() : 0; },
                    {});
      selector->StartTimer(CDeviceOptionUI::kTimerLink, 2000);
      device->InitialRead();
      window_.CloseSettingsWindow();
    }
  } else {
    if (selector != nullptr) {
      selector->StartTimer(CDeviceOptionUI::kTimerConnect, 500);
      device->SendPageVisibility(true);
      window_.CloseSettingsWindow();
    }
    if (device->GetShowPower() != 0)
      device->PollPowerStatus();
  }
}

void DevicePageSet::SelectPowerPanel(const CDeviceOptionUI* selector) {
  CTabLayoutUI* powerSwitch = PowerSwitch();
  if (powerSwitch == nullptr || selector == nullptr)
    return;
  if (selector->PowerTabIndex() < 0) {
    powerSwitch->SetVisible(false);
  } else {
    powerSwitch->SetVisible(true);
    powerSwitch->SelectItem(selector->PowerTabIndex());
  }
}

void DevicePageSet::ShowDevicePage(int index, bool visible, bool select) {
  CDeviceOptionUI* selector = SelectorAt(index);
  if (selector == nullptr)
    return;
  selector->SetShown(visible);
  if (select) {
    selector->Select();
    if (CTabLayoutUI* pages = PageSwitch())
      pages->SelectItem(selector->BoundTabIndex());
    SelectPowerPanel(selector);
  }
  const int visibleCount = VisibleSelectorCount();
  if (CControlUI* noDevice = window_.FindControl("No_device_Link"))
    noDevice->SetVisible(visibleCount == 0);
  if (visibleCount == 0) {
    if (CTabLayoutUI* pages = PageSwitch())
      pages->SelectItem(0);
    if (CTabLayoutUI* powerSwitch = PowerSwitch())
      powerSwitch->SelectItem(0);
  }
  // The same effect on every device needs a second device.
  for (CVarnisUSBDevice* device : AllDevices())
    if (CLightControlUI* panel = device->LightPanel())
      panel->SetSameModeAvailable(visibleCount >= 2 ? 1 : 0);
  // Following another device's lighting needs another device.
  if (visibleCount <= 1)
    for (CVarnisUSBDevice* device : AllDevices())
      device->Commands.LightFollower = false;
  int synchro = 0;
  for (CDeviceOptionUI* s : Selectors())
    synchro += s->IsShown() && s->IsSynchroChecked() ? 1 : 0;
  if (synchro < 2)
    for (CDeviceOptionUI* s : Selectors())
      s->SetSynchroChecked(false);
}

void DevicePageSet::HideDevicePage(int index) {
  CDeviceOptionUI* selector = SelectorAt(index);
  if (selector == nullptr)
    return;
  int other = -1;
  if (selector->IsShown() && selector->IsSelected()) {
    window_.CloseSecondaryWindows();
    window_.StopMacroRecording();
    const auto selectors = Selectors();
    for (size_t i = 0; i < selectors.size(); ++i)
      if (static_cast<int>(i) != index && selectors[i]->IsShown()) {
        other = static_cast<int>(i);
        break;
      }
  }
  ShowDevicePage(index, false, false);
  if (other >= 0)
    ShowDevicePage(other, true, true);
}

void DevicePageSet::OnPageVisibility(platform::WParam wParam, platform::LParam lParam) {
  const int index = static_cast<int>(wParam);
  if (lParam == 0) {
    HideDevicePage(index);
  } else if (lParam == 1) {
    CDeviceOptionUI* selector = SelectorAt(index);
    if (selector != nullptr && !selector->IsShown())
      ShowDevicePage(index, true, VisibleSelectorCount() == 0);
  }
}

void DevicePageSet::OnSelectorChosen(CDeviceOptionUI* selector) {
  if (selector == nullptr)
    return;
  if (CTabLayoutUI* pages = PageSwitch())
    pages->SelectItem(selector->BoundTabIndex());
  SelectPowerPanel(selector);
}

void DevicePageSet::RememberBeforeSleep() {
  lightControlAtSleep_.clear();
  for (CVarnisUSBDevice* device : AllDevices())
    lightControlAtSleep_[device] = device->IsLightControlEnabled() ? 1 : 0;
}

void DevicePageSet::SetLightControlAfterResume(int on) {
  for (auto& [device, state] : lightControlAtSleep_)
    state = on;
}

void DevicePageSet::ResumeDevices(int otherwise) {
  for (CVarnisUSBDevice* device : AllDevices()) {
    const auto remembered = lightControlAtSleep_.find(device);
    device->SetLightControl(remembered != lightControlAtSleep_.end() ? remembered->second
                                                                      : otherwise);
    // Its memory may have gone with the power: read it again. A device that
    // lost its settings gets its profile (through the core's lost handler).
    if (device->Commands.IsOpen)
      device->Core().CheckStoredSettings();
  }
  lightControlAtSleep_.clear();
}

void DevicePageSet::WriteProfileAgain(CVarnisUSBDevice* device) {
  platform::DebugPrint("writing the profile of %s to the device again",
                       device->GetKindName().toUtf8().constData());
  device->ReapplyProfile();
  // The macro image and the keys, as a profile switch sends them; a macro
  // image that no longer fits was already refused when it was made.
  device->DownloadMacros(device->GetUsedMacros());
  device->DownloadKeys(0);
  device->CompleteReapply();
}

void DevicePageSet::RemoveAll() {
  lightControlAtSleep_.clear();
  CContainerUI* bar = Bar();
  CTabLayoutUI* pages = PageSwitch();
  CTabLayoutUI* powerSwitch = PowerSwitch();
  for (auto& list : devices_) {
    for (CVarnisUSBDevice* device : list) {
      manager_.Unbind(device->Core());
      // The page's core closes its links when the page goes.
      device->Core().CloseCommand();
      CDeviceOptionUI* selector = device->GetSelector();
      CMpDevicePowerUI* power = device->GetPowerPanel();
      if (selector != nullptr) {
        const int removedPage = selector->BoundTabIndex();
        const int removedPower = selector->PowerTabIndex();
        if (bar != nullptr)
          bar->Remove(selector);
        // The selectors after it now point one place lower.
        for (CDeviceOptionUI* s : Selectors()) {
          if (s->BoundTabIndex() > removedPage)
            s->SetBoundTabIndex(s->BoundTabIndex() - 1);
          if (removedPower >= 0 && s->PowerTabIndex() > removedPower)
            s->SetPowerTabIndex(s->PowerTabIndex() - 1);
        }
      }
      if (pages != nullptr)
        pages->Remove(device);
      if (power != nullptr && powerSwitch != nullptr)
        powerSwitch->Remove(power);
    }
    list.clear();
  }
  powerPanels_.clear();
}
