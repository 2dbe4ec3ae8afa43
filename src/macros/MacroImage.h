#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "macros/MacroEvent.h"
#include "profiles/KeyListEntry.h"

namespace macros {

// The macros the keys use, each once, in the order they are first met:
// for every position of `scanOrder` (an index into `keys`), the normal
// record, then the Fn record when `withFn`. A record uses a macro when its
// type is 0x70 or 0x71 and its macro index is below `macroCount`.
std::vector<int> UsedMacros(const std::vector<KeyListEntry>& keys, const std::vector<int>& scanOrder,
                            bool withFn, size_t macroCount);

// The size of an image of macros with these event counts.
size_t MacroImageSize(const std::vector<size_t>& eventCounts);
// How many events must go before an image of `total` bytes fits `capacity`
// bytes of macro memory; 0 when it fits.
int MacroOverflow(size_t total, size_t capacity);
// The image of these macros, in this order: header, offset table, blocks.
// Empty when it would not fit the 16-bit sizes of the format.
std::vector<uint8_t> BuildMacroImage(const std::vector<std::vector<MacroEvent>>& macros);

}  // namespace macros
