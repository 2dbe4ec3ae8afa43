#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "protocol/DeviceInfo.h"

namespace mouse {

// What the mouse's sensor tells about its resolution: the DPI of step 0,
// the DPI added per slider step and the highest step. One sensor family
// (0x3325) climbs in steps of 200 DPI above step 48.
struct SensorParameters {
  static constexpr uint16_t kCoarseSensor = 0x3325;
  static constexpr int kCoarseFromStep = 48;
  static constexpr int kCoarseStepDpi = 200;

  uint16_t sensorCode = 0;
  uint8_t dpiStep = 0;
  uint16_t maxSteps = 0;
  uint16_t minDpi = 0;

  static SensorParameters FromInfo(const protocol::DeviceInfo& info);
  // A step of 0 DPI (an information block not read, or empty) converts
  // nothing: the DPI controls wait for a valid block.
  bool Valid() const { return dpiStep != 0; }
  bool operator==(const SensorParameters&) const = default;
};

// The DPI a slider step stands for.
int StepsToDpi(const SensorParameters& sensor, int steps);
// The step of a typed DPI: empty is 0, below the lowest DPI counts as the
// lowest, the result held to 0 ... maxSteps (the exact inverse of
// StepsToDpi on its values, rounding down between them).
int DpiToSteps(const SensorParameters& sensor, const QString& text);
// The highest DPI an edit may show: that of maxSteps.
int MaxDpi(const SensorParameters& sensor);

inline constexpr int kStages = 5;
// Whether the enable switch of each stage must be locked: the active stage
// cannot be switched off, nor the only stage still on.
std::array<bool, kStages> LockedEnableSwitches(const std::array<bool, kStages>& enabled, int active);

}  // namespace mouse
