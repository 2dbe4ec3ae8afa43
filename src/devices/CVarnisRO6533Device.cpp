#include "devices/CVarnisRO6533Device.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "lighting/LightPanelLayout.h"
#include "ui/CMagicControlUI.h"
#include "ui/CVoice6533ControlUI.h"

namespace {

constexpr const char* kLibraryName = "libosConfLib.so";
constexpr const char* kStateFileName = "osConfLib.json";

}  // namespace

CVarnisRO6533Device::CVarnisRO6533Device(QWidget* parent)
    : CVarnisLightingDevice(parent, std::make_unique<HeadsetCore>(), lighting::kKindHeadset) {
  kindType_ = DeviceTypes::Headset;
}

CVarnisRO6533Device::~CVarnisRO6533Device() { StopThreads(); }

namespace {

QString& LibraryPathOverride() {
  static QString path;
  return path;
}

}  // namespace

void CVarnisRO6533Device::SetAudioLibraryPath(const QString& path) { LibraryPathOverride() = path; }

QString CVarnisRO6533Device::AudioLibraryPath() {
  if (!LibraryPathOverride().isEmpty())
    return LibraryPathOverride();
  // Beside the program in the build tree; lib/travix/SDK when installed.
  const QString exeDir = QCoreApplication::applicationDirPath();
  const QString beside = exeDir + QStringLiteral("/SDK/") + QLatin1String(kLibraryName);
  if (QFileInfo::exists(beside))
    return beside;
  return QFileInfo(exeDir + QStringLiteral("/../lib/travix/SDK/") + QLatin1String(kLibraryName))
      .absoluteFilePath();
}

void CVarnisRO6533Device::AttachToWindow() {
  CVarnisLightingDevice::AttachToWindow();
  if (GetLayoutPath().isEmpty())
    return;
  audioPanel_ = findChild<CVoice6533ControlUI*>(QStringLiteral("Voice6533ControlItem"));
  voicePanel_ = findChild<CMagicControlUI*>(QStringLiteral("MagicControlItem"));
  if (audioPanel_ != nullptr)
    audioPanel_->SetDeviceKind(GetKindType());
  if (voicePanel_ != nullptr)
    voicePanel_->SetDeviceKind(GetKindType());
  const QString stateFile =
      DeviceFolder().isEmpty() ? QString() : DeviceFolder() + QLatin1String(kStateFileName);
  Headset().InitialiseAudio(
      QFile::encodeName(AudioLibraryPath()).toStdString(),
      QFile::encodeName(stateFile).toStdString(),
      [this](const headset::AudioLibrary::InitReport& report) {
        if (report.loaded && report.initFailed)
          SendToOwner(AudioNoticeMessage, kAudioInitFailed, 0);
        if (report.hasDevice && report.featuresShort)
          SendToOwner(AudioNoticeMessage, kAudioFeaturesShort, 0);
      });
}

void CVarnisRO6533Device::InitialRead() {
  LoadProfileFiles();
  // The profile first (with the block), then what the library says of the
  // microphone, monitoring and voice changer.
  Pad().ReadFirstContact([this](bool) {
    RefreshView();
    Headset().ReadAudioFromLibrary([this] { RefreshView(); });
  });
}

void CVarnisRO6533Device::RefreshView() {
  CVarnisLightingDevice::RefreshView();
  ShowAudio();
}

void CVarnisRO6533Device::ShowAudio() {
  const HeadsetSystem& state = Headset().State();
  if (voicePanel_ != nullptr) {
    voicePanel_->ShowEnabled(state.MagicEnable != 0);
    voicePanel_->ShowVoice(state.MagicType);
  }
  if (audioPanel_ == nullptr)
    return;
  audioPanel_->ShowMicrophone(state.MicInSelect != 0, state.MicInValue);
  audioPanel_->ShowMonitor(state.MicMonitorSelect != 0, state.MicMonitorValue);
  audioPanel_->ShowEqType(state.EqType);
  audioPanel_->RemoveAllCustomNames();
  for (const QString& name : Headset().CustomEqNames())
    audioPanel_->AddCustomName(name);
  audioPanel_->SelectCustomIndex(
      state.CustomEqSelectIndex < audioPanel_->GetCustomCount() ? state.CustomEqSelectIndex : -1);
  audioPanel_->EnableCustomArea(state.EqType == CVoice6533ControlUI::kCustomEqType);
  ShowBands(Headset().EqValues());
}

void CVarnisRO6533Device::ShowBands(const std::vector<int>& bands) {
  if (audioPanel_ == nullptr)
    return;
  for (size_t i = 0; i < bands.size() && i < CVoice6533ControlUI::kBands; ++i)
    audioPanel_->SetBand(static_cast<int>(i), bands[i]);
}

std::vector<int> CVarnisRO6533Device::PanelBands() const {
  // A band the panel lacks keeps the equaliser's value.
  std::vector<int> bands = Headset().EqValues();
  bands.resize(CVoice6533ControlUI::kBands, 0);
  for (int i = 0; i < CVoice6533ControlUI::kBands; ++i)
    if (const int value = audioPanel_->GetBand(i); value != -1)
      bands[static_cast<size_t>(i)] = value;
  return bands;
}

void CVarnisRO6533Device::OnEqOption(int type) {
  if (audioPanel_ == nullptr)
    return;
  if (type == CVoice6533ControlUI::kCustomEqType) {
    Headset().ChooseCustomEq();
    audioPanel_->ShowEqType(type);
    audioPanel_->EnableCustomArea(true);
    OnCustomEqSelected();
    return;
  }
  if (!Headset().ApplyEqPreset(type))
    return;
  ShowBands(Headset().EqValues());
  audioPanel_->ShowEqType(type);
  audioPanel_->EnableCustomArea(false);
}

void CVarnisRO6533Device::OnCustomEqSelected() {
  if (audioPanel_ == nullptr)
    return;
  const int index = audioPanel_->GetCustomSelection();
  if (index < 0)
    return;
  // Picking a curve chooses the custom equaliser.
  if (Headset().State().EqType != CVoice6533ControlUI::kCustomEqType) {
    Headset().ChooseCustomEq();
    audioPanel_->ShowEqType(CVoice6533ControlUI::kCustomEqType);
    audioPanel_->EnableCustomArea(true);
  }
  if (!Headset().SelectCustomEq(index))
    return;
  audioPanel_->ClearNameEdit();
  ShowBands(Headset().EqValues());
}

void CVarnisRO6533Device::OnBandMoved(int band) {
  if (audioPanel_ == nullptr)
    return;
  const int value = audioPanel_->GetBand(band);
  if (value == -1)
    return;
  // The panel shows an unsaved custom curve; the profile keeps its
  // equaliser until a curve is saved.
  if (Headset().State().EqType != CVoice6533ControlUI::kCustomEqType) {
    audioPanel_->ShowEqType(CVoice6533ControlUI::kCustomEqType);
    audioPanel_->SelectCustomIndex(-1);
    audioPanel_->EnableCustomArea(true);
  }
  Headset().WriteBand(band, value);
}

bool CVarnisRO6533Device::OnSaveCustomEq() {
  if (audioPanel_ == nullptr)
    return true;
  const QString name = audioPanel_->GetNameEditText().trimmed();
  int saved = -1;
  const HeadsetCore::SaveResult result =
      Headset().SaveCustomEq(name, audioPanel_->GetCustomSelection(), PanelBands(), saved);
  if (result == HeadsetCore::SaveResult::Duplicate)
    return false;
  if (result == HeadsetCore::SaveResult::Saved && !name.isEmpty()) {
    audioPanel_->AddCustomName(name);
    audioPanel_->SelectCustomIndex(saved);
    audioPanel_->ShowEqType(CVoice6533ControlUI::kCustomEqType);
    audioPanel_->EnableCustomArea(true);
  }
  return true;
}

void CVarnisRO6533Device::OnDeleteCustomEq() {
  if (audioPanel_ == nullptr)
    return;
  const int index = audioPanel_->GetCustomSelection();
  if (!Headset().DeleteCustomEq(index))
    return;
  audioPanel_->RemoveCustomNameAt(index);
  if (audioPanel_->GetCustomCount() == 0) {
    audioPanel_->ShowEqType(Headset().State().EqType);
    audioPanel_->EnableCustomArea(false);
  } else {
    audioPanel_->SelectCustomIndex(0);
  }
  ShowBands(Headset().EqValues());
}

void CVarnisRO6533Device::OnInputSwitch(HeadsetCore::Input input) {
  if (audioPanel_ == nullptr)
    return;
  const bool monitor = input == HeadsetCore::Input::Monitor;
  const headset::AudioSwitches& switches = Headset().Switches();
  const bool muted = !(monitor ? switches.monitorMuted : switches.microphoneMuted);
  if (monitor)
    audioPanel_->ShowMonitor(!muted, audioPanel_->GetMonitorValue());
  else
    audioPanel_->ShowMicrophone(!muted, audioPanel_->GetMicrophoneValue());
  Headset().SetMuted(input, muted);
}

void CVarnisRO6533Device::OnInputVolume(HeadsetCore::Input input) {
  if (audioPanel_ == nullptr)
    return;
  const int value = input == HeadsetCore::Input::Monitor ? audioPanel_->GetMonitorValue()
                                                         : audioPanel_->GetMicrophoneValue();
  if (value != -1)
    Headset().SetVolume(input, value);
}

void CVarnisRO6533Device::OnVoiceChangerSwitch() {
  if (voicePanel_ == nullptr)
    return;
  const bool on = voicePanel_->IsEnabledShown();
  voicePanel_->ShowEnabled(on);
  Headset().SetVoiceChanger(on);
}

void CVarnisRO6533Device::OnVoice(int voice) {
  if (voicePanel_ != nullptr && Headset().SelectVoice(voice))
    voicePanel_->ShowVoice(voice);
}
