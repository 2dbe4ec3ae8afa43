#pragma once

#include <cstdint>
#include <functional>

#include "lighting/EffectState.h"
#include "lighting/LedCanvas.h"

// The effect steps every kind of device shares, and the mouse's, mouse pad's
// and headset's own. Each step moves the effect state on by one and draws
// every light point of the canvas. No threads, no windows.
namespace lighting {

// Random numbers for the effects that need them (hues, sparks).
using RandomSource = std::function<uint32_t()>;

// Common steps.
void StepBreathing(EffectState& state, const LightParams& light, LedCanvas& canvas);
void StepBreathingFourColours(EffectState& state, const LightParams& light, LedCanvas& canvas);
void StepStatic(EffectState& state, const LightParams& light, LedCanvas& canvas);
void StepColourCycle(EffectState& state, const LightParams& light, LedCanvas& canvas);
// `nowMs`: the tick count.
void StepBlink(EffectState& state, const LightParams& light, LedCanvas& canvas, uint32_t nowMs);
void StepBlinkFourColours(EffectState& state, const LightParams& light, LedCanvas& canvas,
                          uint32_t nowMs);
void StepOff(LedCanvas& canvas);

// Chase helpers.
// Lowers ledLevel[point] by the decay rules of `mode`.
void DecayLedLevel(EffectState& state, int point, int mode);
// ledLevel = 255 for every index below `count` whose order flag is set.
void RetriggerLeds(EffectState& state, int count);
// Rotates the first `length` order flags by one place (up for direction ≠ 0).
void RotateLedOrder(EffectState& state, int direction, int length = kOrderLength);

// Kind codes: 2 mouse, 3 mouse pad, 7 headset.
void StepWave(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas);
void StepGroupChase(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas);
// The mouse's is its reactive fade.
void StepFullChase(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas);
// The mouse's reactive effect: every point lit with a random hue (mode 6
// only).
void TriggerAllLeds(EffectState& state, const LightParams& light, int count,
                    const RandomSource& random);

// The mouse's, mouse pad's and headset's mode tables: runs the step of
// `mode` when `counter` has reached its threshold at the speed level (then
// the counter restarts), and returns false for a mode that plays user
// effect steps instead.
bool RunKindStep(int kind, EffectState& state, const LightParams& light, LedCanvas& canvas,
                 uint32_t nowMs, uint32_t& counter);

}  // namespace lighting
