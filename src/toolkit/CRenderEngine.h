#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "toolkit/SkinImage.h"

class QPainter;

namespace toolkit {

// Drawing helpers for the program's own controls.
class CRenderEngine {
 public:
  // The picture of a skin file (resolved under the resource path, or a name of
  // the resource index); a null pixmap when it cannot be loaded. Cached.
  static QPixmap LoadImage(const QString& file);

  // Draws the image into `rc` (or its `dest` part): the source part, corners
  // kept, the rest stretched, with the image's fade as opacity.
  static bool DrawImage(QPainter& painter, const QRect& rc, const SkinImage& image);

  static void DrawColor(QPainter& painter, const QRect& rc, const QColor& colour);
  static void DrawRect(QPainter& painter, const QRect& rc, int size, const QColor& colour);
  static void DrawRoundRect(QPainter& painter, const QRect& rc, int size, int radius,
                            const QColor& colour);
  static void FillRoundRect(QPainter& painter, const QRect& rc, int radius, const QColor& colour);
  // A filled pie inside `rc`; angles in degrees, 0 at three o'clock,
  // counter-clockwise positive.
  static void FillPie(QPainter& painter, const QRect& rc, double startDegrees,
                      double spanDegrees, const QColor& colour);
  static void DrawText(QPainter& painter, const QRect& rc, const QString& text,
                       const QColor& colour, const QFont& font, int alignment);
};

}  // namespace toolkit
