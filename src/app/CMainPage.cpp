#include "app/CMainPage.h"

bool CMainPage::HandleNotify(toolkit::TNotifyUI& msg) {
  return msg.sType == toolkit::DUI_MSGTYPE_CLICK || msg.sType == toolkit::DUI_MSGTYPE_SELECTCHANGED ||
         msg.sType == toolkit::DUI_MSGTYPE_ITEMCLICK;
}
