#include "platform/DeviceLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/LocalMessageServer.h"

namespace platform {

DeviceLock::DeviceLock(QString path) : path_(std::move(path)) {
  if (path_.isEmpty()) {
    const QString dir = LocalMessageServer::SocketDirectory(&error_);
    if (!dir.isEmpty())
      path_ = dir + QLatin1String(kFileName);
  }
}

DeviceLock::~DeviceLock() { Unlock(); }

bool DeviceLock::TryLock() {
  if (fd_ >= 0)
    return true;
  if (path_.isEmpty()) {
    if (error_.isEmpty())
      error_ = QStringLiteral("no folder for the lock file");
    return false;
  }
  const QByteArray native = QFile::encodeName(path_);
  // O_NOFOLLOW: a link planted in place of the file is not followed.
  const int fd = open(native.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error_ = QStringLiteral("cannot open %1").arg(path_);
    return false;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error_ = errno == EWOULDBLOCK ? QString() : QStringLiteral("cannot lock %1").arg(path_);
    close(fd);
    return false;
  }
  error_.clear();
  fd_ = fd;
  const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  const QByteArray holder =
      QStringLiteral("%1 %2\n").arg(getpid()).arg(program.isEmpty() ? QStringLiteral("?") : program).toUtf8();
  // The note is only for the other side's messages: the lock holds without it.
  if (ftruncate(fd_, 0) == 0 &&
      pwrite(fd_, holder.constData(), static_cast<size_t>(holder.size()), 0) < 0) {
  }
  return true;
}

bool DeviceLock::LockWithin(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!TryLock()) {
    if (!error_.isEmpty() || std::chrono::steady_clock::now() >= deadline)
      return false;
    QThread::msleep(20);
  }
  return true;
}

void DeviceLock::Unlock() {
  if (fd_ < 0)
    return;
  // The holder's note goes before the lock does.
  if (ftruncate(fd_, 0) != 0) {
  }
  flock(fd_, LOCK_UN);
  close(fd_);
  fd_ = -1;
}

QString DeviceLock::Holder() const {
  QFile file(path_);
  if (path_.isEmpty() || QFileInfo(path_).isSymLink() || !file.open(QIODevice::ReadOnly))
    return {};
  const QList<QByteArray> words = file.read(256).trimmed().split(' ');
  if (words.size() < 2)
    return {};
  bool ok = false;
  const qint64 pid = words[0].toLongLong(&ok);
  if (!ok || pid <= 0)
    return {};
  return QStringLiteral("%1 (pid %2)").arg(QString::fromUtf8(words[1]).left(64)).arg(pid);
}

}  // namespace platform
