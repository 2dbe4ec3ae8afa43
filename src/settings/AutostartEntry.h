#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The entry that starts the program at login, hidden in the notification
// area: an XDG autostart desktop entry, <config>/autostart/<id>.desktop,
// whose command is the program followed by --hidden. The entry's file is the
// only record of the choice: the option is on while the file is there (and
// not switched off by the desktop, see IsEnabled).
class AutostartEntry {
 public:
  // The desktop entry id, the same as the installed desktop file's.
  static constexpr const char* kDesktopId = "io.github.travix.Travix";
  // Starts the program without showing its window.
  static constexpr const char* kHiddenOption = "--hidden";

  // `configHome`: the user's configuration folder; empty for
  // $XDG_CONFIG_HOME (~/.config when unset or relative).
  explicit AutostartEntry(const QString& configHome = QString());

  // <config>/autostart/<id>.desktop.
  QString Path() const;
  // The entry exists and the desktop starts it: it is not marked
  // Hidden=true or X-GNOME-Autostart-enabled=false (what some desktops'
  // own start-up settings write to switch an entry off).
  bool IsEnabled() const;
  // The command the entry starts, its Exec unquoted into arguments; empty
  // without an entry, without Exec, or when Exec is not well quoted.
  QStringList Command() const;

  // Writes the entry that starts `program` (an absolute path) with
  // --hidden, replacing any entry of that name, through a temporary file
  // and a rename. 0, or the errno of the step that failed.
  int Enable(const QString& program) const;
  // Removes the entry. 0 also when there was none, else the errno.
  int Disable() const;

  // The entry's text for `program`.
  static QByteArray Content(const QString& program);
  // One argument of an Exec key as the desktop entry specification quotes
  // it: in double quotes when it holds a reserved character, with `"`,
  // `` ` ``, `$` and `\` escaped inside the quotes, `%` doubled. The result
  // is the argument as it stands in the command line, before the string
  // escaping of the file (see EscapeValue).
  static QString QuoteExecArgument(const QString& argument);
  // A string value as written in a desktop file: `\` as `\\`, line breaks
  // and tabs as \n, \t, \r.
  static QString EscapeValue(const QString& value);
  // The arguments of an Exec value as read from the file (still string
  // escaped). Empty when the quoting is broken.
  static QStringList SplitExec(const QString& value);

 private:
  QString path_;
};
