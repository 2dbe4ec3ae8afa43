#include "ui/CWndUI.h"

CWndUI::CWndUI(QWidget* parent) : CControlUI(parent) {}

bool CWndUI::Attach(QWidget* widget) {
  if (widget == nullptr || widget == this || widget->isAncestorOf(this))
    return false;
  if (widget == hosted_)
    return true;
  Detach();
  hosted_ = widget;
  widget->setParent(this);
  widget->setGeometry(rect());
  widget->show();
  return true;
}

QWidget* CWndUI::Detach() {
  QWidget* widget = hosted_;
  hosted_ = nullptr;
  if (widget != nullptr) {
    widget->hide();
    widget->setParent(nullptr);
  }
  return widget;
}

void CWndUI::resizeEvent(QResizeEvent* event) {
  CControlUI::resizeEvent(event);
  if (hosted_ != nullptr)
    hosted_->setGeometry(rect());
}
