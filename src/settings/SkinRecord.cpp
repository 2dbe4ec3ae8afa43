#include "settings/SkinRecord.h"

#include <QSettings>

bool SkinRecord::Write(const QString& path, bool picture, const QString& image) {
  QSettings file(path, QSettings::IniFormat);
  file.beginGroup(QStringLiteral("SKINIMAGE"));
  file.setValue(QStringLiteral("FLAGS"), picture ? QStringLiteral("1") : QStringLiteral("0"));
  file.setValue(QStringLiteral("IMAGE"), image);
  file.endGroup();
  file.sync();
  return file.status() == QSettings::NoError;
}
