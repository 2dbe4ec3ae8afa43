#include "ui/LaidOutImage.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/CRenderEngine.h"

bool LaidOutImage::Prepare(const toolkit::SkinImage& image, const QString& imageText, QSize size,
                           qreal pixelRatio) {
  if (imageText == imageText_ && size == size_ && pixelRatio == pixelRatio_)
    return !image_.isNull();
  imageText_ = imageText;
  size_ = size;
  pixelRatio_ = pixelRatio;
  image_ = QImage();
  alpha_.clear();
  tinted_ = QImage();
  tintLevel_ = -1;
  if (image.IsEmpty() || size.isEmpty())
    return false;
  QImage laidOut((QSizeF(size) * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
  laidOut.setDevicePixelRatio(pixelRatio);
  laidOut.fill(Qt::transparent);
  {
    QPainter painter(&laidOut);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!toolkit::CRenderEngine::DrawImage(painter, QRect(QPoint(0, 0), size), image))
      return false;
  }
  // Only the part that shows is kept (a mark in a corner of a key is a few
  // pixels, not the whole key).
  int left = laidOut.width(), top = laidOut.height(), right = -1, bottom = -1;
  for (int y = 0; y < laidOut.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(laidOut.constScanLine(y));
    for (int x = 0; x < laidOut.width(); ++x) {
      if (qAlpha(line[x]) == 0)
        continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0)
    return false;
  const QRect shown(QPoint(left, top), QPoint(right, bottom));
  laidOut = laidOut.copy(shown);
  laidOut.setDevicePixelRatio(pixelRatio);
  offset_ = QPointF(shown.topLeft()) / pixelRatio;
  alpha_.reserve(static_cast<size_t>(laidOut.width()) * static_cast<size_t>(laidOut.height()));
  for (int y = 0; y < laidOut.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(laidOut.constScanLine(y));
    for (int x = 0; x < laidOut.width(); ++x)
      alpha_.push_back(static_cast<uint8_t>(qAlpha(line[x])));
  }
  image_ = std::move(laidOut);
  return true;
}

void LaidOutImage::Draw(QPainter& painter, QPoint at) const {
  if (!image_.isNull())
    painter.drawImage(QPointF(at) + offset_, image_);
}

const QImage& LaidOutImage::Tinted(const QColor& colour, int level) {
  level = std::clamp(level, 0, 255);
  const QRgb rgb = colour.rgb();
  if (image_.isNull() || (rgb == tintColour_ && level == tintLevel_))
    return tinted_;
  tintColour_ = rgb;
  tintLevel_ = level;
  if (tinted_.isNull()) {
    tinted_ = QImage(image_.size(), QImage::Format_ARGB32_Premultiplied);
    tinted_.setDevicePixelRatio(image_.devicePixelRatio());
  }
  // The pixel for every alpha of the laid-out image: alpha times the level,
  // the colour premultiplied by it.
  std::array<QRgb, 256> table;
  const auto scale = [](uint value, uint by) { return (value * by + 127) / 255; };
  for (uint a = 0; a < 256; ++a) {
    const uint alpha = scale(a, static_cast<uint>(level));
    table[a] = qRgba(static_cast<int>(scale(static_cast<uint>(qRed(rgb)), alpha)),
                     static_cast<int>(scale(static_cast<uint>(qGreen(rgb)), alpha)),
                     static_cast<int>(scale(static_cast<uint>(qBlue(rgb)), alpha)),
                     static_cast<int>(alpha));
  }
  // 32-bit lines have no padding: the pixels run on as the alpha values do.
  auto* out = reinterpret_cast<QRgb*>(tinted_.bits());
  const uint8_t* in = alpha_.data();
  const size_t count = alpha_.size();
  for (size_t i = 0; i < count; ++i)
    out[i] = table[in[i]];
  return tinted_;
}

void LaidOutImage::DrawTinted(QPainter& painter, QPoint at, const QColor& colour, int level) {
  if (image_.isNull() || level <= 0)
    return;
  painter.drawImage(QPointF(at) + offset_, Tinted(colour, level));
}
