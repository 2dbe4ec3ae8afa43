#pragma once

#include <cstdint>

// What one key or button does: a function code of three bytes (type, code1,
// code2) with the key's index. The function codes themselves belong to the
// key model; the profile only stores them.
struct KeyFunctionRecord {
  uint16_t KeyIndex = 0;
  uint8_t Type = 0;
  uint8_t Code1 = 0;  // parameter 1 (the macro index of a macro assignment)
  uint8_t Code2 = 0;  // parameter 2
  uint8_t Spare = 0;

  // Two records name the same function when type and codes agree; the key
  // index and the spare byte do not count.
  bool operator==(const KeyFunctionRecord& other) const {
    return Type == other.Type && Code1 == other.Code1 && Code2 == other.Code2;
  }
};
static_assert(sizeof(KeyFunctionRecord) == 6);

// The three functions of one key, as "KeyList" keeps them: the Fn layer
// ("FnAssignment"), the normal layer ("Assignment") and the factory default
// ("DefaultAssignment"). All three carry the key's index.
struct KeyListEntry {
  KeyFunctionRecord Fn;
  KeyFunctionRecord Normal;
  KeyFunctionRecord Default;

  bool operator==(const KeyListEntry&) const = default;
};
static_assert(sizeof(KeyListEntry) == 18);
