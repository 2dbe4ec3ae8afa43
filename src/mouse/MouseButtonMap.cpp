#include "mouse/MouseButtonMap.h"

#include <algorithm>

#include "protocol/KeyFunction.h"

namespace mouse {


std::array<uint8_t, kButtons> BuildButtonMap(std::span<const uint8_t> table, int slotCount) {
  std::array<uint8_t, kButtons> map{};
  map.fill(kNoSlot);
  const int slots = std::clamp(std::min<int>(slotCount, static_cast<int>(table.size() / 3)), 0, kMaxSlots);
  for (size_t button = 0; button < map.size(); ++button)
    for (int slot = 0; slot < slots; ++slot) {
      const size_t at = static_cast<size_t>(slot) * 3;
      const keys::FunctionCode code{table[at], table[at + 1], table[at + 2]};
      if (code == keys::MouseFactoryFunctions[button]) {
        map[button] = static_cast<uint8_t>(slot);
        break;
      }
    }
  return map;
}

}  // namespace mouse
