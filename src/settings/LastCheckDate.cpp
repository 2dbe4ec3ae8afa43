#include "settings/LastCheckDate.h"

#include "profiles/JsonFile.h"

QString LastCheckDate::Format(const QDate& date) {
  return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString LastCheckDate::Ensure(const QString& path, const QDate& today) {
  JsonFile file;
  Json::Value root = file.ReadJson(path);
  const Json::Value* value = root.isObject() && root["updatelasttime"].isObject()
                                 ? &root["updatelasttime"]["value"]
                                 : nullptr;
  if (value != nullptr && value->isString())
    return QString::fromStdString(value->asString());
  if (!root.isObject())
    root = Json::Value(Json::objectValue);
  const QString date = Format(today);
  root["updatelasttime"]["value"] = date.toStdString();
  file.WriteJson(path, root);
  return date;
}
