#include "toolkit/CComboUI.h"

#include <QComboBox>
#include <QListView>

#include "toolkit/CListLabelElementUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CComboUI::CComboUI(QWidget* parent) : CControlUI(parent), box_(new QComboBox) {
  SetInnerWidget(box_);
  connect(box_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    if (index == current_)
      return;
    const int old = current_;
    current_ = index;
    SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), old);
  });
}

CComboUI::~CComboUI() {
  // The rows are children of this widget; they go with it.
  for (CControlUI* item : items_) {
    item->SetHolder(nullptr);
    if (auto* row = qobject_cast<CListLabelElementUI*>(item))
      row->SetOwner(nullptr);
  }
}

void CComboUI::ForgetItem(CControlUI* item) {
  const int index = GetItemIndex(item);
  if (index < 0)
    return;
  items_.removeAt(index);
  if (index == current_)
    current_ = -1;
  else if (index < current_)
    --current_;
  QSignalBlocker block(box_);
  box_->removeItem(index);
  box_->setCurrentIndex(current_);
}

bool CComboUI::AddAt(CControlUI* control, int index) {
  if (control == nullptr || index < 0 || index > GetCount() || items_.contains(control))
    return false;
  // Rows live hidden under the combo; the box shows their texts.
  control->setParent(this);
  control->hide();
  items_.insert(index, control);
  control->SetHolder(this);
  if (GetManager() != nullptr)
    control->SetManager(GetManager());
  {
    QSignalBlocker block(box_);
    box_->insertItem(index, control->GetText());
    if (current_ >= index)
      ++current_;
    box_->setCurrentIndex(current_);
  }
  if (auto* row = qobject_cast<CListLabelElementUI*>(control)) {
    row->SetOwner(this);
    if (row->WantsSelected())
      SelectItem(index, false, false);
  }
  return true;
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy) {
  const int index = GetItemIndex(control);
  return index >= 0 && RemoveAt(index, doNotDestroy);
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* control = GetItemAt(index);
  if (control == nullptr)
    return false;
  items_.removeAt(index);
  control->SetHolder(nullptr);
  if (auto* row = qobject_cast<CListLabelElementUI*>(control))
    row->SetOwner(nullptr);
  control->SetManager(nullptr);
  if (doNotDestroy)
    control->setParent(nullptr);
  else
    control->deleteLater();
  if (index == current_)
    current_ = -1;
  else if (index < current_)
    --current_;
  QSignalBlocker block(box_);
  box_->removeItem(index);
  box_->setCurrentIndex(current_);
  return true;
}

void CComboUI::RemoveAll() {
  while (!items_.isEmpty())
    RemoveAt(GetCount() - 1);
}

CControlUI* CComboUI::GetItemAt(int index) const {
  return index >= 0 && index < GetCount() ? items_[index] : nullptr;
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == current_)
    return true;
  if (index >= GetCount())
    return false;
  const int old = current_;
  current_ = std::max(index, -1);
  {
    QSignalBlocker block(box_);
    box_->setCurrentIndex(current_);
  }
  for (int i = 0; i < GetCount(); ++i)
    if (auto* row = qobject_cast<CListLabelElementUI*>(items_[i]))
      row->SetSelectedState(i == current_);
  if (takeFocus)
    box_->setFocus();
  if (triggerEvent && current_ >= 0)
    SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(current_), old);
  return current_ >= 0;
}

void CComboUI::SetItemShown(int index, bool shown) {
  auto* view = qobject_cast<QListView*>(box_->view());
  if (view != nullptr && index >= 0 && index < GetCount())
    view->setRowHidden(index, !shown);
}

void CComboUI::ItemTextChanged(CControlUI* item) {
  const int index = GetItemIndex(item);
  if (index >= 0)
    box_->setItemText(index, item->GetText());
}

void CComboUI::SetManager(CPaintManagerUI* manager, bool init) {
  CControlUI::SetManager(manager, init);
  for (CControlUI* item : items_)
    item->SetManager(manager, init);
}

void CComboUI::ReloadText() {
  CControlUI::ReloadText();
  for (CControlUI* item : items_)
    item->ReloadText();
}

bool CComboUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "dropboxsize" || name == "itemtextpadding") {
    // The drop-down list sizes itself to its rows.
    return SkinValue::ParseSize(value).has_value() || SkinValue::ParseMargins(value).has_value();
  }
  if (name == "textpadding") {
    const auto margins = SkinValue::ParseMargins(value);
    if (!margins)
      return false;
    textPadding_ = *margins;
    UpdateBoxStyle();
    return true;
  }
  const bool known = CControlUI::SetAttribute(name, value);
  if (known && (name == "bkcolor" || name == "textcolor" || name == "bordercolor" ||
                name == "borderround"))
    UpdateBoxStyle();
  return known;
}

void CComboUI::UpdateBoxStyle() {
  // The box draws itself: it takes the skin's colours through a style sheet,
  // so a dark skin does not show a light system box. Without colours the
  // platform look stays.
  if (!GetBkColor().isValid() && !GetTextColor().isValid())
    return;
  auto rgba = [](const QColor& colour) {
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
  };
  const QColor background = GetBkColor().isValid() ? GetBkColor() : QColor(Qt::white);
  const QColor text = GetTextColor().isValid() ? GetTextColor() : QColor(Qt::black);
  const QColor border = GetBorderColor().isValid() ? GetBorderColor() : background.lighter(140);
  const QColor hover = background.lighter(150);
  box_->setStyleSheet(
      QStringLiteral("QComboBox { background: %1; color: %2; border: 1px solid %3;"
                     " border-radius: %4px; padding: %5px %6px %7px %8px; }"
                     "QComboBox::drop-down { border: none; width: 18px; }"
                     "QComboBox QAbstractItemView { background: %1; color: %2;"
                     " selection-background-color: %9; border: 1px solid %3; outline: 0; }")
          .arg(rgba(background), rgba(text), rgba(border))
          .arg(GetBorderRound())
          .arg(textPadding_.top())
          .arg(textPadding_.right())
          .arg(textPadding_.bottom())
          .arg(textPadding_.left())
          .arg(rgba(hover)));
}

}  // namespace toolkit
