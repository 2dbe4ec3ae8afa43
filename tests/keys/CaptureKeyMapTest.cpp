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
