#pragma once

#include <QJsonObject>
#include <optional>
#include <vector>

#include "control/RequestValues.h"
#include "profiles/ProfileList.h"

namespace control {

// The profile a request's "profile" names (a number from 1 or a name), or
// the active one (whose id is `activeId`) without it; its index in
// `entries`. A failure ("out-of-range") when there is no such profile.
std::optional<Failure> ProfileIndex(const QJsonObject& args, const std::vector<ProfileList::Entry>& entries,
                                    const QString& activeId, int& index);

// The request's "file"; a failure unless it is an absolute path (the
// program does not know the asking program's folder).
std::optional<Failure> AbsoluteFile(const QJsonObject& args, QString& file);

}  // namespace control
