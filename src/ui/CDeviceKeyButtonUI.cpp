#include "ui/CDeviceKeyButtonUI.h"

#include "protocol/Rgb.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/CRenderEngine.h"
#include "toolkit/SkinButton.h"
#include "ui/ControlOverlay.h"

using namespace toolkit;

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent)
    : CButtonUI(parent),
      overlay_(new ControlOverlay(this, [this](QPainter& painter) {
        if (!drawnByLayer_)
          PaintOver(painter, QPoint(0, 0), devicePixelRatioF());
      })) {
  // Double clicks reach the inner button; the key reports them itself.
  Button()->installEventFilter(this);
}

bool CDeviceKeyButtonUI::ParseImage(const QString& text, QString& keptText, SkinImage& kept) {
  auto parsed = SkinImage::Parse(text);
  if (!parsed)
    return false;
  keptText = text;
  kept = *parsed;
  return true;
}

bool CDeviceKeyButtonUI::SetLightImage(const QString& image) {
  if (!ParseImage(image, lightImageText_, lightImage_))
    return false;
  LookChanged();
  return true;
}

bool CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
  if (!ParseImage(image, keySetImageText_, keySetImage_))
    return false;
  LookChanged();
  return true;
}

bool CDeviceKeyButtonUI::SetKeyUnsetImage(const QString& image) {
  if (!ParseImage(image, keyUnsetImageText_, keyUnsetImage_))
    return false;
  LookChanged();
  return true;
}

void CDeviceKeyButtonUI::SetLightState(uint32_t colour, int level, int on) {
  if (lightColour_ != colour || lightLevel_ != level || lightOn_ != on)
    lightChanged_ = true;
  lightColour_ = colour;
  lightLevel_ = level;
  lightOn_ = on;
}

bool CDeviceKeyButtonUI::TakeLightChanged() {
  const bool changed = lightChanged_;
  lightChanged_ = false;
  return changed;
}

QColor CDeviceKeyButtonUI::LightColourToQColor(uint32_t colour) {
  const protocol::Rgb rgb = protocol::FromRbgWord(colour);
  return QColor(rgb.r, rgb.g, rgb.b);
}

void CDeviceKeyButtonUI::SetKeySetHidden(int hidden) {
  if (keySetHidden_ == hidden)
    return;
  keySetHidden_ = hidden;
  Redraw();
}

void CDeviceKeyButtonUI::SetKeyUnsetHidden(int hidden) {
  if (keyUnsetHidden_ == hidden)
    return;
  keyUnsetHidden_ = hidden;
  Redraw();
}

void CDeviceKeyButtonUI::Redraw() {
  ++redrawCount_;
  ++lookGeneration_;
  Invalidate();
}

void CDeviceKeyButtonUI::LookChanged() {
  ++lookGeneration_;
  overlay_->update();
}

void CDeviceKeyButtonUI::SetDrawnByLayer(bool drawnByLayer) {
  if (drawnByLayer_ == drawnByLayer)
    return;
  drawnByLayer_ = drawnByLayer;
  overlay_->update();
}

CDeviceKeyButtonUI::Look CDeviceKeyButtonUI::CurrentLook() const {
  return Look{Button()->CurrentState(), isEnabled(), Button()->text(), lookGeneration_};
}

void CDeviceKeyButtonUI::PaintOver(QPainter& painter, QPoint origin, qreal ratio) {
  // Laid out for the button's size once; drawn as they are afterwards.
  const QSize size = this->size();
  if (lightOn_ != 0 && lightLevel_ > 0 &&
      glow_.Prepare(lightImage_, lightImageText_, size, ratio))
    glow_.DrawTinted(painter, origin, LightColourToQColor(lightColour_), lightLevel_);
  if (keyUnsetHidden_ == 0 && keyUnsetMark_.Prepare(keyUnsetImage_, keyUnsetImageText_, size, ratio))
    keyUnsetMark_.Draw(painter, origin);
  if (keySetHidden_ == 0 && keySetMark_.Prepare(keySetImage_, keySetImageText_, size, ratio))
    keySetMark_.Draw(painter, origin);
  PaintChosenFrame(painter, origin);
}

void CDeviceKeyButtonUI::PaintChosenFrame(QPainter& painter, QPoint origin) {
  const QRect rc = rect().translated(origin);
  if (chosen_ != 0) {
    // The key being assigned: a frame in the selection colour.
    QPen pen(QColor(0x3D, 0x9B, 0xFF));
    pen.setWidth(2);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rc).adjusted(1, 1, -1, -1), 4, 4);
  }
}

void CDeviceKeyButtonUI::SetChosen(int chosen) {
  if (chosen_ == chosen)
    return;
  chosen_ = chosen;
  Redraw();
}

bool CDeviceKeyButtonUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Button() && event->type() == QEvent::MouseButtonDblClick && IsEnabled()) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (rect().contains(mouse->position().toPoint())) {
      // The inner button takes the double click as a press (pushed look,
      // and its release clicks as usual).
      SendNotify(DUI_MSGTYPE_DBCLICK);
    }
  }
  return CButtonUI::eventFilter(watched, event);
}

bool CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "lightimage")
    return SetLightImage(value);
  if (name == "keysetimage")
    return SetKeySetImage(value);
  if (name == "keyunsetimage")
    return SetKeyUnsetImage(value);
  if (name == "gmnametextcolor") {
    // Older skins name a text colour for the key's caption; it is read so
    // that they load, and not used.
    QString hex = value.trimmed();
    if (hex.startsWith('#'))
      hex.remove(0, 1);
    bool ok = false;
    hex.toUInt(&ok, 16);
    return ok && !hex.isEmpty();
  }
  return CButtonUI::SetAttribute(name, value);
}
