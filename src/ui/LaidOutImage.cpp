#include "ui/LaidOutImage.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <array>
#include <vector>

#include "toolkit/CRenderEngine.h"

struct LaidOutImage::Shared {
  // The part of the laid-out image that is not transparent, and where it lies.
  QImage image;
  QPointF offset;
  std::vector<uint8_t> alpha;
  // The alpha values that occur (a table entry is made for these only).
  std::vector<uint8_t> alphas;
  // Tints made lately, by colour and level.
  QHash<quint64, QImage> tints;
};

namespace {

// Tints kept per laid-out image; the oldest are all dropped together.
constexpr qsizetype kKeptTints = 256;

}  // namespace

std::shared_ptr<LaidOutImage::Shared> LaidOutImage::Lay(const toolkit::SkinImage& image, QSize size,
                                                        qreal pixelRatio) {
  QImage laidOut((QSizeF(size) * pixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
  laidOut.setDevicePixelRatio(pixelRatio);
  laidOut.fill(Qt::transparent);
  {
    QPainter painter(&laidOut);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!toolkit::CRenderEngine::DrawImage(painter, QRect(QPoint(0, 0), size), image))
      return nullptr;
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
    return nullptr;
  auto shared = std::make_shared<Shared>();
  const QRect shown(QPoint(left, top), QPoint(right, bottom));
  shared->image = laidOut.copy(shown);
  shared->image.setDevicePixelRatio(pixelRatio);
  shared->offset = QPointF(shown.topLeft()) / pixelRatio;
  std::array<bool, 256> seen{};
  shared->alpha.reserve(static_cast<size_t>(shown.width()) * static_cast<size_t>(shown.height()));
  for (int y = 0; y < shared->image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(shared->image.constScanLine(y));
    for (int x = 0; x < shared->image.width(); ++x) {
      const auto a = static_cast<uint8_t>(qAlpha(line[x]));
      shared->alpha.push_back(a);
      if (!seen[a])
        shared->alphas.push_back(a);
      seen[a] = true;
    }
  }
  return shared;
}

bool LaidOutImage::Prepare(const toolkit::SkinImage& image, const QString& imageText, QSize size,
                           qreal pixelRatio) {
  if (imageText == imageText_ && size == size_ && pixelRatio == pixelRatio_)
    return shared_ != nullptr;
  imageText_ = imageText;
  size_ = size;
  pixelRatio_ = pixelRatio;
  shared_.reset();
  if (image.IsEmpty() || size.isEmpty())
    return false;
  // Laid out once for all controls of this size.
  static QHash<QString, std::weak_ptr<Shared>> laidOut;
  const QString key = QStringLiteral("%1\n%2x%3@%4")
                          .arg(imageText)
                          .arg(size.width())
                          .arg(size.height())
                          .arg(pixelRatio);
  shared_ = laidOut.value(key).lock();
  if (shared_ == nullptr) {
    shared_ = Lay(image, size, pixelRatio);
    if (shared_ != nullptr)
      laidOut.insert(key, shared_);
  }
  return shared_ != nullptr;
}

QPointF LaidOutImage::Offset() const {
  return shared_ != nullptr ? shared_->offset : QPointF();
}

void LaidOutImage::Draw(QPainter& painter, QPoint at) const {
  if (shared_ != nullptr)
    painter.drawImage(QPointF(at) + shared_->offset, shared_->image);
}

QImage LaidOutImage::Tinted(const QColor& colour, int level) {
  if (shared_ == nullptr)
    return {};
  level = std::clamp(level, 0, 255);
  const QRgb rgb = colour.rgb() & RGB_MASK;
  const quint64 key = (static_cast<quint64>(rgb) << 8) | static_cast<quint64>(level);
  if (auto found = shared_->tints.constFind(key); found != shared_->tints.constEnd())
    return *found;
  QImage tinted(shared_->image.size(), QImage::Format_ARGB32_Premultiplied);
  tinted.setDevicePixelRatio(shared_->image.devicePixelRatio());
  // The pixel for every alpha of the laid-out image: alpha times the level,
  // the colour premultiplied by it.
  std::array<QRgb, 256> table;
  const auto scale = [](uint value, uint by) { return (value * by + 127) / 255; };
  for (const uint8_t a : shared_->alphas) {
    const uint alpha = scale(a, static_cast<uint>(level));
    table[a] = qRgba(static_cast<int>(scale(static_cast<uint>(qRed(rgb)), alpha)),
                     static_cast<int>(scale(static_cast<uint>(qGreen(rgb)), alpha)),
                     static_cast<int>(scale(static_cast<uint>(qBlue(rgb)), alpha)),
                     static_cast<int>(alpha));
  }
  // 32-bit lines have no padding: the pixels run on as the alpha values do.
  auto* out = reinterpret_cast<QRgb*>(tinted.bits());
  const uint8_t* in = shared_->alpha.data();
  const size_t count = shared_->alpha.size();
  for (size_t i = 0; i < count; ++i)
    out[i] = table[in[i]];
  if (shared_->tints.size() >= kKeptTints)
    shared_->tints.clear();
  shared_->tints.insert(key, tinted);
  return tinted;
}

void LaidOutImage::DrawTinted(QPainter& painter, QPoint at, const QColor& colour, int level) {
  if (shared_ == nullptr || level <= 0)
    return;
  painter.drawImage(QPointF(at) + shared_->offset, Tinted(colour, level));
}
