#include "toolkit/WindowImplBase.h"

#include <QMouseEvent>
#include <QWindow>

#include "toolkit/CContainerUI.h"
#include "toolkit/CControlUI.h"

namespace toolkit {

using namespace platform;

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  m_pm.RemoveNotifier(this);
  m_pm.RemoveAllTimers();
}

void WindowImplBase::Notify(TNotifyUI& msg) { NotifyPump(msg); }

CControlUI* WindowImplBase::CreateControl(const QString& /*tag*/) { return nullptr; }

bool WindowImplBase::OnCreate() {
  m_pm.Init(this, GetHWND());
  CDialogBuilder builder;
  CControlUI* root = builder.Create(GetSkinFile(), {}, this, &m_pm);
  skinErrors_ = builder.Errors();
  if (root == nullptr)
    return false;
  root->setParent(this);
  root->setGeometry(rect());
  root->show();
  m_pm.AttachDialog(root);
  m_pm.AddNotifier(this);

  const CDPI* dpi = m_pm.GetDPIObj();
  if (m_pm.GetInitSize().isValid() && !m_pm.GetInitSize().isEmpty())
    resize(dpi->Scale(m_pm.GetInitSize()));
  if (m_pm.GetMinInfo().isValid() && !m_pm.GetMinInfo().isEmpty())
    setMinimumSize(dpi->Scale(m_pm.GetMinInfo()));
  if (m_pm.GetMaxInfo().isValid() && !m_pm.GetMaxInfo().isEmpty())
    setMaximumSize(dpi->Scale(m_pm.GetMaxInfo()));

  LayoutRoot();
  InitWindow();
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (IsDestroying() || initialised_)
          return;
        initialised_ = true;
        m_pm.SendNotify(m_pm.GetRoot(), DUI_MSGTYPE_WINDOWINIT);
      },
      Qt::QueuedConnection);
  return true;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = true;
  LRESULT result = 0;
  switch (message) {
    case WM_CLOSE:
      result = OnClose(wParam, lParam, handled);
      break;
    case WM_DESTROY:
      result = OnDestroy(wParam, lParam, handled);
      break;
    case WM_SYSCOMMAND:
      result = OnSysCommand(wParam, lParam, handled);
      break;
    default:
      handled = false;
      break;
  }
  if (handled)
    return result;
  handled = true;
  result = HandleCustomMessage(message, wParam, lParam, handled);
  if (handled)
    return result;
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnClose(WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void WindowImplBase::resizeEvent(QResizeEvent* event) {
  CWindowWnd::resizeEvent(event);
  if (CControlUI* root = m_pm.GetRoot()) {
    LayoutRoot();
    if (initialised_)
      m_pm.SendNotify(root, DUI_MSGTYPE_WINDOWSIZE, 0, 0, true);
  }
}

void WindowImplBase::LayoutRoot() {
  auto* root = qobject_cast<CContainerUI*>(m_pm.GetRoot());
  if (m_pm.GetRoot() == nullptr)
    return;
  m_pm.GetRoot()->setGeometry(QRect(QPoint(0, 0), size()));
  if (root != nullptr && !isVisible())
    root->RelayoutItems();
}

bool WindowImplBase::InCaption(const QPoint& pos) const {
  const QRect caption = m_pm.GetCaptionRect();
  if (caption.bottom() <= 0)
    return false;
  const CDPI* dpi = m_pm.GetDPIObj();
  // left, top and the bottom are measured from the top-left corner, the right
  // from the right edge.
  const QRect area(QPoint(dpi->Scale(caption.left()), dpi->Scale(caption.top())),
                   QPoint(width() - dpi->Scale(caption.right()) - 1,
                          dpi->Scale(caption.bottom()) - 1));
  return area.contains(pos);
}

void WindowImplBase::mousePressEvent(QMouseEvent* event) {
  // Presses that no control took reach the window: the caption moves it.
  if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
      windowHandle() != nullptr) {
    windowHandle()->startSystemMove();
    event->accept();
    return;
  }
  CWindowWnd::mousePressEvent(event);
}

void WindowImplBase::mouseDoubleClickEvent(QMouseEvent* event) {
  // Like a title bar: a double click maximises or restores, if the skin allows
  // resizing at all.
  if (event->button() == Qt::LeftButton && InCaption(event->position().toPoint()) &&
      maximumSize() != minimumSize() && !m_pm.GetSizeBox().isNull()) {
    SendMessage(WM_SYSCOMMAND, isMaximized() ? SC_RESTORE : SC_MAXIMIZE, 0);
    event->accept();
    return;
  }
  CWindowWnd::mouseDoubleClickEvent(event);
}

}  // namespace toolkit
