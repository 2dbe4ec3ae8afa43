#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <span>

#include "app/MainWindowRoutes.h"
#include "platform/WindowMessageTypes.h"

class CVarnisUSBDevice;
class DevicePageSet;
namespace toolkit {
class CControlUI;
class CWindowWnd;
struct TNotifyUI;
}  // namespace toolkit

// One row of the main window's routes reached: a notification, a message or
// a timer.
struct RouteCall {
  toolkit::TNotifyUI* notification = nullptr;  // null for messages and timers
  QString type;  // notification type, "message" or "timer"
  QString name;  // control name, message name or timer id
  int index = -1;
  platform::WParam wParam = 0;
  platform::LParam lParam = 0;
  RouteOwner owner = RouteOwner::MainWindow;
};

// Options of a group report the one that became selected; others report
// both ways: whether the call's sender is an option now selected (true when
// it is not an option).
bool OptionSelected(const RouteCall& call);

// The main window as the feature commands (lighting, profiles, keyboard
// settings) see it: where their rows arrive, the device shown, the pages,
// the window's own controls, and the window that owns their dialogs. The
// commands hold this, not the window, so that the window's header and
// theirs do not include each other.
class FeatureHost {
 public:
  using RouteHandler = std::function<void(const RouteCall&)>;

  virtual void SetRouteHandler(RouteOwner owner, RouteHandler handler) = 0;
  // The device of the selected, visible selector; null when there is none.
  virtual CVarnisUSBDevice* CurrentDevice() const = 0;
  // The keyboard page chosen last (it stays chosen while another kind of
  // page is shown); null when there is none.
  virtual CVarnisUSBDevice* SelectedKeyboard() const = 0;
  // The last spectrum the capture delivered, as its record's bytes.
  virtual std::span<const uint8_t> LastSpectrum() const = 0;
  virtual DevicePageSet& Pages() = 0;
  virtual toolkit::CControlUI* FindControl(const QString& name) const = 0;
  // The owner of file dialogs and message boxes, and its DPI (which a
  // message box gives every window).
  virtual toolkit::CWindowWnd& DialogOwner() = 0;
  virtual int DialogDpi() const = 0;
  // Key capture for key assignment (mode 1) and macro recording (4, 8, 16,
  // 32): on starts it (the device selector is disabled meanwhile), off ends
  // it. False when the keys could not be taken.
  virtual bool SetHookState(int mode, bool on) = 0;
  // Whether captured keys come from the whole desktop, or only from this
  // program's window (where the desktop lets no program take the keyboard).
  virtual bool CaptureReachesDesktop() const = 0;

 protected:
  ~FeatureHost() = default;
};
