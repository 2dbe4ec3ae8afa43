#pragma once

#include <QPointF>
#include <QRect>
#include <cstdint>

#include "toolkit/CControlUI.h"

namespace toolkit {

// A colour picker painted with gradients: a saturation/value field (saturation
// grows to the right, value upwards) above a hue bar (red to red, left to
// right), each with a marker at the current colour. While the left button is
// held, the marker and the colour follow the mouse, kept inside the field or
// the bar where the press began; on release "colorchanged" is raised once
// (wParam: the colour as 0xAARRGGBB) if the colour differs from the one before
// the press. A press within half a pixel of a marker leaves that coordinate as
// it is, so a click on the marker changes nothing.
class CColorPaletteUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CColorPaletteUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ColorPaletteUI"); }

  // 0xAARRGGBB; the alpha is always 0xFF.
  uint32_t GetSelectColor() const { return color_; }
  // Shows the colour (its alpha is ignored) without raising anything. A grey
  // keeps the current hue, black also the current saturation. Ends a drag
  // without a notification.
  void SetSelectColor(uint32_t argb);

  // Height of the hue bar and gap above it, in skin units.
  int GetBarHeight() const { return barHeight_; }
  void SetBarHeight(int height);
  int GetBarPadding() const { return barPadding_; }
  void SetBarPadding(int padding);

  // Current layout in widget coordinates; the markers' centres lie on the
  // pixel grid of these rectangles (first to last pixel).
  QRect GetPalletRect() const;
  QRect GetHueBarRect() const;
  QPointF GetPalletMarker() const;
  double GetHueMarker() const;  // x in the hue bar

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum class Drag { None, Pallet, Hue };
  int MarkerRadius() const;
  // Moves the dragged marker towards `pos` and recomputes the colour.
  void TrackTo(const QPointF& pos);
  void CancelDrag();

  uint32_t color_ = 0xFFFF0000;
  double hue_ = 0.0;  // degrees, 0..360
  double sat_ = 1.0;  // 0..1
  double val_ = 1.0;  // 0..1
  int barHeight_ = 10;
  int barPadding_ = 8;
  Drag drag_ = Drag::None;
  uint32_t pressColor_ = 0;
  double pressHue_ = 0.0;
  double pressSat_ = 0.0;
  double pressVal_ = 0.0;
};

}  // namespace toolkit
