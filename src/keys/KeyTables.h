#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "profiles/KeyListEntry.h"
#include "protocol/KeyFunction.h"

// The fixed tables of the key function model: every function the program can
// name, with the language id of its text, and the tables describing the
// keyboard layout drawn by the skin. Pure data; no window code.
namespace keys {

// A function code: what a key reports when pressed, as the key tables of
// the devices hold it.
using FunctionCode = protocol::KeyFunction;

// Function types.
namespace FunctionType {
inline constexpr uint8_t KeyLegacy = 0x00;  // handled like Key
inline constexpr uint8_t MouseButton = 0x10;
inline constexpr uint8_t Swing = 0x11;
inline constexpr uint8_t Wheel = 0x12;
inline constexpr uint8_t Dpi = 0x13;
inline constexpr uint8_t Fire = 0x14;
inline constexpr uint8_t DpiShift = 0x16;
inline constexpr uint8_t Key = 0x20;
inline constexpr uint8_t ShortcutIndex = 0x22;
inline constexpr uint8_t ShowWindow = 0x23;
inline constexpr uint8_t Consumer = 0x30;
inline constexpr uint8_t System = 0x40;
inline constexpr uint8_t Macro = 0x70;
inline constexpr uint8_t MacroRepeat = 0x71;
inline constexpr uint8_t Gun = 0x72;
inline constexpr uint8_t Special = 0xA0;
inline constexpr uint8_t MKey = 0xD0;
}  // namespace FunctionType

inline bool IsMacro(uint8_t type) {
  return type == FunctionType::Macro || type == FunctionType::MacroRepeat;
}

inline FunctionCode CodeOf(const KeyFunctionRecord& record) {
  return {record.Type, record.Code1, record.Code2};
}

// One named keyboard function. Rows 0..112 can also be captured from a key
// press: they carry the set-1 scan code and the extended-key flag.
struct KeyNameRow {
  const char* TextId;
  uint8_t ScanCode;
  int8_t Extended;  // -1: the row cannot be captured
  uint8_t Type;
  uint8_t Code1;
  uint8_t Code2;

  FunctionCode Code() const { return {Type, Code1, Code2}; }
};

// A selectable function of one of the panel's lists.
struct FunctionRow {
  const char* TextId;
  uint8_t Type;
  uint8_t Code1;
  uint8_t Code2;

  FunctionCode Code() const { return {Type, Code1, Code2}; }
};

inline constexpr int kCapturableRows = 113;
inline constexpr int kLayoutPositions = 170;
inline constexpr int kPickerKeys = 126;
inline constexpr int kFnKeyPosition = 110;
// A table entry that names no row: the code 0x20, 0, 0.
inline constexpr int16_t kNoRow = -1;

extern const std::array<KeyNameRow, 142> KeyNameTable;
extern const std::array<FunctionRow, 5> MouseButtonTable;
extern const std::array<FunctionRow, 3> DpiFunctionTable;
extern const std::array<FunctionRow, 18> MediaFunctionTable;
extern const std::array<FunctionRow, 3> SystemFunctionTable;
extern const std::array<FunctionRow, 11> ShortcutKeyTable;
extern const std::array<FunctionRow, 9> ShortcutIndexTable;
extern const std::array<FunctionRow, 4> MouseFunctionTable;
// Type 0x72: gun number 0..3.
extern const std::array<const char*, 4> GunNames;
// Printed names of the mouse buttons, by button index.
extern const std::array<const char*, 11> MouseButtonNames;
// The mouse's eleven buttons by their factory functions, in button order:
// left, right, middle, forward, back, DPI up, DPI down, DPI cycle, and three
// special buttons. Each button is the key-table slot holding its function.
extern const std::array<FunctionCode, 11> MouseFactoryFunctions;
// The `KeyNameTable` row printed on each layout position ("key_N" stands at
// position N), kNoRow for none.
extern const std::array<int16_t, kLayoutPositions> KeyPositionTable;
// Keys that cannot be assigned on the Fn layer, by `KeyNameTable` row.
extern const std::array<int16_t, 32> FnReservedFunctions;
// The function of each picker key "keyboard_key_N" of the assignment panel.
extern const std::array<int16_t, kPickerKeys> PickerKeyTable;

// The function printed on layout position `position`; 0x20, 0, 0 for a
// position without one or out of range.
FunctionCode PrintedFunction(int position);
// The function a picker key chooses; 0x20, 0, 0 out of range.
FunctionCode PickerFunction(int index);
// The first picker key that chooses exactly this code.
std::optional<int> FindPickerKey(FunctionCode code);
// The first `KeyNameTable` row with exactly this code.
std::optional<int> FindKeyNameRow(FunctionCode code);
// The first layout position printed with this code.
std::optional<int> FindPosition(FunctionCode code);
// The positions of the Fn-reserved keys, each the first position printed
// with that function.
std::array<int, 32> FnReservedPositions();
// A key press reported by the keyboard hook: the first capturable row whose
// scan code matches and whose extended flag equals bit 0 of `flags`; rows of
// another type than 0x20 are not accepted.
std::optional<int> FindCapturedKey(uint32_t scanCode, uint32_t flags);

}  // namespace keys
