#include "app/AppShell.h"

#include <QApplication>
#include <array>
#include <cstdio>
#include <memory>

#include "app/CMainWnd.h"
#include "app/FontResource.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "platform/ThreadRole.h"
#include "app/ShellState.h"
#include "app/TestUiHook.h"
#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "platform/DeviceLock.h"
#include "platform/LocalMessageServer.h"
#include "platform/TerminationSignals.h"
#include "platform/WindowMessages.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

using namespace toolkit;

namespace {

// How long a start waits for travixctl to finish with the devices.
constexpr int kDeviceLockWaitMs = 30000;

constexpr std::array<const char*, 4> kPrivateFonts = {
    "Font/Simplified_Chinese.ttf",
    "Font/Strayne-Regular.otf",
    "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf",
};

void LoadSkin() {
  CPaintManagerUI::SetResourceType(1);
  CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + "skin/");
  CResourceManager::GetInstance()->LoadResource("res.xml");
  RegisterOwnControls();
}

}  // namespace

int RunTravix(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::MarkUiThread();
  QApplication::setApplicationName("travix");
  QApplication::setQuitOnLastWindowClosed(false);
  // --hidden (the autostart entry's): start in the notification area with
  // the window hidden; where the desktop has no notification area the
  // window shows anyway.
  const bool startHidden = QCoreApplication::arguments().contains(QStringLiteral("--hidden"));

  // Private fonts, released last.
  std::array<FontResource, kPrivateFonts.size()> fonts;
  for (size_t i = 0; i < kPrivateFonts.size(); ++i)
    fonts[i].Load(kPrivateFonts[i]);

  const uint32_t instanceMessage = ShellMessages::RegisterInstanceMessage();
  platform::DebugPrint("软件标示：%d", instanceMessage);

  platform::LocalMessageServer server;
  switch (server.Start()) {
    case platform::LocalMessageServer::StartResult::OtherInstance:
      // A start at login finds the program already running: nothing to do.
      if (startHidden)
        return 0;
      // Wake the running instance and leave without showing anything.
      if (!platform::LocalMessageServer::SendToRunningInstance(platform::SocketMessage::Registered(
              ShellMessages::kInstanceName, 0, 1)))
        platform::DebugOutput("another instance holds the socket but does not answer");
      return 0;
    case platform::LocalMessageServer::StartResult::Failed:
      // Like a failed named mutex: go on as the only instance.
      platform::DebugOutput("single-instance socket unavailable; running without it");
      break;
    case platform::LocalMessageServer::StartResult::Listening:
      break;
  }
  // The devices are this program's alone while it runs. travixctl holds the
  // lock for the few seconds a change takes when Travix is not running.
  platform::DeviceLock deviceLock;
  if (!deviceLock.LockWithin(kDeviceLockWaitMs)) {
    if (deviceLock.Error().isEmpty()) {
      const QString holder = deviceLock.Holder();
      std::fprintf(stderr, "travix: the devices are in use by %s; start Travix again when it is done\n",
                   holder.isEmpty() ? "another program" : holder.toLocal8Bit().constData());
      return 1;
    }
    platform::DebugOutput(("device lock unavailable: " + deviceLock.Error()).toStdString());
  }
  // Only the one instance, holding the devices, may clear what an
  // interrupted save left: with no socket another instance, and without the
  // lock a travixctl, may be in the middle of one.
  if (server.IsListening() && deviceLock.IsHeld())
    platform::DataFolders::RemoveLeftoverTemporaryFiles();
  server.SetHandler(ShellState::DeliverFromOtherProgram);
  ShellState::SetMessageServer(&server);
  if (TestUiHook::RequestedByEnvironment()) {
    std::fputs("travix: warning: TRAVIX_TEST_UI=1: the UI test hook is on; programs of this "
               "user can operate the windows through the local socket\n",
               stderr);
    TestUiHook::Install(server);
  }

  CPaintManagerUI::SetInstancePath(platform::DataFolders::ProgramDir());
  LoadSkin();
  ShellMessages::RegisterShellMessages();

  {
    auto window = std::make_unique<CMainWnd>();
    window->SetStartHidden(startHidden);
    // Created hidden: the window appears once the first device scan is done.
    if (window->Create(nullptr, CMainWnd::kTitle, CMainWnd::kStyle & ~WS_VISIBLE, 0, 0, 0,
                       CMainWnd::kCreateWidth, CMainWnd::kCreateHeight)) {
      // A log-out, kill or Ctrl+C ends the program as the system closing the
      // window does: through the ordered shut-down.
      QObject::connect(platform::TerminationSignals::Install(),
                       &platform::TerminationSignals::Requested, window.get(),
                       [w = window.get()](int) { w->Close(IDOK); });
      window->CenterWindow();
      CPaintManagerUI::MessageLoop();
      if (!window->IsDestroying())
        window->DestroyWindow();
    } else {
      platform::DebugOutput("the main window could not be created from the skin");
    }
  }
  ShellState::SetMessageServer(nullptr);
  CResourceManager::GetInstance()->Release();
  return 0;
}
