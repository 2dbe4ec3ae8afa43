#include "settings/LastCheckDate.h"

#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

QString LastCheckDate::Format(const QDate& date) {
  return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString LastCheckDate::Ensure(const QString& path, const QDate& today) {
  JsonFile file;
  Json::Value root = file.ReadJson(path);
  const Json::Value& value = jsonvalue::Member(jsonvalue::Member(root, "updatelasttime"), "value");
  if (value.isString())
    return QString::fromStdString(value.asString());
  // Whatever stands in the way (a top level or an "updatelasttime" that is
  // no object) is replaced.
  const QString date = Format(today);
  jsonvalue::ObjectMember(jsonvalue::ObjectMember(root, "updatelasttime"), "value") = date.toStdString();
  file.WriteJson(path, root);
  return date;
}
