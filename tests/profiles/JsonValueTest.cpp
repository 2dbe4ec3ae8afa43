#include <gtest/gtest.h>

#include <cstring>
#include <json/json.h>
#include <memory>

#include "profiles/JsonValue.h"

using namespace jsonvalue;

namespace {

Json::Value Parse(const char* text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(text, text + std::strlen(text), &value, &errors)) << errors;
  return value;
}

}  // namespace

// The library's own conversions throw on most of these; the readers must not.
TEST(JsonValue, WrongTypesAndOutOfRangeNumbersReadAsTheFallback) {
  const Json::Value file = Parse(R"({"s": "12", "o": {"a": 1}, "a": [1], "big": 4294967296,
                                     "huge": 1e300, "neg": -5000000000})");
  for (const char* key : {"s", "o", "a", "big", "huge", "neg", "missing"})
    EXPECT_EQ(ReadInt(Member(file, key), 7), 7) << key;
  EXPECT_TRUE(ReadBool(Member(file, "s"), true));
  EXPECT_EQ(ReadString(Member(file, "o"), "none"), "none");
  EXPECT_TRUE(Member(Member(file, "s"), "x").isNull());
  EXPECT_TRUE(Element(Member(file, "o"), 0).isNull());
  EXPECT_EQ(ArraySize(Member(file, "o")), 0u);
}

TEST(JsonValue, NumbersAreCutToTheFieldWidth) {
  const Json::Value file = Parse(R"({"red": 300, "minus": -1, "dpi": 70000, "frac": 12.9, "t": true})");
  EXPECT_EQ(ReadByte(Member(file, "red")), 44);
  EXPECT_EQ(ReadByte(Member(file, "minus")), 255);
  EXPECT_EQ(ReadWord(Member(file, "dpi")), 70000 - 65536);
  EXPECT_EQ(ReadInt(Member(file, "frac"), 0), 12);
  EXPECT_EQ(ReadInt(Member(file, "t"), 0), 1);
  EXPECT_EQ(ReadIntIn(Member(file, "red"), -1, 0, 255), -1);
}

TEST(JsonValue, ReadingNeverGrowsAnArray) {
  const Json::Value list = Parse("[1, 2]");
  EXPECT_TRUE(Element(list, 1000000).isNull());
  EXPECT_TRUE(Element(list, -1).isNull());
  EXPECT_EQ(ReadInt(Element(list, 1), 0), 2);
  EXPECT_EQ(list.size(), 2u);
}
