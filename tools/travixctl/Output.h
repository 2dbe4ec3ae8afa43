#pragma once

#include <QJsonValue>
#include <QString>

#include "travixctl/ControlClient.h"

namespace travixctl {

// A reply's result as one line of compact JSON (without the newline).
QString ResultAsJson(const QJsonValue& result);

// A reply's result as readable lines (each ending in "\n") for the command of
// `request`. Members the result lacks are left out.
QString ResultAsText(const ControlRequest& request, const QJsonValue& result);

}  // namespace travixctl
