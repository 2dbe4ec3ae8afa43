#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/InputCapture.h"

class QSocketNotifier;
class QWindow;
struct _XDisplay;

namespace platform {

// Desktop-wide capture on X11. The keyboard is grabbed, on a connection of
// its own, on the program's own top-level window: the window keeps the input
// focus (a grab on any other window would send it a FocusOut and its edit
// would lose the focus), and no other program, nor Qt's own connection, sees
// a key until the grab ends. Lock keys are handled by the server before the
// grab, so they still toggle. Auto-repeat comes as repeated presses. Mouse
// buttons come from XInput2 raw events of the master pointers; clicks still
// reach their windows.
//
// There is no thread: the connection is read on the UI thread when it has
// data. The grab ends when the run stops, when the window hides or goes away,
// and when this object is destroyed; if the process dies the server ends it.
class X11InputCapture : public QObject, public InputCapture {
 public:
  X11InputCapture();
  ~X11InputCapture() override;

  Reach GetReach() const override { return Reach::Desktop; }
  bool Start(QWindow* window, bool keys, bool buttons, CaptureSink sink) override;
  void Stop() override;
  bool IsCapturing() const override { return display_ != nullptr; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Drain(uint64_t run);
  bool SelectRawButtons();

  _XDisplay* display_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  QPointer<QWindow> window_;
  QMetaObject::Connection windowGone_;
  CaptureSink sink_;
  int xinputOpcode_ = -1;
  uint64_t run_ = 0;
};

}  // namespace platform
