#include "macros/MacroList.h"

#include <algorithm>

#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"
#include "profiles/ProfileIds.h"

namespace macros {

namespace {

// A key assignment names its macro in one byte.
constexpr Json::ArrayIndex kMaxListed = 256;

bool Taken(const std::vector<std::string>& taken, const std::string& name) {
  const QString wanted = QString::fromStdString(name);
  return std::any_of(taken.begin(), taken.end(), [&](const std::string& other) {
    return QString::fromStdString(other).compare(wanted, Qt::CaseInsensitive) == 0;
  });
}

}  // namespace

std::vector<MacroListEntry> ReadMacroList(const QString& path) {
  std::vector<MacroListEntry> entries;
  JsonFile file;
  const Json::Value document = file.ReadJson(path);
  const Json::Value& list = jsonvalue::Member(document, "MacroInfo");
  const Json::ArrayIndex count = std::min(jsonvalue::ArraySize(list), kMaxListed);
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const Json::Value& entry = jsonvalue::Element(list, i);
    entries.push_back({jsonvalue::ReadString(jsonvalue::Member(entry, "MacroName")).toStdString(),
                       jsonvalue::ReadString(jsonvalue::Member(entry, "Guid")).toStdString()});
  }
  return entries;
}

std::vector<std::string> ReadMacroNames(const QString& path) {
  std::vector<std::string> names;
  for (const MacroListEntry& entry : ReadMacroList(path))
    names.push_back(entry.Name);
  return names;
}

int WriteMacroList(const QString& path, const std::vector<MacroListEntry>& entries) {
  Json::Value document(Json::objectValue);
  Json::Value& list = document["MacroInfo"] = Json::Value(Json::arrayValue);
  for (const MacroListEntry& entry : entries) {
    Json::Value object(Json::objectValue);
    object["MacroName"] = entry.Name;
    object["Guid"] = entry.Guid;
    list.append(object);
  }
  return JsonFile().WriteJson(path, document);
}

bool IsUsableMacroId(const std::string& guid) {
  return IsPlainFileName(QString::fromStdString(guid));
}

QString MacroFilePath(const QString& folder, const std::string& guid) {
  if (folder.isEmpty() || !IsUsableMacroId(guid))
    return {};
  return folder + QString::fromStdString(guid) + QStringLiteral(".mac");
}

std::string NewMacroName(const std::vector<std::string>& taken) {
  for (size_t n = 1;; ++n) {
    std::string name = "macro_" + std::to_string(n);
    if (!Taken(taken, name))
      return name;
  }
}

std::string ImportedMacroName(const std::string& base, const std::vector<std::string>& taken) {
  // Each attempt appends its number to the last one: x, x_1, x_1_2.
  std::string name = base;
  for (size_t n = 1; Taken(taken, name); ++n)
    name += "_" + std::to_string(n);
  return name;
}

}  // namespace macros
