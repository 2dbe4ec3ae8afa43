// The main window's dispatch: notifications by type and control name,
// window messages by number, timers by id, and the layout tags it builds.
#include <QDir>

#include "app/CMainWnd.h"
#include "app/CAudioRecorImpl.h"
#include "app/DeviceDetector.h"
#include "app/DevicePageSet.h"
#include "devices/CVarnisRO6533Device.h"
#include "devices/CVarnisUSBDevice.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CControlFactory.h"
#include "toolkit/CDialogBuilder.h"

using namespace toolkit;
using platform::DebugOutput;
using platform::DebugPrint;

namespace {

QString FromView(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The function tabs, in the order of the pages they show.
constexpr const char* kFunctionTabs[] = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab",
                                         "system_Op_tab", "cursor_Op_tab",     "6533_voice_Op_tab",
                                         "magic_Op_tab",  "Virtual7.1_Op_tab"};

}  // namespace

void CMainWnd::SetRouteHandler(RouteOwner owner, RouteHandler handler) {
  handlers_[static_cast<size_t>(owner)] = std::move(handler);
}

bool CMainWnd::HasRouteHandler(RouteOwner owner) const {
  return static_cast<bool>(handlers_[static_cast<size_t>(owner)]);
}

void CMainWnd::SetControlCreator(const QString& tag, ControlCreator creator) {
  creators_[tag.toLower()] = std::move(creator);
}

std::vector<std::string> CMainWnd::WaitingRows() const {
  std::vector<std::string> rows;
  auto describe = [](std::string_view kind, std::string_view name, bool indexed,
                     RouteOwner owner) {
    return std::string(kind) + " " + std::string(name) + (indexed ? "n" : "") + " -> " +
           RouteOwnerName(owner);
  };
  for (const NotifyRoute& row : MainWindowRoutes::Notifications()) {
    if (!HasRouteHandler(row.owner))
      rows.push_back(describe(row.type, row.name, row.indexed, row.owner));
    if (row.also && !HasRouteHandler(*row.also))
      rows.push_back(describe(row.type, row.name, row.indexed, *row.also));
  }
  if (!HasRouteHandler(RouteOwner::KeyAssignment))
    for (std::string_view name : MainWindowRoutes::KeyPanelRefreshNames())
      rows.push_back(describe("itemselect-refresh", name, false, RouteOwner::KeyAssignment));
  for (const NamedRoute& row : MainWindowRoutes::Others()) {
    const bool waiting =
        row.kind == "tag" ? creators_.count(FromView(row.name).toLower()) == 0 &&
                                !CControlFactory::GetInstance()->IsRegistered(FromView(row.name))
                          : !HasRouteHandler(row.owner);
    if (waiting)
      rows.push_back(describe(row.kind, row.name, false, row.owner));
  }
  return rows;
}

void CMainWnd::Reach(RouteCall call) {
  if (observer_)
    observer_(call);
  const RouteHandler& handler = handlers_[static_cast<size_t>(call.owner)];
  if (handler) {
    handler(call);
    return;
  }
  DebugPrint("not handled yet (%s): %s %s", RouteOwnerName(call.owner),
             call.type.toUtf8().constData(), call.name.toUtf8().constData());
}

void CMainWnd::ReachMessage(const char* name, platform::WParam wParam, platform::LParam lParam,
                            RouteOwner owner) {
  RouteCall call;
  call.type = QStringLiteral("message");
  call.name = QString::fromLatin1(name);
  call.wParam = wParam;
  call.lParam = lParam;
  call.owner = owner;
  Reach(std::move(call));
}

bool CMainWnd::IsTitleButtonRow(const NotifyRoute& row, const CControlUI* sender) const {
  // The title-bar buttons are known by the controls found at start-up, so a
  // page's control of the same name is not taken for them.
  const std::pair<std::string_view, CControlUI*> buttons[] = {
      {"closebtn", closeButton_}, {"minbtn", minButton_},
      {"maxbtn", maxButton_},     {"restorebtn", restoreButton_}};
  for (const auto& [name, control] : buttons)
    if (row.type == "click" && row.name == name)
      return sender == control;
  return true;
}

void CMainWnd::DispatchNotification(TNotifyUI& msg) {
  if (msg.pSender == nullptr)
    return;
  const QString type = msg.sType;
  const QString name = msg.pSender->GetName();
  const std::string typeText = type.toStdString();
  if (auto match = MainWindowRoutes::Find(typeText, name);
      match && IsTitleButtonRow(*match->route, msg.pSender)) {
    RouteCall call;
    call.notification = &msg;
    call.type = type;
    call.name = name;
    call.index = match->index;
    call.wParam = msg.wParam;
    call.lParam = msg.lParam;
    call.owner = match->route->owner;
    Reach(call);
    if (match->route->also) {
      call.owner = *match->route->also;
      Reach(call);
    }
  }
  if (type == QLatin1String(DUI_MSGTYPE_ITEMSELECT) && MainWindowRoutes::IsKeyPanelRefresh(name)) {
    RouteCall call;
    call.notification = &msg;
    call.type = QStringLiteral("itemselect-refresh");
    call.name = name;
    call.owner = RouteOwner::KeyAssignment;
    Reach(call);
  }
}

void CMainWnd::Notify(TNotifyUI& msg) {
  const QString& type = msg.sType;
  if (type != QLatin1String(DUI_MSGTYPE_TIMER))
    DebugPrint("%s %s", type.toUtf8().constData(),
               msg.pSender != nullptr ? msg.pSender->GetName().toUtf8().constData() : "");
  if (type == QLatin1String(DUI_MSGTYPE_WINDOWINIT)) {
    OnWindowInit();
  } else if (type == QLatin1String(DUI_MSGTYPE_WINDOWSIZE)) {
    if (msg.pSender != nullptr && msg.pSender->GetName() == QLatin1String("root") &&
        displayChanged_ != 0) {
      displayChanged_ = 0;
      ResizeForDpi();
    }
  } else if (type == QLatin1String("colorchanged") || type == QLatin1String(DUI_MSGTYPE_CLICK) ||
             type == QLatin1String(DUI_MSGTYPE_SELECTCHANGED) ||
             type == QLatin1String(DUI_MSGTYPE_VALUECHANGED) ||
             type == QLatin1String("movevaluechanged") ||
             type == QLatin1String(DUI_MSGTYPE_ITEMSELECT) || type == QLatin1String("killfocus") ||
             type == QLatin1String("click_select_end")) {
    DispatchNotification(msg);
  } else if (type == QLatin1String("click_wpremove") || type == QLatin1String("click_wpedit")) {
    // Ignored, and kept from the base handling as well.
    return;
  }
  // The base handling and its message map.
  if (type == QLatin1String("itemactivate") || type == QLatin1String("setfocus") ||
      type == QLatin1String(DUI_MSGTYPE_MENU))
    DispatchNotification(msg);
  WindowImplBase::Notify(msg);
}

void CMainWnd::OnOwnRoute(const RouteCall& call) {
  if (call.type == QLatin1String(DUI_MSGTYPE_CLICK))
    OnOwnClick(call);
  else if (call.type == QLatin1String(DUI_MSGTYPE_SELECTCHANGED))
    OnOwnSelectChanged(call);
  else if (call.type == QLatin1String(DUI_MSGTYPE_ITEMSELECT) &&
           call.name.compare("device_profile_combo", Qt::CaseInsensitive) == 0)
    SetTimer(kTimerProfileSwitch, 400);
  // Own messages and timers act where they are dispatched.
}

void CMainWnd::OnOwnClick(const RouteCall& call) {
  auto is = [&call](const char* name) { return call.name.compare(name, Qt::CaseInsensitive) == 0; };
  if (is("closebtn")) {
    CloseSecondaryWindows();
    HideWindow();
  } else if (is("nodevice_ok_btn")) {
    HideWindow();
  } else if (is("control_light_status")) {
    ToggleLightControl();
  } else if (is("minbtn")) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
  } else if (is("maxbtn")) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
  } else if (is("restorebtn")) {
    SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  } else if (call.name.startsWith("windowdeviceset_", Qt::CaseInsensitive)) {
    OpenDesktopSettings(call.index);
  } else if (is("device_select_prev")) {
    SelectNeighbourDevice(-1);
  } else if (is("device_select_next")) {
    SelectNeighbourDevice(1);
  }
}

void CMainWnd::OnOwnSelectChanged(const RouteCall& call) {
  if (call.name.compare("device_select", Qt::CaseInsensitive) == 0) {
    OnDeviceSelected(call.notification != nullptr ? call.notification->pSender : nullptr);
    return;
  }
  for (size_t i = 0; i < std::size(kFunctionTabs); ++i)
    if (call.name.compare(kFunctionTabs[i], Qt::CaseInsensitive) == 0) {
      OnFunctionTab(static_cast<int>(i) + 1);
      return;
    }
}

CControlUI* CMainWnd::CreateControl(const QString& tag) {
  if (CControlUI* own = CreateOwnControl(tag))
    return own;
  if (auto it = creators_.find(tag.toLower()); it != creators_.end())
    return it->second();
  if (CControlUI* layout = CreateOwnLayoutControl(tag, this, &m_pm))
    return layout;
  for (const NamedRoute& row : MainWindowRoutes::Others())
    if (row.kind == "tag" && tag.compare(FromView(row.name), Qt::CaseInsensitive) == 0)
      DebugPrint("not handled yet (%s): tag %s", RouteOwnerName(row.owner),
                 tag.toUtf8().constData());
  return nullptr;
}

void CMainWnd::OnTimer(uintptr_t id) {
  KillTimer(id);
  if (id == kTimerResize) {
    ResizeForDpi();
    update();
    // Starting the audio recorder comes with audio capture.
  } else if (id == kTimerTrayMenu) {
    // The menu shows whether Travix starts at login.
    if (CMenuWnd* menu = CMenuWnd::CreateMenu(kTrayMenu, QCursor::pos(), GetHWND()))
      PrepareTrayMenu(menu->Menu());
  } else if (id == kTimerProfileSwitch) {
    RouteCall call;
    call.type = QStringLiteral("timer");
    call.name = QStringLiteral("1055");
    call.owner = RouteOwner::Profiles;
    Reach(call);
  } else if (id == kTimerGameLight) {
    RouteCall call;
    call.type = QStringLiteral("timer");
    call.name = QStringLiteral("1066");
    call.owner = RouteOwner::Lighting;
    Reach(call);
  }
}

bool CMainWnd::IsRoutedMessage(uint32_t message) const {
  const ShellMessages& messages = ShellMessages::Get();
  for (uint32_t id : messages.MainWindowList)
    if (id != 0 && id == message)
      return true;
  for (uint32_t routed :
       {platform::WM_COPYDATA, platform::WM_DISPLAYCHANGE, platform::WM_KEYDOWN,
        platform::WM_SYSKEYDOWN, platform::WM_TIMER, platform::WM_DPICHANGED, UIMSG_TRAYICON,
        MacroHookMessage, WM_MENUCLICK, DebugOnlyMessage, ShowProgressMessage, LanguageMessage,
        DeviceArrivedMessage, DeviceRemovedMessage, OpenSettingsMessage,
        ClearSettingsMarkMessage, SelectProfileMessage, PowerStatusMessage, PageIdleMessage,
        PageVisibilityMessage, AudioNoticeMessage, LightSettingsMessage,
        CAudioRecorImpl::kResultsMessage})
    if (routed == message)
      return true;
  return false;
}

LRESULT CMainWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  if (HandleRoutedMessage(message, wParam, lParam))
    return 0;
  handled = false;
  return 0;
}

// The messages in the order they are tested. True when the message was
// taken (the result is always 0).
bool CMainWnd::HandleRoutedMessage(uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) {
  const ShellMessages& messages = ShellMessages::Get();
  auto registered = [](uint32_t id, uint32_t message) { return id != 0 && id == message; };
  auto own = [&](const char* name) { ReachMessage(name, wParam, lParam, RouteOwner::MainWindow); };

  if (message == platform::WM_ACTIVATE) {
    own("WM_ACTIVATE");
    windowLocked_ = wParam != 0 ? 1 : 0;
    SetWindowActiveFlag(wParam != 0 ? 1 : 0);
    return false;
  }
  if (message == platform::WM_MOUSELEAVE) {
    own("WM_MOUSELEAVE");
    DebugOutput("鼠标移出");
    if (windowLocked_ == 0)
      SetWindowActiveFlag(0);
    return false;
  }
  if (message == platform::WM_MOUSEHOVER) {
    own("WM_MOUSEHOVER");
    DebugOutput("鼠标移入");
    if (windowLocked_ == 0)
      SetWindowActiveFlag(1);
    return false;
  }
  if (registered(messages.InstanceMessage, message)) {
    own("InstanceMessage");
    DebugPrint("软件标示 %d，%xd%xd", message, static_cast<unsigned>(wParam),
               static_cast<unsigned>(lParam));
    OnInstanceMessage();
    return true;
  }
  if (registered(messages.ForwardMessage, message)) {
    own("ForwardMessage");
    if (settingsWindow_ != nullptr && !settingsWindow_->IsDestroying())
      settingsWindow_->PostMessage(message, wParam, lParam);
    return true;
  }
  if (registered(messages.LightControlRequest, message)) {
    own("LightControlRequest");
    if (wParam == 1) {
      if (lParam == 0)
        SetLightControlOn(0);
      else if (lParam == 1)
        SetLightControlOn(1);
      // While the machine sleeps the devices are left alone; the resume
      // hands them the switch's state.
      if (ShellState::IsRunning()) {
        for (CVarnisUSBDevice* device : LightControlledDevices())
          device->SetLightControl(lightControlOn_);
      } else {
        pages_->SetLightControlAfterResume(lightControlOn_);
      }
    }
    return true;
  }
  if (registered(messages.ToolQueryMessage, message)) {
    own("ToolQueryMessage");
    AnswerToolQuery();
    return true;
  }
  if (message == platform::WM_DESTROY) {
    own("WM_DESTROY");
    OnWindowDestroyed();
    return true;
  }
  if (message == platform::WM_POWERBROADCAST) {
    own("WM_POWERBROADCAST");
    OnPowerBroadcast(wParam);
    return true;
  }
  // While the machine sleeps nothing further of this list is handled (the
  // toolkit's own messages, such as closing the window, still are).
  if (!ShellState::IsRunning())
    return IsRoutedMessage(message);

  for (size_t i = 0; i < messages.MainWindowList.size(); ++i) {
    if (!registered(messages.MainWindowList[i], message))
      continue;
    const std::string_view name = ShellMessages::kMainWindowNames[i];
    for (const NamedRoute& row : MainWindowRoutes::Others())
      if (row.kind == "message" && row.name == name) {
        ReachMessage(name.data(), wParam, lParam, row.owner);
        if (name.substr(0, 5) == "Game_")
          SetTimer(kTimerGameLight, gameLightDelayMs_);
        return true;
      }
  }
  if (message == platform::WM_COPYDATA) {
    if (lParam != 0)
      OnCopyData(*reinterpret_cast<const platform::CopyDataRecord*>(lParam));
    return true;
  }
  if (message == platform::WM_DISPLAYCHANGE) {
    own("WM_DISPLAYCHANGE");
    DebugOutput("显示器分辨率发生变化");
    displayChanged_ = 1;
    ResizeForDpi();
    return true;
  }
  if (message == platform::WM_KEYDOWN || message == platform::WM_SYSKEYDOWN) {
    own(message == platform::WM_KEYDOWN ? "WM_KEYDOWN" : "WM_SYSKEYDOWN");
    return true;
  }
  if (message == platform::WM_TIMER) {
    OnTimer(wParam);
    return true;
  }
  if (message == platform::WM_DPICHANGED) {
    own("WM_DPICHANGED");
    const int dpi = static_cast<int>(wParam & 0xFFFF);
    CPaintManagerUI::SetAllDPI(CDPI::IsAccepted(dpi) ? dpi : 96);
    CenterWindow();
    update();
    DebugOutput("界面 DPI 发生变化");
    return true;
  }
  if (message == UIMSG_TRAYICON) {
    own("0x0401");
    OnTrayIcon(lParam);
    return true;
  }
  if (message == MacroHookMessage) {
    ReachMessage("0x041E", wParam, lParam, RouteOwner::Macros);
    return true;
  }
  if (message == WM_MENUCLICK) {
    if (wParam != 0)
      OnMenuCommand(*reinterpret_cast<const MenuCmd*>(wParam));
    return true;
  }
  if (message == DebugOnlyMessage) {
    own("0x04C8");
    DebugPrint("message 0x04C8 %zu %zd", static_cast<size_t>(wParam), static_cast<ptrdiff_t>(lParam));
    return true;
  }
  if (message == ShowProgressMessage) {
    own("0x0C00");
    if (CControlUI* progress = FindControl("setting_progress"))
      progress->SetVisible(true);
    return true;
  }
  if (message == LanguageMessage) {
    ReachMessage("0x0C11", wParam, lParam, RouteOwner::Language);
    ReachMessage("0x0C11 labels", wParam, lParam, RouteOwner::KeyLabels);
    return true;
  }
  if (message == DeviceArrivedMessage) {
    own("0x0C12");
    OnDeviceArrived(wParam);
    return true;
  }
  if (message == DeviceRemovedMessage) {
    own("0x0C13");
    OnDeviceRemoved(wParam);
    return true;
  }
  if (message == OpenSettingsMessage) {
    ReachMessage("0x0C15", wParam, lParam, RouteOwner::SettingsWindow);
    return true;
  }
  if (message == ClearSettingsMarkMessage) {
    own("0x0C16");
    if (auto* button = qobject_cast<CButtonUI*>(setButton_))
      button->SetAttribute("foreimage", QString());
    return true;
  }
  if (message == SelectProfileMessage) {
    ReachMessage("0x0D00", wParam, lParam, RouteOwner::Profiles);
    return true;
  }
  if (message == PowerStatusMessage) {
    // The page has shown the status already.
    own("0x0D01");
    return true;
  }
  if (message == PageIdleMessage) {
    own("0x0D02");
    return true;
  }
  if (message == AudioNoticeMessage) {
    ReachMessage("0x0D04", wParam, lParam, RouteOwner::HeadsetAudio);
    return true;
  }
  if (message == PageVisibilityMessage) {
    own("0x0D03");
    pages_->OnPageVisibility(wParam, lParam);
    UpdateSignalDemand();
    return true;
  }
  if (message == LightSettingsMessage) {
    UpdateSignalDemand();
    return true;
  }
  if (message == CAudioRecorImpl::kResultsMessage) {
    CAudioRecorImpl::Get().TakeResults(
        [this](const platform::CopyDataRecord& record) { OnCopyData(record); });
    // The sampler's verdict comes with the results; the note follows it
    // when it changes, not with every spectrum.
    if (CAudioRecorImpl::Get().IsScreenUnavailable() != screenUnavailableShown_)
      ShowScreenAvailability();
    return true;
  }
  return false;
}
