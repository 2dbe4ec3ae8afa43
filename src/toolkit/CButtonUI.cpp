#include "toolkit/CButtonUI.h"

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CButtonUI::CButtonUI(QWidget* parent) : CControlUI(parent), button_(new SkinButton) {
  textLayout_.horizontal = Qt::AlignHCenter;
  SetInnerWidget(button_);
  connect(button_, &QPushButton::clicked, this, [this] { Activate(); });
}

bool CButtonUI::Activate() {
  if (!IsEnabled())
    return false;
  SendNotify(DUI_MSGTYPE_CLICK);
  return true;
}

bool CButtonUI::SetStateImage(SkinButton::State state, const QString& image) {
  auto parsed = SkinImage::Parse(image);
  if (!parsed)
    return false;
  images_[state] = image;
  button_->LookFor(state).image = *parsed;
  button_->update();
  return true;
}

void CButtonUI::SetStateBkColor(SkinButton::State state, const QColor& colour) {
  button_->LookFor(state).background = colour;
  button_->update();
}

void CButtonUI::SetStateTextColor(SkinButton::State state, const QColor& colour) {
  button_->LookFor(state).text = colour;
  button_->update();
}

bool CButtonUI::SetAttribute(const QString& name, const QString& value) {
  using S = SkinButton;
  static const std::pair<const char*, S::State> kImages[] = {
      {"normalimage", S::Normal},           {"hotimage", S::Hot},
      {"pushedimage", S::Pushed},           {"disabledimage", S::Disabled},
      {"focusedimage", S::Focused},         {"selectedimage", S::Selected},
      {"selectedhotimage", S::SelectedHot}, {"selectedpushedimage", S::SelectedPushed},
  };
  static const std::pair<const char*, S::State> kBkColors[] = {
      {"hotbkcolor", S::Hot},           {"pushedbkcolor", S::Pushed},
      {"disabledbkcolor", S::Disabled}, {"selectedbkcolor", S::Selected},
      {"selectedhotbkcolor", S::SelectedHot},
  };
  static const std::pair<const char*, S::State> kTextColors[] = {
      {"hottextcolor", S::Hot},         {"pushedtextcolor", S::Pushed},
      {"focusedtextcolor", S::Focused}, {"selectedtextcolor", S::Selected},
  };
  for (const auto& [key, state] : kImages)
    if (name == QLatin1String(key))
      return SetStateImage(state, value);
  for (const auto& [key, state] : kBkColors) {
    if (name == QLatin1String(key)) {
      auto c = SkinValue::ParseColor(value);
      if (!c)
        return false;
      SetStateBkColor(state, *c);
      return true;
    }
  }
  for (const auto& [key, state] : kTextColors) {
    if (name == QLatin1String(key)) {
      auto c = SkinValue::ParseColor(value);
      if (!c)
        return false;
      SetStateTextColor(state, *c);
      return true;
    }
  }
  if (name == "foreimage") {
    auto parsed = SkinImage::Parse(value);
    if (!parsed)
      return false;
    button_->SetForeImage(*parsed);
    return true;
  }
  if (textLayout_.Apply(name, value)) {
    UpdateAppearance();
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

void CButtonUI::UpdateTextDisplay() { button_->setText(GetText()); }

void CButtonUI::UpdateAppearance() {
  CControlUI::UpdateAppearance();
  const int percent = GetManager() != nullptr ? GetManager()->GetDPIObj()->GetScale() : 100;
  button_->SetTextLayout(textLayout_, percent);
  button_->SetBackgroundFromSkin(GetBkColor().isValid() || !GetBkImage().isEmpty());
  if (GetTextColor().isValid())
    button_->LookFor(SkinButton::Normal).text = GetTextColor();
  if (GetDisabledTextColor().isValid())
    button_->LookFor(SkinButton::Disabled).text = GetDisabledTextColor();
}

}  // namespace toolkit
