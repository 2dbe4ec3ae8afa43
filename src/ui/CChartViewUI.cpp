#include "ui/CChartViewUI.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include "toolkit/CRenderEngine.h"
#include "toolkit/SkinValue.h"

using namespace toolkit;

namespace {

QString FormatValue(double value) { return QString::number(value, 'g', 6); }

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : CControlUI(parent) {}

void CChartViewUI::AddItem(const QString& name, double value, const QColor& colour) {
  items_.append({name, value, colour});
  update();
}

void CChartViewUI::RemoveItemAt(int index) {
  if (index < 0 || index >= GetItemCount())
    return;
  items_.removeAt(index);
  update();
}

void CChartViewUI::RemoveAllItems() {
  items_.clear();
  update();
}

void CChartViewUI::SetView(View view) {
  view_ = view;
  update();
}

bool CChartViewUI::SetShadowImage(const QString& image) {
  auto parsed = SkinImage::Parse(image);
  if (!parsed)
    return false;
  shadowImage_ = *parsed;
  update();
  return true;
}

bool CChartViewUI::SetPillarImage(const QString& image) {
  auto parsed = SkinImage::Parse(image);
  if (!parsed)
    return false;
  pillarImage_ = *parsed;
  update();
  return true;
}

void CChartViewUI::SetShowText(bool show) {
  showText_ = show;
  update();
}

void CChartViewUI::SetScaleMax(double max) {
  scaleMax_ = std::max(max, 0.0);
  update();
}

int CChartViewUI::TextHeight() const {
  return showText_ ? QFontMetrics(EffectiveFont()).height() : 0;
}

// The histogram keeps a line of text below the pillars (names) and one above
// (values) when texts are shown.
QRect CChartViewUI::ChartArea() const {
  const int text = TextHeight();
  return rect().adjusted(0, text, 0, -text);
}

QRect CChartViewUI::PieRect() const {
  const int side = std::min(width(), height());
  return QRect((width() - side) / 2, (height() - side) / 2, side, side);
}

QRect CChartViewUI::PillarRect(int index) const {
  if (index < 0 || index >= GetItemCount())
    return {};
  double highest = scaleMax_;
  if (highest <= 0)
    for (const Item& item : items_)
      highest = std::max(highest, item.value);
  const QRect area = ChartArea();
  if (highest <= 0 || area.height() <= 0)
    return {};
  const int slot = area.width() / GetItemCount();
  const int barWidth = std::max(1, slot * 3 / 5);
  const double share = std::clamp(items_[index].value / highest, 0.0, 1.0);
  const int barHeight = static_cast<int>(std::lround(area.height() * share));
  return QRect(area.left() + slot * index + (slot - barWidth) / 2, area.bottom() + 1 - barHeight,
               barWidth, barHeight);
}

bool CChartViewUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "view") {
    if (value == "pie")
      SetView(View::Pie);
    else if (value == "histpgram")
      SetView(View::Histogram);
    else
      return false;
    return true;
  }
  if (name == "shadowimage")
    return SetShadowImage(value);
  if (name == "pillarimage")
    return SetPillarImage(value);
  if (name == "showtext") {
    auto show = SkinValue::ParseBool(value);
    if (!show)
      return false;
    SetShowText(*show);
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

void CChartViewUI::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintBackground(painter);
  if (view_ == View::Pie)
    PaintPie(painter);
  else
    PaintHistogram(painter);
}

void CChartViewUI::PaintPie(QPainter& painter) {
  const QRect pie = PieRect();
  if (!shadowImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, pie, shadowImage_);
  double total = 0;
  for (const Item& item : items_)
    total += std::max(item.value, 0.0);
  if (total <= 0)
    return;
  const QColor textColour = GetTextColor().isValid() ? GetTextColor() : QColor(Qt::black);
  double start = 90;
  for (const Item& item : items_) {
    const double span = std::max(item.value, 0.0) / total * 360.0;
    if (span <= 0)
      continue;
    CRenderEngine::FillPie(painter, pie, start, span, item.colour);
    if (showText_) {
      // The label sits in the middle of its slice, two thirds out.
      const double middle = qDegreesToRadians(start + span / 2);
      const double radius = pie.width() / 3.0;
      const QPointF at(pie.center().x() + radius * std::cos(middle),
                       pie.center().y() - radius * std::sin(middle));
      const QRect box(static_cast<int>(at.x()) - pie.width() / 4,
                      static_cast<int>(at.y()) - TextHeight() / 2, pie.width() / 2, TextHeight());
      CRenderEngine::DrawText(painter, box, item.name, textColour, EffectiveFont(),
                              Qt::AlignCenter);
    }
    start += span;
  }
}

void CChartViewUI::PaintHistogram(QPainter& painter) {
  if (!shadowImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, ChartArea(), shadowImage_);
  const QColor textColour = GetTextColor().isValid() ? GetTextColor() : QColor(Qt::black);
  const int text = TextHeight();
  for (int i = 0; i < GetItemCount(); ++i) {
    const QRect pillar = PillarRect(i);
    if (pillar.isEmpty())
      continue;
    if (pillarImage_.IsEmpty() || !CRenderEngine::DrawImage(painter, pillar, pillarImage_))
      CRenderEngine::DrawColor(painter, pillar, items_[i].colour);
    if (showText_) {
      const int slot = width() / GetItemCount();
      const QRect column(slot * i, 0, slot, height());
      CRenderEngine::DrawText(painter, QRect(column.left(), pillar.top() - text, slot, text),
                              FormatValue(items_[i].value), textColour, EffectiveFont(),
                              Qt::AlignCenter);
      CRenderEngine::DrawText(painter, QRect(column.left(), height() - text, slot, text),
                              items_[i].name, textColour, EffectiveFont(), Qt::AlignCenter);
    }
  }
}
