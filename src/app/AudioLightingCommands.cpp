#include "app/AudioLightingCommands.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cstring>

#include "app/DevicePageSet.h"
#include "app/ShellMessages.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/DebugChannel.h"
#include "platform/LocalMessageServer.h"
#include "protocol/Rgb.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CLightControlUI.h"
#include "ui/MusicWnd.h"

namespace {

bool Is(const QString& name, const char* control) {
  return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};

int AudioEditChannel(const QString& name) {
  for (int i = 0; i < 3; ++i)
    if (Is(name, kAudioEdits[i]))
      return i;
  return -1;
}

std::array<uint8_t*, 3> EditedColour(AudioLightInfo& info) {
  if (info.ColorTypeFlags == 1)
    return {&info.FgColorR, &info.FgColorG, &info.FgColorB};
  return {&info.BkColorR, &info.BkColorG, &info.BkColorB};
}

}  // namespace

AudioLightingCommands::AudioLightingCommands(FeatureHost& window) : window_(window) {
  window_.SetRouteHandler(RouteOwner::AudioLighting,
                          [this](const RouteCall& call) { OnRoute(call); });
}

AudioLightingCommands::~AudioLightingCommands() {
  if (server_ != nullptr)
    server_->SetRequestHandler(QLatin1String(kRecorderName), {});
}

// --- Spectra -------------------------------------------------------------------------

void AudioLightingCommands::OnSpectrum(std::span<const uint8_t> bytes) {
  std::array<int32_t, lighting::AudioLevels::kSpectrumBins> spectrum{};
  if (bytes.size() != sizeof(spectrum))
    return;
  std::memcpy(spectrum.data(), bytes.data(), sizeof(spectrum));
  if (!bands_.AddSpectrum(spectrum))
    return;
  if (CVarnisUSBDevice* keyboard = window_.SelectedKeyboard())
    keyboard->SetAudioLevels(bands_.Means().data(), lighting::AudioLevels::kBandCount);
}

// --- Routes ----------------------------------------------------------------------------

void AudioLightingCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("message")) {
    if (call.name == QLatin1String("WM_COPYDATA 1"))
      OnSpectrum(window_.LastSpectrum());
    return;
  }
  const QString& name = call.name;
  if (call.type == QLatin1String("valuechanged")) {
    OnRecorderSlider(call);
    return;
  }
  if (call.type == QLatin1String("click") && Is(name, "music_setting_btn")) {
    OpenStyleDialog();
    return;
  }
  CVarnisUSBDevice* device = window_.CurrentDevice();
  CLightControlUI* panel = device != nullptr ? device->LightPanel() : nullptr;
  if (panel == nullptr)
    return;

  if (call.type == QLatin1String("itemselect")) {
    // A new style, with the colour the button shows.
    ChangeAudioLight(device, panel, true, {});
  } else if (call.type == QLatin1String("selectchanged")) {
    if (Is(name, "audio_BkColor_check") || Is(name, "audio_FgColor_check")) {
      // Switches which colour is edited.
      if (OptionSelected(call))
        ChangeAudioLight(device, panel, false, {});
    } else if (Is(name, "deng_7audiocolor_check")) {
      ChangeAudioLight(device, panel, false, {});
    }
  } else if (call.type == QLatin1String("colorchanged")) {
    SetEditedColour(device, panel, panel->GetAudioPaletteColour(), false);
  } else if (call.type == QLatin1String("click")) {
    if (name.startsWith(QLatin1String("audiocolor_option_"), Qt::CaseInsensitive)) {
      const uint32_t argb = panel->GetAudioPresetColour(call.index);
      if (argb != 0)
        SetEditedColour(device, panel, argb, true);
    }
  } else if (call.type == QLatin1String("killfocus")) {
    if (const int channel = AudioEditChannel(name); channel >= 0)
      OnColourEdit(device, panel, channel);
  }
}

void AudioLightingCommands::ChangeAudioLight(CVarnisUSBDevice* device, CLightControlUI* panel,
                                             bool takeColour, const Change& change) {
  const std::optional<AudioLightInfo> shown = device->GetAudioLightInfo(false);
  if (!shown)
    return;
  std::optional<AudioLightInfo> info = panel->ReadAudioLightInfo(*shown, takeColour);
  if (!info)
    return;
  if (change)
    change(*info);
  device->SetAudioLightInfo(*info);
  device->SaveProfile();
  device->ApplyProfile();
}

void AudioLightingCommands::SetEditedColour(CVarnisUSBDevice* device, CLightControlUI* panel,
                                            uint32_t argb, bool clearMultiColourAlways) {
  const protocol::Rgb colour = protocol::FromArgb(argb);
  ChangeAudioLight(device, panel, false, [&](AudioLightInfo& info) {
    const auto channels = EditedColour(info);
    const bool changed =
        *channels[0] != colour.r || *channels[1] != colour.g || *channels[2] != colour.b;
    *channels[0] = colour.r;
    *channels[1] = colour.g;
    *channels[2] = colour.b;
    if (clearMultiColourAlways || changed)
      info.SevenColorFlags = 0;
  });
}

void AudioLightingCommands::OnColourEdit(CVarnisUSBDevice* device, CLightControlUI* panel,
                                         int channel) {
  bool rewrite = false;
  const int value = CLightControlUI::ColourEditValue(panel->GetAudioEditText(channel), &rewrite);
  if (rewrite)
    panel->SetAudioEditText(channel, QString::number(value));
  ChangeAudioLight(device, panel, false, [&](AudioLightInfo& info) {
    *EditedColour(info)[static_cast<size_t>(channel)] = static_cast<uint8_t>(value);
    if (info.ColorTypeFlags == 1)
      info.SevenColorFlags = 0;
  });
}

// --- The style dialog and the recorder ---------------------------------------------------

void AudioLightingCommands::OpenStyleDialog() {
  if (dialogOpen_)
    return;
  const QString path = styleFile_.isEmpty() ? MusicStyleFile::UserFilePath() : styleFile_;
  dialogOpen_ = true;
  std::optional<MusicStyle> style;
  if (editor_) {
    style = editor_(path);
  } else {
    style = MusicWnd::Edit(&window_.DialogOwner(), path, window_.DialogDpi());
  }
  dialogOpen_ = false;
  if (!style || !RecorderFound())
    return;
  const auto record = MusicStyleFile::RecorderColourRecord(*style);
  SendToRecorder(platform::SocketMessage::CopyData(
      kRecorderColourRecord,
      QByteArray(reinterpret_cast<const char*>(record.data()), static_cast<qsizetype>(record.size()))));
}

void AudioLightingCommands::OnRecorderSlider(const RouteCall& call) {
  const QString& name = call.name;
  const QString channel = name.left(1).toUpper();
  const int code = channel == QLatin1String("R") ? 6 : channel == QLatin1String("G") ? 7 : 8;
  auto* slider = call.notification != nullptr
                     ? qobject_cast<toolkit::CSliderUI*>(call.notification->pSender)
                     : nullptr;
  if (slider == nullptr)
    return;
  const int value = slider->GetValue();
  if (RecorderFound())
    SendToRecorder(platform::SocketMessage::Registered(
        QLatin1String(ShellMessages::kAudioRecordName), code, value));
  // The value is shown beside its slider, "R 120".
  toolkit::CControlUI* label = nullptr;
  if (toolkit::CControlUI* row = slider->GetParent())
    label = row->findChild<toolkit::CControlUI*>(channel + QStringLiteral("_light_label"));
  if (label == nullptr)
    label = window_.FindControl(channel + QStringLiteral("_light_label"));
  if (label != nullptr)
    label->SetText(QStringLiteral("%1 %2").arg(channel).arg(value));
}

void AudioLightingCommands::ListenForRecorder(platform::LocalMessageServer* server) {
  if (server_ != nullptr)
    server_->SetRequestHandler(QLatin1String(kRecorderName), {});
  server_ = server;
  if (server == nullptr)
    return;
  server->SetRequestHandler(
      QLatin1String(kRecorderName),
      [this](const platform::SocketMessage&, const platform::LocalMessageServer::Reply& reply) {
        platform::DebugOutput("audio recorder found");
        SetRecorder(reply);
      });
}

void AudioLightingCommands::SetRecorder(RecorderSender sender) {
  recorder_ = std::move(sender);
  if (recorder_) {
    // The greeting a recorder gets when it is found.
    for (int code : {2, 4, 5})
      SendToRecorder(platform::SocketMessage::Registered(
          QLatin1String(ShellMessages::kAudioRecordName), code, 0));
  }
  ShowRecorderSliders();
}

void AudioLightingCommands::SendToRecorder(const platform::SocketMessage& message) {
  if (recorder_)
    recorder_(message);
}

void AudioLightingCommands::ShowRecorderSliders() {
  for (CVarnisUSBDevice* keyboard : window_.Pages().Devices(DevicePageSet::Keyboard))
    if (CLightControlUI* panel = keyboard->LightPanel())
      panel->ShowRecorderSliders(RecorderFound());
}
