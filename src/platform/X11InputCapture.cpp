#include "platform/X11InputCapture.h"

#include <QEvent>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWindow>

#include "platform/DebugChannel.h"

// Last: Xlib's macros (KeyPress, None, Bool...) would clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace platform {

namespace {

constexpr int kX11KeycodeOffset = 8;

// The display Qt itself talks to, so the grab lands on the same server even
// when it was chosen on the command line rather than by DISPLAY.
const char* QtDisplayName() {
  if (auto* x11 = qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>()
                                  : nullptr)
    if (Display* display = x11->display())
      return DisplayString(display);
  return nullptr;
}

const char* GrabResultName(int result) {
  switch (result) {
    case AlreadyGrabbed: return "held by another program";
    case GrabNotViewable: return "window not viewable";
    case GrabFrozen: return "keyboard frozen";
    case GrabInvalidTime: return "invalid time";
    default: return "refused";
  }
}

}  // namespace

X11InputCapture::X11InputCapture() = default;

X11InputCapture::~X11InputCapture() { Stop(); }

bool X11InputCapture::Start(QWindow* window, bool keys, bool buttons, CaptureSink sink) {
  Stop();
  if (window == nullptr)
    return false;
  Display* display = XOpenDisplay(QtDisplayName());
  if (display == nullptr) {
    DebugOutput("key capture: no X display");
    return false;
  }
  display_ = display;
  if (keys) {
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(display, True, &detectable);
    const int result = XGrabKeyboard(display, static_cast<Window>(window->winId()), False,
                                     GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result != GrabSuccess) {
      DebugPrint("key capture: keyboard grab failed (%s)", GrabResultName(result));
      XCloseDisplay(display);
      display_ = nullptr;
      return false;
    }
  }
  if (buttons && !SelectRawButtons())
    DebugOutput("key capture: no XInput2 on this server; mouse buttons are not captured");
  XSync(display, False);

  sink_ = std::move(sink);
  window_ = window;
  window->installEventFilter(this);
  windowGone_ = connect(window, &QObject::destroyed, this, [this] { Stop(); });
  const uint64_t run = ++run_;
  notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this, run] { Drain(run); });
  // Events the sync above already read would not wake the notifier.
  QMetaObject::invokeMethod(this, [this, run] { Drain(run); }, Qt::QueuedConnection);
  return true;
}

bool X11InputCapture::SelectRawButtons() {
  int event = 0;
  int error = 0;
  if (!XQueryExtension(display_, "XInputExtension", &xinputOpcode_, &event, &error)) {
    xinputOpcode_ = -1;
    return false;
  }
  int major = 2;
  int minor = 2;
  if (XIQueryVersion(display_, &major, &minor) != Success) {
    xinputOpcode_ = -1;
    return false;
  }
  unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
  XISetMask(bits, XI_RawButtonPress);
  XISetMask(bits, XI_RawButtonRelease);
  XIEventMask mask;
  mask.deviceid = XIAllMasterDevices;
  mask.mask_len = sizeof(bits);
  mask.mask = bits;
  XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
  return true;
}

void X11InputCapture::Stop() {
  ++run_;
  notifier_.reset();
  if (window_ != nullptr)
    window_->removeEventFilter(this);
  disconnect(windowGone_);
  window_ = nullptr;
  sink_ = {};
  if (display_ != nullptr) {
    Display* display = display_;
    display_ = nullptr;
    XUngrabKeyboard(display, CurrentTime);
    XCloseDisplay(display);  // flushes the ungrab
  }
  xinputOpcode_ = -1;
}

bool X11InputCapture::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
    Stop();
  return false;
}

void X11InputCapture::Drain(uint64_t run) {
  // A sink may stop or restart the capture; nothing of this run is delivered
  // after that.
  while (run == run_ && display_ != nullptr && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == KeyPress || event.type == KeyRelease) {
      CapturedKey key;
      key.inputCode = static_cast<int>(event.xkey.keycode) - kX11KeycodeOffset;
      key.pressed = event.type == KeyPress;
      key.timeMs = static_cast<uint32_t>(event.xkey.time);
      // A copy: the sink may be replaced while it runs.
      if (auto deliver = sink_.key)
        deliver(key);
      continue;
    }
    if (event.type != GenericEvent || event.xcookie.extension != xinputOpcode_)
      continue;
    if (!XGetEventData(display_, &event.xcookie))
      continue;
    const int type = event.xcookie.evtype;
    const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
    CapturedButton button;
    button.pressed = type == XI_RawButtonPress;
    button.timeMs = static_cast<uint32_t>(raw->time);
    bool known = true;
    switch (raw->detail) {
      case 1: button.button = CapturedButtonKind::Left; break;
      case 2: button.button = CapturedButtonKind::Middle; break;
      case 3: button.button = CapturedButtonKind::Right; break;
      case 8: button.button = CapturedButtonKind::Back; break;
      case 9: button.button = CapturedButtonKind::Forward; break;
      default: known = false; break;  // the wheel (4 to 7) is not recorded
    }
    XFreeEventData(display_, &event.xcookie);
    if (known && (type == XI_RawButtonPress || type == XI_RawButtonRelease))
      if (auto deliver = sink_.button)
        deliver(button);
  }
}

}  // namespace platform
