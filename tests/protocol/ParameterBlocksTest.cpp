// The parameter blocks' layouts: where each block lies, and that no two
// names share a byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "protocol/ParameterBlocks.h"

using namespace protocol;

namespace {

// Every named byte of a block, each once; a name spanning bytes counts each.
void ExpectDistinctWithin(const std::vector<std::pair<size_t, size_t>>& fields, size_t size) {
  std::set<size_t> used;
  for (const auto& [offset, count] : fields)
    for (size_t i = offset; i < offset + count; ++i) {
      EXPECT_LT(i, size) << "byte " << i;
      EXPECT_TRUE(used.insert(i).second) << "byte " << i << " has two names";
    }
}

std::vector<std::pair<size_t, size_t>> LightingFields() {
  return {{BlockLighting::kActiveProfileOffset, 1}, {BlockLighting::kModeOffset, 1},
          {BlockLighting::kBrightnessOffset, 1},    {BlockLighting::kSpeedOffset, 1},
          {BlockLighting::kDirectionOffset, 1},     {BlockLighting::kMultiColourOffset, 1},
          {BlockLighting::kColourOffset, 3}};
}

}  // namespace

TEST(ProtocolParameterBlocks, NamedBytesAreDistinctAndInsideTheirBlock) {
  auto keyboard = LightingFields();
  keyboard.insert(keyboard.end(),
                  {{KeyboardParameters::kZeroedOffset, KeyboardParameters::kZeroedBytes},
                   {KeyboardParameters::kProfileStateOffset, 1},
                   {KeyboardParameters::kSecondZoneModeOffset, 1},
                   {KeyboardParameters::kWFlagOffset, 1},
                   {KeyboardParameters::kKey6FlagOffset, 1},
                   {KeyboardParameters::kWinLockOffset, 1},
                   {KeyboardParameters::kReportRateOffset, 1},
                   {KeyboardParameters::kCustomGroupOffset, 1}});
  ExpectDistinctWithin(keyboard, KeyboardParameters::kSize);
  auto mouse = LightingFields();
  mouse.insert(mouse.end(), {{MouseParameters::kZeroedOffset, MouseParameters::kZeroedBytes},
                             {MouseParameters::kReportRateOffset, 1}});
  ExpectDistinctWithin(mouse, MouseParameters::kSize);
  ExpectDistinctWithin(LightingFields(), PadParameters::kSize);
}

TEST(ProtocolParameterBlocks, KnownPositions) {
  EXPECT_EQ((KeyboardParameters::Bytes{}.size()), 39u);
  EXPECT_EQ((MouseParameters::Bytes{}.size()), 71u);
  EXPECT_EQ((PadParameters::Bytes{}.size()), 21u);
  // Profile 2's keyboard block lies at 2 x 40; the slots of a mouse 128
  // apart, of a pad 64.
  EXPECT_EQ(SlotAddress<KeyboardParameters>(2), 80);
  EXPECT_EQ(SlotAddress<MouseParameters>(3), 384);
  EXPECT_EQ(SlotAddress<PadParameters>(1), 64);
  EXPECT_EQ(SlotAddress<KeyboardParameters>(0) + KeyboardParameters::kActiveProfileOffset,
            kActiveProfileAddress);
  // The settings bytes the keyboard has always had (the lighting bytes are
  // pinned by the lighting tests).
  EXPECT_EQ(KeyboardParameters::kProfileStateOffset, 17u);
  EXPECT_EQ(KeyboardParameters::kWFlagOffset, 19u);
  EXPECT_EQ(KeyboardParameters::kKey6FlagOffset, 20u);
  EXPECT_EQ(KeyboardParameters::kWinLockOffset, 21u);
  EXPECT_EQ(KeyboardParameters::kReportRateOffset, 22u);
  EXPECT_EQ(MouseParameters::kReportRateOffset, 11u);
}
