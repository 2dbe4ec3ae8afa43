#include "mouse/DpiSteps.h"

#include <algorithm>

namespace mouse {

SensorParameters SensorParameters::FromInfo(const protocol::DeviceInfo& info) {
  return {info.sensor, info.dpiStep, info.dpiMax, info.dpiBase};
}

int StepsToDpi(const SensorParameters& sensor, int steps) {
  steps = std::max(steps, 0);
  if (sensor.sensorCode == SensorParameters::kCoarseSensor && steps > SensorParameters::kCoarseFromStep)
    return sensor.minDpi + SensorParameters::kCoarseFromStep * sensor.dpiStep +
           (steps - SensorParameters::kCoarseFromStep) * SensorParameters::kCoarseStepDpi;
  return sensor.minDpi + steps * sensor.dpiStep;
}

int DpiToSteps(const SensorParameters& sensor, const QString& text) {
  if (!sensor.Valid())
    return 0;
  const QString trimmed = text.trimmed();
  bool ok = false;
  long long value = trimmed.isEmpty() ? 0 : trimmed.toLongLong(&ok);
  if (!trimmed.isEmpty() && !ok)
    value = 0;
  value = std::max<long long>(value, sensor.minDpi);
  long long steps = 0;
  const long long coarseFrom = StepsToDpi(sensor, SensorParameters::kCoarseFromStep);
  if (sensor.sensorCode == SensorParameters::kCoarseSensor && value > coarseFrom)
    steps = SensorParameters::kCoarseFromStep + (value - coarseFrom) / SensorParameters::kCoarseStepDpi;
  else
    steps = (value - sensor.minDpi) / sensor.dpiStep;
  return static_cast<int>(std::clamp<long long>(steps, 0, sensor.maxSteps));
}

int MaxDpi(const SensorParameters& sensor) {
  return StepsToDpi(sensor, sensor.maxSteps);
}

std::array<bool, kStages> LockedEnableSwitches(const std::array<bool, kStages>& enabled, int active) {
  const int on = static_cast<int>(std::count(enabled.begin(), enabled.end(), true));
  std::array<bool, kStages> locked{};
  for (int n = 0; n < kStages; ++n)
    locked[static_cast<size_t>(n)] = n == active || (on == 1 && enabled[static_cast<size_t>(n)]);
  return locked;
}

}  // namespace mouse
