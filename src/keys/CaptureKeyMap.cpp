#include "keys/CaptureKeyMap.h"

#include "keys/KeyTables.h"

#include <string>

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

// Virtual keys by Linux input code, for the codes that are not letters or
// digits.
struct VirtualKey {
  int code;
  uint8_t key;
};
constexpr VirtualKey kVirtualKeys[] = {
    {1, 0x1B},   {12, 0xBD},  {13, 0xBB},  {14, 0x08},  {15, 0x09},  {26, 0xDB},  {27, 0xDD},
    {28, 0x0D},  {29, 0xA2},  {39, 0xBA},  {40, 0xDE},  {41, 0xC0},  {42, 0xA0},  {43, 0xDC},
    {51, 0xBC},  {52, 0xBE},  {53, 0xBF},  {54, 0xA1},  {55, 0x6A},  {56, 0xA4},  {57, 0x20},
    {58, 0x14},  {69, 0x90},  {70, 0x91},  {71, 0x67},  {72, 0x68},  {73, 0x69},  {74, 0x6D},
    {75, 0x64},  {76, 0x65},  {77, 0x66},  {78, 0x6B},  {79, 0x61},  {80, 0x62},  {81, 0x63},
    {82, 0x60},  {83, 0x6E},  {86, 0xE2},  {87, 0x7A},  {88, 0x7B},  {96, 0x0D},  {97, 0xA3},
    {98, 0x6F},  {99, 0x2C},  {100, 0xA5}, {102, 0x24}, {103, 0x26}, {104, 0x21}, {105, 0x25},
    {106, 0x27}, {107, 0x23}, {108, 0x28}, {109, 0x22}, {110, 0x2D}, {111, 0x2E}, {113, 0xAD},
    {114, 0xAE}, {115, 0xAF}, {119, 0x13}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D}, {163, 0xB0},
    {164, 0xB3}, {165, 0xB1}, {166, 0xB2},
};

// The letter rows of the keyboard by input code.
constexpr struct {
  int first;
  const char* letters;
} kLetterRows[] = {{16, "QWERTYUIOP"}, {30, "ASDFGHJKL"}, {44, "ZXCVBNM"}};

}  // namespace

uint32_t CaptureKeyMap::VirtualKeyOfInputCode(int code) {
  if (code >= 2 && code <= 10)
    return static_cast<uint32_t>('1' + (code - 2));
  if (code == 11)
    return '0';
  for (const auto& row : kLetterRows) {
    const int count = static_cast<int>(std::char_traits<char>::length(row.letters));
    if (code >= row.first && code < row.first + count)
      return static_cast<uint8_t>(row.letters[code - row.first]);
  }
  if (code >= 59 && code <= 68)
    return 0x70 + static_cast<uint32_t>(code - 59);  // F1 to F10
  for (const VirtualKey& key : kVirtualKeys)
    if (key.code == code)
      return key.key;
  return 0;
}

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
