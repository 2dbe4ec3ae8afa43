#pragma once

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace toolkit {

// Parsers for the attribute values of skin files.
class SkinValue {
 public:
  // "#AARRGGBB", "#RRGGBB", "0xAARRGGBB" or "AARRGGBB"; a missing alpha is opaque.
  static std::optional<QColor> ParseColor(const QString& text);
  // "true"/"false" (also "1"/"0"); anything else is nullopt.
  static std::optional<bool> ParseBool(const QString& text);
  // Decimal integer with optional sign; nullopt when not a number.
  static std::optional<int> ParseInt(const QString& text);
  // "l,t,r,b".
  static std::optional<QMargins> ParseMargins(const QString& text);
  static std::optional<QRect> ParseRectLTRB(const QString& text);
  // "w,h".
  static std::optional<QSize> ParseSize(const QString& text);
  // An attribute list: name="value" name2='value' ... in order; nullopt when
  // it is not well formed.
  static std::optional<std::vector<std::pair<QString, QString>>> ParseAttributeList(
      const QString& text);
};

}  // namespace toolkit
