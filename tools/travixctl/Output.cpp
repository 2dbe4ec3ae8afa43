#include "travixctl/Output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>

namespace travixctl {

namespace {

// "keyboard", or "keyboard:2" for the second one: the way DEVICE is typed.
QString DeviceWord(const QJsonObject& object) {
  const QString kind = object.value("device").toString();
  const int index = object.value("index").toInt(1);
  return index > 1 ? QStringLiteral("%1:%2").arg(kind).arg(index) : kind;
}

// A member that may be a number or a text, as text; empty when missing.
QString Plain(const QJsonValue& value) {
  if (value.isString())
    return value.toString();
  if (value.isDouble())
    return QString::number(value.toDouble(), 'g', 15);
  if (value.isBool())
    return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
  return {};
}

QString DeviceList(const QJsonObject& result) {
  const QJsonArray devices = result.value("devices").toArray();
  if (devices.isEmpty())
    return QStringLiteral("no devices attached\n");
  qsizetype nameWidth = 8;
  for (const QJsonValue& device : devices)
    nameWidth = std::max(nameWidth, DeviceWord(device.toObject()).size());
  QString text;
  for (const QJsonValue& value : devices) {
    const QJsonObject device = value.toObject();
    QStringList parts;
    parts << DeviceWord(device).leftJustified(nameWidth + 1);
    parts << device.value("connection").toString().leftJustified(8);
    if (const QString firmware = Plain(device.value("firmware")); !firmware.isEmpty())
      parts << QStringLiteral("firmware ") + firmware;
    if (device.value("battery").isDouble())
      parts << QStringLiteral("battery %1%").arg(device.value("battery").toInt());
    if (device.value("online").isBool() && !device.value("online").toBool())
      parts << QStringLiteral("offline");
    const QString kind = device.value("kind").toString();
    if (!kind.isEmpty() && kind != device.value("device").toString())
      parts << QStringLiteral("(%1)").arg(kind);
    text += parts.join(QStringLiteral("  ")).trimmed() + '\n';
  }
  return text;
}

bool ChangesLighting(const QJsonObject& args) {
  for (const char* key : {"mode", "brightness", "speed", "colour", "direction"}) {
    if (args.contains(QLatin1String(key)))
      return true;
  }
  return false;
}

QString Lighting(const ControlRequest& request, const QJsonObject& result) {
  QString text;
  auto line = [&text](const char* label, const QString& value) {
    if (!value.isEmpty())
      text += QString::fromLatin1(label).leftJustified(12) + value + '\n';
  };
  line("device", result.contains("device") ? DeviceWord(result) : QString());
  QString mode = Plain(result.value("mode"));
  if (const QString name = result.value("modeName").toString(); !name.isEmpty())
    mode = mode.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, mode);
  line("mode", mode);
  line("brightness", Plain(result.value("brightness")));
  line("speed", Plain(result.value("speed")));
  line("colour", Plain(result.value("colour")));
  line("direction", Plain(result.value("direction")));
  // Whether the device took it matters only when something was set.
  if (ChangesLighting(request.args))
    line("written", Plain(result.value("written")));
  return text;
}

bool ChangesDpi(const QJsonObject& args) {
  for (const char* key : {"stage", "set", "enable", "disable", "reportRate"}) {
    if (args.contains(QLatin1String(key)))
      return true;
  }
  return false;
}

// One line a stage, the DPI in a column, then the report rate.
QString DpiStages(const ControlRequest& request, const QJsonObject& result) {
  const QJsonArray stages = result.value("stages").toArray();
  qsizetype numberWidth = 1;
  qsizetype dpiWidth = 1;
  for (const QJsonValue& stage : stages) {
    numberWidth = std::max(numberWidth, Plain(stage.toObject().value("stage")).size());
    dpiWidth = std::max(dpiWidth, Plain(stage.toObject().value("dpi")).size());
  }
  const QJsonValue active = result.value("activeStage");
  QString text = stages.isEmpty() ? QStringLiteral("no DPI stages\n") : QString();
  for (const QJsonValue& value : stages) {
    const QJsonObject stage = value.toObject();
    QString line = QStringLiteral("stage ") + Plain(stage.value("stage")).leftJustified(numberWidth) +
                   QStringLiteral("  ") + Plain(stage.value("dpi")).rightJustified(dpiWidth) + QStringLiteral(" dpi  ");
    if (stage.value("enabled").isBool())
      line += stage.value("enabled").toBool() ? QStringLiteral("on ") : QStringLiteral("off");
    else
      line += QStringLiteral("   ");
    if (active.isDouble() && stage.value("stage") == active)
      line += QStringLiteral("  (active)");
    text += line.trimmed() + '\n';
  }
  auto labelled = [&text](const char* label, const QString& value) {
    if (!value.isEmpty())
      text += QString::fromLatin1(label).leftJustified(13) + value + '\n';
  };
  labelled("report rate", Plain(result.value("reportRate")));
  if (ChangesDpi(request.args))
    labelled("written", Plain(result.value("written")));
  return text;
}

QString ProfileList(const QJsonObject& result) {
  const QJsonArray profiles = result.value("profiles").toArray();
  if (profiles.isEmpty())
    return QStringLiteral("no profiles\n");
  qsizetype numberWidth = 1;
  for (const QJsonValue& profile : profiles)
    numberWidth = std::max(numberWidth, Plain(profile.toObject().value("number")).size());
  QString text;
  for (const QJsonValue& value : profiles) {
    const QJsonObject profile = value.toObject();
    text += (profile.value("active").toBool() ? QStringLiteral("* ") : QStringLiteral("  ")) +
            Plain(profile.value("number")).rightJustified(numberWidth) + QStringLiteral("  ") +
            profile.value("name").toString() + '\n';
  }
  return text;
}

// The name, then the settings as indented JSON.
QString ProfileSettings(const QJsonObject& result) {
  QString text;
  if (const QString name = result.value("name").toString(); !name.isEmpty())
    text += QStringLiteral("name  ") + name + '\n';
  const QJsonValue settings = result.value("settings");
  if (settings.isObject())
    text += QString::fromUtf8(QJsonDocument(settings.toObject()).toJson(QJsonDocument::Indented));
  else if (settings.isArray())
    text += QString::fromUtf8(QJsonDocument(settings.toArray()).toJson(QJsonDocument::Indented));
  return text;
}

// The file Travix wrote, else the one asked for.
QString Exported(const ControlRequest& request, const QJsonObject& result) {
  QString file = result.value("file").toString();
  if (file.isEmpty())
    file = request.args.value("file").toString();
  return QStringLiteral("exported to %1\n").arg(file);
}

// The key, its layer and its function now.
QString KeyFunction(const QJsonObject& result) {
  QString text = QStringLiteral("%1%2  %3\n")
                     .arg(result.value("key").toString(),
                          result.value("layer").toString() == QLatin1String("fn") ? QStringLiteral(" (Fn)") : QString(),
                          result.value("function").toString());
  if (result.value("written").toBool())
    text += QStringLiteral("written  yes\n");
  return text;
}

// The new profile's name, else its number.
QString Imported(const QJsonObject& result) {
  QString name = result.value("name").toString();
  if (name.isEmpty())
    name = Plain(result.value("number"));
  return name.isEmpty() ? QStringLiteral("imported\n") : QStringLiteral("imported as %1\n").arg(name);
}

}  // namespace

QString ResultAsJson(const QJsonValue& result) {
  if (result.isObject())
    return QString::fromUtf8(QJsonDocument(result.toObject()).toJson(QJsonDocument::Compact));
  if (result.isArray())
    return QString::fromUtf8(QJsonDocument(result.toArray()).toJson(QJsonDocument::Compact));
  if (result.isUndefined())
    return QStringLiteral("{}");
  // A bare value: written inside an array, the brackets taken off.
  const QByteArray inArray = QJsonDocument(QJsonArray{result}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(inArray.mid(1, inArray.size() - 2));
}

QString ResultAsText(const ControlRequest& request, const QJsonValue& result) {
  const QJsonObject object = result.toObject();
  if (request.command == QLatin1String("list"))
    return DeviceList(object);
  if (request.command == QLatin1String("light"))
    return Lighting(request, object);
  if (request.command == QLatin1String("dpi"))
    return DpiStages(request, object);
  if (request.command == QLatin1String("key"))
    return KeyFunction(object);
  if (request.command == QLatin1String("profile-list"))
    return ProfileList(object);
  if (request.command == QLatin1String("profile-show"))
    return ProfileSettings(object);
  if (request.command == QLatin1String("profile-export"))
    return Exported(request, object);
  if (request.command == QLatin1String("profile-import"))
    return Imported(object);
  return QStringLiteral("done\n");
}

}  // namespace travixctl
