#pragma once

#include <cstddef>
#include <cstdint>

// The macro memory image a keyboard or mouse plays its macros from. Every
// 16-bit value is little-endian.
namespace protocol {

// One event: the pause after it, its kind with bit 7 set for a release (or
// a move right / down), and its key, button or distance.
struct MacroEventBytes {
  uint8_t delayLow;
  uint8_t delayHigh;
  uint8_t type;
  uint8_t button;
};
static_assert(sizeof(MacroEventBytes) == 4);

inline constexpr uint8_t kMacroReleaseBit = 0x80;

// The image starts with this header, then an offset table (one 16-bit offset
// from the start of the image per macro), then the macro blocks in the same
// order.
struct MacroImageHeader {
  static constexpr uint16_t kMagic = 0x55AA;
  uint8_t magic[2];      // AA 55
  uint8_t totalSize[2];  // the whole image, in bytes
  uint8_t macroCount[2];
  uint8_t reserved[10];  // zeros
};
static_assert(sizeof(MacroImageHeader) == 16);

// Each block: its event count, two zero bytes, then the events.
struct MacroBlockHeader {
  uint8_t eventCount[2];
  uint8_t reserved[2];
};
static_assert(sizeof(MacroBlockHeader) == 4);

inline constexpr size_t kMacroOffsetSize = 2;

}  // namespace protocol
