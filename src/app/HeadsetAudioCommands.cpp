#include "app/HeadsetAudioCommands.h"

#include "devices/CVarnisRO6533Device.h"
#include "ui/CMsgWnd.h"

HeadsetAudioCommands::HeadsetAudioCommands(FeatureHost& window) : window_(window) {
  window_.SetRouteHandler(RouteOwner::HeadsetAudio,
                          [this](const RouteCall& call) { OnRoute(call); });
}

CVarnisRO6533Device* HeadsetAudioCommands::CurrentHeadset() const {
  return qobject_cast<CVarnisRO6533Device*>(window_.CurrentDevice());
}

void HeadsetAudioCommands::Tell(const QString& text, bool isLanguageId) {
  if (teller_) {
    teller_(text, isLanguageId);
    return;
  }
  ShowMessageBox(&window_.DialogOwner(), {}, text, window_.DialogDpi(), isLanguageId, 0);
}

void HeadsetAudioCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("message")) {
    if (call.wParam == static_cast<platform::WParam>(CVarnisRO6533Device::kAudioInitFailed))
      Tell(QLatin1String(kInitFailedText), false);
    else if (call.wParam == static_cast<platform::WParam>(CVarnisRO6533Device::kAudioFeaturesShort))
      Tell(QLatin1String(kFeaturesShortText), false);
    return;
  }
  CVarnisRO6533Device* headset = CurrentHeadset();
  if (headset == nullptr)
    return;
  auto is = [&call](const char* name) {
    return call.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
  };
  auto starts = [&call](const char* prefix) {
    return call.name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
  };
  if (call.type == QLatin1String("click")) {
    if (is("hs_EQ_btn_save")) {
      if (!headset->OnSaveCustomEq())
        Tell(QStringLiteral("message_text_5"), true);
    } else if (is("hs_EQ_btn_delete")) {
      headset->OnDeleteCustomEq();
    }
  } else if (call.type == QLatin1String("selectchanged")) {
    if (is("magic_enable_option"))
      headset->OnVoiceChangerSwitch();
    else if (is("6533_MicIn_option"))
      headset->OnInputSwitch(HeadsetCore::Input::Microphone);
    else if (is("6533_MicMoniter_option"))
      headset->OnInputSwitch(HeadsetCore::Input::Monitor);
    else if (starts("magic_option_") && OptionSelected(call))
      headset->OnVoice(call.index);
    else if (starts("6533_eq_option_") && OptionSelected(call))
      headset->OnEqOption(call.index);
  } else if (call.type == QLatin1String("valuechanged")) {
    if (is("6533_MicIn_slider"))
      headset->OnInputVolume(HeadsetCore::Input::Microphone);
    else if (is("6533_MicMoniter_slider"))
      headset->OnInputVolume(HeadsetCore::Input::Monitor);
    else if (starts("6533_eq_hz_slider_"))
      headset->OnBandMoved(call.index);
  } else if (call.type == QLatin1String("itemselect")) {
    if (is("custom_eq_name_combo"))
      headset->OnCustomEqSelected();
  }
}
