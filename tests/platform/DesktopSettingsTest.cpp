#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <ostream>

#include "platform/DataFolders.h"
#include "platform/DesktopSettings.h"
#include "support/EventLoopHelpers.h"

using platform::DesktopSettings;
using Panel = DesktopSettings::Panel;
using Command = DesktopSettings::Command;

// Readable failure messages (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

// PATH holds only fake programs, and the settings store lives in a temporary
// folder, so the machine's own desktop never shows through.
class DesktopSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("PATH", bin_.path().toUtf8());
    for (auto scope : {QSettings::UserScope, QSettings::SystemScope})
      QSettings::setPath(QSettings::NativeFormat, scope, config_.path());
  }
  void TearDown() override {
    qputenv("PATH", savedPath_);
    qputenv("XDG_CURRENT_DESKTOP", savedDesktop_);
  }
  // When run, the fake writes its arguments and "end" to args.txt, with shell
  // built-ins only since PATH holds nothing else.
  QString Install(const QString& name) {
    QFile script(bin_.filePath(name));
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\n{ printf '%s\\n' \"$@\"; echo end; } > '%1'\n")
                     .arg(bin_.filePath("args.txt")).toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return script.fileName();
  }
  bool Ran(const QString& arguments) {
    return testing_support::RunUntil([&] {
      QFile file(bin_.filePath("args.txt"));
      return file.open(QIODevice::ReadOnly) && file.readAll() == arguments + "\nend\n";
    }, 2000);
  }

  QByteArray savedPath_ = qgetenv("PATH"), savedDesktop_ = qgetenv("XDG_CURRENT_DESKTOP");
  QTemporaryDir bin_, config_;
};

}  // namespace

TEST_F(DesktopSettingsTest, EachDesktopGetsItsOwnPanel) {
  for (const char* program : {"gnome-control-center", "systemsettings", "systemsettings5",
                              "xfce4-keyboard-settings", "xfce4-mouse-settings", "cinnamon-settings",
                              "mate-keyboard-properties", "mate-mouse-properties", "lxqt-config-input"})
    Install(program);
  const std::tuple<const char*, Panel, Command> cases[] = {
      {"ubuntu:GNOME", Panel::Mouse, {"gnome-control-center", {"mouse"}}},
      {"Unity", Panel::Keyboard, {"gnome-control-center", {"keyboard"}}},
      {"kde", Panel::Keyboard, {"systemsettings", {"kcm_keyboard"}}},
      {"XFCE", Panel::Mouse, {"xfce4-mouse-settings", {}}},
      {"X-Cinnamon", Panel::Mouse, {"cinnamon-settings", {"mouse"}}},
      {"MATE", Panel::Keyboard, {"mate-keyboard-properties", {}}},
      {"LXQt", Panel::Mouse, {"lxqt-config-input", {}}},
      {"Hyprland:XFCE", Panel::Keyboard, {"xfce4-keyboard-settings", {}}},
  };
  for (const auto& [desktop, panel, expected] : cases) {
    SCOPED_TRACE(desktop);
    EXPECT_EQ(DesktopSettings::CommandFor(panel, desktop, nullptr), expected);
  }
}

TEST_F(DesktopSettingsTest, MissingProgramsGiveWayToTheNextOneFound) {
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Keyboard, "GNOME", nullptr), std::nullopt);
  Install("systemsettings5");
  Install("mate-mouse-properties");
  const Command kde5{"systemsettings5", {"kcm_mouse"}};
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Mouse, "KDE", nullptr), kde5);
  // A desktop without its program, or none at all: the first known one found.
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Mouse, "GNOME", nullptr), kde5);
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Mouse, "", nullptr), kde5);
}

TEST_F(DesktopSettingsTest, TheUsersCommandWinsWhenItsProgramExists) {
  Install("gnome-control-center");
  const QString tool = Install("my tool");
  QSettings overrides(config_.filePath("overrides.ini"), QSettings::IniFormat);
  overrides.setValue("DesktopSettings/MouseCommand", "\"" + tool + "\" --page \"mouse buttons\"");
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Mouse, "GNOME", &overrides),
            Command(tool, {"--page", "mouse buttons"}));
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Keyboard, "GNOME", &overrides),
            Command("gnome-control-center", {"keyboard"}));
  overrides.setValue("DesktopSettings/MouseCommand", "not-installed --page mouse");
  EXPECT_EQ(DesktopSettings::CommandFor(Panel::Mouse, "GNOME", &overrides),
            Command("gnome-control-center", {"mouse"}));
}

TEST_F(DesktopSettingsTest, OpenStartsTheProgramWithoutWaiting) {
  Install("gnome-control-center");
  qputenv("XDG_CURRENT_DESKTOP", "GNOME");
  const auto launch = DesktopSettings::Open(Panel::Keyboard);
  EXPECT_TRUE(launch.started) << launch.error.toStdString();
  EXPECT_TRUE(Ran("keyboard"));
  // The user's command comes from the program's own settings store.
  const QString tool = Install("my-mouse-panel");
  QSettings(platform::DataFolders::kProductName, platform::DataFolders::kProductName)
      .setValue("DesktopSettings/MouseCommand", tool + " --buttons");
  EXPECT_TRUE(DesktopSettings::Open(Panel::Mouse).started);
  EXPECT_TRUE(Ran("--buttons"));
}

TEST_F(DesktopSettingsTest, NothingFoundIsExplainedToTheUser) {
  qputenv("XDG_CURRENT_DESKTOP", "GNOME");
  const auto launch = DesktopSettings::Open(Panel::Keyboard);
  EXPECT_FALSE(launch.started);
  // It says what is missing and where the user's own command goes.
  EXPECT_TRUE(launch.error.startsWith("No keyboard settings program")) << launch.error.toStdString();
  EXPECT_TRUE(launch.error.contains("KeyboardCommand") && launch.error.contains(config_.path()));
}
