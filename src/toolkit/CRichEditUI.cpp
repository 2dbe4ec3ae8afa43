#include "toolkit/CRichEditUI.h"

#include "toolkit/SkinValue.h"

namespace toolkit {

bool CRichEditUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "multiline") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    SetMultiLine(*b);
    return true;
  }
  if (name == "rich" || name == "autovscroll" || name == "wanttab" || name == "vscrollbar") {
    // Plain text only; scrolling and tab handling are the editor's own.
    return SkinValue::ParseBool(value).has_value();
  }
  return CEditUI::SetAttribute(name, value);
}

}  // namespace toolkit
