#include "profiles/DeviceFiles.h"

#include <QFile>

#include "platform/AtomicFileWriter.h"
#include "platform/DataFolders.h"
#include "profiles/ProfileIds.h"

DeviceFiles::DeviceFiles(const QString& kindName, const QString& lightConfigName)
    : kindName_(kindName),
      lightConfigName_(lightConfigName),
      folder_(kindName.isEmpty() ? QString() : platform::DataFolders::DeviceFolder(kindName)) {}

QString DeviceFiles::DefaultProfilePath() const {
  return platform::DataFolders::DefaultDataDir() + kindName_ + QStringLiteral(".Json");
}

QString DeviceFiles::ProfilePath(const QString& id) const {
  if (folder_.isEmpty() || !IsPlainFileName(id))
    return {};
  return folder_ + id + QStringLiteral(".Json");
}

QString DeviceFiles::LightConfigPath() const {
  if (folder_.isEmpty() || lightConfigName_.isEmpty())
    return {};
  const QString path = folder_ + lightConfigName_ + QStringLiteral(".config");
  const std::string native = QFile::encodeName(path).toStdString();
  if (platform::AtomicFileWriter::IsLink(native)) {
    if (platform::AtomicFileWriter::SetAside(native) != 0)
      return path;
  } else if (QFile::exists(path)) {
    return path;
  }
  QFile product(platform::DataFolders::DefaultDataDir() + lightConfigName_ + QLatin1Char('_') +
                kindName_ + QStringLiteral(".config"));
  if (product.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = product.readAll();
    // A failure is the writer's to report; the device then runs on the
    // product's defaults until the copy succeeds at a later time.
    (void)platform::AtomicFileWriter().Write(native, std::string_view(bytes.constData(), bytes.size()));
  }
  return path;
}
