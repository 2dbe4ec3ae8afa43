#pragma once

#include <cstdint>
#include <memory>

#include "platform/InputCapture.h"
#include "platform/WindowMessageTypes.h"

class QWindow;

// The key and mouse-button capture of the main window, for key assignment
// (mode 1) and macro recording (modes 4, 8, 16, 32). Each captured key
// reaches the target window as the registered message of the current mode,
// sent on the UI thread with the message number in wParam and a
// platform::KeyHookRecord in lParam; each mouse button as the mouse message
// of the mode with a platform::MouseHookRecord. A key or button of a run
// that has ended is never delivered.
class CDeviceHook {
 public:
  explicit CDeviceHook(std::unique_ptr<platform::InputCapture> capture);
  ~CDeviceHook();
  CDeviceHook(const CDeviceHook&) = delete;
  CDeviceHook& operator=(const CDeviceHook&) = delete;

  // Ends the current capture, then captures keys when `keyboardHook` and
  // mouse buttons when `libraryHook`, grabbing on `window`. False only when
  // the keys cannot be taken; nothing is captured then.
  bool SetHook(int mode, platform::WindowHandle target, QWindow* window, bool keyboardHook,
               bool libraryHook);
  void Unhook();

  int Mode() const { return mode_; }
  bool IsKeyboardHooked() const { return keyboardHooked_; }
  bool IsLibraryHooked() const { return libraryHooked_; }
  // Whether keys are taken from the whole desktop or only from the window.
  platform::InputCapture::Reach Reach() const { return capture_->GetReach(); }

  // The registered message a key, or a mouse button, is sent with in `mode`;
  // 0 where the mode sends none.
  static uint32_t KeyMessageOfMode(int mode);
  static uint32_t ButtonMessageOfMode(int mode);

 private:
  void OnKey(uint64_t run, const platform::CapturedKey& key);
  void OnButton(uint64_t run, const platform::CapturedButton& button);

  std::unique_ptr<platform::InputCapture> capture_;
  platform::WindowHandle target_ = 0;
  int mode_ = 0;
  bool keyboardHooked_ = false;
  bool libraryHooked_ = false;
  uint64_t run_ = 0;
  // Held modifiers, for the system-key messages (Alt without Ctrl).
  bool altHeld_[2] = {false, false};
  bool ctrlHeld_[2] = {false, false};
};
