#pragma once

#include "toolkit/CProgressUI.h"

// A progress ring: the whole circle in the background colour, the part done
// in the foreground colour starting at twelve o'clock (90 degrees, counted
// counter-clockwise as the render engine does), and a white disc inset by
// 10 pixels that leaves only the ring.
class CCircleProgressUI : public toolkit::CProgressUI {
  Q_OBJECT
 public:
  static constexpr int kRingWidth = 10;

  explicit CCircleProgressUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("CircleProgress"); }

  QColor GetForeColor() const { return foreColor_; }
  void SetForeColor(const QColor& colour);
  // The angle the foreground part covers, 0 when the range is empty.
  double SweepDegrees() const;

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor foreColor_;
};
