#include "ui/ControlOverlay.h"

#include <QEvent>
#include <QPainter>

ControlOverlay::ControlOverlay(QWidget* host, PaintFunction paint)
    : QWidget(host), paint_(std::move(paint)) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(host->rect());
  host->installEventFilter(this);
  raise();
  show();
}

bool ControlOverlay::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize)
    setGeometry(parentWidget()->rect());
  return false;
}

void ControlOverlay::paintEvent(QPaintEvent*) {
  if (!paint_)
    return;
  QPainter painter(this);
  paint_(painter);
}
