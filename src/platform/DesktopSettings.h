#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QSettings;

namespace platform {

// Opens the desktop's own keyboard or mouse settings, for the buttons on the
// program's keyboard and mouse pages. Each desktop has its own program and
// panel names, so the command comes from a table, and the user can set their
// own in the settings store for desktops the table does not know.
class DesktopSettings {
 public:
  enum class Panel { Keyboard, Mouse };
  // A program and its arguments, not yet resolved against PATH.
  using Command = std::pair<QString, QStringList>;

  struct Launch {
    bool started = false;
    QString program;
    QStringList arguments;
    QString error;  // an English sentence for the user when !started
  };

  // Starts the panel's program detached; never waits for it.
  static Launch Open(Panel panel);

  // The command Open() would run: the user's command from `overrides` (key
  // SettingsKey(panel), a full command line in which double quotes group
  // words) when its program exists, else the command of the first desktop
  // in `desktop` (XDG_CURRENT_DESKTOP, a colon-separated list) whose program
  // is on PATH, else the first known program found on PATH. Reads PATH, so
  // a program that is not installed is never offered.
  static std::optional<Command> CommandFor(Panel panel, const QString& desktop,
                                           const QSettings* overrides);

  // "DesktopSettings/KeyboardCommand" or "DesktopSettings/MouseCommand".
  static QString SettingsKey(Panel panel);
};

}  // namespace platform
