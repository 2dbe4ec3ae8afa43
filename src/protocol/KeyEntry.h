#pragma once

#include <cstddef>

#include "protocol/KeyFunction.h"

namespace protocol {

// A key's three functions as the program keeps them (KeyListEntry): 18
// bytes, three 6-byte records (Fn layer, normal layer, factory default).
// A record is the key's index (2 bytes, host order), its KeyFunction and a
// spare byte. The device never sees this shape: it takes the KeyFunction of
// a record into its key tables.
struct KeyEntry {
  static constexpr size_t kRecordSize = 6;
  static constexpr size_t kFnOffset = 0;
  static constexpr size_t kNormalOffset = kFnOffset + kRecordSize;
  static constexpr size_t kDefaultOffset = kNormalOffset + kRecordSize;
  static constexpr size_t kSize = kDefaultOffset + kRecordSize;
  // Within a record.
  static constexpr size_t kKeyIndexOffset = 0;
  static constexpr size_t kFunctionOffset = 2;
  static constexpr size_t kSpareOffset = kFunctionOffset + KeyFunction::kSize;
};

static_assert(KeyEntry::kSize == 18);
static_assert(KeyEntry::kSpareOffset + 1 == KeyEntry::kRecordSize);

}  // namespace protocol
