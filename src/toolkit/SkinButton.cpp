#include "toolkit/SkinButton.h"

#include <QPainter>
#include <QStyleOptionButton>

#include "toolkit/CRenderEngine.h"

namespace toolkit {

SkinButton::SkinButton(QWidget* parent) : QPushButton(parent) {
  setCheckable(true);
  setFocusPolicy(Qt::TabFocus);
}

void SkinButton::SetTextLayout(const TextLayout& layout, int scalePercent) {
  textLayout_ = layout;
  scalePercent_ = scalePercent;
  update();
}

void SkinButton::SetSelected(bool selected) {
  if (isChecked() != selected)
    setChecked(selected);
}

bool SkinButton::HasSkinLook() const {
  if (backgroundFromSkin_)
    return true;
  for (const Look& look : looks_)
    if (!look.image.IsEmpty() || look.background.isValid())
      return true;
  return !foreImage_.IsEmpty();
}

SkinButton::State SkinButton::CurrentState() const {
  if (!isEnabled())
    return isChecked() ? SelectedDisabled : Disabled;
  const bool pushed = isDown();
  const bool hot = underMouse();
  if (isChecked())
    return pushed ? SelectedPushed : hot ? SelectedHot : Selected;
  if (pushed)
    return Pushed;
  if (hot)
    return Hot;
  if (hasFocus())
    return Focused;
  return Normal;
}

// Each state falls back to the ones it extends: selected-hot to selected,
// hot to normal, and so on.
std::span<const SkinButton::State> SkinButton::FallbackOrder(State state) {
  static constexpr State kDisabled[] = {Disabled, Normal};
  static constexpr State kSelectedDisabled[] = {SelectedDisabled, Selected, Normal};
  static constexpr State kSelectedPushed[] = {SelectedPushed, SelectedHot, Selected, Pushed,
                                              Normal};
  static constexpr State kSelectedHot[] = {SelectedHot, Selected, Hot, Normal};
  static constexpr State kSelected[] = {Selected, Normal};
  static constexpr State kPushed[] = {Pushed, Hot, Normal};
  static constexpr State kHot[] = {Hot, Normal};
  static constexpr State kFocused[] = {Focused, Normal};
  static constexpr State kNormal[] = {Normal};
  switch (state) {
    case Disabled: return kDisabled;
    case SelectedPushed: return kSelectedPushed;
    case SelectedDisabled: return kSelectedDisabled;
    case SelectedHot: return kSelectedHot;
    case Selected: return kSelected;
    case Pushed: return kPushed;
    case Hot: return kHot;
    case Focused: return kFocused;
    default: return kNormal;
  }
}

// The first look of the list that has an image (or a colour).
const SkinButton::Look* SkinButton::FirstWith(std::span<const State> states,
                                              bool image) const {
  for (State s : states) {
    const Look& look = looks_[s];
    if (image ? !look.image.IsEmpty() : look.background.isValid())
      return &look;
  }
  return nullptr;
}

void SkinButton::paintEvent(QPaintEvent* event) {
  if (!HasSkinLook()) {
    if (!checkBox_) {
      QPushButton::paintEvent(event);
      return;
    }
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    option.state |= isChecked() ? QStyle::State_On : QStyle::State_Off;
    if (isDown())
      option.state |= QStyle::State_Sunken;
    style()->drawControl(QStyle::CE_CheckBox, &option, &painter, this);
    return;
  }

  const State state = CurrentState();
  const std::span<const State> order = FallbackOrder(state);
  QPainter painter(this);
  if (state == SelectedDisabled && looks_[SelectedDisabled].image.IsEmpty())
    painter.setOpacity(0.5);
  const QRect rc = rect();
  if (const Look* look = FirstWith(order, false))
    CRenderEngine::DrawColor(painter, rc, look->background);
  if (const Look* look = FirstWith(order, true))
    CRenderEngine::DrawImage(painter, rc, look->image);
  if (!foreImage_.IsEmpty())
    CRenderEngine::DrawImage(painter, rc, foreImage_);

  QColor textColour = palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                      QPalette::ButtonText);
  for (State s : order) {
    if (looks_[s].text.isValid()) {
      textColour = looks_[s].text;
      break;
    }
  }
  const auto scale = [&](int v) { return v * scalePercent_ / 100; };
  const QMargins& p = textLayout_.padding;
  const QRect textRect = rc.adjusted(scale(p.left()), scale(p.top()), -scale(p.right()),
                                     -scale(p.bottom()));
  int flags = static_cast<int>(textLayout_.Alignment());
  if (textLayout_.wrap)
    flags |= Qt::TextWordWrap;
  CRenderEngine::DrawText(painter, textRect, text(), textColour,
                          textLayout_.FittingFont(font(), textRect, text()), flags);
}

}  // namespace toolkit
