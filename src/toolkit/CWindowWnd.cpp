#include "toolkit/CWindowWnd.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QWindow>

#include "platform/WindowMessages.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"

namespace toolkit {

using namespace platform;

CWindowWnd::CWindowWnd() : QWidget(nullptr) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  queue_ = std::make_unique<WindowMessageQueue>(*this);
}

CWindowWnd::~CWindowWnd() {
  if (modalLoop_ != nullptr)
    modalLoop_->exit(static_cast<int>(modalResult_));
  queue_.reset();
}

platform::WindowHandle CWindowWnd::GetHWND() const { return queue_ ? queue_->Handle() : 0; }

bool CWindowWnd::Create(CWindowWnd* parent, const QString& title, uint32_t style,
                        uint32_t exStyle, int x, int y, int cx, int cy) {
  Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
  if (exStyle & WS_EX_TOOLWINDOW)
    flags |= Qt::Tool;
  if (exStyle & WS_EX_TOPMOST)
    flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
  // The owner is not the Qt parent: window objects are owned by the program,
  // never deleted along with another window.
  owner_ = parent;
  if (parent != nullptr) {
    winId();
    if (windowHandle() != nullptr && parent->windowHandle() != nullptr)
      windowHandle()->setTransientParent(parent->windowHandle());
  }
  setWindowTitle(title);
  setObjectName(GetWindowClassName());
  if (cx > 0 && cy > 0)
    setGeometry(x, y, cx, cy);
  else
    move(x, y);
  if (!OnCreate())
    return false;
  if (style & WS_VISIBLE)
    ShowWindow(true, true);
  return true;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
  if (!show) {
    hide();
    return;
  }
  if (destroying_)
    return;
  QWidget::show();
  if (takeFocus) {
    raise();
    activateWindow();
  }
}

UINT CWindowWnd::ShowModal() {
  if (destroying_)
    return modalResult_;
  setWindowModality(Qt::ApplicationModal);
  ShowWindow(true, true);
  QEventLoop loop;
  modalLoop_ = &loop;
  const int code = loop.exec();
  modalLoop_ = nullptr;
  return static_cast<UINT>(code);
}

void CWindowWnd::Close(UINT ret) {
  modalResult_ = ret;
  PostMessage(WM_CLOSE, ret, 0);
}

void CWindowWnd::CenterWindow() {
  QRect area;
  if (owner_ != nullptr && owner_->isVisible())
    area = owner_->frameGeometry();
  else if (QScreen* screen = QGuiApplication::primaryScreen())
    area = screen->availableGeometry();
  if (area.isValid())
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void CWindowWnd::SetIcon(UINT resourceId) {
  const QString file = CResourceManager::GetInstance()->GetIconPath(static_cast<int>(resourceId));
  const QString path = SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), file);
  if (!path.isEmpty())
    setWindowIcon(QIcon(path));
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendWindowMessage(GetHWND(), message, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return PostWindowMessage(GetHWND(), message, wParam, lParam);
}

bool CWindowWnd::SetTimer(uintptr_t id, int elapseMs) {
  return SetWindowTimer(GetHWND(), id, elapseMs);
}

bool CWindowWnd::KillTimer(uintptr_t id) { return KillWindowTimer(GetHWND(), id); }

void CWindowWnd::DestroyWindow() {
  if (destroying_)
    return;
  destroying_ = true;
  // From here on, sends from other threads are answered with 0, so a worker
  // blocked in a send cannot hold up the threads the window waits for.
  queue_->BeginDestroy();
  HandleMessage(WM_DESTROY, 0, 0);
  hide();
  if (modalLoop_ != nullptr)
    modalLoop_->exit(static_cast<int>(modalResult_));
  // The call chain may have come from this window's own message pump, so the
  // final call (which may delete the window) waits for the event loop.
  QMetaObject::invokeMethod(this, [this] { OnFinalMessage(); }, Qt::QueuedConnection);
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_CLOSE:
      modalResult_ = static_cast<UINT>(wParam);
      DestroyWindow();
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          showMinimized();
          break;
        case SC_MAXIMIZE:
          showMaximized();
          break;
        case SC_RESTORE:
          if (isMinimized() || isMaximized())
            showNormal();
          else
            QWidget::show();
          break;
        case SC_CLOSE:
          SendMessage(WM_CLOSE, IDCANCEL, 0);
          break;
        default:
          break;
      }
      return 0;
    default:
      return 0;
  }
}

LRESULT CWindowWnd::ReceiveMessage(uint32_t message, WPARAM wParam, LPARAM lParam) {
  return HandleMessage(message, wParam, lParam);
}

void CWindowWnd::closeEvent(QCloseEvent* event) {
  // The window system asked to close: treat it as the system menu's close.
  event->ignore();
  if (!destroying_)
    SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace toolkit
