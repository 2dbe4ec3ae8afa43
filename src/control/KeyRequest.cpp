#include "control/KeyRequest.h"

#include <QStringList>
#include <array>

#include "keys/KeyTables.h"

namespace control {

namespace {

constexpr std::array<const char*, 4> kModifiers = {"ctrl", "shift", "alt", "win"};

QString Text(const TextOf& text, const char* id) {
  return text ? text(id) : QString::fromLatin1(id);
}

// A name given on the command line matches a table entry by its readable
// text (also without its blanks), its text id, or the id without its
// prefix ("keyboard_key_F1" as "F1"); letter case does not count.
bool Matches(const QString& wanted, const char* id, const TextOf& text) {
  const QString key = QString::fromLatin1(id);
  if (wanted.compare(Text(text, id), Qt::CaseInsensitive) == 0 || wanted.compare(key, Qt::CaseInsensitive) == 0)
    return true;
  // "CapsLock" for "Caps Lock": blanks are hard to type in a shell.
  QString compact = Text(text, id);
  compact.remove(QLatin1Char(' '));
  if (!wanted.contains(QLatin1Char(' ')) && wanted.compare(compact, Qt::CaseInsensitive) == 0)
    return true;
  for (const char* prefix : {"keyboard_key_", "mouse_key_", "media_", "web_", "wed_"})
    if (key.startsWith(QLatin1String(prefix)) &&
        wanted.compare(key.mid(static_cast<qsizetype>(qstrlen(prefix))), Qt::CaseInsensitive) == 0)
      return true;
  return false;
}

template <size_t N>
int FindRow(const std::array<keys::FunctionRow, N>& table, const QString& wanted, const TextOf& text) {
  for (size_t i = 0; i < N; ++i)
    if (Matches(wanted, table[i].TextId, text))
      return static_cast<int>(i);
  return -1;
}

int FindKeyName(const QString& wanted, const TextOf& text) {
  for (size_t i = 0; i < keys::KeyNameTable.size(); ++i)
    if (Matches(wanted, keys::KeyNameTable[i].TextId, text))
      return static_cast<int>(i);
  return -1;
}

Failure OutOfRange(const QString& text) { return {QStringLiteral("out-of-range"), text}; }
Failure BadRequest(const QString& text) { return {QStringLiteral("bad-request"), text}; }

// The position a "key" member names, or -1 with `failure` set.
int PositionOf(const QJsonValue& key, const KeyTarget& target, std::optional<Failure>& failure) {
  const int count = static_cast<int>(target.keyList.size());
  const bool keyboard = target.device == keys::PanelDevice::Keyboard;
  if (keyboard) {
    const int positions = std::min(count, keys::kPickerKeys);
    QString name = key.toString().trimmed();
    if (name.startsWith(QLatin1String("key_"), Qt::CaseInsensitive)) {
      bool ok = false;
      const int position = name.mid(4).toInt(&ok);
      if (ok && position >= 0 && position < positions)
        return position;
      failure = OutOfRange(QStringLiteral("the keyboard's keys are key_0 to key_%1").arg(positions - 1));
      return -1;
    }
    for (int position = 0; position < positions && !name.isEmpty(); ++position) {
      const int16_t row = keys::KeyPositionTable[static_cast<size_t>(position)];
      if (row != keys::kNoRow && Matches(name, keys::KeyNameTable[static_cast<size_t>(row)].TextId, target.text))
        return position;
    }
    failure = OutOfRange(QStringLiteral("the keyboard has no key \"%1\"").arg(name));
    return -1;
  }
  if (const auto number = Whole(key)) {
    if (*number >= 1 && *number <= count)
      return static_cast<int>(*number - 1);
    failure = OutOfRange(QStringLiteral("the mouse's buttons are 1 to %1").arg(count));
    return -1;
  }
  const QString name = key.toString().trimmed();
  for (int button = 0; button < count && button < static_cast<int>(keys::MouseButtonNames.size()); ++button)
    if (Matches(name, keys::MouseButtonNames[static_cast<size_t>(button)], target.text))
      return button;
  failure = OutOfRange(QStringLiteral("the mouse has no button \"%1\"").arg(name));
  return -1;
}

// The panel's choices a "function" member names, or nothing with `failure`
// set.
std::optional<keys::KeyFunctionChoice> ChoiceOf(const QString& function, const KeyTarget& target,
                                                std::optional<Failure>& failure) {
  keys::KeyFunctionChoice choice;
  if (function.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0) {
    choice.Kind = keys::kKindDefault;
    return choice;
  }
  const qsizetype colon = function.indexOf(QLatin1Char(':'));
  const QString kind = function.left(colon).trimmed().toLower();
  QString name = colon < 0 ? QString() : function.mid(colon + 1).trimmed();
  if (colon < 0 || name.isEmpty()) {
    failure = BadRequest(QStringLiteral("a function is default, key:NAME, media:NAME or mouse:NAME"));
    return std::nullopt;
  }
  if (kind == QLatin1String("media")) {
    choice.Kind = keys::kKindMedia;
    choice.MediaItem = FindRow(keys::MediaFunctionTable, name, target.text);
    if (choice.MediaItem < 0)
      failure = OutOfRange(QStringLiteral("no media function \"%1\"").arg(name));
  } else if (kind == QLatin1String("mouse")) {
    choice.Kind = keys::kKindMouseButton;
    choice.MouseButtonItem = FindRow(keys::MouseButtonTable, name, target.text);
    if (choice.MouseButtonItem < 0)
      failure = OutOfRange(QStringLiteral("no mouse button function \"%1\"").arg(name));
  } else if (kind == QLatin1String("key")) {
    choice.Kind = keys::kKindKeyboardKey;
    int modifier = 0;
    // The mouse's keys may carry one modifier: "ctrl+C".
    const qsizetype plus = name.size() > 1 ? name.indexOf(QLatin1Char('+'), 1) : -1;
    if (plus > 0) {
      const QString prefix = name.left(plus).trimmed().toLower();
      for (size_t m = 0; m < kModifiers.size(); ++m)
        if (prefix == QLatin1String(kModifiers[m]))
          modifier = static_cast<int>(m) + 1;
      if (modifier == 0 || target.device == keys::PanelDevice::Keyboard) {
        failure = BadRequest(target.device == keys::PanelDevice::Keyboard
                                 ? QStringLiteral("the keyboard's keys take no modifier")
                                 : QStringLiteral("a modifier is ctrl, shift, alt or win"));
        return std::nullopt;
      }
      name = name.mid(plus + 1).trimmed();
    }
    const int row = FindKeyName(name, target.text);
    if (row < 0) {
      failure = OutOfRange(QStringLiteral("no key \"%1\"").arg(name));
      return std::nullopt;
    }
    if (target.device == keys::PanelDevice::Keyboard) {
      const auto picker = keys::FindPickerKey(keys::KeyNameTable[static_cast<size_t>(row)].Code());
      if (!picker)
        failure = OutOfRange(QStringLiteral("the keyboard cannot give its keys \"%1\"").arg(name));
      else
        choice.PickerKey = *picker;
    } else {
      choice.Modifier = modifier;
      if (!keys::CaptureKeyRow(row, choice))
        failure = OutOfRange(QStringLiteral("the mouse cannot give its buttons \"%1\"").arg(name));
      else if (modifier != 0 && !choice.CapturedUsage)
        failure = BadRequest(QStringLiteral("\"%1\" is a modifier itself").arg(name));
    }
  } else {
    failure = BadRequest(QStringLiteral("a function is default, key:NAME, media:NAME or mouse:NAME"));
  }
  if (failure)
    return std::nullopt;
  return choice;
}

}  // namespace

std::optional<Failure> ParseKeyArguments(const QJsonObject& args, const KeyTarget& target, KeyChange& change) {
  std::optional<Failure> failure;
  if (!args.value(QLatin1String("key")).isString() && !args.value(QLatin1String("key")).isDouble())
    return BadRequest(QStringLiteral("which key? \"key\" is a name or a number"));
  if (!args.value(QLatin1String("function")).isString())
    return BadRequest(QStringLiteral("\"function\" is default, key:NAME, media:NAME or mouse:NAME"));
  const QString layer = args.value(QLatin1String("layer")).toString(QStringLiteral("normal"));
  if (layer != QLatin1String("normal") && layer != QLatin1String("fn"))
    return BadRequest(QStringLiteral("the layer is \"normal\" or \"fn\""));
  const bool fn = layer == QLatin1String("fn");
  if (fn && target.device != keys::PanelDevice::Keyboard)
    return BadRequest(QStringLiteral("only the keyboard has an Fn layer"));

  const int position = PositionOf(args.value(QLatin1String("key")), target, failure);
  if (position < 0)
    return failure;
  if (target.device == keys::PanelDevice::Keyboard) {
    const auto reserved = keys::FnReservedPositions();
    if (!fn && position == keys::kFnKeyPosition)
      return OutOfRange(QStringLiteral("the Fn key keeps its function"));
    if (fn && std::find(reserved.begin(), reserved.end(), position) != reserved.end())
      return OutOfRange(QStringLiteral("this key keeps its function on the Fn layer"));
  }
  const std::optional<keys::KeyFunctionChoice> choice =
      ChoiceOf(args.value(QLatin1String("function")).toString().trimmed(), target, failure);
  if (!choice)
    return failure;

  KeyListEntry entry = target.keyList[static_cast<size_t>(position)];
  KeyFunctionRecord& edited = fn ? entry.Fn : entry.Normal;
  const keys::FunctionCode code =
      keys::BuildRecord(*choice, target.device, keys::CodeOf(edited), keys::CodeOf(entry.Default), target.macroCount);
  if (target.device == keys::PanelDevice::Mouse && keys::IsOnlyLeftClick(target.keyList, position) &&
      code != keys::CodeOf(edited))
    return OutOfRange(QStringLiteral("this button is the mouse's only left click; give another button the "
                                     "left click first"));
  edited.Type = code.Type;
  edited.Code1 = code.Code1;
  edited.Code2 = code.Code2;
  change = {position, fn, entry};
  return std::nullopt;
}

QString FunctionName(const keys::FunctionCode& code, const TextOf& text) {
  for (const auto& row : keys::MediaFunctionTable)
    if (row.Code() == code)
      return QStringLiteral("media:") + Text(text, row.TextId);
  for (const auto& row : keys::MouseButtonTable)
    if (row.Code() == code)
      return QStringLiteral("mouse:") + Text(text, row.TextId);
  if (const auto row = keys::FindKeyNameRow(code))
    return QStringLiteral("key:") + Text(text, keys::KeyNameTable[static_cast<size_t>(*row)].TextId);
  if (code.Type == keys::FunctionType::Key && code.Code1 != 0 && (code.Code1 & (code.Code1 - 1)) == 0) {
    // A key with one modifier, as the mouse gives it.
    int modifier = 0;
    while ((1 << modifier) != code.Code1)
      ++modifier;
    if (modifier < static_cast<int>(kModifiers.size()))
      if (const auto row = keys::FindKeyNameRow({code.Type, 0, code.Code2}))
        return QStringLiteral("key:%1+%2")
            .arg(QLatin1String(kModifiers[static_cast<size_t>(modifier)]),
                 Text(text, keys::KeyNameTable[static_cast<size_t>(*row)].TextId));
  }
  return QStringLiteral("type:%1 code:%2 %3")
      .arg(code.Type, 2, 16, QLatin1Char('0'))
      .arg(code.Code1, 2, 16, QLatin1Char('0'))
      .arg(code.Code2, 2, 16, QLatin1Char('0'))
      .toUpper();
}

QJsonObject KeyState(const KeyTarget& target, const KeyChange& change, const QJsonObject& args) {
  const KeyFunctionRecord& record = change.fnLayer ? change.entry.Fn : change.entry.Normal;
  QString key;
  if (target.device == keys::PanelDevice::Keyboard) {
    const int16_t row = keys::KeyPositionTable[static_cast<size_t>(change.position)];
    key = row == keys::kNoRow ? QStringLiteral("key_%1").arg(change.position)
                              : Text(target.text, keys::KeyNameTable[static_cast<size_t>(row)].TextId);
  } else if (change.position < static_cast<int>(keys::MouseButtonNames.size())) {
    key = Text(target.text, keys::MouseButtonNames[static_cast<size_t>(change.position)]);
  }
  return QJsonObject{{QLatin1String("device"), target.word},
                     {QLatin1String("index"), args.contains(QLatin1String("index")) ? args.value(QLatin1String("index"))
                                                                                    : QJsonValue(1)},
                     {QLatin1String("key"), key},
                     {QLatin1String("position"), change.position},
                     {QLatin1String("layer"), change.fnLayer ? QStringLiteral("fn") : QStringLiteral("normal")},
                     {QLatin1String("function"), FunctionName(keys::CodeOf(record), target.text)},
                     {QLatin1String("default"), FunctionName(keys::CodeOf(change.entry.Default), target.text)}};
}

}  // namespace control
