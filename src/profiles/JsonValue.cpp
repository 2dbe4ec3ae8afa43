#include "profiles/JsonValue.h"

#include <cmath>
#include <cstring>

namespace jsonvalue {
namespace {

const Json::Value& Null() {
  static const Json::Value null;
  return null;
}

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key) {
  if (!object.isObject())
    return Null();
  const Json::Value* member = object.find(key, key + std::strlen(key));
  return member != nullptr ? *member : Null();
}

const Json::Value& Element(const Json::Value& array, int64_t index) {
  if (!array.isArray() || index < 0 || index >= static_cast<int64_t>(array.size()))
    return Null();
  return array[static_cast<Json::ArrayIndex>(index)];
}

Json::ArrayIndex ArraySize(const Json::Value& array) { return array.isArray() ? array.size() : 0; }

int ReadInt(const Json::Value& value, int fallback) {
  if (value.isNull() || !value.isConvertibleTo(Json::intValue))
    return fallback;
  // isConvertibleTo admits any double within int range; keep non-finite
  // values out in case a reader setting ever lets them in.
  if (value.type() == Json::realValue && !std::isfinite(value.asDouble()))
    return fallback;
  return value.asInt();
}

int ReadIntIn(const Json::Value& value, int fallback, int min, int max) {
  if (value.isNull() || !value.isConvertibleTo(Json::intValue))
    return fallback;
  const int read = ReadInt(value, fallback);
  return read < min || read > max ? fallback : read;
}

uint8_t ReadByte(const Json::Value& value) { return static_cast<uint8_t>(ReadInt(value, 0) & 0xFF); }

uint16_t ReadWord(const Json::Value& value) { return static_cast<uint16_t>(ReadInt(value, 0) & 0xFFFF); }

bool ReadBool(const Json::Value& value, bool fallback) {
  if (value.isBool())
    return value.asBool();
  if (value.isInt64())
    return value.asInt64() != 0;
  if (value.isUInt64())
    return value.asUInt64() != 0;
  if (value.isDouble())
    return value.asDouble() != 0.0;
  return fallback;
}

QString ReadString(const Json::Value& value, const QString& fallback) {
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!value.isString() || !value.getString(&begin, &end))
    return fallback;
  return QString::fromUtf8(begin, static_cast<qsizetype>(end - begin));
}

Json::Value& ObjectMember(Json::Value& object, const char* key) {
  if (!object.isObject())
    object = Json::Value(Json::objectValue);
  return object[key];
}

Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index) {
  if (!array.isArray())
    array = Json::Value(Json::arrayValue);
  return array[index];
}

}  // namespace jsonvalue
