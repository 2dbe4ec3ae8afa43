#include "keys/KeyLabel.h"

#include <algorithm>

namespace keys {

namespace {

template <size_t N>
const FunctionRow* FindRow(const std::array<FunctionRow, N>& table, FunctionCode code,
                           bool compareCode2) {
  for (const FunctionRow& row : table)
    if (row.Type == code.Type && row.Code1 == code.Code1 &&
        (!compareCode2 || row.Code2 == code.Code2))
      return &row;
  return nullptr;
}

template <size_t N>
const FunctionRow* FindByCodes(const std::array<FunctionRow, N>& table, FunctionCode code) {
  for (const FunctionRow& row : table)
    if (row.Code1 == code.Code1 && row.Code2 == code.Code2)
      return &row;
  return nullptr;
}

std::optional<std::string> Text(const LabelContext& context, const char* id) {
  if (id == nullptr)
    return std::nullopt;
  return context.text ? context.text(id) : std::string(id);
}

std::optional<std::string> KeyFunctionLabel(FunctionCode code, const LabelContext& context) {
  // The exact key, whatever the type byte says.
  for (const KeyNameRow& row : KeyNameTable)
    if (row.Code1 == code.Code1 && row.Code2 == code.Code2)
      return Text(context, row.TextId);
  if (code.Code1 == 0 && code.Code2 == 0)
    return Text(context, context.keyboard && context.fnLayer ? "close_text" : "com_key_nothing");
  // A combination: every modifier named by its bit and the key named by its
  // usage. The right-Ctrl bit is not matched by itself: it stands for Ctrl in
  // the shortcut list below.
  const uint8_t type = code.Type == FunctionType::KeyLegacy ? FunctionType::Key : code.Type;
  std::string composed;
  for (const KeyNameRow& row : KeyNameTable) {
    if (row.Type != type)
      continue;
    if ((row.Code1 == code.Code1 && code.Code1 != 0x10) || row.Code2 == code.Code2) {
      if (!composed.empty())
        composed += '+';
      composed += Text(context, row.TextId).value_or(std::string());
    }
  }
  if (composed.empty())
    return std::nullopt;
  if (context.keyboard && !context.fnLayer)
    if (const FunctionRow* shortcut = FindByCodes(ShortcutKeyTable, code))
      return Text(context, shortcut->TextId);
  return composed;
}

}  // namespace

std::optional<std::string> KeyLabel(FunctionCode code, const LabelContext& context) {
  using namespace FunctionType;
  switch (code.Type) {
    case KeyLegacy:
    case Key:
      return KeyFunctionLabel(code, context);
    case MouseButton: {
      const FunctionRow* row = FindRow(MouseButtonTable, code, false);
      return Text(context, row != nullptr ? row->TextId : nullptr);
    }
    case Swing:
      return Text(context, (code.Code2 & 0x80) != 0 ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case Wheel:
      return Text(context, (code.Code2 & 0x80) != 0 ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case Dpi: {
      const FunctionRow* row = FindRow(DpiFunctionTable, code, false);
      return Text(context, row != nullptr ? row->TextId : nullptr);
    }
    case Fire:
      return Text(context, "mouse_key_fire_key");
    case DpiShift:
      return Text(context, "mouse_key_DPI_shift");
    case ShowWindow:
      if (code.Code1 == 0 && code.Code2 == 0)
        return Text(context, "show_window");
      return std::string(kUnnamedFunctionText);
    case ShortcutIndex: {
      const FunctionRow* row = FindByCodes(ShortcutIndexTable, code);
      return Text(context, row != nullptr ? row->TextId : nullptr);
    }
    case Consumer: {
      const FunctionRow* row = FindByCodes(MediaFunctionTable, code);
      return Text(context, row != nullptr ? row->TextId : nullptr);
    }
    case System: {
      const FunctionRow* row = FindByCodes(SystemFunctionTable, code);
      return Text(context, row != nullptr ? row->TextId : nullptr);
    }
    case Macro:
    case MacroRepeat:
      if (context.macroNames == nullptr || code.Code1 >= context.macroNames->size())
        return std::nullopt;
      return (*context.macroNames)[code.Code1];
    case MKey:
      if (!context.keyboard)
        return std::string(kUnnamedFunctionText);
      [[fallthrough]];
    case Special: {
      if (const FunctionRow* row = FindRow(MouseFunctionTable, code, false))
        return Text(context, row->TextId);
      if (auto row = FindKeyNameRow(code))
        return Text(context, KeyNameTable[static_cast<size_t>(*row)].TextId);
      return std::nullopt;
    }
    case Gun:
      if (context.keyboard)
        return std::string(kUnnamedFunctionText);
      return Text(context, code.Code1 < GunNames.size() ? GunNames[code.Code1] : nullptr);
    case 0x15:
    case 0x21:
    case 0x50:
    case 0x60:
    case 0xB0:
    case 0xC0:
      return std::nullopt;
    default:
      return std::string(kUnnamedFunctionText);
  }
}

}  // namespace keys
