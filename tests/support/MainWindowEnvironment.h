#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

#include "app/CMainWnd.h"
#include "app/OwnControls.h"
#include "app/ShellMessages.h"
#include "platform/DataFolders.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

namespace testing_support {

// What a main window needs around it in a test: its own runtime, data and
// device-tree folders under `root` (device roots of a simulator when given),
// the shipped skin and templates, the registered messages and the program's
// own controls. Restores the environment when it goes.
class MainWindowEnvironment {
 public:
  explicit MainWindowEnvironment(const QString& root, const QString& sysRoot = {},
                                 const QString& devRoot = {}) {
    qputenv("XDG_RUNTIME_DIR", root.toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    // A settings store as after an earlier run in Simplified Chinese, so that
    // the tests do not depend on the desktop's language.
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    const QString store = root + "/config/" + platform::DataFolders::kProductName;
    QDir().mkpath(store);
    QFile settings(store + "/" + platform::DataFolders::kProductName + ".conf");
    if (!settings.exists() && settings.open(QIODevice::WriteOnly))
      settings.write("[General]\nLANGUAGE=2052\n");
    qputenv("TRAVIX_SYSFS_ROOT", (sysRoot.isEmpty() ? root + "/sys" : sysRoot).toUtf8());
    qputenv("TRAVIX_DEV_ROOT", (devRoot.isEmpty() ? root + "/dev" : devRoot).toUtf8());
    platform::DataFolders::SetProgramDir(TRAVIX_SOURCE_DIR "/");
    ShellMessages::RegisterInstanceMessage();
    ShellMessages::RegisterShellMessages();
    toolkit::CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");
    loaded_ = toolkit::CResourceManager::GetInstance()->LoadResource("res.xml");
    RegisterOwnControls();
  }
  ~MainWindowEnvironment() {
    toolkit::CResourceManager::GetInstance()->Release();
    for (const char* name :
         {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "TRAVIX_SYSFS_ROOT", "TRAVIX_DEV_ROOT"})
      qunsetenv(name);
  }
  MainWindowEnvironment(const MainWindowEnvironment&) = delete;
  MainWindowEnvironment& operator=(const MainWindowEnvironment&) = delete;

  bool SkinLoaded() const { return loaded_; }

  // Creates the window hidden, as the program does.
  static bool Create(CMainWnd& window) {
    return window.Create(nullptr, CMainWnd::kTitle, CMainWnd::kStyle & ~toolkit::WS_VISIBLE, 0, 0,
                         0, CMainWnd::kCreateWidth, CMainWnd::kCreateHeight);
  }

 private:
  bool loaded_ = false;
};

}  // namespace testing_support
