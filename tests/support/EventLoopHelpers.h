#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

namespace testing_support {

// Runs the Qt event loop until `done` holds or the limit passes; returns
// whether it held.
inline bool RunUntil(const std::function<bool()>& done, int limitMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limitMs)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // Outside a running loop, deleteLater is only carried out on request.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::usleep(200);
  }
  return true;
}

// Runs the event loop for a while (to see that nothing more happens).
inline void RunFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(200);
  }
}

}  // namespace testing_support
