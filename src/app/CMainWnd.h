#pragma once

#include <QPointer>
#include <memory>

#include "app/ThreadSlotTable.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/CTrayIcon.h"
#include "toolkit/WindowImplBase.h"

class CMainPage;
class DevicePageSet;
class DeviceRegistry;

// The program's main window: hidden until the first device scan is done,
// hides to the notification area when closed, and ends the program when it
// is destroyed (tray menu "exit", the system, or a termination signal).
class CMainWnd : public toolkit::WindowImplBase, public toolkit::IQueryControlText {
  Q_OBJECT
 public:
  static constexpr const char* kTitle = "RUDAVAVE DADAV UDU417";
  static constexpr uint32_t kStyle = 0x96CA0000;
  static constexpr int kCreateWidth = 800;
  static constexpr int kCreateHeight = 572;
  static constexpr toolkit::UINT kIconResource = 107;
  static constexpr const char* kTrayMenu = "menu.xml";

  // Window timers.
  static constexpr uintptr_t kTimerResize = 1011;
  static constexpr uintptr_t kTimerTrayMenu = 1032;

  CMainWnd();
  ~CMainWnd() override;

  QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
  void InitWindow() override;
  void Notify(toolkit::TNotifyUI& msg) override;
  toolkit::CControlUI* CreateControl(const QString& tag) override;
  // Texts missing from the language file show as nothing.
  toolkit::CDuiString QueryControlText(const toolkit::CDuiString& id,
                                       const toolkit::CDuiString& type) override;

  ThreadSlotTable& Threads() { return threads_; }
  const DeviceRegistry& Registry() const { return *registry_; }
  DevicePageSet& Pages() { return *pages_; }

  // Secondary windows: the settings window, and every other window this one
  // owns (dialogs, message boxes).
  void SetSettingsWindow(toolkit::CWindowWnd* window) { settingsWindow_ = window; }
  void CloseSettingsWindow();
  void CloseSecondaryWindows();
  // Stops a running macro recording and enables the device bar again.
  void StopMacroRecording();
  bool IsInitialised() const { return initialised_; }
  toolkit::CTrayIcon& Tray() { return tray_; }

 protected:
  toolkit::LRESULT HandleCustomMessage(toolkit::UINT message, toolkit::WPARAM wParam,
                                       toolkit::LPARAM lParam, bool& handled) override;
  toolkit::LRESULT OnDestroy(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                             bool& handled) override;
  virtual void OnTimer(uintptr_t id);

 private:
  void OnWindowInit();
  void OnInstanceMessage();
  void OnTrayIcon(toolkit::LPARAM mouseMessage);
  void OnMenuCommand(const toolkit::MenuCmd& command);
  void OnWindowDestroyed();
  void OnDeviceArrived(size_t slot);
  void OnDeviceRemoved(size_t slot);
  void OnClick(toolkit::TNotifyUI& msg);
  // Hides into the tray, or minimises where the desktop has no tray (a hidden
  // window could not be brought back there).
  void HideWindow();
  void RaiseWindow();
  void ResizeForDpi();
  void UpdateNoDeviceLink();
  // The main window is hidden in (or comes back from) the notification area.
  void SetDevicesTrayHidden(bool hidden);

  std::unique_ptr<CMainPage> mainPage_;
  // Shared with the detection thread, which may outlive a stop limit.
  std::shared_ptr<DeviceRegistry> registry_;
  std::unique_ptr<DevicePageSet> pages_;
  QPointer<toolkit::CWindowWnd> settingsWindow_;
  toolkit::CTrayIcon tray_;
  ThreadSlotTable threads_;
  bool initialised_ = false;
  bool firstScanDone_ = false;
  toolkit::CControlUI* closeButton_ = nullptr;
  toolkit::CControlUI* maxButton_ = nullptr;
  toolkit::CControlUI* restoreButton_ = nullptr;
  toolkit::CControlUI* minButton_ = nullptr;
  toolkit::CControlUI* skinButton_ = nullptr;
  toolkit::CControlUI* gameModeButton_ = nullptr;
  toolkit::CControlUI* cloudButton_ = nullptr;
  toolkit::CControlUI* smartEyesButton_ = nullptr;
  toolkit::CControlUI* setButton_ = nullptr;
};
