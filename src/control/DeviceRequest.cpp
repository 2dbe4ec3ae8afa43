#include "control/DeviceRequest.h"

#include <algorithm>

namespace control {

std::optional<Failure> ChooseDevice(const QJsonObject& args, const std::function<size_t(const QString&)>& attached,
                                    QString& word, size_t& index) {
  word = args.value(QLatin1String("device")).toString();
  if (std::none_of(kDeviceWords.begin(), kDeviceWords.end(),
                   [&](const char* kind) { return word == QLatin1String(kind); }))
    return Failure{QStringLiteral("bad-request"),
                   QStringLiteral("unknown device \"%1\": keyboard, mouse, pad or headset").arg(word)};
  int64_t number = 1;
  if (args.contains(QLatin1String("index"))) {
    const auto given = Whole(args.value(QLatin1String("index")));
    if (!given)
      return Failure{QStringLiteral("bad-request"), QStringLiteral("\"index\" must be a whole number")};
    number = *given;
  }
  const size_t count = attached(word);
  if (number < 1 || number > static_cast<int64_t>(count))
    return Failure{QStringLiteral("unknown-device"),
                   count == 0 ? QStringLiteral("no %1 is attached").arg(word)
                              : QStringLiteral("there is no %1 %2 (%3 attached)").arg(word).arg(number).arg(count)};
  index = static_cast<size_t>(number - 1);
  return std::nullopt;
}

QJsonObject DeviceEntry(const QString& word, size_t number, bool receiver, bool online, uint16_t version,
                        int charge) {
  return QJsonObject{
      {QLatin1String("device"), word},
      {QLatin1String("index"), static_cast<int>(number)},
      {QLatin1String("kind"), word},
      {QLatin1String("connection"), receiver ? QStringLiteral("receiver") : QStringLiteral("cable")},
      {QLatin1String("online"), online},
      {QLatin1String("firmware"), version == 0 ? QJsonValue()
                                               : QJsonValue(QStringLiteral("%1.%2")
                                                                .arg(version >> 8, 0, 16)
                                                                .arg(version & 0xFF, 2, 16, QLatin1Char('0')))},
      {QLatin1String("battery"), charge > 0 && charge <= 100 ? QJsonValue(charge) : QJsonValue()}};
}

}  // namespace control
