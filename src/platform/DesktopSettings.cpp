#include "platform/DesktopSettings.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <string_view>

#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"

namespace platform {
namespace {

struct PanelCommand {
  std::string_view program;
  std::string_view argument;  // empty: none
};

struct DesktopEntry {
  // Lower-case names as they appear in XDG_CURRENT_DESKTOP.
  std::array<std::string_view, 3> desktops;
  PanelCommand keyboard;
  PanelCommand mouse;
};

// In order of preference; the order also decides which program wins when the
// desktop is unknown and several are installed. KDE Plasma 5 installs only
// systemsettings5 on some distributions, hence its second row.
constexpr std::array kDesktops = {
    DesktopEntry{{"gnome", "unity", "budgie"},
                 {"gnome-control-center", "keyboard"},
                 {"gnome-control-center", "mouse"}},
    DesktopEntry{{"kde"}, {"systemsettings", "kcm_keyboard"}, {"systemsettings", "kcm_mouse"}},
    DesktopEntry{{"kde"}, {"systemsettings5", "kcm_keyboard"}, {"systemsettings5", "kcm_mouse"}},
    DesktopEntry{{"xfce"}, {"xfce4-keyboard-settings", ""}, {"xfce4-mouse-settings", ""}},
    DesktopEntry{{"x-cinnamon", "cinnamon"},
                 {"cinnamon-settings", "keyboard"},
                 {"cinnamon-settings", "mouse"}},
    DesktopEntry{{"mate"}, {"mate-keyboard-properties", ""}, {"mate-mouse-properties", ""}},
    DesktopEntry{{"lxqt"}, {"lxqt-config-input", ""}, {"lxqt-config-input", ""}},
};

QString ToQString(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool OnPath(const QString& program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

std::optional<DesktopSettings::Command> Usable(const DesktopEntry& entry,
                                               DesktopSettings::Panel panel) {
  const PanelCommand& command =
      panel == DesktopSettings::Panel::Keyboard ? entry.keyboard : entry.mouse;
  const QString program = ToQString(command.program);
  if (!OnPath(program))
    return std::nullopt;
  QStringList arguments;
  if (!command.argument.empty())
    arguments << ToQString(command.argument);
  return DesktopSettings::Command{program, arguments};
}

std::optional<DesktopSettings::Command> UserCommand(DesktopSettings::Panel panel,
                                                    const QSettings* overrides) {
  if (overrides == nullptr)
    return std::nullopt;
  const QString line = overrides->value(DesktopSettings::SettingsKey(panel)).toString().trimmed();
  QStringList words = QProcess::splitCommand(line);
  if (words.isEmpty())
    return std::nullopt;
  const QString program = words.takeFirst();
  if (!OnPath(program)) {
    // Fall through to the desktop's own panel rather than open nothing.
    DebugPrint("DesktopSettings: %s names '%s', which is not an executable on PATH",
               qPrintable(DesktopSettings::SettingsKey(panel)), qPrintable(program));
    return std::nullopt;
  }
  return DesktopSettings::Command{program, words};
}

}  // namespace

QString DesktopSettings::SettingsKey(Panel panel) {
  return panel == Panel::Keyboard ? QStringLiteral("DesktopSettings/KeyboardCommand")
                                  : QStringLiteral("DesktopSettings/MouseCommand");
}

std::optional<DesktopSettings::Command> DesktopSettings::CommandFor(Panel panel,
                                                                    const QString& desktop,
                                                                    const QSettings* overrides) {
  if (auto command = UserCommand(panel, overrides))
    return command;
  // "ubuntu:GNOME", "Budgie:GNOME": the first name we know decides, and a
  // desktop whose program is missing gives way to the next name.
  for (const QString& name : desktop.split(':', Qt::SkipEmptyParts)) {
    const QByteArray lower = name.trimmed().toLower().toLatin1();
    if (lower.isEmpty())
      continue;
    const std::string_view wanted(lower.constData(), static_cast<size_t>(lower.size()));
    for (const DesktopEntry& entry : kDesktops) {
      if (std::find(entry.desktops.begin(), entry.desktops.end(), wanted) == entry.desktops.end())
        continue;
      if (auto command = Usable(entry, panel))
        return command;
    }
  }
  for (const DesktopEntry& entry : kDesktops) {
    if (auto command = Usable(entry, panel))
      return command;
  }
  return std::nullopt;
}

DesktopSettings::Launch DesktopSettings::Open(Panel panel) {
  const QSettings settings(DataFolders::kProductName, DataFolders::kProductName);
  const auto command = CommandFor(panel, qEnvironmentVariable("XDG_CURRENT_DESKTOP"), &settings);
  Launch launch;
  const QString what = panel == Panel::Keyboard ? QStringLiteral("keyboard") : QStringLiteral("mouse");
  if (!command) {
    const QString key = SettingsKey(panel);
    launch.error = QStringLiteral(
                       "No %1 settings program of this desktop was found. Set the command to "
                       "run as %2 in the [%3] section of %4.")
                       .arg(what, key.section('/', 1), key.section('/', 0, 0), settings.fileName());
    DebugOutput(launch.error.toStdString());
    return launch;
  }
  launch.program = command->first;
  launch.arguments = command->second;
  launch.started = QProcess::startDetached(launch.program, launch.arguments);
  if (!launch.started) {
    launch.error = QStringLiteral("The %1 settings program %2 could not be started.")
                       .arg(what, launch.program);
    DebugOutput(launch.error.toStdString());
  }
  return launch;
}

}  // namespace platform
