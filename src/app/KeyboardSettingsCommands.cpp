#include "app/KeyboardSettingsCommands.h"

#include "devices/CVarnisKeyboardDevice.h"
#include "toolkit/COptionUI.h"


KeyboardSettingsCommands::KeyboardSettingsCommands(FeatureHost& window) : window_(window) {
  window_.SetRouteHandler(RouteOwner::KeyboardSettings,
                          [this](const RouteCall& call) { OnRoute(call); });
}

CVarnisKeyboardDevice* KeyboardSettingsCommands::CurrentKeyboard() const {
  return qobject_cast<CVarnisKeyboardDevice*>(window_.CurrentDevice());
}

void KeyboardSettingsCommands::OnRoute(const RouteCall& call) {
  CVarnisKeyboardDevice* keyboard = CurrentKeyboard();
  if (keyboard == nullptr)
    return;
  const QString& name = call.name;
  auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
  if (call.type == QLatin1String("click")) {
    if (is("reset_repeat_btn"))
      keyboard->OnResetRepeat();
  } else if (call.type == QLatin1String("selectchanged")) {
    if (name.startsWith(QLatin1String("polling_rate_option_"), Qt::CaseInsensitive)) {
      if (OptionSelected(call))
        keyboard->OnReportRateSelected(call.index);
    } else if (name.startsWith(QLatin1String("repeat_delay_check_"), Qt::CaseInsensitive)) {
      if (OptionSelected(call))
        keyboard->OnRepeatDelaySelected(call.index);
    }
    else if (is("winlockflag_option") || is("wflag_option") || is("6flag_option"))
      keyboard->OnFlagChanged(name.toLower());
    else if (is("keyset_fn"))
      keyboard->OnFnLayerSwitched();
  } else if (call.type == QLatin1String("valuechanged")) {
    if (is("repeat_rate_slider"))
      keyboard->OnRepeatRateChanged();
    else if (is("voice_sensitivity"))
      keyboard->OnSensitivityChanged();
  }
}
