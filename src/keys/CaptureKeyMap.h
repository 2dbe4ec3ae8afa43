#pragma once

#include <cstdint>
#include <optional>

namespace keys {

// A key as the key table names it: its set-1 scan code and whether it comes
// with the extended flag, the way a low-level keyboard hook reports keys
// (right Shift and Num Lock carry the flag, Pause does not).
struct ScanKey {
  uint8_t ScanCode = 0;
  bool Extended = false;
  bool operator==(const ScanKey&) const = default;
};

// The captured keys of the key assignment panel and the macro recorder come
// as Linux input codes (an X keycode is the input code + 8). These map them
// to the key table; keysyms, which follow the keyboard layout, are never
// used.
class CaptureKeyMap {
 public:
  static constexpr int kX11KeycodeOffset = 8;

  // The scan key of a Linux input code (KEY_*), or nullopt for codes that
  // have no key-table meaning.
  static std::optional<ScanKey> ScanKeyOfInputCode(int code);
  // The `KeyNameTable` row of a capturable key, or nullopt.
  static std::optional<int> RowOfInputCode(int code);
  static std::optional<int> RowOfX11Keycode(int keycode) {
    return RowOfInputCode(keycode - kX11KeycodeOffset);
  }
  // The virtual key a low-level keyboard hook reports for the key (Caps Lock
  // 20, Num Lock 144, Scroll Lock 145, letters and digits their character),
  // 0 for codes without one.
  static uint32_t VirtualKeyOfInputCode(int code);
  // The `KeyNameTable` row with this scan key among the capturable rows.
  static std::optional<int> RowOfScanKey(ScanKey key);
};

}  // namespace keys
