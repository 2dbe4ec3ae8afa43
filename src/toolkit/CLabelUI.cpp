#include "toolkit/CLabelUI.h"

#include <QLabel>

#include "toolkit/SkinValue.h"

namespace toolkit {

CLabelUI::CLabelUI(QWidget* parent) : CControlUI(parent), label_(new QLabel) {
  label_->setTextFormat(Qt::PlainText);
  label_->setAttribute(Qt::WA_TransparentForMouseEvents);
  SetInnerWidget(label_);
  UpdateAppearance();
}

bool CLabelUI::SetAttribute(const QString& name, const QString& value) {
  if (layout_.Apply(name, value)) {
    UpdateAppearance();
    return true;
  }
  if (name == "showhtml") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    label_->setTextFormat(*b ? Qt::RichText : Qt::PlainText);
    return true;
  }
  if (name == "endellipsis") {
    // Long texts are cut by the label's own clipping.
    return SkinValue::ParseBool(value).has_value();
  }
  return CControlUI::SetAttribute(name, value);
}

void CLabelUI::UpdateTextDisplay() { label_->setText(GetText()); }

void CLabelUI::UpdateAppearance() {
  CControlUI::UpdateAppearance();
  label_->setAlignment(layout_.Alignment());
  label_->setWordWrap(layout_.wrap);
  label_->setContentsMargins(Scale(layout_.padding.left()), Scale(layout_.padding.top()),
                             Scale(layout_.padding.right()), Scale(layout_.padding.bottom()));
}

}  // namespace toolkit
