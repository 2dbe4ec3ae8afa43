#include "ui/CSelectPanelUI.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "toolkit/CPaintManagerUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/ControlOverlay.h"

using namespace toolkit;

CSelectPanelUI::CSelectPanelUI(QWidget* parent)
    : CVerticalLayoutUI(parent),
      rubberBand_(new ControlOverlay(this, [this](QPainter& painter) { PaintRubberBand(painter); })) {
  rubberBand_->hide();
  // Presses on a key button go to the button (and the widget inside it), not
  // to the panel; watching at the application level sees them all, however
  // deep the buttons sit and whenever they were added.
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->installEventFilter(this);
}

CSelectPanelUI::~CSelectPanelUI() {
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::instance()->removeEventFilter(this);
}

// An event that is not taken by the widget it was sent to travels on to the
// widgets containing it, so the same press, move or release can pass here
// more than once. Each step below leaves the same state when repeated.
bool CSelectPanelUI::eventFilter(QObject* watched, QEvent* event) {
  // Only mouse events of widgets matter. Deciding by the receiver first also
  // leaves alone the events other threads post to non-widget objects (window
  // messages), which their receivers take over under their own lock.
  if (!watched->isWidgetType())
    return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || (widget != this && !isAncestorOf(widget)))
    return false;
  // Dragging the thumb of a scrolling panel selects nothing.
  if (qobject_cast<QScrollBar*>(widget) != nullptr)
    return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint point = widget->mapTo(this, mouse->position().toPoint());
  if (type == QEvent::MouseButtonPress) {
    if (mouse->button() == Qt::LeftButton)
      OnPress(point);
  } else if (type == QEvent::MouseMove) {
    OnMove(point);
  } else if (mouse->button() == Qt::LeftButton) {
    OnRelease();
  }
  return false;
}

void CSelectPanelUI::OnPress(const QPoint& point) {
  if (!IsEnabled())
    return;
  pressPoint_ = point;
  currentPoint_ = point;
  pressed_ = true;
}

void CSelectPanelUI::OnMove(const QPoint& point) {
  if (!pressed_)
    return;
  // A move event that does not leave the press point is no drag yet.
  if (!dragging_ && point == pressPoint_)
    return;
  if (!dragging_) {
    dragging_ = true;
    rubberBand_->raise();
    rubberBand_->show();
  }
  currentPoint_ = point;
  // Spanned from the smaller to the larger coordinate, so that dragging in
  // any direction covers the same pixels.
  selectRect_ = QRect(QPoint(std::min(pressPoint_.x(), currentPoint_.x()),
                             std::min(pressPoint_.y(), currentPoint_.y())),
                      QPoint(std::max(pressPoint_.x(), currentPoint_.x()),
                             std::max(pressPoint_.y(), currentPoint_.y())));
  Invalidate();
  rubberBand_->update();
}

void CSelectPanelUI::OnRelease() {
  pressed_ = false;
  if (!dragging_)
    return;
  dragging_ = false;
  rubberBand_->hide();
  ApplySelection();
  RelayoutItems();
  Invalidate();
  if (GetManager() != nullptr)
    GetManager()->SendNotify(this, kSelectEndNotification);
}

void CSelectPanelUI::ApplySelection() {
  const auto controls = findChildren<CDeviceKeyButtonUI*>(Qt::FindChildrenRecursively);
  for (CDeviceKeyButtonUI* key : controls) {
    if (key->GetClass() != QLatin1String("DeviceKeyButton"))
      continue;
    // A hidden key keeps whatever place it had last; it cannot be picked.
    const QRect area(key->mapTo(this, QPoint(0, 0)), key->size());
    key->SetSelected(key->IsVisible() && area.intersects(selectRect_) ? 1 : 0);
  }
}

void CSelectPanelUI::PaintRubberBand(QPainter& painter) {
  if (!dragging_)
    return;
  const QColor edge = palette().color(QPalette::Highlight);
  QColor fill = edge;
  fill.setAlpha(60);
  painter.fillRect(selectRect_, fill);
  painter.setPen(edge);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(selectRect_.adjusted(0, 0, -1, -1));
}
