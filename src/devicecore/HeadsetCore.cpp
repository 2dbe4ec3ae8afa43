#include "devicecore/HeadsetCore.h"

#include <algorithm>

#include "devicecore/DeviceLedCanvas.h"
#include "headset/EqPresets.h"
#include "lighting/HeadsetReports.h"
#include "lighting/LightPanelLayout.h"
#include "platform/TickClock.h"

HeadsetCore::HeadsetCore()
    : PadCore(lighting::kKindHeadset, std::make_unique<CRo6533Profiledata>()) {
  SetLightThreadStyle("MS灯光线程设定退出", 1000);
  SetEventThreadStyle("MS设备同步线程设定退出", 1000);
  // The headset's first contact reads its block only.
  SetReadsInformationBlock(false);
}

HeadsetCore::~HeadsetCore() {
  StopWorker();
  StopThreads();
}

void HeadsetCore::LoadProfileState() {
  PadCore::LoadProfileState();
  ReadAudioState();
}

void HeadsetCore::ResetToDefaults() {
  PadCore::ResetToDefaults();
  ReadAudioState();
}

void HeadsetCore::ReadAudioState() {
  CRo6533Profiledata& profile = HeadsetProfile();
  state_ = profile.GetHeadsetSystem();
  customEqNames_ = profile.GetCustomEqNames();
  // A file's custom index names one of its curves, or the first.
  if (state_.CustomEqSelectIndex < 0 || state_.CustomEqSelectIndex >= customEqNames_.size() ||
      state_.CustomEqSelectIndex >= CRo6533Profiledata::kMaxCustomEqSlots)
    state_.CustomEqSelectIndex = 0;
  eqValues_ = state_.EqType == CRo6533Profiledata::kCustomEqType
                  ? profile.GetCustomEqValues(state_.CustomEqSelectIndex)
                  : profile.GetEqValues(state_.EqType);
}

void HeadsetCore::LightPass() {
  PadCore::LightPass();
  SendLightReports(platform::TickCount());
}

void HeadsetCore::SendLightReports(uint32_t now) {
  if (!IsLightControlEnabled() || !Commands.IsOpen) {
    frameScheduled_ = false;
    return;
  }
  // Frames keep their 50 ms rhythm on average although the passes come in
  // steps of the tick count; after a long gap the rhythm starts again.
  if (frameScheduled_ && static_cast<int32_t>(now - nextFrame_) < 0)
    return;
  if (!frameScheduled_ || static_cast<int32_t>(now - nextFrame_) > 4 * kFrameIntervalMs)
    nextFrame_ = now;
  nextFrame_ += kFrameIntervalMs;
  frameScheduled_ = true;

  const DeviceLedCanvas canvas(*this);
  const auto reports = lighting::HeadsetLightReports(canvas);
  uint32_t dropped = 0;
  for (const lighting::HeadsetReport& report : reports)
    if (Commands.SendOutputReport(report) != hid::kResultSuccess)
      ++dropped;
  if (dropped == 0)
    ++framesSent_;
  reportsDropped_ += dropped;
}

// --- Audio -------------------------------------------------------------------

namespace {

using Flow = headset::AudioLibrary::Flow;
using Parameter = headset::AudioLibrary::Parameter;

const std::u16string_view kBandProperties[] = {
    u"EQ_Slider1", u"EQ_Slider2", u"EQ_Slider3", u"EQ_Slider4", u"EQ_Slider5",
    u"EQ_Slider6", u"EQ_Slider7", u"EQ_Slider8", u"EQ_Slider9", u"EQ_Slider10"};

}  // namespace

void HeadsetCore::InitialiseAudio(const std::string& path, const std::string& stateFile,
                                  InitDone done) {
  Run<headset::AudioLibrary::InitReport>(
      [this, path, stateFile] {
        if (!library_) {
          library_ = std::make_unique<headset::AudioLibrary>();
          library_->Load(path, stateFile);
        }
        return library_->Initialise();
      },
      [this, done = std::move(done)](const headset::AudioLibrary::InitReport& report) {
        audioDevice_ = report.hasDevice;
        if (done)
          done(report);
      },
      "audio-init");
}

void HeadsetCore::ReadAudioFromLibrary(std::function<void()> done) {
  struct Read {
    bool device = false;
    HeadsetSystem state;
    headset::AudioSwitches switches;
  };
  Run<Read>(
      [this, state = state_, switches = switches_] {
        Read read{false, state, switches};
        if (library_ && library_->IsLoaded() && library_->SelectEndpoints()) {
          read.device = true;
          headset::ReadHeadsetState(*library_, read.state, read.switches);
        }
        return read;
      },
      [this, done = std::move(done)](const Read& read) {
        audioDevice_ = read.device;
        if (read.device) {
          // The library's microphone, monitoring and voice changer win over
          // the profile's; the equaliser stays the profile's.
          state_.MicInSelect = read.state.MicInSelect;
          state_.MicInValue = read.state.MicInValue;
          state_.MicMonitorSelect = read.state.MicMonitorSelect;
          state_.MicMonitorValue = read.state.MicMonitorValue;
          state_.MagicEnable = read.state.MagicEnable;
          state_.MagicType = read.state.MagicType;
          switches_ = read.switches;
        }
        if (done)
          done();
      },
      "audio-read");
}

void HeadsetCore::PostAudio(std::function<void(headset::AudioLibrary&)> calls) {
  Post([this, calls = std::move(calls)]() -> platform::SerialWorker::Completion {
    if (library_ && library_->HasDevice())
      calls(*library_);
    return {};
  });
}

void HeadsetCore::PostAudioWrite(std::function<bool(headset::AudioLibrary&)> write,
                                 std::function<void(bool)> done) {
  Run<bool>(
      [this, write = std::move(write)] {
        return library_ && library_->HasDevice() && write(*library_);
      },
      std::move(done));
}

void HeadsetCore::StoreState() {
  HeadsetProfile().SetHeadsetSystem(state_);
  SaveProfile();
}

void HeadsetCore::WriteCurve(const std::vector<int>& bands) {
  PostAudio([bands](headset::AudioLibrary& library) {
    library.WriteInt(Flow::Render, u"Enable_EQ_GFX", 1);
    for (size_t i = 0; i < bands.size() && i < std::size(kBandProperties); ++i)
      library.WriteInt(Flow::Render, kBandProperties[i], bands[i]);
  });
}

bool HeadsetCore::ApplyEqPreset(int type) {
  const auto preset = headset::EqPreset(type);
  if (!preset)
    return false;
  eqValues_.assign(preset->begin(), preset->end());
  WriteCurve(eqValues_);
  state_.EqType = type;
  StoreState();
  return true;
}

void HeadsetCore::ChooseCustomEq() {
  state_.EqType = CRo6533Profiledata::kCustomEqType;
  // Stored with the curve that is selected next; saved now as it stands.
  HeadsetProfile().SetHeadsetSystem(state_);
  SaveProfile();
}

bool HeadsetCore::SelectCustomEq(int index) {
  if (index < 0 || index >= customEqNames_.size())
    return false;
  eqValues_ = HeadsetProfile().GetCustomEqValues(index);
  WriteCurve(eqValues_);
  state_.CustomEqSelectIndex = index;
  StoreState();
  return true;
}

void HeadsetCore::WriteBand(int band, int value) {
  if (band < 0 || band >= static_cast<int>(std::size(kBandProperties)))
    return;
  PostAudio([band, value](headset::AudioLibrary& library) {
    library.WriteInt(Flow::Render, kBandProperties[band], value);
  });
}

HeadsetCore::SaveResult HeadsetCore::SaveCustomEq(const QString& name, int selected,
                                                  const std::vector<int>& bands, int& savedIndex) {
  savedIndex = -1;
  if (bands.size() < static_cast<size_t>(CRo6533Profiledata::kEqBands))
    return SaveResult::Nothing;
  if (name.isEmpty()) {
    if (selected < 0 || selected >= customEqNames_.size())
      return SaveResult::Nothing;
    eqValues_ = bands;
    HeadsetProfile().SetCustomEqValues(selected, bands);
    state_.CustomEqSelectIndex = selected;
    StoreState();
    savedIndex = selected;
    return SaveResult::Saved;
  }
  if (customEqNames_.size() >= CRo6533Profiledata::kMaxCustomEqSlots)
    return SaveResult::Nothing;
  for (const QString& existing : customEqNames_)
    if (existing.compare(name, Qt::CaseInsensitive) == 0)
      return SaveResult::Duplicate;
  customEqNames_.append(name);
  savedIndex = static_cast<int>(customEqNames_.size()) - 1;
  eqValues_ = bands;
  HeadsetProfile().SetCustomEqValues(savedIndex, bands);
  HeadsetProfile().SetCustomEqNames(customEqNames_);
  state_.CustomEqSelectIndex = savedIndex;
  // The new curve is the equaliser now.
  state_.EqType = CRo6533Profiledata::kCustomEqType;
  StoreState();
  return SaveResult::Saved;
}

bool HeadsetCore::DeleteCustomEq(int index) {
  if (index < 0 || index >= customEqNames_.size())
    return false;
  CRo6533Profiledata& profile = HeadsetProfile();
  // The bands move down with their names.
  for (int slot = index; slot + 1 < customEqNames_.size(); ++slot)
    profile.SetCustomEqValues(slot, profile.GetCustomEqValues(slot + 1));
  customEqNames_.removeAt(index);
  profile.SetCustomEqNames(customEqNames_);
  if (customEqNames_.isEmpty()) {
    state_.EqType = 1;
    eqValues_ = profile.GetEqValues(1);
  } else {
    state_.CustomEqSelectIndex = 0;
    eqValues_ = profile.GetCustomEqValues(0);
  }
  // The headset plays what the panel now shows, not the deleted curve.
  WriteCurve(eqValues_);
  StoreState();
  return true;
}

void HeadsetCore::SetMuted(Input input, bool muted, std::function<void(bool)> done) {
  const bool monitor = input == Input::Monitor;
  const std::u16string_view property = monitor ? u"AAMuteControl" : u"MuteControl";
  PostAudioWrite(
      [property, muted](headset::AudioLibrary& library) {
        return library.WriteInt(Flow::Capture, property, muted ? 1 : 0);
      },
      [this, monitor, muted, done = std::move(done)](bool ok) {
        if (ok) {
          (monitor ? switches_.monitorMuted : switches_.microphoneMuted) = muted;
          (monitor ? state_.MicMonitorSelect : state_.MicInSelect) = muted ? 0 : 1;
          StoreState();
        }
        if (done)
          done(ok);
      });
}

void HeadsetCore::SetVolume(Input input, int value, std::function<void(bool)> done) {
  value = std::clamp(value, 0, 100);
  const bool monitor = input == Input::Monitor;
  PostAudioWrite(
      [monitor, value](headset::AudioLibrary& library) {
        // The monitor's scalar goes to channel 0 and its level is read from
        // channel 1; the microphone's both on every channel (-1).
        const float scalar = static_cast<float>(value) / 100.0f;
        if (!library.WriteVolume(Flow::Capture,
                                 monitor ? u"AAVolumeScalarControl" : u"VolumeScalarControl",
                                 scalar, Parameter{monitor ? 0 : -1}))
          return false;
        library.ReadVolume(Flow::Capture, monitor ? u"AAVolumeControl" : u"VolumeControl",
                           Parameter{monitor ? 1 : -1});
        return true;
      },
      [this, monitor, value, done = std::move(done)](bool ok) {
        if (ok) {
          (monitor ? state_.MicMonitorValue : state_.MicInValue) = value;
          StoreState();
        }
        if (done)
          done(ok);
      });
}

void HeadsetCore::SetVoiceChanger(bool on) {
  PostAudio([on](headset::AudioLibrary& library) {
    library.WriteInt(Flow::Capture, u"Enable_MAGICVOICE", on ? 1 : 0);
    if (on)
      library.WriteInt(Flow::Capture, u"Enable_MICECHO", 0);
  });
  state_.MagicEnable = on ? 1 : 0;
  StoreState();
}

bool HeadsetCore::SelectVoice(int voice) {
  if (voice < 1 || voice > 4)
    return false;
  PostAudio([voice](headset::AudioLibrary& library) {
    library.WriteInt(Flow::Capture, u"MagicVoice_Selection", voice - 1);
  });
  state_.MagicType = voice;
  StoreState();
  return true;
}
