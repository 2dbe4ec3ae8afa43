#pragma once

#include <QMargins>
#include <QString>
#include <Qt>
#include <optional>

namespace toolkit {

// Text placement attributes shared by labels, buttons and edits:
// "align" (left, center, right), "valign" (top, vcenter, bottom),
// "textpadding" (l,t,r,b), "wordbreak"/"multiline" (wrap).
struct TextLayout {
  Qt::Alignment horizontal = Qt::AlignLeft;
  Qt::Alignment vertical = Qt::AlignVCenter;
  QMargins padding;
  bool wrap = false;

  Qt::Alignment Alignment() const { return horizontal | vertical; }
  // True when `name` is one of the text attributes and `value` is valid.
  bool Apply(const QString& name, const QString& value);
};

}  // namespace toolkit
