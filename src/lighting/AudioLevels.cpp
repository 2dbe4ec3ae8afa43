#include "lighting/AudioLevels.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <utility>

namespace lighting {
using std::size_t;

int AudioLevels::Quietness(int64_t level) {
  constexpr int64_t kFullLevel = 2000;
  constexpr int64_t kOverScale = 500;
  const int64_t scaled = std::max<int64_t>(level, 0) * kSilence / kFullLevel;
  return static_cast<int>(scaled > kSilence ? kOverScale : kSilence - scaled);
}

bool AudioLevels::AddSpectrum(std::span<const int32_t> spectrum) {
  std::array<int32_t, kSpectrumBins> flux{};
  for (size_t j = 0; j < previous_.size(); ++j) {
    const int32_t value = j < spectrum.size() ? std::clamp(spectrum[j], 0, kMaxMagnitude) : 0;
    flux[j] = std::abs(value - previous_[j]);
    previous_[j] = value;
  }
  for (size_t b = 0; b < means_.size(); ++b) {
    int32_t sum = 0;
    for (size_t j = 0; j < kBinsPerBand; ++j) sum += flux[b * kBinsPerBand + j];
    means_[b] = (means_[b] + sum) / kBinsPerBand;
  }
  if (++spectraCounted_ < kSpectraPerSet) return false;
  spectraCounted_ = 0;
  SetAudioLevels(means_);
  return true;
}

void AudioLevels::SetAudioLevels(std::span<const int32_t> levels) {
  Levels set{};
  std::copy_n(levels.begin(), std::min(levels.size(), set.size()), set.begin());

  if (!BeatStyle()) {
    const std::lock_guard<std::mutex> hold(lock_);
    latest_ = set;
    fresh_ = true;
    return;
  }

  int64_t quiet = 0;
  for (const int32_t level : set) quiet += Quietness(level);
  const int64_t average = quiet / kBandCount;
  beat_ += static_cast<int>(kBandCount - average * kBandCount / kSilence);
  const bool origin = beat_ >= kBeatThreshold;
  if (origin) beat_ = 0;

  const std::lock_guard<std::mutex> hold(lock_);
  latest_ = {};
  fresh_ = false;
  waveOrigin_ = waveOrigin_ || origin;
}

void AudioLevels::Reset() {
  previous_ = {};
  means_ = {};
  spectraCounted_ = 0;
  beat_ = 0;
  const std::lock_guard<std::mutex> hold(lock_);
  latest_ = {};
  fresh_ = false;
  waveOrigin_ = false;
}

bool AudioLevels::TakeLevels(Levels& out) {
  const std::lock_guard<std::mutex> hold(lock_);
  out = latest_;
  latest_ = {};
  return std::exchange(fresh_, false);
}

bool AudioLevels::TakeWaveOrigin() {
  const std::lock_guard<std::mutex> hold(lock_);
  return std::exchange(waveOrigin_, false);
}

}  // namespace lighting
