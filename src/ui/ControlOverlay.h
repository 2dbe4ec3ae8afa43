#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// A layer that lies over the whole of its host control, above the host's
// inner widget, and paints what the host wants drawn on top (light overlays,
// marks, a rubber band). It lets every mouse event through to what lies
// beneath and follows the host's size.
class ControlOverlay : public QWidget {
  Q_OBJECT
 public:
  using PaintFunction = std::function<void(QPainter&)>;

  ControlOverlay(QWidget* host, PaintFunction paint);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  PaintFunction paint_;
};
