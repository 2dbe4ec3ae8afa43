#pragma once

#include <QJsonObject>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "control/RequestValues.h"
#include "mouse/DpiSteps.h"
#include "profiles/DpiStage.h"

namespace control {

// A DPI request checked against the mouse as it is, numbered from 0.
struct DpiPlan {
  std::vector<std::pair<int, int>> settings;   // stage, sensor steps
  std::vector<std::pair<int, bool>> switches;  // stage, on; the ons first
  std::optional<int> stage;                    // the stage to make active
  int reportRate = -1;                         // -1: unchanged

  bool Empty() const { return settings.empty() && switches.empty() && !stage && reportRate < 0; }
};

// The mouse as the request meets it.
struct DpiMouse {
  mouse::SensorParameters sensor;
  std::array<bool, mouse::kStages> enabled{};
  int activeStage = 0;
  int reportRates = 0;
};

// Reads "set" ([{stage, dpi}]), "enable"/"disable" ([stage]), "stage" and
// "reportRate" (stages numbered from 1). Everything is checked before
// anything changes: the active stage stays on, DPI values are within the
// sensor's range.
std::optional<Failure> ParseDpiArguments(const QJsonObject& args, const DpiMouse& mouse, DpiPlan& plan);

// The stages as a reply shows them (numbered from 1).
QJsonObject DpiState(const mouse::SensorParameters& sensor, const std::vector<DpiStage>& stages,
                     int activeStage, int reportRate, const QJsonObject& args);

}  // namespace control
