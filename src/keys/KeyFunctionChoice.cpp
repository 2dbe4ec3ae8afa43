#include "keys/KeyFunctionChoice.h"

#include <algorithm>

namespace keys {

namespace {

template <size_t N>
int ItemOf(const std::array<FunctionRow, N>& table, FunctionCode code) {
  for (size_t i = 0; i < N; ++i)
    if (table[i].Code() == code)
      return static_cast<int>(i);
  return -1;
}

template <size_t N>
std::optional<FunctionCode> RowAt(const std::array<FunctionRow, N>& table, int item) {
  if (item < 0 || item >= static_cast<int>(N))
    return std::nullopt;
  return table[static_cast<size_t>(item)].Code();
}

uint8_t Byte(int value) { return static_cast<uint8_t>(value & 0xFF); }

// Delay and speed keep their low four bits each.
uint8_t DelayAndSpeed(int delay, int speed) { return Byte((delay & 15) * 16 + (speed & 15)); }

// A count of 0 would encode a full turn the other way (0x80 shows as 128).
int ClampCount(int count) { return std::clamp(count, 1, KeyFunctionChoice::kMaxCount); }

}  // namespace

bool HasFunctionItem(int kind, PanelDevice device) {
  if (kind < kKindDefault || kind > kKindShortcut)
    return false;
  return device == PanelDevice::Mouse || (kind != kKindDpi && kind != kKindGunKey);
}

KeyFunctionChoice ShowRecord(FunctionCode record, FunctionCode defaultRecord, int macroCount,
                             KeyFunctionChoice shown) {
  KeyFunctionChoice c = shown;
  if (record == defaultRecord) {
    c.Kind = kKindDefault;
    return c;
  }
  const uint8_t code1 = record.Code1;
  const uint8_t code2 = record.Code2;
  switch (record.Type) {
    case 0x00:
      c.Kind = kKindDefault;
      break;
    case 0x10:
      c.Kind = kKindMouseButton;
      c.MouseButtonItem = ItemOf(MouseButtonTable, record);
      break;
    case 0x11:
      c.Kind = kKindSwing;
      c.SwingDelay = code1 >> 4;
      c.SwingSpeed = code1 & 15;
      c.SwingCount = code2 & 0x7F;
      c.SwingDirection = (code2 & 0x80) != 0 ? 1 : 0;
      break;
    case 0x12:
      c.Kind = kKindWheel;
      c.WheelDelay = code1 >> 4;
      c.WheelSpeed = code1 & 15;
      if ((code2 & 0x80) != 0) {
        c.WheelCount = 128 - (code2 & 0x7F);
        c.WheelDirection = 1;
      } else {
        c.WheelCount = code2;
        c.WheelDirection = 0;
      }
      break;
    case 0x13:
      c.Kind = kKindDpi;
      c.DpiItem = ItemOf(DpiFunctionTable, record);
      break;
    case 0x14:
      c.Kind = kKindFire;
      c.FireInterval = code1;
      c.FireCount = code2;
      break;
    case 0x20: {
      c.Kind = kKindKeyboardKey;
      for (int i = 0; i < kPickerKeys; ++i)
        if (PickerFunction(i) == record) {
          c.PickerKey = i;
          break;
        }
      // The mouse panel shows the key itself.
      c.Modifier = -1;
      for (int m = 1; m <= 4; ++m)
        if (code1 == (1 << (m - 1)))
          c.Modifier = m;
      if (code1 == 0)
        c.Modifier = 0;
      c.CapturedUsage = code2 != 0 ? std::optional<uint8_t>(code2) : std::nullopt;
      if (const int shortcut = ItemOf(ShortcutKeyTable, record); shortcut >= 0) {
        c.ShortcutItem = shortcut;
        c.Kind = kKindShortcut;
      }
      break;
    }
    case 0x30:
      c.Kind = kKindMedia;
      c.MediaItem = ItemOf(MediaFunctionTable, record);
      break;
    case 0x40:
      c.Kind = kKindSystem;
      c.SystemItem = ItemOf(SystemFunctionTable, record);
      break;
    case 0x70:
      c.Kind = kKindMacro;
      // A macro number the list does not hold (also one equal to its
      // count) or a run mode past the last shows nothing chosen.
      if (code1 >= macroCount || code2 >= KeyFunctionChoice::kRunModes) {
        c.MacroItem = -1;
        c.RunMode = -1;
      } else {
        c.MacroItem = code1;
        c.RunMode = code2;
      }
      c.RepeatShown = false;
      break;
    case 0x71:
      c.Kind = kKindMacro;
      c.MacroItem = code1 < macroCount ? code1 : -1;
      c.RepeatShown = c.MacroItem >= 0;
      c.Repeat = code2;
      c.RunMode = 4;
      break;
    case 0x72:
      c.Kind = kKindGunKey;
      c.GunItem = code1 < GunNames.size() ? code1 : -1;
      break;
    case 0xB0:
      c.Kind = kKindShortcut;
      break;
    default:
      c.Kind = kKindNone;
      break;
  }
  return c;
}

FunctionCode BuildRecord(const KeyFunctionChoice& c, PanelDevice device, FunctionCode current,
                         FunctionCode defaultRecord, int macroCount) {
  auto orCurrent = [&current](std::optional<FunctionCode> code) { return code.value_or(current); };
  switch (c.Kind) {
    case kKindNone:
      // Nothing chosen: the record stays as it was.
      return current;
    case kKindMouseButton: return orCurrent(RowAt(MouseButtonTable, c.MouseButtonItem));
    case kKindDpi: return orCurrent(RowAt(DpiFunctionTable, c.DpiItem));
    case kKindMedia: return orCurrent(RowAt(MediaFunctionTable, c.MediaItem));
    case kKindSystem: return orCurrent(RowAt(SystemFunctionTable, c.SystemItem));
    case kKindShortcut: return orCurrent(RowAt(ShortcutKeyTable, c.ShortcutItem));
    case kKindSwing: {
      // No direction chosen counts as the first item (left).
      const int count = ClampCount(c.SwingCount);
      const uint8_t code2 = c.SwingDirection == 1 ? Byte(count | 0x80) : Byte(count & 0x7F);
      return {0x11, DelayAndSpeed(c.SwingDelay, c.SwingSpeed), code2};
    }
    case kKindWheel: {
      const int count = ClampCount(c.WheelCount);
      const uint8_t code2 = c.WheelDirection == 1 ? Byte((128 - count) | 0x80) : Byte(count & 0x7F);
      return {0x12, DelayAndSpeed(c.WheelDelay, c.WheelSpeed), code2};
    }
    case kKindFire:
      return {0x14, Byte(c.FireInterval), Byte(c.FireCount)};
    case kKindKeyboardKey:
      if (device == PanelDevice::Keyboard)
        return PickerFunction(c.PickerKey >= 0 ? c.PickerKey : 0);
      return {0x20, Byte(c.Modifier >= 1 && c.Modifier <= 4 ? 1 << (c.Modifier - 1) : 0),
              c.CapturedUsage.value_or(0)};
    case kKindMacro:
      if (c.MacroItem < 0 || c.MacroItem >= macroCount)
        return current;
      if (c.RunMode == 4)
        return {0x71, Byte(c.MacroItem), Byte(c.Repeat)};
      return {0x70, Byte(c.MacroItem), Byte(std::clamp(c.RunMode, 0, 3))};
    case kKindGunKey:
      if (c.GunItem < 0 || c.GunItem >= static_cast<int>(GunNames.size()))
        return current;
      return {0x72, Byte(c.GunItem), 0};
    case kKindDefault:
    default:
      return defaultRecord;
  }
}

bool CaptureKeyRow(int row, KeyFunctionChoice& choice) {
  if (row < 0 || row >= kCapturableRows)
    return false;
  const KeyNameRow& key = KeyNameTable[static_cast<size_t>(row)];
  if (key.Extended < 0 || key.Type != 0x20)
    return false;
  if (row < 8) {
    choice.Modifier = (row + 1) % 5 + (row + 1) / 5;
    choice.CapturedUsage.reset();
    return true;
  }
  if (choice.Modifier < 0)
    choice.Modifier = 0;
  choice.CapturedUsage = key.Code2;
  return true;
}

bool IsOnlyLeftClick(const std::vector<KeyListEntry>& buttons, int position) {
  constexpr FunctionCode kLeftClick{FunctionType::MouseButton, 0x01, 0x00};
  if (position < 0 || position >= static_cast<int>(buttons.size()) ||
      CodeOf(buttons[static_cast<size_t>(position)].Normal) != kLeftClick)
    return false;
  for (size_t i = 0; i < buttons.size(); ++i)
    if (static_cast<int>(i) != position && CodeOf(buttons[i].Normal) == kLeftClick)
      return false;
  return true;
}

}  // namespace keys
