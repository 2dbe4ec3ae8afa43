#include "platform/WindowInputCapture.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace platform {

namespace {

// Qt reports the X keycode on X11 and the XKB keycode on Wayland; both are the
// Linux input code + 8.
constexpr quint32 kKeycodeOffset = 8;

}  // namespace

WindowInputCapture::WindowInputCapture() = default;

WindowInputCapture::~WindowInputCapture() { Stop(); }

bool WindowInputCapture::Start(QWindow* window, bool keys, bool buttons, CaptureSink sink) {
  Stop();
  if (window == nullptr || QCoreApplication::instance() == nullptr)
    return false;
  window_ = window;
  sink_ = std::move(sink);
  keys_ = keys;
  buttons_ = buttons;
  capturing_ = true;
  QCoreApplication::instance()->installEventFilter(this);
  return true;
}

void WindowInputCapture::Stop() {
  if (!capturing_)
    return;
  capturing_ = false;
  sink_ = {};
  window_ = nullptr;
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->removeEventFilter(this);
}

bool WindowInputCapture::eventFilter(QObject* watched, QEvent* event) {
  if (!capturing_)
    return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      if (!keys_)
        return false;
      // Accepted: no shortcut fires; the key then comes as a key press,
      // which is taken below.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (!keys_)
        return false;
      auto* key = static_cast<QKeyEvent*>(event);
      // Auto-repeat comes as repeated presses; the releases between them are
      // not the key going up.
      const bool repeatedRelease = key->isAutoRepeat() && event->type() == QEvent::KeyRelease;
      if (key->nativeScanCode() > kKeycodeOffset && !repeatedRelease) {
        CapturedKey captured;
        captured.inputCode = static_cast<int>(key->nativeScanCode() - kKeycodeOffset);
        captured.pressed = event->type() == QEvent::KeyPress;
        captured.timeMs = static_cast<uint32_t>(key->timestamp());
        if (auto deliver = sink_.key)
          deliver(captured);
      }
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
      // Once per click: at the window, before it is handed to a widget.
      if (!buttons_ || !watched->isWindowType())
        return false;
      auto* mouse = static_cast<QMouseEvent*>(event);
      CapturedButton captured;
      captured.pressed = event->type() == QEvent::MouseButtonPress;
      captured.timeMs = static_cast<uint32_t>(mouse->timestamp());
      switch (mouse->button()) {
        case Qt::LeftButton: captured.button = CapturedButtonKind::Left; break;
        case Qt::RightButton: captured.button = CapturedButtonKind::Right; break;
        case Qt::MiddleButton: captured.button = CapturedButtonKind::Middle; break;
        case Qt::BackButton: captured.button = CapturedButtonKind::Back; break;
        case Qt::ForwardButton: captured.button = CapturedButtonKind::Forward; break;
        default: return false;
      }
      if (auto deliver = sink_.button)
        deliver(captured);
      return false;
    }
    case QEvent::Hide:
    case QEvent::Close:
      if (watched == window_)
        Stop();
      return false;
    default:
      return false;
  }
}

}  // namespace platform
