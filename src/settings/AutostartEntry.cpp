#include "settings/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

#include "platform/AtomicFileWriter.h"

namespace {

// Characters that make an Exec argument need quotes.
constexpr QStringView kReserved = u" \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside the quotes.
constexpr QStringView kEscapedInQuotes = u"\"`$\\";

QString ConfigHome() {
  const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  // XDG base directories: a relative value is invalid and ignored.
  if (base.isEmpty() || !QDir::isAbsolutePath(base))
    return QDir::homePath() + QStringLiteral("/.config");
  return base;
}

// The string escapes of a desktop file value undone (\s \n \t \r \\).
QString UnescapeValue(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c != '\\' || i + 1 == value.size()) {
      out += c;
      continue;
    }
    const QChar next = value[++i];
    if (next == 's')
      out += ' ';
    else if (next == 'n')
      out += '\n';
    else if (next == 't')
      out += '\t';
    else if (next == 'r')
      out += '\r';
    else if (next == '\\')
      out += '\\';
    else
      out += QStringLiteral("\\") + next;
  }
  return out;
}

// The value of `key` in the [Desktop Entry] group, as written.
QString ReadKey(const QByteArray& text, const QString& key) {
  bool inMainGroup = false;
  for (const QByteArray& raw : text.split('\n')) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.startsWith('[')) {
      inMainGroup = line == QStringLiteral("[Desktop Entry]");
      continue;
    }
    if (!inMainGroup || line.startsWith('#'))
      continue;
    const qsizetype equals = line.indexOf('=');
    if (equals > 0 && line.left(equals).trimmed() == key)
      return line.mid(equals + 1).trimmed();
  }
  return {};
}

}  // namespace

AutostartEntry::AutostartEntry(const QString& configHome)
    : path_((configHome.isEmpty() ? ConfigHome() : configHome) + QStringLiteral("/autostart/") +
            QLatin1String(kDesktopId) + QStringLiteral(".desktop")) {}

QString AutostartEntry::Path() const { return path_; }

QString AutostartEntry::QuoteExecArgument(const QString& argument) {
  QString text = argument;
  text.replace('%', QStringLiteral("%%"));
  bool needsQuotes = text.isEmpty();
  for (QChar c : text)
    needsQuotes = needsQuotes || kReserved.contains(c);
  if (!needsQuotes)
    return text;
  QString quoted = QStringLiteral("\"");
  for (QChar c : text) {
    if (kEscapedInQuotes.contains(c))
      quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

QString AutostartEntry::EscapeValue(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (QChar c : value) {
    if (c == '\\')
      out += QStringLiteral("\\\\");
    else if (c == '\n')
      out += QStringLiteral("\\n");
    else if (c == '\t')
      out += QStringLiteral("\\t");
    else if (c == '\r')
      out += QStringLiteral("\\r");
    else
      out += c;
  }
  return out;
}

QStringList AutostartEntry::SplitExec(const QString& value) {
  const QString line = UnescapeValue(value);
  QStringList arguments;
  QString current;
  bool inArgument = false;
  bool quoted = false;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
        current += '%';
        ++i;
      } else if (c == '\\') {
        // Only the four escapable characters may follow a backslash.
        if (i + 1 == line.size() || !kEscapedInQuotes.contains(line[i + 1]))
          return {};
        current += line[++i];
      } else {
        current += c;
      }
      continue;
    }
    if (c == ' ') {
      if (inArgument)
        arguments << current;
      current.clear();
      inArgument = false;
    } else if (c == '"') {
      quoted = true;
      inArgument = true;
    } else if (c == '%') {
      // %% is a literal percent; field codes (%f, %u, ...) take no part here.
      if (i + 1 < line.size() && line[i + 1] == '%') {
        current += '%';
        ++i;
        inArgument = true;
      } else if (i + 1 < line.size()) {
        ++i;
      }
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (quoted)
    return {};
  if (inArgument)
    arguments << current;
  return arguments;
}

QByteArray AutostartEntry::Content(const QString& program) {
  const QString exec =
      QuoteExecArgument(program) + ' ' + QuoteExecArgument(QLatin1String(kHiddenOption));
  QString text;
  text += QStringLiteral("[Desktop Entry]\n");
  text += QStringLiteral("Type=Application\n");
  text += QStringLiteral("Name=Travix\n");
  text += QStringLiteral("Comment=Starts Travix in the notification area at login\n");
  text += QStringLiteral("Exec=") + EscapeValue(exec) + '\n';
  // Desktops skip the entry once the program is gone.
  text += QStringLiteral("TryExec=") + EscapeValue(program) + '\n';
  text += QStringLiteral("Icon=") + QLatin1String(kDesktopId) + '\n';
  text += QStringLiteral("Terminal=false\n");
  text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
  return text.toUtf8();
}

bool AutostartEntry::IsEnabled() const {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  const QByteArray text = file.readAll();
  return ReadKey(text, QStringLiteral("Hidden")) != QStringLiteral("true") &&
         ReadKey(text, QStringLiteral("X-GNOME-Autostart-enabled")) != QStringLiteral("false");
}

QStringList AutostartEntry::Command() const {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return SplitExec(ReadKey(file.readAll(), QStringLiteral("Exec")));
}

int AutostartEntry::Enable(const QString& program) const {
  if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
    return EACCES;
  const QByteArray content = Content(program);
  const auto result = platform::AtomicFileWriter().Write(
      QFile::encodeName(path_).toStdString(), std::string_view(content.constData(), content.size()));
  return result.error;
}

int AutostartEntry::Disable() const {
  const QByteArray name = QFile::encodeName(path_);
  if (std::remove(name.constData()) == 0 || errno == ENOENT)
    return 0;
  return errno;
}
