#pragma once

#include <QString>

namespace platform {

// Splits a control name such as "key_12" at its last underscore into the
// prefix (with the underscore, "key_") and the decimal number after it (12).
// False when the name has no underscore or anything but digits follows it.
inline bool SplitIndexedName(const QString& name, QString& prefix, int& index) {
  const qsizetype cut = name.lastIndexOf('_');
  if (cut < 0 || cut + 1 >= name.size())
    return false;
  const QString digits = name.mid(cut + 1);
  for (QChar c : digits)
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
      return false;
  bool ok = false;
  const int value = digits.toInt(&ok, 10);
  if (!ok)
    return false;
  prefix = name.left(cut + 1);
  index = value;
  return true;
}

}  // namespace platform
