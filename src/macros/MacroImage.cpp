#include "macros/MacroImage.h"

#include <algorithm>
#include <cstring>

#include "keys/KeyTables.h"
#include "protocol/LittleEndian.h"

namespace macros {

std::vector<int> UsedMacros(const std::vector<KeyListEntry>& keys, const std::vector<int>& scanOrder,
                            bool withFn, size_t macroCount) {
  std::vector<int> used;
  auto note = [&](const KeyFunctionRecord& record) {
    if (!keys::IsMacro(record.Type) || record.Code1 >= macroCount)
      return;
    if (std::find(used.begin(), used.end(), record.Code1) == used.end())
      used.push_back(record.Code1);
  };
  for (int position : scanOrder) {
    if (position < 0 || position >= static_cast<int>(keys.size()))
      continue;
    note(keys[static_cast<size_t>(position)].Normal);
    if (withFn)
      note(keys[static_cast<size_t>(position)].Fn);
  }
  return used;
}

size_t MacroImageSize(const std::vector<size_t>& eventCounts) {
  size_t total = sizeof(protocol::MacroImageHeader);
  for (size_t count : eventCounts)
    total += protocol::kMacroOffsetSize + sizeof(protocol::MacroBlockHeader) +
             count * sizeof(protocol::MacroEventBytes);
  return total;
}

int MacroOverflow(size_t total, size_t capacity) {
  if (total <= capacity)
    return 0;
  return static_cast<int>((total - capacity) / sizeof(protocol::MacroEventBytes)) + 1;
}

std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros) {
  std::vector<size_t> counts;
  for (const auto& events : macros)
    counts.push_back(events.size());
  const size_t total = MacroImageSize(counts);
  if (total > 0xFFFF || macros.size() > 0xFFFF)
    return {};
  std::vector<uint8_t> image(total, 0);
  std::span<uint8_t> bytes(image);
  protocol::PutLe16(bytes, offsetof(protocol::MacroImageHeader, magic), protocol::MacroImageHeader::kMagic);
  protocol::PutLe16(bytes, offsetof(protocol::MacroImageHeader, totalSize), static_cast<uint16_t>(total));
  protocol::PutLe16(bytes, offsetof(protocol::MacroImageHeader, macroCount),
                    static_cast<uint16_t>(macros.size()));
  size_t block = sizeof(protocol::MacroImageHeader) + protocol::kMacroOffsetSize * macros.size();
  for (size_t i = 0; i < macros.size(); ++i) {
    protocol::PutLe16(bytes, sizeof(protocol::MacroImageHeader) + protocol::kMacroOffsetSize * i,
                      static_cast<uint16_t>(block));
    protocol::PutLe16(bytes, block + offsetof(protocol::MacroBlockHeader, eventCount),
                      static_cast<uint16_t>(macros[i].size()));
    block += sizeof(protocol::MacroBlockHeader);
    for (const MacroEvent& event : macros[i]) {
      const protocol::MacroEventBytes encoded = EncodeMacroEvent(event);
      std::memcpy(image.data() + block, &encoded, sizeof(encoded));
      block += sizeof(encoded);
    }
  }
  return image;
}

}  // namespace macros
