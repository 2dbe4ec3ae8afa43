#include "toolkit/SkinValue.h"

#include <QStringList>

namespace toolkit {

std::optional<QColor> SkinValue::ParseColor(const QString& text) {
  QString digits = text.trimmed();
  if (digits.startsWith('#'))
    digits.remove(0, 1);
  else if (digits.startsWith("0x", Qt::CaseInsensitive))
    digits.remove(0, 2);
  if (digits.size() != 6 && digits.size() != 8)
    return std::nullopt;
  bool ok = false;
  const uint value = digits.toUInt(&ok, 16);
  if (!ok)
    return std::nullopt;
  QColor color = QColor::fromRgb(value & 0xFFFFFFu);
  color.setAlpha(digits.size() == 8 ? static_cast<int>(value >> 24) : 255);
  return color;
}

std::optional<bool> SkinValue::ParseBool(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == "true" || t == "1")
    return true;
  if (t == "false" || t == "0")
    return false;
  return std::nullopt;
}

std::optional<int> SkinValue::ParseInt(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok, 10);
  if (!ok)
    return std::nullopt;
  return value;
}

static std::optional<std::vector<int>> ParseInts(const QString& text, int count) {
  const QStringList parts = text.split(',');
  if (parts.size() != count)
    return std::nullopt;
  std::vector<int> values;
  for (const QString& part : parts) {
    auto value = SkinValue::ParseInt(part);
    if (!value)
      return std::nullopt;
    values.push_back(*value);
  }
  return values;
}

std::optional<QMargins> SkinValue::ParseMargins(const QString& text) {
  auto v = ParseInts(text, 4);
  if (!v)
    return std::nullopt;
  return QMargins((*v)[0], (*v)[1], (*v)[2], (*v)[3]);
}

std::optional<QRect> SkinValue::ParseRectLTRB(const QString& text) {
  auto v = ParseInts(text, 4);
  if (!v)
    return std::nullopt;
  return QRect(QPoint((*v)[0], (*v)[1]), QSize((*v)[2] - (*v)[0], (*v)[3] - (*v)[1]));
}

std::optional<QSize> SkinValue::ParseSize(const QString& text) {
  auto v = ParseInts(text, 2);
  if (!v)
    return std::nullopt;
  return QSize((*v)[0], (*v)[1]);
}

std::optional<std::vector<std::pair<QString, QString>>> SkinValue::ParseAttributeList(
    const QString& text) {
  std::vector<std::pair<QString, QString>> result;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipSpace = [&] {
    while (i < n && text[i].isSpace())
      ++i;
  };
  for (;;) {
    skipSpace();
    if (i >= n)
      return result;
    const qsizetype nameStart = i;
    while (i < n && text[i] != '=' && !text[i].isSpace())
      ++i;
    const QString name = text.mid(nameStart, i - nameStart);
    skipSpace();
    if (name.isEmpty() || i >= n || text[i] != '=')
      return std::nullopt;
    ++i;
    skipSpace();
    if (i >= n || (text[i] != '"' && text[i] != '\''))
      return std::nullopt;
    const QChar quote = text[i++];
    const qsizetype valueStart = i;
    while (i < n && text[i] != quote)
      ++i;
    if (i >= n)
      return std::nullopt;
    result.emplace_back(name, text.mid(valueStart, i - valueStart));
    ++i;
  }
}

}  // namespace toolkit
