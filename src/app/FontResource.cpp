#include "app/FontResource.h"

#include <QFile>
#include <QFontDatabase>

#include "platform/DataFolders.h"

FontResource::FontResource() : directory_(platform::DataFolders::ProgramDir()) {}

FontResource::~FontResource() {
  if (id_ >= 0)
    QFontDatabase::removeApplicationFont(id_);
}

bool FontResource::Load(const QString& relativePath) {
  path_ = directory_ + QString(relativePath).replace('\\', '/');
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray data = file.readAll();
  if (data.isEmpty())
    return false;
  id_ = QFontDatabase::addApplicationFontFromData(data);
  return id_ >= 0;
}
