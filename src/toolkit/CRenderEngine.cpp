#include "toolkit/CRenderEngine.h"

#include <QHash>

#include <QPainter>
#include <QPixmapCache>

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"

namespace toolkit {

QPixmap CRenderEngine::LoadImage(const QString& file) {
  if (file.isEmpty())
    return {};
  // Painting asks for the same few images many times a second: where each
  // one lies is looked up on disk once per skin folder.
  static QHash<QString, QString> located;
  QString name = file;
  const QString indexed = CResourceManager::GetInstance()->GetImagePath(file);
  if (!indexed.isEmpty())
    name = indexed;
  const QString folder = CPaintManagerUI::GetResourcePath();
  const QString key = folder + QLatin1Char('\n') + name;
  auto found = located.constFind(key);
  if (found == located.constEnd())
    found = located.insert(key, SkinFileLocator::Locate(folder, name));
  const QString path = *found;
  if (path.isEmpty())
    return {};
  QPixmap pixmap;
  if (!QPixmapCache::find(path, &pixmap)) {
    if (!pixmap.load(path))
      return {};
    QPixmapCache::insert(path, pixmap);
  }
  return pixmap;
}

namespace {

void DrawNineSlice(QPainter& painter, const QRect& target, const QPixmap& pixmap,
                   const QRect& source, const QMargins& c) {
  if (c.isNull()) {
    painter.drawPixmap(target, pixmap, source);
    return;
  }
  const int xs[4] = {source.left(), source.left() + c.left(), source.right() + 1 - c.right(),
                     source.right() + 1};
  const int ys[4] = {source.top(), source.top() + c.top(), source.bottom() + 1 - c.bottom(),
                     source.bottom() + 1};
  const int xd[4] = {target.left(), target.left() + c.left(), target.right() + 1 - c.right(),
                     target.right() + 1};
  const int yd[4] = {target.top(), target.top() + c.top(), target.bottom() + 1 - c.bottom(),
                     target.bottom() + 1};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const QRect s(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1));
      const QRect d(QPoint(xd[col], yd[row]), QPoint(xd[col + 1] - 1, yd[row + 1] - 1));
      if (s.isValid() && d.isValid())
        painter.drawPixmap(d, pixmap, s);
    }
  }
}

QRect TargetRect(const QRect& rc, const SkinImage& image) {
  if (!image.dest)
    return rc;
  return image.dest->translated(rc.topLeft());
}

}  // namespace

bool CRenderEngine::DrawImage(QPainter& painter, const QRect& rc, const SkinImage& image) {
  const QPixmap pixmap = LoadImage(image.file);
  if (pixmap.isNull())
    return false;
  const QRect source = image.source.value_or(pixmap.rect()).intersected(pixmap.rect());
  painter.save();
  painter.setOpacity(painter.opacity() * image.fade / 255.0);
  DrawNineSlice(painter, TargetRect(rc, image), pixmap, source, image.corner);
  painter.restore();
  return true;
}

void CRenderEngine::DrawColor(QPainter& painter, const QRect& rc, const QColor& colour) {
  painter.fillRect(rc, colour);
}

void CRenderEngine::DrawRect(QPainter& painter, const QRect& rc, int size, const QColor& colour) {
  if (size <= 0)
    return;
  painter.save();
  QPen pen(colour, size);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const qreal inset = size / 2.0;
  painter.drawRect(QRectF(rc).adjusted(inset, inset, -inset, -inset));
  painter.restore();
}

void CRenderEngine::DrawRoundRect(QPainter& painter, const QRect& rc, int size, int radius,
                                  const QColor& colour) {
  if (size <= 0)
    return;
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colour, size));
  painter.setBrush(Qt::NoBrush);
  const qreal inset = size / 2.0;
  painter.drawRoundedRect(QRectF(rc).adjusted(inset, inset, -inset, -inset), radius, radius);
  painter.restore();
}

void CRenderEngine::FillRoundRect(QPainter& painter, const QRect& rc, int radius,
                                  const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRoundedRect(rc, radius, radius);
  painter.restore();
}

void CRenderEngine::FillPie(QPainter& painter, const QRect& rc, double startDegrees,
                            double spanDegrees, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPie(rc, static_cast<int>(startDegrees * 16), static_cast<int>(spanDegrees * 16));
  painter.restore();
}

void CRenderEngine::DrawText(QPainter& painter, const QRect& rc, const QString& text,
                             const QColor& colour, const QFont& font, int alignment) {
  painter.save();
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(rc, alignment, text);
  painter.restore();
}

}  // namespace toolkit
