#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "keys/KeyTables.h"

namespace keys {

// Which slot of the keyboard's key tables each picture position is. The
// keyboard reports its table, not its layout: a position is found as the
// first slot holding the function printed on it. Once a key was given
// another function that no longer works for it (nor for the key whose
// function it now holds, which would be found there instead), so a map
// learned earlier is kept and completes what the table tells.
class KeySlotMap {
 public:
  static constexpr uint8_t kNoSlot = 255;
  using Slots = std::array<uint8_t, kLayoutPositions>;

  // What the table tells: for each printed position, the first of the
  // `slotCount` slots holding its printed function.
  static Slots FromTable(std::span<const uint8_t> table, int slotCount);
  // `fresh` (FromTable) with `known` (a map learned earlier) in the lead: a
  // position keeps the slot it had; a fresh match on a slot that `known`
  // gives another position is dropped (that key was given this position's
  // printed function); positions `known` lacks take their fresh slot.
  // Positions printed alike share a slot, as the table finds them. Slots
  // past `slotCount` in `known` count as none.
  static Slots Merge(const Slots& fresh, const Slots& known, int slotCount);
  static Slots None();
};

}  // namespace keys
