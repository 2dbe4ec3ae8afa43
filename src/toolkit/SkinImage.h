#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QString>
#include <optional>

namespace toolkit {

// An image as a skin names it: a bare file name, or an attribute list
// "file='x.png' source='l,t,r,b' corner='l,t,r,b' dest='l,t,r,b' fade='0..255'".
struct SkinImage {
  QString file;
  std::optional<QRect> source;  // part of the picture to draw
  std::optional<QRect> dest;    // where to draw, inside the control
  QMargins corner;              // borders kept unstretched
  int fade = 255;

  bool IsEmpty() const { return file.isEmpty(); }
  // nullopt when the text is not a valid image description.
  static std::optional<SkinImage> Parse(const QString& text);
};

}  // namespace toolkit
