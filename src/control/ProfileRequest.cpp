#include "control/ProfileRequest.h"

#include <QFileInfo>

namespace control {

std::optional<Failure> ProfileIndex(const QJsonObject& args, const std::vector<ProfileList::Entry>& entries,
                                    const QString& activeId, int& index) {
  const QJsonValue wanted = args.value(QLatin1String("profile"));
  index = -1;
  if (wanted.isUndefined()) {
    for (size_t i = 0; i < entries.size() && index < 0; ++i)
      if (entries[i].id == activeId)
        index = static_cast<int>(i);
  } else if (const auto number = Whole(wanted)) {
    if (*number >= 1 && *number <= static_cast<int64_t>(entries.size()))
      index = static_cast<int>(*number - 1);
  } else if (wanted.isString()) {
    for (size_t i = 0; i < entries.size() && index < 0; ++i)
      if (entries[i].name == wanted.toString())
        index = static_cast<int>(i);
  }
  if (index >= 0)
    return std::nullopt;
  return Failure{QStringLiteral("out-of-range"), QStringLiteral("no such profile (%1 profiles)").arg(entries.size())};
}

std::optional<Failure> AbsoluteFile(const QJsonObject& args, QString& file) {
  file = args.value(QLatin1String("file")).toString();
  if (!file.isEmpty() && QFileInfo(file).isAbsolute())
    return std::nullopt;
  file.clear();
  return Failure{QStringLiteral("bad-request"), QStringLiteral("\"file\" is an absolute path")};
}

}  // namespace control
