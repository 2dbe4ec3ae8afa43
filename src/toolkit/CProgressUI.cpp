#include "toolkit/CProgressUI.h"

#include <QProgressBar>

#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinFileLocator.h"
#include "toolkit/SkinValue.h"

namespace toolkit {

CProgressUI::CProgressUI(QWidget* parent) : CControlUI(parent), bar_(new QProgressBar) {
  bar_->setTextVisible(false);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  SetInnerWidget(bar_);
}

int CProgressUI::GetMinValue() const { return bar_->minimum(); }
int CProgressUI::GetMaxValue() const { return bar_->maximum(); }
int CProgressUI::GetValue() const { return bar_->value(); }
void CProgressUI::SetMinValue(int min) { bar_->setMinimum(min); }
void CProgressUI::SetMaxValue(int max) { bar_->setMaximum(max); }
void CProgressUI::SetValue(int value) {
  bar_->setValue(std::clamp(value, bar_->minimum(), bar_->maximum()));
}
bool CProgressUI::IsHorizontal() const { return bar_->orientation() == Qt::Horizontal; }
void CProgressUI::SetHorizontal(bool horizontal) {
  bar_->setOrientation(horizontal ? Qt::Horizontal : Qt::Vertical);
}

void CProgressUI::UpdateStyleSheet() {
  QString sheet;
  const QString path =
      foreImage_.isEmpty()
          ? QString()
          : SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), foreImage_);
  if (foreColor_.isValid() || !path.isEmpty()) {
    sheet = QStringLiteral("QProgressBar { background: transparent; border: none; }"
                           "QProgressBar::chunk {");
    if (foreColor_.isValid())
      sheet += QStringLiteral(" background-color: %1;").arg(foreColor_.name(QColor::HexArgb));
    if (!path.isEmpty())
      sheet += QStringLiteral(" border-image: url(\"%1\");").arg(path);
    sheet += " }";
  }
  bar_->setStyleSheet(sheet);
}

bool CProgressUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "min" || name == "max" || name == "value") {
    auto v = SkinValue::ParseInt(value);
    if (!v)
      return false;
    if (name == "min")
      SetMinValue(*v);
    else if (name == "max")
      SetMaxValue(*v);
    else
      SetValue(*v);
    return true;
  }
  if (name == "hor") {
    auto b = SkinValue::ParseBool(value);
    if (!b)
      return false;
    SetHorizontal(*b);
    return true;
  }
  if (name == "forecolor") {
    auto c = SkinValue::ParseColor(value);
    if (!c)
      return false;
    foreColor_ = *c;
    UpdateStyleSheet();
    return true;
  }
  if (name == "foreimage") {
    auto image = SkinImage::Parse(value);
    if (!image)
      return false;
    foreImage_ = image->file;
    UpdateStyleSheet();
    return true;
  }
  return CControlUI::SetAttribute(name, value);
}

}  // namespace toolkit
