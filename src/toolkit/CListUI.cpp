#include "toolkit/CListUI.h"

#include "toolkit/IListItemUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CListUI::CListUI(QWidget* parent) : CContainerUI(Arrangement::Vertical, parent) {
  EnableScrollBar(true, false);
}

bool CListUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index))
    return false;
  if (current_ >= index)
    ++current_;
  if (auto* row = dynamic_cast<IListItemUI*>(control)) {
    row->SetOwner(this);
    if (row->WantsSelected())
      SelectItem(index, false, false);
  }
  return true;
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
  if (auto* row = dynamic_cast<IListItemUI*>(GetItemAt(index)))
    row->SetOwner(nullptr);
  if (!CContainerUI::RemoveAt(index, doNotDestroy))
    return false;
  if (index == current_)
    current_ = -1;
  else if (index < current_)
    --current_;
  return true;
}

void CListUI::ForgetItem(CControlUI* item) {
  const int index = GetItemIndex(item);
  if (index == current_)
    current_ = -1;
  else if (index >= 0 && index < current_)
    --current_;
  CContainerUI::ForgetItem(item);
}

void CListUI::RemoveAll() {
  CContainerUI::RemoveAll();
  current_ = -1;
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == current_)
    return true;
  CControlUI* item = GetItemAt(index);
  if (index >= 0 && (item == nullptr || !item->IsEnabled()))
    return false;  // the selection stays as it was
  const int old = current_;
  if (auto* previous = dynamic_cast<IListItemUI*>(GetItemAt(current_)))
    previous->SetSelectedState(false);
  current_ = index < 0 ? -1 : index;
  if (current_ < 0)
    return false;
  if (auto* row = dynamic_cast<IListItemUI*>(item))
    row->SetSelectedState(true);
  EnsureVisible(item);
  if (takeFocus)
    item->setFocus();
  if (triggerEvent)
    SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(current_), old);
  return true;
}

bool CListUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "itemselectedbkcolor" || name == "itemhotbkcolor") {
    auto c = SkinValue::ParseColor(value);
    if (!c)
      return false;
    (name == "itemselectedbkcolor" ? selectedBk_ : hotBk_) = *c;
    return true;
  }
  return CContainerUI::SetAttribute(name, value);
}

}  // namespace toolkit
