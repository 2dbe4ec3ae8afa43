#include "toolkit/SkinFileLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace toolkit {

QString SkinFileLocator::Locate(const QString& base, const QString& name) {
  QString relative = name;
  relative.replace('\\', '/');
  if (relative.isEmpty())
    return {};
  QString path = QDir::isAbsolutePath(relative) ? relative : QDir(base).filePath(relative);
  if (QFileInfo(path).isFile())
    return QDir::cleanPath(path);

  // Walk the path one segment at a time, matching each without regard to case.
  QString current = QDir::isAbsolutePath(relative) ? QStringLiteral("/") : base;
  const QStringList segments = relative.split('/', Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < segments.size(); ++i) {
    const QString& segment = segments[i];
    QDir dir(current);
    if (segment == "." )
      continue;
    if (segment == "..") {
      current = dir.filePath("..");
      continue;
    }
    const bool last = i + 1 == segments.size();
    const QStringList entries =
        dir.entryList(last ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot);
    QString match;
    for (const QString& entry : entries) {
      if (entry.compare(segment, Qt::CaseInsensitive) == 0) {
        match = entry;
        if (entry == segment)
          break;
      }
    }
    if (match.isEmpty())
      return {};
    current = dir.filePath(match);
  }
  return QFileInfo(current).isFile() ? QDir::cleanPath(current) : QString();
}

}  // namespace toolkit
