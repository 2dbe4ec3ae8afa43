#include "devices/CVarnisMousePadDevice.h"

#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "profiles/ProfileIds.h"
#include "ui/CLightControlUI.h"

namespace {

constexpr const char* kModeFile = "default_light.json";

}  // namespace

CVarnisMousePadDevice::CVarnisMousePadDevice(QWidget* parent)
    : CVarnisUSBDevice(parent, std::make_unique<PadCore>(lighting::kKindMousePad)) {
  kindType_ = DeviceTypes::MousePad;
  PadCore::Listener listener;
  listener.resynced = [this](int slot) {
    RefreshView();
    // The main window selects the profile the pad reports.
    SendToOwner(SelectProfileMessage, static_cast<platform::WParam>(slot), 0);
  };
  listener.lightModeChanged = [this] { CVarnisUSBDevice::OnLightModeChanged(); };
  Pad().SetListener(std::move(listener));
}

CVarnisMousePadDevice::~CVarnisMousePadDevice() {
  StopThreads();
  Pad().SetListener({});
}

void CVarnisMousePadDevice::AttachToWindow() {
  CVarnisUSBDevice::AttachToWindow();
  if (GetLayoutPath().isEmpty())
    return;
  LoadLightLists();
  if (auto* panel = findChild<CLightControlUI*>(QStringLiteral("LightControlItem"))) {
    SetLightPanel(panel);
    panel->SetDeviceKind(lighting::kKindMousePad);
    panel->FillModeList(Pad().ModeList().names, Pad().ModeList().visible, lighting::kMaxLevel,
                        lighting::kMaxLevel);
  }
}

QString CVarnisMousePadDevice::ProfilePath() const {
  if (DeviceFolder().isEmpty() || !IsPlainFileName(GetProfileId()))
    return {};
  return DeviceFolder() + GetProfileId() + QStringLiteral(".Json");
}

void CVarnisMousePadDevice::LoadProfileFiles() {
  Pad().SetProfileFiles(DefaultProfilePath(), ProfilePath(), LightConfigPath());
}

void CVarnisMousePadDevice::SaveProfile() { Pad().SaveProfile(); }

void CVarnisMousePadDevice::LoadProfileState() {
  LoadProfileFiles();
  Pad().LoadProfileState();
}

void CVarnisMousePadDevice::ApplyProfile() { Pad().ApplyProfile(); }

void CVarnisMousePadDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint8_t e) {
  Pad().SetLightInfo(LightWords{a, b, c, d, e});
}

void CVarnisMousePadDevice::LoadLightLists() {
  Pad().LoadLightLists(DefaultDataDir() + QLatin1String(kModeFile), GetLightTableIndex());
}

void CVarnisMousePadDevice::ResetToDefaults() {
  LoadProfileFiles();
  Pad().ResetToDefaults();
  RefreshView();
}

void CVarnisMousePadDevice::InitialRead() {
  LoadProfileFiles();
  Pad().ReadFirstContact([this](bool) { RefreshView(); });
}

void CVarnisMousePadDevice::ResyncFromDevice() {
  if (Commands.IsOpen)
    Pad().SyncFromDevice(
        [this](int slot) {
          RefreshView();
          if (slot >= 0)
            SendToOwner(SelectProfileMessage, static_cast<platform::WParam>(slot), 0);
        },
        "resync");
}

int CVarnisMousePadDevice::WriteParameterBlock(int slot, int /*byte0*/, int /*byte59*/, int /*width*/,
                                               int /*height*/, Done done) {
  if (!Commands.IsOpen)
    return 0;
  Pad().WriteParameterBlock(slot, std::move(done));
  return 1;
}

void CVarnisMousePadDevice::RefreshView() {
  LoadLightLists();
  if (LightPanel() != nullptr) {
    const LightWords words = GetLightWords();
    LightPanel()->ShowLightInfo(words.A, words.B, words.C);
  }
}

void CVarnisMousePadDevice::OnLightModeChanged() { Pad().OnLightModeChanged(); }

void CVarnisMousePadDevice::OnDeviceEvent(uint16_t code, bool /*receiver*/) { Pad().HandleEvent(code); }
