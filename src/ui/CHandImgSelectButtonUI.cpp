#include "ui/CHandImgSelectButtonUI.h"

#include <QPainter>

#include "toolkit/CRenderEngine.h"
#include "toolkit/SkinValue.h"
#include "ui/ControlOverlay.h"

using namespace toolkit;

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent)
    : CButtonUI(parent),
      overlay_(new ControlOverlay(this, [this](QPainter& painter) { PaintHand(painter); })) {}

bool CHandImgSelectButtonUI::SetHandImage(const QString& image) {
  auto parsed = SkinImage::Parse(image);
  if (!parsed)
    return false;
  handImageText_ = image;
  handImage_ = *parsed;
  overlay_->update();
  return true;
}

QString CHandImgSelectButtonUI::SourceImageText(const QString& file, const QRect& source) {
  return QStringLiteral("file='%1' ").arg(file) +
         QStringLiteral("source='%1,%2,%3,%4'")
             .arg(source.left())
             .arg(source.top())
             .arg(source.left() + source.width())
             .arg(source.top() + source.height());
}

void CHandImgSelectButtonUI::SetImageFile(const QString& file) {
  imageFile_ = file;
  for (int state = 0; state < SkinButton::StateCount; ++state)
    ApplySource(static_cast<SkinButton::State>(state));
}

void CHandImgSelectButtonUI::SetStateSource(SkinButton::State state, const QRect& source) {
  sources_[state] = source;
  ApplySource(state);
}

void CHandImgSelectButtonUI::ApplySource(SkinButton::State state) {
  if (imageFile_.isEmpty() || !sources_[state])
    return;
  SetStateImage(state, SourceImageText(imageFile_, *sources_[state]));
}

void CHandImgSelectButtonUI::SetSelected(bool selected) {
  selected_ = selected;
  Button()->SetSelected(selected);
}

void CHandImgSelectButtonUI::enterEvent(QEnterEvent* event) {
  CButtonUI::enterEvent(event);
  SendNotify(DUI_MSGTYPE_MOUSEENTER);
}

void CHandImgSelectButtonUI::leaveEvent(QEvent* event) {
  CButtonUI::leaveEvent(event);
  SendNotify(DUI_MSGTYPE_MOUSELEAVE);
}

void CHandImgSelectButtonUI::PaintHand(QPainter& painter) {
  if (!handImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, rect(), handImage_);
}

bool CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
  static const std::pair<const char*, SkinButton::State> kSources[] = {
      {"normalsource", SkinButton::Normal},     {"hotsource", SkinButton::Hot},
      {"pushedsource", SkinButton::Pushed},     {"selectedsource", SkinButton::Selected},
      {"disabledsource", SkinButton::Disabled},
  };
  if (name == "handimage")
    return SetHandImage(value);
  if (name == "imagefile") {
    if (value.trimmed().isEmpty() || value.contains('\''))
      return false;
    SetImageFile(value.trimmed());
    return true;
  }
  for (const auto& [key, state] : kSources) {
    if (name == QLatin1String(key)) {
      auto rc = SkinValue::ParseRectLTRB(value);
      if (!rc)
        return false;
      SetStateSource(state, *rc);
      return true;
    }
  }
  if (name == "selected") {
    auto selected = SkinValue::ParseBool(value);
    if (!selected)
      return false;
    SetSelected(*selected);
    return true;
  }
  // "cursor" is the control's: the names above map to Qt's cursor shapes.
  return CButtonUI::SetAttribute(name, value);
}
