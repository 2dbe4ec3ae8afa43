#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "keys/KeyTables.h"

namespace keys {

// The function kinds of the key assignment panel (the decimal user data of
// its function items).
enum FunctionKind : int {
  kKindNone = -1,  // nothing chosen: the assignment area hides
  kKindDefault = 0,
  kKindMouseButton = 1,
  kKindSwing = 2,
  kKindWheel = 3,
  kKindDpi = 4,
  kKindFire = 5,
  kKindKeyboardKey = 6,
  kKindMedia = 7,
  kKindSystem = 8,
  kKindMacro = 9,
  kKindGunKey = 10,
  kKindShortcut = 11,
};

// Which panel: the keyboard's (keys from the on-panel picker) or the
// mouse's (a captured key with a modifier).
enum class PanelDevice { Keyboard = 1, Mouse = 2 };

// What the panel's controls hold, without the controls: the kind chosen and
// each page's choices (-1: no item selected). ShowRecord turns a function
// code into choices, BuildRecord the choices into a function code.
struct KeyFunctionChoice {
  static constexpr int kRunModes = 5;  // run mode 4: repeat a number of times
  static constexpr int kMaxCount = 127;

  int Kind = kKindNone;
  // Mouse button, DPI, media, system and shortcut: the row of its table.
  int MouseButtonItem = -1;
  int DpiItem = -1;
  int MediaItem = -1;
  int SystemItem = -1;
  int ShortcutItem = -1;
  // Swing (left 0, right 1) and wheel (up 0, down 1).
  int SwingDirection = -1, SwingCount = 0, SwingDelay = 0, SwingSpeed = 0;
  int WheelDirection = -1, WheelCount = 0, WheelDelay = 0, WheelSpeed = 0;
  int FireInterval = 0, FireCount = 0;
  int PickerKey = -1;
  // Mouse: the captured key's modifier option (0 none, 1 Ctrl, 2 Shift,
  // 3 Alt, 4 Windows) and its usage; no usage while the edit is empty.
  int Modifier = -1;
  std::optional<uint8_t> CapturedUsage;
  int MacroItem = -1, RunMode = -1, Repeat = 0;
  bool RepeatShown = false;
  int GunItem = -1;
};

// The panel has a function item of `kind` for this device (the keyboard's
// has no DPI and no gun key items).
bool HasFunctionItem(int kind, PanelDevice device);

// Shows `record` on the panel: the choices that display it, starting from
// `shown` (what the controls held; choices a record does not name stay).
// `macroCount`: the items of the macro choice.
KeyFunctionChoice ShowRecord(FunctionCode record, FunctionCode defaultRecord, int macroCount,
                             KeyFunctionChoice shown = {});

// The function code the choices name; `current` where they name none
// (nothing chosen, a table kind without an item, a macro without a macro),
// `defaultRecord` for kind 0.
FunctionCode BuildRecord(const KeyFunctionChoice& choice, PanelDevice device, FunctionCode current,
                         FunctionCode defaultRecord, int macroCount);

// A key captured for the mouse panel's key edit, by its `KeyNameTable` row:
// a modifier key selects its option ((row + 1) mod 5 + (row + 1) div 5) and
// clears the key; another key keeps the option (none: 0) and becomes the
// key. False for rows that cannot be captured.
bool CaptureKeyRow(int row, KeyFunctionChoice& choice);

// Whether the mouse button at `position` is the only one whose normal record
// is the left click: it may not be given another function, or the mouse
// would be left without a left click.
bool IsOnlyLeftClick(const std::vector<KeyListEntry>& buttons, int position);

}  // namespace keys
