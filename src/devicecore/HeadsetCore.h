#pragma once

#include <QStringList>
#include <atomic>
#include <cstdint>
#include <vector>

#include "devicecore/PadCore.h"
#include "profiles/CRo6533Profiledata.h"
#include "profiles/HeadsetSystem.h"

// The headset without its page: the lighting side it shares with the mouse
// pad (a 21-byte block at slot × 64), its live light reports, its power
// status, and the audio state its profile keeps.
//
// The light thread sends the frame itself: twelve output reports every
// kFrameIntervalMs while the program controls the lights and the channel is
// open, whether the page draws its own effect or follows the same mode. A
// report the node does not take at once is dropped, never queued.
class HeadsetCore : public PadCore {
  Q_OBJECT
 public:
  static constexpr int kFrameIntervalMs = 50;

  HeadsetCore();
  ~HeadsetCore() override;

  CRo6533Profiledata& HeadsetProfile() { return static_cast<CRo6533Profiledata&>(Profile()); }

  // The profile's lighting and its audio state (UI thread).
  void LoadProfileState() override;
  void ResetToDefaults() override;
  // The audio state of the profile, the equaliser bands it selects (the
  // custom curve of CustomEqSelectIndex for the custom equaliser, else the
  // preset's) and the names of the custom curves.
  const HeadsetSystem& State() const { return state_; }
  const std::vector<int>& EqValues() const { return eqValues_; }
  const QStringList& CustomEqNames() const { return customEqNames_; }

  void LightPass() override;
  bool PowerNeedsWirelessLink() const override { return false; }

  // Frames sent whole, and reports the node did not take (dropped).
  uint32_t FramesSent() const { return framesSent_; }
  uint32_t ReportsDropped() const { return reportsDropped_; }

 private:
  void ReadAudioState();
  // Light thread: the frame when its time has come.
  void SendLightReports(uint32_t now);

  HeadsetSystem state_;
  std::vector<int> eqValues_;
  QStringList customEqNames_;
  bool frameScheduled_ = false;
  uint32_t nextFrame_ = 0;
  std::atomic<uint32_t> framesSent_{0};
  std::atomic<uint32_t> reportsDropped_{0};
};
