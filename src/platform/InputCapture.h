#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class QWindow;

namespace platform {

// A key taken while capture is on. `inputCode` is the Linux input code
// (KEY_*; an X keycode or a Wayland keycode is this code + 8), never a keysym,
// so the key is the same whatever the keyboard layout. `timeMs` is the
// event's own time (the server's clock on X11), not the time it was read.
struct CapturedKey {
  int inputCode = 0;
  bool pressed = false;
  uint32_t timeMs = 0;
};

enum class CapturedButtonKind { Left, Right, Middle, Back, Forward };

struct CapturedButton {
  CapturedButtonKind button = CapturedButtonKind::Left;
  bool pressed = false;
  uint32_t timeMs = 0;
};

// Where captured events go. Both are called on the UI thread, one event at a
// time; either may stop or restart the capture, after which nothing more of
// the earlier run is delivered.
struct CaptureSink {
  std::function<void(const CapturedKey&)> key;
  std::function<void(const CapturedButton&)> button;
};

// Takes the keyboard away from everything else while a key is assigned or a
// macro recorded, and reports mouse buttons beside it. One backend per
// desktop: on X11 the whole desktop (a keyboard grab; Caps, Num and Scroll
// Lock still toggle), elsewhere the program's own window only.
class InputCapture {
 public:
  enum class Reach { Desktop, OwnWindow };

  virtual ~InputCapture() = default;

  virtual Reach GetReach() const = 0;
  // Starts a run for the top-level `window` (stopping any earlier one):
  // every key when `keys`, the mouse buttons when `buttons`. False when the
  // keys cannot be taken (another program holds the keyboard, no display, no
  // window); nothing is captured then.
  virtual bool Start(QWindow* window, bool keys, bool buttons, CaptureSink sink) = 0;
  // Ends the run and gives the keyboard back. Safe to call at any time.
  virtual void Stop() = 0;
  virtual bool IsCapturing() const = 0;

  // The backend for the desktop the program runs on.
  static std::unique_ptr<InputCapture> ForThisDesktop();
};

}  // namespace platform
