#pragma once

#include <QPoint>
#include <QRect>

#include "toolkit/CVerticalLayoutUI.h"

class ControlOverlay;

// The device picture: a vertical layout holding the key buttons. Dragging the
// mouse across it spans a selection rectangle; on release every key button in
// it (also those inside nested layouts) is marked selected, the others are
// unmarked, and the panel raises "click_select_end". A click without moving
// changes nothing. The key buttons keep their own clicks: the panel only
// watches the mouse events going to itself and to everything inside it.
class CSelectPanelUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  static constexpr const char* kSelectEndNotification = "click_select_end";

  explicit CSelectPanelUI(QWidget* parent = nullptr);
  ~CSelectPanelUI() override;
  QString GetClass() const override { return QStringLiteral("SelectPanel"); }

  bool IsPressed() const { return pressed_; }
  bool IsDragging() const { return dragging_; }
  // Points and rectangle in the panel's own coordinates.
  QPoint GetPressPoint() const { return pressPoint_; }
  QPoint GetCurrentPoint() const { return currentPoint_; }
  QRect GetSelectRect() const { return selectRect_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnPress(const QPoint& point);
  void OnMove(const QPoint& point);
  void OnRelease();
  void ApplySelection();
  void PaintRubberBand(QPainter& painter);

  bool pressed_ = false;
  bool dragging_ = false;
  QPoint pressPoint_;
  QPoint currentPoint_;
  QRect selectRect_;
  ControlOverlay* rubberBand_;
};
