#include "toolkit/CSliderUI.h"

#include <QSlider>

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinFileLocator.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CSliderUI::CSliderUI(QWidget* parent) : CControlUI(parent), slider_(new QSlider(Qt::Horizontal)) {
  slider_->setRange(0, 100);
  slider_->setFocusPolicy(Qt::StrongFocus);
  SetInnerWidget(slider_);
  connect(slider_, &QSlider::sliderMoved, this, [this](int position) {
    // Qt tells of the move before it takes the position: take it first, so
    // the notification and a handler reading the value see where it is now.
    slider_->setValue(position);
    SendNotify(DUI_MSGTYPE_MOVEVALUECHANGED, static_cast<WPARAM>(GetValue()));
  });
  connect(slider_, &QSlider::sliderReleased, this,
          [this] { SendNotify(DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(GetValue())); });
  connect(slider_, &QSlider::valueChanged, this, [this] {
    // While dragging, the release reports the final value.
    if (!slider_->isSliderDown())
      SendNotify(DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(GetValue()));
  });
}

int CSliderUI::GetMinValue() const { return slider_->minimum(); }
int CSliderUI::GetMaxValue() const { return slider_->maximum(); }
int CSliderUI::GetValue() const { return slider_->value(); }

void CSliderUI::SetMinValue(int min) {
  QSignalBlocker block(slider_);
  slider_->setMinimum(min);
}

void CSliderUI::SetMaxValue(int max) {
  QSignalBlocker block(slider_);
  slider_->setMaximum(max);
}

void CSliderUI::SetValue(int value, bool triggerEvent) {
  {
    QSignalBlocker block(slider_);
    slider_->setValue(value);
  }
  if (triggerEvent)
    SendNotify(DUI_MSGTYPE_VALUECHANGED, static_cast<WPARAM>(GetValue()));
}

int CSliderUI::GetChangeStep() const { return slider_->singleStep(); }

void CSliderUI::SetChangeStep(int step) {
  slider_->setSingleStep(step);
  slider_->setPageStep(step);
}

bool CSliderUI::IsHorizontal() const { return slider_->orientation() == Qt::Horizontal; }

void CSliderUI::SetHorizontal(bool horizontal) {
  slider_->setOrientation(horizontal ? Qt::Horizontal : Qt::Vertical);
  UpdateStyleSheet();
}

void CSliderUI::UpdateStyleSheet() {
  const auto locate = [](const QString& file) {
    return file.isEmpty() ? QString()
                          : SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), file);
  };
  const QString thumb = locate(thumbImage_);
  const QString thumbHot = locate(thumbHotImage_);
  const QString thumbPushed = locate(thumbPushedImage_);
  const QString fore = locate(foreImage_);
  if (thumb.isEmpty() && fore.isEmpty()) {
    slider_->setStyleSheet({});
    return;
  }
  const QString axis = IsHorizontal() ? "horizontal" : "vertical";
  QString sheet = QStringLiteral("QSlider::groove:%1 { background: transparent; border: none; }")
                      .arg(axis);
  if (!thumb.isEmpty()) {
    sheet += QStringLiteral("QSlider::handle:%1 { border-image: url(\"%2\"); width: %3px; height: %4px; }")
                 .arg(axis, thumb)
                 .arg(Scale(thumbWidth_ > 0 ? thumbWidth_ : 12))
                 .arg(Scale(thumbHeight_ > 0 ? thumbHeight_ : 12));
  }
  if (!thumbHot.isEmpty())
    sheet += QStringLiteral("QSlider::handle:%1:hover { border-image: url(\"%2\"); }").arg(axis, thumbHot);
  if (!thumbPushed.isEmpty())
    sheet += QStringLiteral("QSlider::handle:%1:pressed { border-image: url(\"%2\"); }")
                 .arg(axis, thumbPushed);
  if (!fore.isEmpty())
    sheet += QStringLiteral("QSlider::%1-page:%2 { border-image: url(\"%3\"); }")
                 .arg(IsHorizontal() ? "sub" : "add", axis, fore);
  slider_->setStyleSheet(sheet);
}

bool CSliderUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "min" || name == "max" || name == "value" || name == "step") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    if (name == "min")
      SetMinValue(*v);
    else if (name == "max")
      SetMaxValue(*v);
    else if (name == "value")
      SetValue(*v);
    else
      SetChangeStep(*v);
    return true;
  }
  if (name == "hor") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    SetHorizontal(*b);
    return true;
  }
  if (name == "thumbsize") {
    auto s = SkinValue::ParseSize(value);
    if (!s)
      return false;
    thumbWidth_ = s->width();
    thumbHeight_ = s->height();
    UpdateStyleSheet();
    return true;
  }
  if (name == "thumbimage" || name == "thumbhotimage" || name == "thumbpushedimage" ||
      name == "foreimage") {
    auto image = SkinImage::Parse(value);
    if (!image)
      return false;
    if (name == "thumbimage")
      thumbImage_ = image->file;
    else if (name == "thumbhotimage")
      thumbHotImage_ = image->file;
    else if (name == "thumbpushedimage")
      thumbPushedImage_ = image->file;
    else
      foreImage_ = image->file;
    UpdateStyleSheet();
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

}  // namespace toolkit
