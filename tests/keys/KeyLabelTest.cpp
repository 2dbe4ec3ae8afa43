// Key and button labels: which text id each function code is named by, how
// combinations are composed, and which codes leave the label alone.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "keys/KeyLabel.h"

using namespace keys;

namespace {

enum class Where { Keyboard, FnLayer, Mouse };

// Each text id comes back bracketed, so a composed label shows its parts and
// a literal text shows that it skipped the lookup.
LabelContext Context(Where where, const std::vector<std::string>* macros = nullptr) {
  LabelContext context;
  context.keyboard = where != Where::Mouse;
  context.fnLayer = where == Where::FnLayer;
  context.macroNames = macros;
  context.text = [](std::string_view id) { return "<" + std::string(id) + ">"; };
  return context;
}

const std::string kOff = kUnnamedFunctionText;
const std::optional<std::string> kUnchanged;

struct LabelCase {
  Where where;
  FunctionCode code;
  std::optional<std::string> label;
};

const char* Name(Where where) {
  return where == Where::Keyboard ? "keyboard" : where == Where::FnLayer ? "Fn layer" : "mouse";
}

void ExpectLabels(const std::vector<LabelCase>& cases) {
  for (const LabelCase& c : cases)
    EXPECT_EQ(KeyLabel(c.code, Context(c.where)), c.label)
        << Name(c.where) << std::hex << " type 0x" << int(c.code.Type) << " code1 0x"
        << int(c.code.Code1) << " code2 0x" << int(c.code.Code2);
}

}  // namespace

TEST(KeyLabel, KeysAndCombinations) {
  using enum Where;
  ExpectLabels({
      {Keyboard, {0x20, 0x01, 0x00}, "<keyboard_key_LCtrl>"},
      {FnLayer, {0x20, 0x01, 0x00}, "<keyboard_key_LCtrl>"},
      {Mouse, {0x00, 0x01, 0x00}, "<keyboard_key_LCtrl>"},  // 0x00 reads as 0x20
      {Keyboard, {0x20, 0x00, 0x29}, "<keyboard_key_Esc>"},
      // Nothing assigned.
      {Keyboard, {0x20, 0x00, 0x00}, "<com_key_nothing>"},
      {Mouse, {0x20, 0x00, 0x00}, "<com_key_nothing>"},
      {FnLayer, {0x20, 0x00, 0x00}, "<close_text>"},
      {FnLayer, {0x00, 0x00, 0x00}, "<close_text>"},
      // Ctrl+C: the shortcut name on the normal layer only.
      {Keyboard, {0x20, 0x10, 0x06}, "<custem_copy>"},
      {FnLayer, {0x20, 0x10, 0x06}, "<keyboard_key_C>"},
      {Mouse, {0x20, 0x10, 0x06}, "<keyboard_key_C>"},
      {Keyboard, {0x20, 0x10, 0x16}, "<custem_save>"},
      // Composition: modifiers by exact code1, keys by code2.
      {Keyboard, {0x20, 0x03, 0x04}, "<keyboard_key_A>"},
      {Keyboard, {0x20, 0x02, 0x04}, "<keyboard_key_LShift>+<keyboard_key_A>"},
      {FnLayer, {0x00, 0x40, 0x3A}, "<keyboard_key_RAlt>+<keyboard_key_F1>"},
      {Keyboard, {0x20, 0x05, 0x00},
       "<keyboard_key_LCtrl>+<keyboard_key_LShift>+<keyboard_key_LAlt>+<keyboard_key_LWin>+"
       "<keyboard_key_RCtrl>+<keyboard_key_RShift>+<keyboard_key_RAlt>+<keyboard_key_RWin>"},
      // A code2 that names no key and a combined code1: nothing to compose.
      {Keyboard, {0x20, 0x03, 0xF0}, kUnchanged},
  });
}

TEST(KeyLabel, MouseAndSpecialFunctions) {
  using enum Where;
  ExpectLabels({
      {Mouse, {0x10, 0x08, 0x00}, "<mouse_key_back>"},
      {Mouse, {0x10, 0x20, 0x00}, kUnchanged},
      {Mouse, {0x11, 0x35, 0x85}, "<mouse_key_right_Swing>"},
      {Mouse, {0x11, 0x35, 0x05}, "<mouse_key_left_Swing>"},
      {Mouse, {0x12, 0x35, 0x05}, "<mouse_key_up_Swing>"},
      {Mouse, {0x12, 0x35, 0xFB}, "<mouse_key_down_Swing>"},
      {Mouse, {0x13, 0x03, 0x00}, "<mouse_key_DPI_loop>"},
      {Mouse, {0x14, 0x78, 0x02}, "<mouse_key_fire_key>"},
      {Mouse, {0x16, 0x00, 0x00}, "<mouse_key_DPI_shift>"},
      {Keyboard, {0x23, 0x00, 0x00}, "<show_window>"},
      {Keyboard, {0x22, 0x00, 0x03}, "<custem_save>"},
      {Keyboard, {0x22, 0x00, 0x09}, kUnchanged},
      {Keyboard, {0x30, 0xCD, 0x00}, "<media_play>"},
      {Keyboard, {0x30, 0x01, 0x00}, kUnchanged},
      {Keyboard, {0x40, 0x02, 0x00}, "<system_sleep>"},
      {Keyboard, {0x40, 0x08, 0x00}, kUnchanged},
      {Keyboard, {0xA0, 0x02, 0x00}, "<mouse_key_smart_key>"},
      {Mouse, {0xA0, 0x00, 0x00}, "<com_key_nothing>"},
      {Keyboard, {0xA0, 0x01, 0x00}, "<keyboard_key_FN>"},
      {Mouse, {0xA0, 0x1B, 0x00}, "<keyboard_key_GM>"},
      {Keyboard, {0xA0, 0x55, 0x00}, kUnchanged},
      {Keyboard, {0xD0, 0xA2, 0x03}, "<keyboard_key_M3>"},
      {Mouse, {0xD0, 0xA2, 0x03}, kOff},
      {Mouse, {0x72, 0x01, 0x00}, "<gun_2_txt>"},
      {Mouse, {0x72, 0x07, 0x00}, kUnchanged},
      {Keyboard, {0x72, 0x01, 0x00}, kOff},
  });
}

TEST(KeyLabel, PassThroughAndUnknownTypes) {
  for (Where where : {Where::Keyboard, Where::FnLayer, Where::Mouse}) {
    for (uint8_t type : {0x15, 0x21, 0x50, 0x60, 0xB0, 0xC0})
      EXPECT_EQ(KeyLabel({type, 0x01, 0x02}, Context(where)), kUnchanged)
          << Name(where) << " type " << int(type);
    for (uint8_t type : {0x01, 0x99, 0xFF})
      EXPECT_EQ(KeyLabel({type, 0x01, 0x02}, Context(where)), kOff)
          << Name(where) << " type " << int(type);
  }
}

TEST(KeyLabel, MacrosShowTheirOwnName) {
  const std::vector<std::string> two = {"First", "Second"};
  const std::vector<std::string> three = {"First", "Second", "Third"};
  const std::vector<std::string> none;
  for (uint8_t type : {FunctionType::Macro, FunctionType::MacroRepeat}) {
    EXPECT_EQ(KeyLabel({type, 2, 0}, Context(Where::Keyboard, &two)), kUnchanged);
    EXPECT_EQ(KeyLabel({type, 2, 1}, Context(Where::Keyboard, &three)), "Third");
    EXPECT_EQ(KeyLabel({type, 0, 3}, Context(Where::Mouse, &three)), "First");
    EXPECT_EQ(KeyLabel({type, 0, 0}, Context(Where::Mouse, &none)), kUnchanged);
    EXPECT_EQ(KeyLabel({type, 0, 0}, Context(Where::Keyboard)), kUnchanged);
  }
}
