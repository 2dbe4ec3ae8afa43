#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devicecore/KeyboardCore.h"
#include "devices/CVarnisUSBDevice.h"

class CKeySetControlUI;
namespace toolkit {
class CControlUI;
}

// The keyboard's page: its key buttons, lighting panel and behaviour
// settings. The keyboard itself (key tables, parameter block, profile,
// effects and every exchange) is its core; the page reads its controls,
// calls the core and shows what the core reports.
class CVarnisKeyboardDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  static constexpr int kTableSize = KeyboardCore::kTableSize;
  static constexpr int kPositions = KeyboardCore::kPositions;
  static constexpr int kKeyPositions = KeyboardCore::kKeyPositions;
  static constexpr uint8_t kNoSlot = KeyboardCore::kNoSlot;
  static constexpr uint16_t kEventResync = KeyboardCore::kEventResync;
  static constexpr uint16_t kEventFactoryReset = KeyboardCore::kEventFactoryReset;
  static constexpr int kFirstContactRetryMs = KeyboardCore::kFirstContactRetryMs;
  static constexpr int kFirstContactRetryMaxMs = KeyboardCore::kFirstContactRetryMaxMs;

  using Block = KeyboardCore::Block;
  using SystemWords = KeyboardCore::SystemWords;

  explicit CVarnisKeyboardDevice(QWidget* parent = nullptr);
  ~CVarnisKeyboardDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisKeyboardDevice"); }
  KeyboardCore& Keyboard() const { return static_cast<KeyboardCore&>(Core()); }

  // Overrides of the device operations.
  void AttachToWindow() override;
  void ApplyProfile() override;
  void InitialRead() override;
  void ResyncFromDevice() override;
  void LoadProfileState() override;
  void RefreshView() override;
  void DropInvalidMacroKeys() override;
  void ResetToDefaults() override;
  void ReapplyProfile() override;
  void CompleteReapply() override;
  std::vector<int> GetUsedMacros() override;
  CBasicProfiledata* ProfileData() override;
  std::vector<KeyListEntry> CurrentKeyList() const override { return KeyList(); }
  void ReplaceKeyList(const std::vector<KeyListEntry>& list) override;
  void ReloadMacroNames() override;
  int DownloadMacros(const std::vector<int>& used, Done done = {}) override;
  int WriteKeyTables(int arg, std::vector<KeyListEntry> list, Done done = {}) override;
  int DownloadKeys(int arg, Done done = {}) override;
  // Writes the block into slot `slot` with `byte0` in byte 0; the keyboard's
  // block carries neither byte 59 nor the screen size.
  int WriteParameterBlock(int slot, int byte0, int byte59, int width, int height,
                          Done done = {}) override;
  void LoadLightLists() override;
  int ModeCount() const override { return Keyboard().ModeList().Count(); }
  std::vector<std::string> ModeNames() const override { return Keyboard().ModeList().names; }
  void ShowPage(int page) override;
  void LoadProfileFiles() override;
  QString ProfilePath() const override;
  void SaveProfile() override;
  void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) override;
  void SelectKey(int position) override;
  void SetScreenColour(const int* values, int count) override;
  // At most the first 25 levels are taken.
  void SetAudioLevels(const int32_t* levels, int count) override;
  // Also into the profile (saved by the caller) and the music mode's style.
  void SetAudioLightInfo(const AudioLightInfo& info) override;
  // The preview of the lighting page (the host-drawn modes send their frames
  // from the core's light thread).
  void OutputLightFrame() override;
  void OnLightModeChanged() override;
  bool StreamsFrames() const override { return Keyboard().StreamsFrames(); }
  bool WantsScreenColour() const override;
  bool WantsAudioLevels() const override;

  // Light effects, run by the core's light thread; tests run passes directly.
  void StartLightThread() { Keyboard().StartLightThread(); }
  void LightPass() { Keyboard().LightPass(); }
  void OnKeyEvent(int slot, int type) { Keyboard().OnKeyEvent(slot, type); }
  lighting::LightParams CurrentLightParams() const { return Keyboard().CurrentLightParams(); }
  int IdleSteps() const { return Keyboard().IdleSteps(); }

  // Keyboard-only operations.
  void BuildLayout();
  // Reads the active profile's block (queued); on any failure nothing
  // changes. `done` gets whether it was read. False when nothing could be
  // queued (the device is closed).
  bool ReadParameterBlock(std::function<void(bool)> done = {});
  // Whether the first contact has read everything (it is read again until
  // it has).
  bool FirstContactComplete() const { return Keyboard().FirstContactComplete(); }
  // Stores `entry` at the selected key and the key list in the profile.
  void SetKeyAssignment(const KeyListEntry& entry) override;
  void RefreshKeyLabels() override;
  // Every key button redrawn with its marks: unchanged, not selected.
  void RepaintKeyButtons();
  void MarkSavedKeyButtons() override;

  // Custom per-key colours (lighting mode 20).
  void SelectCustomGroup(int group);
  void LoadCustomGroup();
  // Paints light position `position` with the panel's colour (mode 20 only).
  void PaintKey(int position);
  // The first 126 positions take the colour (on) or black.
  void FillAllKeys(bool on);
  // Queues the colour table; 1 when queued.
  int WriteColourTable(Done done = {});
  uint32_t CustomColour(int position) const { return Keyboard().CustomColour(position); }

  // Behaviour settings of the page (report rate, lock flags, repeat, the Fn
  // layer switch, audio sensitivity): each change is saved in the profile
  // and, for the four the device keeps, written in the parameter block.
  void OnReportRateSelected(int index);
  // "winlockflag_option", "wflag_option" or "6flag_option".
  void OnFlagChanged(const QString& optionName);
  void OnRepeatDelaySelected(int index);
  void OnRepeatRateChanged();
  void OnResetRepeat();
  void OnFnLayerSwitched();
  void OnSensitivityChanged();

  // State, for the other panels and for tests.
  const std::vector<KeyListEntry>& KeyList() const { return Keyboard().KeyList(); }
  bool IsFnLayer() const override { return Keyboard().IsFnLayer(); }
  SystemWords KeyboardSettings() const { return Keyboard().Settings(); }
  Block LastBlock() const { return Keyboard().LastBlock(); }
  uint8_t ActiveProfile() const { return Keyboard().ActiveProfile(); }
  uint8_t PositionToSlot(int position) const { return Keyboard().PositionToSlot(position); }
  uint8_t PositionToLed(int position) const { return Keyboard().PositionToLed(position); }
  int SlotCount() const { return Keyboard().SlotCount(); }
  const std::vector<std::string>& MacroNames() const { return Keyboard().MacroNames(); }
  const LightModeList& ModeList() const { return Keyboard().ModeList(); }
  LightWords GetLightInfo() const { return GetLightWords(); }
  CKeyboardProfiledata& Profile() { return Keyboard().Profile(); }
  static uint16_t PendingReset() { return KeyboardCore::PendingReset(); }

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override;

 private:
  using HalfWord = KeyboardCore::HalfWord;
  template <typename T>
  T* Find(const char* name) const;
  void ShowSettings();
  void ShowReportRate(int index);
  void ShowRepeatDelay(int index);
  void ShowFlag(const char* name, int value);
  void UpdateKeyEnabling();
  void MarkKey(int position, bool unchanged, bool selected);
  // Saves a changed setting, and writes the block when the device keeps it.
  void SettingChanged(bool written);
  QString DeviceFile(const QString& name) const;
  int CustomGroupOfPanel() const;

  toolkit::CControlUI* keyLightContainer_ = nullptr;
};
