#include "platform/AtomicFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DebugChannel.h"

namespace platform {
namespace {

std::recursive_mutex& ListenerMutex() {
  // Never destroyed: a worker left running at exit may still save.
  static auto* mutex = new std::recursive_mutex;
  return *mutex;
}

AtomicFileWriter::FailureListener& Listener() {
  static auto* listener = new AtomicFileWriter::FailureListener;
  return *listener;
}

// Set while this thread runs the listener, whose own failed writes must not
// call it again.
thread_local bool inListener = false;

void ReportFailure(const std::string& path, const char* step, int error) {
  DebugPrint("file not saved (%s failed, errno %d): %s", step, error, path.c_str());
  std::lock_guard lock(ListenerMutex());
  if (inListener || !Listener())
    return;
  inListener = true;
  try {
    Listener()(path, error);
  } catch (...) {
    // A listener's fault must not turn a reported failure into a crash.
  }
  inListener = false;
}

// The file system's own limit for one name.
constexpr size_t kMaxNameBytes = 255;

bool UsablePath(const std::string& path, std::string& folder, std::string& name) {
  if (path.empty() || path.find('\0') != std::string::npos || path.back() == '/')
    return false;
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name != "." && name != "..";
}

// Whether the regular file at `path` (never a link) holds exactly `bytes`.
// `mode` receives its permission bits when it is a regular file, and is left
// alone otherwise.
bool HoldsBytes(const std::string& path, std::string_view bytes, std::optional<mode_t>& mode) {
  // Non-blocking: a FIFO planted under the name must not hang the save.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return false;
  struct stat info {};
  bool same = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (same)
    mode = info.st_mode & 07777;
  same = same && static_cast<size_t>(info.st_size) == bytes.size();
  char buffer[16384];
  size_t done = 0;
  while (same) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      same = false;
      break;
    }
    if (got == 0)
      break;
    const auto count = static_cast<size_t>(got);
    same = done + count <= bytes.size() && bytes.substr(done, count) == std::string_view(buffer, count);
    done += count;
  }
  ::close(fd);
  return same && done == bytes.size();
}

// The process's umask, which a new file should honour as one made by open()
// would. umask() cannot read it without setting it, which would race with
// other threads making files; the kernel shows it in /proc instead.
mode_t CurrentUmask() {
  mode_t mask = 022;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
      unsigned value = 0;
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = static_cast<mode_t>(value & 0777);
        break;
      }
    }
    std::fclose(status);
  }
  return mask;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  // The new file is in place either way; a failure here only means the
  // rename may not survive a power cut, which nothing can undo now.
  if (::fsync(fd) != 0 && errno != EINVAL)
    DebugPrint("folder not synced (errno %d): %s", errno, folder.c_str());
  ::close(fd);
}

bool IsAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The six characters mkstemp and QTemporaryFile put in place of "XXXXXX".
bool IsRandomPart(std::string_view text) {
  if (text.size() != 6)
    return false;
  for (const char c : text)
    if (!IsAlnum(c))
      return false;
  return true;
}

// QTemporaryFile (behind QSaveFile) draws its six characters from both
// letter cases, so nearly every leftover mixes them. A suffix a person types
// is one word: "backup", "Backup", "BACKUP", "copy01". Those stay, and with
// them the one leftover in about twenty that happens to look like one: a
// leftover missed is harmless, a user's file taken for one would be lost.
bool LooksDrawnByQt(std::string_view text) {
  int upper = 0, lower = 0;
  for (const char c : text) {
    upper += c >= 'A' && c <= 'Z';
    lower += c >= 'a' && c <= 'z';
  }
  const bool capitalised = upper == 1 && text.front() >= 'A' && text.front() <= 'Z';
  return upper > 0 && lower > 0 && !capitalised;
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

void AtomicFileWriter::Report(const std::string& path, const char* step, int error) const {
  if (tellsListener_)
    ReportFailure(path, step, error);
  else
    DebugPrint("file not written (%s failed, errno %d): %s", step, error, path.c_str());
}

AtomicFileWriter::Result AtomicFileWriter::Write(const std::string& path, std::string_view bytes) const {
  std::string folder, name;
  if (!UsablePath(path, folder, name)) {
    Report(path, "path", EINVAL);
    return {EINVAL, false};
  }
  std::optional<mode_t> mode;
  if (HoldsBytes(path, bytes, mode))
    return {0, true};
  if (!mode)
    mode = 0666 & ~CurrentUmask();

  std::string temporary = folder + "/." + name + std::string(kTemporaryMarker) + "XXXXXX";
  if (name.size() + 1 + kTemporaryMarker.size() + 6 > kMaxNameBytes) {
    Report(path, "name", ENAMETOOLONG);
    return {ENAMETOOLONG, false};
  }
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    Report(path, "create", error);
    return {error, false};
  }

  const char* step = nullptr;
  int error = 0;
  auto fail = [&](const char* what, int code) {
    if (step == nullptr) {
      step = what;
      error = code;
    }
  };
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t left = bytes.size() - done;
    const ssize_t wrote =
        calls_.write ? calls_.write(fd, bytes.data() + done, left) : ::write(fd, bytes.data() + done, left);
    if (wrote < 0 && errno == EINTR)
      continue;
    if (wrote <= 0) {
      // A write that takes nothing and reports nothing would loop forever.
      fail("write", wrote < 0 ? errno : EIO);
      break;
    }
    done += static_cast<size_t>(wrote);
  }
  // mkostemp made the file 0600 whatever the umask.
  if (step == nullptr && ::fchmod(fd, *mode) != 0)
    fail("chmod", errno);
  if (step == nullptr && (calls_.fsync ? calls_.fsync(fd) : ::fsync(fd)) != 0)
    fail("fsync", errno);
  // The data is on the disk once fsync succeeded; an EINTR from close then
  // loses nothing (Linux releases the descriptor either way).
  if (::close(fd) != 0 && errno != EINTR)
    fail("close", errno);
  if (step == nullptr &&
      (calls_.rename ? calls_.rename(temporary.c_str(), path.c_str())
                     : ::rename(temporary.c_str(), path.c_str())) != 0)
    fail("rename", errno);
  if (step != nullptr) {
    ::unlink(temporary.c_str());
    Report(path, step, error);
    return {error, false};
  }
  SyncFolder(folder);
  return {0, false};
}

void AtomicFileWriter::SetFailureListener(FailureListener listener) {
  std::lock_guard lock(ListenerMutex());
  Listener() = std::move(listener);
}

bool AtomicFileWriter::IsLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool AtomicFileWriter::HoldsSomething(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && !(S_ISREG(info.st_mode) && info.st_size == 0);
}

int AtomicFileWriter::SetAside(const std::string& path, std::string* movedTo) {
  struct stat info {};
  if (path.empty() || ::lstat(path.c_str(), &info) != 0)
    return path.empty() ? EINVAL : errno;
  for (int number = 0; number <= kMaxBackups; ++number) {
    std::string backup = path + ".broken";
    if (number > 0)
      backup += "." + std::to_string(number);
    // RENAME_NOREPLACE, and link() where the file system lacks it: both
    // refuse to take a name that exists, so a backup made meanwhile by
    // anyone else survives. Both move a link itself, not its target.
    int result = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
      result = ::link(path.c_str(), backup.c_str());
      if (result == 0 && ::unlink(path.c_str()) != 0) {
        const int error = errno;
        ::unlink(backup.c_str());
        DebugPrint("cannot set aside %s (errno %d)", path.c_str(), error);
        return error;
      }
    }
    if (result == 0) {
      DebugPrint("set aside %s as %s", path.c_str(), backup.c_str());
      if (movedTo != nullptr)
        *movedTo = backup;
      return 0;
    }
    if (errno != EEXIST) {
      const int error = errno;
      DebugPrint("cannot set aside %s (errno %d)", path.c_str(), error);
      return error;
    }
  }
  DebugPrint("cannot set aside %s: %d backups already", path.c_str(), kMaxBackups);
  return EEXIST;
}

bool AtomicFileWriter::IsLeftoverName(std::string_view name) {
  if (name.size() < 7)
    return false;
  const std::string_view random = name.substr(name.size() - 6);
  if (!IsRandomPart(random) || name[name.size() - 7] != '.')
    return false;
  const std::string_view stem = name.substr(0, name.size() - 7);  // without ".XXXXXX"

  // This writer's own: "." + target name + kTemporaryMarker + XXXXXX.
  const std::string_view marker = kTemporaryMarker.substr(0, kTemporaryMarker.size() - 1);
  if (name.front() == '.' && EndsWith(stem, marker) && stem.size() > marker.size() + 1)
    return true;

  // QSaveFile's, from earlier versions: "<name>.<ext>.XXXXXX" beside the
  // program's own kinds of file.
  if (!LooksDrawnByQt(random))
    return false;
  for (const std::string_view extension : {".Json", ".json", ".ini", ".config", ".mac", ".Shoot"})
    if (EndsWith(stem, extension) && stem.size() > extension.size())
      return true;
  return false;
}

int AtomicFileWriter::RemoveLeftovers(const std::string& folder) {
  // Opened without following a link, and every name taken relative to it:
  // a folder swapped for a link meanwhile cannot lead the removal elsewhere.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folderFd < 0)
    return 0;
  DIR* dir = ::fdopendir(folderFd);
  if (dir == nullptr) {
    ::close(folderFd);
    return 0;
  }
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!IsLeftoverName(name))
      continue;
    struct stat info {};
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
      continue;
    if (::unlinkat(folderFd, entry->d_name, 0) == 0) {
      ++removed;
      DebugPrint("removed the leftover temporary file %s/%s", folder.c_str(), entry->d_name);
    }
  }
  ::closedir(dir);  // closes folderFd too
  return removed;
}

}  // namespace platform
