#include "profiles/ProfileIds.h"

#include <QFileInfo>

bool IsPlainFileName(const QString& id) {
  if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String(".."))
    return false;
  for (const QChar c : id) {
    if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
      return false;
  }
  return id.toUtf8().size() <= kMaxIdBytes;
}

QString MakeTimeStampId(const QDateTime& now) {
  const QDate date = now.date();
  const QTime time = now.time();
  return QString::asprintf("%d_%02d_%02d_%02d_%02d_%02d_%03d", date.year(), date.month(), date.day(),
                           time.hour(), time.minute(), time.second(), time.msec());
}

QString MakeUniqueTimeStampId(const QString& folder, const std::function<bool(const QString&)>& taken,
                              const QString& suffix, const QDateTime& start) {
  QDateTime when = start.isValid() ? start : QDateTime::currentDateTime();
  for (int attempt = 0; attempt < kMaxIdAttempts; ++attempt, when = when.addMSecs(1)) {
    const QString id = MakeTimeStampId(when);
    if (taken && taken(id))
      continue;
    if (QFileInfo::exists(folder + id + suffix))
      continue;
    return id;
  }
  return {};
}
