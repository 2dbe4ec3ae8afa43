#include "ui/CHandImgButtonUI.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/CRenderEngine.h"
#include "toolkit/SkinButton.h"
#include "ui/ControlOverlay.h"

using namespace toolkit;

namespace {

bool KeepImage(const QString& text, QString& keptText, SkinImage& kept) {
  auto parsed = SkinImage::Parse(text);
  if (!parsed)
    return false;
  keptText = text;
  kept = *parsed;
  return true;
}

}  // namespace

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent)
    : CButtonUI(parent),
      overlay_(new ControlOverlay(this, [this](QPainter& painter) { PaintExtras(painter); })) {
  // The mark lights up under a mouse that moves without a button held.
  Button()->setMouseTracking(true);
  Button()->installEventFilter(this);
}

bool CHandImgButtonUI::SetHandImage(const QString& image) {
  if (!KeepImage(image, handImageText_, handImage_))
    return false;
  overlay_->update();
  return true;
}

bool CHandImgButtonUI::SetDeleteNormalImage(const QString& image) {
  if (!KeepImage(image, deleteNormalText_, deleteNormal_))
    return false;
  overlay_->update();
  return true;
}

bool CHandImgButtonUI::SetDeleteHotImage(const QString& image) {
  if (!KeepImage(image, deleteHotText_, deleteHot_))
    return false;
  overlay_->update();
  return true;
}

QRect CHandImgButtonUI::DeleteMarkRect() const {
  return QRect(width() - Scale(kMarkFromRight), height() - Scale(kMarkFromBottom),
               Scale(kMarkSize), Scale(kMarkSize));
}

void CHandImgButtonUI::SetMarkHot(bool hot) {
  if (markHot_ == hot)
    return;
  markHot_ = hot;
  overlay_->update();
}

bool CHandImgButtonUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Button())
    return CButtonUI::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseMove:
      SetMarkHot(DeleteMarkRect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()));
      break;
    case QEvent::Leave:
      SetMarkHot(false);
      break;
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // Only a press that began on this button counts, as for a click.
      if (mouse->button() == Qt::LeftButton && Button()->isDown() && IsEnabled() &&
          DeleteMarkRect().contains(mouse->position().toPoint())) {
        // Not down any more: the inner button sees a release without a press
        // and raises no click.
        Button()->setDown(false);
        SendNotify(kDeleteNotification);
      }
      break;
    }
    default:
      break;
  }
  return false;
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
  CButtonUI::enterEvent(event);
  SendNotify(DUI_MSGTYPE_MOUSEENTER);
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
  CButtonUI::leaveEvent(event);
  SetMarkHot(false);
  SendNotify(DUI_MSGTYPE_MOUSELEAVE);
}

void CHandImgButtonUI::PaintExtras(QPainter& painter) {
  if (!handImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, rect(), handImage_);
  const SkinImage& mark = markHot_ && !deleteHot_.IsEmpty() ? deleteHot_ : deleteNormal_;
  if (!mark.IsEmpty())
    CRenderEngine::DrawImage(painter, DeleteMarkRect(), mark);
}

bool CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "handimage")
    return SetHandImage(value);
  if (name == "deletenormalimage")
    return SetDeleteNormalImage(value);
  if (name == "deletehotimage")
    return SetDeleteHotImage(value);
  return CButtonUI::SetAttribute(name, value);
}
