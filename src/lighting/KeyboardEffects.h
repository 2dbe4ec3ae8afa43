#pragma once

#include <array>
#include <cstdint>

#include "lighting/CommonEffects.h"
#include "lighting/EffectState.h"
#include "lighting/KeyboardAudioStyles.h"
#include "lighting/KeyboardLayoutTables.h"
#include "lighting/LedCanvas.h"

// The keyboard's own light effects: waves across the key grid, rings round a
// centre key, trails along a path through the keys, twinkling, the reactive
// effects driven by key presses and the demonstration. They work on layout
// positions (0..169), which are the keyboard's light points; only positions
// below 126 carry keys and are drawn.
//
// The light thread runs RunStep; key events come from the event reader
// thread through DispatchKeyEvent and may race with a step. The state is kept
// in plain bytes: a lost update only changes one frame, and every index is
// checked, so no value that arrives can reach outside a table.
namespace lighting {

class KeyboardEffects {
 public:
  static constexpr int kMaskCount = 4;
  // Key event types.
  static constexpr int kKeyPressed = 1;
  static constexpr int kKeyReleased = 2;

  // One byte per grid column, bit r = row r (bits 6 and 7 lie below the
  // grid). Masks 0..3 spread left-up, right-up, right-down and left-down.
  using WaveMask = std::array<uint8_t, kGridColumns>;

  // Restarts the effects for mode `mode`: phase, counter, hues, key states,
  // levels, held keys and masks cleared, the audio styles back to their
  // start, then the mode's own start. Returns true for the custom-colour mode
  // (20): the page then loads its custom colour group into the light points.
  [[nodiscard]] bool ResetKeyEffects(EffectState& state, int mode);

  // Lights (level 255) every key under a set mask bit; with `multiColour`
  // each also takes a random hue.
  void SpreadWaves(EffectState& state, bool multiColour, const RandomSource& random);
  // Moves every mask one cell diagonally (the fronts of a widening diamond).
  void ShiftWaves();
  // Clears masks 0 and 2 and moves mask 3 one column left, mask 1 one right.
  void SlideWaves();
  // Sets the grid cell of `position` in all four masks; positions outside the
  // grid are ignored.
  void MarkKey(int position);

  // A key event (type 1 pressed, 2 released) for `position` while the page
  // is in mode `mode`: halo (25), wave mark on press (8, 9), key fade (7).
  // Anything else, and any position or type out of range, changes nothing.
  void DispatchKeyEvent(EffectState& state, int position, int type, int mode,
                        const RandomSource& random);

  // The screen sampler's mean red, green, blue, then their deviations; up to
  // `count` values are taken, each held to 0..255.
  void SetScreenColour(const int* values, int count);

  // Ticks between two steps of `mode` at the speed level, or −1 for the
  // modes that play the user's effect steps instead.
  static int Threshold(int mode, int speedLevel);

  // One step of `light.mode`, drawn into `canvas` (points at or beyond its
  // count are skipped). Modes without a step of their own draw nothing.
  void RunStep(EffectState& state, const LightParams& light, LedCanvas& canvas, uint32_t nowMs,
               const RandomSource& random);

  const std::array<WaveMask, kMaskCount>& WaveMasks() const { return masks_; }
  uint8_t WaveCounter() const { return waveCounter_; }
  const std::array<uint8_t, kKeyPositions>& KeyStates() const { return keyState_; }
  const std::array<uint8_t, kKeyPositions>& KeysHeld() const { return keyHeld_; }
  const std::array<uint8_t, kKeyPositions>& TwinklePhases() const { return twinklePhase_; }
  Rgb ScreenColour() const { return {screen_[0], screen_[1], screen_[2]}; }
  Rgb ScreenDeviation() const { return {screen_[3], screen_[4], screen_[5]}; }
  // The music lighting of mode 29 (its level source and params are set by
  // the keyboard).
  KeyboardAudioStyles& AudioStyles() { return audio_; }
  const KeyboardAudioStyles& AudioStyles() const { return audio_; }

 private:
  void ClearMasks();
  void SeedMasks(int column, int bit);
  uint8_t MaskColumn(int column) const;
  void PressHalo(EffectState& state, int position);
  void ReleaseHalo(EffectState& state, int position);
  bool HeldNear(int column, int row) const;

  void StepColumnWave(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepColumnSweep(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepPathWave(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepBreathingGrid(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepStaticRings(const LightParams& light, LedCanvas& canvas);
  void StepKeyFade(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                  const RandomSource& random);
  void StepRowRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                     const RandomSource& random);
  void StepSparks(EffectState& state, const LightParams& light, LedCanvas& canvas,
                  const RandomSource& random);
  void StepColourFlow(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepRowRainbow(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepSelfRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                      const RandomSource& random);
  void StepDemonstration(EffectState& state, const LightParams& light, LedCanvas& canvas,
                         const RandomSource& random);
  void StepBreathingKeys(EffectState& state, const LightParams& light, LedCanvas& canvas,
                         const RandomSource& random);
  void StepRunningRipple(EffectState& state, const LightParams& light, LedCanvas& canvas,
                         const RandomSource& random);
  void StepFixedColour(const LightParams& light, LedCanvas& canvas);
  void StepRings(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepSweep(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepCustomColours(const LightParams& light, LedCanvas& canvas);
  void StepScreenColour(const LightParams& light, LedCanvas& canvas);
  void StepSnake(EffectState& state, const LightParams& light, LedCanvas& canvas);
  void StepTwinkle(EffectState& state, const LightParams& light, LedCanvas& canvas,
                   const RandomSource& random);
  // The audio mode (29): the selected audio style draws from the band levels.
  void StepAudio(EffectState& state, const LightParams& light, LedCanvas& canvas,
                 const RandomSource& random);

  std::array<WaveMask, kMaskCount> masks_{};
  uint8_t waveCounter_ = 0;
  std::array<uint8_t, kKeyPositions> keyState_{};     // 0 idle, 1 rising, 2 fading
  std::array<uint8_t, kKeyPositions> keyHeld_{};      // 1 while held (halo)
  std::array<uint8_t, kKeyPositions> twinklePhase_{};
  std::array<uint8_t, 6> screen_{};                   // means, then deviations
  KeyboardAudioStyles audio_;
};

}  // namespace lighting
