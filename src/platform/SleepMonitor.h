#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QDBusConnection;
class QDBusUnixFileDescriptor;

namespace platform {

// Tells the program when the machine is about to suspend and when it has
// resumed, from logind's PrepareForSleep signal on the system bus, so the main
// window can stop talking to devices before their USB links go away.
//
// While running it holds a logind "delay" inhibitor lock: logind then waits
// (up to its InhibitDelayMaxSec) until the SleepChanged(true) handlers have
// run before it suspends. Only handlers connected directly (same thread) have
// finished when the lock goes; queued ones may run after the resume.
//
// Without a system bus or without logind (containers, CI) Start() fails
// quietly and the monitor never reports anything.
class SleepMonitor : public QObject {
  Q_OBJECT
 public:
  explicit SleepMonitor(QObject* parent = nullptr);
  // Listens on another bus instead of the system bus (tests with a private bus).
  SleepMonitor(const QDBusConnection& bus, QObject* parent = nullptr);
  ~SleepMonitor() override;

  // Subscribes to the signal and takes the delay lock; false, with one debug
  // line, when the bus or logind cannot be reached. Never blocks for long.
  bool Start();
  bool Sleeping() const { return sleeping_; }
  bool HoldsDelayLock() const { return lock_ != nullptr; }

 public slots:
  // logind's PrepareForSleep(start), also the entry point for tests. Only a
  // change of state is passed on: a repeated "true" (or a "false" while awake)
  // is dropped, so listeners see strict sleep/wake pairs.
  void OnPrepareForSleep(bool start);

 signals:
  void SleepChanged(bool sleeping);

 private:
  QDBusConnection Bus() const;
  void TakeDelayLock();

  // Empty for the system bus, which is resolved only in Start() so that
  // merely constructing the monitor never touches the bus.
  QString busName_;
  bool started_ = false;
  bool sleeping_ = false;
  bool lockPending_ = false;
  std::unique_ptr<QDBusUnixFileDescriptor> lock_;
};

}  // namespace platform
