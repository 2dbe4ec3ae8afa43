#include "profiles/JsonFile.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFileWriter.h"
#include "platform/DebugChannel.h"

namespace {

// A name with a NUL in it would reach the system cut short at the NUL and
// name another file.
bool UsablePath(const QString& path) { return !path.isEmpty() && !path.contains(QChar(0)); }

// Reads the regular file at `name` whole. Sets `openError` to the errno of
// the open (0 when it opened; ELOOP for a link not followed).
bool ReadWhole(const QByteArray& name, bool followLinks, std::string& text, int& openError) {
  // Non-blocking, so that a FIFO planted under a profile's name cannot hang
  // the caller; only regular files are read.
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
  const int fd = ::open(name.constData(), flags);
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

Json::Value Parse(const QString& path, bool followLinks) {
  std::string text;
  int openError = ENOENT;
  bool read = false;
  if (UsablePath(path))
    read = ReadWhole(QFile::encodeName(path), followLinks, text, openError);
  else
    openError = EINVAL;
  platform::DebugPrint("readjsonFile 错误吗：：%d\n", openError);
  if (!read) {
    platform::DebugOutput(path.toStdString());
    return Json::Value();
  }
  return JsonFile::ParseText(text);
}

// Whether a member name anywhere in `value` holds a NUL.
bool HasNulInNames(const Json::Value& value) {
  if (value.isObject()) {
    for (auto it = value.begin(); it != value.end(); ++it)
      if (it.name().find('\0') != std::string::npos || HasNulInNames(*it))
        return true;
  } else if (value.isArray()) {
    for (const Json::Value& element : value)
      if (HasNulInNames(element))
        return true;
  }
  return false;
}

}  // namespace

Json::Value JsonFile::ParseText(std::string_view text) {
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

Json::Value JsonFile::ReadJson(const QString& path) const { return Parse(path, false); }

Json::Value JsonFile::ReadJsonFollowingLinks(const QString& path) const { return Parse(path, true); }

int JsonFile::WriteJson(const QString& path, const Json::Value& value) const {
  return Write(path, value, platform::AtomicFileWriter());
}

int JsonFile::WriteUsersFile(const QString& path, const Json::Value& value) const {
  return Write(path, value, platform::AtomicFileWriter::ForUsersFile());
}

int JsonFile::Write(const QString& path, const Json::Value& value,
                    const platform::AtomicFileWriter& writer) const {
  if (!UsablePath(path))
    return -1;
  std::string text;
  if (HasNulInNames(value)) {
    // The styled writer cuts a member name at a NUL: "a\u0000b" would be
    // written as a second "a". The stream writer keeps the name whole.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    text = Json::writeString(builder, value);
  } else {
    text = Json::StyledWriter().write(value);
  }
  if (text.empty() || text.back() != '\n')
    text += '\n';
  return writer.Write(QFile::encodeName(path).toStdString(), text) ? 0 : -1;
}
