#include <gtest/gtest.h>

#include <array>
#include <cstddef>

#include "profiles/KeyListEntry.h"
#include "protocol/KeyEntry.h"
#include "protocol/KeyFunction.h"

using protocol::KeyEntry;
using protocol::KeyFunction;

TEST(ProtocolKeyFunction, SlotsRoundTripThreeBytesApart) {
  std::array<uint8_t, protocol::kKeyTableBytes> table;
  table.fill(0xCC);
  const KeyFunction fire{0x14, 0x78, 0x02};
  fire.WriteSlot(table, 5);
  EXPECT_EQ(KeyFunction::ReadSlot(table, 5), fire);
  EXPECT_EQ(table[15], 0x14) << "type first";
  EXPECT_EQ(table[16], 0x78);
  EXPECT_EQ(table[17], 0x02);
  EXPECT_EQ(table[14], 0xCC) << "the slot before is untouched";
  EXPECT_EQ(table[18], 0xCC) << "the slot after is untouched";

  const size_t last = KeyFunction::kSlots - 1;
  KeyFunction{0x20, 0x00, 0x04}.WriteSlot(table, last);
  EXPECT_EQ(KeyFunction::ReadSlot(table, last), (KeyFunction{0x20, 0x00, 0x04}));
  EXPECT_EQ(KeyFunction::kSlots, 170u);
  EXPECT_EQ(table[510], 0xCC) << "the two bytes past the last slot are not a slot";
}

TEST(ProtocolKeyEntry, LayoutIsTheProfilesKeyListEntry) {
  EXPECT_EQ(sizeof(KeyListEntry), KeyEntry::kSize);
  EXPECT_EQ(sizeof(KeyFunctionRecord), KeyEntry::kRecordSize);
  EXPECT_EQ(offsetof(KeyListEntry, Fn), KeyEntry::kFnOffset);
  EXPECT_EQ(offsetof(KeyListEntry, Normal), KeyEntry::kNormalOffset);
  EXPECT_EQ(offsetof(KeyListEntry, Default), KeyEntry::kDefaultOffset);
  EXPECT_EQ(offsetof(KeyFunctionRecord, KeyIndex), KeyEntry::kKeyIndexOffset);
  EXPECT_EQ(offsetof(KeyFunctionRecord, Type),
            KeyEntry::kFunctionOffset + KeyFunction::kTypeOffset);
  EXPECT_EQ(offsetof(KeyFunctionRecord, Code1),
            KeyEntry::kFunctionOffset + KeyFunction::kCode1Offset);
  EXPECT_EQ(offsetof(KeyFunctionRecord, Code2),
            KeyEntry::kFunctionOffset + KeyFunction::kCode2Offset);
  EXPECT_EQ(offsetof(KeyFunctionRecord, Spare), KeyEntry::kSpareOffset);
}
