#pragma once

#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>

#include "devicecore/DeviceCore.h"
#include "lighting/EffectState.h"
#include "lighting/EffectStepPlayer.h"
#include "lighting/LightListPlayer.h"
#include "lighting/LightModeList.h"
#include "profiles/CBasicProfiledata.h"
#include "protocol/ParameterBlocks.h"

// A device whose only settings are its lighting in a 21-byte block (the
// mouse pad; the headset's lighting side): the block as read, the profile's
// lighting, and the light effects. The block's bytes 0, 4 and 9..20 are the
// device's own and go back as read.
class PadCore : public DeviceCore {
  Q_OBJECT
 public:
  using Block = protocol::PadParameters::Bytes;
  static constexpr uint16_t kEventResync = 0x0401;
  // The pause between a resync event and the read it asks for.
  static constexpr int kResyncDelayMs = 500;

  // `kind`: the effect table (lighting::kKindMousePad or kKindHeadset);
  // `profile`: the profile object of the kind (a plain one when none).
  explicit PadCore(int kind = 3, std::unique_ptr<CBasicProfiledata> profile = nullptr);
  ~PadCore() override;

  struct Listener {
    // The block was read again after the device asked: its active slot.
    std::function<void(int slot)> resynced;
    std::function<void()> lightModeChanged;
  };
  void SetListener(Listener listener) { listener_ = std::move(listener); }

  // --- Files and profile (UI thread) -----------------------------------------
  void SetProfileFiles(const QString& defaultProfile, const QString& profile,
                       const QString& lightConfig);
  void LoadLightLists(const QString& modeFile, int tableIndex);
  virtual void LoadProfileState();
  void ApplyProfile();
  virtual void ResetToDefaults();
  void SaveProfile();
  void SetLightInfo(const LightWords& words);
  CBasicProfiledata& Profile() { return *profile_; }

  // --- Exchanges ---------------------------------------------------------------
  // The information block and the active slot's block; the profile is loaded
  // in between. `done` gets whether the block was read.
  void ReadFirstContact(std::function<void(bool)> done = {});
  // The active slot's 21 bytes at slot × 64; nothing changes on a failure.
  // `done` gets the active slot, or -1.
  bool SyncFromDevice(std::function<void(int)> done = {}, const std::string& key = {});
  // The block with the profile's lighting into slot `slot`; `done` gets 1
  // when written (0 when not: a closed channel writes nothing).
  void WriteParameterBlock(int slot, std::function<void(int)> done = {});
  void CheckStoredSettings(std::function<void(Stored)> done = {}) override;

  // --- Light effects -------------------------------------------------------------
  void StartLightThread();
  virtual void LightPass();
  void OnLightModeChanged();
  void HandleEvent(uint16_t code);

  Block LastBlock() const;
  uint8_t ActiveSlot() const { return activeSlot_; }
  const LightModeList& ModeList() const { return modes_; }

 protected:
  // `base` with the lighting of the current settings (the device's own bytes
  // as they are), and whether a write would leave `block` as it is.
  Block ComposeBlock(Block base) const;
  bool HoldsCurrentSettings(const Block& block) const { return ComposeBlock(block) == block; }
  void KeepDeviceBytes(const Block& block);
  // Whether the first contact reads the information block first (the pad).
  void SetReadsInformationBlock(bool reads) { readsInformationBlock_ = reads; }

 private:
  struct BlockRead {
    bool read = false;
    Block block{};
  };
  // Whether `read` shows a lost memory; its bytes then kept and the loss
  // reported.
  bool TakeLoss(const BlockRead& read);
  BlockRead ExchangeBlock();
  bool ApplyBlock(const BlockRead& read);

  const int kind_;
  Listener listener_;
  std::unique_ptr<CBasicProfiledata> profile_;
  QTimer resyncTimer_;
  std::atomic<uint8_t> activeSlot_{0};
  mutable std::mutex blockMutex_;
  Block block_{};
  LightModeList modes_;

  mutable std::mutex effectMutex_;
  lighting::EffectState effect_;
  mutable std::mutex listMutex_;
  lighting::LightListPlayer lightList_;
  std::mutex stepMutex_;
  lighting::EffectStepPlayer userSteps_;
  uint32_t tickCounter_ = 0;
  bool readsInformationBlock_ = true;
};
