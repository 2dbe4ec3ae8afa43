#include <gtest/gtest.h>

#include "macros/MacroImage.h"
#include "protocol/LittleEndian.h"

namespace {

KeyListEntry Key(uint8_t type, uint8_t code1, uint8_t fnType = 0, uint8_t fnCode1 = 0) {
  KeyListEntry entry{};
  entry.Normal.Type = type;
  entry.Normal.Code1 = code1;
  entry.Fn.Type = fnType;
  entry.Fn.Code1 = fnCode1;
  return entry;
}

}  // namespace

TEST(MacroImage, UsedMacrosComeOnceInTheOrderTheyAreMet) {
  // Two keys with macro 3 (met first), one with macro 1, one with macro 7
  // of a list of 5 (not used), an Fn record with macro 2.
  const std::vector<KeyListEntry> keys = {Key(0x70, 3), Key(0x20, 4, 0x71, 2), Key(0x71, 1),
                                          Key(0x70, 3), Key(0x70, 7)};
  EXPECT_EQ(macros::UsedMacros(keys, {0, 1, 2, 3, 4}, true, 5), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(macros::UsedMacros(keys, {0, 1, 2, 3, 4}, false, 5), (std::vector<int>{3, 1}));
  // The scan order decides, and positions outside the list are skipped.
  EXPECT_EQ(macros::UsedMacros(keys, {2, 0, 99, -1}, false, 5), (std::vector<int>{1, 3}));
  EXPECT_TRUE(macros::UsedMacros({Key(0x20, 4)}, {0}, true, 5).empty());
}

TEST(MacroImage, SizeAndOverflowCountTheEventsToRemove) {
  EXPECT_EQ(macros::MacroImageSize({100}), 16u + 6u + 400u);
  EXPECT_EQ(macros::MacroOverflow(422, 3 * 128), 10);
  EXPECT_EQ(macros::MacroOverflow(384, 384), 0);
  EXPECT_EQ(macros::MacroOverflow(385, 384), 1);
  EXPECT_EQ(macros::MacroImageSize({}), 16u);
}

TEST(MacroImage, HeaderOffsetsAndBlocksAreLittleEndianBackToBack) {
  const std::vector<std::vector<macros::MacroEvent>> list = {
      {{10, true, 4, 300}, {10, false, 4, 0}}, {}, {{1, true, 1, 1}}};
  const std::vector<uint8_t> image = macros::BuildMacroImage(list);
  ASSERT_EQ(image.size(), macros::MacroImageSize({2, 0, 1}));
  std::span<const uint8_t> bytes(image);
  EXPECT_EQ(image[0], 0xAA);
  EXPECT_EQ(image[1], 0x55);
  EXPECT_EQ(protocol::GetLe16(bytes, 2), image.size());
  EXPECT_EQ(protocol::GetLe16(bytes, 4), 3);
  for (size_t i = 6; i < 16; ++i)
    EXPECT_EQ(image[i], 0) << i;
  const uint16_t first = protocol::GetLe16(bytes, 16);
  const uint16_t second = protocol::GetLe16(bytes, 18);
  const uint16_t third = protocol::GetLe16(bytes, 20);
  EXPECT_EQ(first, 22);
  EXPECT_EQ(second, 22 + 4 + 8);
  EXPECT_EQ(third, second + 4);
  EXPECT_EQ(protocol::GetLe16(bytes, first), 2);
  EXPECT_EQ((std::vector<uint8_t>(image.begin() + first + 4, image.begin() + first + 12)),
            (std::vector<uint8_t>{0x2C, 0x01, 0x0A, 0x04, 0x00, 0x00, 0x8A, 0x04}));
  EXPECT_EQ(protocol::GetLe16(bytes, second), 0);
  EXPECT_EQ(protocol::GetLe16(bytes, third), 1);
  EXPECT_EQ((std::vector<uint8_t>(image.begin() + third + 4, image.end())),
            (std::vector<uint8_t>{0x01, 0x00, 0x01, 0x01}));
}
