#pragma once

#include "headset/AudioLibrary.h"
#include "profiles/HeadsetSystem.h"

namespace headset {

// What the library says of the microphone and its monitoring beyond the
// headset state.
struct AudioSwitches {
  bool microphoneMuted = false;
  bool monitorMuted = false;
  bool hasMonitor = false;
};

// Reads the headset's microphone, monitoring and voice-changer state from
// the library into `state` and `switches`. A read that fails leaves its
// value as it was; without a monitor ("GetAAMaxVol" fails) no monitor value
// is read. Volumes become slider positions 0..100, rounded.
void ReadHeadsetState(AudioLibrary& library, HeadsetSystem& state, AudioSwitches& switches);

// A 0..1 volume as a slider position, rounded and held to 0..100.
int VolumeToSlider(double scalar);

}  // namespace headset
