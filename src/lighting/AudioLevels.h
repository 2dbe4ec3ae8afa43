#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

// The keyboard's band levels for the music lighting, from the spectra that
// reach the UI thread to the light thread that draws them.
//
// Feeding side (the UI thread, or whichever single thread receives the
// spectra): AddSpectrum takes each spectrum once. The flux (how much each bin
// changed since the previous spectrum) is summed over 25 bands of 20 bins,
// and each band's running mean becomes (mean + sum) / 20, so in silence, or
// under a steady tone, the means fall by a factor 20 per spectrum. Every
// third spectrum the 25 means are handed over as one level set
// (SetAudioLevels).
//
// SetAudioLevels keeps the latest set for the light thread; an older set that
// was not taken yet is replaced, never queued. In the beat style the set is
// not kept: it feeds the beat accumulator instead, and when the accumulator
// reaches 71 a wave origin is marked for the light thread.
//
// Drawing side (the light thread): TakeLevels and TakeWaveOrigin. The
// hand-over is under a lock, so a set is never seen half written.
namespace lighting {

class AudioLevels {
 public:
  static constexpr int kSpectrumBins = 500;
  static constexpr int kBandCount = 25;
  static constexpr int kBinsPerBand = 20;
  // A spectrum value is a magnitude: larger ones are held to this.
  static constexpr int32_t kMaxMagnitude = 8192;
  static constexpr int kSpectraPerSet = 3;
  static constexpr int kBeatThreshold = 71;
  // The key where a beat starts a wave (a layout position for
  // KeyboardEffects::MarkKey).
  static constexpr int kWaveOriginKey = 51;

  using Levels = std::array<int32_t, kBandCount>;

  // How quiet a level is, on the scale the music styles draw with: 600 in
  // silence (and for a negative level), falling to 0 at a level of 2000,
  // and 500 past that.
  static int Quietness(int64_t level);
  // The quietness of silence.
  static constexpr int kSilence = 600;

  // --- Feeding side: one thread at a time. ---

  // Takes the next spectrum (values beyond the 500th are ignored, missing
  // ones count as 0, each is held to 0..8192). Returns true when this
  // spectrum completed a level set and handed it over.
  bool AddSpectrum(std::span<const int32_t> spectrum);

  // Hands over one level set: the first 25 values (missing ones count as 0).
  void SetAudioLevels(std::span<const int32_t> levels);

  // The running band means after the last spectrum.
  const Levels& Means() const { return means_; }
  // The beat accumulator (0..70 between beats).
  int BeatAccumulator() const { return beat_; }

  // Starts again from silence: previous spectrum, means, set counter and
  // beat accumulator cleared, nothing left to take.
  void Reset();

  // --- Either thread. ---

  // Whether the keyboard shows the beat style (mode 29, audio style 2).
  void SetBeatStyle(bool on) { beatStyle_.store(on, std::memory_order_relaxed); }
  bool BeatStyle() const { return beatStyle_.load(std::memory_order_relaxed); }

  // --- Drawing side: one thread at a time. ---

  // Takes the latest set and clears it: returns false and all zeros when no
  // set came since the previous call.
  bool TakeLevels(Levels& out);

  // True once for each wave origin marked since the previous call (several
  // marks between two calls count once: they light the same key).
  bool TakeWaveOrigin();

 private:
  // Feeding side only.
  std::array<int32_t, kSpectrumBins> previous_{};
  Levels means_{};
  int spectraCounted_ = 0;
  int beat_ = 0;

  std::atomic<bool> beatStyle_{false};

  // The hand-over.
  std::mutex lock_;
  Levels latest_{};
  bool fresh_ = false;
  bool waveOrigin_ = false;
};

}  // namespace lighting
