#include "platform/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>

#include "platform/AtomicFileWriter.h"

namespace platform {
namespace {

std::mutex& Mutex() {
  static std::mutex mutex;
  return mutex;
}

QString& ProgramDirOverride() {
  static QString dir;
  return dir;
}

QString WithSlash(QString path) {
  if (!path.endsWith('/'))
    path += '/';
  return path;
}

}  // namespace

void DataFolders::SetProgramDir(const QString& dir) {
  std::lock_guard lock(Mutex());
  ProgramDirOverride() = dir.isEmpty() ? QString() : WithSlash(dir);
}

QString DataFolders::ProgramDir() {
  {
    std::lock_guard lock(Mutex());
    if (!ProgramDirOverride().isEmpty())
      return ProgramDirOverride();
  }
  const QString exeDir = QCoreApplication::applicationDirPath();
  const QString installed = QDir::cleanPath(exeDir + "/../share/travix");
  if (!QFileInfo(exeDir + "/skin").isDir() && QFileInfo(installed).isDir())
    return WithSlash(installed);
  return WithSlash(exeDir);
}

QString DataFolders::DefaultDataDir() { return ProgramDir() + "DefaultData/"; }

QString DataFolders::Ensure(const QString& dir) {
  QDir().mkpath(dir);
  return dir;
}

QString DataFolders::UserDataDir() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  // XDG base directories: a relative value is invalid and ignored.
  if (base.isEmpty() || !QDir::isAbsolutePath(base))
    base = QDir::homePath() + "/.local/share";
  return Ensure(WithSlash(base) + kProductName + "/");
}

QString DataFolders::DeviceFolder(const QString& kindName) {
  return Ensure(UserDataDir() + kindName + "/");
}

int DataFolders::RemoveLeftoverTemporaryFiles() {
  // The user data folder is named with its trailing slash, so a user who
  // moved it elsewhere and left a link is followed; a device folder that is
  // a link is not (RemoveLeftovers opens it with O_NOFOLLOW). Device folders
  // that are missing are not created just to be swept.
  const std::string user = QFile::encodeName(UserDataDir()).toStdString();
  int removed = AtomicFileWriter::RemoveLeftovers(user);
  for (const char* kind : kDeviceFolderNames)
    removed += AtomicFileWriter::RemoveLeftovers(user + kind);
  return removed;
}

}  // namespace platform
