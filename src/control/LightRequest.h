#pragma once

#include <QJsonObject>
#include <optional>
#include <string>
#include <vector>

#include "control/RequestValues.h"
#include "profiles/LightInfo.h"

namespace control {

// What a light request may choose from on one device.
struct LightTarget {
  QString word;                       // "keyboard", "mouse", ... for messages
  std::vector<std::string> modeIds;   // the mode list's text ids, by position
  bool directional = true;            // the pad and the headset take no direction
  TextOf text;                        // a mode's readable name
};

// Applies the request's "mode" (number or name), "brightness", "speed",
// "colour" (RRGGBB) and "direction" ("first"/"second") to `info`. Every
// member is checked before anything is reported: on a failure `info` is to
// be dropped. `changed` tells whether the request asked for any change.
std::optional<Failure> ApplyLightArguments(const QJsonObject& args, const LightTarget& target,
                                           LightInfo& info, bool& changed);

// The lighting as a reply shows it.
QJsonObject LightState(const LightInfo& info, const LightTarget& target, const QJsonObject& args);

}  // namespace control
