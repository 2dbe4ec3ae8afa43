#include "ui/CCircleProgressUI.h"

#include <QPainter>
#include <QProgressBar>

#include "toolkit/CRenderEngine.h"
#include "toolkit/SkinValue.h"

using namespace toolkit;

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : CProgressUI(parent) {
  // The bar keeps the value and range; the ring is drawn here instead.
  if (auto* bar = qobject_cast<QProgressBar*>(InnerWidget())) {
    bar->hide();
    connect(bar, &QProgressBar::valueChanged, this, [this] { update(); });
  }
}

void CCircleProgressUI::SetForeColor(const QColor& colour) {
  foreColor_ = colour;
  update();
}

double CCircleProgressUI::SweepDegrees() const {
  const int range = GetMaxValue() - GetMinValue();
  if (range == 0)
    return 0.0;
  return std::clamp(static_cast<double>(GetValue()) / range * 360.0, 0.0, 360.0);
}

bool CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "forecolor") {
    auto colour = SkinValue::ParseColor(value);
    if (!colour)
      return false;
    SetForeColor(*colour);
    return true;
  }
  return CProgressUI::SetAttribute(name, value);
}

void CCircleProgressUI::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect rc = rect();
  if (GetBkColor().isValid())
    CRenderEngine::FillPie(painter, rc, 0, 360, GetBkColor());
  const double sweep = SweepDegrees();
  if (foreColor_.isValid() && sweep > 0)
    CRenderEngine::FillPie(painter, rc, 90, sweep, foreColor_);
  const QRect inner = rc.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth);
  if (inner.isValid())
    CRenderEngine::FillPie(painter, inner, 0, 360, Qt::white);
}
