#include "ui/CMsgWnd.h"

#include "platform/DebugChannel.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CDPI.h"

using namespace toolkit;

void CMsgWnd::SetTitle(const QString& title) {
  if (title.isEmpty())
    return;
  if (CControlUI* label = FindControl("MessageTitle")) {
    label->SetResourceText(false);
    label->SetText(title);
  }
}

void CMsgWnd::SetText(const QString& text, bool isLanguageId) {
  if (text.isEmpty())
    return;
  if (CControlUI* label = FindControl("MessageText")) {
    label->SetResourceText(isLanguageId);
    label->SetText(text);
  }
}

void CMsgWnd::SetButtons(int mode) {
  CControlUI* confirm = FindControl("confirm_btn");
  CControlUI* cancel = FindControl("cancel_btn");
  if (confirm == nullptr || cancel == nullptr)
    return;
  if (mode == 0) {
    cancel->SetVisible(false);
    confirm->SetVisible(true);
  } else if (mode == 1) {
    cancel->SetVisible(true);
    confirm->SetVisible(true);
  }
}

void CMsgWnd::SetDpi(int dpi) {
  if (!CDPI::IsAccepted(dpi)) {
    platform::DebugOutput("MSG_WND DPI SET ERROR");
    dpi = CDPI::kDefaultDpi;
  }
  dpi_ = dpi;
  CPaintManagerUI::SetAllDPI(dpi);
}

bool CMsgWnd::HandleNotify(TNotifyUI& msg) {
  if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr)
    return false;
  const QString name = msg.pSender->GetName();
  if (name == "confirm_btn") {
    Close(1);
    return true;
  }
  if (name == "cancel_btn" || name == "closebtn") {
    Close(0);
    return true;
  }
  return false;
}

void CMsgWnd::OnFinalMessage() { deleteLater(); }

int ShowMessageBox(CWindowWnd* owner, const QString& title, const QString& text, int dpi,
                   bool textIsLanguageId, int buttonMode) {
  auto* box = new CMsgWnd;
  if (!box->Create(owner, QStringLiteral("msgwnd"), WS_POPUP | 0x02000000u, WS_EX_TOOLWINDOW)) {
    box->deleteLater();
    return 0;
  }
  box->SetTitle(title);
  box->SetText(text, textIsLanguageId);
  box->SetDpi(dpi);
  box->SetButtons(buttonMode);
  box->CenterWindow();
  return static_cast<int>(box->ShowModal());
}
