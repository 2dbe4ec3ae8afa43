#include "keys/KeySlotMap.h"

#include <algorithm>

#include "protocol/KeyFunction.h"

namespace keys {

KeySlotMap::Slots KeySlotMap::None() {
  Slots slots;
  slots.fill(kNoSlot);
  return slots;
}

KeySlotMap::Slots KeySlotMap::FromTable(std::span<const uint8_t> table, int slotCount) {
  Slots slots = None();
  const int usable = std::min<int>(slotCount, static_cast<int>(table.size() / protocol::KeyFunction::kSize));
  for (int position = 0; position < kLayoutPositions; ++position) {
    // Positions without a printed key would all land on any unused slot.
    if (KeyPositionTable[static_cast<size_t>(position)] == kNoRow)
      continue;
    const FunctionCode printed = PrintedFunction(position);
    for (int slot = 0; slot < usable; ++slot)
      if (protocol::KeyFunction::ReadSlot(table, static_cast<size_t>(slot)) == printed) {
        slots[static_cast<size_t>(position)] = static_cast<uint8_t>(slot);
        break;
      }
  }
  return slots;
}

KeySlotMap::Slots KeySlotMap::Merge(const Slots& fresh, const Slots& known, int slotCount) {
  Slots merged = None();
  // Positions printed alike share their first slot, in either map.
  std::array<bool, 256> claimedByKnown{};
  for (size_t position = 0; position < known.size(); ++position)
    if (known[position] != kNoSlot && known[position] < slotCount) {
      merged[position] = known[position];
      claimedByKnown[known[position]] = true;
    }
  for (size_t position = 0; position < fresh.size(); ++position)
    if (merged[position] == kNoSlot && fresh[position] != kNoSlot && !claimedByKnown[fresh[position]])
      merged[position] = fresh[position];
  return merged;
}

}  // namespace keys
