#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace toolkit {

// The program's own size factor for skin sizes, on top of the screen scaling
// Qt already applies. 96 is 100 %; accepted values are 48 to 192 in steps of 24.
class CDPI {
 public:
  static constexpr int kDefaultDpi = 96;
  static bool IsAccepted(int dpi) { return dpi >= 48 && dpi <= 192 && dpi % 24 == 0; }

  int GetDPI() const { return dpi_; }
  int GetScale() const { return dpi_ * 100 / kDefaultDpi; }
  // False (and no change) for a value that is not accepted.
  bool SetScale(int dpi);

  int Scale(int value) const { return value * dpi_ / kDefaultDpi; }
  QSize Scale(QSize size) const { return {Scale(size.width()), Scale(size.height())}; }
  QPoint Scale(QPoint p) const { return {Scale(p.x()), Scale(p.y())}; }
  QRect Scale(const QRect& r) const { return {Scale(r.topLeft()), Scale(r.size())}; }
  QMargins Scale(const QMargins& m) const {
    return {Scale(m.left()), Scale(m.top()), Scale(m.right()), Scale(m.bottom())};
  }

 private:
  int dpi_ = kDefaultDpi;
};

}  // namespace toolkit
