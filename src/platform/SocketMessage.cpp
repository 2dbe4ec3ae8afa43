#include "platform/SocketMessage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

namespace platform {

SocketMessage SocketMessage::Registered(const QString& name, int64_t wParam, int64_t lParam) {
  SocketMessage m;
  m.name = name;
  m.wParam = wParam;
  m.lParam = lParam;
  return m;
}

SocketMessage SocketMessage::CopyData(uint64_t dwData, QByteArray data) {
  SocketMessage m;
  m.name = kCopyData;
  m.dwData = dwData;
  m.data = std::move(data);
  return m;
}

SocketMessage SocketMessage::WithFields(const QString& name, QJsonObject fields) {
  SocketMessage m;
  m.name = name;
  m.fields = std::move(fields);
  m.windowParams = false;
  return m;
}

QByteArray SocketMessage::Encode() const {
  QJsonObject object = fields;
  object["message"] = name;
  if (IsCopyData()) {
    object["dwData"] = static_cast<qint64>(dwData);
    object["data"] = QString::fromLatin1(data.toHex());
  } else if (windowParams) {
    object["wParam"] = static_cast<qint64>(wParam);
    object["lParam"] = static_cast<qint64>(lParam);
  }
  return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

namespace {

// JSON numbers are doubles; only whole numbers within 2^53 are exact.
std::optional<int64_t> WholeNumber(const QJsonValue& value) {
  if (value.isUndefined())
    return 0;
  if (!value.isDouble())
    return std::nullopt;
  const double d = value.toDouble();
  if (!std::isfinite(d) || std::floor(d) != d || std::fabs(d) > 9007199254740992.0)
    return std::nullopt;
  return static_cast<int64_t>(d);
}

}  // namespace

std::optional<SocketMessage> SocketMessage::Decode(const QByteArray& line, QString* error) {
  auto fail = [&](const QString& why) -> std::optional<SocketMessage> {
    if (error != nullptr)
      *error = why;
    return std::nullopt;
  };
  if (line.size() > kMaxLineBytes)
    return fail(QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes));
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
  if (parseError.error != QJsonParseError::NoError)
    return fail(QStringLiteral("not JSON: %1").arg(parseError.errorString()));
  if (!document.isObject())
    return fail(QStringLiteral("not a JSON object"));
  QJsonObject object = document.object();
  const QJsonValue name = object.take("message");
  if (!name.isString() || name.toString().isEmpty())
    return fail(QStringLiteral("no message name"));
  SocketMessage message;
  message.name = name.toString();
  if (message.IsCopyData()) {
    auto dwData = WholeNumber(object.take("dwData"));
    if (!dwData || *dwData < 0)
      return fail(QStringLiteral("dwData is not a whole number"));
    message.dwData = static_cast<uint64_t>(*dwData);
    const QJsonValue data = object.take("data");
    if (!data.isUndefined()) {
      const QByteArray hex = data.toString().toLatin1();
      static const QByteArray kHexDigits = "0123456789abcdefABCDEF";
      if (!data.isString() || hex.size() % 2 != 0 ||
          std::any_of(hex.begin(), hex.end(), [](char c) { return !kHexDigits.contains(c); }))
        return fail(QStringLiteral("data is not hexadecimal"));
      message.data = QByteArray::fromHex(hex);
    }
    message.fields = std::move(object);
    return message;
  }
  auto wParam = WholeNumber(object.take("wParam"));
  auto lParam = WholeNumber(object.take("lParam"));
  if (!wParam || !lParam)
    return fail(QStringLiteral("wParam or lParam is not a whole number"));
  message.wParam = *wParam;
  message.lParam = *lParam;
  message.fields = std::move(object);
  return message;
}

}  // namespace platform
