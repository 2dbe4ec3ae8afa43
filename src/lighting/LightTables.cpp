#include "lighting/LightTables.h"

#include <algorithm>

namespace lighting {

namespace {

constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// The wheel's rising and falling ramps, 32 steps each.
constexpr std::array<uint8_t, 32> kRampUp = {1,   3,   5,   7,   10,  14,  18,  22,
                                             26,  32,  38,  44,  50,  57,  65,  73,
                                             81,  89,  99,  109, 119, 129, 140, 152,
                                             164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kRampDown = {248, 234, 220, 206, 194, 182, 170, 158,
                                               146, 134, 124, 114, 104, 94,  85,  77,
                                               69,  61,  53,  47,  41,  35,  29,  24,
                                               20,  16,  12,  8,   6,   4,   2,   0};

constexpr std::array<uint8_t, 128> MakeBreath() {
  std::array<uint8_t, 128> curve{};
  for (int i = 0; i < 64; ++i) {
    curve[i] = kBreathRise[i];
    curve[127 - i] = kBreathRise[i];
  }
  return curve;
}

constexpr std::array<uint8_t, 96> MakeWave() {
  std::array<uint8_t, 96> curve{};
  for (int i = 0; i < 48; ++i) {
    curve[i] = kBreathRise[16 + i];
    curve[95 - i] = kBreathRise[16 + i];
  }
  return curve;
}

constexpr std::array<Rgb, 256> MakeWheel() {
  std::array<Rgb, 256> wheel{};
  for (int k = 0; k < 32; ++k) {
    const uint8_t up = kRampUp[k];
    const uint8_t down = kRampDown[k];
    wheel[k] = {255, up, 0};
    wheel[32 + k] = {down, 255, 0};
    wheel[64 + k] = {0, 255, up};
    wheel[96 + k] = {0, down, 255};
    wheel[128 + k] = {up, 0, 255};
    wheel[160 + k] = {255, 0, down};
  }
  // Positions up to 255 read the start of the wheel again.
  for (int k = kWheelSize; k < 256; ++k) wheel[k] = wheel[k - kWheelSize];
  return wheel;
}

int ClampLevel(int level) { return std::clamp(level, 0, 4); }

}  // namespace

const std::array<uint8_t, 5> LevelTable = {0, 80, 135, 195, 255};
const std::array<uint8_t, 128> BreathCurve = MakeBreath();
const std::array<uint8_t, 96> WaveCurve = MakeWave();
const std::array<Rgb, 256> ColourWheel = MakeWheel();
const std::array<Rgb, 4> FourColours = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                        Rgb{255, 0, 0}};
const std::array<uint8_t, 5> SpeedSteps = {8, 6, 4, 2, 1};
const std::array<uint8_t, 5> SlowSpeedSteps = {16, 12, 8, 4, 2};
const std::array<uint8_t, 5> CycleSpeedSteps = {10, 8, 5, 3, 1};

uint8_t Level(int level) { return LevelTable[ClampLevel(level)]; }

int BlinkPeriodMs(int speedLevel) { return 200 * SpeedSteps[ClampLevel(speedLevel)]; }

uint8_t BySpeed(const std::array<uint8_t, 5>& table, int speedLevel) {
  return table[ClampLevel(speedLevel)];
}

uint8_t StepIndex(int direction, int period, int index, int step) {
  if (direction != 0) {
    // A position already at or past the period (left by another effect)
    // restarts at 0 as well, so the result always indexes the table.
    const int next = index + step;
    return static_cast<uint8_t>(next >= period ? 0 : next);
  }
  const int back = (index - step) & 0xFF;
  return static_cast<uint8_t>(back < period ? back : period - step);
}

}  // namespace lighting
