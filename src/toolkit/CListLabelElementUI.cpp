#include "toolkit/CListLabelElementUI.h"

#include <QMouseEvent>
#include <QPainter>

#include "toolkit/CRenderEngine.h"
#include "toolkit/IListOwnerUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CListLabelElementUI::CListLabelElementUI(QWidget* parent) : CLabelUI(parent) {
  SetFixedHeight(24);
}

int CListLabelElementUI::GetIndex() const {
  return owner_ != nullptr ? owner_->GetItemIndex(const_cast<CListLabelElementUI*>(this)) : -1;
}

void CListLabelElementUI::SetSelectedState(bool selected) {
  selected_ = selected;
  update();
}

bool CListLabelElementUI::Select(bool triggerEvent) {
  if (owner_ == nullptr)
    return false;
  return owner_->SelectItem(GetIndex(), false, triggerEvent);
}

bool CListLabelElementUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "selected") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    wantSelected_ = *b;
    return true;
  }
  return CLabelUI::SetAttribute(name, value);
}

void CListLabelElementUI::UpdateTextDisplay() {
  CLabelUI::UpdateTextDisplay();
  if (owner_ != nullptr)
    owner_->ItemTextChanged(this);
}

void CListLabelElementUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !IsEnabled()) {
    CLabelUI::mousePressEvent(event);
    return;
  }
  SendNotify(DUI_MSGTYPE_ITEMCLICK);
  Select();
  event->accept();
}

void CListLabelElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && IsEnabled())
    SendNotify(DUI_MSGTYPE_ITEMACTIVATE);
  event->accept();
}

void CListLabelElementUI::enterEvent(QEnterEvent* event) {
  hot_ = true;
  update();
  CLabelUI::enterEvent(event);
}

void CListLabelElementUI::leaveEvent(QEvent* event) {
  hot_ = false;
  update();
  CLabelUI::leaveEvent(event);
}

void CListLabelElementUI::paintEvent(QPaintEvent* event) {
  CLabelUI::paintEvent(event);
  QColor colour;
  if (selected_)
    colour = owner_ != nullptr && owner_->ItemSelectedBkColor().isValid()
                 ? owner_->ItemSelectedBkColor()
                 : palette().color(QPalette::Highlight);
  else if (hot_ && IsEnabled())
    colour = owner_ != nullptr && owner_->ItemHotBkColor().isValid()
                 ? owner_->ItemHotBkColor()
                 : palette().color(QPalette::Midlight);
  if (colour.isValid()) {
    QPainter painter(this);
    CRenderEngine::DrawColor(painter, rect(), colour);
  }
}

}  // namespace toolkit
