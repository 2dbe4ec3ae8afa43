#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "devicecore/KeyedDeviceCore.h"
#include "lighting/AudioLevels.h"
#include "lighting/EffectState.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/KeyboardAudioStyles.h"
#include "lighting/KeyboardEffects.h"
#include "lighting/LightListPlayer.h"
#include "lighting/LightModeList.h"
#include "profiles/AudioLightInfo.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/KeyListEntry.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"
#include "keys/KeySlotMap.h"
#include "protocol/PowerStatus.h"

// The keyboard without its page: its key tables (normal and Fn layer), the
// map from picture positions to the device's slots, its parameter block, its
// profile and behaviour settings, its custom colours, and its light effects.
//
// The keyboard's slots are not the positions of the picture: the device's
// key table is read once and each picture position is mapped to the slot
// holding its printed function (PositionToSlot) and to that slot's light
// (PositionToLed).
//
// Every exchange runs on the device's worker; the state here changes on the
// UI thread, in the completions, except what the event readers and the
// light thread share (atomics and the locks below).
class KeyboardCore : public KeyedDeviceCore {
  Q_OBJECT
 public:
  static constexpr int kTableSize = protocol::kKeyTableBytes;
  static constexpr int kPositions = 170;
  // Positions that carry a key function on the device.
  static constexpr int kKeyPositions = 126;
  static constexpr uint8_t kNoSlot = 255;
  // Mode list position of the custom per-key colours.
  static constexpr int kCustomColourMode = 20;
  // Device events.
  static constexpr uint16_t kEventResync = 0x0401;
  static constexpr uint16_t kEventFactoryReset = 0x0402;
  // First contact read again at growing intervals until complete.
  static constexpr int kFirstContactRetryMs = 1000;
  static constexpr int kFirstContactRetryMaxMs = 8000;
  // Frames of the host-drawn modes go out at most this often.
  static constexpr int kFrameIntervalMs = 50;
  // The pause after a failed colour or frame write.
  static constexpr int kFailedWritePauseMs = 200;
  // The music style whose level sets feed the beat (waves from the centre).
  static constexpr int kBeatStyle = 2;

  using Block = protocol::KeyboardParameters::Bytes;
  using SystemWords = CKeyboardProfiledata::SystemWords;

  // Where the behaviour settings sit in the settings words.
  struct HalfWord {
    int word;
    bool high;
  };
  static constexpr HalfWord kRepeat{0, false};
  static constexpr HalfWord kRepeatDelay{0, true};
  static constexpr HalfWord kKey6Flag{1, false};
  static constexpr HalfWord kPollingRate{1, true};
  static constexpr HalfWord kWFlag{2, false};
  static constexpr HalfWord kWinFlag{2, true};

  KeyboardCore();
  ~KeyboardCore() override;

  // What the page is told, on the UI thread.
  struct Listener {
    // The state changed (a read, an event): show it again.
    std::function<void()> viewChanged;
    // The lighting mode changed or started afresh.
    std::function<void()> lightModeChanged;
    // The keyboard asked to be read again (its resync or factory-reset event).
    std::function<void()> resyncRequested;
    // A profile was applied (its audio-lighting record is the page's).
    std::function<void()> profileApplied;
  };
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // --- Files and profile (UI thread) -----------------------------------------
  void SetProfileFiles(const QString& defaultProfile, const QString& profile,
                       const QString& lightConfig);
  // Where the map of picture positions to key slots is kept (the device's
  // folder), so that keys given other functions keep their slots.
  void SetKeySlotFile(const QString& path) { keySlotFile_ = path; }
  static constexpr const char* kKeySlotFile = "KeySlots.json";
  // The mode list of table `tableIndex` and the macro names.
  void LoadLightLists(const QString& modeFile, int tableIndex, const QString& macroListFile);
  // Loads the profile at the profile path and applies it.
  void LoadProfileState();
  void ApplyProfile();
  void ResetToDefaults();
  void SaveProfile();
  void SetLightInfo(const LightWords& words);
  void SetFnLayer(bool on);
  uint16_t Half(HalfWord field) const;
  void SetHalf(HalfWord field, uint16_t value);
  // The settings words into the profile.
  void StoreSettings();

  // Custom per-key colours (lighting mode 20): one colour per light
  // position, kept per group in the profile and written to the keyboard's
  // colour table of that group.
  void LoadCustomColours(int group);
  void StoreCustomColours(int group);
  bool IsCustomColourMode() const;
  uint32_t CustomColour(int position) const;
  // Position `position` takes the lighting record's colour.
  bool PaintCustomKey(int position);
  // The first 126 positions take the colour (on) or black.
  void FillCustomKeys(bool on);

  // --- Exchanges (queued; results on the UI thread) ----------------------------
  // The first contact: information block, key table, key attributes and the
  // active profile's block; the profile is loaded in between, as the block
  // read overrides its lighting. What could not be read is read again at
  // growing intervals while the device stays connected. `done` runs once
  // the first attempt is applied.
  void ReadFirstContact(std::function<void()> done = {});
  bool FirstContactComplete() const { return keysRead_ && blockRead_; }
  // The active profile's block; on any failure nothing changes. `done` gets
  // whether it was read. With a key, false (and nothing queued) while a read
  // of that key is on its way.
  bool ReadParameterBlock(std::function<void(bool)> done = {}, const std::string& key = {});
  // The block with the current settings into slot `slot`, `byte0` in byte 0.
  // `done` gets 1 when written.
  void WriteParameterBlock(int slot, int byte0, std::function<void(int)> done = {});
  // The key tables built from `list`; `arg` goes with the table commands.
  void WriteKeyTables(int arg, std::vector<KeyListEntry> list, std::function<void(int)> done = {});
  void WriteColourTable(std::function<void(int)> done = {});
  void CheckStoredSettings(std::function<void(Stored)> done = {}) override;

  // --- Light effects -------------------------------------------------------------
  // The light thread runs one pass per tick step; tests run passes directly.
  void StartLightThread();
  void LightPass();
  int IdleSteps() const;
  lighting::LightParams CurrentLightParams() const;
  void OnLightModeChanged();
  // A key slot pressed (1) or released (2), as the keyboard reports it.
  void OnKeyEvent(int slot, int type);
  void SetScreenColour(const int* values, int count);
  bool StreamsFrames() const;

  // --- Music lighting (the music mode) --------------------------------------------
  // A level set of the music (25 band levels, from the spectra of what the
  // computer plays): kept for the light thread's next step. In the beat
  // style it feeds the beat instead. UI thread.
  void SetAudioLevels(std::span<const int32_t> levels);
  // The style and colours the music mode draws with. UI thread.
  void SetAudioStyle(const AudioLightInfo& info);
  lighting::AudioStyleParams AudioStyle() const;
  const lighting::AudioLevels& AudioLevels() const { return audioLevels_; }
  // One device event (a reader thread).
  void HandleEvent(uint16_t code);

  // --- State --------------------------------------------------------------------
  bool IsFnLayer() const { return fnLayer_; }
  SystemWords Settings() const { return settings_; }
  Block LastBlock() const;
  uint8_t ActiveProfile() const { return activeProfile_; }
  uint8_t PositionToSlot(int position) const;
  uint8_t PositionToLed(int position) const;
  int SlotCount() const { return info_.keyCount; }
  // The macros the keys of the profile use, in the order the device is
  // scanned: positions 0 to 125 that have a key, the normal record, then the
  // Fn record.
  std::vector<int> CollectUsedMacros() const;
  const LightModeList& ModeList() const { return modes_; }
  CKeyboardProfiledata& Profile() { return profile_; }
  // The program-wide pending-reset flag, one value shared by every
  // keyboard: 0x0402 between that event and the next resync of a keyboard.
  static uint16_t PendingReset() { return pendingReset_; }
  static void ClearPendingReset() { pendingReset_ = 0; }

 private:
  struct KeysRead {
    bool infoRead = false;
    protocol::DeviceInfo info;
    bool tableRead = false;
    bool attributesRead = false;
    std::array<uint8_t, kTableSize> table{};
    std::array<uint8_t, kTableSize> attributes{};
  };
  struct BlockRead {
    bool read = false;
    Block block{};
  };
  // Worker side: exchanges only.
  KeysRead ExchangeKeys();
  BlockRead ExchangeBlock();
  // UI side: what the exchanges found.
  bool ApplyKeys(const KeysRead& read);
  keys::KeySlotMap::Slots ReadKnownSlots(int slotCount) const;
  void WriteKnownSlots(const keys::KeySlotMap::Slots& map, int slotCount) const;
  bool ApplyBlock(const BlockRead& read);
  // `base` with every field the program writes set from the current
  // settings (the rest as the device had it).
  Block ComposeBlock(Block base) const;
  // Whether writing the current settings would leave `block` as it is.
  bool HoldsCurrentSettings(const Block& block) const;
  // A block that is not taken into the profile: only the device's own
  // bytes (the base of the next write) and its active slot are kept.
  void KeepDeviceBytes(const Block& block);
  // Whether `read` shows a lost memory; its bytes then kept and the loss
  // reported.
  bool TakeLoss(const BlockRead& read);
  void ScheduleFirstContactRetry();
  void RetryFirstContact();
  void Tell(const std::function<void()>& hook) const {
    if (hook)
      hook();
  }
  void StreamFrame(uint32_t now);

  Listener listener_;
  CKeyboardProfiledata profile_;
  QTimer firstContactRetry_;
  int firstContactDelayMs_ = 0;
  bool keysRead_ = true;
  bool blockRead_ = true;
  bool fnLayer_ = false;
  SystemWords settings_{};
  CBasicProfiledata& KeyProfile() override { return profile_; }
  size_t MacroMemoryBytes() const override { return info_.MacroBytes(); }
  // The information block just read: its key count is the number of slots
  // the light frames stream.
  void AdoptInfo(const protocol::DeviceInfo& info) override;
  protocol::DeviceInfo info_{};
  std::array<uint8_t, kTableSize> keyTable_{};
  std::array<uint8_t, kTableSize> keyAttributes_{};
  // Read by the event readers and the light thread too.
  QString keySlotFile_;
  std::array<std::atomic<uint8_t>, kPositions> positionToSlot_{};
  std::array<std::atomic<uint8_t>, kPositions> positionToLed_{};
  std::atomic<int> streamedSlots_{0};
  std::atomic<uint8_t> activeProfile_{0};
  // The last block read; the profile bytes are also set by the event
  // readers.
  mutable std::mutex blockMutex_;
  Block block_{};
  // The RGB word (protocol::ToRgbWord) per light position.
  std::array<uint32_t, kPositions> customColours_{};
  LightModeList modes_;

  // Effect state: the light thread steps it, key events (reader threads)
  // and profile changes (UI thread) restart or mark it.
  mutable std::mutex effectMutex_;
  lighting::EffectState effect_;
  // The music's level sets, from the UI thread to the light thread (its
  // own lock); the styles in keyEffects_ take them.
  lighting::AudioLevels audioLevels_;
  int audioStyleIndex_ = 0;  // UI thread
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
  uint32_t lastFrame_ = 0;

  static std::atomic<uint16_t> pendingReset_;
};
