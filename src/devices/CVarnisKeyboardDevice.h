#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <QTimer>

#include "devices/CVarnisUSBDevice.h"
#include "lighting/EffectState.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/KeyboardEffects.h"
#include "lighting/LightListPlayer.h"
#include "lighting/LightModeList.h"
#include <random>
#include "profiles/CKeyboardProfiledata.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"

namespace toolkit {
class CControlUI;
}

// The keyboard: its page, its key tables (normal and Fn layer), its
// parameter block with lighting and behaviour settings, and its events.
//
// The keyboard's slots are not the positions of the picture: the device's
// key table is read once and each picture position is mapped to the slot
// holding its printed function (PositionToSlot) and to that slot's light
// (PositionToLed).
class CVarnisKeyboardDevice : public CVarnisUSBDevice {
  Q_OBJECT
 public:
  static constexpr int kTableSize = protocol::kKeyTableBytes;
  static constexpr int kPositions = 170;
  // Positions that carry a key function on the device.
  static constexpr int kKeyPositions = 126;
  static constexpr uint8_t kNoSlot = 255;
  // Device events.
  static constexpr uint16_t kEventResync = 0x0401;
  static constexpr uint16_t kEventFactoryReset = 0x0402;

  using Block = protocol::KeyboardParameters::Bytes;
  using SystemWords = CKeyboardProfiledata::SystemWords;

  explicit CVarnisKeyboardDevice(QWidget* parent = nullptr);
  ~CVarnisKeyboardDevice() override;
  QString GetClass() const override { return QStringLiteral("VarnisKeyboardDevice"); }

  // Overrides of the device operations.
  void AttachToWindow() override;
  void ApplyProfile() override;
  void InitialRead() override;
  void ResyncFromDevice() override;
  void PollPowerStatus() override;
  bool IsWirelessReachable() override;
  void LoadProfileState() override;
  void RefreshView() override;
  void DropInvalidMacroKeys() override;
  void ResetToDefaults() override;
  void ReapplyProfile() override;
  void CompleteReapply() override;
  std::vector<int> GetUsedMacros() override { return usedMacros_; }
  int WriteKeyTables(int arg, std::vector<KeyListEntry> list) override;
  int DownloadKeys(int arg) override;
  // Writes the block into slot `slot` with `byte0` in byte 0; the keyboard's
  // block carries neither byte 59 nor the screen size.
  int WriteParameterBlock(int slot, int byte0, int byte59, int width, int height) override;
  void LoadLightLists() override;
  int ModeCount() const override { return modes_.Count(); }
  void ShowPage(int page) override;
  void LoadProfileFiles() override;
  QString ProfilePath() const override;
  void SaveProfile() override;
  void SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) override;
  void SelectKey(int position) override;
  void SetScreenColour(const int* values, int count) override;
  // The preview of the lighting page, and on the host-drawn modes (audio,
  // screen colour) the frame streamed to the keyboard.
  void OutputLightFrame() override;
  void OnLightModeChanged() override;
  bool StreamsFrames() const override;

  // Light effects. The light thread runs one pass per tick step; tests run
  // passes directly.
  void StartLightThread();
  void LightPass();
  // A key slot pressed (1) or released (2), as the keyboard reports it.
  void OnKeyEvent(int slot, int type);
  lighting::LightParams CurrentLightParams() const;
  // Steps of the tick count until the light thread has something to draw.
  int IdleSteps() const;

  // Keyboard-only operations.
  void BuildLayout();
  // Reads the information block, key table and key attributes and maps the
  // picture to the device's slots. False when nothing was read.
  bool ReadKeysFromDevice();
  // Reads the active profile's block; on any failure nothing changes.
  bool ReadParameterBlock();
  // Whether the first contact has read everything (it is read again until
  // it has).
  bool FirstContactComplete() const { return keysRead_ && blockRead_; }
  static constexpr int kFirstContactRetryMs = 1000;
  static constexpr int kFirstContactRetryMaxMs = 8000;
  // Stores `entry` at the selected key and the key list in the profile.
  void SetKeyAssignment(const KeyListEntry& entry);
  void RefreshKeyLabels();
  // Every key button redrawn with its marks: unchanged, not selected.
  void RepaintKeyButtons();
  void MarkSavedKeyButtons();

  // Custom per-key colours (lighting mode 20): one colour per light
  // position, kept per group in the profile and written to the keyboard's
  // colour table of that group.
  void SelectCustomGroup(int group);
  void LoadCustomGroup();
  // Paints light position `position` with the panel's colour (mode 20 only).
  void PaintKey(int position);
  // The first 126 positions take the colour (on) or black.
  void FillAllKeys(bool on);
  int WriteColourTable();
  uint32_t CustomColour(int position) const;

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
  const std::vector<KeyListEntry>& KeyList() const { return keyList_; }
  bool IsFnLayer() const { return fnLayer_ != 0; }
  SystemWords KeyboardSettings() const { return settings_; }
  Block LastBlock() const;
  uint8_t ActiveProfile() const { return activeProfile_; }
  uint8_t PositionToSlot(int position) const;
  uint8_t PositionToLed(int position) const;
  int SlotCount() const { return info_.keyCount; }
  const std::vector<std::string>& MacroNames() const { return macroNames_; }
  const LightModeList& ModeList() const { return modes_; }
  LightWords GetLightInfo() const { return GetLightWords(); }
  CKeyboardProfiledata& Profile() { return profile_; }
  // The program-wide pending-reset flag: 0x0402 between that event and the
  // next resync of a keyboard.
  static uint16_t PendingReset() { return pendingReset_; }

 protected:
  void OnDeviceEvent(uint16_t code, bool receiver) override;

 private:
  template <typename T>
  T* Find(const char* name) const;
  void StoreSettings();
  void ShowSettings();
  void ShowReportRate(int index);
  void ShowRepeatDelay(int index);
  void ShowFlag(const char* name, int value);
  void UpdateKeyEnabling();
  void MarkKey(int position, bool unchanged, bool selected);
  uint16_t Half(int word, bool high) const;
  void SetHalf(int word, bool high, uint16_t value);
  QString DeviceFile(const QString& name) const;
  void LoadCustomColours(int group);
  void StoreCustomColours(int group);
  bool IsCustomColourMode() const;
  // Reads again what the first contact could not read, at growing intervals
  // while the device stays connected.
  void ScheduleFirstContactRetry();
  void RetryFirstContact();

  CKeyboardProfiledata profile_;
  QTimer* firstContactRetry_ = nullptr;
  int firstContactDelayMs_ = 0;
  bool keysRead_ = true;
  bool blockRead_ = true;
  std::vector<KeyListEntry> keyList_;
  int fnLayer_ = 0;
  SystemWords settings_{};
  protocol::DeviceInfo info_{};
  std::array<uint8_t, kTableSize> keyTable_{};
  std::array<uint8_t, kTableSize> keyAttributes_{};
  // Read by the event readers too.
  std::array<std::atomic<uint8_t>, kPositions> positionToSlot_{};
  std::array<uint8_t, kPositions> positionToLed_{};
  std::atomic<uint8_t> activeProfile_{0};
  // The last block read; the profile bytes are also set by the event
  // readers.
  mutable std::mutex blockMutex_;
  Block block_{};
  std::vector<std::string> macroNames_;
  std::vector<int> usedMacros_;
  // The RGB word (protocol::ToRgbWord) per light position.
  std::array<uint32_t, kPositions> customColours_{};
  LightModeList modes_;
  toolkit::CControlUI* keyLightContainer_ = nullptr;

  // Effect state: the light thread steps it, key events (reader threads)
  // and profile changes (UI thread) restart or mark it.
  mutable std::mutex effectMutex_;
  lighting::EffectState effect_;
  lighting::KeyboardEffects keyEffects_;
  std::minstd_rand random_;
  // The per-light-point effects and the user's effect steps, each under
  // its lock.
  mutable std::mutex listMutex_;
  lighting::LightListPlayer lightList_;
  std::mutex stepMutex_;
  lighting::EffectStepPlayer userSteps_;
  // Tick counting of the light thread (its own).
  uint32_t tickLast_ = 0;
  uint32_t tickCounter_ = 0;

  static std::atomic<uint16_t> pendingReset_;
};
