#include "ui/CAudioRecordUI.h"

#include "toolkit/SkinValue.h"

using namespace toolkit;

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : CChartViewUI(parent) {
  SetView(View::Histogram);
  SetScaleMax(100);
}

void CAudioRecordUI::AddLevel(int level) {
  AddItem(QString(), std::clamp(level, 0, 100), levelColour_);
  while (GetItemCount() > maxCount_)
    RemoveItemAt(0);
}

void CAudioRecordUI::SetMaxCount(int count) {
  maxCount_ = std::max(count, 1);
  while (GetItemCount() > maxCount_)
    RemoveItemAt(0);
}

bool CAudioRecordUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "maxcount") {
    auto count = SkinValue::ParseInt(value);
    if (!count || *count < 1)
      return false;
    SetMaxCount(*count);
    return true;
  }
  if (name == "levelcolor") {
    auto colour = SkinValue::ParseColor(value);
    if (!colour)
      return false;
    SetLevelColor(*colour);
    return true;
  }
  return CChartViewUI::SetAttribute(name, value);
}
