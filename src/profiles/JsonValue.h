#pragma once

#include <QString>
#include <cstdint>
#include <json/value.h>

// Guarded access to JSON values read from files. The library's own
// conversions throw on a value of the wrong type (asInt() of a string), and
// its non-const operator[] grows an array up to any index; a file must be
// able to do neither. A value of the wrong type reads as the fallback,
// exactly like a missing one.
namespace jsonvalue {

// `object`[key]; a null value when `object` is not an object or lacks it.
const Json::Value& Member(const Json::Value& object, const char* key);
// `array`[index]; a null value when `array` is not an array or the index is
// out of range (negative included).
const Json::Value& Element(const Json::Value& array, int64_t index);
// The number of elements; 0 for anything but an array.
Json::ArrayIndex ArraySize(const Json::Value& array);

// An integer (or a boolean, or a number with a fraction, which is cut) that
// fits an int; `fallback` for anything else.
int ReadInt(const Json::Value& value, int fallback);
// ReadInt, with values outside [min, max] read as `fallback`.
int ReadIntIn(const Json::Value& value, int fallback, int min, int max);
// The field widths of the profile records: the integer cut to its low bits,
// as the device bytes hold it (300 reads as 44).
uint8_t ReadByte(const Json::Value& value);
uint16_t ReadWord(const Json::Value& value);
// true/false, or a number: non-zero is true.
bool ReadBool(const Json::Value& value, bool fallback);
// A string, from UTF-8.
QString ReadString(const Json::Value& value, const QString& fallback = {});

// For writing: `object` is made an object when it is anything else (a null
// becomes an empty object; a value of another type is replaced), and its
// member `key` is returned, created null when missing.
Json::Value& ObjectMember(Json::Value& object, const char* key);
// `array` is made an array when it is anything else, grown to hold `index`,
// and that element is returned. `index` must come from the program, or be
// bounded by it, never straight from a file.
Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index);

}  // namespace jsonvalue
