#pragma once

#include <csignal>
#include <sys/resource.h>

namespace testing_support {

// Makes every write that would grow a file of this process past `bytes` fail
// with EFBIG while it exists: a full disk without mounting one. SIGXFSZ,
// which would otherwise end the process, is ignored meanwhile.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    active_ = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Active() const { return active_; }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
  bool active_ = false;
};

}  // namespace testing_support
