#include "macros/MacroFile.h"

#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

namespace macros {

MacroDocument ReadMacroFile(const QString& path) {
  MacroDocument macro;
  if (path.isEmpty())
    return macro;
  const Json::Value document = JsonFile().ReadJson(path);
  macro.Name = jsonvalue::ReadString(jsonvalue::Member(document, "MacroName")).toStdString();
  macro.Guid = jsonvalue::ReadString(jsonvalue::Member(document, "Guid")).toStdString();
  macro.Events = EventsFromJson(jsonvalue::Member(document, "Events"));
  return macro;
}

size_t CountMacroEvents(const QString& path) {
  if (path.isEmpty())
    return 0;
  return jsonvalue::ArraySize(jsonvalue::Member(JsonFile().ReadJson(path), "Events"));
}

int WriteMacroFile(const QString& path, const MacroDocument& macro) {
  if (path.isEmpty())
    return -1;
  Json::Value document(Json::objectValue);
  document["MacroName"] = macro.Name;
  document["Guid"] = macro.Guid;
  Json::Value& events = document["Events"] = Json::Value(Json::arrayValue);
  for (const MacroEvent& event : macro.Events)
    events.append(EventToJson(event));
  document["Version"] = MacroDocument::kVersion;
  return JsonFile().WriteJson(path, document);
}

}  // namespace macros
