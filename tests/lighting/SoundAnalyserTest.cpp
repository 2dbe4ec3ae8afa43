// The music lighting's spectrum: windows of captured values to 500 bin
// magnitudes, and packets of any length collected into windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <numbers>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "lighting/SoundAnalyser.h"

namespace {

using lighting::SoundAnalyser;
using Spectrum = SoundAnalyser::Spectrum;
using Window = std::vector<int16_t>;

constexpr int kN = SoundAnalyser::kWindowSize;

int16_t Clip(double value) {
  return static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
}

// `frequency` Hz at `rate` with the same value on every channel, interleaved
// as captured, for `values` 16-bit values.
Window Tone(double frequency, double amplitude, int rate, int channels, int values = kN) {
  Window out;
  out.reserve(static_cast<size_t>(values));
  for (int i = 0; i < values; ++i) {
    const int frame = i / channels;
    out.push_back(Clip(amplitude * std::sin(2 * std::numbers::pi * frequency * frame / rate)));
  }
  return out;
}

// A tone with exactly `cycles` periods in one window.
Window Cycles(double cycles, double amplitude) {
  Window out;
  for (int i = 0; i < kN; ++i)
    out.push_back(Clip(amplitude * std::cos(2 * std::numbers::pi * cycles * i / kN)));
  return out;
}

// Uniform noise in −amplitude .. amplitude from a fixed seed.
Window Noise(uint32_t seed, int amplitude = 32767) {
  Window out;
  for (int i = 0; i < kN; ++i) {
    seed = seed * 1664525u + 1013904223u;
    out.push_back(static_cast<int16_t>(static_cast<int16_t>(seed >> 16) * amplitude / 32768));
  }
  return out;
}

// The transform written out as the classic radix-2 decimation in time:
// bit-reversed copy, then butterflies over stages of 2, 4, ..., n points,
// the twiddle factor moved on by the trigonometric recurrence.
void RadixTwoTransform(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t stage = 2; stage <= n; stage <<= 1) {
    const size_t half = stage / 2;
    const double theta = 6.2831852 / static_cast<double>(stage);
    const double s = std::sin(0.5 * theta);
    const double wpr = -2.0 * s * s;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (size_t m = 0; m < half; ++m) {
      for (size_t i = m; i < n; i += stage) {
        const size_t j = i + half;
        const std::complex<double> t(wr * a[j].real() - wi * a[j].imag(),
                                     wr * a[j].imag() + wi * a[j].real());
        a[j] = a[i] - t;
        a[i] += t;
      }
      const double w = wr;
      wr = w * wpr - wi * wpi + wr;
      wi = wi * wpr + w * wpi + wi;
    }
  }
}

Spectrum ReferenceSpectrum(const Window& window) {
  std::vector<std::complex<double>> a(window.begin(), window.end());
  RadixTwoTransform(a);
  Spectrum out{};
  for (size_t j = 1; j < out.size(); ++j) {
    const double m = std::sqrt(std::norm(a[j]) / kN);
    out[j] = m >= 8192 ? 8192 : static_cast<int32_t>(m);
  }
  return out;
}

Spectrum Analyse(SoundAnalyser& analyser, const Window& window) {
  Spectrum out{};
  analyser.Analyse(std::span<const int16_t, kN>(window.data(), kN), out);
  return out;
}

int PeakBin(const Spectrum& s) {
  return static_cast<int>(std::max_element(s.begin(), s.end()) - s.begin());
}

class SoundAnalyserTest : public ::testing::Test {
 protected:
  std::vector<Spectrum> received;
  SoundAnalyser analyser{[this](const Spectrum& s) { received.push_back(s); }};
};

// --- The magnitudes ---

TEST_F(SoundAnalyserTest, MatchesTheRadixTwoTransformWithinRounding) {
  Window twoTones = Cycles(37.3, 4000);
  const Window high = Cycles(301.7, 9000);
  for (size_t i = 0; i < twoTones.size(); ++i) twoTones[i] = Clip(twoTones[i] + high[i]);

  const std::vector<std::pair<std::string, Window>> signals = {
      {"sine", Tone(1000, 3000, 48000, 2)},
      {"two tones", twoTones},
      {"noise", Noise(7, 3000)},
      {"full-scale noise", Noise(9)},
      {"silence", Window(kN, 0)},
      {"full-scale square", Tone(440, 40000, 44100, 1)},
  };
  for (const auto& [name, window] : signals) {
    SCOPED_TRACE(name);
    const Spectrum ours = Analyse(analyser, window);
    const Spectrum reference = ReferenceSpectrum(window);
    EXPECT_EQ(ours[0], 0);
    int worst = 0;
    for (size_t j = 1; j < ours.size(); ++j) worst = std::max(worst, std::abs(ours[j] - reference[j]));
    EXPECT_LE(worst, 1);
  }
  // The comparison saw real content: noise fills every bin, silence none.
  const Spectrum noise = Analyse(analyser, Noise(7, 3000));
  EXPECT_GT(*std::min_element(noise.begin() + 1, noise.end()), 0);
  const Spectrum silence = Analyse(analyser, Window(kN, 0));
  EXPECT_EQ(*std::max_element(silence.begin(), silence.end()), 0);
}

TEST_F(SoundAnalyserTest, ToneOnABinScalesBySixteenPerUnitOfAmplitude) {
  // |X| = A · 1024 / 2, then sqrt(|X|² / 1024) = 16 A. A period of 4 values
  // (100, 0, −100, 0) needs no rounding, so nothing leaks into other bins.
  const Spectrum s = Analyse(analyser, Cycles(256, 100));
  EXPECT_NEAR(s[256], 1600, 1);
  for (const int j : {1, 64, 255, 257, 300, 499}) EXPECT_EQ(s[static_cast<size_t>(j)], 0) << j;
}

TEST_F(SoundAnalyserTest, ToneLandsOnItsBinForTheStreamsRateAndChannels) {
  // Bin = f · 1024 / (rate · channels): 10.67 at 48 kHz stereo, 11.61 at 44.1 kHz.
  const Spectrum at48 = Analyse(analyser, Tone(1000, 200, 48000, 2));
  EXPECT_GE(PeakBin(at48), 10);
  EXPECT_LE(PeakBin(at48), 11);
  EXPECT_LT(at48[static_cast<size_t>(PeakBin(at48))], SoundAnalyser::kMaxMagnitude);

  const Spectrum at44 = Analyse(analyser, Tone(1000, 200, 44100, 2));
  EXPECT_GE(PeakBin(at44), 11);
  EXPECT_LE(PeakBin(at44), 12);

  // Mono at 48 kHz: half the values per second, twice the bin.
  const Spectrum mono = Analyse(analyser, Tone(1000, 200, 48000, 1));
  EXPECT_GE(PeakBin(mono), 21);
  EXPECT_LE(PeakBin(mono), 22);
}

TEST_F(SoundAnalyserTest, LoudToneIsHeldAt8192) {
  const Spectrum s = Analyse(analyser, Tone(1000, 30000, 48000, 2));
  EXPECT_EQ(s[static_cast<size_t>(PeakBin(s))], 8192);
  EXPECT_LE(*std::max_element(s.begin(), s.end()), 8192);
  // Full-scale noise reaches the cap too, and no bin passes it.
  const Spectrum noise = Analyse(analyser, Noise(3));
  EXPECT_EQ(*std::max_element(noise.begin(), noise.end()), 8192);
}

TEST_F(SoundAnalyserTest, ConstantOffsetShowsInNoBin) {
  const Spectrum s = Analyse(analyser, Window(kN, 12000));
  EXPECT_EQ(*std::max_element(s.begin(), s.end()), 0);
}

// --- Collecting packets into windows ---

TEST_F(SoundAnalyserTest, ShortPacketsAreCollectedIntoOneWindow) {
  const Window stream = Tone(1000, 500, 48000, 2, 3 * kN);
  // 10 ms packets at 48 kHz stereo: 960 values.
  EXPECT_EQ(analyser.Push(std::span(stream).first(960)), 0);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(analyser.Pending(), 960);
  EXPECT_EQ(analyser.Push(std::span(stream).subspan(960, 960)), 1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(analyser.Pending(), 2 * 960 - kN);

  const Window first(stream.begin(), stream.begin() + kN);
  EXPECT_EQ(received[0], Analyse(analyser, first));
}

TEST_F(SoundAnalyserTest, LongPacketGivesOneSpectrumPerWindowInOrder) {
  Window stream = Cycles(20, 300);
  const Window second = Cycles(100, 300);
  const Window third = Cycles(200, 300);
  stream.insert(stream.end(), second.begin(), second.end());
  stream.insert(stream.end(), third.begin(), third.end());
  stream.insert(stream.end(), 10, 0);

  EXPECT_EQ(analyser.Push(stream), 3);
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(PeakBin(received[0]), 20);
  EXPECT_EQ(PeakBin(received[1]), 100);
  EXPECT_EQ(PeakBin(received[2]), 200);
  EXPECT_EQ(analyser.Pending(), 10);
}

TEST_F(SoundAnalyserTest, ResetDropsThePartWindow) {
  const Window noise = Noise(11);
  const Window tone = Cycles(50, 300);
  EXPECT_EQ(analyser.Push(std::span(noise).first(700)), 0);
  analyser.Reset();
  EXPECT_EQ(analyser.Pending(), 0);
  EXPECT_EQ(analyser.Push(std::span<const int16_t>()), 0);
  EXPECT_EQ(analyser.Push(tone), 1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0], Analyse(analyser, tone));
}

TEST_F(SoundAnalyserTest, AnalysingAWindowLeavesTheCollectedValuesAlone) {
  const Window tone = Cycles(50, 300);
  EXPECT_EQ(analyser.Push(std::span(tone).first(600)), 0);
  (void)Analyse(analyser, Noise(5));
  EXPECT_EQ(analyser.Push(std::span(tone).subspan(600)), 1);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(PeakBin(received[0]), 50);
}

}  // namespace
