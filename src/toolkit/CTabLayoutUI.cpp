#include "toolkit/CTabLayoutUI.h"

#include "toolkit/SkinValue.h"

namespace toolkit {

CTabLayoutUI::CTabLayoutUI(QWidget* parent) : CContainerUI(Arrangement::Pages, parent) {}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index))
    return false;
  if (current_ >= 0 && index <= current_)
    ++current_;
  if (current_ < 0 && GetCount() > wanted_)
    SelectItem(wanted_);
  else
    control->SetVisible(index == current_);
  return true;
}

bool CTabLayoutUI::RemoveAt(int index, bool doNotDestroy) {
  if (!CContainerUI::RemoveAt(index, doNotDestroy))
    return false;
  if (index == current_) {
    current_ = -1;
    if (GetCount() > 0)
      SelectItem(std::min(index, GetCount() - 1));
  } else if (index < current_) {
    --current_;
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  CContainerUI::RemoveAll();
  current_ = -1;
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount())
    return false;
  current_ = index;
  for (int i = 0; i < GetCount(); ++i)
    GetItemAt(i)->SetVisible(i == index);
  RelayoutItems();
  return true;
}

bool CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "selectedid") {
    auto v = SkinValue::ParseInt(value);
    if (!v || *v < 0)
      return false;
    wanted_ = *v;
    if (!SelectItem(*v))
      current_ = -1;
    return true;
  }
  return CContainerUI::SetAttribute(name, value);
}

}  // namespace toolkit
