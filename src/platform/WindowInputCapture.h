#pragma once

#include <QObject>
#include <QPointer>

#include "platform/InputCapture.h"

class QWindow;

namespace platform {

// Capture inside the program's own windows, where the desktop lets no client
// take the keyboard (Wayland) or there is no display server at all. Key events
// are taken before Qt's shortcut handling, the focus chain and the focused
// edit see them: Tab does not move the focus and no character lands anywhere.
// Mouse buttons are reported and still reach their widgets.
class WindowInputCapture : public QObject, public InputCapture {
 public:
  WindowInputCapture();
  ~WindowInputCapture() override;

  Reach GetReach() const override { return Reach::OwnWindow; }
  bool Start(QWindow* window, bool keys, bool buttons, CaptureSink sink) override;
  void Stop() override;
  bool IsCapturing() const override { return capturing_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWindow> window_;
  CaptureSink sink_;
  bool keys_ = false;
  bool buttons_ = false;
  bool capturing_ = false;
};

}  // namespace platform
