#pragma once

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "hid/InterfaceRecord.h"
#include "devicecore/DeviceCore.h"
#include <functional>
#include "hid/DeviceChannel.h"
#include "lighting/LightInfoWords.h"
#include "profiles/AudioLightInfo.h"
#include "profiles/KeyListEntry.h"
#include "platform/WindowMessageTypes.h"
#include "toolkit/CHorizontalLayoutUI.h"
#include "toolkit/CNotifyPump.h"

class CDeviceKeyButtonUI;
class CDeviceOptionUI;
class CDeviceProfileUI;
class CLightControlUI;
class CMacroControlUI;
class CKeySetControlUI;
class CBasicProfiledata;
class CMpDevicePowerUI;

// Messages a device page sends its owner window.
inline constexpr uint32_t PageVisibilityMessage = 0x0D03;  // wParam kind index, lParam 1 show / 0 hide
inline constexpr uint32_t PowerStatusMessage = 0x0D01;     // wParam: status byte 4
inline constexpr uint32_t SelectProfileMessage = 0x0D00;   // wParam: the device's active slot
inline constexpr uint32_t LightSettingsMessage = 0x0D05;  // posted: a page's lighting changed

// Per-light-point effect state.
using LedEffectState = std::array<uint8_t, 17>;



// The page of a device in the main window: the page layout is loaded into
// it and it receives the notifications of its own controls. The device
// itself (its channels, worker, readers, light points and light thread) is
// its core, which the page owns: the page reads its controls, calls the core
// and shows what the core reports. The device classes override the virtual
// operations; the base does what every device shares.
class CVarnisUSBDevice : public toolkit::CHorizontalLayoutUI, public toolkit::CNotifyPump {
  Q_OBJECT
  // Declared first: the channel references below point into it.
  std::unique_ptr<DeviceCore> core_;

 public:
  // Without a core of its own kind the page gets the plain one.
  explicit CVarnisUSBDevice(QWidget* parent = nullptr, std::unique_ptr<DeviceCore> core = nullptr);
  ~CVarnisUSBDevice() override;

  QString GetClass() const override { return QStringLiteral("VarnisUSBDevice"); }

  // The core's channels, by their established names.
  hid::DeviceChannel& Commands;
  hid::DeviceChannel& Events;
  DeviceCore& Core() const { return *core_; }

  // Set-up by the main window.
  void SetLayoutPath(const QString& path) { layoutPath_ = path; }
  const QString& GetLayoutPath() const { return layoutPath_; }
  void SetOwnerWindow(platform::WindowHandle window) { ownerWindow_ = window; }
  platform::WindowHandle GetOwnerWindow() const { return ownerWindow_; }
  void SetKeyCount(int count);
  int GetKeyCount() const { return keyCount_; }
  void SetLedCount(int count);
  int GetLedCount() const { return ledCount_; }
  void SetKindIndex(int index) { kindIndex_ = index; }
  int GetKindIndex() const { return kindIndex_; }
  void SetShowPower(int show);
  int GetShowPower() const { return showPower_; }
  void SetPowerPanel(CMpDevicePowerUI* panel);
  CMpDevicePowerUI* GetPowerPanel() const { return powerPanel_; }
  void SetKindName(const QString& name);
  const QString& GetKindName() const { return kindName_; }
  void SetLightConfigName(const QString& name) { lightConfigName_ = name; }
  const QString& GetLightConfigName() const { return lightConfigName_; }
  // Also sets the kind type and role from the record.
  void SetIdentity(const InterfaceRecord& identity);
  const InterfaceRecord& GetIdentity() const { return identity_; }
  int GetKindType() const { return kindType_; }
  int GetKindRole() const { return kindRole_; }
  void SetSelector(CDeviceOptionUI* selector) { selector_ = selector; }
  CDeviceOptionUI* GetSelector() const { return selector_; }
  void SetMouseOption(int option) { mouseOption_ = option; }
  int GetMouseOption() const { return mouseOption_; }

  // State the main window keeps in step; the light threads read it.
  void SetWindowActive(bool active) { windowActive_ = active ? 1 : 0; }
  bool IsWindowActive() const { return windowActive_ != 0; }
  bool IsLightControlEnabled() const { return core_->IsLightControlEnabled(); }
  // Sends the take-over command to a keyboard when control is switched on.
  void SetLightControl(int enabled);
  // Kept only for devices that show their power status.
  void SetTrayHidden(int hidden);
  bool IsTrayHidden() const { return trayHidden_ != 0; }

  // Folders and files of the device.
  QString DefaultDataDir() const;
  QString DeviceFolder() const { return deviceFolder_; }
  QString DefaultProfilePath() const;
  // The device's light configuration (user effects per mode) in its folder;
  // the product's template for the device kind is copied there when missing
  // (a link standing there is set aside first, never followed).
  QString LightConfigPath() const;

  // The profile the device works with (its file is DeviceFolder() + id +
  // ".Json"), and the page's profile panel ("DeviceProfileItem").
  void SetProfileId(const QString& id) { profileId_ = id; }
  const QString& GetProfileId() const { return profileId_; }
  CDeviceProfileUI* ProfilePanel() const { return profilePanel_; }
  // The page's lighting panel ("LightControlItem"), once bound.
  CLightControlUI* LightPanel() const { return lightPanel_; }
  // The page's macro panel ("MacroControlItem"; keyboards and mice), once
  // bound.
  CMacroControlUI* MacroPanel() const { return macroPanel_; }

  // The page's controls.
  const std::vector<toolkit::CControlUI*>& KeyControls() const { return keyControls_; }
  const std::vector<toolkit::CControlUI*>& LedControls() const { return ledControls_; }
  toolkit::CControlUI* PreviewPanel() const { return previewPanel_; }
  // The light controls as light buttons (null where a control is none),
  // index for index, then the page's other light buttons (drawn with them,
  // each painted by the page).
  const std::vector<CDeviceKeyButtonUI*>& LightButtons();
  const std::vector<LedEffectState>& LedLightState() const { return ledLightState_; }
  // The page's lighting record; the light threads read it while the UI
  // thread changes it, word by word.
  LightWords GetLightWords() const { return core_->GetLightWords(); }
  int GetLightTableIndex() const { return lightTableIndex_; }
  int GetSelectedKey() const { return selectedKey_; }

  // Event interfaces: hands the interface at `path` to the device (closing
  // the one it had) and starts its reader; the receiver's when `receiver`.
  bool OpenEventInterface(const std::string& path, bool receiver) {
    return core_->OpenEventInterface(path, receiver);
  }
  // Stops the reader (cutting its pending read short) and closes the
  // interface.
  void CloseEventInterface(bool receiver) { core_->CloseEventInterface(receiver); }
  bool IsEventInterfaceOpen(bool receiver) const { return core_->IsEventInterfaceOpen(receiver); }

  // Virtual operations, with what the base does.
  virtual void AttachToWindow();
  virtual void ApplyProfile() {}
  virtual void OutputLightFrame();
  // Whether the page sends its frames to the device (its preview timer then
  // keeps its pace while the window is hidden).
  virtual bool StreamsFrames() const { return false; }
  // The page shows a mode drawn from the screen's colour or the sound the
  // computer plays (with its channel open and the program's light control
  // on): the program then samples the screen or captures the sound.
  virtual bool WantsScreenColour() const { return false; }
  virtual bool WantsAudioLevels() const { return false; }
  virtual void SetLedColour(int index, uint32_t colour);
  virtual uint32_t GetLedColour(int index) const;
  // The device operations below that talk to the device queue their
  // exchanges on the core's worker and return at once; what they found is
  // shown from the completion.
  virtual void InitialRead() {}
  virtual void ResyncFromDevice() {}
  // A device event asked for a read while one was on its way: that read may
  // have been taken before the device changed, so read once more after it.
  void ResyncAfterTheReadOnItsWay();
  static constexpr int kResyncRetryMs = 50;
  // The power status of a device behind its receiver, shown in the power
  // panel and told to the owner window.
  virtual void PollPowerStatus();
  // Whether the device behind the receiver answers (true by cable), given
  // to `done` on the UI thread. Nothing is asked, and `done` not called,
  // while the previous check for the same `purpose` is still on its way.
  virtual void CheckWirelessLink(std::function<void(bool)> done,
                                 const std::string& purpose = "link");
  virtual void LoadProfileState() {}
  virtual void RefreshView() {}
  virtual void DropInvalidMacroKeys() {}
  virtual void ResetToDefaults() {}
  // Loads the current profile again and writes it to the device.
  virtual void ReapplyProfile();
  // The macros the device's keys use, each once, in the device's scan order.
  virtual std::vector<int> GetUsedMacros() { return {}; }
  // Devices with macros: the profile object (for editing profiles that are
  // not selected), the current key list, a changed key list taken as the
  // current one (stored in the profile), and the macro names read again
  // for the key assignment panel's macro choice.
  virtual CBasicProfiledata* ProfileData() { return nullptr; }
  virtual std::vector<KeyListEntry> CurrentKeyList() const { return {}; }
  // The key assignment panel ("KeySetControlItem"; keyboards and mice),
  // once bound, and what it does to the page: the selected key's entry
  // stored, the labels shown again, the saved keys marked, and which layer
  // is edited.
  CKeySetControlUI* KeyPanel() const { return keyPanel_; }
  virtual void SetKeyAssignment(const KeyListEntry& /*entry*/) {}
  virtual void RefreshKeyLabels() {}
  virtual void MarkSavedKeyButtons() {}
  virtual bool IsFnLayer() const { return false; }
  virtual void ReplaceKeyList(const std::vector<KeyListEntry>& /*list*/) {}
  virtual void ReloadMacroNames() {}
  // Sends the key tables built from `list`; `arg` goes with the table
  // commands. 1 when queued; `done` gets 1 when sent.
  using Done = std::function<void(int)>;
  virtual int WriteKeyTables(int /*arg*/, std::vector<KeyListEntry> /*list*/, Done /*done*/ = {}) {
    return 0;
  }
  // WriteKeyTables with the device's own key list.
  virtual int DownloadKeys(int /*arg*/, Done /*done*/ = {}) { return 0; }
  // Sends the macros in `used` as the device's macro image: 0 when sent or
  // nothing to send, a positive count of events to remove when they do not
  // fit, -1 when no image can be made. Devices without macros do nothing.
  virtual int DownloadMacros(const std::vector<int>& /*used*/, Done /*done*/ = {}) { return 0; }
  // The current settings into the active slot, with the screen's size: what
  // every change of a setting ends with.
  int WriteCurrentSettings(Done done = {});
  // Writes the device's parameter block into profile slot `slot`; each
  // device kind uses the arguments its block carries. 1 when queued; `done`
  // gets 1 when written.
  virtual int WriteParameterBlock(int /*slot*/, int /*byte0*/, int /*byte59*/, int /*width*/,
                                  int /*height*/, Done /*done*/ = {}) {
    return 0;
  }
  // The last steps of ReapplyProfile, once macros and keys are downloaded.
  virtual void CompleteReapply() {}
  virtual void LoadLightLists() {}
  // Entries of the page's lighting mode list (0 without one).
  virtual int ModeCount() const { return 0; }
  // The language id of each mode of the page's list, by position.
  virtual std::vector<std::string> ModeNames() const { return {}; }
  virtual void OnLightModeChanged();
  virtual void ShowPage(int kind);
  virtual int CurrentPage() const { return pageKind_; }
  virtual void LoadProfileFiles() {}
  virtual QString ProfilePath() const { return {}; }
  virtual void SaveProfile() {}
  virtual void SetLightTableIndex(int value) { lightTableIndex_ = value; }
  virtual void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e);
  // The music lighting's record: kept by the page (the keyboard keeps it in
  // its profile too and draws with it) and shown on the light panel.
  virtual void SetAudioLightInfo(const AudioLightInfo& info);
  // The page's record; with `readPanel`, first what the panel says now,
  // the colour button's colour included (nothing when the panel lacks a
  // part).
  std::optional<AudioLightInfo> GetAudioLightInfo(bool readPanel) const;
  virtual void SelectKey(int index) { selectedKey_ = index; }
  // A level set of the music (keyboards draw from it; other pages ignore it).
  virtual void SetAudioLevels(const int32_t* /*levels*/, int /*count*/) {}
  virtual void SetScreenColour(const int* /*values*/, int /*count*/) {}

  // Asks the owner window to show or hide this page.
  void SendPageVisibility(bool show) const;

  const DeviceThread& EventReader(bool receiver) const { return core_->EventReader(receiver); }

 protected:
  // Hands the profile panel the device's folders and fills it.
  void BindProfilePanel();
  // Hands the macro panel the device's folder and fills its list.
  void BindMacroPanel();
  // Finds the key assignment panel and sets it up for `kind` (keys::PanelDevice).
  void BindKeyPanel(int kind);
  // The page's copy of the lighting record, without touching the profile.
  void SetLightWords(const LightWords& words) { core_->SetLightWords(words); }
  // Binding the page's controls; out-of-range indices are ignored.
  void BindKeyControl(int index, toolkit::CControlUI* control);
  void BindLedControl(int index, toolkit::CControlUI* control);
  void SetPreviewPanel(toolkit::CControlUI* panel) { previewPanel_ = panel; }
  void SetLightPanel(CLightControlUI* panel) { lightPanel_ = panel; }
  void SetExtraLightButtons(std::vector<CDeviceKeyButtonUI*> buttons) {
    extraLights_ = std::move(buttons);
    lightButtonsOf_.clear();
    lightButtons_.clear();
  }
  // A page without a layout has no keys and no lights.
  void ClearControlLists();
  // Every control inside `root`, depth first, in the order of its containers.
  static void CollectControls(toolkit::CControlUI* root, std::vector<toolkit::CControlUI*>& out);
  // Shows light point `index` on its preview button (drawing on).
  void PaintLightButton(CDeviceKeyButtonUI* button, int index) const;
  // Whether a light button is shown; the panel the lights share is looked up
  // once, not for every light of every frame.
  class LightShown {
   public:
    bool operator()(const toolkit::CControlUI* light);

   private:
    const QWidget* panel_ = nullptr;
    bool looked_ = false;
    bool panelShown_ = false;
  };
  // Each device class names its readers' exit line and stop limit.
  void SetEventThreadStyle(const std::string& exitLine, int stopLimitMs) {
    core_->SetEventThreadStyle(exitLine, stopLimitMs);
  }
  void SetLightThreadStyle(const std::string& exitLine, int stopLimitMs) {
    core_->SetLightThreadStyle(exitLine, stopLimitMs);
  }
  // The light thread; the device classes start it once the device is read.
  DeviceThread& LightThread() { return core_->LightThread(); }
  // Stops the worker and every thread of the device; device classes call it
  // first thing in their destructors, so nothing runs their code while they
  // are torn down.
  void StopThreads();
  // Whether the power status is read while the window is hidden in the tray
  // (devices without a receiver link to check).
  virtual bool PollsPowerWhileInTray() const { return false; }
  // One input report read from an event interface: its event code. Runs on
  // the reader thread.
  virtual void OnDeviceEvent(uint16_t code, bool receiver);
  // Sends a window message to the owner (from any thread).
  void SendToOwner(uint32_t message, platform::WParam wParam, platform::LParam lParam) const;

  int kindType_ = 0;
  int kindRole_ = 0;

 private:
  QString layoutPath_;
  QString kindName_;
  QString lightConfigName_;
  QString deviceFolder_;
  platform::WindowHandle ownerWindow_ = 0;
  InterfaceRecord identity_;
  int kindIndex_ = -1;
  int keyCount_ = 0;
  int ledCount_ = 0;
  std::vector<toolkit::CControlUI*> keyControls_;
  std::vector<toolkit::CControlUI*> ledControls_;
  std::vector<toolkit::CControlUI*> lightButtonsOf_;
  std::vector<CDeviceKeyButtonUI*> lightButtons_;
  std::vector<CDeviceKeyButtonUI*> extraLights_;
  std::vector<LedEffectState> ledLightState_;
  toolkit::CControlUI* previewPanel_ = nullptr;
  CDeviceOptionUI* selector_ = nullptr;
  CMpDevicePowerUI* powerPanel_ = nullptr;
  CDeviceProfileUI* profilePanel_ = nullptr;
  QString profileId_;
  CLightControlUI* lightPanel_ = nullptr;
  CMacroControlUI* macroPanel_ = nullptr;
  CKeySetControlUI* keyPanel_ = nullptr;
  int showPower_ = 0;
  int mouseOption_ = -1;
  std::atomic<int> trayHidden_{0};
  int lightTableIndex_ = 0;
  std::atomic<int> windowActive_{1};
  int pageKind_ = 1;
  int selectedKey_ = -1;
  AudioLightInfo audioLightInfo_{};
};
