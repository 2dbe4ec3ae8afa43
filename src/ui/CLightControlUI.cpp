#include "ui/CLightControlUI.h"

#include <algorithm>

#include "lighting/LightPanelLayout.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"

using namespace toolkit;

namespace {

constexpr int kModeItemHeight = 30;
constexpr uint32_t kOpaque = 0xFF000000u;

uint32_t ToArgb(const QColor& colour) {
  return kOpaque | static_cast<uint32_t>(colour.red()) << 16 |
         static_cast<uint32_t>(colour.green()) << 8 | static_cast<uint32_t>(colour.blue());
}

QColor FromArgb(uint32_t argb) {
  return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, 0xFF);
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent) : CHorizontalLayoutUI(parent) {}

CLightControlUI::~CLightControlUI() = default;

template <typename T>
T* CLightControlUI::Sub(const char* name) const {
  return findChild<T*>(QString::fromLatin1(name));
}

void CLightControlUI::Enable(const char* name, bool enabled) {
  if (auto* control = Sub<CControlUI>(name))
    control->SetEnabled(enabled);
}

void CLightControlUI::Show(const char* name, bool shown) {
  if (auto* control = Sub<CControlUI>(name))
    control->SetVisible(shown);
}

void CLightControlUI::SetText(const char* name, const QString& text) {
  if (auto* control = Sub<CControlUI>(name))
    control->SetText(text);
}

void CLightControlUI::SetDirectionText(const char* name, const char* id) {
  auto* control = Sub<CControlUI>(name);
  if (control == nullptr)
    return;
  // A control that shows language texts takes the id itself.
  control->SetText(control->IsResourceText()
                       ? QLatin1String(id)
                       : CResourceManager::GetInstance()->GetText(QLatin1String(id)));
}

QString CLightControlUI::Text(const char* name) const {
  auto* control = Sub<CControlUI>(name);
  return control != nullptr ? control->GetText() : QString();
}

void CLightControlUI::DoInit() {
  // Enter in a colour edit settles the value as leaving the edit does.
  for (const char* name : {"deng_edit_R", "deng_edit_G", "deng_edit_B"})
    if (auto* edit = Sub<CEditUI>(name))
      edit->SetLeaveOnReturn(true);
  // Every device page has its own panel in one window: option groups are
  // made the panel's own, so a choice on one page leaves the others alone.
  COptionUI::MakeGroupsOwnedBy(this);
}

void CLightControlUI::FillModeList(const std::vector<std::string>& names,
                                   const std::vector<bool>& visible, int maxLight,
                                   int maxSpeed) {
  if (auto* combo = Sub<CComboUI>("light_combo_modeSelect")) {
    combo->RemoveAll();
    for (size_t i = 0; i < names.size(); ++i) {
      auto* item = new CListLabelElementUI;
      item->SetFixedHeight(kModeItemHeight);
      const QString name = QString::fromStdString(names[i]);
      item->SetResourceText(true);
      item->SetText(name);
      item->SetUserData(name);
      combo->Add(item);
      combo->SetItemShown(static_cast<int>(i), i < visible.size() && visible[i]);
    }
  }
  if (auto* slider = Sub<CSliderUI>("deng_light_slider"))
    slider->SetMaxValue(maxLight);
  if (auto* slider = Sub<CSliderUI>("deng_speed_slider"))
    slider->SetMaxValue(maxSpeed);
}

void CLightControlUI::ShowLightInfo(uint32_t a, uint32_t b, uint32_t c) {
  SelectMode(static_cast<int>(a & 0xFF));
  SetBrightness(static_cast<int>((a >> 8) & 0xFF));
  SetSpeed(static_cast<int>((a >> 16) & 0xFF));
  const uint32_t red = (b >> 8) & 0xFF;
  const uint32_t green = (b >> 16) & 0xFF;
  const uint32_t blue = b >> 24;
  SetRedText(QString::number(red));
  SetGreenText(QString::number(green));
  SetBlueText(QString::number(blue));
  SetColour(kOpaque | red << 16 | green << 8 | blue);
  SetMultiColour((b & 0xFF) != 0);
  SelectSecondZoneMode(static_cast<int>(c >> 24));
  SetDirection(static_cast<int>(a >> 24));
  UpdateLayout(kind_, static_cast<int>(a & 0xFF));
}

void CLightControlUI::SelectMode(int index) {
  auto* combo = Sub<CComboUI>("light_combo_modeSelect");
  if (combo == nullptr)
    return;
  combo->SelectItem(index, false, false);
  UpdateLayout(kind_, index);
}

int CLightControlUI::GetMode() const {
  auto* combo = Sub<CComboUI>("light_combo_modeSelect");
  return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::SetBrightness(int value) {
  if (auto* slider = Sub<CSliderUI>("deng_light_slider"))
    slider->SetValue(value);
}

int CLightControlUI::GetBrightness() const {
  auto* slider = Sub<CSliderUI>("deng_light_slider");
  return slider != nullptr ? slider->GetValue() : 0;
}

void CLightControlUI::SetSpeed(int value) {
  if (auto* slider = Sub<CSliderUI>("deng_speed_slider"))
    slider->SetValue(value);
}

int CLightControlUI::GetSpeed() const {
  auto* slider = Sub<CSliderUI>("deng_speed_slider");
  return slider != nullptr ? slider->GetValue() : 0;
}

void CLightControlUI::SetRedText(const QString& text) { SetText("deng_edit_R", text); }
QString CLightControlUI::GetRedText() const { return Text("deng_edit_R"); }
void CLightControlUI::SetGreenText(const QString& text) { SetText("deng_edit_G", text); }
QString CLightControlUI::GetGreenText() const { return Text("deng_edit_G"); }
void CLightControlUI::SetBlueText(const QString& text) { SetText("deng_edit_B", text); }
QString CLightControlUI::GetBlueText() const { return Text("deng_edit_B"); }

void CLightControlUI::SetColour(uint32_t argb) {
  if (auto* palette = Sub<CColorPaletteUI>("deng_Color_Pallet"))
    palette->SetSelectColor(argb);
  if (auto* button = Sub<CControlUI>("deng_colordp_btn"))
    button->SetBkColor(FromArgb(argb));
}

uint32_t CLightControlUI::GetColour() const {
  auto* palette = Sub<CColorPaletteUI>("deng_Color_Pallet");
  return palette != nullptr ? palette->GetSelectColor() : kOpaque;
}

uint32_t CLightControlUI::GetPresetColour(int n) const {
  auto* swatch = findChild<CControlUI*>(QStringLiteral("color_option_%1").arg(n));
  if (swatch == nullptr || !swatch->GetBkColor().isValid())
    return 0;
  return ToArgb(swatch->GetBkColor());
}

void CLightControlUI::SetMultiColour(bool on) {
  if (auto* option = Sub<COptionUI>("deng_7color_check"))
    option->Selected(on, false);
}

bool CLightControlUI::GetMultiColour() const {
  auto* option = Sub<COptionUI>("deng_7color_check");
  return option != nullptr && option->IsSelected();
}

void CLightControlUI::SetDirection(int fx) {
  auto* first = Sub<COptionUI>("deng_FXL_check");
  auto* second = Sub<COptionUI>("deng_FXR_check");
  if (first != nullptr)
    first->Selected(fx != 0, false);
  if (second != nullptr)
    second->Selected(fx == 0, false);
}

void CLightControlUI::SelectSecondZoneMode(int index) {
  if (auto* combo = Sub<CComboUI>("light_combo_ZZCCmodeSelect"))
    combo->SelectItem(index, false, false);
}

int CLightControlUI::GetSecondZoneMode() const {
  auto* combo = Sub<CComboUI>("light_combo_ZZCCmodeSelect");
  return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::SelectCustomGroup(int index) {
  if (auto* combo = Sub<CComboUI>("light_combo_custommodeSelect"))
    combo->SelectItem(index, false, false);
}

int CLightControlUI::GetCustomGroup() const {
  auto* combo = Sub<CComboUI>("light_combo_custommodeSelect");
  return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::ShowSameMode(bool flag) {
  Show("deng_same_mode", flag && sameModeAvailable_ != 0);
}

void CLightControlUI::SetSameModeAvailable(int flag) {
  sameModeAvailable_ = flag & 0xFF;
  UpdateLayout(kind_, GetMode());
}

void CLightControlUI::UpdateLayout(int kind, int mode) {
  const lighting::LightPanelLayout layout = lighting::LayoutFor(kind, mode);
  Enable("lighteffect_layout", true);
  Enable("deng_7color_check", layout.multiColour);
  Enable("deng_color_layout", layout.colour);
  Enable("colorpallet_layout", layout.palette);
  Enable("deng_light_layout", layout.brightness);
  Enable("deng_speed_layout", layout.speed);
  Enable("deng_fx_layout", layout.direction);
  if (layout.colourBlock)
    Enable("light_color_layout", *layout.colourBlock);
  if (layout.speedShown)
    Show("deng_speed_layout", *layout.speedShown);
  if (layout.secondZoneShown)
    Show("light_combo_ZZCCmodeSelectLayout", *layout.secondZoneShown);
  if (layout.customShown)
    Show("lightcustom_layout", *layout.customShown);
  if (layout.audioStyleShown)
    Show("light_combo_AudiomodeSelectLayout", *layout.audioStyleShown);
  if (layout.colourTabPage) {
    if (auto* tabs = Sub<CTabLayoutUI>("light_color_tablayout"))
      tabs->SelectItem(*layout.colourTabPage);
  }
  ShowSameMode(layout.sameMode);
  if (layout.directionTexts) {
    SetDirectionText("deng_FXL_check", layout.directionTexts->first);
    SetDirectionText("deng_FXR_check", layout.directionTexts->second);
  }
}

int CLightControlUI::ColourEditValue(const QString& text, bool* rewrite) {
  int value = 0;
  for (QChar ch : text) {
    if (ch.unicode() < '0' || ch.unicode() > '9')
      break;
    value = std::min(value * 10 + (ch.unicode() - '0'), 1000);
  }
  const bool clamped = value > 255;
  value = std::min(value, 255);
  if (rewrite != nullptr)
    *rewrite = clamped || text.isEmpty();
  return value;
}
