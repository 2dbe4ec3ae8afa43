#include "toolkit/TextLayout.h"

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
  return false;
}

}  // namespace toolkit
