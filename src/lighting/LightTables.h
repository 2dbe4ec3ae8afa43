#pragma once

#include <array>
#include <cstdint>

#include "protocol/Rgb.h"

// The fixed tables every light effect draws with, and the position stepper.
namespace lighting {

using Rgb = protocol::Rgb;

// Brightness level 0..4 → light level 0..255.
extern const std::array<uint8_t, 5> LevelTable;
// One breath: 64 rising levels and the same falling.
extern const std::array<uint8_t, 128> BreathCurve;
// Entries 16..63 of the breath, rising then falling.
extern const std::array<uint8_t, 96> WaveCurve;
// 192 colours round the wheel; entries 192..255 repeat 0..63.
extern const std::array<Rgb, 256> ColourWheel;
extern const std::array<Rgb, 4> FourColours;
// Passes or ticks per step by speed level 0..4.
extern const std::array<uint8_t, 5> SpeedSteps;      // 8, 6, 4, 2, 1
extern const std::array<uint8_t, 5> SlowSpeedSteps;  // 16, 12, 8, 4, 2
extern const std::array<uint8_t, 5> CycleSpeedSteps; // 10, 8, 5, 3, 1

inline constexpr int kWheelSize = 192;
inline constexpr int kMaxLightPoints = 170;
inline constexpr int kOrderLength = 23;

// Level of brightness level `level` (levels above 4 read as 4).
uint8_t Level(int level);
// Scales `value` by a light level: value × level >> 8.
inline uint8_t Scale(int value, int level) { return static_cast<uint8_t>((value * level) >> 8); }
// The blink period in milliseconds of a speed level: 1600 .. 200.
int BlinkPeriodMs(int speedLevel);
// A table entry by speed level, levels above 4 reading as 4.
uint8_t BySpeed(const std::array<uint8_t, 5>& table, int speedLevel);

// Moves a position within [0, period): forwards (direction ≠ 0) by `step`,
// back to 0 when it reaches the period; backwards by `step`, to period −
// step when it would leave the range. Positions are bytes.
uint8_t StepIndex(int direction, int period, int index, int step);

}  // namespace lighting
