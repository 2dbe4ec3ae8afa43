#include "app/CMainWnd.h"

#include "app/CDeviceHook.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QScreen>
#include <cstring>
#include <utility>

#include "app/CMainPage.h"
#include "app/DeviceDetector.h"
#include "app/DevicePageSet.h"
#include "app/DeviceRegistry.h"
#include "app/DeviceTables.h"
#include "app/KeyboardSettingsCommands.h"
#include "app/KeyAssignmentCommands.h"
#include "app/MacroCommands.h"
#include "app/MouseSettingsCommands.h"
#include "app/AudioLightingCommands.h"
#include "app/ControlRequests.h"
#include "app/RecoilCommands.h"
#include "ui/CLightControlUI.h"
#include "app/HeadsetAudioCommands.h"
#include "app/CAudioRecorImpl.h"
#include "app/LanguageCommands.h"
#include "app/SettingsWindowCommands.h"
#include "app/SkinCommands.h"
#include "ui/CSetWnd.h"
#include "app/LightingCommands.h"
#include "app/ProfileCommands.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/AtomicFileWriter.h"
#include "platform/DebugChannel.h"
#include "platform/DesktopSettings.h"
#include "platform/SleepMonitor.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"
#include "settings/AutostartEntry.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CMsgWnd.h"

using namespace toolkit;
using platform::DebugOutput;
using platform::DebugPrint;

namespace {

// The window that tells of failed saves; touched on the UI thread only.
CMainWnd* g_saveFailureWindow = nullptr;

}  // namespace

CMainWnd::CMainWnd()
    : mainPage_(std::make_unique<CMainPage>()),
      registry_(std::make_shared<DeviceRegistry>()),
      pages_(std::make_unique<DevicePageSet>(*this, *registry_)) {
  AddVirtualWnd(CMainPage::kVirtualWndName, mainPage_.get());
  SetRouteHandler(RouteOwner::MainWindow, [this](const RouteCall& call) { OnOwnRoute(call); });
  profiles_ = std::make_unique<ProfileCommands>(*this);
  keyboardSettings_ = std::make_unique<KeyboardSettingsCommands>(*this);
  keyAssignment_ = std::make_unique<KeyAssignmentCommands>(*this);
  macros_ = std::make_unique<MacroCommands>(*this);
  mouseSettings_ = std::make_unique<MouseSettingsCommands>(*this);
  headsetAudio_ = std::make_unique<HeadsetAudioCommands>(*this);
  audioLighting_ = std::make_unique<AudioLightingCommands>(*this);
  audioLighting_->ListenForRecorder(ShellState::MessageServer());
  recoil_ = std::make_unique<RecoilCommands>(*this);
  hook_ = std::make_unique<CDeviceHook>(platform::InputCapture::ForThisDesktop());
  language_ = std::make_unique<LanguageCommands>(*this);
  settings_ = std::make_unique<SettingsWindowCommands>(
      *this, *language_, [this](CWindowWnd* window) { settingsWindow_ = window; },
      [] { return static_cast<UINT>(ShellMessages::Get().ForwardMessage); });
  skins_ = std::make_unique<SkinCommands>(*this);
  // An open settings window shows the new language too.
  language_->SetAppliedListener([this] {
    if (settingsWindow_ != nullptr && !settingsWindow_->IsDestroying())
      settingsWindow_->SendMessage(CSetWnd::kLanguageMessage, 0, 0);
  });
  lighting_ = std::make_unique<LightingCommands>(*this);
  control_ = std::make_unique<ControlRequests>(*this, *lighting_, *profiles_);
  // A request waits while keys are being captured for an assignment or a
  // macro: the capture owns the keyboard and the page until it ends.
  control_->SetBusyCheck([this] { return hook_ != nullptr && hook_->Mode() != 0; });
  control_->Listen(ShellState::MessageServer());
  g_saveFailureWindow = this;
  // Files may be written on any thread; the user is told from the UI
  // thread, later, never inside the writer.
  platform::AtomicFileWriter::SetFailureListener([](const std::string&, int) {
    QMetaObject::invokeMethod(
        qApp,
        [] {
          if (g_saveFailureWindow != nullptr)
            g_saveFailureWindow->TellSaveFailure();
        },
        Qt::QueuedConnection);
  });
}

CMainWnd::~CMainWnd() {
  if (g_saveFailureWindow == this) {
    platform::AtomicFileWriter::SetFailureListener({});
    g_saveFailureWindow = nullptr;
  }
  RemoveVirtualWnd(CMainPage::kVirtualWndName);
  hook_->Unhook();
  // Normally done at WM_DESTROY; a window that was never destroyed (tests)
  // still must not leave threads behind.
  threads_.StopAll();
  pages_->RemoveAll();
  if (ShellState::MainWindow() == GetHWND())
    ShellState::SetMainWindow(0);
}

CDuiString CMainWnd::QueryControlText(const CDuiString&, const CDuiString&) { return {}; }

bool CMainWnd::Receive(const SkinChangedParam& param) {
  CControlUI* root = FindControl(QStringLiteral("root"));
  if (root == nullptr)
    return true;
  if (param.IsColour) {
    root->SetBkColor(QColor::fromRgba(param.Colour));
    root->SetBkImage(QString());
  } else {
    root->SetBkColor(QColor::fromRgba(0));
    if (!root->SetBkImage(param.Image))
      DebugPrint("background \"%s\" could not be shown", param.Image.toUtf8().constData());
  }
  root->update();
  return true;
}

void CMainWnd::InitWindow() {
  DebugOutput("InitWindow");
  CResourceManager::GetInstance()->SetTextQueryInterface(this);
  CResourceManager::GetInstance()->LoadLanguage("lan_cn.xml");
  // The background follows the skin chooser.
  ObserverImpl::Instance().AddReceiver(this);
  closeButton_ = FindControl("closebtn");
  maxButton_ = FindControl("maxbtn");
  restoreButton_ = FindControl("restorebtn");
  minButton_ = FindControl("minbtn");
  skinButton_ = FindControl("skinbtn");
  gameModeButton_ = FindControl("gamemodebtn");
  cloudButton_ = FindControl("cloudbtn");
  smartEyesButton_ = FindControl("smarteyesbtn");
  setButton_ = FindControl("setbtn");
  if (CControlUI* lightSwitch = FindControl("control_light_status"))
    lightSwitch->SetText(QString::fromUtf8(lightControlOn_ ? kLightControlOnText
                                                            : kLightControlOffText));
  ShellState::SetMainWindow(GetHWND());
  SetIcon(kIconResource);
  if (CTrayIcon::IsSystemTrayAvailable()) {
    desktopTrayMenu_ = CMenuWnd::BuildMenu(kTrayMenu, GetHWND());
    if (desktopTrayMenu_) {
      QMenu* menu = desktopTrayMenu_->Menu();
      PrepareTrayMenu(menu);
      QObject::connect(menu, &QMenu::aboutToShow, this, [this, menu] { PrepareTrayMenu(menu); });
      tray_.SetContextMenu(menu);
    }
  }
  tray_.CreateTrayIcon(GetHWND(), kIconResource, kTitle, 0);
  WatchScreens();
  // Sleep and wake-up of the machine arrive as power messages.
  sleepMonitor_ = std::make_unique<platform::SleepMonitor>();
  QObject::connect(sleepMonitor_.get(), &platform::SleepMonitor::SleepChanged, this,
                   [this](bool sleeping) {
                     SendMessage(platform::WM_POWERBROADCAST,
                                 sleeping ? platform::PBT_APMSUSPEND
                                          : platform::PBT_APMRESUMEAUTOMATIC,
                                 0);
                   });
  sleepMonitor_->Start();
}

void CMainWnd::WatchScreens() {
  auto watch = [this](QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, this,
                     [this] { PostMessage(platform::WM_DISPLAYCHANGE, 0, 0); });
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, this,
                     [this] { PostMessage(platform::WM_DPICHANGED, ChosenDpi(), 0); });
  };
  for (QScreen* screen : QGuiApplication::screens())
    watch(screen);
  QObject::connect(qApp, &QGuiApplication::screenAdded, this, watch);
  QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, this,
                   [this] { PostMessage(platform::WM_DISPLAYCHANGE, 0, 0); });
}

void CMainWnd::OnWindowInit() {
  const ShellMessages& messages = ShellMessages::Get();
  // 1. Other programs of this user reach the window through the local socket,
  //    which takes every registered message: no filter to open.
  // 2. Tell other programs that this one controls the lighting.
  ShellState::BroadcastToOtherPrograms(platform::SocketMessage::Registered(
      ShellMessages::kLightControlNoticeName, 1, 1));
  // 3. The language applied last (or the desktop's on a first start).
  language_->ApplyStoredLanguage();
  // 4. One registry slot per row of the interface table.
  registry_->Reset();
  // 5. The pages of mouse, keyboard and mouse pad, hidden until their
  //    devices are connected; the headset's comes with the first headset.
  pages_->CreateInitialPages();
  // 6. Screen size in device pixels, for the devices that need it.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize pixels = screen->size() * screen->devicePixelRatio();
    ShellState::SetScreenSize(pixels.width(), pixels.height());
  }
  // 7. Hidden until the first scan is done.
  ShowWindow(false, true);
  // 8. Stop events and parameter blocks of every thread slot.
  threads_.Create(this);
  // 9. The detection thread on slot 0; its first pass shows the window. The
  //    same-mode animation on slot 8.
  threads_.StartThread(ThreadSlotTable::kDetectionSlot,
                       [registry = registry_, window = GetHWND(),
                        instance = messages.InstanceMessage](const auto& block) {
                         DeviceDetector(*registry, window, instance).Run(*block.stop);
                       });
  threads_.StartThread(ThreadSlotTable::kSameModeSlot, [lighting = lighting_.get()](const auto& block) {
    lighting->RunSameModeAnimation(*block.stop);
  });
  // 10.
  SetTimer(kTimerResize, 100);
  // 11. The live signals of host-driven lighting come to this window; the
  //     screen is sampled and the sound captured only while a page shows a
  //     mode that needs them (UpdateSignalDemand).
  CAudioRecorImpl::Get().Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget,
                                 static_cast<intptr_t>(GetHWND()));
  initialised_ = true;
}

void CMainWnd::UpdateSignalDemand() {
  bool screen = false;
  bool sound = false;
  if (ShellState::IsRunning())
    for (CVarnisUSBDevice* device : pages_->AllDevices()) {
      screen = screen || device->WantsScreenColour();
      sound = sound || device->WantsAudioLevels();
    }
  CAudioRecorImpl& recorder = CAudioRecorImpl::Get();
  if (screen != recorder.IsScreenRunning())
    recorder.Command(CAudioRecorImpl::kCommandKey,
                     screen ? CAudioRecorImpl::kStartScreen : CAudioRecorImpl::kStopScreen, 0);
  if (sound != recorder.IsCaptureRunning())
    recorder.Command(CAudioRecorImpl::kCommandKey,
                     sound ? CAudioRecorImpl::kStartCapture : CAudioRecorImpl::kStopCapture, 0);
  ShowScreenAvailability();
}

void CMainWnd::ShowScreenAvailability() {
  // Where the screen cannot be read the screen mode says so instead of
  // painting the keys black.
  const bool unavailable = CAudioRecorImpl::Get().IsScreenUnavailable();
  screenUnavailableShown_ = unavailable;
  for (CVarnisUSBDevice* keyboard : pages_->Devices(DevicePageSet::Keyboard))
    if (CLightControlUI* panel = keyboard->LightPanel())
      panel->ShowScreenUnavailable(unavailable && keyboard->WantsScreenColour());
}

void CMainWnd::OnDeviceArrived(size_t slot) {
  if (slot >= DeviceRegistry::kSlots)
    return;
  const InterfaceRecord record = registry_->Slot(slot);
  DebugPrint("device arrived: slot %zu %04x:%04x %s", slot, record.VendorId, record.ProductId,
             record.Path.c_str());
  pages_->OnDeviceArrived(slot);
  // Every arrival brings the window to the front; during the first scan the
  // window stays hidden until the scan is done, so that it first shows with
  // every device already on its page.
  if (firstScanDone_)
    OnInstanceMessage();
}

void CMainWnd::OnDeviceRemoved(size_t slot) {
  DebugPrint("device removed: slot %zu", slot);
  pages_->OnDeviceRemoved(slot);
}

CVarnisUSBDevice* CMainWnd::CurrentDevice() const {
  for (CDeviceOptionUI* selector : pages_->Selectors())
    if (selector->IsShown() && selector->IsSelected())
      return selector->GetDevice();
  return nullptr;
}

std::vector<CVarnisUSBDevice*> CMainWnd::LightControlledDevices() const {
  std::vector<CVarnisUSBDevice*> devices;
  // The headset too: the program drives its lights all the time.
  for (auto kind : {DevicePageSet::Mouse, DevicePageSet::MousePad, DevicePageSet::Keyboard,
                    DevicePageSet::Headset})
    devices.insert(devices.end(), pages_->Devices(kind).begin(), pages_->Devices(kind).end());
  return devices;
}

void CMainWnd::CloseSettingsWindow() {
  if (settingsWindow_ != nullptr && !settingsWindow_->IsDestroying())
    settingsWindow_->Close(IDCANCEL);
}

void CMainWnd::CloseSecondaryWindows() {
  CloseSettingsWindow();
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<CWindowWnd*>(widget);
    if (window != nullptr && window != this && window->GetOwner() == this &&
        !window->IsDestroying())
      window->Close(IDCANCEL);
  }
}

void CMainWnd::StopMacroRecording() {
  macros_->StopRecording();
}

void CMainWnd::SetDevicesTrayHidden(bool hidden) {
  for (auto kind : {DevicePageSet::Mouse, DevicePageSet::Keyboard})
    for (CVarnisUSBDevice* device : pages_->Devices(kind))
      device->SetTrayHidden(hidden ? 1 : 0);
}

void CMainWnd::SetLightControlOn(int on) {
  lightControlOn_ = on;
  // Looked at once the pages have the new state.
  platform::PostWindowMessage(GetHWND(), LightSettingsMessage, 0, 0);
  if (CControlUI* lightSwitch = FindControl("control_light_status"))
    lightSwitch->SetText(QString::fromUtf8(on ? kLightControlOnText : kLightControlOffText));
}

void CMainWnd::ToggleLightControl() {
  SetLightControlOn(lightControlOn_ ? 0 : 1);
  ShellState::BroadcastToOtherPrograms(platform::SocketMessage::Registered(
      ShellMessages::kLightControlNoticeName, 1, lightControlOn_));
  // While the machine sleeps the devices are left alone; the resume hands
  // them the switch's state.
  if (!ShellState::IsRunning()) {
    pages_->SetLightControlAfterResume(lightControlOn_);
    return;
  }
  for (CVarnisUSBDevice* device : LightControlledDevices())
    device->SetLightControl(lightControlOn_);
}

void CMainWnd::SetWindowActiveFlag(int active) {
  windowActive_ = active;
  for (CVarnisUSBDevice* device : LightControlledDevices())
    device->SetWindowActive(active != 0);
}

void CMainWnd::OnPowerBroadcast(platform::WParam event) {
  // Suspend and resume come in pairs (the sleep monitor drops repeats); a
  // repeated message changes nothing.
  //
  // On resume every device gets back the light control it had when the
  // machine went to sleep, not blanket the switch's state: where the two
  // agree (every device follows the switch) this is the same thing, and
  // where they do not (a page made while the switch was off keeps control)
  // the device comes back as it was. A light-control change while asleep
  // goes to every device on resume. A keyboard with control on is told
  // again (its take-over command), and the streaming of the host-drawn
  // modes and the headset's light reports start again with the control
  // flag; the screen sampler and the sound capture follow from
  // UpdateSignalDemand. Each device's settings are then read again, and one
  // that lost them gets its profile.
  if (event == platform::PBT_APMRESUMEAUTOMATIC) {
    if (ShellState::IsRunning())
      return;
    ShellState::SetRunning(true);
    pages_->ResumeDevices(lightControlOn_);
    UpdateSignalDemand();
  } else if (event == platform::PBT_APMSUSPEND) {
    if (!ShellState::IsRunning())
      return;
    pages_->RememberBeforeSleep();
    ShellState::SetRunning(false);
    for (CVarnisUSBDevice* device : pages_->AllDevices())
      device->SetLightControl(0);
    UpdateSignalDemand();
  }
}

void CMainWnd::AnswerToolQuery() {
  // A block of 32-bit values, zero-filled to 1024 bytes: a header, the
  // number of device kinds and, per kind, vendor, product and device type.
  std::array<uint32_t, 256> block{};
  size_t at = 0;
  for (uint32_t value : {2u, 3u, 0u, 2u})
    block[at++] = value;
  block[at++] = static_cast<uint32_t>(DeviceTables::kKindRows);
  for (const DeviceKindRecord& kind : DeviceTables::Kinds()) {
    block[at++] = static_cast<uint32_t>(kind.VendorId);
    block[at++] = static_cast<uint32_t>(kind.ProductId);
    block[at++] = static_cast<uint32_t>(kind.DeviceType);
  }
  QByteArray data(1024, '\0');
  for (size_t i = 0; i < block.size(); ++i)
    for (int b = 0; b < 4; ++b)
      data[static_cast<qsizetype>(i * 4 + b)] = static_cast<char>((block[i] >> (8 * b)) & 0xFF);
  // The tool is one of the programs connected to the socket.
  ShellState::BroadcastToOtherPrograms(platform::SocketMessage::CopyData(5, data));
}

void CMainWnd::OnCopyData(const platform::CopyDataRecord& record) {
  if (record.cbData == 0 || record.lpData == nullptr)
    return;
  // The spectrum and the screen statistics have one size each; any other
  // record of those kinds is not theirs.
  constexpr uint32_t kSpectrumBytes = CAudioRecorImpl::kSpectrumBins * sizeof(int32_t);
  constexpr uint32_t kScreenBytes = CAudioRecorImpl::kScreenValues * sizeof(int32_t);
  if ((record.dwData == 1 && record.cbData != kSpectrumBytes) ||
      (record.dwData == 2 && record.cbData != kScreenBytes)) {
    DebugPrint("WM_COPYDATA %u of %u bytes dropped", static_cast<unsigned>(record.dwData),
               record.cbData);
    return;
  }
  const auto* bytes = static_cast<const uint8_t*>(record.lpData);
  if (record.dwData == 1) {
    spectrum_.assign(bytes, bytes + record.cbData);
    ReachMessage("WM_COPYDATA 1", record.dwData, record.cbData, RouteOwner::AudioLighting);
  } else if (record.dwData == 2) {
    screenColour_.fill(0);
    const size_t count = std::min<size_t>(record.cbData / sizeof(int), screenColour_.size());
    std::memcpy(screenColour_.data(), bytes, count * sizeof(int));
    ReachMessage("WM_COPYDATA 2", record.dwData, record.cbData, RouteOwner::MainWindow);
    if (CVarnisUSBDevice* keyboard = SelectedKeyboard())
      keyboard->SetScreenColour(screenColour_.data(), 6);
  }
}

CVarnisUSBDevice* CMainWnd::SelectedKeyboard() const {
  const auto& keyboards = pages_->Devices(DevicePageSet::Keyboard);
  if (selectedKeyboard_ < 0 || selectedKeyboard_ >= static_cast<int>(keyboards.size()))
    return nullptr;
  return keyboards[static_cast<size_t>(selectedKeyboard_)];
}

void CMainWnd::OnDeviceSelected(CControlUI* option) {
  CControlUI* parent = option != nullptr ? option->GetParent() : nullptr;
  while (parent != nullptr && qobject_cast<CDeviceOptionUI*>(parent) == nullptr)
    parent = parent->GetParent();
  auto* selector = qobject_cast<CDeviceOptionUI*>(parent);
  if (selector == nullptr)
    return;
  const auto selectors = pages_->Selectors();
  selectedSelector_ = static_cast<int>(
      std::find(selectors.begin(), selectors.end(), selector) - selectors.begin());
  CVarnisUSBDevice* device = selector->GetDevice();
  for (auto [kind, slot] : {std::pair{DevicePageSet::Keyboard, &selectedKeyboard_},
                            std::pair{DevicePageSet::Mouse, &selectedMouse_}}) {
    const auto& list = pages_->Devices(kind);
    const auto it = std::find(list.begin(), list.end(), device);
    if (it != list.end())
      *slot = static_cast<int>(it - list.begin());
  }
  if (shownDevice_ != nullptr && shownDevice_ != device)
    keyAssignment_->OnLeavingDevice(shownDevice_);
  shownDevice_ = device;
  pages_->OnSelectorChosen(selector);
}

void CMainWnd::SelectNeighbourDevice(int step) {
  const auto selectors = pages_->Selectors();
  int current = -1;
  for (size_t i = 0; i < selectors.size(); ++i)
    if (selectors[i]->IsShown() && selectors[i]->IsSelected())
      current = static_cast<int>(i);
  if (current < 0)
    return;
  for (int i = current + step; i >= 0 && i < static_cast<int>(selectors.size()); i += step) {
    if (!selectors[static_cast<size_t>(i)]->IsShown())
      continue;
    pages_->ShowDevicePage(i, true, true);
    OnDeviceSelected(selectors[static_cast<size_t>(i)]->SelectOption());
    return;
  }
}

void CMainWnd::OnFunctionTab(int page) {
  if (CVarnisUSBDevice* device = CurrentDevice())
    device->ShowPage(page);
}

void CMainWnd::OpenDesktopSettings(int which) {
  if (which != 0 && which != 1)
    return;
  const auto launch = platform::DesktopSettings::Open(
      which == 0 ? platform::DesktopSettings::Panel::Keyboard
                 : platform::DesktopSettings::Panel::Mouse);
  if (!launch.started) {
    DebugPrint("desktop settings: %s", launch.error.toUtf8().constData());
    ShowMessageBox(this, {}, launch.error, m_pm.GetDPI(), false, 0);
  }
}

void CMainWnd::TellSaveFailure() {
  if (saveFailureTold_)
    return;
  saveFailureTold_ = true;
  ShowMessageBox(this, {}, QStringLiteral("message_text_40"), m_pm.GetDPI(), true, 0);
}

void CMainWnd::HideWindow() {
  if (CTrayIcon::IsSystemTrayAvailable() && tray_.IsCreated()) {
    ShowWindow(false);
    SetDevicesTrayHidden(true);
  } else {
    DebugOutput("no system tray: minimising instead of hiding");
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
  }
}

void CMainWnd::UpdateNoDeviceLink() {
  if (CControlUI* noDevice = FindControl("No_device_Link"))
    noDevice->SetVisible(pages_->VisibleSelectorCount() == 0);
}

void CMainWnd::RaiseWindow() {
  SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  ShowWindow(true, true);
  // Where the desktop lets a program raise itself this brings the window to
  // the front; on Wayland it asks the compositor to activate it.
  raise();
  activateWindow();
}

void CMainWnd::OnInstanceMessage() {
  // The window shows with the devices found so far on their pages: the
  // connections asked for finish on the devices' workers first (bounded),
  // checked again from the event loop, never waited for here.
  if (!pages_->Manager().Settled() && showWaitedMs_ < kShowWaitLimitMs) {
    if (!showDeferred_) {
      showDeferred_ = true;
      QTimer::singleShot(kShowWaitStepMs, this, [this] {
        showDeferred_ = false;
        showWaitedMs_ += kShowWaitStepMs;
        OnInstanceMessage();
      });
    }
    return;
  }
  showWaitedMs_ = 0;
  if (std::exchange(startHidden_, false)) {
    if (CTrayIcon::IsSystemTrayAvailable() && tray_.IsCreated()) {
      firstScanDone_ = true;
      UpdateNoDeviceLink();
      SetDevicesTrayHidden(true);
      DebugOutput("instance message: started hidden, the window stays in the tray");
      return;
    }
    DebugOutput("started hidden, but there is no system tray: showing the window");
  }
  firstScanDone_ = true;
  UpdateNoDeviceLink();
  SetDevicesTrayHidden(false);
  RaiseWindow();
  DebugOutput("instance message: window shown");
}

void CMainWnd::OnTrayIcon(LPARAM mouseMessage) {
  if (mouseMessage == platform::WM_LBUTTONUP) {
    UpdateNoDeviceLink();
    CloseSecondaryWindows();
    if (isVisible() && !isMinimized()) {
      ShowWindow(false);
      SetDevicesTrayHidden(true);
    } else {
      ShowWindow(true, true);
      ResizeForDpi();
      RaiseWindow();
      update();
      SetDevicesTrayHidden(false);
    }
  } else if (mouseMessage == platform::WM_RBUTTONUP) {
    // Where the desktop shows the tray's own menu, a second one would cover it.
    if (!tray_.HasContextMenu())
      SetTimer(kTimerTrayMenu, 10);
  }
}

void CMainWnd::PrepareTrayMenu(QMenu* menu) const {
  if (menu == nullptr)
    return;
  // The menu is built once; the language may have changed since.
  static constexpr std::pair<const char*, const char*> kTexts[] = {
      {"autostart", "menu_autostart"},
      {"exit", "menu_exit"},
  };
  for (QAction* action : menu->actions()) {
    for (const auto& [name, textId] : kTexts)
      if (action->objectName() == QLatin1String(name))
        action->setText(CResourceManager::GetInstance()->GetText(QLatin1String(textId)));
    if (action->objectName() == QLatin1String("autostart")) {
      action->setCheckable(true);
      action->setChecked(AutostartEntry().IsEnabled());
    }
  }
}

void CMainWnd::ToggleAutostart() {
  const AutostartEntry entry;
  const bool on = !entry.IsEnabled();
  const int error = on ? entry.Enable(QCoreApplication::applicationFilePath()) : entry.Disable();
  if (error != 0) {
    DebugPrint("autostart entry %s could not be %s: %s", entry.Path().toUtf8().constData(),
               on ? "written" : "removed", std::strerror(error));
    // Said once per run, like every setting that could not be saved.
    TellSaveFailure();
  } else {
    DebugPrint("autostart entry %s: %s", on ? "written" : "removed", entry.Path().toUtf8().constData());
  }
  if (desktopTrayMenu_)
    PrepareTrayMenu(desktopTrayMenu_->Menu());
}

void CMainWnd::OnMenuCommand(const MenuCmd& command) {
  if (command.szName == "autostart") {
    ToggleAutostart();
  } else if (command.szName == "exit") {
    ReachMessage("0x0479 exit", 0, 0, RouteOwner::MainWindow);
    CloseSecondaryWindows();
    Close(IDOK);
  } else {
    // The record lives for this call: the command's name travels in wParam.
    ReachMessage("0x0479", reinterpret_cast<platform::WParam>(&command), 0, RouteOwner::Macros);
  }
}

int CMainWnd::ChosenDpi() const {
  QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  const QRect work = screen != nullptr ? screen->availableGeometry() : QRect();
  int dpi = work.width() > 1500 && work.height() > 960 ? 144 : 96;
  if (!CDPI::IsAccepted(dpi)) {
    DebugOutput("MAIN_WND DPI SET ERROR");
    dpi = 96;
  }
  return dpi;
}

void CMainWnd::ResizeForDpi() {
  const bool shown = isVisible() && !isMinimized();
  // A minimised window is restored to be sized; a hidden one stays hidden.
  if (isMinimized())
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  const int dpi = ChosenDpi();
  CPaintManagerUI::SetAllDPI(96);
  resize(1000, 640);
  CPaintManagerUI::SetAllDPI(dpi);
  CenterWindow();
  ShowWindow(shown, false);
}

void CMainWnd::changeEvent(QEvent* event) {
  WindowImplBase::changeEvent(event);
  if (event->type() == QEvent::ActivationChange)
    SendMessage(platform::WM_ACTIVATE, isActiveWindow() ? 1 : 0, 0);
}

void CMainWnd::enterEvent(QEnterEvent* event) {
  WindowImplBase::enterEvent(event);
  SendMessage(platform::WM_MOUSEHOVER, 0, 0);
}

void CMainWnd::leaveEvent(QEvent* event) {
  WindowImplBase::leaveEvent(event);
  SendMessage(platform::WM_MOUSELEAVE, 0, 0);
}

LRESULT CMainWnd::OnDestroy(WPARAM, LPARAM, bool& handled) {
  tray_.DeleteTrayIcon();
  tray_.SetContextMenu(nullptr);
  desktopTrayMenu_.reset();
  CPaintManagerUI::PostQuitMessage(0);
  handled = false;  // the rest of the shut-down follows in HandleCustomMessage
  return 0;
}

bool CMainWnd::SetHookState(int mode, bool on) {
  bool taken = true;
  if (on)
    taken = hook_->SetHook(mode, GetHWND(), windowHandle(), true, true);
  else
    hook_->Unhook();
  if (CControlUI* selector = FindControl(QStringLiteral("device_select_layout")))
    selector->SetEnabled(!(on && taken));
  return taken;
}

bool CMainWnd::CaptureReachesDesktop() const {
  return hook_->Reach() == platform::InputCapture::Reach::Desktop;
}

void CMainWnd::OnWindowDestroyed() {
  DebugOutput("WM_DESTROY");
  // The keyboard is given back before anything else goes.
  hook_->Unhook();
  ShowWindow(false);
  threads_.StopAll(ThreadSlotTable::kStopLimitMs);
  CAudioRecorImpl::Get().Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kStopCapture, 0);
  CAudioRecorImpl::Get().Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kStopScreen, 0);
  CAudioRecorImpl::Get().Command(CAudioRecorImpl::kCommandKey, CAudioRecorImpl::kSetTarget, 0);
  pages_->RemoveAll();
  // Tell an outside audio recorder to stop: codes 2, 4 and 5.
  for (int code : {2, 4, 5})
    ShellState::BroadcastToOtherPrograms(
        platform::SocketMessage::Registered(ShellMessages::kAudioRecordName, code, 0));
  CPaintManagerUI::PostQuitMessage(0);
}
