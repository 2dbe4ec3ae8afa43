#include "ui/CSkinFrame.h"

#include "platform/DebugChannel.h"
#include "settings/SkinObserver.h"
#include "settings/SkinRecord.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CTabLayoutUI.h"

using namespace toolkit;

namespace {

bool Is(const QString& name, const char* text) {
  return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
}

}  // namespace

QPointer<CSkinFrame> CSkinFrame::Open(CWindowWnd* owner, CControlUI* button,
                                      const QString& recordPath, FileChooser chooser) {
  auto* frame = new CSkinFrame;
  frame->owner_ = owner;
  frame->recordPath_ = recordPath;
  frame->chooser_ = std::move(chooser);
  if (!frame->Create(owner, QStringLiteral("skinframe"), WS_POPUP,
                     WS_EX_TOOLWINDOW | WS_EX_TOPMOST)) {
    frame->deleteLater();
    return nullptr;
  }
  frame->SetIcon(128);
  // A pop-up of the main window: the window system places it relative to
  // its parent (also on Wayland) and closes it when the user clicks
  // elsewhere.
  if (owner != nullptr)
    frame->setParent(owner, Qt::Popup | Qt::FramelessWindowHint);
  if (button != nullptr) {
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    frame->move(corner.x() - frame->width(), corner.y());
  }
  frame->ShowWindow(true, true);
  return frame;
}

bool CSkinFrame::HandleNotify(TNotifyUI& msg) {
  if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr)
    return false;
  const QString name = msg.pSender->GetName();
  if (Is(name, "skin_image_btn")) {
    const QString image = msg.pSender->GetUserData();
    ObserverImpl::Instance().Broadcast({false, 0, image});
    if (!SkinRecord::Write(recordPath_, true, image))
      platform::DebugPrint("skin: %s could not be written", recordPath_.toUtf8().constData());
  } else if (Is(name, "skin_color_btn")) {
    ObserverImpl::Instance().Broadcast({true, msg.pSender->GetBkColor().rgba(), {}});
  } else if (Is(name, "skin_color") || Is(name, "skin_image")) {
    if (auto* tabs = qobject_cast<CTabLayoutUI*>(FindControl(QStringLiteral("skin_tab"))))
      tabs->SelectItem(Is(name, "skin_color") ? 1 : 0);
  } else if (Is(name, "skin_reset")) {
    const QString image = QString::fromLatin1(kResetImage);
    ObserverImpl::Instance().Broadcast({false, 0, image});
    SkinRecord::Write(recordPath_, false, image);
  } else if (Is(name, "skin_Custom")) {
    ChooseOwnPicture();
  } else {
    return false;
  }
  return true;
}

void CSkinFrame::ChooseOwnPicture() {
  // The file dialog takes the focus, which closes this pop-up: the dialog
  // runs from the owner, after the pop-up is gone, and hands the choice to
  // the observer.
  QObject* context = owner_ != nullptr ? static_cast<QObject*>(owner_.data()) : nullptr;
  if (context != nullptr && chooser_)
    QMetaObject::invokeMethod(
        context,
        [chooser = chooser_] {
          const QString file = chooser();
          if (!file.isEmpty())
            ObserverImpl::Instance().Broadcast({false, 0, file});
        },
        Qt::QueuedConnection);
  Close(IDCANCEL);
}

void CSkinFrame::OnFinalMessage() { deleteLater(); }
