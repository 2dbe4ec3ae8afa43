#include <gtest/gtest.h>

#include <map>
#include <string>

#include "keys/CaptureKeyMap.h"
#include "keys/KeyTables.h"

using keys::CaptureKeyMap;

namespace {

std::string RowName(std::optional<int> row) {
  return row ? keys::KeyNameTable[static_cast<size_t>(*row)].TextId : "none";
}

}  // namespace

TEST(CaptureKeyMap, EveryCapturableRowHasExactlyOneInputCode) {
  std::map<int, int> codesOfRow;
  for (int code = 0; code < 256; ++code)
    if (const auto row = CaptureKeyMap::RowOfInputCode(code))
      ++codesOfRow[*row];
  for (int row = 0; row < keys::kCapturableRows; ++row) {
    if (keys::KeyNameTable[static_cast<size_t>(row)].Extended < 0)
      continue;
    EXPECT_EQ(codesOfRow[row], 1) << keys::KeyNameTable[static_cast<size_t>(row)].TextId;
  }
  for (const auto& [row, count] : codesOfRow)
    EXPECT_LT(row, keys::kCapturableRows);
}

// The keys a plain "scan code = input code" reading gets wrong.
TEST(CaptureKeyMap, TheAwkwardKeysFindTheirOwnRows) {
  const std::pair<int, const char*> cases[] = {
      {42, "keyboard_key_LShift"},     {54, "keyboard_key_RShift"},
      {29, "keyboard_key_LCtrl"},      {97, "keyboard_key_RCtrl"},
      {56, "keyboard_key_LAlt"},       {100, "keyboard_key_RAlt"},
      {125, "keyboard_key_LWin"},      {126, "keyboard_key_RWin"},
      {127, "keyboard_key_App"},       {69, "keyboard_key_Num Lock"},
      {119, "keyboard_key_Pause"},     {28, "keyboard_key_Enter"},
      {96, "keyboard_key_Num Enter"},  {99, "keyboard_key_Print Scr"},
      {55, "keyboard_key_Num *"},      {53, "keyboard_key_/"},
      {98, "keyboard_key_Num /"},      {71, "keyboard_key_Num 7"},
      {102, "keyboard_key_Home"},      {83, "keyboard_key_Decimal"},
      {111, "keyboard_key_Delete"},    {86, "keyboard_key_K45"},
      {87, "keyboard_key_F11"},        {88, "keyboard_key_F12"},
  };
  for (const auto& [code, name] : cases)
    EXPECT_EQ(RowName(CaptureKeyMap::RowOfInputCode(code)), name) << "input code " << code;
  // X keycodes are input codes + 8: Right Alt and A.
  EXPECT_EQ(RowName(CaptureKeyMap::RowOfX11Keycode(108)), "keyboard_key_RAlt");
  EXPECT_EQ(RowName(CaptureKeyMap::RowOfX11Keycode(38)), "keyboard_key_A");
  // Codes without a key-table meaning.
  for (int code : {0, 84, 113, 116, 200, -1})
    EXPECT_FALSE(CaptureKeyMap::RowOfInputCode(code)) << code;
  EXPECT_FALSE(CaptureKeyMap::RowOfX11Keycode(3));
}

// The lock keys must be known by their virtual keys, which the macro
// recorder and the hook's pass-through look at.
TEST(CaptureKeyMap, VirtualKeysOfLettersDigitsLocksAndTheTwoSides) {
  const std::pair<int, uint32_t> cases[] = {
      {30, 'A'},  {16, 'Q'},  {50, 'M'},  {2, '1'},   {11, '0'},  {59, 0x70}, {68, 0x79},
      {87, 0x7A}, {88, 0x7B}, {58, 20},   {69, 144},  {70, 145},  {119, 0x13}, {29, 0xA2},
      {97, 0xA3}, {42, 0xA0}, {54, 0xA1}, {56, 0xA4}, {100, 0xA5}, {125, 0x5B}, {96, 0x0D},
      {55, 0x6A}, {99, 0x2C}, {113, 0xAD},
  };
  for (const auto& [code, key] : cases)
    EXPECT_EQ(CaptureKeyMap::VirtualKeyOfInputCode(code), key) << "input code " << code;
  for (int code : {0, 84, 200, -1})
    EXPECT_EQ(CaptureKeyMap::VirtualKeyOfInputCode(code), 0u) << code;
}

// A pressed key picks the picker key of its own function on the keyboard's
// panel; every capturable key that the picker offers is found.
TEST(CaptureKeyMap, EveryPickerKeyIsFoundFromItsFunction) {
  for (int index = 0; index < keys::kPickerKeys; ++index) {
    if (keys::PickerKeyTable[static_cast<size_t>(index)] == keys::kNoRow)
      continue;
    const auto found = keys::FindPickerKey(keys::PickerFunction(index));
    ASSERT_TRUE(found) << index;
    EXPECT_EQ(keys::PickerFunction(*found), keys::PickerFunction(index));
  }
  EXPECT_FALSE(keys::FindPickerKey({0x30, 0x00, 0x00}));
}
