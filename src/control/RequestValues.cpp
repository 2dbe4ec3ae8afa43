#include "control/RequestValues.h"

namespace control {

std::optional<int64_t> Whole(const QJsonValue& value) {
  if (!value.isDouble())
    return std::nullopt;
  const double number = value.toDouble();
  if (number < -9.0e15 || number > 9.0e15 ||
      number != static_cast<double>(static_cast<int64_t>(number)))
    return std::nullopt;
  return static_cast<int64_t>(number);
}

QString HexColour(uint8_t red, uint8_t green, uint8_t blue) {
  return QStringLiteral("%1%2%3")
      .arg(red, 2, 16, QLatin1Char('0'))
      .arg(green, 2, 16, QLatin1Char('0'))
      .arg(blue, 2, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace control
