#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Turns SIGTERM, SIGINT and SIGHUP (log-out, kill, Ctrl+C) into a Qt signal on
// the thread that installed it, so the program can shut down in order
// instead of dying in the middle of a write.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers once per process; later calls return the same object.
  static TerminationSignals* Install();

 signals:
  void Requested(int signalNumber);

 private:
  TerminationSignals();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace platform
