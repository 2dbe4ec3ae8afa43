#include "ui/CDeviceProfileUI.h"

#include "profiles/ProfileList.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/COptionUI.h"

using namespace toolkit;

namespace {

constexpr const char* kTabs[CDeviceProfileUI::kTabCount] = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : CVerticalLayoutUI(parent) {}

CDeviceProfileUI::~CDeviceProfileUI() = default;

CControlUI* CDeviceProfileUI::Sub(const char* name) const {
  return findChild<CControlUI*>(QString::fromLatin1(name));
}

CComboUI* CDeviceProfileUI::Combo() const {
  return qobject_cast<CComboUI*>(Sub("device_profile_combo"));
}

void CDeviceProfileUI::SetFolders(const QString& deviceFolder, const QString& templatePath) {
  folder_ = deviceFolder;
  templatePath_ = templatePath;
}

void CDeviceProfileUI::AddComboItem(const QString& name) {
  CComboUI* combo = Combo();
  if (combo == nullptr)
    return;
  auto* item = new CListLabelElementUI;
  item->SetFixedHeight(30);
  item->SetText(name);
  item->SetUserData(name);
  combo->Add(item);
}

void CDeviceProfileUI::InitProfileList() {
  list_ = std::make_unique<ProfileList>(folder_, templatePath_, kind_);
  list_->Init();
  if (CComboUI* combo = Combo())
    combo->RemoveAll();
  for (const ProfileList::Entry& entry : list_->Entries())
    AddComboItem(entry.name);
  SelectProfile(list_->Selected(), false);
  HideUnusedTabs();
}

void CDeviceProfileUI::HideUnusedTabs() {
  auto hide = [this](std::initializer_list<const char*> names, bool visible = false) {
    for (const char* name : names)
      if (CControlUI* tab = Sub(name))
        tab->SetVisible(visible);
  };
  switch (kind_) {
    case 1: hide({"cursor_Op_tab"}); break;
    case 3:
    case 5: hide({"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}); break;
    case 4: hide({"cursor_Op_tab", "macro_Op_tab", "key_Op_tab"}); break;
    case 7:
      hide({"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"});
      hide({"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"}, true);
      break;
    default: break;
  }
}

void CDeviceProfileUI::SelectProfile(int index, bool notify) {
  if (!list_)
    return;
  CComboUI* combo = Combo();
  if (combo != nullptr) {
    combo->SelectItem(index, false, notify);
    if (CControlUI* item = combo->GetItemAt(index))
      SetNameEditText(item->GetText());
  }
  list_->Select(index);
}

int CDeviceProfileUI::GetSelectedIndex() const {
  const CComboUI* combo = Combo();
  return combo != nullptr ? combo->GetCurSel() : -1;
}

QString CDeviceProfileUI::GetSelectedId() const { return list_ ? list_->SelectedId() : QString(); }

int CDeviceProfileUI::GetProfileCount() { return list_ ? list_->Count() : 0; }

QString CDeviceProfileUI::GetProfilePathAt(int index) const {
  return list_ ? list_->PathAt(index) : QString();
}

QString CDeviceProfileUI::GetNameEditText() const {
  const CControlUI* edit = Sub("device_profile_name_edit");
  return edit != nullptr ? edit->GetText() : QString();
}

void CDeviceProfileUI::SetNameEditText(const QString& text) {
  if (CControlUI* edit = Sub("device_profile_name_edit"))
    edit->SetText(text);
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
  if (CControlUI* menu = Sub("profile_menu_layout"))
    menu->SetVisible(show);
}

bool CDeviceProfileUI::IsProfileMenuShown() const {
  const CControlUI* menu = Sub("profile_menu_layout");
  return menu != nullptr && menu->IsOwnVisible();
}

void CDeviceProfileUI::SelectTab(int tab) {
  for (int i = 0; i < kTabCount; ++i)
    if (auto* option = qobject_cast<COptionUI*>(Sub(kTabs[i])))
      option->Selected(i + 1 == tab, false);
}

bool CDeviceProfileUI::NewProfile() {
  if (!list_ || (Combo() != nullptr && Combo()->GetCount() >= ProfileList::kMaxNewProfiles))
    return false;
  const int index = list_->New();
  if (index < 0)
    return false;
  AddComboItem(list_->Entries()[static_cast<size_t>(index)].name);
  return true;
}

bool CDeviceProfileUI::CopyProfile() {
  if (!list_)
    return false;
  const int index = list_->Copy(GetSelectedIndex());
  if (index < 0)
    return false;
  AddComboItem(list_->Entries()[static_cast<size_t>(index)].name);
  return true;
}

bool CDeviceProfileUI::DeleteProfile() {
  const int selected = GetSelectedIndex();
  if (!list_ || selected < 0)
    return false;
  const int next = list_->Delete(selected);
  if (next < 0)
    return false;
  if (CComboUI* combo = Combo()) {
    combo->RemoveAt(selected);
    combo->SelectItem(next, false, false);
    if (CControlUI* item = combo->GetItemAt(next))
      SetNameEditText(item->GetText());
  }
  return true;
}

int CDeviceProfileUI::RenameProfile(const QString& name) {
  const int selected = GetSelectedIndex();
  if (!list_ || selected < 0)
    return 0;
  const int result = list_->Rename(selected, name);
  if (result == 1) {
    if (CControlUI* item = Combo() != nullptr ? Combo()->GetItemAt(selected) : nullptr) {
      item->SetText(name);
      item->SetUserData(name);
    }
    SetNameEditText(name);
  }
  return result;
}

bool CDeviceProfileUI::ImportProfile(const QString& path) {
  if (!list_)
    return false;
  const int index = list_->Import(path);
  if (index < 0)
    return false;
  AddComboItem(list_->Entries()[static_cast<size_t>(index)].name);
  return true;
}

bool CDeviceProfileUI::ExportProfile(const QString& path) {
  return list_ && list_->Export(GetSelectedIndex(), path);
}

bool CDeviceProfileUI::ResetProfile() { return list_ && list_->Reset(GetSelectedIndex()); }
