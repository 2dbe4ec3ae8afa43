#pragma once

#include "settings/SkinObserver.h"

#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/FeatureHost.h"
#include "app/MainWindowRoutes.h"
#include "app/PageSetHost.h"
#include "app/ThreadSlotTable.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/WindowMessageTypes.h"
#include "platform/WindowMessages.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/CTrayIcon.h"
#include "toolkit/WindowImplBase.h"

class QMenu;

class CDeviceHook;
class CMainPage;
class CVarnisUSBDevice;
class DevicePageSet;
class ProfileCommands;
class KeyboardSettingsCommands;
class KeyAssignmentCommands;
class MacroCommands;
class MouseSettingsCommands;
class HeadsetAudioCommands;
class AudioLightingCommands;
class RecoilCommands;
class ControlRequests;
class LanguageCommands;
class SettingsWindowCommands;
class SkinCommands;
class LightingCommands;
class DeviceRegistry;
namespace platform {
class SleepMonitor;
}

// Messages of the main window beyond the platform's.
inline constexpr uint32_t ShowProgressMessage = 0x0C00;
inline constexpr uint32_t LanguageMessage = 0x0C11;
inline constexpr uint32_t OpenSettingsMessage = 0x0C15;
inline constexpr uint32_t ClearSettingsMarkMessage = 0x0C16;
inline constexpr uint32_t PageIdleMessage = 0x0D02;
inline constexpr uint32_t MacroHookMessage = 0x041E;
inline constexpr uint32_t DebugOnlyMessage = 0x04C8;

// The program's main window: hidden until the first device scan is done,
// hides to the notification area when closed, and ends the program when it
// is destroyed (tray menu "exit", the system, or a termination signal).
//
// It dispatches the notifications of its controls by type and control name,
// and the window messages by number, to itself or to the feature each
// belongs to (MainWindowRoutes). A feature registers its handler when it is
// built; until then its rows are waiting and say so on the debug channel.
class CMainWnd : public toolkit::WindowImplBase,
                 public toolkit::IQueryControlText,
                 public FeatureHost,
                 public PageSetHost,
                 public ReceiverImpl {
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
  static constexpr uintptr_t kTimerProfileSwitch = 1055;
  static constexpr uintptr_t kTimerGameLight = 1066;

  // Texts of the light-control switch.
  // Text ids of the light switch ("控制灯光", "不控制灯光" in Chinese).
  static constexpr const char* kLightControlOnText = "light_control_on";
  static constexpr const char* kLightControlOffText = "light_control_off";

  using RouteCall = ::RouteCall;
  using RouteHandler = FeatureHost::RouteHandler;
  using ControlCreator = std::function<toolkit::CControlUI*()>;

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

  // Features plug in here.
  void SetRouteHandler(RouteOwner owner, RouteHandler handler) override;
  bool HasRouteHandler(RouteOwner owner) const;
  void SetControlCreator(const QString& tag, ControlCreator creator);
  // Rows whose feature has not registered yet, as "kind name -> feature".
  std::vector<std::string> WaitingRows() const;
  // Sees every row reached, handled or waiting (tests).
  void SetRouteObserver(RouteHandler observer) { observer_ = std::move(observer); }

  ThreadSlotTable& Threads() { return threads_; }
  const DeviceRegistry& Registry() const { return *registry_; }
  DevicePageSet& Pages() override { return *pages_; }
  ProfileCommands& Profiles() { return *profiles_; }
  LightingCommands& Lighting() { return *lighting_; }
  LanguageCommands& Language() { return *language_; }
  KeyAssignmentCommands& KeyAssignment() { return *keyAssignment_; }
  MacroCommands& Macros() { return *macros_; }
  MouseSettingsCommands& MouseSettings() { return *mouseSettings_; }
  HeadsetAudioCommands& HeadsetAudio() { return *headsetAudio_; }
  AudioLightingCommands& AudioLighting() { return *audioLighting_; }
  RecoilCommands& Recoil() { return *recoil_; }
  ControlRequests& Control() { return *control_; }
  SettingsWindowCommands& Settings() { return *settings_; }
  SkinCommands& Skins() { return *skins_; }
  // The chosen background on "root".
  bool Receive(const SkinChangedParam& param) override;
  // How long a game's lighting stays before the page gets its own back
  // (5 s; tests shorten it).
  void SetGameLightDelay(int ms) { gameLightDelayMs_ = ms; }
  bool IsInitialised() const { return initialised_; }
  // The first device scan leaves the window hidden, in the notification
  // area (--hidden); without a notification area the window shows anyway.
  void SetStartHidden(bool hidden) { startHidden_ = hidden; }
  // Brings a tray menu built from kTrayMenu up to date before it shows:
  // its texts in the current language, the start-at-login item checked
  // while the autostart entry is on.
  void PrepareTrayMenu(QMenu* menu) const;
  toolkit::CTrayIcon& Tray() { return tray_; }

  // The device of the selected, visible selector; null when there is none.
  CVarnisUSBDevice* CurrentDevice() const override;
  CVarnisUSBDevice* SelectedKeyboard() const override;
  // The screen mode's note where the screen cannot be read.
  void ShowScreenAvailability();
  std::span<const uint8_t> LastSpectrum() const override { return spectrum_; }
  toolkit::CControlUI* FindControl(const QString& name) const override {
    return WindowImplBase::FindControl(name);
  }
  toolkit::CWindowWnd& DialogOwner() override { return *this; }
  toolkit::CPaintManagerUI& PagePaintManager() override { return m_pm; }
  toolkit::IDialogBuilderCallback& PageControlMaker() override { return *this; }
  platform::WindowHandle PageOwnerWindow() const override { return GetHWND(); }
  int DialogDpi() const override { return m_pm.GetDPI(); }
  bool SetHookState(int mode, bool on) override;
  bool CaptureReachesDesktop() const override;
  CDeviceHook& DeviceHook() { return *hook_; }
  int LightControlOn() const { return lightControlOn_; }
  int WindowActiveFlag() const { return windowActive_; }
  int WindowLocked() const { return windowLocked_; }
  // The last audio spectrum and screen colours received from the capture.
  const std::vector<uint8_t>& SpectrumBuffer() const { return spectrum_; }
  const std::array<int, 6>& ScreenColourBuffer() const { return screenColour_; }

  // Secondary windows: the settings window, and every other window this one
  // owns (dialogs, message boxes).
  void SetSettingsWindow(toolkit::CWindowWnd* window) { settingsWindow_ = window; }
  void CloseSettingsWindow() override;
  void CloseSecondaryWindows() override;
  // Stops a running macro recording and enables the device bar again.
  void StopMacroRecording() override;
  // Tells the user, once per run, that a settings file could not be
  // written (the old file was kept).
  void TellSaveFailure();
  bool SaveFailureTold() const { return saveFailureTold_; }

 protected:
  toolkit::LRESULT HandleCustomMessage(toolkit::UINT message, toolkit::WPARAM wParam,
                                       toolkit::LPARAM lParam, bool& handled) override;
  toolkit::LRESULT OnDestroy(toolkit::WPARAM wParam, toolkit::LPARAM lParam,
                             bool& handled) override;
  virtual void OnTimer(uintptr_t id);
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Dispatch.
  void Reach(RouteCall call);
  void DispatchNotification(toolkit::TNotifyUI& msg);
  bool IsTitleButtonRow(const NotifyRoute& row, const toolkit::CControlUI* sender) const;
  void OnOwnRoute(const RouteCall& call);
  void OnOwnClick(const RouteCall& call);
  void OnOwnSelectChanged(const RouteCall& call);
  bool HandleRoutedMessage(uint32_t message, platform::WParam wParam, platform::LParam lParam);
  bool IsRoutedMessage(uint32_t message) const;
  void ReachMessage(const char* name, platform::WParam wParam, platform::LParam lParam,
                    RouteOwner owner);

  // The main window's own actions.
  void OnWindowInit();
  void OnInstanceMessage();
  void OnTrayIcon(toolkit::LPARAM mouseMessage);
  void OnMenuCommand(const toolkit::MenuCmd& command);
  // Writes or removes the autostart entry (the tray menu's start-at-login
  // item), from the entry's own state.
  void ToggleAutostart();
  void OnWindowDestroyed();
  void OnDeviceArrived(size_t slot);
  void OnDeviceRemoved(size_t slot);
  void OnCopyData(const platform::CopyDataRecord& record);
  void OnPowerBroadcast(platform::WParam event);
  void SetLightControlOn(int on);
  // Starts or stops the screen sampler (and the sound capture) as the pages'
  // light modes need them.
  void UpdateSignalDemand();
  void ToggleLightControl();
  void AnswerToolQuery();
  void SelectNeighbourDevice(int step);
  void OnDeviceSelected(toolkit::CControlUI* option);
  void OnFunctionTab(int page);
  void OpenDesktopSettings(int which);
  void SetWindowActiveFlag(int active);
  // Hides into the tray, or minimises where the desktop has no tray (a hidden
  // window could not be brought back there).
  void HideWindow();
  void RaiseWindow();
  void ResizeForDpi();
  int ChosenDpi() const;
  void WatchScreens();
  void UpdateNoDeviceLink();
  // The mouse and keyboard pages learn whether the window is in the tray.
  void SetDevicesTrayHidden(bool hidden);
  std::vector<CVarnisUSBDevice*> LightControlledDevices() const;

  std::unique_ptr<CMainPage> mainPage_;
  // Shared with the detection thread, which may outlive a stop limit.
  std::shared_ptr<DeviceRegistry> registry_;
  std::unique_ptr<DevicePageSet> pages_;
  std::unique_ptr<ProfileCommands> profiles_;
  std::unique_ptr<KeyboardSettingsCommands> keyboardSettings_;
  std::unique_ptr<KeyAssignmentCommands> keyAssignment_;
  std::unique_ptr<MacroCommands> macros_;
  std::unique_ptr<MouseSettingsCommands> mouseSettings_;
  std::unique_ptr<HeadsetAudioCommands> headsetAudio_;
  std::unique_ptr<AudioLightingCommands> audioLighting_;
  std::unique_ptr<RecoilCommands> recoil_;
  std::unique_ptr<CDeviceHook> hook_;
  // The device whose page was chosen last (leaving it checks for unsaved
  // keys).
  QPointer<CVarnisUSBDevice> shownDevice_;
  std::unique_ptr<LanguageCommands> language_;
  std::unique_ptr<SettingsWindowCommands> settings_;
  std::unique_ptr<SkinCommands> skins_;
  std::unique_ptr<LightingCommands> lighting_;
  std::unique_ptr<ControlRequests> control_;
  int gameLightDelayMs_ = 5000;
  QPointer<toolkit::CWindowWnd> settingsWindow_;
  toolkit::CTrayIcon tray_;
  ThreadSlotTable threads_;
  std::unique_ptr<platform::SleepMonitor> sleepMonitor_;
  // The tray menu the desktop shows by itself, where there is a tray.
  std::unique_ptr<toolkit::CMenuWnd> desktopTrayMenu_;
  std::array<RouteHandler, static_cast<size_t>(RouteOwner::Count)> handlers_;
  std::map<QString, ControlCreator> creators_;
  RouteHandler observer_;
  bool initialised_ = false;
  bool firstScanDone_ = false;
  bool startHidden_ = false;
  // Showing the window waits for the connections on their way.
  static constexpr int kShowWaitStepMs = 10;
  static constexpr int kShowWaitLimitMs = 1000;
  bool showDeferred_ = false;
  int showWaitedMs_ = 0;
  int lightControlOn_ = 1;
  bool saveFailureTold_ = false;
  int displayChanged_ = 0;
  int windowActive_ = 1;
  int windowLocked_ = 0;
  // The last choice in the device bar: the selector, and the keyboard and
  // mouse it (or an earlier choice) named.
  int selectedSelector_ = -1;
  int selectedKeyboard_ = 0;
  int selectedMouse_ = 0;
  std::vector<uint8_t> spectrum_;
  std::array<int, 6> screenColour_{};
  // What the screen mode's note last said of the screen.
  bool screenUnavailableShown_ = false;
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
