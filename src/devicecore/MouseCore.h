#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "devicecore/KeyedDeviceCore.h"
#include "lighting/EffectState.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/LightListPlayer.h"
#include "lighting/LightModeList.h"
#include "mouse/DpiSteps.h"
#include "mouse/MouseBlock.h"
#include "mouse/MouseButtonMap.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/KeyListEntry.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"

// The mouse without its page: its buttons (which key-table slot is which
// button), its 71-byte parameter block, its profile with the DPI stages,
// report rate and pointer settings, and its light effects.
//
// Every exchange runs on the device's worker; the state here changes on the
// UI thread, in the completions, except what the event readers and the
// light thread share (atomics and the locks below).
class MouseCore : public KeyedDeviceCore {
  Q_OBJECT
 public:
  static constexpr int kButtons = mouse::kButtons;
  static constexpr int kStages = mouse::kStages;
  static constexpr int kReportRates = 5;
  // Device events.
  static constexpr uint16_t kEventResync = 0x0401;
  static constexpr uint16_t kEventChanged = 0x0402;
  static constexpr uint16_t kEventTrigger = 0x0403;
  // The pause between a resync event and the read it asks for.
  static constexpr int kResyncDelayMs = 50;
  // The mode list position whose effect reacts to the mouse's trigger.
  static constexpr int kReactiveModePosition = 6;

  using Block = protocol::MouseParameters::Bytes;
  using SystemWords = CMouseProfiledata::SystemWords;

  MouseCore();
  ~MouseCore() override;

  // What the page is told, on the UI thread.
  struct Listener {
    // The state changed (a read, an event): show it again.
    std::function<void()> viewChanged;
    // The lighting mode changed or started afresh.
    std::function<void()> lightModeChanged;
  };
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // --- Files and profile (UI thread) -----------------------------------------
  void SetProfileFiles(const QString& defaultProfile, const QString& profile,
                       const QString& lightConfig);
  void LoadLightLists(const QString& modeFile, int tableIndex, const QString& macroListFile);
  // Loads the profile file: buttons, lighting, DPI stages, settings words.
  void LoadProfileState();
  void ApplyProfile();
  void ResetToDefaults();
  void SaveProfile();
  void SetLightInfo(const LightWords& words);

  // DPI stages, active stage and settings words: kept here and in the
  // profile (the file is written by SaveProfile).
  const std::vector<DpiStage>& Stages() const { return stages_; }
  // Stage `index`, created (zeros) with those before it when missing.
  DpiStage& Stage(int index);
  void StoreStages();
  int ActiveStage() const { return activeStage_; }
  void SetActiveStage(int stage);
  SystemWords System() const { return system_; }
  void SetSystem(const SystemWords& words);
  // The report-rate index: the high half of the third settings word.
  int ReportRate() const { return static_cast<int>(system_[2] >> 16); }
  void SetReportRate(int index);
  mouse::SensorParameters Sensor() const { return mouse::SensorParameters::FromInfo(info_); }

  // --- Exchanges (queued; results on the UI thread) ----------------------------
  // The first contact: information block, key table and the active slot's
  // block; the profile is loaded in between, as the block overrides its
  // lighting and active stage. `done` gets whether everything was read.
  void ReadFirstContact(std::function<void(bool)> done = {});
  bool FirstContactComplete() const { return keysRead_ && blockRead_; }
  // Reads the active slot's block into the lighting and the active stage;
  // on any failure nothing changes. `done` gets whether it was read. With
  // a key, false (and nothing queued) while a read of that key is on its
  // way.
  bool SyncFromDevice(std::function<void(bool)> done = {}, const std::string& key = {});
  // The block built from the profile into slot `slot`. `done` gets 1 when
  // written; a wireless mouse that does not answer is not written.
  void WriteParameterBlock(int slot, const mouse::BlockFrame& frame, std::function<void(int)> done = {});
  void CheckStoredSettings(std::function<void(Stored)> done = {}) override;
  // The buttons' functions into the key table, macros renumbered to their
  // place in the last image sent.
  void WriteKeyTables(int arg, std::vector<KeyListEntry> list, std::function<void(int)> done = {});
  // The recoil patterns' image into the mouse's recoil memory. A wireless
  // mouse that is not on gets nothing (and `done` 0, which is not a fault
  // to show); otherwise its information block is read again, then the
  // image goes in one transfer. `done` gets 1 when every command was
  // answered.
  void DownloadRecoil(std::vector<uint8_t> image, std::function<void(int)> done = {});
  // The macros the buttons use, in button order (normal records only).
  std::vector<int> CollectUsedMacros() const;

  // --- Light effects -------------------------------------------------------------
  void StartLightThread();
  void LightPass();
  int IdleSteps() const;
  void OnLightModeChanged();
  // One device event (a reader thread).
  void HandleEvent(uint16_t code);

  // --- State --------------------------------------------------------------------
  uint8_t ButtonSlot(int button) const;
  const protocol::DeviceInfo& Info() const { return info_; }
  Block LastBlock() const;
  uint8_t ActiveSlot() const { return activeSlot_; }
  const LightModeList& ModeList() const { return modes_; }
  CMouseProfiledata& Profile() { return profile_; }

 private:
  struct KeysRead {
    bool infoRead = false;
    protocol::DeviceInfo info;
    bool tableRead = false;
    std::array<uint8_t, protocol::kKeyTableBytes> table{};
  };
  struct BlockRead {
    bool read = false;
    Block block{};
  };
  CBasicProfiledata& KeyProfile() override { return profile_; }
  size_t MacroMemoryBytes() const override { return info_.MacroBytes(); }
  void AdoptInfo(const protocol::DeviceInfo& info) override { info_ = info; }
  KeysRead ExchangeKeys();
  BlockRead ExchangeBlock();
  bool ApplyKeys(const KeysRead& read);
  bool ApplyBlock(const BlockRead& read);
  // Whether the block holds the current lighting, DPI stages and active
  // stage (what a write of the current settings would put there).
  bool HoldsCurrentSettings(const Block& block) const;
  // A block that is not taken into the profile: only the device's bytes and
  // its active slot are kept.
  void KeepDeviceBytes(const Block& block);
  // Whether `read` shows a lost memory; its bytes then kept and the loss
  // reported.
  bool TakeLoss(const BlockRead& read);
  void Tell(const std::function<void()>& hook) const {
    if (hook)
      hook();
  }

  Listener listener_;
  CMouseProfiledata profile_;
  QTimer resyncTimer_;
  bool keysRead_ = false;
  bool blockRead_ = false;
  std::vector<DpiStage> stages_;
  int activeStage_ = 0;
  SystemWords system_{};
  protocol::DeviceInfo info_{};
  std::array<uint8_t, protocol::kKeyTableBytes> keyTable_{};
  std::array<std::atomic<uint8_t>, kButtons> buttonSlots_{};
  std::atomic<uint8_t> activeSlot_{0};
  // The last block read, and the first 21 bytes of the one before; the
  // event readers set the active slot and stage in it.
  mutable std::mutex blockMutex_;
  Block block_{};
  std::array<uint8_t, 21> previousBlock_{};
  LightModeList modes_;

  // Effect state: the light thread steps it, the trigger event (a reader
  // thread) and profile changes (UI thread) restart it.
  mutable std::mutex effectMutex_;
  lighting::EffectState effect_;
  std::minstd_rand random_;
  mutable std::mutex listMutex_;
  lighting::LightListPlayer lightList_;
  std::mutex stepMutex_;
  lighting::EffectStepPlayer userSteps_;
  uint32_t tickCounter_ = 0;
};
