#include <gtest/gtest.h>

#include <QApplication>
#include <QLocalSocket>
#include <QTemporaryDir>

#include "app/CMainWnd.h"
#include "app/LanguageCommands.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "app/ShellState.h"
#include "profiles/JsonFile.h"
#include "ui/CMsgWnd.h"

#include <QTimer>
#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"
#include "support/EventLoopHelpers.h"
#include "support/MainWindowEnvironment.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// The main window on the shipped skin, with the program's socket in a test
// runtime folder.
class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // Never real devices: an empty device tree.
    environment_ = std::make_unique<testing_support::MainWindowEnvironment>(runtime_.path());
    ASSERT_TRUE(environment_->SkinLoaded());
    ASSERT_EQ(server_.Start(), platform::LocalMessageServer::StartResult::Listening);
    server_.SetHandler(ShellState::DeliverFromOtherProgram);
    ShellState::SetMessageServer(&server_);
    // A program listening to the broadcasts.
    listener_.connectToServer(platform::LocalMessageServer::SocketPath());
    ASSERT_TRUE(RunUntil([&] { return server_.ClientCount() == 1; }));

    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    EXPECT_TRUE(window_->SkinErrors().isEmpty());
  }
  void TearDown() override {
    window_.reset();
    ShellState::SetMessageServer(nullptr);
    environment_.reset();
  }
  CControlUI* Find(const char* name) { return window_->FindControl(name); }
  bool Shown() { return window_->isVisible() && !window_->isMinimized(); }

  QTemporaryDir runtime_;
  std::unique_ptr<testing_support::MainWindowEnvironment> environment_;
  platform::LocalMessageServer server_;
  QLocalSocket listener_;
  std::unique_ptr<CMainWnd> window_;
};

}  // namespace

TEST_F(MainWindow, StaysHiddenUntilTheInstanceMessageThenShowsNoDevice) {
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(ShellState::MainWindow(), window_->GetHWND());
  ASSERT_TRUE(RunUntil([&] { return window_->IsInitialised(); }));
  EXPECT_TRUE(window_->Threads().IsCreated());
  // The detection thread's first pass posts the instance message.
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  EXPECT_TRUE(window_->Threads().IsRunning(ThreadSlotTable::kDetectionSlot));
  EXPECT_TRUE(Find("No_device_Link")->IsVisible());
  EXPECT_GT(ShellState::ScreenWidth(), 0);
  // Timer 1011 sized it for the screen: 1000 x 640 at the normal DPI.
  ASSERT_TRUE(RunUntil([&] { return window_->size() == QSize(1000, 640); }));
  EXPECT_TRUE(Shown()) << "sizing keeps the window as it was";
}

TEST_F(MainWindow, AnnouncesLightControlToOtherPrograms) {
  ASSERT_TRUE(RunUntil([&] { return listener_.canReadLine(); }));
  auto notice = platform::SocketMessage::Decode(listener_.readLine().trimmed());
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->name, ShellMessages::kLightControlNoticeName);
  EXPECT_EQ(notice->wParam, 1);
  EXPECT_EQ(notice->lParam, 1);
}

TEST_F(MainWindow, CloseButtonHidesOrMinimisesAndASecondStartBringsItBack) {
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  static_cast<CButtonUI*>(Find("closebtn"))->Activate();
  EXPECT_FALSE(Shown());
  if (!CTrayIcon::IsSystemTrayAvailable()) {
    EXPECT_TRUE(window_->isMinimized()) << "without a tray the window must stay reachable";
  }
  // A second start arrives over the socket.
  ShellState::DeliverFromOtherProgram(
      platform::SocketMessage::Registered(ShellMessages::kInstanceName, 0, 1));
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
}

TEST_F(MainWindow, TrayLeftClickTogglesAndRightClickOpensTheMenu) {
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  window_->Tray().ReportActivation(QSystemTrayIcon::Trigger);
  ASSERT_TRUE(RunUntil([&] { return !window_->isVisible(); }));
  window_->Tray().ReportActivation(QSystemTrayIcon::Trigger);
  ASSERT_TRUE(RunUntil([&] { return Shown(); }));
  window_->Tray().ReportActivation(QSystemTrayIcon::Context);
  // Timer 1032 pops up the tray menu at the cursor.
  ASSERT_TRUE(RunUntil([&] { return QApplication::activePopupWidget() != nullptr; }));
  QApplication::activePopupWidget()->close();
}

TEST_F(MainWindow, TrayMenuExitEndsTheWindowAndStopsTheThreads) {
  ASSERT_TRUE(RunUntil([&] { return window_->IsInitialised(); }));
  std::atomic<bool> stopped{false};
  ASSERT_TRUE(window_->Threads().StartThread(5,
                                             [&](const auto& block) {
                                               block.stop->Wait(platform::kInfinite);
                                               stopped = true;
                                             }));
  MenuCmd exit;
  exit.szName = "exit";
  window_->SendMessage(WM_MENUCLICK, reinterpret_cast<WPARAM>(&exit), 0);
  ASSERT_TRUE(RunUntil([&] { return window_->IsDestroying(); }));
  EXPECT_TRUE(stopped.load());
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->Tray().IsCreated());
  EXPECT_FALSE(platform::IsWindowAlive(window_->GetHWND()));
}

// A file that cannot be written is told once per run, with the language's
// text, and never from inside the writer.
TEST_F(MainWindow, AFailedSaveIsToldOnce) {
  // In English, as the settings window would switch it.
  ASSERT_TRUE(RunUntil([&] { return window_->Language().LanguageIndex() >= 0; }));
  window_->Language().ApplyLanguage(window_->Language().Languages().IndexOfId(520));
  int boxes = 0;
  QString text;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<CMsgWnd*>(QApplication::activeModalWidget())) {
      ++boxes;
      text = box->FindControl("MessageText")->GetText();
      static_cast<CButtonUI*>(box->FindControl("confirm_btn"))->Activate();
    }
  });
  poll.start(5);
  JsonFile json;
  const QString nowhere = runtime_.path() + "/no/such/folder/list.ini";
  EXPECT_EQ(json.WriteJson(nowhere, Json::Value(1)), -1);
  EXPECT_EQ(boxes, 0) << "not inside the writer";
  ASSERT_TRUE(RunUntil([&] { return boxes == 1; }));
  EXPECT_TRUE(text.startsWith("A settings file could not be saved")) << text.toStdString();
  EXPECT_EQ(json.WriteJson(nowhere, Json::Value(2)), -1);
  testing_support::RunFor(100);
  EXPECT_EQ(boxes, 1);
  EXPECT_TRUE(window_->SaveFailureTold());
}
