#include "ui/CLightControlUI.h"

#include <algorithm>
#include <array>

#include "lighting/LightPanelLayout.h"
#include "platform/DebugChannel.h"
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

// ---- Music lighting ------------------------------------------------------------

namespace {

constexpr const char* kAudioStyleList = "light_combo_audiomodeSelect";
constexpr const char* kAudioMultiColour = "deng_7audiocolor_check";
constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
constexpr const char* kAudioBackground = "audio_BkColor_check";
constexpr const char* kAudioForeground = "audio_FgColor_check";
constexpr const char* kAudioPalette = "deng_audioColor_Pallet";
constexpr const char* kAudioColourButton = "deng_audiocolordp_btn";
constexpr const char* kAudioColourLayout = "light_audiocolor_layout";
constexpr const char* kAudioPaletteLayout = "audiocolorpallet_layout";
constexpr const char* kRecorderLayout = "light_recorder_layout";

}  // namespace

bool CLightControlUI::ShowAudioLightInfo(const AudioLightInfo& info) {
  auto* styles = Sub<CComboUI>(kAudioStyleList);
  auto* multiColour = Sub<COptionUI>(kAudioMultiColour);
  auto* background = Sub<COptionUI>(kAudioBackground);
  auto* foreground = Sub<COptionUI>(kAudioForeground);
  auto* palette = Sub<CColorPaletteUI>(kAudioPalette);
  auto* button = Sub<CControlUI>(kAudioColourButton);
  auto* colourLayout = Sub<CControlUI>(kAudioColourLayout);
  auto* paletteLayout = Sub<CControlUI>(kAudioPaletteLayout);
  std::array<CEditUI*, 3> edits{};
  for (size_t i = 0; i < edits.size(); ++i)
    edits[i] = Sub<CEditUI>(kAudioEdits[i]);
  if (styles == nullptr || multiColour == nullptr || background == nullptr ||
      foreground == nullptr || palette == nullptr || button == nullptr ||
      colourLayout == nullptr || paletteLayout == nullptr ||
      std::find(edits.begin(), edits.end(), nullptr) != edits.end()) {
    platform::DebugOutput(kShowAudioError);
    return false;
  }
  styles->SelectItem(info.AudioMode, false, false);
  const bool editsForeground = info.ColorTypeFlags == 1;
  const std::array<uint8_t, 3> colour =
      editsForeground ? std::array{info.FgColorR, info.FgColorG, info.FgColorB}
                      : std::array{info.BkColorR, info.BkColorG, info.BkColorB};
  background->Selected(!editsForeground, false);
  foreground->Selected(editsForeground, false);
  multiColour->SetEnabled(editsForeground);
  multiColour->Selected(editsForeground && info.SevenColorFlags != 0, false);
  for (size_t i = 0; i < edits.size(); ++i)
    edits[i]->SetText(QString::number(colour[i]));
  const uint32_t argb = kOpaque | static_cast<uint32_t>(colour[0]) << 16 |
                        static_cast<uint32_t>(colour[1]) << 8 | colour[2];
  palette->SetSelectColor(argb);
  button->SetBkColor(FromArgb(argb));
  const bool colours = info.AudioMode != kRingsStyle;
  colourLayout->SetEnabled(colours);
  paletteLayout->SetEnabled(colours);
  return true;
}

std::optional<AudioLightInfo> CLightControlUI::ReadAudioLightInfo(const AudioLightInfo& shown,
                                                                  bool takeColour) const {
  auto* styles = Sub<CComboUI>(kAudioStyleList);
  auto* multiColour = Sub<COptionUI>(kAudioMultiColour);
  auto* background = Sub<COptionUI>(kAudioBackground);
  auto* foreground = Sub<COptionUI>(kAudioForeground);
  auto* button = Sub<CControlUI>(kAudioColourButton);
  if (styles == nullptr || multiColour == nullptr || background == nullptr ||
      foreground == nullptr || button == nullptr) {
    platform::DebugOutput(kReadAudioError);
    return std::nullopt;
  }
  AudioLightInfo info = shown;
  info.AudioMode = static_cast<uint8_t>(std::clamp(styles->GetCurSel(), 0, 255));
  info.SevenColorFlags = multiColour->IsSelected() ? 1 : 0;
  // The option that is not the edited colour tells whether it changed.
  if (shown.ColorTypeFlags == 1)
    info.ColorTypeFlags = background->IsSelected() ? 0 : 1;
  else
    info.ColorTypeFlags = foreground->IsSelected() ? 1 : 0;
  if (takeColour) {
    const uint32_t argb = ToArgb(button->GetBkColor());
    const uint8_t r = static_cast<uint8_t>(argb >> 16);
    const uint8_t g = static_cast<uint8_t>(argb >> 8);
    const uint8_t b = static_cast<uint8_t>(argb);
    if (info.ColorTypeFlags == 1) {
      info.FgColorR = r;
      info.FgColorG = g;
      info.FgColorB = b;
    } else {
      info.BkColorR = r;
      info.BkColorG = g;
      info.BkColorB = b;
    }
  }
  return info;
}

QString CLightControlUI::GetAudioEditText(int channel) const {
  if (channel < 0 || channel > 2)
    return {};
  auto* edit = Sub<CEditUI>(kAudioEdits[channel]);
  if (edit == nullptr) {
    platform::DebugOutput(kAudioColourError);
    return {};
  }
  return edit->GetText();
}

void CLightControlUI::SetAudioEditText(int channel, const QString& text) {
  if (channel >= 0 && channel <= 2)
    SetText(kAudioEdits[channel], text);
}

uint32_t CLightControlUI::GetAudioPaletteColour() const {
  auto* palette = Sub<CColorPaletteUI>(kAudioPalette);
  if (palette == nullptr) {
    platform::DebugOutput(kAudioColourError);
    return kOpaque;
  }
  return kOpaque | palette->GetSelectColor();
}

uint32_t CLightControlUI::GetAudioPresetColour(int n) const {
  auto* swatch = findChild<CControlUI*>(QStringLiteral("audiocolor_option_%1").arg(n));
  if (swatch == nullptr || !swatch->GetBkColor().isValid())
    return 0;
  return ToArgb(swatch->GetBkColor());
}

void CLightControlUI::ShowRecorderSliders(bool shown) { Show(kRecorderLayout, shown); }

void CLightControlUI::ShowScreenUnavailable(bool shown) { Show("light_screen_unavailable", shown); }
