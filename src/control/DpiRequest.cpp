#include "control/DpiRequest.h"

#include <QJsonArray>
#include <algorithm>

namespace control {

namespace {

// A stage number of a request (1..5) as an index, or -1.
int StageIndex(const QJsonValue& value) {
  const auto number = Whole(value);
  return number && *number >= 1 && *number <= mouse::kStages ? static_cast<int>(*number - 1) : -1;
}

Failure OutOfRange(const QString& text) { return {QStringLiteral("out-of-range"), text}; }

Failure NoSuchStage() { return OutOfRange(QStringLiteral("stages are 1 to %1").arg(mouse::kStages)); }

}  // namespace

std::optional<Failure> ParseDpiArguments(const QJsonObject& args, const DpiMouse& mouse, DpiPlan& plan) {
  plan = {};
  for (const auto& key : {"set", "enable", "disable"})
    if (args.contains(QLatin1String(key)) && !args.value(QLatin1String(key)).isArray())
      return Failure{QStringLiteral("bad-request"), QStringLiteral("\"%1\" is a list").arg(QLatin1String(key))};
  const int lowest = mouse::StepsToDpi(mouse.sensor, 0);
  const int highest = mouse::MaxDpi(mouse.sensor);
  for (const QJsonValue& entry : args.value(QLatin1String("set")).toArray()) {
    const QJsonObject set = entry.toObject();
    const int stage = StageIndex(set.value(QLatin1String("stage")));
    if (stage < 0)
      return NoSuchStage();
    const auto dpi = Whole(set.value(QLatin1String("dpi")));
    if (!dpi || *dpi < lowest || *dpi > highest)
      return OutOfRange(QStringLiteral("the mouse takes %1 to %2 DPI").arg(lowest).arg(highest));
    plan.settings.emplace_back(stage, mouse::DpiToSteps(mouse.sensor, QString::number(*dpi)));
  }
  std::array<bool, mouse::kStages> enabled = mouse.enabled;
  for (const auto& [key, on] : {std::pair{"enable", true}, std::pair{"disable", false}})
    for (const QJsonValue& entry : args.value(QLatin1String(key)).toArray()) {
      const int stage = StageIndex(entry);
      if (stage < 0)
        return NoSuchStage();
      plan.switches.emplace_back(stage, on);
      enabled[static_cast<size_t>(stage)] = on;
    }
  // Switches on first, so that switching another off never meets the
  // "last stage on" lock on the way.
  std::stable_sort(plan.switches.begin(), plan.switches.end(),
                   [](const auto& a, const auto& b) { return a.second && !b.second; });
  int active = mouse.activeStage;
  if (args.contains(QLatin1String("stage"))) {
    active = StageIndex(args.value(QLatin1String("stage")));
    if (active < 0)
      return NoSuchStage();
    plan.stage = active;
  }
  if (active < 0 || active >= mouse::kStages || !enabled[static_cast<size_t>(active)])
    return OutOfRange(QStringLiteral("the active stage (%1) stays on").arg(active + 1));
  if (args.contains(QLatin1String("reportRate"))) {
    const auto rate = Whole(args.value(QLatin1String("reportRate")));
    if (!rate || *rate < 0 || *rate >= mouse.reportRates)
      return OutOfRange(QStringLiteral("the report rate is 0 to %1").arg(mouse.reportRates - 1));
    plan.reportRate = static_cast<int>(*rate);
  }
  return std::nullopt;
}

QJsonObject DpiState(const mouse::SensorParameters& sensor, const std::vector<DpiStage>& stages,
                     int activeStage, int reportRate, const QJsonObject& args) {
  QJsonArray list;
  for (int n = 0; n < mouse::kStages; ++n) {
    const DpiStage stage = static_cast<size_t>(n) < stages.size() ? stages[static_cast<size_t>(n)] : DpiStage{};
    list.append(QJsonObject{{QLatin1String("stage"), n + 1},
                            {QLatin1String("dpi"), mouse::StepsToDpi(sensor, stage.StageDPIX)},
                            {QLatin1String("enabled"), stage.StageActive != 0}});
  }
  return QJsonObject{{QLatin1String("device"), QStringLiteral("mouse")},
                     {QLatin1String("index"), args.contains(QLatin1String("index"))
                                                  ? args.value(QLatin1String("index"))
                                                  : QJsonValue(1)},
                     {QLatin1String("activeStage"), activeStage + 1},
                     {QLatin1String("reportRate"), reportRate},
                     {QLatin1String("stages"), list}};
}

}  // namespace control
