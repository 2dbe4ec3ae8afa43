#include "app/CMainWnd.h"

#include <QCoreApplication>

#include "platform/DebugChannel.h"
#include "toolkit/CControlUI.h"

using namespace toolkit;

CMainWnd::CMainWnd() = default;
CMainWnd::~CMainWnd() = default;

void CMainWnd::InitWindow() { platform::DebugOutput("InitWindow"); }

bool CMainWnd::HandleNotify(TNotifyUI& msg) {
  if (msg.sType == DUI_MSGTYPE_CLICK && msg.pSender != nullptr) {
    const QString name = msg.pSender->GetName();
    if (name == "closebtn") {
      Close(IDOK);
      return true;
    }
    if (name == "minbtn") {
      SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
      return true;
    }
  }
  return false;
}

LRESULT CMainWnd::OnDestroy(WPARAM, LPARAM, bool& handled) {
  QCoreApplication::quit();
  handled = false;
  return 0;
}
