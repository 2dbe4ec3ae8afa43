#pragma once

#include <QJsonObject>
#include <optional>
#include <vector>

#include "control/RequestValues.h"
#include "keys/KeyFunctionChoice.h"
#include "profiles/KeyListEntry.h"

namespace control {

// The keys a key request may change on one device.
struct KeyTarget {
  QString word;                       // "keyboard" or "mouse", for messages
  keys::PanelDevice device = keys::PanelDevice::Keyboard;
  std::vector<KeyListEntry> keyList;  // by position (keyboard) or button (mouse)
  int macroCount = 0;
  TextOf text;                        // a key's or function's readable name
};

// One key's new function, checked.
struct KeyChange {
  int position = -1;
  bool fnLayer = false;
  KeyListEntry entry;  // the key's records with the new function in place
};

// Reads "key" (the keyboard: a printed key name, or "key_N" for picture
// position N; the mouse: a button name, or its number from 1), "function"
// ("default", "key:NAME", "key:ctrl+NAME" on the mouse, "media:NAME",
// "mouse:NAME") and "layer" ("normal" or "fn", the keyboard's Fn layer).
// The codes are built as the key assignment panel builds them. Refused: a
// key the layer does not let change (Fn on the normal layer, the Fn
// layer's reserved keys), a key the keyboard's picker cannot choose, and
// taking the mouse's last left click away.
std::optional<Failure> ParseKeyArguments(const QJsonObject& args, const KeyTarget& target, KeyChange& change);

// A function code as travixctl names it ("key:A", "media:Play", "mouse:Left
// click", ...; "type:TT code:XX YY" for one without a name here).
QString FunctionName(const keys::FunctionCode& code, const TextOf& text);

// The key as a reply shows it.
QJsonObject KeyState(const KeyTarget& target, const KeyChange& change, const QJsonObject& args);

}  // namespace control
