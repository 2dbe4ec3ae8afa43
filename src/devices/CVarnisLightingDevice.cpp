#include "devices/CVarnisLightingDevice.h"

#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "profiles/ProfileIds.h"
#include "ui/CLightControlUI.h"

namespace {

constexpr const char* kModeFile = "default_light.json";

}  // namespace

CVarnisLightingDevice::CVarnisLightingDevice(QWidget* parent, std::unique_ptr<PadCore> core,
                                             int lightKind)
    : CVarnisUSBDevice(parent, std::move(core)), lightKind_(lightKind) {
  PadCore::Listener listener;
  listener.resynced = [this](int slot) { ShowResync(slot); };
  listener.lightModeChanged = [this] { CVarnisUSBDevice::OnLightModeChanged(); };
  Pad().SetListener(std::move(listener));
}

CVarnisLightingDevice::~CVarnisLightingDevice() {
  StopThreads();
  Pad().SetListener({});
}

void CVarnisLightingDevice::AttachToWindow() {
  CVarnisUSBDevice::AttachToWindow();
  if (GetLayoutPath().isEmpty())
    return;
  LoadLightLists();
  if (auto* panel = findChild<CLightControlUI*>(QStringLiteral("LightControlItem"))) {
    SetLightPanel(panel);
    panel->SetDeviceKind(lightKind_);
    panel->FillModeList(Pad().ModeList().names, Pad().ModeList().visible, lighting::kMaxLevel,
                        lighting::kMaxLevel);
  }
}

QString CVarnisLightingDevice::ProfilePath() const {
  if (DeviceFolder().isEmpty() || !IsPlainFileName(GetProfileId()))
    return {};
  return DeviceFolder() + GetProfileId() + QStringLiteral(".Json");
}

void CVarnisLightingDevice::LoadProfileFiles() {
  Pad().SetProfileFiles(DefaultProfilePath(), ProfilePath(), LightConfigPath());
}

void CVarnisLightingDevice::SaveProfile() { Pad().SaveProfile(); }

void CVarnisLightingDevice::LoadProfileState() {
  LoadProfileFiles();
  Pad().LoadProfileState();
}

void CVarnisLightingDevice::ApplyProfile() { Pad().ApplyProfile(); }

void CVarnisLightingDevice::SetLightInfo(uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                                         uint8_t e) {
  Pad().SetLightInfo(LightWords{a, b, c, d, e});
}

void CVarnisLightingDevice::LoadLightLists() {
  Pad().LoadLightLists(DefaultDataDir() + QLatin1String(kModeFile), GetLightTableIndex());
}

void CVarnisLightingDevice::ResetToDefaults() {
  LoadProfileFiles();
  Pad().ResetToDefaults();
  RefreshView();
}

void CVarnisLightingDevice::InitialRead() {
  LoadProfileFiles();
  Pad().ReadFirstContact([this](bool) { RefreshView(); });
}

void CVarnisLightingDevice::ResyncFromDevice() {
  // Events in a burst read the block once more after the read on its way.
  if (Commands.IsOpen && !Pad().SyncFromDevice(
                             [this](int slot) {
                               if (slot >= 0)
                                 ShowResync(slot);
                               else
                                 RefreshView();
                             },
                             "resync"))
    ResyncAfterTheReadOnItsWay();
}

void CVarnisLightingDevice::ShowResync(int slot) {
  RefreshView();
  // The page names itself: the profile that changes is this device's, not
  // that of the page on screen.
  SendToOwner(SelectProfileMessage, static_cast<platform::WParam>(slot),
              reinterpret_cast<platform::LParam>(this));
}

int CVarnisLightingDevice::WriteParameterBlock(int slot, int /*byte0*/, int /*byte59*/,
                                               int /*width*/, int /*height*/, Done done) {
  if (!Commands.IsOpen)
    return 0;
  Pad().WriteParameterBlock(slot, std::move(done));
  return 1;
}

void CVarnisLightingDevice::RefreshView() {
  LoadLightLists();
  if (LightPanel() != nullptr) {
    const LightWords words = GetLightWords();
    LightPanel()->ShowLightInfo(words.A, words.B, words.C);
  }
}

void CVarnisLightingDevice::OnLightModeChanged() { Pad().OnLightModeChanged(); }
