#pragma once

#include <QStringList>

#include "toolkit/CDialogBuilder.h"
#include "toolkit/CNotifyPump.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CWindowWnd.h"

namespace toolkit {

// A window built from a skin layout. Create builds the layout, calls
// InitWindow, and then (from the event loop, once) raises "windowinit",
// whether or not the window is shown.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IDialogBuilderCallback {
  Q_OBJECT

 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // The layout: a name of the resource index or a file under the resource path.
  virtual QString GetSkinFile() const = 0;
  virtual void InitWindow() {}
  // Notifications of the window's controls; the default routes them through
  // the virtual windows and HandleNotify.
  void Notify(TNotifyUI& msg) override;
  // Controls for tags the toolkit does not know.
  CControlUI* CreateControl(const QString& tag) override;

  CPaintManagerUI& PaintManager() { return m_pm; }
  CControlUI* FindControl(const QString& name) const { return m_pm.FindControl(name); }
  // What the layout builder reported for this window's skin.
  const QStringList& SkinErrors() const { return skinErrors_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Messages the window's own handlers did not take.
  virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                      bool& handled);
  // Handlers of the base; each sets `handled` to false to pass the message on.
  virtual LRESULT OnClose(WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnDestroy(WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam, bool& handled);

  bool OnCreate() override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

  CPaintManagerUI m_pm;

 private:
  bool InCaption(const QPoint& pos) const;
  // Fits the root control to the window, also while the window is hidden.
  void LayoutRoot();

  QStringList skinErrors_;
  bool initialised_ = false;
};

}  // namespace toolkit
