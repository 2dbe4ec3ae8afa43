#include "toolkit/CListContainerElementUI.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CRenderEngine.h"
#include "toolkit/IListOwnerUI.h"

namespace toolkit {

CListContainerElementUI::CListContainerElementUI(QWidget* parent)
    : CContainerUI(Arrangement::Horizontal, parent) {
  SetFixedHeight(24);
}

int CListContainerElementUI::GetIndex() const {
  return owner_ != nullptr ? owner_->GetItemIndex(const_cast<CListContainerElementUI*>(this)) : -1;
}

void CListContainerElementUI::SetSelectedState(bool selected) {
  selected_ = selected;
  update();
}

bool CListContainerElementUI::Select(bool triggerEvent) {
  if (owner_ == nullptr)
    return false;
  return owner_->SelectItem(GetIndex(), false, triggerEvent);
}

void CListContainerElementUI::childEvent(QChildEvent* event) {
  CContainerUI::childEvent(event);
  // A press on an edit of the row is the edit's own, but it picks the row
  // as well.
  // (the edit's own field is a widget inside it).
  QObject* child = event->child();
  if (event->added() && child->isWidgetType()) {
    child->installEventFilter(this);
    for (QWidget* inner : child->findChildren<QWidget*>())
      inner->installEventFilter(this);
  } else if (event->removed()) {
    child->removeEventFilter(this);
  }
}

bool CListContainerElementUI::eventFilter(QObject* watched, QEvent* event) {
  if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::FocusIn) &&
      IsEnabled() && !selected_)
    Select();
  return CContainerUI::eventFilter(watched, event);
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !IsEnabled()) {
    CContainerUI::mousePressEvent(event);
    return;
  }
  SendNotify(DUI_MSGTYPE_ITEMCLICK);
  Select();
  event->accept();
}

void CListContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && IsEnabled())
    SendNotify(DUI_MSGTYPE_ITEMACTIVATE);
  event->accept();
}

void CListContainerElementUI::contextMenuEvent(QContextMenuEvent* event) {
  if (!IsEnabled() || GetManager() == nullptr) {
    CContainerUI::contextMenuEvent(event);
    return;
  }
  Select();
  TNotifyUI msg;
  msg.sType = DUI_MSGTYPE_MENU;
  msg.pSender = this;
  msg.ptMouse = event->globalPos();
  GetManager()->SendNotify(msg);
  event->accept();
}

void CListContainerElementUI::enterEvent(QEnterEvent* event) {
  hot_ = true;
  update();
  CContainerUI::enterEvent(event);
}

void CListContainerElementUI::leaveEvent(QEvent* event) {
  hot_ = false;
  update();
  CContainerUI::leaveEvent(event);
}

void CListContainerElementUI::paintEvent(QPaintEvent* event) {
  CContainerUI::paintEvent(event);
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
