#pragma once

#include <QFont>
#include <QMargins>
#include <QRect>
#include <QString>
#include <Qt>
#include <optional>

namespace toolkit {

// Text placement attributes shared by labels, buttons and edits:
// "align" (left, center, right), "valign" (top, vcenter, bottom),
// "textpadding" (l,t,r,b), "wordbreak"/"multiline" (wrap), "shrinktofit"
// (a text too large for its place is drawn smaller, down to 60 %, so long
// names and other languages stay whole on small keys).
struct TextLayout {
  Qt::Alignment horizontal = Qt::AlignLeft;
  Qt::Alignment vertical = Qt::AlignVCenter;
  QMargins padding;
  bool wrap = false;
  bool shrinkToFit = false;

  // The font to draw `text` with in `rect`: `font` itself, or a smaller one
  // when shrinking to fit and it does not fit.
  QFont FittingFont(const QFont& font, const QRect& rect, const QString& text) const;

  Qt::Alignment Alignment() const { return horizontal | vertical; }
  // True when `name` is one of the text attributes and `value` is valid.
  bool Apply(const QString& name, const QString& value);
};

}  // namespace toolkit
