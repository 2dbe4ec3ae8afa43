#pragma once

#include <array>
#include <cstdint>

#include "lighting/AudioLevels.h"
#include "lighting/CommonEffects.h"
#include "lighting/EffectState.h"
#include "lighting/KeyboardLayoutTables.h"
#include "lighting/LedCanvas.h"
#include "lighting/LightTables.h"

// The keyboard's music lighting (mode 29): seven styles that turn the 25
// band levels of lighting::AudioLevels into bars, rings, drops and beat waves
// on the key grid.
//
// Every style measures a band level L by its quietness
//   v(L) = 600 − L × 600 / 2000, and 500 once that would be negative,
// so v is 600 in silence, 0 at a level of 2000, and 500 for anything louder.
// Negative levels count as silence, so v always stays within 0..600 whatever
// level arrives.
//
// Lit cells get key level 255 and fade with the mode-29 decay; a cell whose
// level is above 9 shows the foreground colour at
// LevelTable[brightness] × level >> 8, a darker one shows the background at
// LevelTable[brightness]. Only key positions (below 126) are drawn, and never
// a point at or beyond the canvas's count.
//
// Not thread-safe on its own: the keyboard calls it under the same lock as
// the rest of its effects. The levels themselves come through AudioLevels,
// whose hand-over has its own lock.
namespace lighting {

class KeyboardEffects;

// The colours and style of the music lighting as the keyboard shows them.
struct AudioStyleParams {
  int style = 0;             // 0..6 (values outside draw nothing)
  Rgb background{};          // shown by keys that are not lit
  Rgb foreground{};          // lit keys
  bool multiColour = false;  // foreground from the colour wheel instead
  bool operator==(const AudioStyleParams&) const = default;
};

class KeyboardAudioStyles {
 public:
  static constexpr int kColumnBars = 0;
  static constexpr int kCentreOutBars = 1;
  static constexpr int kBeat = 2;
  static constexpr int kRings = 3;
  static constexpr int kDrops = 4;
  static constexpr int kRowBars = 5;
  static constexpr int kZigzagBars = 6;
  static constexpr int kStyleCount = 7;

  // Where the styles take their band levels and wave origins from (not
  // owned; may be null: then every step sees silence).
  void SetLevelSource(AudioLevels* levels) { levels_ = levels; }
  void SetParams(const AudioStyleParams& params) { params_ = params; }
  const AudioStyleParams& Params() const { return params_; }

  // Back to the start: running hue, phase, band and column offsets, the call
  // counter and the drop flags. The level source and the params stay.
  void Reset();

  // One step of the selected style (the light thread calls it on mode 29's
  // ticks): takes the latest level set (zeros when none came) and a pending
  // wave origin, which marks AudioLevels::kWaveOriginKey in the effects'
  // wave masks, then draws.
  void Step(EffectState& state, KeyboardEffects& effects, const LightParams& light,
            LedCanvas& canvas, const RandomSource& random);

  // The column bars' running hue and the phase of the other styles.
  uint8_t Hue() const { return hue_; }
  uint8_t Phase() const { return phase_; }
  // The column offset moves one place (within 0..24) every 31 column-bar
  // steps; the bars themselves do not follow it (column c always shows band
  // c). The band offset is the centre-out bars' rotating choice of band for
  // their left halves.
  uint8_t ColumnOffset() const { return columnOffset_; }
  uint8_t BandOffset() const { return bandOffset_; }

 private:
  static constexpr int kColumnOffsetCalls = 31;

  using Bands = AudioLevels::Levels;
  struct Palette;
  struct RowBar;
  struct HueWalk;

  static void DrawRowBar(EffectState& state, LedCanvas& canvas, const Palette& palette,
                         const RowBar& bar, int hue, HueWalk walk);

  void StepColumnBars(EffectState& state, const Bands& bands, int direction, const Palette& palette,
                      LedCanvas& canvas);
  void StepCentreOutBars(EffectState& state, const Bands& bands, int direction,
                         const Palette& palette, LedCanvas& canvas);
  static void StepBeat(EffectState& state, KeyboardEffects& effects, const Palette& palette,
                       LedCanvas& canvas, const RandomSource& random);
  void StepRings(EffectState& state, const Bands& bands, int direction, const Palette& palette,
                 LedCanvas& canvas);
  void StepDrops(EffectState& state, const Bands& bands, int direction, const Palette& palette,
                 LedCanvas& canvas);
  void StepRowBars(EffectState& state, const Bands& bands, int direction, const Palette& palette,
                   LedCanvas& canvas);
  void StepZigzagBars(EffectState& state, const Bands& bands, int direction,
                      const Palette& palette, LedCanvas& canvas);

  AudioLevels* levels_ = nullptr;
  AudioStyleParams params_{};

  uint8_t hue_ = 0;
  uint8_t phase_ = 0;
  uint8_t columnOffset_ = 0;
  uint8_t bandOffset_ = 0;
  uint8_t calls_ = 0;
  // Set when a column lights its drop; cleared once the column's bottom key
  // is dark again.
  std::array<bool, kGridColumns> dropFlags_{};
};

}  // namespace lighting
