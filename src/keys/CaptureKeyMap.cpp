#include "keys/CaptureKeyMap.h"

#include "keys/KeyTables.h"

namespace keys {

namespace {

// Linux input codes (linux/input-event-codes.h) whose scan key is not
// simply the code itself.
struct Special {
  int code;
  ScanKey key;
};
constexpr Special kSpecial[] = {
    {54, {0x36, true}},    // KEY_RIGHTSHIFT: reported with the extended flag
    {69, {0x45, true}},    // KEY_NUMLOCK: extended, unlike Pause
    {119, {0x45, false}},  // KEY_PAUSE
    {99, {0x37, true}},    // KEY_SYSRQ (Print Screen); keypad * is 55
    {96, {0x1C, true}},    // KEY_KPENTER
    {97, {0x1D, true}},    // KEY_RIGHTCTRL
    {98, {0x35, true}},    // KEY_KPSLASH
    {100, {0x38, true}},   // KEY_RIGHTALT
    {102, {0x47, true}},   // KEY_HOME
    {103, {0x48, true}},   // KEY_UP
    {104, {0x49, true}},   // KEY_PAGEUP
    {105, {0x4B, true}},   // KEY_LEFT
    {106, {0x4D, true}},   // KEY_RIGHT
    {107, {0x4F, true}},   // KEY_END
    {108, {0x50, true}},   // KEY_DOWN
    {109, {0x51, true}},   // KEY_PAGEDOWN
    {110, {0x52, true}},   // KEY_INSERT
    {111, {0x53, true}},   // KEY_DELETE
    {125, {0x5B, true}},   // KEY_LEFTMETA
    {126, {0x5C, true}},   // KEY_RIGHTMETA
    {127, {0x5D, true}},   // KEY_COMPOSE (the menu key)
    {89, {0x73, false}},   // KEY_RO
    {92, {0x79, false}},   // KEY_HENKAN
    {93, {0x70, false}},   // KEY_KATAKANAHIRAGANA
    {94, {0x7B, false}},   // KEY_MUHENKAN
    {121, {0x7E, false}},  // KEY_KPCOMMA
    {122, {0x72, false}},  // KEY_HANGEUL
    {123, {0x71, false}},  // KEY_HANJA
    {124, {0x7D, false}},  // KEY_YEN
};

}  // namespace

std::optional<ScanKey> CaptureKeyMap::ScanKeyOfInputCode(int code) {
  for (const Special& special : kSpecial)
    if (special.code == code)
      return special.key;
  // The main block: Esc (1) to keypad . (83), the extra key beside left
  // Shift (86), F11 and F12 (87, 88) send their own code as scan code.
  if ((code >= 1 && code <= 83) || (code >= 86 && code <= 88))
    return ScanKey{static_cast<uint8_t>(code), false};
  return std::nullopt;
}

std::optional<int> CaptureKeyMap::RowOfScanKey(ScanKey key) {
  return FindCapturedKey(key.ScanCode, key.Extended ? 1u : 0u);
}

std::optional<int> CaptureKeyMap::RowOfInputCode(int code) {
  const auto key = ScanKeyOfInputCode(code);
  return key ? RowOfScanKey(*key) : std::nullopt;
}

}  // namespace keys
