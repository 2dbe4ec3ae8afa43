#pragma once

#include <QString>

namespace platform {

// The lock that keeps two programs of this user off the devices at once:
// Travix takes it for its whole run, travixctl while it works on the
// devices without Travix. An flock on a file in the socket's folder
// ($XDG_RUNTIME_DIR), so it is gone with the process that held it, also
// after a crash or kill -9. The holder writes "<pid> <program>" into the
// file for the other side's messages.
class DeviceLock {
 public:
  static constexpr const char* kFileName = "travix-devices.lock";

  // `path` empty: the lock file in the socket's folder.
  explicit DeviceLock(QString path = {});
  ~DeviceLock();
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;

  // Takes the lock if nobody holds it; true when held (also when held
  // already by this object).
  bool TryLock();
  // Tries again every few milliseconds for up to `timeoutMs`.
  bool LockWithin(int timeoutMs);
  bool IsHeld() const { return fd_ >= 0; }
  void Unlock();

  // Who holds the lock, as written into the file ("travixctl (pid 123)"),
  // or empty when unknown.
  QString Holder() const;
  // Why the last attempt failed when it was not because another holds it
  // (no folder, the file cannot be opened); empty otherwise.
  QString Error() const { return error_; }
  QString Path() const { return path_; }

 private:
  QString path_;
  QString error_;
  int fd_ = -1;
};

}  // namespace platform
