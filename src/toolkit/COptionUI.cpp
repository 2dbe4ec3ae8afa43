#include "toolkit/COptionUI.h"

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

COptionUI::COptionUI(QWidget* parent) : CButtonUI(parent) {}

COptionUI::~COptionUI() {
  if (GetManager() != nullptr && !group_.isEmpty())
    GetManager()->RemoveOptionGroup(group_, this);
}

void COptionUI::SetGroup(const QString& group) {
  if (group == group_)
    return;
  if (GetManager() != nullptr && !group_.isEmpty())
    GetManager()->RemoveOptionGroup(group_, this);
  group_ = group;
  if (GetManager() != nullptr && !group_.isEmpty())
    GetManager()->AddOptionGroup(group_, this);
  // Joining a group keeps one selection at most.
  if (selected_)
    Selected(true, false);
}

void COptionUI::MakeGroupsOwnedBy(QWidget* root) {
  const QString mark = QStringLiteral("#%1").arg(reinterpret_cast<quintptr>(root), 0, 16);
  for (COptionUI* option : root->findChildren<COptionUI*>())
    if (!option->GetGroup().isEmpty() && !option->GetGroup().contains(QLatin1Char('#')))
      option->SetGroup(option->GetGroup() + mark);
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
  if (selected_ == selected)
    return;
  selected_ = selected;
  Button()->SetSelected(selected);
  CPaintManagerUI* manager = GetManager();
  if (manager != nullptr) {
    if (!group_.isEmpty()) {
      if (selected_) {
        for (CControlUI* other : manager->GetOptionGroup(group_)) {
          if (other != this)
            static_cast<COptionUI*>(other)->Selected(false, triggerEvent);
        }
        if (triggerEvent)
          SendNotify(DUI_MSGTYPE_SELECTCHANGED);
      }
    } else if (triggerEvent) {
      SendNotify(DUI_MSGTYPE_SELECTCHANGED);
    }
  }
  update();
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate())
    return false;
  if (!group_.isEmpty())
    Selected(true);
  else
    Selected(!selected_);
  return true;
}

void COptionUI::SetManager(CPaintManagerUI* manager, bool init) {
  if (GetManager() != nullptr && !group_.isEmpty())
    GetManager()->RemoveOptionGroup(group_, this);
  CButtonUI::SetManager(manager, init);
  if (manager != nullptr && !group_.isEmpty()) {
    manager->AddOptionGroup(group_, this);
    if (selected_) {
      // The skin may select an option before the window knows the group.
      selected_ = false;
      Selected(true, false);
    }
  }
}

bool COptionUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "group") {
    SetGroup(value);
    return true;
  }
  if (name == "selected") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    Selected(*b, false);
    return true;
  }
  return CButtonUI::SetAttribute(name, value);
}

}  // namespace toolkit
