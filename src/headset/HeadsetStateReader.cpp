#include "headset/HeadsetStateReader.h"

#include <algorithm>
#include <cmath>

namespace headset {

namespace {

using Flow = AudioLibrary::Flow;
using Parameter = AudioLibrary::Parameter;
constexpr int kVoices = 4;

}  // namespace

int VolumeToSlider(double scalar) {
  if (!std::isfinite(scalar))
    return 0;
  return static_cast<int>(std::lround(std::clamp(scalar, 0.0, 1.0) * 100.0));
}

void ReadHeadsetState(AudioLibrary& library, HeadsetSystem& state, AudioSwitches& switches) {
  // The range and level are asked for as the library expects, not kept.
  library.ReadVolume(Flow::Capture, u"GetMaxVol");
  library.ReadVolume(Flow::Capture, u"GetMinVol");
  library.ReadVolume(Flow::Capture, u"GetVolStep");
  library.ReadVolume(Flow::Capture, u"VolumeControl", Parameter{-1});
  if (const auto muted = library.ReadInt(Flow::Capture, u"MuteControl")) {
    switches.microphoneMuted = *muted != 0;
    state.MicInSelect = switches.microphoneMuted ? 0 : 1;
  }
  if (const auto volume = library.ReadVolume(Flow::Capture, u"VolumeScalarControl", Parameter{-1}))
    state.MicInValue = VolumeToSlider(*volume);

  switches.hasMonitor = library.ReadVolume(Flow::Capture, u"GetAAMaxVol").has_value();
  if (switches.hasMonitor) {
    library.ReadVolume(Flow::Capture, u"GetAAMinVol");
    library.ReadVolume(Flow::Capture, u"GetAAVolStep");
    library.ReadVolume(Flow::Capture, u"AAVolumeControl", Parameter{0});
    if (const auto muted = library.ReadInt(Flow::Capture, u"AAMuteControl")) {
      switches.monitorMuted = *muted != 0;
      state.MicMonitorSelect = switches.monitorMuted ? 0 : 1;
    }
    if (const auto volume =
            library.ReadVolume(Flow::Capture, u"AAVolumeScalarControl", Parameter{0}))
      state.MicMonitorValue = VolumeToSlider(*volume);
  }
  // The equaliser shown comes from the profile; its bands are only read.
  static const std::u16string_view kBands[] = {
      u"EQ_Slider1", u"EQ_Slider2", u"EQ_Slider3", u"EQ_Slider4", u"EQ_Slider5",
      u"EQ_Slider6", u"EQ_Slider7", u"EQ_Slider8", u"EQ_Slider9", u"EQ_Slider10"};
  for (std::u16string_view band : kBands)
    library.ReadInt(Flow::Render, band);
  if (library.HasVoiceChanger())
    if (const auto enabled = library.ReadInt(Flow::Capture, u"Enable_MAGICVOICE"))
      state.MagicEnable = *enabled != 0 ? 1 : 0;
  if (const auto voice = library.ReadInt(Flow::Capture, u"MagicVoice_Selection");
      voice && *voice >= 0 && *voice < kVoices)
    state.MagicType = *voice + 1;
}

}  // namespace headset
