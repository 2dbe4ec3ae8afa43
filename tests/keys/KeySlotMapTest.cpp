#include <gtest/gtest.h>

#include <vector>

#include "keys/KeySlotMap.h"
#include "protocol/KeyFunction.h"

using keys::KeySlotMap;

namespace {

// A factory table: slot k holds the printed function of the k-th printed
// position.
struct Factory {
  std::vector<uint8_t> table = std::vector<uint8_t>(protocol::kKeyTableBytes, 0);
  std::vector<int> positions;  // by slot
  int slots = 0;

  Factory() {
    for (int position = 0; position < keys::kPickerKeys && slots < 100; ++position) {
      if (keys::KeyPositionTable[static_cast<size_t>(position)] == keys::kNoRow)
        continue;
      bool repeated = false;
      for (int earlier : positions)
        repeated = repeated || keys::PrintedFunction(earlier) == keys::PrintedFunction(position);
      if (repeated)
        continue;
      keys::PrintedFunction(position).WriteSlot(table, static_cast<size_t>(slots++));
      positions.push_back(position);
    }
  }
  void Give(int slot, const keys::FunctionCode& code) { code.WriteSlot(table, static_cast<size_t>(slot)); }
};

}  // namespace

TEST(KeySlotMap, AFactoryTableNamesEveryPrintedKey) {
  const Factory factory;
  const KeySlotMap::Slots slots = KeySlotMap::FromTable(factory.table, factory.slots);
  for (int slot = 0; slot < factory.slots; ++slot)
    EXPECT_EQ(slots[static_cast<size_t>(factory.positions[static_cast<size_t>(slot)])], slot);
  // Without a learned map the table alone decides, as before.
  EXPECT_EQ(KeySlotMap::Merge(slots, KeySlotMap::None(), factory.slots), slots);
}

// Two keys swapped, and one key given a media function: the table alone
// would put each swapped key on the other's slot and lose the third; the
// learned map keeps all three where they are.
TEST(KeySlotMap, KeysGivenOtherFunctionsKeepTheirSlots) {
  Factory factory;
  const KeySlotMap::Slots learned = KeySlotMap::FromTable(factory.table, factory.slots);
  const int a = factory.positions[8], b = factory.positions[9], c = factory.positions[10];
  factory.Give(8, keys::PrintedFunction(b));
  factory.Give(9, keys::PrintedFunction(a));
  factory.Give(10, {0x30, 0xE2, 0x00});
  const KeySlotMap::Slots fresh = KeySlotMap::FromTable(factory.table, factory.slots);
  EXPECT_EQ(fresh[static_cast<size_t>(a)], 9) << "the table alone is wrong";
  EXPECT_EQ(fresh[static_cast<size_t>(c)], KeySlotMap::kNoSlot);
  const KeySlotMap::Slots merged = KeySlotMap::Merge(fresh, learned, factory.slots);
  EXPECT_EQ(merged[static_cast<size_t>(a)], 8);
  EXPECT_EQ(merged[static_cast<size_t>(b)], 9);
  EXPECT_EQ(merged[static_cast<size_t>(c)], 10);
  EXPECT_EQ(merged, learned);

  // A learned map that lacks a position: the table fills it, unless its
  // slot belongs to another position already.
  KeySlotMap::Slots partial = learned;
  partial[static_cast<size_t>(a)] = KeySlotMap::kNoSlot;
  partial[static_cast<size_t>(c)] = KeySlotMap::kNoSlot;
  const KeySlotMap::Slots filled = KeySlotMap::Merge(fresh, partial, factory.slots);
  EXPECT_EQ(filled[static_cast<size_t>(a)], KeySlotMap::kNoSlot) << "slot 9 is b's";
  EXPECT_EQ(filled[static_cast<size_t>(c)], KeySlotMap::kNoSlot) << "the table does not name it";
  // Slots the keyboard does not have are no slots.
  EXPECT_EQ(KeySlotMap::Merge(fresh, learned, 9)[static_cast<size_t>(b)], KeySlotMap::kNoSlot);
}
