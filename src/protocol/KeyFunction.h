#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace protocol {

// A key table (ReadKeyTable / WriteKeyTable*) holds one function per key
// slot, three bytes each: type, code 1, code 2. The key count of the
// information block says how many slots are in use.
inline constexpr size_t kKeyTableBytes = 512;

// The key attribute table (ReadKeyAttributes) holds one byte per slot: the
// LED under the key, or kNoLed.
inline constexpr uint8_t kNoLed = 255;

// What a key reports when pressed. The field names are the key model's.
struct KeyFunction {
  static constexpr size_t kSize = 3;
  static constexpr size_t kTypeOffset = 0;
  static constexpr size_t kCode1Offset = 1;
  static constexpr size_t kCode2Offset = 2;
  static constexpr size_t kSlots = kKeyTableBytes / kSize;

  uint8_t Type = 0;
  uint8_t Code1 = 0;
  uint8_t Code2 = 0;

  bool operator==(const KeyFunction&) const = default;

  // Slot `slot` of a key table; the table must hold it.
  static KeyFunction ReadSlot(std::span<const uint8_t> table, size_t slot);
  void WriteSlot(std::span<uint8_t> table, size_t slot) const;
};

static_assert(sizeof(KeyFunction) == KeyFunction::kSize);

}  // namespace protocol
