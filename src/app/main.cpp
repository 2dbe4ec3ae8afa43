#include <QApplication>

#include "app/CMainWnd.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CWindowWnd.h"

using namespace toolkit;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("travix");
  QApplication::setQuitOnLastWindowClosed(false);

  CPaintManagerUI::SetInstance();
  CPaintManagerUI::SetResourceType(1);
  CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + "skin/");
  CResourceManager::GetInstance()->LoadResource("res.xml");
  CResourceManager::GetInstance()->LoadLanguage("lan_cn.xml");

  {
    CMainWnd window;
    if (!window.Create(nullptr, "RUDAVAVE DADAV UDU417", UI_WNDSTYLE_DIALOG, 0, 0, 0, 800, 572))
      return 0;
    window.CenterWindow();
    window.ShowWindow(true, true);
    CPaintManagerUI::MessageLoop();
  }
  CResourceManager::GetInstance()->Release();
  return 0;
}
