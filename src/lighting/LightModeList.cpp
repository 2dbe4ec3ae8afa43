#include "lighting/LightModeList.h"

#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

namespace {
// More modes than a mode byte can name are not a mode list.
constexpr Json::ArrayIndex kMaxModes = 256;
}  // namespace

LightModeList LightModeList::Load(const QString& path, int tableIndex) {
  LightModeList list;
  if (tableIndex < 0)
    return list;
  JsonFile file;
  // A file of the program's folder, which a package may install as a link.
  const Json::Value document = file.ReadJsonFollowingLinks(path);
  const Json::Value& tables = jsonvalue::Member(document, "DefaultLightName");
  const Json::Value& table = jsonvalue::Element(tables, tableIndex);
  if (!table.isArray())
    return list;
  for (Json::ArrayIndex i = 0; i < table.size() && i < kMaxModes; ++i) {
    const Json::Value& entry = jsonvalue::Element(table, i);
    list.names.push_back(jsonvalue::ReadString(jsonvalue::Member(entry, "LightName")).toStdString());
    list.visible.push_back(jsonvalue::ReadBool(jsonvalue::Member(entry, "visible"), false));
    list.values.push_back(jsonvalue::ReadInt(jsonvalue::Member(entry, "value"), 0));
  }
  return list;
}

int LightModeList::ValueAt(int position) const {
  if (position < 0 || position >= Count())
    return 0;
  return values[static_cast<size_t>(position)];
}

int LightModeList::PositionOf(int value) const {
  for (int i = 0; i < Count(); ++i)
    if (values[static_cast<size_t>(i)] == value)
      return i;
  return -1;
}
