#include "macros/MacroList.h"

#include <algorithm>

#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

namespace macros {

namespace {
// A key assignment names its macro in one byte.
constexpr Json::ArrayIndex kMaxMacros = 256;
}  // namespace

std::vector<std::string> ReadMacroNames(const QString& path) {
  std::vector<std::string> names;
  JsonFile file;
  const Json::Value document = file.ReadJson(path);
  const Json::Value& list = jsonvalue::Member(document, "MacroInfo");
  const Json::ArrayIndex count = std::min(jsonvalue::ArraySize(list), kMaxMacros);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const Json::Value& entry = jsonvalue::Element(list, i);
    names.push_back(jsonvalue::ReadString(jsonvalue::Member(entry, "MacroName")).toStdString());
  }
  return names;
}

}  // namespace macros
