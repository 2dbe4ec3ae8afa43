#include "profiles/JsonFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DebugChannel.h"

namespace {

// A name with a NUL in it would reach the system cut short at the NUL and
// name another file.
bool UsablePath(const QString& path) { return !path.isEmpty() && !path.contains(QChar(0)); }

// Reads the regular file at `name` whole. Sets `openError` to the errno of
// the open (0 when it opened).
bool ReadWhole(const QByteArray& name, std::string& text, int& openError) {
  // Non-blocking, so that a FIFO planted under a profile's name cannot hang
  // the caller; only regular files are read.
  const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  openError = fd < 0 ? errno : 0;
  if (fd < 0)
    return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= JsonFile::kMaxFileSize;
  if (ok) {
    text.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    // Read to the end, not to the size seen at the open: a file may grow.
    for (;;) {
      if (done == text.size()) {
        if (text.size() > static_cast<size_t>(JsonFile::kMaxFileSize)) {
          ok = false;
          break;
        }
        text.resize(text.size() + 4096);
      }
      const ssize_t got = ::read(fd, text.data() + done, text.size() - done);
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0) {
        ok = false;
        break;
      }
      if (got == 0)
        break;
      done += static_cast<size_t>(got);
    }
    text.resize(done);
  }
  ::close(fd);
  return ok;
}

// Makes the rename that replaced a file durable: the folder entry is synced
// too, not only the file's data.
void SyncFolderOf(const QString& path) {
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

Json::Value JsonFile::ReadJson(const QString& path) const {
  std::string text;
  int openError = ENOENT;
  bool read = false;
  if (UsablePath(path))
    read = ReadWhole(QFile::encodeName(path), text, openError);
  else
    openError = EINVAL;
  platform::DebugPrint("readjsonFile 错误吗：：%d\n", openError);
  if (!read) {
    platform::DebugOutput(path.toStdString());
    return Json::Value();
  }
  if (text.empty())
    return Json::Value();

  Json::CharReaderBuilder builder;  // the library's default features
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  try {
    // The reader throws rather than reports when nesting exceeds its limit.
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
      return Json::Value();
  } catch (const std::exception&) {
    return Json::Value();
  }
  return root;
}

int JsonFile::WriteJson(const QString& path, const Json::Value& value) const {
  if (!UsablePath(path))
    return -1;
  Json::StyledWriter writer;
  std::string text = writer.write(value);
  if (text.empty() || text.back() != '\n')
    text += '\n';

  // QSaveFile writes a temporary file beside the target, syncs it at commit
  // and only then renames it over the target; any failure before that
  // removes the temporary file and leaves the target as it was.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    platform::DebugPrint("WriteJson: cannot write %s\n", QFile::encodeName(path).constData());
    return -1;
  }
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();  // the temporary file goes with `file`
    platform::DebugPrint("WriteJson: write failed %s\n", QFile::encodeName(path).constData());
    return -1;
  }
  if (!file.commit()) {
    platform::DebugPrint("WriteJson: commit failed %s\n", QFile::encodeName(path).constData());
    return -1;
  }
  SyncFolderOf(path);
  return 0;
}
