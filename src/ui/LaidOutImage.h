#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <array>
#include <vector>

#include "toolkit/SkinImage.h"

class QPainter;

// A skin image laid out once for the size of the control it is drawn on
// (source part, corners kept, the rest stretched, the image's fade), then
// drawn as it is or tinted: tinted, every pixel takes one colour at the
// image's opacity there times level / 255 (how a light point glows).
//
// A moving effect changes the colour of every light twenty times a second;
// tinting the laid-out alpha through a table is one look-up a pixel, where
// tinting on a painter makes a pixmap and two compositions each time.
class LaidOutImage {
 public:
  // Lays the image out for `size` (logical pixels) on a screen of
  // `pixelRatio`; nothing is done when these are unchanged. False when the
  // image cannot be loaded (it then draws nothing).
  bool Prepare(const toolkit::SkinImage& image, const QString& imageText, QSize size,
               qreal pixelRatio);
  bool IsEmpty() const { return image_.isNull(); }

  // Draws it with its top left corner at `at`.
  void Draw(QPainter& painter, QPoint at) const;
  void DrawTinted(QPainter& painter, QPoint at, const QColor& colour, int level);

  // The tinted image as drawn (premultiplied) and where it lies in the
  // control; exposed for tests.
  QPointF Offset() const { return offset_; }
  const QImage& Tinted(const QColor& colour, int level);

 private:
  QString imageText_;
  QSize size_;
  qreal pixelRatio_ = 0;
  // The part of the laid-out image that is not transparent, and where it lies.
  QImage image_;
  QPointF offset_;
  std::vector<uint8_t> alpha_;
  QImage tinted_;
  QRgb tintColour_ = 0;
  int tintLevel_ = -1;
};
