#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "keys/KeyTables.h"

namespace mouse {

// The mouse's eleven buttons, each known by its factory function
// (keys::MouseFactoryFunctions); the slot of the key table holding that
// function is the button's slot.
inline constexpr int kButtons = 11;
inline constexpr uint8_t kNoSlot = 170;
// The key table holds 3 bytes per slot in 512 bytes: at most 170 slots.
inline constexpr int kMaxSlots = 170;

// For each button, the first of the `slotCount` slots of `table` holding
// its factory function, or kNoSlot.
std::array<uint8_t, kButtons> BuildButtonMap(std::span<const uint8_t> table, int slotCount);

}  // namespace mouse
