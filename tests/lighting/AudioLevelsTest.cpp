// The music lighting's band levels: spectra to band means, the level sets
// handed to the light thread, and the beat accumulator.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <thread>
#include <vector>

#include "lighting/AudioLevels.h"

namespace {

using lighting::AudioLevels;
using Levels = AudioLevels::Levels;
using Spectrum = std::vector<int32_t>;

Spectrum Silence() { return Spectrum(AudioLevels::kSpectrumBins, 0); }

// Every bin of `band` at `value`, the rest silent.
Spectrum BandAt(int band, int32_t value) {
  Spectrum s = Silence();
  std::fill_n(s.begin() + band * AudioLevels::kBinsPerBand, AudioLevels::kBinsPerBand, value);
  return s;
}

Levels Uniform(int32_t value) {
  Levels levels;
  levels.fill(value);
  return levels;
}

class AudioLevelsTest : public ::testing::Test {
 protected:
  // The means of band `band` after each of `spectra`.
  std::vector<int32_t> MeansAfter(const std::vector<Spectrum>& spectra, int band) {
    std::vector<int32_t> out;
    for (const Spectrum& s : spectra) {
      (void)levels.AddSpectrum(s);
      out.push_back(levels.Means()[static_cast<size_t>(band)]);
    }
    return out;
  }

  AudioLevels levels;
};

// --- Band means from the flux ---

TEST_F(AudioLevelsTest, FirstSpectrumCountsWhollyAsChange) {
  Spectrum s = BandAt(0, 1000);
  std::fill_n(s.begin() + 40, 20, 100);  // band 2
  (void)levels.AddSpectrum(s);
  Levels expected{};
  expected[0] = 1000;
  expected[2] = 100;
  EXPECT_EQ(levels.Means(), expected);
}

TEST_F(AudioLevelsTest, SilenceAddsNoFluxSoTheMeansFallByTwentyPerSpectrum) {
  // 1000 after the tone; the drop to silence is itself a change of 1000 per
  // bin: (1000 + 20000) / 20; then nothing changes: 1050 / 20, 52 / 20, ...
  EXPECT_EQ(MeansAfter({BandAt(0, 1000), Silence(), Silence(), Silence(), Silence()}, 0),
            (std::vector<int32_t>{1000, 1050, 52, 2, 0}));
}

TEST_F(AudioLevelsTest, SteadyToneAddsNoFluxEither) {
  const Spectrum tone = BandAt(3, 4000);
  EXPECT_EQ(MeansAfter({tone, tone, tone, tone}, 3), (std::vector<int32_t>{4000, 200, 10, 0}));
}

TEST_F(AudioLevelsTest, FallingBinsCountAsMuchAsRisingOnes) {
  // 500 → 200 in every bin of band 2: flux 300 × 20 bins.
  EXPECT_EQ(MeansAfter({BandAt(2, 500), BandAt(2, 200)}, 2), (std::vector<int32_t>{500, 325}));
}

TEST_F(AudioLevelsTest, BandsAreTwentyBinsWideFromBinZero) {
  Spectrum s = Silence();
  s[0] = 400;
  s[19] = 400;
  s[20] = 400;
  s[499] = 400;
  (void)levels.AddSpectrum(s);
  EXPECT_EQ(levels.Means()[0], 40);
  EXPECT_EQ(levels.Means()[1], 20);
  EXPECT_EQ(levels.Means()[23], 0);
  EXPECT_EQ(levels.Means()[24], 20);
}

TEST_F(AudioLevelsTest, SpectrumValuesAreHeldToMagnitudes) {
  // Beyond the cap counts as 8192, below 0 as 0, bins past 500 are ignored.
  Spectrum s(600, 100000);
  std::fill_n(s.begin() + 20, 20, -5000);
  (void)levels.AddSpectrum(s);
  EXPECT_EQ(levels.Means()[0], 8192);
  EXPECT_EQ(levels.Means()[1], 0);
  EXPECT_EQ(levels.Means()[24], 8192);

  // A short spectrum: the missing bins are silent (a drop from 8192 here).
  levels.Reset();
  (void)levels.AddSpectrum(Spectrum(30, 2000));
  EXPECT_EQ(levels.Means()[0], 2000);
  EXPECT_EQ(levels.Means()[1], 1000);
  EXPECT_EQ(levels.Means()[2], 0);
  (void)levels.AddSpectrum(Spectrum{});
  EXPECT_EQ(levels.Means()[0], (2000 + 40000) / 20);
}

// --- Level sets handed to the light thread ---

TEST_F(AudioLevelsTest, EveryThirdSpectrumHandsOverTheMeans) {
  Levels taken = Uniform(-1);
  EXPECT_FALSE(levels.AddSpectrum(BandAt(0, 1000)));
  EXPECT_FALSE(levels.AddSpectrum(BandAt(1, 2000)));
  EXPECT_FALSE(levels.TakeLevels(taken));
  EXPECT_EQ(taken, Levels{});

  EXPECT_TRUE(levels.AddSpectrum(BandAt(1, 2000)));
  ASSERT_TRUE(levels.TakeLevels(taken));
  // Band 0: 1000 → 1050 → 52; band 1: 0 → 2000 → 100.
  Levels expected{};
  expected[0] = 52;
  expected[1] = 100;
  EXPECT_EQ(taken, expected);

  // Taken sets are cleared: the next step sees silence until a new set.
  EXPECT_FALSE(levels.TakeLevels(taken));
  EXPECT_EQ(taken, Levels{});

  EXPECT_FALSE(levels.AddSpectrum(Silence()));
  EXPECT_FALSE(levels.AddSpectrum(Silence()));
  EXPECT_TRUE(levels.AddSpectrum(Silence()));
  EXPECT_TRUE(levels.TakeLevels(taken));
}

TEST_F(AudioLevelsTest, SetAudioLevelsCopiesTwentyFiveValues) {
  Levels taken{};
  // Exactly 25 on the heap (a read past them is caught under ASan).
  std::vector<int32_t> exact(25);
  for (size_t i = 0; i < exact.size(); ++i) exact[i] = static_cast<int32_t>(i + 1);
  levels.SetAudioLevels(exact);
  ASSERT_TRUE(levels.TakeLevels(taken));
  EXPECT_TRUE(std::equal(taken.begin(), taken.end(), exact.begin()));

  // A whole spectrum: its first 25.
  std::vector<int32_t> longer(500, 7);
  longer[24] = 24;
  longer[25] = 25;
  levels.SetAudioLevels(longer);
  ASSERT_TRUE(levels.TakeLevels(taken));
  EXPECT_EQ(taken[24], 24);
  EXPECT_EQ(taken[0], 7);

  // Fewer: the rest are 0.
  levels.SetAudioLevels(std::vector<int32_t>{5, 6, 7});
  ASSERT_TRUE(levels.TakeLevels(taken));
  Levels expected{};
  expected[0] = 5;
  expected[1] = 6;
  expected[2] = 7;
  EXPECT_EQ(taken, expected);
}

TEST_F(AudioLevelsTest, LatestSetWinsOverOneNotYetTaken) {
  levels.SetAudioLevels(Uniform(10));
  levels.SetAudioLevels(Uniform(20));
  Levels taken{};
  ASSERT_TRUE(levels.TakeLevels(taken));
  EXPECT_EQ(taken, Uniform(20));
  EXPECT_FALSE(levels.TakeLevels(taken));
}

TEST_F(AudioLevelsTest, ResetStartsAgainFromSilence) {
  levels.SetBeatStyle(true);
  for (int i = 0; i < 3; ++i) levels.SetAudioLevels(Uniform(2000));
  levels.SetBeatStyle(false);
  (void)levels.AddSpectrum(BandAt(0, 1000));
  (void)levels.AddSpectrum(BandAt(0, 1000));
  levels.SetAudioLevels(Uniform(9));

  levels.Reset();
  Levels taken{};
  EXPECT_FALSE(levels.TakeLevels(taken));
  EXPECT_FALSE(levels.TakeWaveOrigin());
  EXPECT_EQ(levels.Means(), Levels{});
  EXPECT_EQ(levels.BeatAccumulator(), 0);
  // The counter starts again too, and the first spectrum is all change.
  EXPECT_FALSE(levels.AddSpectrum(BandAt(0, 1000)));
  EXPECT_EQ(levels.Means()[0], 1000);
  EXPECT_FALSE(levels.AddSpectrum(BandAt(0, 1000)));
  EXPECT_TRUE(levels.AddSpectrum(BandAt(0, 1000)));
}

// --- The beat style ---

TEST_F(AudioLevelsTest, ThreeFullScaleSetsMarkAWaveOrigin) {
  levels.SetBeatStyle(true);
  // 2000 in every band: quietness 0, beat 25 per set.
  levels.SetAudioLevels(Uniform(2000));
  EXPECT_EQ(levels.BeatAccumulator(), 25);
  levels.SetAudioLevels(Uniform(2000));
  EXPECT_EQ(levels.BeatAccumulator(), 50);
  EXPECT_FALSE(levels.TakeWaveOrigin());

  levels.SetAudioLevels(Uniform(2000));  // 75 ≥ 71
  EXPECT_EQ(levels.BeatAccumulator(), 0);
  EXPECT_TRUE(levels.TakeWaveOrigin());
  EXPECT_FALSE(levels.TakeWaveOrigin());

  // The beat style draws from the waves: the sets are not kept for it.
  Levels taken = Uniform(-1);
  EXPECT_FALSE(levels.TakeLevels(taken));
  EXPECT_EQ(taken, Levels{});
}

TEST_F(AudioLevelsTest, BeatFollowsHowLoudTheBandsAreOnAverage) {
  levels.SetBeatStyle(true);
  const auto beatOf = [this](const Levels& set) {
    levels.Reset();
    levels.SetAudioLevels(set);
    return levels.BeatAccumulator();
  };
  EXPECT_EQ(beatOf(Uniform(0)), 0);         // silence: quietness 600
  EXPECT_EQ(beatOf(Uniform(-5000)), 0);     // below 0 counts as silence
  EXPECT_EQ(beatOf(Uniform(1000)), 13);     // 300: 25 − 300 · 25 / 600
  EXPECT_EQ(beatOf(Uniform(2003)), 25);     // 2003 · 600 / 2000 = 600: still full scale
  EXPECT_EQ(beatOf(Uniform(2004)), 5);      // past full scale counts as 500
  EXPECT_EQ(beatOf(Uniform(1000000)), 5);
  Levels half = Uniform(0);
  std::fill_n(half.begin(), 12, 2000);      // 13 · 600 / 25 = 312
  EXPECT_EQ(beatOf(half), 12);
}

TEST_F(AudioLevelsTest, BeatsAreCountedOnlyInTheBeatStyle) {
  levels.SetAudioLevels(Uniform(2000));
  levels.SetAudioLevels(Uniform(2000));
  levels.SetAudioLevels(Uniform(2000));
  EXPECT_EQ(levels.BeatAccumulator(), 0);
  EXPECT_FALSE(levels.TakeWaveOrigin());
  Levels taken{};
  EXPECT_TRUE(levels.TakeLevels(taken));
  EXPECT_EQ(taken, Uniform(2000));

  // Switching to the beat style keeps what the accumulator had.
  levels.SetBeatStyle(true);
  levels.SetAudioLevels(Uniform(1000));
  levels.SetBeatStyle(false);
  levels.SetAudioLevels(Uniform(2000));
  levels.SetBeatStyle(true);
  levels.SetAudioLevels(Uniform(1000));
  EXPECT_EQ(levels.BeatAccumulator(), 26);
}

TEST_F(AudioLevelsTest, MarksBeforeTheLightThreadLooksCountOnce) {
  levels.SetBeatStyle(true);
  for (int i = 0; i < 6; ++i) levels.SetAudioLevels(Uniform(2000));
  EXPECT_TRUE(levels.TakeWaveOrigin());
  EXPECT_FALSE(levels.TakeWaveOrigin());
}

TEST_F(AudioLevelsTest, SpectraDriveTheBeatEveryThirdSpectrum) {
  levels.SetBeatStyle(true);
  // Alternating full-scale and silent spectra keep every band's flux at
  // 8192 per bin, so the means settle at (mean + 163840) / 20 ≥ 8192: past
  // full scale, a beat of 5 per set.
  const Spectrum loud(AudioLevels::kSpectrumBins, 8192);
  for (int i = 0; i < 6; ++i) (void)levels.AddSpectrum(i % 2 == 0 ? loud : Silence());
  EXPECT_EQ(levels.BeatAccumulator(), 10);
  EXPECT_FALSE(levels.TakeWaveOrigin());
}

// --- The hand-over between threads ---

TEST_F(AudioLevelsTest, LightThreadSeesWholeSetsInOrder) {
  constexpr int kSets = 20000;
  std::thread feeder([this] {
    for (int k = 1; k <= kSets; ++k) levels.SetAudioLevels(Uniform(k));
  });

  int last = 0;
  int torn = 0;
  int backwards = 0;
  Levels taken{};
  while (last < kSets) {
    if (!levels.TakeLevels(taken)) {
      std::this_thread::yield();
      continue;
    }
    if (std::any_of(taken.begin(), taken.end(), [&](int32_t v) { return v != taken[0]; })) ++torn;
    if (taken[0] <= last) ++backwards;
    last = std::max(last, taken[0]);
  }
  feeder.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(backwards, 0);
  EXPECT_FALSE(levels.TakeLevels(taken));
}

}  // namespace
