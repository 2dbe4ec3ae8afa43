#include <gtest/gtest.h>

#include "keys/KeyFunctionChoice.h"

using namespace keys;

namespace {

constexpr FunctionCode kDefault{0x20, 0x00, 0x04};  // the key A
constexpr FunctionCode kCurrent{0x20, 0x00, 0x05};  // what the layer holds now
constexpr int kMacros = 3;

FunctionCode RoundTrip(FunctionCode record, PanelDevice device) {
  const KeyFunctionChoice shown = ShowRecord(record, kDefault, kMacros);
  return BuildRecord(shown, device, kCurrent, kDefault, kMacros);
}

}  // namespace

TEST(KeyFunctionChoice, SwingAndWheelEncodeDelaySpeedCountAndDirection) {
  KeyFunctionChoice swing;
  swing.Kind = kKindSwing;
  swing.SwingDelay = 3;
  swing.SwingSpeed = 5;
  swing.SwingCount = 10;
  swing.SwingDirection = 1;
  EXPECT_EQ(BuildRecord(swing, PanelDevice::Mouse, kCurrent, kDefault, 0), (FunctionCode{0x11, 0x35, 0x8A}));
  const KeyFunctionChoice shown = ShowRecord({0x11, 0x35, 0x8A}, kDefault, 0);
  EXPECT_EQ(shown.Kind, kKindSwing);
  EXPECT_EQ(shown.SwingDelay, 3);
  EXPECT_EQ(shown.SwingSpeed, 5);
  EXPECT_EQ(shown.SwingCount, 10);
  EXPECT_EQ(shown.SwingDirection, 1);

  KeyFunctionChoice wheel;
  wheel.Kind = kKindWheel;
  wheel.WheelCount = 5;
  wheel.WheelDirection = 1;
  EXPECT_EQ(BuildRecord(wheel, PanelDevice::Mouse, kCurrent, kDefault, 0).Code2, 0xFB);
  const KeyFunctionChoice down = ShowRecord({0x12, 0x00, 0xFB}, kDefault, 0);
  EXPECT_EQ(down.WheelCount, 5);
  EXPECT_EQ(down.WheelDirection, 1);

  // Only the low four bits of delay and speed are kept: 17 is stored as 1.
  wheel.WheelDelay = 17;
  wheel.WheelSpeed = 18;
  EXPECT_EQ(BuildRecord(wheel, PanelDevice::Mouse, kCurrent, kDefault, 0).Code1, 0x12);
  // A count of 0 would encode 0x80 (shown as 128): it is 1; above 127 it is 127.
  wheel.WheelCount = 0;
  const FunctionCode zero = BuildRecord(wheel, PanelDevice::Mouse, kCurrent, kDefault, 0);
  EXPECT_EQ(ShowRecord(zero, kDefault, 0).WheelCount, 1);
  swing.SwingCount = 300;
  EXPECT_EQ(BuildRecord(swing, PanelDevice::Mouse, kCurrent, kDefault, 0).Code2, 0x80 | 127);
  // No direction chosen counts as the first item.
  swing.SwingDirection = -1;
  swing.SwingCount = 4;
  EXPECT_EQ(BuildRecord(swing, PanelDevice::Mouse, kCurrent, kDefault, 0).Code2, 4);
}

TEST(KeyFunctionChoice, EveryTypeShowsAndBuildsItselfAgainOnBothPanels) {
  const FunctionCode records[] = {
      MouseButtonTable[2].Code(), {0x11, 0x35, 0x8A}, {0x12, 0x21, 0x05}, DpiFunctionTable[1].Code(),
      {0x14, 50, 2}, {0x20, 0x00, 0x06}, MediaFunctionTable[3].Code(), SystemFunctionTable[2].Code(),
      {0x70, 1, 2}, {0x71, 2, 9}, {0x72, 3, 0}, ShortcutKeyTable[4].Code()};
  for (const FunctionCode& record : records) {
    EXPECT_EQ(RoundTrip(record, PanelDevice::Mouse), record) << int(record.Type);
    // The keyboard's panel has no DPI or gun key item: those show nothing
    // there, and the area hides.
    const KeyFunctionChoice shown = ShowRecord(record, kDefault, kMacros);
    if (!HasFunctionItem(shown.Kind, PanelDevice::Keyboard)) {
      EXPECT_TRUE(record.Type == 0x13 || record.Type == 0x72) << int(record.Type);
      continue;
    }
    EXPECT_EQ(RoundTrip(record, PanelDevice::Keyboard), record) << int(record.Type);
  }
  // The default shows as kind 0 and builds the default.
  EXPECT_EQ(ShowRecord(kDefault, kDefault, 0).Kind, kKindDefault);
  EXPECT_EQ(RoundTrip(kDefault, PanelDevice::Keyboard), kDefault);
  // 0xB0 shows as the shortcut kind and builds the chosen shortcut's row.
  KeyFunctionChoice shortcut = ShowRecord({0xB0, 1, 2}, kDefault, 0);
  EXPECT_EQ(shortcut.Kind, kKindShortcut);
  shortcut.ShortcutItem = 0;
  EXPECT_EQ(BuildRecord(shortcut, PanelDevice::Keyboard, kCurrent, kDefault, 0), ShortcutKeyTable[0].Code());
  // A 0x20 code the picker does not hold does not come back on the keyboard.
  EXPECT_NE(RoundTrip({0x20, 0x11, 0x04}, PanelDevice::Keyboard), (FunctionCode{0x20, 0x11, 0x04}));
  EXPECT_EQ(RoundTrip({0x20, 0x02, 0x04}, PanelDevice::Mouse), (FunctionCode{0x20, 0x02, 0x04}))
      << "Shift + A on the mouse";
  // An unknown type has no kind and leaves the record as it was.
  const KeyFunctionChoice unknown = ShowRecord({0x55, 1, 1}, kDefault, 0);
  EXPECT_EQ(unknown.Kind, kKindNone);
  EXPECT_EQ(BuildRecord(unknown, PanelDevice::Mouse, kCurrent, kDefault, 0), kCurrent);
}

TEST(KeyFunctionChoice, MacrosGunsAndTablesWithoutAnItemKeepTheRecord) {
  // Macro numbers from the count up are no macro (the count itself too).
  for (int code1 : {3, 4, 200}) {
    const KeyFunctionChoice shown = ShowRecord({0x70, static_cast<uint8_t>(code1), 1}, kDefault, kMacros);
    EXPECT_EQ(shown.MacroItem, -1) << code1;
    EXPECT_EQ(shown.RunMode, -1) << code1;
    EXPECT_EQ(BuildRecord(shown, PanelDevice::Keyboard, kCurrent, kDefault, kMacros), kCurrent);
  }
  EXPECT_EQ(ShowRecord({0x70, 1, 7}, kDefault, kMacros).RunMode, -1) << "run modes stop at 4";
  const KeyFunctionChoice repeat = ShowRecord({0x71, 1, 9}, kDefault, kMacros);
  EXPECT_TRUE(repeat.RepeatShown);
  EXPECT_EQ(repeat.RunMode, 4);
  EXPECT_FALSE(ShowRecord({0x71, 5, 9}, kDefault, kMacros).RepeatShown);
  EXPECT_EQ(ShowRecord({0x72, 4, 0}, kDefault, 0).GunItem, -1) << "four guns";

  KeyFunctionChoice media;
  media.Kind = kKindMedia;
  EXPECT_EQ(BuildRecord(media, PanelDevice::Keyboard, kCurrent, kDefault, 0), kCurrent);
  KeyFunctionChoice none;
  EXPECT_EQ(BuildRecord(none, PanelDevice::Keyboard, kCurrent, kDefault, 0), kCurrent)
      << "nothing chosen";
  KeyFunctionChoice picker;
  picker.Kind = kKindKeyboardKey;
  EXPECT_EQ(BuildRecord(picker, PanelDevice::Keyboard, kCurrent, kDefault, 0), PickerFunction(0))
      << "no picker key: the first";
}

TEST(KeyFunctionChoice, CapturedKeysSelectModifiersOrBecomeTheKey) {
  KeyFunctionChoice choice;
  choice.Kind = kKindKeyboardKey;
  // Right Alt (row 6) selects Alt (3) and clears the key.
  choice.CapturedUsage = 0x04;
  ASSERT_TRUE(CaptureKeyRow(6, choice));
  EXPECT_EQ(choice.Modifier, 3);
  EXPECT_FALSE(choice.CapturedUsage);
  // Either side: Ctrl 1, Shift 2, Alt 3, Windows 4.
  const int expected[] = {1, 2, 3, 4, 1, 2, 3, 4};
  for (int row = 0; row < 8; ++row) {
    KeyFunctionChoice c;
    ASSERT_TRUE(CaptureKeyRow(row, c));
    EXPECT_EQ(c.Modifier, expected[row]) << row;
  }
  // Then A: Alt + A.
  choice.Modifier = 3;
  ASSERT_TRUE(CaptureKeyRow(8, choice));
  EXPECT_EQ(BuildRecord(choice, PanelDevice::Mouse, kCurrent, kDefault, 0), (FunctionCode{0x20, 0x04, 0x04}));
  // A key alone takes option 0.
  KeyFunctionChoice plain;
  ASSERT_TRUE(CaptureKeyRow(8, plain));
  EXPECT_EQ(plain.Modifier, 0);
  KeyFunctionChoice empty;
  empty.Kind = kKindKeyboardKey;
  empty.Modifier = 0;
  EXPECT_EQ(BuildRecord(empty, PanelDevice::Mouse, kCurrent, kDefault, 0), (FunctionCode{0x20, 0, 0}))
      << "an empty key edit sends no key";
  // Rows that cannot be captured.
  EXPECT_FALSE(CaptureKeyRow(113, plain));
  EXPECT_FALSE(CaptureKeyRow(-1, plain));
}

TEST(KeyFunctionChoice, OnlyTheLastLeftClickIsGuarded) {
  auto button = [](uint8_t type, uint8_t code1) {
    KeyListEntry entry{};
    entry.Normal.Type = type;
    entry.Normal.Code1 = code1;
    return entry;
  };
  std::vector<KeyListEntry> buttons = {button(0x10, 0x01), button(0x10, 0x02), button(0x20, 0x04)};
  EXPECT_TRUE(keys::IsOnlyLeftClick(buttons, 0));
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 1));
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 2));
  // A second left click frees both.
  buttons[2] = button(0x10, 0x01);
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 0));
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 2));
  // Another code2 is not the left click; no button, no guard.
  buttons = {button(0x10, 0x01)};
  buttons[0].Normal.Code2 = 1;
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 0));
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, -1));
  EXPECT_FALSE(keys::IsOnlyLeftClick(buttons, 1));
}
