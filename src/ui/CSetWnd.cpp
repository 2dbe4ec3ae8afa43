#include "ui/CSetWnd.h"

#include "platform/DebugChannel.h"
#include "platform/WindowMessages.h"
#include "settings/LastCheckDate.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CDPI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CTabLayoutUI.h"
#include "ui/CUpdateInfoListItemUI.h"

using namespace toolkit;

namespace {

bool Is(const QString& name, const char* text) {
  return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
}

}  // namespace

void CSetWnd::SetOwner(platform::WindowHandle owner, int languageIndex) {
  owner_ = owner;
  languageIndex_ = languageIndex;
}

void CSetWnd::SetDpi(int dpi) {
  if (!CDPI::IsAccepted(dpi)) {
    platform::DebugOutput("SET_WND DPI SET ERROR");
    dpi = CDPI::kDefaultDpi;
  }
  dpi_ = dpi;
  m_pm.SetDPI(dpi);
}

void CSetWnd::SetLastCheckFile(const QString& path, std::function<QDate()> today) {
  lastCheckPath_ = path;
  if (today)
    today_ = std::move(today);
}

void CSetWnd::SizeWindow() {
  resize(m_pm.GetDPIObj()->Scale(QSize(kWidth, kHeight)));
}

void CSetWnd::InitWindow() { SizeWindow(); }

void CSetWnd::FillLanguages() {
  auto* combo = qobject_cast<CComboUI*>(FindControl(QStringLiteral("Language_combox_info")));
  if (combo == nullptr)
    return;
  combo->RemoveAll();
  for (int i = 0; i < languages_.Count(); ++i) {
    auto* item = new CListLabelElementUI;
    item->SetResourceText(true);
    item->SetText(languages_.At(i)->TextId);
    combo->Add(item);
  }
  combo->SelectItem(languageIndex_, false, false);
}

void CSetWnd::OnWindowInit() {
  FillLanguages();
  if (!lastCheckPath_.isEmpty()) {
    lastCheck_ = LastCheckDate::Ensure(lastCheckPath_, today_());
    ShowLastCheck();
  }
  auto* list = qobject_cast<CListUI*>(FindControl(QStringLiteral("device_update_list_info")));
  if (list == nullptr)
    return;
  for (const VersionEntry& entry : entries_) {
    auto* item = new CUpdateInfoListItemUI;
    if (!item->Build(this, &m_pm)) {
      delete item;
      continue;
    }
    list->Add(item);
    item->SetEntry(entry);
    item->ShowUpToDate();
    items_.push_back(item);
  }
}

void CSetWnd::ShowLastCheck() {
  if (CControlUI* label = FindControl(QStringLiteral("update_last_time"))) {
    label->SetResourceText(false);
    label->SetText(CResourceManager::GetInstance()->GetText(QStringLiteral("setwnd_last_check")) +
                   QStringLiteral(": ") + lastCheck_);
  }
}

void CSetWnd::UpdateChosenState() {
  bool any = false;
  for (CUpdateInfoListItemUI* item : items_)
    any = any || item->IsChecked();
  if (CControlUI* update = FindControl(QStringLiteral("update_fw_and_ap"))) {
    update->SetEnabled(any);
    update->SetVisible(any);
  }
}

bool CSetWnd::HandleNotify(TNotifyUI& msg) {
  if (msg.pSender == nullptr)
    return false;
  const QString name = msg.pSender->GetName();
  if (msg.sType == DUI_MSGTYPE_WINDOWINIT) {
    OnWindowInit();
    return true;
  }
  if (msg.sType == DUI_MSGTYPE_CLICK) {
    if (Is(name, "closebtn") || Is(name, "laterbtn")) {
      Close(IDCANCEL);
    } else if (Is(name, "minbtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
    } else if (Is(name, "maxbtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_MAXIMIZE, 0);
    } else if (Is(name, "restorebtn")) {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
    } else if (Is(name, "set_in_update_wnd_btn")) {
      if (CControlUI* hint = FindControl(QStringLiteral("update_tishi_layout")))
        hint->SetVisible(false);
      SizeWindow();
    } else if (Is(name, "update_fw_and_ap")) {
      if (auto* tabs = qobject_cast<CTabLayoutUI*>(FindControl(QStringLiteral("get_update_tab_layout"))))
        tabs->SelectItem(1);
    } else if (Is(name, "update_OK_btn")) {
      if (CControlUI* update = FindControl(QStringLiteral("update_fw_and_ap")))
        update->SetEnabled(false);
      if (auto* tabs = qobject_cast<CTabLayoutUI*>(FindControl(QStringLiteral("get_update_tab_layout"))))
        tabs->SelectItem(0);
    } else {
      return false;  // "menubtn", "homepage_btn": nothing
    }
    return true;
  }
  if (msg.sType == DUI_MSGTYPE_SELECTCHANGED && Is(name, "check_name_select")) {
    UpdateChosenState();
    return true;
  }
  if (msg.sType == DUI_MSGTYPE_ITEMSELECT && Is(name, "Language_combox_info")) {
    auto* combo = qobject_cast<CComboUI*>(msg.pSender);
    if (combo == nullptr || combo->GetCurSel() < 0)
      return true;
    languageIndex_ = combo->GetCurSel();
    if (owner_ != 0)
      platform::SendWindowMessage(owner_, kLanguageMessage,
                                  static_cast<platform::WParam>(languageIndex_), 0);
    return true;
  }
  return false;
}

LRESULT CSetWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (closeMessage_ != 0 && message == closeMessage_) {
    PostMessage(platform::WM_CLOSE, 0, 0);
    return 0;
  }
  if (message == kLanguageMessage) {
    // The texts are the toolkit's already; the date line is made here.
    ShowLastCheck();
    if (CControlUI* root = m_pm.GetRoot())
      root->update();
    update();
    return 0;
  }
  return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

LRESULT CSetWnd::OnSysCommand(WPARAM wParam, LPARAM lParam, bool& /*handled*/) {
  if ((wParam & 0xFFF0) == platform::SC_CLOSE) {
    // Only this window closes; the program goes on.
    Close(IDCANCEL);
    return 0;
  }
  const bool wasMaximized = isMaximized();
  const LRESULT result = CWindowWnd::HandleMessage(platform::WM_SYSCOMMAND, wParam, lParam);
  if (wasMaximized != isMaximized()) {
    if (CControlUI* max = FindControl(QStringLiteral("maxbtn")))
      max->SetVisible(!isMaximized());
    if (CControlUI* restore = FindControl(QStringLiteral("restorebtn")))
      restore->SetVisible(isMaximized());
  }
  (void)lParam;
  return result;
}

void CSetWnd::OnFinalMessage() { deleteLater(); }
