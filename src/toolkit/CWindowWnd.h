#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/WindowMessageQueue.h"
#include "toolkit/UIDefines.h"

class QEventLoop;

namespace toolkit {

// Window styles the program passes when it creates windows.
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr uint32_t WS_EX_TOPMOST = 0x00000008;
inline constexpr uint32_t UI_WNDSTYLE_FRAME = 0x16CF0000;
inline constexpr uint32_t UI_WNDSTYLE_DIALOG = 0x96C80000;

inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;

// A top-level window with a message queue: it has a handle other threads can
// send and post to, window timers, and the destroy sequence (WM_DESTROY, then
// OnFinalMessage). Windows are frameless; the skin draws their frame.
class CWindowWnd : public QWidget, public platform::MessageReceiver {
  Q_OBJECT

 public:
  CWindowWnd();
  ~CWindowWnd() override;

  platform::WindowHandle GetHWND() const;
  virtual QString GetWindowClassName() const = 0;

  // Creates the window (hidden unless WS_VISIBLE is in `style`).
  bool Create(CWindowWnd* parent, const QString& title, uint32_t style, uint32_t exStyle,
              int x = 0, int y = 0, int cx = 0, int cy = 0);
  void ShowWindow(bool show = true, bool takeFocus = true);
  // Shows the window modally and returns the code given to Close.
  UINT ShowModal();
  // Closes the window (WM_CLOSE, posted); ShowModal returns `ret`.
  void Close(UINT ret = IDOK);
  void CenterWindow();
  void SetIcon(UINT resourceId);
  bool IsDestroying() const { return destroying_; }
  // The window given as parent at creation (it may be gone since).
  CWindowWnd* GetOwner() const { return owner_; }

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Window timers: WM_TIMER with the id in wParam.
  bool SetTimer(uintptr_t id, int elapseMs);
  bool KillTimer(uintptr_t id);

  // Destroys the window: no more messages, WM_DESTROY, hidden, and then (from
  // the event loop) OnFinalMessage.
  void DestroyWindow();

 protected:
  // Every message of the window, on the UI thread. The default handles
  // WM_CLOSE (destroy) and WM_SYSCOMMAND (minimise, maximise, restore, close).
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Called once the window is created, before it is shown; false fails Create.
  virtual bool OnCreate() { return true; }
  // Last call for the window object; it may delete itself here.
  virtual void OnFinalMessage() {}

  LRESULT ReceiveMessage(uint32_t message, WPARAM wParam, LPARAM lParam) final;
  void closeEvent(QCloseEvent* event) override;

 private:
  std::unique_ptr<platform::WindowMessageQueue> queue_;
  QPointer<CWindowWnd> owner_;
  QEventLoop* modalLoop_ = nullptr;
  UINT modalResult_ = IDCANCEL;
  bool destroying_ = false;
};

}  // namespace toolkit
