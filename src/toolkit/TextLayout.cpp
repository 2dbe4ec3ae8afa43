#include "toolkit/TextLayout.h"

#include <QFontMetrics>
#include <algorithm>

#include <QRegularExpression>
#include <QStringList>

#include "toolkit/SkinValue.h"

namespace toolkit {

bool TextLayout::Apply(const QString& name, const QString& value) {
  if (name == "align" || name == "valign") {
    // Several words may be combined: "center vcenter" or "center|vcenter".
    bool any = false;
    for (const QString& word : value.split(QRegularExpression("[\\s|,]+"), Qt::SkipEmptyParts)) {
      const QString w = word.toLower();
      if (w == "left") horizontal = Qt::AlignLeft;
      else if (w == "center") horizontal = Qt::AlignHCenter;
      else if (w == "right") horizontal = Qt::AlignRight;
      else if (w == "top") vertical = Qt::AlignTop;
      else if (w == "vcenter") vertical = Qt::AlignVCenter;
      else if (w == "bottom") vertical = Qt::AlignBottom;
      else return false;
      any = true;
    }
    return any;
  }
  if (name == "textpadding") {
    auto m = SkinValue::ParseMargins(value);
    if (!m)
      return false;
    padding = *m;
    return true;
  }
  if (name == "wordbreak" || name == "multiline") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    wrap = *b;
    return true;
  }
  if (name == "shrinktofit") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    shrinkToFit = *b;
    return true;
  }
  return false;
}

QFont TextLayout::FittingFont(const QFont& font, const QRect& rect, const QString& text) const {
  if (!shrinkToFit || text.isEmpty() || rect.isEmpty())
    return font;
  const int flags = static_cast<int>(Alignment()) | (wrap ? Qt::TextWordWrap : 0);
  QFont fitted = font;
  const qreal full = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
  for (int percent = 100; percent >= 60; percent -= 5) {
    const qreal size = full * percent / 100.0;
    if (font.pixelSize() > 0)
      fitted.setPixelSize(std::max(1, static_cast<int>(size)));
    else
      fitted.setPointSizeF(size);
    const QRect needed = QFontMetrics(fitted).boundingRect(rect, flags, text);
    if (needed.width() <= rect.width() && needed.height() <= rect.height())
      break;
  }
  return fitted;
}

}  // namespace toolkit
