#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform {

// Replaces whole files so that a crash, a kill or a full disk leaves either
// the old file or the new one, never a truncated one. Every file the program
// writes goes through here. Paths are in the file system's encoding.
//
// The bytes go to a hidden temporary file beside the target
// (".<name>.travix-tmp.XXXXXX"). Every write, the fsync and the close are
// checked, and only a temporary file that holds all the bytes is renamed over
// the target; the folder is synced after the rename. On any failure the
// temporary file is removed, the target stays as it was, a debug line is
// written and the failure listener is told.
//
// A target that already holds exactly the bytes is not written at all: the
// program saves more often than anything changes, and a rewrite on a full
// disk is a failure for nothing.
//
// Symbolic links are never followed: the comparison opens the target with
// O_NOFOLLOW, and the rename replaces a link standing at the target by the
// new file, leaving whatever it pointed at untouched.
//
// Not QSaveFile: on a full disk it reported success after a flush that had
// failed, and the short file replaced the good one.
class AtomicFileWriter {
 public:
  struct Result {
    // 0, or the errno of the step that failed (EINVAL for an unusable path).
    int error = 0;
    // The target already held the bytes; nothing was written.
    bool unchanged = false;
    explicit operator bool() const { return error == 0; }
  };

  // The calls whose failures the writer has to survive. An empty member is
  // the system's own call; tests put in failing ones.
  struct SystemCalls {
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
  };

  using FailureListener = std::function<void(const std::string& path, int error)>;

  AtomicFileWriter() = default;
  explicit AtomicFileWriter(SystemCalls calls) : calls_(std::move(calls)) {}
  // A writer for a file the user named himself (an export): its caller
  // tells the user of a failure, so the failure listener, which speaks of
  // the program's own settings, is not told.
  static AtomicFileWriter ForUsersFile() {
    AtomicFileWriter writer;
    writer.tellsListener_ = false;
    return writer;
  }

  // `bytes` as the whole content of `path`. A new file gets mode 0666 less
  // the umask, as open() would give it; a file that is replaced keeps its
  // permission bits.
  [[nodiscard]] Result Write(const std::string& path, std::string_view bytes) const;

  // Told once for every failed Write, on the writing thread, so that the
  // program can tell the user that settings are not being saved. Replaces
  // the listener before; an empty one removes it. The listener runs under
  // the writer's listener lock: once SetFailureListener returns, the one
  // replaced is neither running nor called again. It must not block on
  // another thread that may set the listener (post a message instead). A
  // write it makes itself does not report to it again.
  static void SetFailureListener(FailureListener listener);

  // Moves the file or link at `path` out of the way under the first free
  // name of path + ".broken", ".broken.1", ".broken.2", ... An existing
  // backup is never replaced, even by a racing writer of the same name; a
  // link is moved as it is, never followed. 0, or the errno that stopped
  // it (ENOENT when there is nothing at `path`). `movedTo` receives the
  // new name.
  static int SetAside(const std::string& path, std::string* movedTo = nullptr);
  // What stands at `path`, looked at without following a link: a link, or
  // anything worth keeping (all but nothing and an empty regular file).
  static bool IsLink(const std::string& path);
  static bool HoldsSomething(const std::string& path);

  // Whether `name` (no folder) is a temporary file this writer leaves
  // behind when killed, or one QSaveFile left beside one of the program's
  // files in earlier versions.
  static bool IsLeftoverName(std::string_view name);
  // Removes the regular files in `folder` (not below) whose names are
  // leftovers. Only for the program's own folders, and only while no other
  // instance can be writing there. Returns how many were removed.
  static int RemoveLeftovers(const std::string& folder);

  static constexpr std::string_view kTemporaryMarker = ".travix-tmp.";
  static constexpr int kMaxBackups = 1000;

 private:
  void Report(const std::string& path, const char* step, int error) const;

  SystemCalls calls_;
  bool tellsListener_ = true;
};

}  // namespace platform
