#include "AlsaMonitor.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace conflib {

namespace {

// alsa-lib's "no sound at all" level, in hundredths of a dB.
constexpr long kMuteGain = -9999999;
constexpr int kMaxCards = 32;

bool ContainsWord(std::string_view text, std::string_view word) {
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  return std::search(text.begin(), text.end(), word.begin(), word.end(),
                     [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

// The card's simple mixer, open for one call.
class Mixer {
 public:
  explicit Mixer(int card) {
    if (card < 0 || card >= kMaxCards || snd_mixer_open(&mixer_, 0) < 0) {
      mixer_ = nullptr;
      return;
    }
    const std::string name = "hw:" + std::to_string(card);
    if (snd_mixer_attach(mixer_, name.c_str()) < 0 || snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 ||
        snd_mixer_load(mixer_) < 0) {
      snd_mixer_close(mixer_);
      mixer_ = nullptr;
      return;
    }
    element_ = FindMonitorControl();
  }
  ~Mixer() {
    if (mixer_ != nullptr)
      snd_mixer_close(mixer_);
  }
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  snd_mixer_elem_t* Element() const { return element_; }
  std::string Name() const { return element_ != nullptr ? snd_mixer_selem_get_name(element_) : ""; }

 private:
  // The microphone's playback control: "Mic" as USB audio names it, else a
  // "Sidetone", else any playback control that names the microphone.
  snd_mixer_elem_t* FindMonitorControl() const {
    snd_mixer_elem_t* best = nullptr;
    int bestRank = 4;
    for (snd_mixer_elem_t* element = snd_mixer_first_elem(mixer_); element != nullptr;
         element = snd_mixer_elem_next(element)) {
      if (!snd_mixer_selem_is_active(element) || !snd_mixer_selem_has_playback_volume(element))
        continue;
      const std::string_view name = snd_mixer_selem_get_name(element);
      int rank = 4;
      if (name == "Mic")
        rank = 0;
      else if (name == "Sidetone")
        rank = 1;
      else if (ContainsWord(name, "sidetone"))
        rank = 2;
      else if (ContainsWord(name, "mic"))
        rank = 3;
      if (rank < bestRank) {
        best = element;
        bestRank = rank;
      }
    }
    return best;
  }

  snd_mixer_t* mixer_ = nullptr;
  snd_mixer_elem_t* element_ = nullptr;
};

struct RawRange {
  long min = 0;
  long max = 0;
};

bool RawRangeOf(snd_mixer_elem_t* element, RawRange& range) {
  return snd_mixer_selem_get_playback_volume_range(element, &range.min, &range.max) == 0 &&
         range.max > range.min;
}

// The control's range in dB; false when the card does not describe it.
bool DbRangeOf(snd_mixer_elem_t* element, const RawRange& raw, double& min, double& max) {
  long low = 0, high = 0;
  if (snd_mixer_selem_get_playback_dB_range(element, &low, &high) != 0 || high <= low)
    return false;
  // Silence at the bottom step: the range starts at the next one.
  if (low <= kMuteGain && snd_mixer_selem_ask_playback_vol_dB(element, raw.min + 1, &low) != 0)
    return false;
  min = low / 100.0;
  max = high / 100.0;
  return max > min;
}

}  // namespace

bool AlsaMonitor::Range(int card, MonitorRange& range) {
  Mixer mixer(card);
  RawRange raw;
  if (mixer.Element() == nullptr || !RawRangeOf(mixer.Element(), raw))
    return false;
  double min = 0, max = 0;
  if (DbRangeOf(mixer.Element(), raw, min, max)) {
    range = {min, max, (max - min) / double(raw.max - raw.min)};
  } else {
    range = {double(raw.min), double(raw.max), 1.0};
  }
  return true;
}

bool AlsaMonitor::ReadLevel(int card, double& level) {
  Mixer mixer(card);
  RawRange raw;
  if (mixer.Element() == nullptr || !RawRangeOf(mixer.Element(), raw))
    return false;
  double min = 0, max = 0;
  if (DbRangeOf(mixer.Element(), raw, min, max)) {
    long value = 0;
    if (snd_mixer_selem_get_playback_dB(mixer.Element(), SND_MIXER_SCHN_MONO, &value) != 0)
      return false;
    level = value <= kMuteGain ? min : std::clamp(value / 100.0, min, max);
    return true;
  }
  long value = 0;
  if (snd_mixer_selem_get_playback_volume(mixer.Element(), SND_MIXER_SCHN_MONO, &value) != 0)
    return false;
  level = double(std::clamp(value, raw.min, raw.max));
  return true;
}

bool AlsaMonitor::ReadScalar(int card, double& scalar) {
  Mixer mixer(card);
  RawRange raw;
  long value = 0;
  if (mixer.Element() == nullptr || !RawRangeOf(mixer.Element(), raw) ||
      snd_mixer_selem_get_playback_volume(mixer.Element(), SND_MIXER_SCHN_MONO, &value) != 0)
    return false;
  if (remembered_.valid && remembered_.card == card && remembered_.control == mixer.Name() &&
      remembered_.raw == value) {
    scalar = remembered_.scalar;
    return true;
  }
  scalar = std::clamp(double(value - raw.min) / double(raw.max - raw.min), 0.0, 1.0);
  return true;
}

bool AlsaMonitor::WriteScalar(int card, double scalar) {
  Mixer mixer(card);
  RawRange raw;
  if (mixer.Element() == nullptr || !RawRangeOf(mixer.Element(), raw))
    return false;
  scalar = std::clamp(scalar, 0.0, 1.0);
  const long value = raw.min + std::lround(scalar * double(raw.max - raw.min));
  if (snd_mixer_selem_set_playback_volume_all(mixer.Element(), value) != 0)
    return false;
  // What the control took, which a driver may round to its own steps.
  long taken = value;
  snd_mixer_selem_get_playback_volume(mixer.Element(), SND_MIXER_SCHN_MONO, &taken);
  remembered_ = {true, card, mixer.Name(), taken, scalar};
  return true;
}

bool AlsaMonitor::ReadMute(int card, bool& muted) {
  Mixer mixer(card);
  int on = 0;
  if (mixer.Element() == nullptr || !snd_mixer_selem_has_playback_switch(mixer.Element()) ||
      snd_mixer_selem_get_playback_switch(mixer.Element(), SND_MIXER_SCHN_MONO, &on) != 0)
    return false;
  muted = on == 0;
  return true;
}

bool AlsaMonitor::WriteMute(int card, bool muted) {
  Mixer mixer(card);
  return mixer.Element() != nullptr && snd_mixer_selem_has_playback_switch(mixer.Element()) &&
         snd_mixer_selem_set_playback_switch_all(mixer.Element(), muted ? 0 : 1) == 0;
}

int AlsaMonitor::FindUsbCard(uint16_t vendor, uint16_t product) {
  for (int card = 0; card < kMaxCards; ++card) {
    const std::string path = "/proc/asound/card" + std::to_string(card) + "/usbid";
    FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr)
      continue;
    unsigned foundVendor = 0, foundProduct = 0;
    const bool read = std::fscanf(file, "%4x:%4x", &foundVendor, &foundProduct) == 2;
    std::fclose(file);
    if (read && foundVendor == vendor && foundProduct == product)
      return card;
  }
  return -1;
}

}  // namespace conflib
