#include "ui/CVoice6533ControlUI.h"

#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"

using namespace toolkit;

namespace {

constexpr int kCustomItemHeight = 30;

QString EqOption(int type) { return QStringLiteral("6533_eq_option_%1").arg(type); }
QString BandSlider(int band) { return QStringLiteral("6533_eq_hz_slider_%1").arg(band); }

}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent) : CVerticalLayoutUI(parent) {}

CVoice6533ControlUI::~CVoice6533ControlUI() = default;

template <typename T>
T* CVoice6533ControlUI::Sub(const QString& name) const {
  return findChild<T*>(name);
}

void CVoice6533ControlUI::ShowEqType(int type) {
  for (int n = 1; n <= kCustomEqType; ++n)
    if (auto* option = Sub<COptionUI>(EqOption(n)))
      option->Selected(n == type, false);
}

void CVoice6533ControlUI::SetBand(int band, int value) {
  if (auto* slider = Sub<CSliderUI>(BandSlider(band)))
    slider->SetValue(value);
}

int CVoice6533ControlUI::GetBand(int band) const {
  auto* slider = Sub<CSliderUI>(BandSlider(band));
  return slider != nullptr ? slider->GetValue() : -1;
}

void CVoice6533ControlUI::EnableCustomArea(bool enabled) {
  if (auto* area = Sub<CControlUI>(QStringLiteral("custom_eq_option_layout")))
    area->SetEnabled(enabled);
}

void CVoice6533ControlUI::AddCustomName(const QString& name) {
  auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo"));
  if (combo == nullptr)
    return;
  auto* item = new CListLabelElementUI;
  item->SetFixedHeight(kCustomItemHeight);
  item->SetText(name);
  item->SetUserData(name);
  combo->Add(item);
}

void CVoice6533ControlUI::RemoveCustomNameAt(int index) {
  if (auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo")))
    combo->RemoveAt(index);
}

void CVoice6533ControlUI::RemoveAllCustomNames() {
  if (auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo")))
    combo->RemoveAll();
}

void CVoice6533ControlUI::SelectCustomIndex(int index) {
  if (auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo")))
    combo->SelectItem(index, false, false);
  ClearNameEdit();
}

int CVoice6533ControlUI::GetCustomSelection() const {
  auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo"));
  return combo != nullptr ? combo->GetCurSel() : -1;
}

int CVoice6533ControlUI::GetCustomCount() const {
  auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo"));
  return combo != nullptr ? combo->GetCount() : 0;
}

QStringList CVoice6533ControlUI::GetCustomNames() const {
  QStringList names;
  if (auto* combo = Sub<CComboUI>(QStringLiteral("custom_eq_name_combo")))
    for (int i = 0; i < combo->GetCount(); ++i)
      names << combo->GetItemAt(i)->GetText();
  return names;
}

QString CVoice6533ControlUI::GetNameEditText() const {
  auto* edit = Sub<CEditUI>(QStringLiteral("custom_eq_name_edit"));
  return edit != nullptr ? edit->GetText() : QString();
}

void CVoice6533ControlUI::ClearNameEdit() {
  if (auto* edit = Sub<CEditUI>(QStringLiteral("custom_eq_name_edit")))
    edit->SetText(QString());
}

namespace {

void ShowSwitchAndSlider(COptionUI* option, CSliderUI* slider, bool on, int value) {
  if (option != nullptr)
    option->Selected(on, false);
  if (slider != nullptr)
    slider->SetValue(value);
}

}  // namespace

void CVoice6533ControlUI::ShowMicrophone(bool on, int value) {
  ShowSwitchAndSlider(Sub<COptionUI>(QStringLiteral("6533_MicIn_option")),
                      Sub<CSliderUI>(QStringLiteral("6533_MicIn_slider")), on, value);
}

void CVoice6533ControlUI::ShowMonitor(bool on, int value) {
  ShowSwitchAndSlider(Sub<COptionUI>(QStringLiteral("6533_MicMoniter_option")),
                      Sub<CSliderUI>(QStringLiteral("6533_MicMoniter_slider")), on, value);
}

bool CVoice6533ControlUI::IsMicrophoneOn() const {
  auto* option = Sub<COptionUI>(QStringLiteral("6533_MicIn_option"));
  return option != nullptr && option->IsSelected();
}

bool CVoice6533ControlUI::IsMonitorOn() const {
  auto* option = Sub<COptionUI>(QStringLiteral("6533_MicMoniter_option"));
  return option != nullptr && option->IsSelected();
}

int CVoice6533ControlUI::GetMicrophoneValue() const {
  auto* slider = Sub<CSliderUI>(QStringLiteral("6533_MicIn_slider"));
  return slider != nullptr ? slider->GetValue() : -1;
}

int CVoice6533ControlUI::GetMonitorValue() const {
  auto* slider = Sub<CSliderUI>(QStringLiteral("6533_MicMoniter_slider"));
  return slider != nullptr ? slider->GetValue() : -1;
}
