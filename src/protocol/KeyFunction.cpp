#include "protocol/KeyFunction.h"

namespace protocol {

KeyFunction KeyFunction::ReadSlot(std::span<const uint8_t> table, size_t slot) {
  const std::span<const uint8_t, kSize> entry = table.subspan(slot * kSize).first<kSize>();
  return {entry[kTypeOffset], entry[kCode1Offset], entry[kCode2Offset]};
}

void KeyFunction::WriteSlot(std::span<uint8_t> table, size_t slot) const {
  const std::span<uint8_t, kSize> entry = table.subspan(slot * kSize).first<kSize>();
  entry[kTypeOffset] = Type;
  entry[kCode1Offset] = Code1;
  entry[kCode2Offset] = Code2;
}

}  // namespace protocol
