#include "app/LightingCommands.h"

#include "protocol/Rgb.h"

#include <algorithm>

#include "app/DevicePageSet.h"
#include "app/ShellState.h"
#include "devices/CVarnisKeyboardDevice.h"
#include "devices/CVarnisUSBDevice.h"
#include "lighting/LightInfoWords.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "platform/DebugChannel.h"
#include "platform/TickClock.h"
#include "lighting/LedCanvas.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CLightControlUI.h"

using toolkit::CControlUI;

namespace {

constexpr int kLightingPage = 1;

bool Is(const QString& name, const char* text) {
  return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0;
}

bool SenderSelected(const RouteCall& call) {
  auto* option = call.notification != nullptr
                     ? qobject_cast<toolkit::COptionUI*>(call.notification->pSender)
                     : nullptr;
  return option != nullptr && option->IsSelected();
}

uint32_t Argb(const LightInfo& info) { return protocol::ToArgb({info.Red, info.Green, info.Blue}); }

}  // namespace

LightingCommands::LightingCommands(FeatureHost& window) : window_(window) {
  window_.SetRouteHandler(RouteOwner::Lighting,
                          [this](const RouteCall& call) { OnRoute(call); });
}

int LightingCommands::KindCode(const CVarnisUSBDevice* device) {
  return device != nullptr ? device->GetKindType() : 0;
}

void LightingCommands::ChangeLight(CVarnisUSBDevice* device, bool clearFollower, bool apply,
                                   const Change& change) {
  if (clearFollower)
    device->Commands.LightFollower = false;
  LightInfo info = FromLightWords(device->GetLightWords());
  change(info);
  StoreLight(device, info, apply);
}

void LightingCommands::StoreLight(CVarnisUSBDevice* device, const LightInfo& info, bool apply,
                                  std::function<void(int)> done) {
  const LightWords words = ToLightWords(info);
  device->SetLightInfo(words.A, words.B, words.C, words.D, words.E);
  device->SaveProfile();
  if (apply)
    device->ApplyProfile();
  // A device that is not open takes nothing, and says so.
  const std::function<void(int)> told = done;
  if (device->WriteCurrentSettings(std::move(done)) == 0 && told)
    told(0);
}

void LightingCommands::ApplyLight(CVarnisUSBDevice* device, const LightInfo& info,
                                  std::function<void(int)> done) {
  device->Commands.LightFollower = false;
  StoreLight(device, info, true, std::move(done));
  if (CLightControlUI* panel = device->LightPanel()) {
    const LightWords shown = device->GetLightWords();
    panel->ShowLightInfo(shown.A, shown.B, shown.C);
  }
}

void LightingCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("message")) {
    OnGameEvent(call.wParam, call.lParam);
    return;
  }
  if (call.type == QLatin1String("timer")) {
    OnGameTimer();
    return;
  }
  CVarnisUSBDevice* device = window_.CurrentDevice();
  CLightControlUI* panel = device != nullptr ? device->LightPanel() : nullptr;
  if (panel == nullptr)
    return;
  auto* keyboard = qobject_cast<CVarnisKeyboardDevice*>(device);
  const QString& name = call.name;

  if (call.type == QLatin1String("click")) {
    if (name.startsWith(QLatin1String("color_option_"), Qt::CaseInsensitive)) {
      SetColour(device, panel, panel->GetPresetColour(call.index), false);
    } else if (Is(name, "custom_bright_color_btn") || Is(name, "custom_off_color_btn")) {
      if (keyboard != nullptr)
        keyboard->FillAllKeys(Is(name, "custom_bright_color_btn"));
    } else if (Is(name, "deng_same_mode")) {
      ApplySameMode();
    } else if (Is(name, "Close_bkColor_btn")) {
      // Closes the colour area the button sits in.
      if (call.notification != nullptr && call.notification->pSender != nullptr)
        if (CControlUI* area = call.notification->pSender->GetParent())
          area->SetVisible(false);
    } else if (name.startsWith(QLatin1String("key_"), Qt::CaseInsensitive)) {
      // A key of the picture clicked while the lighting page is shown.
      if (keyboard != nullptr && keyboard->CurrentPage() == kLightingPage)
        keyboard->PaintKey(call.index);
    }
  } else if (call.type == QLatin1String("selectchanged")) {
    if (Is(name, "deng_FXL_check") || Is(name, "deng_FXR_check")) {
      if (!SenderSelected(call))
        return;
      const int fx = Is(name, "deng_FXL_check") ? 1 : 0;
      panel->SetDirection(fx);
      ChangeLight(device, true, true, [fx](LightInfo& info) { info.Fx = static_cast<uint8_t>(fx); });
    } else if (Is(name, "deng_7color_check")) {
      const bool on = panel->GetMultiColour();
      ChangeLight(device, true, true, [on](LightInfo& info) { info.MultiColor = on ? 1 : 0; });
    }
  } else if (call.type == QLatin1String("valuechanged")) {
    if (Is(name, "deng_light_slider")) {
      const int value = std::clamp(panel->GetBrightness(), 0, lighting::kMaxLevel);
      panel->SetBrightness(value);
      ChangeLight(device, true, true, [value](LightInfo& info) { info.Light = static_cast<uint8_t>(value); });
    } else if (Is(name, "deng_speed_slider")) {
      const int value = std::clamp(panel->GetSpeed(), 0, lighting::kMaxLevel);
      panel->SetSpeed(value);
      ChangeLight(device, true, true, [value](LightInfo& info) { info.Speed = static_cast<uint8_t>(value); });
    }
  } else if (call.type == QLatin1String("itemselect")) {
    if (Is(name, "light_combo_modeSelect")) {
      const int mode = panel->GetMode();
      if (mode < 0)
        return;
      panel->SelectMode(mode);
      ChangeLight(device, true, true, [mode](LightInfo& info) { info.SelectItem = static_cast<uint8_t>(mode); });
    } else if (Is(name, "light_combo_custommodeSelect")) {
      if (keyboard != nullptr)
        keyboard->SelectCustomGroup(panel->GetCustomGroup());
    } else if (Is(name, "light_combo_ZZCCmodeSelect")) {
      if (keyboard == nullptr)
        return;
      const int zone = panel->GetSecondZoneMode();
      if (zone < 0)
        return;
      panel->SelectSecondZoneMode(zone);
      ChangeLight(device, false, true, [zone](LightInfo& info) { info.ZZCCLedMode = static_cast<uint8_t>(zone); });
    }
  } else if (call.type == QLatin1String("killfocus")) {
    OnColourEdit(device, panel, name);
  } else if (call.type == QLatin1String("colorchanged")) {
    SetColour(device, panel, panel->GetColour(), true);
  } else if (call.type == QLatin1String("click_select_end")) {
    OnSelectionEnd(device);
  }
}

void LightingCommands::SetColour(CVarnisUSBDevice* device, CLightControlUI* panel, uint32_t argb,
                                 bool clearFollower) {
  const protocol::Rgb colour = protocol::FromArgb(argb);
  const uint8_t red = colour.r, green = colour.g, blue = colour.b;
  panel->SetRedText(QString::number(red));
  panel->SetGreenText(QString::number(green));
  panel->SetBlueText(QString::number(blue));
  panel->SetMultiColour(false);
  panel->SetColour(protocol::ToArgb(colour));
  ChangeLight(device, clearFollower, true, [=](LightInfo& info) {
    info.Red = red;
    info.Green = green;
    info.Blue = blue;
    info.MultiColor = 0;
  });
}

void LightingCommands::OnColourEdit(CVarnisUSBDevice* device, CLightControlUI* panel,
                                    const QString& name) {
  const int channel = Is(name, "deng_edit_R") ? 0 : Is(name, "deng_edit_G") ? 1 : 2;
  const QString text = channel == 0 ? panel->GetRedText()
                       : channel == 1 ? panel->GetGreenText()
                                      : panel->GetBlueText();
  bool rewrite = false;
  const int value = CLightControlUI::ColourEditValue(text, &rewrite);
  if (rewrite) {
    const QString shown = QString::number(value);
    if (channel == 0)
      panel->SetRedText(shown);
    else if (channel == 1)
      panel->SetGreenText(shown);
    else
      panel->SetBlueText(shown);
  }
  panel->SetMultiColour(false);
  device->Commands.LightFollower = false;
  LightInfo info = FromLightWords(device->GetLightWords());
  (channel == 0 ? info.Red : channel == 1 ? info.Green : info.Blue) = static_cast<uint8_t>(value);
  info.MultiColor = 0;
  panel->SetColour(Argb(info));
  StoreLight(device, info, true);
}

void LightingCommands::OnSelectionEnd(CVarnisUSBDevice* device) {
  // On the keyboard's custom colours a rubber band paints every light it
  // covers; other modes have nothing to paint.
  auto* keyboard = qobject_cast<CVarnisKeyboardDevice*>(device);
  if (keyboard == nullptr)
    return;
  const auto& lights = keyboard->LedControls();
  for (size_t i = 0; i < lights.size(); ++i) {
    auto* button = qobject_cast<CDeviceKeyButtonUI*>(lights[i]);
    if (button != nullptr && button->IsSelected() != 0)
      keyboard->PaintKey(static_cast<int>(i));
  }
}

// --- Same mode -------------------------------------------------------------

int LightingCommands::CommonEffectPosition(int kindCode, CommonEffect effect) {
  struct Row {
    int breathing, staticColour, blink, cycle, off;
  };
  Row row{};
  switch (kindCode) {
    case lighting::kKindKeyboard: row = {5, 6, 34, 4, 21}; break;
    case lighting::kKindMouse: row = {2, 3, 4, 1, 10}; break;
    case lighting::kKindMousePad:
    case lighting::kKindHeadset: row = {2, 3, 4, 1, 8}; break;
    default: return -1;
  }
  switch (effect) {
    case CommonEffect::Breathing: return row.breathing;
    case CommonEffect::Static: return row.staticColour;
    case CommonEffect::Blink: return row.blink;
    case CommonEffect::ColourCycle: return row.cycle;
    case CommonEffect::Off: return row.off;
    case CommonEffect::None: break;
  }
  return -1;
}

LightingCommands::CommonEffect LightingCommands::CommonEffectOf(int kindCode, int position) {
  for (CommonEffect effect : {CommonEffect::Breathing, CommonEffect::Static, CommonEffect::Blink,
                              CommonEffect::ColourCycle, CommonEffect::Off})
    if (CommonEffectPosition(kindCode, effect) == position)
      return effect;
  return CommonEffect::None;
}

bool LightingCommands::ApplySameMode() {
  CVarnisUSBDevice* current = window_.CurrentDevice();
  if (current == nullptr)
    return false;
  const LightInfo source = FromLightWords(current->GetLightWords());
  const CommonEffect effect = CommonEffectOf(KindCode(current), source.SelectItem);
  if (effect == CommonEffect::None)
    return false;
  commonEffect_ = effect;
  commonSource_ = source;
  std::vector<CVarnisUSBDevice*> followers;
  const DevicePageSet& pages = window_.Pages();
  for (DevicePageSet::Kind kind : {DevicePageSet::Keyboard, DevicePageSet::Mouse,
                                   DevicePageSet::MousePad, DevicePageSet::Headset}) {
    for (CVarnisUSBDevice* device : pages.Devices(kind)) {
      if (!device->Commands.IsOpen)
        continue;
      const int position = CommonEffectPosition(KindCode(device), effect);
      if (position < 0)
        continue;
      device->Commands.LightFollower = true;
      followers.push_back(device);
      LightInfo info = source;
      info.SelectItem = static_cast<uint8_t>(position);
      if (CLightControlUI* panel = device->LightPanel()) {
        const LightWords words = ToLightWords(info);
        panel->ShowLightInfo(words.A, words.B, words.C);
      }
      StoreLight(device, info, true);
    }
  }
  lighting::LightParams common;
  common.brightness = source.Light;
  common.speed = source.Speed;
  common.direction = source.Fx;
  common.multiColour = source.MultiColor != 0;
  common.colour = {source.Red, source.Green, source.Blue};
  {
    std::lock_guard lock(commonMutex_);
    commonAnimation_.Set(static_cast<int>(effect) - 1, common);
    followers_ = std::move(followers);
  }
  return true;
}

void LightingCommands::RunSameModeAnimation(const platform::Event& stop) {
  std::vector<CVarnisUSBDevice*> pages;
  while (!platform::WaitTickStep(stop)) {
    {
      std::lock_guard lock(commonMutex_);
      pages = followers_;
    }
    bool following = false;
    for (CVarnisUSBDevice* page : pages)
      following = following || (page->Commands.IsOpen && page->Commands.LightFollower);
    if (!following) {
      if (stop.Wait(1000))
        break;
      continue;
    }
    lighting::Rgb colour;
    uint8_t level = 0;
    bool draw = false;
    {
      std::lock_guard lock(commonMutex_);
      draw = commonAnimation_.Tick(platform::TickCount(), colour, level);
    }
    if (!draw)
      continue;
    const uint32_t packed = lighting::PackLed(colour, level);
    for (CVarnisUSBDevice* page : pages) {
      if (!page->Commands.LightFollower)
        continue;
      for (int i = 0; i < page->GetLedCount(); ++i)
        page->SetLedColour(i, packed);
    }
  }
  platform::DebugOutput(kAnimationExitLine);
}

// --- Lighting events from other programs -----------------------------------

void LightingCommands::OnGameEvent(platform::WParam wParam, platform::LParam lParam) {
  CVarnisUSBDevice* device = window_.CurrentDevice();
  if (device == nullptr || wParam > 2)
    return;
  CLightControlUI* panel = device->LightPanel();
  const int modeCount = device->ModeCount();
  // A mode position only names a mode of the page's list.
  const uint32_t packed = static_cast<uint32_t>(lParam);
  int mode = static_cast<int>(packed & 0xFF);
  if (modeCount > 0 && mode >= modeCount)
    mode = 0;
  device->Commands.LightFollower = false;
  if (panel != nullptr)
    panel->SelectMode(mode);
  LightInfo info = FromLightWords(device->GetLightWords());
  if (wParam == 0) {
    // The user's own mode is kept once, by the first event of a series: a
    // second event before the timer would otherwise keep the game's mode.
    if (gamePage_.isNull()) {
      info.OldLedmode = (info.SelectItem == 0 || info.SelectItem > 20) ? 1 : info.SelectItem;
      gamePage_ = device;
    }
    info.SelectItem = static_cast<uint8_t>(mode);
    info.Light = static_cast<uint8_t>(std::min<uint32_t>((packed >> 8) & 0xFF, lighting::kMaxLevel));
    info.Speed = static_cast<uint8_t>(std::min<uint32_t>((packed >> 16) & 0xFF, lighting::kMaxLevel));
    info.Fx = ((packed >> 24) & 0xFF) != 0 ? 1 : 0;
  } else {
    info.SelectItem = static_cast<uint8_t>(mode);
  }
  StoreLight(device, info, true);
}

void LightingCommands::OnGameTimer() {
  CVarnisUSBDevice* device = gamePage_.isNull() ? window_.CurrentDevice() : gamePage_.data();
  gamePage_.clear();
  if (device == nullptr)
    return;
  device->Commands.LightFollower = false;
  LightInfo info = FromLightWords(device->GetLightWords());
  int mode = info.OldLedmode;
  const int modeCount = device->ModeCount();
  if (modeCount > 0 && mode >= modeCount)
    mode = 0;
  if (CLightControlUI* panel = device->LightPanel())
    panel->SelectMode(mode);
  info.SelectItem = static_cast<uint8_t>(mode);
  StoreLight(device, info, true);
}
