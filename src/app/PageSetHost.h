#pragma once

#include <QString>

#include "platform/WindowMessageTypes.h"

namespace toolkit {
class CControlUI;
class CPaintManagerUI;
class IDialogBuilderCallback;
}  // namespace toolkit

// The main window as its device pages see it: the device bar and page areas
// of its skin, the paint manager the pages are built into, and the windows
// it closes when the device shown goes away. `DevicePageSet` holds this, not
// the window, so that the two do not include each other.
class PageSetHost {
 public:
  virtual toolkit::CControlUI* FindControl(const QString& name) const = 0;
  virtual toolkit::CPaintManagerUI& PagePaintManager() = 0;
  // Makes the program's own controls while a page's layout is built.
  virtual toolkit::IDialogBuilderCallback& PageControlMaker() = 0;
  // The window the device objects tell of their events.
  virtual platform::WindowHandle PageOwnerWindow() const = 0;
  virtual void CloseSettingsWindow() = 0;
  virtual void CloseSecondaryWindows() = 0;
  virtual void StopMacroRecording() = 0;

 protected:
  ~PageSetHost() = default;
};
