#include "control/LightRequest.h"

#include "lighting/LightingBytes.h"

namespace control {

namespace {

QString NameOf(const LightTarget& target, size_t position) {
  const std::string& id = target.modeIds[position];
  return target.text ? target.text(id) : QString::fromStdString(id);
}

}  // namespace

std::optional<Failure> ApplyLightArguments(const QJsonObject& args, const LightTarget& target,
                                           LightInfo& info, bool& changed) {
  changed = false;
  const auto modeCount = static_cast<int64_t>(target.modeIds.size());
  if (args.contains(QLatin1String("mode"))) {
    const QJsonValue mode = args.value(QLatin1String("mode"));
    int64_t position = -1;
    if (const auto number = Whole(mode)) {
      if (*number < 0 || *number >= modeCount)
        return Failure{QStringLiteral("out-of-range"),
                       QStringLiteral("the %1 has modes 0 to %2").arg(target.word).arg(modeCount - 1)};
      position = *number;
    } else if (mode.isString()) {
      const QString wanted = mode.toString().trimmed();
      for (size_t i = 0; i < target.modeIds.size() && position < 0; ++i)
        if (wanted.compare(NameOf(target, i), Qt::CaseInsensitive) == 0 ||
            wanted.compare(QString::fromStdString(target.modeIds[i]), Qt::CaseInsensitive) == 0)
          position = static_cast<int64_t>(i);
      if (position < 0)
        return Failure{QStringLiteral("out-of-range"),
                       QStringLiteral("the %1 has no mode named \"%2\"").arg(target.word, wanted)};
    } else {
      return Failure{QStringLiteral("bad-request"), QStringLiteral("\"mode\" is a number or a name")};
    }
    info.SelectItem = static_cast<uint8_t>(position);
    changed = true;
  }
  for (const auto& [key, field] : {std::pair{"brightness", &info.Light}, std::pair{"speed", &info.Speed}}) {
    if (!args.contains(QLatin1String(key)))
      continue;
    const auto level = Whole(args.value(QLatin1String(key)));
    if (!level || *level < 0 || *level > lighting::kMaxLevel)
      return Failure{QStringLiteral("out-of-range"),
                     QStringLiteral("%1 is 0 to %2").arg(QLatin1String(key)).arg(lighting::kMaxLevel)};
    *field = static_cast<uint8_t>(*level);
    changed = true;
  }
  if (args.contains(QLatin1String("colour"))) {
    const QString text = args.value(QLatin1String("colour")).toString();
    bool ok = text.size() == 6;
    for (QChar c : text)
      ok = ok && (c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')));
    if (!ok)
      return Failure{QStringLiteral("bad-request"),
                     QStringLiteral("a colour is six hexadecimal digits, RRGGBB")};
    const uint32_t rgb = text.toUInt(nullptr, 16);
    info.Red = static_cast<uint8_t>(rgb >> 16);
    info.Green = static_cast<uint8_t>(rgb >> 8);
    info.Blue = static_cast<uint8_t>(rgb);
    info.MultiColor = 0;
    changed = true;
  }
  if (args.contains(QLatin1String("direction"))) {
    if (!target.directional)
      return Failure{QStringLiteral("bad-request"),
                     QStringLiteral("the %1's effects take no direction").arg(target.word)};
    const QString direction = args.value(QLatin1String("direction")).toString();
    if (direction != QLatin1String("first") && direction != QLatin1String("second"))
      return Failure{QStringLiteral("bad-request"),
                     QStringLiteral("the direction is \"first\" or \"second\"")};
    info.Fx = direction == QLatin1String("first") ? 1 : 0;
    changed = true;
  }
  return std::nullopt;
}

QJsonObject LightState(const LightInfo& info, const LightTarget& target, const QJsonObject& args) {
  QJsonObject state{{QLatin1String("device"), args.value(QLatin1String("device"))},
                    {QLatin1String("index"), args.contains(QLatin1String("index"))
                                                 ? args.value(QLatin1String("index"))
                                                 : QJsonValue(1)},
                    {QLatin1String("mode"), info.SelectItem},
                    {QLatin1String("brightness"), info.Light},
                    {QLatin1String("speed"), info.Speed},
                    {QLatin1String("colour"), HexColour(info.Red, info.Green, info.Blue)},
                    {QLatin1String("multicolour"), info.MultiColor != 0}};
  state.insert(QLatin1String("modeName"), info.SelectItem < target.modeIds.size()
                                              ? QJsonValue(NameOf(target, info.SelectItem))
                                              : QJsonValue());
  state.insert(QLatin1String("direction"),
               target.directional
                   ? QJsonValue(info.Fx != 0 ? QStringLiteral("first") : QStringLiteral("second"))
                   : QJsonValue());
  return state;
}

}  // namespace control
