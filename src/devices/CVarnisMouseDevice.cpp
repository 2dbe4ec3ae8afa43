#include "devices/CVarnisMouseDevice.h"

#include <algorithm>

#include "keys/KeyFunctionChoice.h"
#include "keys/KeyLabel.h"
#include "keys/KeyTables.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroList.h"
#include "platform/IndexedName.h"
#include "platform/ScreenMetrics.h"
#include "profiles/ProfileIds.h"
#include "protocol/Rgb.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CLabelUI.h"
#include "toolkit/CListContainerElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CLightControlUI.h"
#include "ui/CShootControlUI.h"

using toolkit::CControlUI;

namespace {

constexpr const char* kModeFile = "default_light.json";
// The function pages that show the lights and the macro editor.
constexpr int kLightingPage = 1;
constexpr int kMacroPage = 3;
constexpr int kKeyInfoRowHeight = 25;

std::string LanguageText(std::string_view id) {
  return toolkit::CResourceManager::GetInstance()
      ->GetText(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())))
      .toStdString();
}

QString Text(const char* id) {
  return toolkit::CResourceManager::GetInstance()->GetText(QString::fromLatin1(id));
}

QString Indexed(const char* prefix, int n) {
  return QString::fromLatin1(prefix) + QString::number(n);
}

}  // namespace

CVarnisMouseDevice::CVarnisMouseDevice(QWidget* parent)
    : CVarnisUSBDevice(parent, std::make_unique<MouseCore>()) {
  kindType_ = DeviceTypes::Mouse;
  MouseCore::Listener listener;
  listener.viewChanged = [this] { RefreshView(); };
  listener.lightModeChanged = [this] { CVarnisUSBDevice::OnLightModeChanged(); };
  Mouse().SetListener(std::move(listener));
}

CVarnisMouseDevice::~CVarnisMouseDevice() {
  StopThreads();
  Mouse().SetListener({});
}

template <typename T>
T* CVarnisMouseDevice::Find(const QString& name) const {
  return findChild<T*>(name);
}

// --- Page ------------------------------------------------------------------

void CVarnisMouseDevice::AttachToWindow() { BuildLayout(); }

void CVarnisMouseDevice::BuildLayout() {
  if (GetLayoutPath().isEmpty()) {
    ClearControlLists();
    return;
  }
  logoLed_ = GetMouseOption();
  tipControl_ = Find<CControlUI>(QStringLiteral("device_tishi_info"));
  auto* settings = Find<CControlUI>(QStringLiteral("mouse_device_seting_layout"));
  std::vector<CControlUI*> children;
  if (settings != nullptr)
    CollectControls(settings, children);
  ledButtons_.clear();
  for (CControlUI* child : children) {
    if (child->GetClass() == QLatin1String("SelectPanel") && lightPanelContainer_ == nullptr)
      lightPanelContainer_ = child;
    auto* button = qobject_cast<CDeviceKeyButtonUI*>(child);
    if (button == nullptr)
      continue;
    if (button->GetToolTip() == QLatin1String("logo")) {
      logoButton_ = button;
      continue;
    }
    QString prefix;
    int index = 0;
    if (!platform::SplitIndexedName(child->GetName(), prefix, index))
      continue;
    const uint32_t white = protocol::ToRbgWord({0xFF, 0xFF, 0xFF});
    if (prefix == QLatin1String("key_") && index < GetKeyCount()) {
      BindKeyControl(index, child);
    } else if (prefix == QLatin1String("light_") && index < GetLedCount()) {
      BindLedControl(index, child);
      button->SetLightState(white, 255, 1);
    } else if (prefix == QLatin1String("light_0_")) {
      if (ledButtons_.size() <= static_cast<size_t>(index))
        ledButtons_.resize(static_cast<size_t>(index) + 1, nullptr);
      ledButtons_[static_cast<size_t>(index)] = button;
      button->SetLightState(white, 255, 1);
    }
  }
  if (lightPanelContainer_ != nullptr)
    SetPreviewPanel(lightPanelContainer_);
  // Without a light of its own the logo is only the picture's.
  if (logoButton_ != nullptr && logoLed_ < 0)
    logoButton_->SetVisible(false);
  std::vector<CDeviceKeyButtonUI*> extras = ledButtons_;
  extras.push_back(logoButton_);
  SetExtraLightButtons(std::move(extras));
  BindProfilePanel();
  LoadLightLists();
  if (auto* panel = findChild<CLightControlUI*>(QStringLiteral("LightControlItem"))) {
    SetLightPanel(panel);
    panel->SetDeviceKind(lighting::kKindMouse);
    panel->FillModeList(Mouse().ModeList().names, Mouse().ModeList().visible, lighting::kMaxLevel,
                        lighting::kMaxLevel);
  }
  BindMacroPanel();
  BindRecoilPanel();
  // The DPI controls wait for the mouse's sensor to be read.
  SetStageRanges();
  BindKeyPanel(static_cast<int>(keys::PanelDevice::Mouse));
  if (KeyPanel() != nullptr)
    KeyPanel()->FillMacroList(Mouse().MacroNames());
  SelectSettingsTab(0);
}

void CVarnisMouseDevice::ShowPage(int page) {
  CVarnisUSBDevice::ShowPage(page);
  if (tipControl_ != nullptr)
    tipControl_->SetVisible(false);
  // The macro editor needs the page's width more than the picture.
  if (auto* picture = Find<CControlUI>(QStringLiteral("mouse_picture_column")))
    picture->SetVisible(page != kMacroPage);
}

void CVarnisMouseDevice::SelectSettingsTab(int n) {
  if (auto* tabs = Find<toolkit::CTabLayoutUI>(QStringLiteral("mouse_device_seting_layout"))) {
    if (n < 0 || n >= tabs->GetCount())
      n = 0;
    tabs->SelectItem(n);
  }
  auto* options = Find<toolkit::CContainerUI>(QStringLiteral("mouse_option_layout"));
  if (options == nullptr)
    return;
  const QString chosen = Indexed("mouse_device_seting_option_", n);
  for (int i = 0; i < options->GetCount(); ++i)
    if (auto* option = qobject_cast<toolkit::COptionUI*>(options->GetItemAt(i)))
      option->Selected(option->GetName() == chosen, false);
}

// --- Files and profile -------------------------------------------------------

QString CVarnisMouseDevice::ProfilePath() const {
  if (DeviceFolder().isEmpty() || !IsPlainFileName(GetProfileId()))
    return {};
  return DeviceFolder() + GetProfileId() + QStringLiteral(".Json");
}

void CVarnisMouseDevice::LoadProfileFiles() {
  Mouse().SetProfileFiles(DefaultProfilePath(), ProfilePath(), LightConfigPath());
}

void CVarnisMouseDevice::SaveProfile() { Mouse().SaveProfile(); }

void CVarnisMouseDevice::LoadProfileState() {
  LoadProfileFiles();
  Mouse().LoadProfileState();
  RepaintKeyButtons();
}

void CVarnisMouseDevice::ApplyProfile() { Mouse().ApplyProfile(); }

void CVarnisMouseDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) {
  Mouse().SetLightInfo(LightWords{a, b, c, d, e});
}

void CVarnisMouseDevice::LoadLightLists() {
  const QString macroList =
      DeviceFolder().isEmpty() ? QString() : DeviceFolder() + QLatin1String(macros::kMacroListFile);
  Mouse().LoadLightLists(DefaultDataDir() + QLatin1String(kModeFile), GetLightTableIndex(), macroList);
}

void CVarnisMouseDevice::ResetToDefaults() {
  LoadProfileFiles();
  Mouse().ResetToDefaults();
  RefreshView();
}

void CVarnisMouseDevice::DropInvalidMacroKeys() {
  LoadLightLists();
  if (Mouse().DropInvalidMacroKeys())
    RefreshKeyLabels();
}

void CVarnisMouseDevice::SetKeyAssignment(const KeyListEntry& entry) {
  Mouse().SetKeyAssignment(GetSelectedKey(), entry);
}

void CVarnisMouseDevice::ReplaceKeyList(const std::vector<KeyListEntry>& list) {
  Mouse().SetKeyList(list);
  RefreshKeyLabels();
}

void CVarnisMouseDevice::ReloadMacroNames() {
  LoadLightLists();
  if (KeyPanel() != nullptr)
    KeyPanel()->FillMacroList(Mouse().MacroNames());
}

// --- Device --------------------------------------------------------------------

void CVarnisMouseDevice::InitialRead() {
  LoadProfileFiles();
  Mouse().ReadFirstContact([this](bool) {
    SetStageRanges();
    RefreshView();
  });
}

void CVarnisMouseDevice::ResyncFromDevice() {
  // Events in a burst read the block once more after the read on its way.
  if (Commands.IsOpen && !Mouse().SyncFromDevice([this](bool) { RefreshView(); }, "resync"))
    ResyncAfterTheReadOnItsWay();
}

int CVarnisMouseDevice::WriteParameterBlock(int slot, int byte0, int byte59, int width, int height,
                                            Done done) {
  if (!Commands.IsOpen)
    return 0;
  mouse::BlockFrame frame;
  frame.byte0 = static_cast<uint8_t>(byte0);
  frame.mark = static_cast<uint8_t>(byte59);
  frame.screenWidth = static_cast<uint16_t>(std::clamp(width, 0, 0xFFFF));
  frame.screenHeight = static_cast<uint16_t>(std::clamp(height, 0, 0xFFFF));
  Mouse().WriteParameterBlock(slot, frame, std::move(done));
  return 1;
}

int CVarnisMouseDevice::WriteKeyTables(int arg, std::vector<KeyListEntry> list, Done done) {
  if (!Commands.IsOpen)
    return 0;
  LoadLightLists();
  Mouse().WriteKeyTables(arg, std::move(list), std::move(done));
  return 1;
}

int CVarnisMouseDevice::DownloadKeys(int arg, Done done) {
  return WriteKeyTables(arg, Mouse().KeyList(), std::move(done));
}

std::vector<int> CVarnisMouseDevice::GetUsedMacros() {
  LoadLightLists();
  return Mouse().CollectUsedMacros();
}

int CVarnisMouseDevice::DownloadMacros(const std::vector<int>& used, Done done) {
  return Mouse().DownloadMacros(used, DeviceFolder(), std::move(done));
}

void CVarnisMouseDevice::OnDeviceEvent(uint16_t code, bool /*receiver*/) { Mouse().HandleEvent(code); }

void CVarnisMouseDevice::OnLightModeChanged() { Mouse().OnLightModeChanged(); }

void CVarnisMouseDevice::OutputLightFrame() {
  if (!IsLightControlEnabled())
    return;
  const bool lightingPage = CurrentPage() == kLightingPage;
  LightShown shown;
  auto paint = [&](CDeviceKeyButtonUI* button, int led) {
    if (button == nullptr)
      return;
    if (!lightingPage || led < 0 || led >= GetLedCount() || !shown(button))
      button->SetLightState(0, 0, 1);
    else
      PaintLightButton(button, led);
  };
  for (size_t i = 0; i < ledButtons_.size(); ++i)
    paint(ledButtons_[i], static_cast<int>(i));
  paint(logoButton_, logoLed_);
  // The page's own light points come first in the light buttons.
  const auto& lights = LightButtons();
  for (size_t i = 0; i < lights.size() && i < LedControls().size(); ++i)
    paint(lights[i], static_cast<int>(i));
}

// --- View ------------------------------------------------------------------

void CVarnisMouseDevice::RefreshView() {
  LoadLightLists();
  RefreshKeyLabels();
  if (LightPanel() != nullptr) {
    const LightWords words = GetLightWords();
    LightPanel()->ShowLightInfo(words.A, words.B, words.C);
  }
  const std::vector<DpiStage>& stages = Mouse().Stages();
  for (int i = 0; i < kStages && i < static_cast<int>(stages.size()); ++i) {
    const DpiStage& stage = stages[static_cast<size_t>(i)];
    SetStageEnabled(i, stage.StageActive != 0);
    SetStageDpi(i, stage.StageDPIX);
    SetStageColour(i, 0xFF000000u | static_cast<uint32_t>(stage.StageColorR) << 16 |
                          static_cast<uint32_t>(stage.StageColorG) << 8 | stage.StageColorB);
  }
  UpdateStageLocks();
  SetReportRate(Mouse().ReportRate());
  ShowSystemSettings();
}

void CVarnisMouseDevice::RefreshKeyLabels() {
  keys::LabelContext context;
  context.keyboard = false;
  context.macroNames = &Mouse().MacroNames();
  context.text = LanguageText;
  const QString keySet = Text("Key_Set");
  const auto& buttons = KeyControls();
  const std::vector<KeyListEntry>& keyList = Mouse().KeyList();
  const size_t count = std::min(keyList.size(), buttons.size());
  for (size_t i = 0; i < count; ++i) {
    auto* button = qobject_cast<CDeviceKeyButtonUI*>(buttons[i]);
    if (button == nullptr)
      continue;
    const KeyListEntry& entry = keyList[i];
    const std::optional<std::string> label = keys::KeyLabel(keys::CodeOf(entry.Normal), context);
    if (!label)
      continue;
    const QString text = QString::fromStdString(*label);
    const std::optional<std::string> printed = keys::KeyLabel(keys::CodeOf(entry.Default), context);
    const QString title = printed ? QString::fromStdString(*printed) : QString();
    const bool unchanged = entry.Normal == entry.Default;
    button->SetKeyUnsetHidden(unchanged ? 0 : 1);
    button->SetKeySetHidden(unchanged ? 1 : 0);
    button->SetToolTip(title + QLatin1Char('\n') + keySet + text);
    ShowKeyInfoRow(static_cast<int>(i), title, text, button->IsOwnVisible());
  }
}

void CVarnisMouseDevice::ShowKeyInfoRow(int button, const QString& title, const QString& text,
                                        bool shown) {
  auto* list = Find<toolkit::CListUI>(QStringLiteral("device_setkeyinfo_list"));
  if (list == nullptr)
    return;
  while (list->GetCount() <= button) {
    auto* row = new toolkit::CListContainerElementUI;
    row->SetFixedHeight(kKeyInfoRowHeight);
    row->SetVisible(false);
    row->SetEnabled(false);
    auto* name = new toolkit::CLabelUI;
    name->SetFixedWidth(200);
    name->SetTextColor(QColor::fromRgba(0xFFFFFFFF));
    name->ApplyAttributeList(QStringLiteral("font=\"4\" textpadding=\"8,0,0,0\""));
    auto* function = new toolkit::CLabelUI;
    function->SetFixedWidth(180);
    function->SetTextColor(QColor::fromRgba(0xFF0099FF));
    function->ApplyAttributeList(QStringLiteral("font=\"4\" endellipsis=\"true\""));
    row->Add(name);
    row->Add(function);
    list->Add(row);
  }
  auto* row = qobject_cast<toolkit::CContainerUI*>(list->GetItemAt(button));
  if (row == nullptr || row->GetCount() < 2)
    return;
  row->GetItemAt(0)->SetText(title);
  row->GetItemAt(1)->SetText(text);
  row->SetVisible(shown);
}

void CVarnisMouseDevice::MarkKey(int button, bool unchanged, bool selected) {
  const auto& buttons = KeyControls();
  if (button < 0 || button >= static_cast<int>(buttons.size()))
    return;
  auto* key = qobject_cast<CDeviceKeyButtonUI*>(buttons[static_cast<size_t>(button)]);
  if (key == nullptr)
    return;
  key->SetKeyUnsetHidden(unchanged ? 0 : 1);
  key->SetKeySetHidden(unchanged ? 1 : 0);
  key->SetChosen(selected ? 1 : 0);
}

void CVarnisMouseDevice::RepaintKeyButtons() {
  const auto& buttons = KeyControls();
  const std::vector<KeyListEntry>& keyList = Mouse().KeyList();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == nullptr)
      continue;
    const bool unchanged = i >= keyList.size() || keyList[i].Normal == keyList[i].Default;
    MarkKey(static_cast<int>(i), unchanged, false);
    buttons[i]->Invalidate();
  }
}

void CVarnisMouseDevice::MarkSavedKeyButtons() { RepaintKeyButtons(); }

void CVarnisMouseDevice::SelectKey(int button) {
  const int previous = GetSelectedKey();
  CVarnisUSBDevice::SelectKey(button);
  if (KeyPanel() != nullptr)
    if (auto* layout = KeyPanel()->findChild<CControlUI*>(QStringLiteral("keyset_layout")))
      layout->SetVisible(true);
  const std::vector<KeyListEntry>& keyList = Mouse().KeyList();
  if (button < 0 || button >= static_cast<int>(keyList.size()))
    return;
  if (previous >= 0 && previous < static_cast<int>(keyList.size()) && previous != button) {
    const KeyListEntry& old = keyList[static_cast<size_t>(previous)];
    MarkKey(previous, old.Normal == old.Default, false);
  }
  const KeyListEntry& entry = keyList[static_cast<size_t>(button)];
  MarkKey(button, entry.Normal == entry.Default, true);
}

// --- DPI stages and report rate -------------------------------------------------------

void CVarnisMouseDevice::SetStageRanges() {
  const mouse::SensorParameters sensor = Mouse().Sensor();
  for (int n = 0; n < kStages; ++n) {
    if (auto* slider = Find<toolkit::CSliderUI>(Indexed("DPI_slider_", n))) {
      slider->SetMinValue(0);
      slider->SetMaxValue(std::max<int>(sensor.maxSteps, 1));
      slider->SetEnabled(sensor.Valid());
    }
    if (auto* edit = Find<toolkit::CEditUI>(Indexed("DPI_edit_", n))) {
      edit->SetMaxNumber(mouse::MaxDpi(sensor));
      edit->SetEnabled(sensor.Valid());
      // A typed value counts when the edit is left, Enter included: not
      // once per digit.
      edit->SetLeaveOnReturn(true);
    }
  }
}

void CVarnisMouseDevice::SetStageDpi(int n, int steps) {
  auto* slider = Find<toolkit::CSliderUI>(Indexed("DPI_slider_", n));
  const bool active = n == Mouse().ActiveStage();
  if (slider != nullptr) {
    slider->SetValue(steps, false);
    const char* thumb = active ? "Control/SliderBar1_Thumb.png" : "Control/SliderBar2_Thumb.png";
    slider->SetAttribute(QStringLiteral("foreimage"), QStringLiteral("Control/SliderBar_BK1.png"));
    for (const char* attribute : {"thumbimage", "thumbhotimage", "thumbpushedimage"})
      slider->SetAttribute(QLatin1String(attribute), QLatin1String(thumb));
  }
  if (auto* select = Find<toolkit::COptionUI>(Indexed("DPI_select_check_", n)))
    select->Selected(active, false);
  const mouse::SensorParameters sensor = Mouse().Sensor();
  if (auto* edit = Find<toolkit::CEditUI>(Indexed("DPI_edit_", n)))
    edit->SetText(sensor.Valid() ? QString::number(mouse::StepsToDpi(sensor, steps)) : QString());
}

int CVarnisMouseDevice::GetStageSteps(int n) const {
  auto* slider = Find<toolkit::CSliderUI>(Indexed("DPI_slider_", n));
  return slider != nullptr ? slider->GetValue() : 0;
}

int CVarnisMouseDevice::GetStageEditSteps(int n) const {
  auto* edit = Find<toolkit::CEditUI>(Indexed("DPI_edit_", n));
  return edit != nullptr ? mouse::DpiToSteps(Mouse().Sensor(), edit->GetText()) : 0;
}

void CVarnisMouseDevice::SetStageEnabled(int n, bool on) {
  if (auto* layout = Find<CControlUI>(Indexed("DPI_layout_", n)))
    layout->SetEnabled(on);
  if (auto* check = Find<toolkit::COptionUI>(Indexed("DPI_enable_check_", n)))
    check->Selected(on, false);
}

bool CVarnisMouseDevice::GetStageEnabled(int n) const {
  auto* check = Find<toolkit::COptionUI>(Indexed("DPI_enable_check_", n));
  return check != nullptr && check->IsSelected();
}

void CVarnisMouseDevice::UpdateStageLocks() {
  std::array<bool, kStages> enabled{};
  for (int n = 0; n < kStages; ++n)
    enabled[static_cast<size_t>(n)] = GetStageEnabled(n);
  const auto locked = mouse::LockedEnableSwitches(enabled, Mouse().ActiveStage());
  for (int n = 0; n < kStages; ++n)
    if (auto* check = Find<toolkit::COptionUI>(Indexed("DPI_enable_check_", n)))
      check->SetEnabled(!locked[static_cast<size_t>(n)]);
}

void CVarnisMouseDevice::SelectStage(int n) {
  Mouse().SetActiveStage(n);
  for (int i = 0; i < kStages; ++i)
    if (auto* check = Find<toolkit::COptionUI>(Indexed("DPI_select_check_", i)))
      check->Selected(i == n, false);
}

void CVarnisMouseDevice::SetStageColour(int n, uint32_t argb) {
  if (auto* swatch = Find<CControlUI>(Indexed("DPI_color_option_", n)))
    swatch->SetBkColor(QColor::fromRgba(argb));
}

uint32_t CVarnisMouseDevice::GetStageColour(int n) const {
  auto* swatch = Find<CControlUI>(Indexed("DPI_color_option_", n));
  return swatch != nullptr ? swatch->GetBkColor().rgba() : 0;
}

void CVarnisMouseDevice::SetReportRate(int index) {
  if (index < 0 || index >= MouseCore::kReportRates)
    index = 0;
  for (int i = 0; i < MouseCore::kReportRates; ++i)
    if (auto* option = Find<toolkit::COptionUI>(Indexed("polling_rate_option_", i)))
      option->Selected(i == index, false);
}

void CVarnisMouseDevice::StoreAndWrite(Done done) {
  Mouse().StoreStages();
  Mouse().SaveProfile();
  // A mouse that is not open takes nothing, and says so.
  const Done told = done;
  if (WriteCurrentSettings(std::move(done)) == 0 && told)
    told(0);
}

void CVarnisMouseDevice::OnStageEnableChanged(int n, Done done) {
  if (n < 0 || n >= kStages)
    return;
  const bool on = GetStageEnabled(n);
  SetStageEnabled(n, on);
  Mouse().Stage(n).StageActive = on ? 1 : 0;
  UpdateStageLocks();
  StoreAndWrite(std::move(done));
}

void CVarnisMouseDevice::OnStageSelected(int n, Done done) {
  if (n < 0 || n >= kStages)
    return;
  SelectStage(n);
  for (int i = 0; i < kStages; ++i) {
    const int steps = GetStageSteps(i);
    SetStageDpi(i, steps);
    Mouse().Stage(i).StageDPIX = static_cast<uint16_t>(steps);
  }
  UpdateStageLocks();
  StoreAndWrite(std::move(done));
}

void CVarnisMouseDevice::OnStageSliderReleased(int n) {
  if (n < 0 || n >= kStages)
    return;
  const int steps = GetStageSteps(n);
  SetStageDpi(n, steps);
  Mouse().Stage(n).StageDPIX = static_cast<uint16_t>(steps);
  UpdateStageLocks();
  StoreAndWrite();
}

void CVarnisMouseDevice::OnStageSliderMoving(int n) {
  if (n >= 0 && n < kStages)
    SetStageDpi(n, GetStageSteps(n));
}

void CVarnisMouseDevice::OnStageEditLeft(int n, Done done) {
  if (n < 0 || n >= kStages || !Mouse().Sensor().Valid())
    return;
  const int steps = GetStageEditSteps(n);
  SetStageDpi(n, steps);
  Mouse().Stage(n).StageDPIX = static_cast<uint16_t>(steps);
  UpdateStageLocks();
  StoreAndWrite(std::move(done));
}

void CVarnisMouseDevice::OnStageColourChosen(int n, uint32_t argb) {
  if (n < 0 || n >= kStages)
    return;
  SetStageColour(n, argb);
  DpiStage& stage = Mouse().Stage(n);
  stage.StageColorR = static_cast<uint8_t>(argb >> 16);
  stage.StageColorG = static_cast<uint8_t>(argb >> 8);
  stage.StageColorB = static_cast<uint8_t>(argb);
  StoreAndWrite();
}

void CVarnisMouseDevice::OnReportRateChosen(int n, Done done) {
  SetReportRate(n);
  Mouse().SetReportRate(n);
  StoreAndWrite(std::move(done));
}

// --- Pointer settings -------------------------------------------------------------------

void CVarnisMouseDevice::OnSystemControlChanged(SystemControl control) {
  auto slider = [this](const char* name) {
    auto* s = Find<toolkit::CSliderUI>(QString::fromLatin1(name));
    return s != nullptr ? static_cast<uint32_t>(s->GetValue()) & 0xFFFF : 0u;
  };
  auto check = [this](const char* name) {
    auto* o = Find<toolkit::COptionUI>(QString::fromLatin1(name));
    return o != nullptr && o->IsSelected() ? 1u : 0u;
  };
  MouseCore::SystemWords words = Mouse().System();
  auto low = [](uint32_t& word, uint32_t value) { word = (word & 0xFFFF0000u) | (value & 0xFFFF); };
  auto high = [](uint32_t& word, uint32_t value) { word = (word & 0x0000FFFFu) | (value & 0xFFFF) << 16; };
  switch (control) {
    case SystemControl::PointerSpeed: high(words[0], slider("pointer_speed_slider")); break;
    case SystemControl::DoubleClick: low(words[0], slider("double_click_slider")); break;
    case SystemControl::Precision: low(words[1], check("pointer_precision_check")); break;
    case SystemControl::ScrollPage:
      high(words[1], check("scrolls_page_check"));
      low(words[2], slider("scroll_speed_slider"));
      break;
    case SystemControl::ScrollLines:
      // Lines per notch: the page option goes off on screen; the stored
      // page flag changes only with the option itself.
      if (auto* page = Find<toolkit::COptionUI>(QStringLiteral("scrolls_page_check")))
        page->Selected(false, false);
      low(words[2], slider("scroll_speed_slider"));
      break;
  }
  Mouse().SetSystem(words);
  Mouse().SaveProfile();
}

void CVarnisMouseDevice::ShowSystemSettings() {
  const MouseCore::SystemWords words = Mouse().System();
  auto slider = [this](const char* name, uint32_t value) {
    auto* s = Find<toolkit::CSliderUI>(QString::fromLatin1(name));
    if (s != nullptr && value != 0)
      s->SetValue(static_cast<int>(value), false);
  };
  auto check = [this](const char* name, uint32_t value) {
    if (auto* o = Find<toolkit::COptionUI>(QString::fromLatin1(name)))
      o->Selected(value != 0, false);
  };
  slider("pointer_speed_slider", words[0] >> 16);
  slider("double_click_slider", words[0] & 0xFFFF);
  check("pointer_precision_check", words[1] & 0xFFFF);
  check("scrolls_page_check", words[1] >> 16);
  slider("scroll_speed_slider", words[2] & 0xFFFF);
}

// --- Recoil patterns ------------------------------------------------------------

void CVarnisMouseDevice::BindRecoilPanel() {
  recoilPanel_ = findChild<CShootControlUI*>(QStringLiteral("ShootControlItem"));
  // The patterns live in the device's folder; without one there is nowhere
  // to keep them.
  if (recoilPanel_ != nullptr && !DeviceFolder().isEmpty())
    recoilPanel_->InitRecoilPanel(DeviceFolder(), DefaultDataDir());
}

void CVarnisMouseDevice::DownloadRecoil(std::function<void(int)> done) {
  if (recoilPanel_ == nullptr || !recoilPanel_->AllControlsFound()) {
    if (done)
      done(0);
    return;
  }
  Mouse().DownloadRecoil(recoilPanel_->Files().BuildImage(), std::move(done));
}
