#include "toolkit/CColorPaletteUI.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "toolkit/SkinValue.h"

namespace toolkit {

namespace {

// How far the hue marker reaches above and below the bar, in skin units.
constexpr int kHueMarkerOverhang = 2;
constexpr int kHueMarkerHalfWidth = 3;
constexpr int kPalletMarkerRadius = 5;

uint32_t HsvToArgb(double hue, double sat, double val) {
  double h = std::fmod(hue, 360.0);
  if (h < 0)
    h += 360.0;
  h /= 60.0;
  const int sector = std::min(static_cast<int>(std::floor(h)), 5);
  const double f = h - sector;
  const double p = val * (1.0 - sat);
  const double q = val * (1.0 - sat * f);
  const double t = val * (1.0 - sat * (1.0 - f));
  double r = val, g = t, b = p;
  switch (sector) {
    case 1: r = q; g = val; b = p; break;
    case 2: r = p; g = val; b = t; break;
    case 3: r = p; g = q; b = val; break;
    case 4: r = t; g = p; b = val; break;
    case 5: r = val; g = p; b = q; break;
    default: break;
  }
  const auto channel = [](double c) {
    return static_cast<uint32_t>(std::clamp(static_cast<int>(std::lround(c * 255.0)), 0, 255));
  };
  return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

QColor HsvColor(double hue, double sat, double val) {
  return QColor::fromRgb(HsvToArgb(hue, sat, val));
}

// Clamps `v` into [low, low + span - 1] and returns its place there, 0..1.
double Fraction(double v, int low, int span) {
  const int last = span - 1;
  return last > 0 ? std::clamp(v - low, 0.0, static_cast<double>(last)) / last : 0.0;
}

}  // namespace

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : CControlUI(parent) {
  setCursor(Qt::CrossCursor);
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
  drag_ = Drag::None;
  color_ = argb | 0xFF000000u;
  const double r = ((color_ >> 16) & 0xFF) / 255.0;
  const double g = ((color_ >> 8) & 0xFF) / 255.0;
  const double b = (color_ & 0xFF) / 255.0;
  const double max = std::max({r, g, b});
  const double delta = max - std::min({r, g, b});
  val_ = max;
  if (max > 0)
    sat_ = delta / max;  // black keeps the saturation it had
  if (delta > 0) {       // a grey keeps the hue it had
    if (max == r)
      hue_ = 60.0 * ((g - b) / delta);
    else if (max == g)
      hue_ = 60.0 * ((b - r) / delta + 2.0);
    else
      hue_ = 60.0 * ((r - g) / delta + 4.0);
    if (hue_ < 0)
      hue_ += 360.0;
  }
  update();
}

void CColorPaletteUI::SetBarHeight(int height) {
  barHeight_ = std::max(height, 1);
  update();
}

void CColorPaletteUI::SetBarPadding(int padding) {
  barPadding_ = std::max(padding, 0);
  update();
}

int CColorPaletteUI::MarkerRadius() const { return std::max(Scale(kPalletMarkerRadius), 3); }

QRect CColorPaletteUI::GetHueBarRect() const {
  const int margin = MarkerRadius();
  const int barHeight = std::max(Scale(barHeight_), 1);
  return QRect(margin, height() - margin - barHeight, std::max(width() - 2 * margin, 0),
               barHeight);
}

QRect CColorPaletteUI::GetPalletRect() const {
  const int margin = MarkerRadius();
  const int bottom = GetHueBarRect().top() - Scale(barPadding_);
  return QRect(margin, margin, std::max(width() - 2 * margin, 0), std::max(bottom - margin, 0));
}

QPointF CColorPaletteUI::GetPalletMarker() const {
  const QRect pallet = GetPalletRect();
  return {pallet.left() + sat_ * std::max(pallet.width() - 1, 0),
          pallet.top() + (1.0 - val_) * std::max(pallet.height() - 1, 0)};
}

double CColorPaletteUI::GetHueMarker() const {
  const QRect bar = GetHueBarRect();
  return bar.left() + hue_ / 360.0 * std::max(bar.width() - 1, 0);
}

void CColorPaletteUI::TrackTo(const QPointF& pos) {
  // Within half a pixel of its marker a coordinate stays as it is.
  bool moved = false;
  if (drag_ == Drag::Pallet) {
    const QRect pallet = GetPalletRect();
    const QPointF marker = GetPalletMarker();
    if (std::abs(pos.x() - marker.x()) > 0.5) {
      sat_ = Fraction(pos.x(), pallet.left(), pallet.width());
      moved = true;
    }
    if (std::abs(pos.y() - marker.y()) > 0.5) {
      val_ = 1.0 - Fraction(pos.y(), pallet.top(), pallet.height());
      moved = true;
    }
  } else if (drag_ == Drag::Hue) {
    const QRect bar = GetHueBarRect();
    if (std::abs(pos.x() - GetHueMarker()) > 0.5) {
      hue_ = 360.0 * Fraction(pos.x(), bar.left(), bar.width());
      moved = true;
    }
  }
  if (!moved)
    return;
  color_ = HsvToArgb(hue_, sat_, val_);
  update();
}

void CColorPaletteUI::CancelDrag() {
  if (drag_ == Drag::None)
    return;
  drag_ = Drag::None;
  color_ = pressColor_;
  hue_ = pressHue_;
  sat_ = pressSat_;
  val_ = pressVal_;
  update();
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !IsEnabled() || drag_ != Drag::None) {
    event->ignore();
    return;
  }
  const QPoint at = event->position().toPoint();
  const int margin = MarkerRadius();
  const int overhang = Scale(kHueMarkerOverhang);
  if (GetHueBarRect().adjusted(-margin, -overhang, margin, overhang).contains(at))
    drag_ = Drag::Hue;
  else if (GetPalletRect().adjusted(-margin, -margin, margin, margin).contains(at))
    drag_ = Drag::Pallet;
  if (drag_ == Drag::None) {
    event->ignore();
    return;
  }
  pressColor_ = color_;
  pressHue_ = hue_;
  pressSat_ = sat_;
  pressVal_ = val_;
  TrackTo(event->position());
  event->accept();
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Drag::None) {
    event->ignore();
    return;
  }
  TrackTo(event->position());
  event->accept();
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ == Drag::None) {
    event->ignore();
    return;
  }
  TrackTo(event->position());
  drag_ = Drag::None;
  event->accept();
  if (color_ != pressColor_)
    SendNotify(DUI_MSGTYPE_COLORCHANGED, static_cast<WPARAM>(color_));
}

void CColorPaletteUI::changeEvent(QEvent* event) {
  // A drag cut short by disabling puts the colour back.
  if (event->type() == QEvent::EnabledChange && !isEnabled())
    CancelDrag();
  CControlUI::changeEvent(event);
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBackground(painter);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled())
    painter.setOpacity(0.4);
  const QColor frame(255, 255, 255, 56);
  const QColor shadow(0, 0, 0, 160);

  const QRect pallet = GetPalletRect();
  if (!pallet.isEmpty()) {
    painter.fillRect(pallet, HsvColor(hue_, 1.0, 1.0));
    QLinearGradient whites(pallet.topLeft(), pallet.topRight());
    whites.setColorAt(0, QColor(255, 255, 255, 255));
    whites.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(pallet, whites);
    QLinearGradient blacks(pallet.topLeft(), pallet.bottomLeft());
    blacks.setColorAt(0, QColor(0, 0, 0, 0));
    blacks.setColorAt(1, QColor(0, 0, 0, 255));
    painter.fillRect(pallet, blacks);
    painter.setPen(QPen(frame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(pallet).adjusted(-0.5, -0.5, 0.5, 0.5));
  }

  const QRect bar = GetHueBarRect();
  if (!bar.isEmpty()) {
    QLinearGradient hues(bar.topLeft(), bar.topRight());
    for (int i = 0; i <= 6; ++i)
      hues.setColorAt(i / 6.0, HsvColor(i * 60.0, 1.0, 1.0));
    painter.fillRect(bar, hues);
    painter.setPen(QPen(frame, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(bar).adjusted(-0.5, -0.5, 0.5, 0.5));
  }

  // Markers: a light ring inside a dark one, visible on any colour.
  const qreal ring = std::max<qreal>(Scale(2), 1.5);
  if (!pallet.isEmpty()) {
    const QPointF centre = GetPalletMarker() + QPointF(0.5, 0.5);
    const qreal radius = MarkerRadius() - ring / 2;
    painter.setBrush(QColor::fromRgb(color_));
    painter.setPen(QPen(Qt::white, ring));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shadow, 1));
    painter.drawEllipse(centre, radius + ring / 2, radius + ring / 2);
  }
  if (!bar.isEmpty()) {
    const qreal half = std::max(Scale(kHueMarkerHalfWidth), 2);
    const qreal overhang = Scale(kHueMarkerOverhang);
    const QRectF marker(GetHueMarker() + 0.5 - half, bar.top() - overhang, 2 * half,
                        bar.height() + 2 * overhang);
    painter.setBrush(HsvColor(hue_, 1.0, 1.0));
    painter.setPen(QPen(Qt::white, ring));
    painter.drawRect(marker);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(shadow, 1));
    painter.drawRect(marker.adjusted(-ring / 2, -ring / 2, ring / 2, ring / 2));
  }
}

bool CColorPaletteUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "barheight" || name == "barpadding") {
    auto v = SkinValue::ParseInt(value);
    if (!v || *v < (name == "barheight" ? 1 : 0))
      return false;
    if (name == "barheight")
      SetBarHeight(*v);
    else
      SetBarPadding(*v);
    return true;
  }
  if (name == "selectcolor") {
    auto c = SkinValue::ParseColor(value);
    if (!c)
      return false;
    SetSelectColor(c->rgb());
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

}  // namespace toolkit
