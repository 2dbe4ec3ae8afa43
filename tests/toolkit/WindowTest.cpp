#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <thread>

#include "platform/Event.h"
#include "platform/WindowMessages.h"
#include "platform/WorkerThread.h"
#include "support/EventLoopHelpers.h"
#include "support/SkinFixture.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/CTrayIcon.h"

using namespace toolkit;
using testing_support::RecordingWindow;
using testing_support::RunFor;
using testing_support::RunUntil;
using testing_support::SkinTest;

namespace {
class Windows : public SkinTest {};
}  // namespace

TEST_F(Windows, ModalWindowReturnsItsCloseCode) {
  RecordingWindow dialog("XML_DIALOG");
  dialog.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == "click" && msg.pSender->GetName() == "no")
      dialog.Close(42);
  };
  ASSERT_TRUE(dialog.Create(nullptr, "dialog", 0, 0));
  QTimer::singleShot(0, &dialog, [&] {
    static_cast<CButtonUI*>(dialog.FindControl("no"))->Activate();
  });
  EXPECT_EQ(dialog.ShowModal(), 42u);
  EXPECT_TRUE(dialog.IsDestroying());
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(platform::IsWindowAlive(dialog.GetHWND()));
}

TEST_F(Windows, DestroyDeliversWmDestroyOnceAndThenNothing) {
  auto window = MakeWindow();
  const auto handle = window->GetHWND();
  window->Close(IDOK);
  ASSERT_TRUE(RunUntil([&] { return window->IsDestroying(); }));
  size_t destroys = 0;
  for (const auto& m : window->messages)
    destroys += m.message == platform::WM_DESTROY;
  EXPECT_EQ(destroys, 1u);
  const size_t before = window->messages.size();
  EXPECT_FALSE(window->PostMessage(platform::WM_USER + 5));
  EXPECT_EQ(platform::SendWindowMessage(handle, platform::WM_USER + 5, 0, 0), 0);
  window->DestroyWindow();
  RunFor(10);
  EXPECT_EQ(window->messages.size(), before);
}

TEST_F(Windows, WindowTimersArriveAsWmTimer) {
  auto window = MakeWindow();
  ASSERT_TRUE(window->SetTimer(1011, 10));
  ASSERT_TRUE(RunUntil([&] {
    for (const auto& m : window->messages)
      if (m.message == platform::WM_TIMER && m.wParam == 1011)
        return true;
    return false;
  }));
  EXPECT_TRUE(window->KillTimer(1011));
}

TEST_F(Windows, SystemCommandsMinimiseAndRestore) {
  auto window = MakeWindow();
  window->ShowWindow(true, true);
  window->SendMessage(platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);
  EXPECT_TRUE(window->isMinimized());
  window->SendMessage(platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);
  EXPECT_FALSE(window->isMinimized());
  EXPECT_TRUE(window->isVisible());
  window->ShowWindow(false);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(Windows, CenterWindowCentresOnTheScreen) {
  auto window = MakeWindow();
  window->CenterWindow();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(std::abs(window->geometry().center().x() - screen.center().x()), 1);
  EXPECT_LE(std::abs(window->geometry().center().y() - screen.center().y()), 1);
}

TEST_F(Windows, TrayClicksArriveAsTrayMessageWithTheMouseMessage) {
  auto window = MakeWindow();
  CTrayIcon tray;
  tray.CreateTrayIcon(window->GetHWND(), 107, "tip");
  EXPECT_TRUE(tray.IsCreated());
  EXPECT_EQ(tray.GetTooltipText(), "tip");
  tray.ReportActivation(QSystemTrayIcon::Trigger);
  tray.ReportActivation(QSystemTrayIcon::Context);
  tray.ReportActivation(QSystemTrayIcon::DoubleClick);
  std::vector<LPARAM> clicks;
  ASSERT_TRUE(RunUntil([&] {
    clicks.clear();
    for (const auto& m : window->messages)
      if (m.message == 0x0401) {
        EXPECT_EQ(m.wParam, 107u);
        clicks.push_back(m.lParam);
      }
    return clicks.size() == 3;
  }));
  EXPECT_EQ(clicks, (std::vector<LPARAM>{platform::WM_LBUTTONUP, platform::WM_RBUTTONUP,
                                         platform::WM_LBUTTONDBLCLK}));
  tray.DeleteTrayIcon();
  EXPECT_FALSE(tray.IsCreated());
}

TEST_F(Windows, MenuItemsReachTheOwnerWithTheirNames) {
  ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_one.xml"));
  auto window = MakeWindow();
  std::vector<MenuCmd> chosen;
  window->onMessage = [&](UINT message, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
    handled = message == WM_MENUCLICK;
    if (handled)
      chosen.push_back(*reinterpret_cast<MenuCmd*>(wParam));
    return 0;
  };
  QPointer<CMenuWnd> menu = CMenuWnd::CreateMenu("menu.xml", QPoint(10, 10), window->GetHWND());
  ASSERT_FALSE(menu.isNull());
  EXPECT_TRUE(menu->Errors().isEmpty());
  EXPECT_TRUE(menu->ChooseItem("exit"));
  EXPECT_TRUE(menu->ChooseItem("deep"));
  EXPECT_FALSE(menu->ChooseItem("nothing"));
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].szName, "exit");
  EXPECT_EQ(chosen[0].szText, "Exit one");
  EXPECT_EQ(chosen[1].szName, "deep");
  EXPECT_EQ(chosen[1].szUserData, "d");
  menu->Menu()->hide();
  ASSERT_TRUE(RunUntil([&] { return menu.isNull(); })) << "a closed menu deletes itself";
  EXPECT_EQ(CMenuWnd::CreateMenu("no_menu.xml", QPoint(), window->GetHWND()), nullptr);
}

TEST_F(Windows, AKeptMenuServesAsTheTraysOwnMenuAndStaysAfterClosing) {
  auto window = MakeWindow();
  std::vector<QString> chosen;
  window->onMessage = [&](UINT message, WPARAM wParam, LPARAM, bool& handled) -> LRESULT {
    handled = message == WM_MENUCLICK;
    if (handled)
      chosen.push_back(reinterpret_cast<MenuCmd*>(wParam)->szName);
    return 0;
  };
  std::unique_ptr<CMenuWnd> menu = CMenuWnd::BuildMenu("menu.xml", window->GetHWND());
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(menu->Menu()->isVisible()) << "built, not shown";
  CTrayIcon tray;
  tray.SetContextMenu(menu->Menu());
  tray.CreateTrayIcon(window->GetHWND(), 107);
  EXPECT_TRUE(tray.HasContextMenu());
  // The desktop shows the menu and the user picks "exit".
  menu->Menu()->popup(QPoint(5, 5));
  menu->Menu()->hide();
  RunFor(20);
  EXPECT_TRUE(menu->ChooseItem("exit"));
  EXPECT_EQ(chosen, (std::vector<QString>{"exit"}));
  EXPECT_EQ(CMenuWnd::BuildMenu("no_menu.xml", window->GetHWND()), nullptr);
  tray.SetContextMenu(nullptr);
  EXPECT_FALSE(tray.HasContextMenu());
}
