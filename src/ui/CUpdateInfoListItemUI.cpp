#include "ui/CUpdateInfoListItemUI.h"

#include "platform/DebugChannel.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"

using toolkit::CControlUI;

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : CHorizontalLayoutUI(parent) {
  SetFixedHeight(kHeight);
}

bool CUpdateInfoListItemUI::Build(toolkit::IDialogBuilderCallback* callback,
                                  toolkit::CPaintManagerUI* manager) {
  toolkit::CDialogBuilder builder;
  CControlUI* content = builder.Create(QString::fromLatin1(kLayout), {}, callback, manager);
  if (content == nullptr) {
    platform::DebugPrint("version line: %s could not be built", kLayout);
    return false;
  }
  Add(content);
  return true;
}

CControlUI* CUpdateInfoListItemUI::Sub(const char* name) const {
  return findChild<CControlUI*>(QString::fromLatin1(name));
}

void CUpdateInfoListItemUI::SetEntry(const VersionEntry& entry) {
  if (CControlUI* option = Sub("check_name_select")) {
    option->SetResourceText(false);
    option->SetText(entry.Name);
    if (auto* check = qobject_cast<toolkit::COptionUI*>(option))
      check->Selected(false, false);
  }
  if (CControlUI* version = Sub("OldRev")) {
    version->SetResourceText(false);
    version->SetText(entry.Version);
  }
  if (CControlUI* update = Sub("updateRev")) {
    update->SetText(QString());
    update->SetVisible(false);
  }
}

void CUpdateInfoListItemUI::ShowUpToDate() {
  if (CControlUI* status = Sub("update_status_text")) {
    status->SetResourceText(true);
    status->SetText(QStringLiteral("UpdateOkText"));
  }
  for (const char* hidden : {"update_status_ing", "update_progress_value", "update_status_ok"})
    if (CControlUI* control = Sub(hidden))
      control->SetVisible(false);
  if (CControlUI* option = Sub("check_name_select")) {
    option->SetEnabled(false);
    option->SetTextColor(QColor::fromRgba(0xFFFFFFFF));
    option->SetDisabledTextColor(QColor::fromRgba(0xFF666666));
  }
}

bool CUpdateInfoListItemUI::IsChecked() const {
  auto* option = qobject_cast<toolkit::COptionUI*>(Sub("check_name_select"));
  return option != nullptr && option->IsSelected();
}
