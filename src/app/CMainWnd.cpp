#include "app/CMainWnd.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include "app/CMainPage.h"
#include "app/DevicePageSet.h"
#include "app/DeviceDetector.h"
#include "app/DeviceRegistry.h"
#include "app/OwnControls.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "platform/DebugChannel.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CResourceManager.h"

using namespace toolkit;
using platform::DebugOutput;
using platform::DebugPrint;

CMainWnd::CMainWnd()
    : mainPage_(std::make_unique<CMainPage>()),
      registry_(std::make_shared<DeviceRegistry>()),
      pages_(std::make_unique<DevicePageSet>(*this, *registry_)) {
  AddVirtualWnd(CMainPage::kVirtualWndName, mainPage_.get());
}

CMainWnd::~CMainWnd() {
  RemoveVirtualWnd(CMainPage::kVirtualWndName);
  // Normally done at WM_DESTROY; a window that was never destroyed (tests)
  // still must not leave threads behind.
  threads_.StopAll();
  pages_->RemoveAll();
  if (ShellState::MainWindow() == GetHWND())
    ShellState::SetMainWindow(0);
}

CDuiString CMainWnd::QueryControlText(const CDuiString&, const CDuiString&) { return {}; }

CControlUI* CMainWnd::CreateControl(const QString& tag) { return CreateOwnControl(tag); }

void CMainWnd::InitWindow() {
  DebugOutput("InitWindow");
  CResourceManager::GetInstance()->SetTextQueryInterface(this);
  CResourceManager::GetInstance()->LoadLanguage("lan_cn.xml");
  // The skin observer registration comes with the skin chooser.
  closeButton_ = FindControl("closebtn");
  maxButton_ = FindControl("maxbtn");
  restoreButton_ = FindControl("restorebtn");
  minButton_ = FindControl("minbtn");
  skinButton_ = FindControl("skinbtn");
  gameModeButton_ = FindControl("gamemodebtn");
  cloudButton_ = FindControl("cloudbtn");
  smartEyesButton_ = FindControl("smarteyesbtn");
  setButton_ = FindControl("setbtn");
  ShellState::SetMainWindow(GetHWND());
  SetIcon(kIconResource);
  tray_.CreateTrayIcon(GetHWND(), kIconResource, kTitle, 0);
}

void CMainWnd::OnWindowInit() {
  const ShellMessages& messages = ShellMessages::Get();
  // 1. Other programs of this user reach the window through the local socket,
  //    which takes every registered message: no filter to open.
  // 2. Tell other programs that this one controls the lighting.
  ShellState::BroadcastToOtherPrograms(platform::SocketMessage::Registered(
      ShellMessages::kLightControlNoticeName, 1, 1));
  // 3. Language choice: comes with the settings window.
  // 4. One registry slot per row of the interface table.
  registry_->Reset();
  // 5. The pages of mouse, keyboard and mouse pad, hidden until their
  //    devices are connected; the headset's comes with the first headset.
  pages_->CreateInitialPages();
  // 6. Screen size, for the devices that need it.
  if (QScreen* screen = QGuiApplication::primaryScreen())
    ShellState::SetScreenSize(screen->size().width(), screen->size().height());
  // 7. Hidden until the first scan is done.
  ShowWindow(false, true);
  // 8. Stop events and parameter blocks of every thread slot.
  threads_.Create(this);
  // 9. The detection thread on slot 0; its first pass shows the window. The
  //    same-mode animation (slot 8) comes with the light effect engine.
  threads_.StartThread(ThreadSlotTable::kDetectionSlot,
                       [registry = registry_, window = GetHWND(),
                        instance = messages.InstanceMessage](const auto& block) {
                         DeviceDetector(*registry, window, instance).Run(*block.stop);
                       });
  // 10.
  SetTimer(kTimerResize, 100);
  // 11. Audio-lighting settings: come with audio-reactive lighting.
  initialised_ = true;
}

void CMainWnd::OnDeviceArrived(size_t slot) {
  if (slot >= DeviceRegistry::kSlots)
    return;
  const InterfaceRecord record = registry_->Slot(slot);
  platform::DebugPrint("device arrived: slot %zu %04x:%04x %s", slot, record.VendorId,
                       record.ProductId, record.Path.c_str());
  pages_->OnDeviceArrived(slot);
  // Every arrival brings the window to the front; during the first scan the
  // window stays hidden until the scan is done, so that it first shows with
  // every device already on its page.
  if (firstScanDone_)
    OnInstanceMessage();
}

void CMainWnd::OnDeviceRemoved(size_t slot) {
  platform::DebugPrint("device removed: slot %zu", slot);
  pages_->OnDeviceRemoved(slot);
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
  // Macro recording comes with the macro recorder; nothing runs before it.
}

void CMainWnd::SetDevicesTrayHidden(bool hidden) {
  for (CVarnisUSBDevice* device : pages_->AllDevices())
    device->SetTrayHidden(hidden ? 1 : 0);
}

void CMainWnd::Notify(TNotifyUI& msg) {
  if (msg.sType != DUI_MSGTYPE_TIMER)
    DebugPrint("%s %s", msg.sType.toUtf8().constData(),
               msg.pSender != nullptr ? msg.pSender->GetName().toUtf8().constData() : "");
  if (msg.sType == DUI_MSGTYPE_WINDOWINIT) {
    OnWindowInit();
  } else if (msg.sType == DUI_MSGTYPE_CLICK) {
    OnClick(msg);
  } else if (msg.sType == DUI_MSGTYPE_SELECTCHANGED && msg.pSender != nullptr &&
             msg.pSender->GetName().compare("device_select", Qt::CaseInsensitive) == 0) {
    // The tile of a device in the bar: show its page and power panel.
    CControlUI* parent = msg.pSender->GetParent();
    while (parent != nullptr && qobject_cast<CDeviceOptionUI*>(parent) == nullptr)
      parent = parent->GetParent();
    pages_->OnSelectorChosen(qobject_cast<CDeviceOptionUI*>(parent));
  }
  WindowImplBase::Notify(msg);
}

void CMainWnd::OnClick(TNotifyUI& msg) {
  CControlUI* sender = msg.pSender;
  if (sender == nullptr)
    return;
  if (sender == closeButton_) {
    HideWindow();
  } else if (sender->GetName().compare("nodevice_ok_btn", Qt::CaseInsensitive) == 0) {
    HideWindow();
  } else if (sender == minButton_) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
  } else if (sender == maxButton_) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
  } else if (sender == restoreButton_) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  }
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
  firstScanDone_ = true;
  UpdateNoDeviceLink();
  SetDevicesTrayHidden(false);
  RaiseWindow();
  DebugOutput("instance message: window shown");
}

void CMainWnd::OnTrayIcon(LPARAM mouseMessage) {
  if (mouseMessage == platform::WM_LBUTTONUP) {
    UpdateNoDeviceLink();
    if (isVisible() && !isMinimized()) {
      ShowWindow(false);
    } else {
      ShowWindow(true, true);
      ResizeForDpi();
      RaiseWindow();
      update();
    }
  } else if (mouseMessage == platform::WM_RBUTTONUP) {
    SetTimer(kTimerTrayMenu, 10);
  }
}

void CMainWnd::OnMenuCommand(const MenuCmd& command) {
  if (command.szName == "exit")
    Close(IDOK);
  // Other names belong to the macro-action menu of the macro editor.
}

void CMainWnd::ResizeForDpi() {
  const bool shown = isVisible() && !isMinimized();
  // A minimised window is restored to be sized; a hidden one stays hidden.
  if (isMinimized())
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  const QRect work = screen != nullptr ? screen->availableGeometry() : QRect();
  int dpi = work.width() > 1500 && work.height() > 960 ? 144 : 96;
  if (!CDPI::IsAccepted(dpi)) {
    DebugOutput("MAIN_WND DPI SET ERROR");
    dpi = 96;
  }
  CPaintManagerUI::SetAllDPI(96);
  resize(1000, 640);
  CPaintManagerUI::SetAllDPI(dpi);
  CenterWindow();
  ShowWindow(shown, false);
}

void CMainWnd::OnTimer(uintptr_t id) {
  if (id == kTimerResize) {
    KillTimer(kTimerResize);
    ResizeForDpi();
    update();
    // Starting the audio recorder comes with audio capture.
  } else if (id == kTimerTrayMenu) {
    KillTimer(kTimerTrayMenu);
    CMenuWnd::CreateMenu(kTrayMenu, QCursor::pos(), GetHWND());
  }
}

LRESULT CMainWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  const ShellMessages& messages = ShellMessages::Get();
  handled = true;
  if (message == platform::WM_DESTROY) {
    OnWindowDestroyed();
    return 0;
  }
  if (message == platform::WM_TIMER) {
    OnTimer(wParam);
    return 0;
  }
  if (message == messages.InstanceMessage && messages.InstanceMessage != 0) {
    OnInstanceMessage();
    return 0;
  }
  if (message == DeviceArrivedMessage) {
    OnDeviceArrived(wParam);
    return 0;
  }
  if (message == DeviceRemovedMessage) {
    OnDeviceRemoved(wParam);
    return 0;
  }
  if (message == PageVisibilityMessage) {
    pages_->OnPageVisibility(wParam, lParam);
    return 0;
  }
  if (message == UIMSG_TRAYICON) {
    OnTrayIcon(lParam);
    return 0;
  }
  if (message == WM_MENUCLICK) {
    if (wParam != 0)
      OnMenuCommand(*reinterpret_cast<const MenuCmd*>(wParam));
    return 0;
  }
  handled = false;
  return 0;
}

LRESULT CMainWnd::OnDestroy(WPARAM, LPARAM, bool& handled) {
  tray_.DeleteTrayIcon();
  CPaintManagerUI::PostQuitMessage(0);
  handled = false;  // the rest of the shut-down follows in HandleCustomMessage
  return 0;
}

void CMainWnd::OnWindowDestroyed() {
  DebugOutput("WM_DESTROY");
  ShowWindow(false);
  threads_.StopAll(ThreadSlotTable::kStopLimitMs);
  pages_->RemoveAll();
  // Tell an outside audio recorder to stop: codes 2, 4 and 5.
  for (int code : {2, 4, 5})
    ShellState::BroadcastToOtherPrograms(
        platform::SocketMessage::Registered(ShellMessages::kAudioRecordName, code, 0));
  CPaintManagerUI::PostQuitMessage(0);
}
