#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

// The spectrum of what the computer plays, for the music lighting: windows of
// 1024 captured 16-bit values (channels interleaved, as the sound server
// delivers them) become 500 bin magnitudes.
//
// Bin j (1..499) holds sqrt(|X[j]|² / 1024) of the window's real FFT,
// truncated and held to 0..8192; bin 0 (the constant part) is always 0. As
// the channels stay interleaved, bin j stands for j · rate · channels / 1024
// Hz: a 1 kHz tone at 48 kHz stereo lands between bins 10 and 11.
//
// Packets of any length are collected until a window is full, so short
// packets are analysed together and a long one gives several spectra.
//
// One thread at a time (the capture thread): the object is not shared. The
// work buffers are allocated once, when it is built; a packet allocates
// nothing.
namespace lighting {

class SoundAnalyser {
 public:
  static constexpr int kWindowSize = 1024;
  static constexpr int kBinCount = 500;
  static constexpr int32_t kMaxMagnitude = 8192;

  using Spectrum = std::array<int32_t, kBinCount>;
  // Called on the pushing thread with each new spectrum; the reference is
  // valid only during the call.
  using SpectrumSink = std::function<void(const Spectrum&)>;

  explicit SoundAnalyser(SpectrumSink sink);
  ~SoundAnalyser();
  SoundAnalyser(const SoundAnalyser&) = delete;
  SoundAnalyser& operator=(const SoundAnalyser&) = delete;

  // Adds captured values in order and hands every completed window's
  // spectrum to the sink. Returns how many spectra were handed.
  int Push(std::span<const int16_t> samples);

  // Drops a partly collected window (the stream was reopened, or its format
  // changed).
  void Reset() { filled_ = 0; }

  // Values collected towards the next window (0..1023).
  int Pending() const { return static_cast<int>(filled_); }

  // The spectrum of one full window, without touching the collected values.
  void Analyse(std::span<const int16_t, kWindowSize> window, Spectrum& out);

 private:
  struct Work;  // the FFT's plan and buffers

  SpectrumSink sink_;
  std::unique_ptr<Work> work_;
  std::array<int16_t, kWindowSize> window_{};
  std::size_t filled_ = 0;
  Spectrum spectrum_{};
};

}  // namespace lighting
