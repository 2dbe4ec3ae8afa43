#include "travixctl/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <variant>

#ifndef TRAVIXCTL_VERSION
#define TRAVIXCTL_VERSION "unknown"
#endif

namespace travixctl {

namespace {

const char* const kDeviceKinds[] = {"keyboard", "mouse", "pad", "headset"};
const char* const kGameEvents[] = {"Game_Start", "Game_End", "Game_Kill", "Game_Death"};
constexpr int kMaxLevel = 4;
constexpr int kStages = 5;
constexpr int kMaxDpi = 65535;
constexpr int kMaxReportRate = 4;
// JSON numbers are doubles: whole numbers are exact up to 2^53.
constexpr qint64 kMaxEventNumber = qint64{1} << 53;
constexpr double kMaxTimeoutSeconds = 3600;

const char* const kDeviceHelp =
    "keyboard, mouse, pad or headset; with :N the N-th one of the kind (from 1), "
    "the first one without.";

const char* const kOverview =
    "Asks the running Travix to do things, over its local socket. When Travix is\n"
    "not running, travixctl does them on the devices itself (lighting that Travix\n"
    "draws, such as the headset's and the keyboard's music and screen modes,\n"
    "needs Travix).\n"
    "\n"
    "Commands:\n"
    "  list                           the attached devices\n"
    "  light DEVICE [OPTIONS]         shows or sets the lighting of a device\n"
    "  light same-mode --from DEVICE  gives the other devices the lighting mode\n"
    "                                 of DEVICE\n"
    "  dpi mouse [OPTIONS]            shows or sets the DPI stages of a mouse\n"
    "  key DEVICE KEY FUNCTION        gives a key of the keyboard or a button of\n"
    "                                 the mouse another function\n"
    "  game-event NAME WPARAM LPARAM  sends a game lighting event\n"
    "  profile list DEVICE            the profiles of a device\n"
    "  profile select DEVICE PROFILE  makes a profile the active one\n"
    "  profile show DEVICE [PROFILE]  the settings of a profile\n"
    "  profile export DEVICE [PROFILE] FILE\n"
    "                                 writes a profile to FILE\n"
    "  profile import DEVICE FILE     adds FILE as a new profile\n"
    "  profile reset DEVICE           the active profile back to the factory\n"
    "                                 settings\n"
    "\n"
    "DEVICE is keyboard, mouse, pad or headset, with :N for the N-th device of\n"
    "the kind (keyboard:2); without it the first one. \"travixctl COMMAND --help\"\n"
    "tells more about a command.";

// The options every command takes.
struct CommonOptions {
  QCommandLineOption help{QStringList{"h", "help"}, "Shows this help."};
  QCommandLineOption json{"json", "Prints Travix's answer as one line of JSON, for scripts."};
  QCommandLineOption timeout{"timeout", "Waits at most SECONDS for Travix's answer (default 5).",
                             "SECONDS"};

  void AddTo(QCommandLineParser& parser) const {
    parser.addOption(help);
    parser.addOption(json);
    parser.addOption(timeout);
  }
};

Invocation Refused(const QString& why, const QString& helpCommand) {
  Invocation invocation;
  invocation.action = Invocation::Action::Refuse;
  invocation.text = why;
  invocation.helpCommand = helpCommand;
  return invocation;
}

// The parser's help with the usage line of `commandWords` ("light",
// "profile select"; empty for the overview) and the exit statuses.
Invocation Help(const QCommandLineParser& parser, const QString& commandWords) {
  QString text = parser.helpText();
  // Qt starts with "Usage: <the path the program was started by> [options]";
  // the help shows what is typed instead.
  const qsizetype options = text.indexOf(QLatin1String(" [options]"));
  const qsizetype lineEnd = text.indexOf('\n');
  if (text.startsWith(QLatin1String("Usage: ")) && options > 0 && options < lineEnd) {
    const QString typed = commandWords.isEmpty() ? QStringLiteral("travixctl")
                                                 : QStringLiteral("travixctl ") + commandWords;
    text.replace(7, options - 7, typed);
    text.insert(text.indexOf('\n') + 1, '\n');
  }
  Invocation invocation;
  invocation.action = Invocation::Action::Help;
  invocation.text = text + '\n' + ExitStatusHelp();
  return invocation;
}

QString Quoted(const QString& text) { return '\'' + text + '\''; }

bool IsWholeNumber(const QString& text) {
  static const QRegularExpression kWhole(QStringLiteral("^[+-]?[0-9]+$"));
  return kWhole.match(text).hasMatch();
}

// "keyboard", "mouse:2": the members naming a device in a request, the kind
// under `kindKey`.
std::optional<QJsonObject> ReadDevice(const QString& text, const QString& kindKey, QString* why) {
  static const QRegularExpression kDevice(QStringLiteral("^([A-Za-z]+)(?::([0-9]+))?$"));
  const QRegularExpressionMatch match = kDevice.match(text);
  QString kind;
  if (match.hasMatch()) {
    for (const char* known : kDeviceKinds) {
      if (match.captured(1).compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
        kind = QLatin1String(known);
    }
  }
  if (kind.isEmpty()) {
    *why = QStringLiteral("unknown device %1: say keyboard, mouse, pad or headset, with :N for the N-th one")
               .arg(Quoted(text));
    return std::nullopt;
  }
  int index = 1;
  if (match.hasCaptured(2)) {
    bool ok = false;
    index = match.captured(2).toInt(&ok);
    if (!ok || index < 1) {
      *why = QStringLiteral("%1: devices of a kind are counted from 1").arg(Quoted(text));
      return std::nullopt;
    }
  }
  QJsonObject device;
  device[kindKey] = kind;
  device["index"] = index;
  return device;
}

// A whole number from `lowest` to `highest` given to --`option`; `what`
// names it in the refusal ("a whole number", "a stage number").
std::optional<int> ReadBounded(const QString& text, const QString& option, int lowest, int highest,
                               const char* what, QString* why) {
  bool ok = false;
  const int value = IsWholeNumber(text) ? text.toInt(&ok) : 0;
  if (!ok || value < lowest || value > highest) {
    *why = QStringLiteral("--%1 takes %2 from %3 to %4, not %5")
               .arg(option, QLatin1String(what))
               .arg(lowest)
               .arg(highest)
               .arg(Quoted(text));
    return std::nullopt;
  }
  return value;
}

std::optional<int> ReadLevel(const QString& text, const QString& option, QString* why) {
  return ReadBounded(text, option, 0, kMaxLevel, "a whole number", why);
}

// "FF8000" or "#ff8000"; sent as six capital hexadecimal digits.
std::optional<QString> ReadColour(const QString& text, QString* why) {
  static const QRegularExpression kColour(QStringLiteral("^#?([0-9A-Fa-f]{6})$"));
  const QRegularExpressionMatch match = kColour.match(text);
  if (!match.hasMatch()) {
    *why = QStringLiteral("--colour takes six hexadecimal digits RRGGBB (FF8000), not %1").arg(Quoted(text));
    return std::nullopt;
  }
  return match.captured(1).toUpper();
}

std::optional<QString> ReadDirection(const QString& text, QString* why) {
  if (text == QLatin1String("first") || text == QLatin1String("second"))
    return text;
  *why = QStringLiteral("--direction takes first or second, not %1").arg(Quoted(text));
  return std::nullopt;
}

// A number (at least `lowest`) or a name; `badNumber` (with the text) and
// `empty` are the refusals.
std::optional<QJsonValue> ReadNumberOrName(const QString& text, int lowest, const QString& badNumber,
                                           const QString& empty, QString* why) {
  if (IsWholeNumber(text)) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < lowest) {
      *why = badNumber.arg(Quoted(text));
      return std::nullopt;
    }
    return QJsonValue(number);
  }
  if (text.trimmed().isEmpty()) {
    *why = empty;
    return std::nullopt;
  }
  return QJsonValue(text);
}

// A mode's number (its position in the device's mode list) or its name.
std::optional<QJsonValue> ReadMode(const QString& text, QString* why) {
  return ReadNumberOrName(text, 0,
                          QStringLiteral("--mode takes a mode's name or its number (from 0), not %1"),
                          QStringLiteral("--mode takes a mode's name or its number"), why);
}

// A profile's number (from 1) or its name.
std::optional<QJsonValue> ReadProfile(const QString& text, QString* why) {
  return ReadNumberOrName(text, 1, QStringLiteral("profiles are counted from 1, not %1"),
                          QStringLiteral("PROFILE is a profile's number or its name"), why);
}

// A stage number as typed, 1-5.
std::optional<int> ReadStage(const QString& text, const QString& option, QString* why) {
  return ReadBounded(text, option, 1, kStages, "a stage number", why);
}

// --set's "STAGE=DPI", as the request's {"stage": STAGE, "dpi": DPI}.
std::optional<QJsonObject> ReadStageDpi(const QString& text, QString* why) {
  const qsizetype equals = text.indexOf('=');
  if (equals < 0) {
    *why = QStringLiteral("--set takes STAGE=DPI (2=1600), not %1").arg(Quoted(text));
    return std::nullopt;
  }
  const auto stage = ReadStage(text.left(equals), QStringLiteral("set"), why);
  if (!stage)
    return std::nullopt;
  const QString dpiText = text.mid(equals + 1);
  bool ok = false;
  const int dpi = IsWholeNumber(dpiText) ? dpiText.toInt(&ok) : 0;
  if (!ok || dpi < 1 || dpi > kMaxDpi) {
    *why = QStringLiteral("--set takes a DPI from 1 to %1, not %2").arg(kMaxDpi).arg(Quoted(dpiText));
    return std::nullopt;
  }
  return QJsonObject{{"stage", *stage}, {"dpi", dpi}};
}

std::optional<QString> ReadGameEvent(const QString& text, QString* why) {
  for (const char* known : kGameEvents) {
    if (text.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(known);
  }
  *why = QStringLiteral("unknown game event %1: say Game_Start, Game_End, Game_Kill or Game_Death")
             .arg(Quoted(text));
  return std::nullopt;
}

// Decimal, or hexadecimal after 0x; a minus sign for decimals only.
std::optional<qint64> ReadEventNumber(const QString& text, const QString& name, QString* why) {
  static const QRegularExpression kDecimal(QStringLiteral("^-?[0-9]{1,16}$"));
  static const QRegularExpression kHex(QStringLiteral("^0[xX]([0-9A-Fa-f]{1,14})$"));
  bool ok = false;
  qint64 value = 0;
  if (kDecimal.match(text).hasMatch()) {
    value = text.toLongLong(&ok, 10);
  } else if (const QRegularExpressionMatch hex = kHex.match(text); hex.hasMatch()) {
    value = hex.captured(1).toLongLong(&ok, 16);
  }
  if (!ok || value > kMaxEventNumber || value < -kMaxEventNumber) {
    *why = QStringLiteral("%1 takes a whole number (decimal, or hexadecimal after 0x) within +-2^53, not %2")
               .arg(name, Quoted(text));
    return std::nullopt;
  }
  return value;
}

std::optional<int> ReadTimeout(const QString& text, QString* why) {
  bool ok = false;
  const double seconds = text.toDouble(&ok);
  if (!ok || !(seconds > 0) || seconds > kMaxTimeoutSeconds) {
    *why = QStringLiteral("--timeout takes a number of seconds above 0 and up to %1, not %2")
               .arg(kMaxTimeoutSeconds)
               .arg(Quoted(text));
    return std::nullopt;
  }
  return std::max(1, static_cast<int>(seconds * 1000 + 0.5));
}

// One command's parser: the common options, then the command's own.
class CommandParser {
 public:
  // `commandWords`: "light", "profile select", ...
  CommandParser(const CommonOptions& common, const QString& commandWords, const QString& description)
      : common_(common),
        commandWords_(commandWords),
        helpCommand_(QStringLiteral("travixctl %1 --help").arg(commandWords)) {
    parser_.setApplicationDescription(description);
    common_.AddTo(parser_);
  }

  QCommandLineParser& parser() { return parser_; }
  const QString& helpCommand() const { return helpCommand_; }

  // Parses `arguments`; the invocation when that already decides it (help,
  // bad options or the wrong number of words), else the `count` words after
  // the command words.
  std::variant<Invocation, QStringList> Words(const QStringList& arguments, int count, const QString& missing) {
    return Words(arguments, count, count, missing);
  }

  // The same for `fewest` to `most` words.
  std::variant<Invocation, QStringList> Words(const QStringList& arguments, int fewest, int most,
                                              const QString& missing) {
    if (!parser_.parse(arguments)) {
      QString why = parser_.errorText();
      static const QRegularExpression kNegative(QStringLiteral("^-[0-9]"));
      if (!arguments.filter(kNegative).isEmpty())
        why += QStringLiteral(" (a negative number goes after \"--\")");
      return Refused(why, helpCommand_);
    }
    if (parser_.isSet(common_.help))
      return Help(parser_, commandWords_);
    const QStringList words = parser_.positionalArguments().mid(commandWords_.count(' ') + 1);
    if (words.size() < fewest)
      return Refused(missing, helpCommand_);
    if (words.size() > most)
      return Refused(QStringLiteral("unexpected %1").arg(Quoted(words.at(most))), helpCommand_);
    return words;
  }

  // A request to send, with the common options read.
  Invocation Request(const QString& command, const QJsonObject& args) {
    Invocation invocation;
    if (parser_.isSet(common_.timeout)) {
      QString why;
      const auto timeout = ReadTimeout(parser_.value(common_.timeout), &why);
      if (!timeout)
        return Refused(why, helpCommand_);
      invocation.timeoutMs = *timeout;
    }
    invocation.action = Invocation::Action::Send;
    invocation.json = parser_.isSet(common_.json);
    invocation.request.command = command;
    invocation.request.args = args;
    return invocation;
  }

 private:
  const CommonOptions& common_;
  QString commandWords_;
  QString helpCommand_;
  QCommandLineParser parser_;
};

Invocation ParseList(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "list", "Lists the devices attached to Travix.");
  auto words = command.Words(arguments, 0, {});
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  return command.Request("list", {});
}

Invocation ParseLight(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "light",
                        "Shows the lighting of DEVICE; with options, sets those parts of it.");
  QCommandLineParser& parser = command.parser();
  parser.addPositionalArgument("DEVICE", kDeviceHelp);
  const QCommandLineOption mode("mode", "The lighting mode, by name or by its number in the mode list.",
                                "NAME|NUMBER");
  const QCommandLineOption brightness("brightness", "The brightness, 0 (darkest) to 4.", "0-4");
  const QCommandLineOption speed("speed", "The speed of the effect, 0 (slowest) to 4.", "0-4");
  const QCommandLineOption colour(QStringList{"colour", "color"}, "The colour as hexadecimal RRGGBB (FF8000).",
                                  "RRGGBB");
  const QCommandLineOption direction("direction", "The direction of the effect: first or second.",
                                     "first|second");
  for (const QCommandLineOption* option : {&mode, &brightness, &speed, &colour, &direction})
    parser.addOption(*option);

  auto words = command.Words(arguments, 1, QStringLiteral("light needs a DEVICE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  QString why;
  auto args = ReadDevice(std::get<QStringList>(words).at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  if (parser.isSet(mode)) {
    const auto value = ReadMode(parser.value(mode), &why);
    if (!value)
      return Refused(why, command.helpCommand());
    args->insert("mode", *value);
  }
  for (const QCommandLineOption* level : {&brightness, &speed}) {
    if (!parser.isSet(*level))
      continue;
    const QString name = level->names().constFirst();
    const auto value = ReadLevel(parser.value(*level), name, &why);
    if (!value)
      return Refused(why, command.helpCommand());
    args->insert(name, *value);
  }
  if (parser.isSet(colour)) {
    const auto value = ReadColour(parser.value(colour), &why);
    if (!value)
      return Refused(why, command.helpCommand());
    args->insert("colour", *value);
  }
  if (parser.isSet(direction)) {
    const auto value = ReadDirection(parser.value(direction), &why);
    if (!value)
      return Refused(why, command.helpCommand());
    args->insert("direction", *value);
  }
  return command.Request("light", *args);
}

Invocation ParseDpi(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "dpi",
                        "Shows the DPI stages of a mouse; with options, sets them. Stages are\n"
                        "numbered 1 to 5.");
  QCommandLineParser& parser = command.parser();
  parser.addPositionalArgument("DEVICE", "mouse; with :N the N-th mouse (from 1), the first one without.");
  const QCommandLineOption stage("stage", "Makes stage N the active one.", "N");
  const QCommandLineOption set("set",
                               "Gives stage N the DPI, a whole number (the mouse's sensor sets the range); "
                               "may be repeated.",
                               "N=DPI");
  const QCommandLineOption enable("enable", "Turns stage N on; may be repeated.", "N");
  const QCommandLineOption disable("disable", "Turns stage N off; may be repeated.", "N");
  const QCommandLineOption reportRate("report-rate", "The report rate by its position in the mouse's list, 0-4.",
                                      "INDEX");
  for (const QCommandLineOption* option : {&stage, &set, &enable, &disable, &reportRate})
    parser.addOption(*option);

  auto words = command.Words(arguments, 1, QStringLiteral("dpi needs a DEVICE (mouse)"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  QString why;
  auto args = ReadDevice(std::get<QStringList>(words).at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  if (args->value("device").toString() != QLatin1String("mouse"))
    return Refused(QStringLiteral("only a mouse has DPI stages"), command.helpCommand());

  // A single choice is refused when given twice rather than the last one taken.
  for (const QCommandLineOption* once : {&stage, &reportRate}) {
    if (parser.values(*once).size() > 1)
      return Refused(QStringLiteral("--%1 is given once").arg(once->names().constFirst()), command.helpCommand());
  }
  if (parser.isSet(stage)) {
    const auto value = ReadStage(parser.value(stage), "stage", &why);
    if (!value)
      return Refused(why, command.helpCommand());
    args->insert("stage", *value);
  }
  if (parser.isSet(set)) {
    QJsonArray settings;
    QList<int> setStages;
    for (const QString& text : parser.values(set)) {
      const auto setting = ReadStageDpi(text, &why);
      if (!setting)
        return Refused(why, command.helpCommand());
      const int number = setting->value("stage").toInt();
      if (setStages.contains(number))
        return Refused(QStringLiteral("stage %1 is set twice").arg(number), command.helpCommand());
      setStages << number;
      settings.append(*setting);
    }
    args->insert("set", settings);
  }
  QList<int> switched[2];  // enabled, disabled
  const QCommandLineOption* switches[2] = {&enable, &disable};
  for (int i = 0; i < 2; ++i) {
    const QString name = switches[i]->names().constFirst();
    for (const QString& text : parser.values(*switches[i])) {
      const auto value = ReadStage(text, name, &why);
      if (!value)
        return Refused(why, command.helpCommand());
      if (switched[1 - i].contains(*value))
        return Refused(QStringLiteral("stage %1 cannot be both enabled and disabled").arg(*value),
                       command.helpCommand());
      // The same stage twice says the same thing once.
      if (!switched[i].contains(*value))
        switched[i] << *value;
    }
    if (!switched[i].isEmpty()) {
      QJsonArray stages;
      for (int number : switched[i])
        stages.append(number);
      args->insert(name, stages);
    }
  }
  if (parser.isSet(reportRate)) {
    bool ok = false;
    const QString text = parser.value(reportRate);
    const int index = IsWholeNumber(text) ? text.toInt(&ok) : -1;
    if (!ok || index < 0 || index > kMaxReportRate)
      return Refused(QStringLiteral("--report-rate takes a position in the mouse's list from 0 to %1, not %2")
                         .arg(kMaxReportRate)
                         .arg(Quoted(text)),
                     command.helpCommand());
    args->insert("reportRate", index);
  }
  return command.Request("dpi", *args);
}

Invocation ParseKey(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "key",
                        "Gives a key of the keyboard or a button of the mouse another function, as\n"
                        "the key assignment panel's save does.\n"
                        "\n"
                        "KEY is the keyboard's printed key name (A, F1, Esc, ...; key_N for the\n"
                        "picture's position N), or the mouse's button name (Left, Forward, ...) or\n"
                        "number from 1.\n"
                        "FUNCTION is one of:\n"
                        "  default           the key's factory function\n"
                        "  key:NAME          a keyboard key (key:F5); on the mouse with one\n"
                        "                    modifier: key:ctrl+C (ctrl, shift, alt, win)\n"
                        "  media:NAME        a media or web function (media:Play, media:Mute)\n"
                        "  mouse:NAME        a mouse button (mouse:Left, mouse:Back)");
  QCommandLineParser& parser = command.parser();
  parser.addPositionalArgument("DEVICE", "keyboard or mouse; with :N the N-th one of the kind (from 1).");
  parser.addPositionalArgument("KEY", "The key or button.");
  parser.addPositionalArgument("FUNCTION", "Its new function.");
  const QCommandLineOption fn("fn", "The keyboard's Fn layer instead of the normal one.");
  parser.addOption(fn);

  auto words = command.Words(arguments, 3, QStringLiteral("key needs a DEVICE, a KEY and a FUNCTION"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList given = std::get<QStringList>(words);
  QString why;
  auto args = ReadDevice(given.at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  const QString device = args->value("device").toString();
  if (device != QLatin1String("keyboard") && device != QLatin1String("mouse"))
    return Refused(QStringLiteral("only the keyboard and the mouse have keys"), command.helpCommand());
  if (parser.isSet(fn) && device != QLatin1String("keyboard"))
    return Refused(QStringLiteral("only the keyboard has an Fn layer"), command.helpCommand());
  const QString key = given.at(1).trimmed();
  if (key.isEmpty() || given.at(2).trimmed().isEmpty())
    return Refused(QStringLiteral("the KEY and the FUNCTION may not be empty"), command.helpCommand());
  // The mouse's buttons by number; a keyboard key may well be named "1".
  if (device == QLatin1String("mouse") && IsWholeNumber(key))
    args->insert("key", key.toInt());
  else
    args->insert("key", key);
  args->insert("function", given.at(2).trimmed());
  args->insert("layer", parser.isSet(fn) ? QStringLiteral("fn") : QStringLiteral("normal"));
  return command.Request("key", *args);
}

Invocation ParseSameMode(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "light same-mode",
                        "Gives the other devices the lighting mode of the device --from names.");
  QCommandLineParser& parser = command.parser();
  const QCommandLineOption from("from", QStringLiteral("The device whose mode the others take: ") + kDeviceHelp,
                                "DEVICE");
  parser.addOption(from);
  auto words = command.Words(arguments, 0, {});
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  if (!parser.isSet(from))
    return Refused(QStringLiteral("light same-mode needs --from DEVICE"), command.helpCommand());
  QString why;
  const auto args = ReadDevice(parser.value(from), "from", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  return command.Request("light-same-mode", *args);
}

Invocation ParseGameEvent(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "game-event",
                        "Sends a game lighting event, as a game does: the lighting of the device\n"
                        "shown in Travix flashes. A negative number goes after \"--\".");
  QCommandLineParser& parser = command.parser();
  parser.addPositionalArgument("NAME", "Game_Start, Game_End, Game_Kill or Game_Death.");
  parser.addPositionalArgument("WPARAM", "0: LPARAM packs a whole effect; 1 or 2: LPARAM is the mode.");
  parser.addPositionalArgument("LPARAM",
                               "mode | brightness << 8 | speed << 16 | direction << 24; decimal or 0x hex.");
  auto words = command.Words(arguments, 3, QStringLiteral("game-event needs NAME WPARAM LPARAM"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList& given = std::get<QStringList>(words);
  QString why;
  const auto name = ReadGameEvent(given.at(0), &why);
  if (!name)
    return Refused(why, command.helpCommand());
  const auto wParam = ReadEventNumber(given.at(1), "WPARAM", &why);
  if (!wParam)
    return Refused(why, command.helpCommand());
  const auto lParam = ReadEventNumber(given.at(2), "LPARAM", &why);
  if (!lParam)
    return Refused(why, command.helpCommand());
  QJsonObject args;
  args["name"] = *name;
  args["wParam"] = *wParam;
  args["lParam"] = *lParam;
  return command.Request("game-event", args);
}

Invocation ParseProfileList(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile list",
                        "Lists the profiles of DEVICE; * marks the active one.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  auto words = command.Words(arguments, 1, QStringLiteral("profile list needs a DEVICE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  QString why;
  const auto args = ReadDevice(std::get<QStringList>(words).at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  return command.Request("profile-list", *args);
}

Invocation ParseProfileSelect(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile select", "Makes a profile of DEVICE the active one.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  command.parser().addPositionalArgument("PROFILE", "The profile's number (from 1) or its name.");
  auto words = command.Words(arguments, 2, QStringLiteral("profile select needs DEVICE and PROFILE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList& given = std::get<QStringList>(words);
  QString why;
  auto args = ReadDevice(given.at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  const auto profile = ReadProfile(given.at(1), &why);
  if (!profile)
    return Refused(why, command.helpCommand());
  args->insert("profile", *profile);
  return command.Request("profile-select", *args);
}

const char* const kProfileHelp = "The profile's number (from 1) or its name; the active profile without it.";
const char* const kFileHelp = "The profile file; a relative name is taken from the current folder.";

// FILE as typed, as the absolute path sent: Travix runs in a folder of its own.
std::optional<QString> ReadFile(const QString& text, QString* why) {
  if (text.isEmpty()) {
    *why = QStringLiteral("FILE is the name of a file, not empty");
    return std::nullopt;
  }
  return QFileInfo(text).absoluteFilePath();
}

// A device and, when given, a profile of it.
std::optional<QJsonObject> ReadDeviceAndProfile(const QString& device, const QString* profile, QString* why) {
  auto args = ReadDevice(device, "device", why);
  if (!args || !profile)
    return args;
  const auto value = ReadProfile(*profile, why);
  if (!value)
    return std::nullopt;
  args->insert("profile", *value);
  return args;
}

Invocation ParseProfileShow(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile show",
                        "Shows the settings of a profile of DEVICE as Travix keeps them: its name,\n"
                        "then the content of its profile file as JSON.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  command.parser().addPositionalArgument("PROFILE", kProfileHelp, "[PROFILE]");
  auto words = command.Words(arguments, 1, 2, QStringLiteral("profile show needs a DEVICE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList& given = std::get<QStringList>(words);
  QString why;
  const auto args = ReadDeviceAndProfile(given.at(0), given.size() > 1 ? &given.at(1) : nullptr, &why);
  if (!args)
    return Refused(why, command.helpCommand());
  return command.Request("profile-show", *args);
}

Invocation ParseProfileExport(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile export", "Writes a profile of DEVICE to FILE.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  command.parser().addPositionalArgument("PROFILE", kProfileHelp, "[PROFILE]");
  command.parser().addPositionalArgument("FILE", kFileHelp);
  auto words = command.Words(arguments, 2, 3, QStringLiteral("profile export needs DEVICE and FILE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList& given = std::get<QStringList>(words);
  QString why;
  auto args = ReadDeviceAndProfile(given.at(0), given.size() > 2 ? &given.at(1) : nullptr, &why);
  if (!args)
    return Refused(why, command.helpCommand());
  const auto file = ReadFile(given.last(), &why);
  if (!file)
    return Refused(why, command.helpCommand());
  args->insert("file", *file);
  return command.Request("profile-export", *args);
}

Invocation ParseProfileImport(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile import", "Adds the profile in FILE to DEVICE as a new profile.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  command.parser().addPositionalArgument("FILE", kFileHelp);
  auto words = command.Words(arguments, 2, QStringLiteral("profile import needs DEVICE and FILE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  const QStringList& given = std::get<QStringList>(words);
  QString why;
  auto args = ReadDevice(given.at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  const auto file = ReadFile(given.at(1), &why);
  if (!file)
    return Refused(why, command.helpCommand());
  // Travix reads it, as the same user: what cannot be read here fails there.
  QFile readable(*file);
  if (!QFileInfo(*file).isFile() || !readable.open(QIODevice::ReadOnly))
    return Refused(QStringLiteral("cannot read %1").arg(given.at(1)), command.helpCommand());
  args->insert("file", *file);
  return command.Request("profile-import", *args);
}

Invocation ParseProfileReset(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile reset",
                        "Gives the active profile of DEVICE the factory settings and writes them to\n"
                        "the device. Nothing asks first.");
  command.parser().addPositionalArgument("DEVICE", kDeviceHelp);
  auto words = command.Words(arguments, 1, QStringLiteral("profile reset needs a DEVICE"));
  if (auto* decided = std::get_if<Invocation>(&words))
    return *decided;
  QString why;
  const auto args = ReadDevice(std::get<QStringList>(words).at(0), "device", &why);
  if (!args)
    return Refused(why, command.helpCommand());
  return command.Request("profile-reset", *args);
}

// "travixctl profile" without a word after it that it knows: its help, or a refusal.
Invocation ParseProfile(const QStringList& arguments, const CommonOptions& common) {
  CommandParser command(common, "profile",
                        "The profiles of a device:\n"
                        "  profile list DEVICE                   lists them, * marking the active one\n"
                        "  profile select DEVICE PROFILE         makes one the active one\n"
                        "  profile show DEVICE [PROFILE]         shows its settings\n"
                        "  profile export DEVICE [PROFILE] FILE  writes it to FILE\n"
                        "  profile import DEVICE FILE            adds FILE as a new profile\n"
                        "  profile reset DEVICE                  gives the active one the factory\n"
                        "                                        settings");
  command.parser().addPositionalArgument("list|select|show|export|import|reset",
                                         "See \"travixctl profile WORD --help\" (\"travixctl profile show "
                                         "--help\").");
  auto words = command.Words(arguments, 0, {});
  if (auto* decided = std::get_if<Invocation>(&words); decided && decided->action == Invocation::Action::Help)
    return *decided;
  const QStringList given = command.parser().positionalArguments().mid(1);
  const QString known = QStringLiteral("list, select, show, export, import or reset");
  return Refused(given.isEmpty() ? QStringLiteral("profile needs %1").arg(known)
                                 : QStringLiteral("profile takes %1, not %2").arg(known, Quoted(given.first())),
                 command.helpCommand());
}

}  // namespace

Invocation ParseCommandLine(const QStringList& arguments) {
  const CommonOptions common;
  const QCommandLineOption version("version", "Shows the version of travixctl.");
  QCommandLineParser top;
  top.setApplicationDescription(kOverview);
  common.AddTo(top);
  top.addOption(version);
  top.addPositionalArgument("COMMAND", "list, light, dpi, key, game-event or profile.", "COMMAND [ARGUMENTS]");
  // Only the options before the command word count here; the command's
  // parser reads the whole line again.
  top.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  const QString topHelp = QStringLiteral("travixctl --help");
  if (!top.parse(arguments))
    return Refused(top.errorText(), topHelp);
  const QStringList words = top.positionalArguments();
  if (words.isEmpty()) {
    if (top.isSet(common.help))
      return Help(top, {});
    if (top.isSet(version)) {
      Invocation invocation;
      invocation.action = Invocation::Action::Version;
      invocation.text = QStringLiteral("travixctl " TRAVIXCTL_VERSION "\n");
      return invocation;
    }
    return Refused(QStringLiteral("no command given"), topHelp);
  }
  const QString& command = words.at(0);
  const QString second = words.value(1);
  if (command == QLatin1String("list"))
    return ParseList(arguments, common);
  if (command == QLatin1String("light"))
    return second == QLatin1String("same-mode") ? ParseSameMode(arguments, common) : ParseLight(arguments, common);
  if (command == QLatin1String("dpi"))
    return ParseDpi(arguments, common);
  if (command == QLatin1String("key"))
    return ParseKey(arguments, common);
  if (command == QLatin1String("game-event"))
    return ParseGameEvent(arguments, common);
  if (command == QLatin1String("profile")) {
    if (second == QLatin1String("list"))
      return ParseProfileList(arguments, common);
    if (second == QLatin1String("select"))
      return ParseProfileSelect(arguments, common);
    if (second == QLatin1String("show"))
      return ParseProfileShow(arguments, common);
    if (second == QLatin1String("export"))
      return ParseProfileExport(arguments, common);
    if (second == QLatin1String("import"))
      return ParseProfileImport(arguments, common);
    if (second == QLatin1String("reset"))
      return ParseProfileReset(arguments, common);
    return ParseProfile(arguments, common);
  }
  return Refused(QStringLiteral("unknown command %1").arg(Quoted(command)), topHelp);
}

}  // namespace travixctl
