#pragma once

#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devicecore/PadCore.h"
#include "headset/AudioLibrary.h"
#include "headset/HeadsetStateReader.h"
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
//
// The audio side goes through the audio library, which only the worker
// calls: each operation changes the state and the profile on the UI thread
// (where the outcome of the write does not matter) and queues the library
// calls; where it does (microphone and monitoring), the state and profile
// change in the completion, when the library took the write.
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
  const headset::AudioSwitches& Switches() const { return switches_; }

  // --- The audio library ------------------------------------------------------
  // Loads and initialises the library at `path` on the worker; `done` gets
  // what the initialisation reported (nothing loaded when it is missing).
  using InitDone = std::function<void(const headset::AudioLibrary::InitReport&)>;
  void InitialiseAudio(const std::string& path, const std::string& stateFile, InitDone done);
  // Reads the microphone, monitoring and voice-changer state from the
  // library over the profile's (the endpoints are looked for again first:
  // the sound card may have come since). `done` runs once it is applied.
  void ReadAudioFromLibrary(std::function<void()> done = {});
  bool HasAudioDevice() const { return audioDevice_; }

  // --- Headset-only operations (UI thread) --------------------------------------
  // A fixed preset (1..12): its bands are written and shown; false for any
  // other number.
  bool ApplyEqPreset(int type);
  // The custom equaliser chosen (its curve is then selected by the caller).
  void ChooseCustomEq();
  // Custom curve `index` becomes the equaliser; false when there is none.
  bool SelectCustomEq(int index);
  // One band written as moved; nothing is stored until a curve is saved.
  void WriteBand(int band, int value);
  enum class SaveResult { Nothing, Duplicate, Saved };
  // Saves `bands` as the selected curve (`selected`, empty name) or as a new
  // curve named `name` (at most kMaxCustomEqSlots; a name already there, in
  // any case, is refused). `savedIndex` gets the curve's index.
  SaveResult SaveCustomEq(const QString& name, int selected, const std::vector<int>& bands,
                          int& savedIndex);
  // Deletes curve `index`; the curves after it move down with their bands.
  // With none left the equaliser returns to preset 1. False when there is
  // no such curve.
  bool DeleteCustomEq(int index);
  // The microphone and its monitoring: muted or not, and the volume 0..100.
  // `done` gets whether the library took it (the state and profile change
  // only then).
  enum class Input { Microphone, Monitor };
  void SetMuted(Input input, bool muted, std::function<void(bool)> done = {});
  void SetVolume(Input input, int value, std::function<void(bool)> done = {});
  void SetVoiceChanger(bool on);
  // Voice 1..4; false for any other.
  bool SelectVoice(int voice);

  void LightPass() override;
  bool PowerNeedsWirelessLink() const override { return false; }

  // Frames sent whole, and reports the node did not take (dropped).
  uint32_t FramesSent() const { return framesSent_; }
  uint32_t ReportsDropped() const { return reportsDropped_; }

 private:
  void ReadAudioState();
  // The state into the profile, and the profile saved.
  void StoreState();
  // Queues library calls; they run only with a library and a device.
  void PostAudio(std::function<void(headset::AudioLibrary&)> calls);
  void PostAudioWrite(std::function<bool(headset::AudioLibrary&)> write,
                      std::function<void(bool)> done);
  void WriteCurve(const std::vector<int>& bands);
  // Light thread: the frame when its time has come.
  void SendLightReports(uint32_t now);

  // Used on the worker only.
  std::unique_ptr<headset::AudioLibrary> library_;
  bool audioDevice_ = false;
  headset::AudioSwitches switches_;
  HeadsetSystem state_;
  std::vector<int> eqValues_;
  QStringList customEqNames_;
  bool frameScheduled_ = false;
  uint32_t nextFrame_ = 0;
  std::atomic<uint32_t> framesSent_{0};
  std::atomic<uint32_t> reportsDropped_{0};
};
