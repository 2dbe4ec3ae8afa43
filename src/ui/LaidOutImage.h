#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <memory>

#include "toolkit/SkinImage.h"

class QPainter;

// A skin image laid out once for the size of the control it is drawn on
// (source part, corners kept, the rest stretched, the image's fade), then
// drawn as it is or tinted: tinted, every pixel takes one colour at the
// image's opacity there times level / 255 (how a light point glows).
//
// A moving effect changes the colour of every light twenty times a second.
// Controls of one size share the laid-out image and the tints made of it
// (keys in one column of a wave glow in the same colour), and a tint is one
// table look-up a pixel, where tinting on a painter makes a pixmap and two
// compositions each time.
class LaidOutImage {
 public:
  // Lays the image out for `size` (logical pixels) on a screen of
  // `pixelRatio`; nothing is done when these are unchanged. False when the
  // image cannot be loaded or shows nothing (it then draws nothing).
  bool Prepare(const toolkit::SkinImage& image, const QString& imageText, QSize size,
               qreal pixelRatio);
  bool IsEmpty() const { return shared_ == nullptr; }

  // Draws it with its top left corner at `at`.
  void Draw(QPainter& painter, QPoint at) const;
  void DrawTinted(QPainter& painter, QPoint at, const QColor& colour, int level);

  // The tinted image as drawn (premultiplied) and where it lies in the
  // control; exposed for tests.
  QImage Tinted(const QColor& colour, int level);
  QPointF Offset() const;

 private:
  struct Shared;
  static std::shared_ptr<Shared> Lay(const toolkit::SkinImage& image, QSize size, qreal pixelRatio);

  QString imageText_;
  QSize size_;
  qreal pixelRatio_ = 0;
  std::shared_ptr<Shared> shared_;
};
