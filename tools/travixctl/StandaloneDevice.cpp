#include "travixctl/StandaloneDevice.h"

#include <QFile>

#include "app/DeviceTables.h"
#include "devicecore/HeadsetCore.h"
#include "devicecore/KeyboardCore.h"
#include "devicecore/MouseCore.h"
#include "devicecore/PadCore.h"
#include "lighting/LightPanelLayout.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroList.h"
#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "protocol/ParameterBlocks.h"

namespace travixctl {

namespace {

constexpr const char* kModeFile = "default_light.json";
constexpr int kMouseRow = 0;
constexpr int kKeyboardRow = 1;
constexpr int kPadRow = 2;

QString ModeFile() { return platform::DataFolders::DefaultDataDir() + QLatin1String(kModeFile); }

int TableIndex(int kind) { return DeviceTables::Kinds()[static_cast<size_t>(kind)].LightTableIndex; }

// Tells the debug channel how a step after the settings write went.
StandaloneDevice::Done Told(const char* what) {
  return [what](int result) {
    if (result != 1)
      platform::DebugPrint("travixctl: %s not taken (%d)", what, result);
  };
}

// The macros the keys use and the key tables, queued after the settings.
template <typename Core>
void WriteKeysAndMacros(Core& core, const QString& folder, StandaloneDevice::Done done) {
  if (core.DownloadMacros(core.CollectUsedMacros(), folder, Told("the macros")) == -1)
    platform::DebugOutput("travixctl: the macros do not fit the device's memory");
  core.WriteKeyTables(0, core.KeyList(), std::move(done));
}

class StandaloneKeyboard : public StandaloneDevice {
 public:
  StandaloneKeyboard() : StandaloneDevice(kKeyboardRow) {}
  DeviceCore& Core() override { return core_; }
  void ReadSettings(std::function<void(bool)> done) override {
    core_.ReadFirstContact([this, done = std::move(done)] { done(core_.FirstContactComplete()); });
  }
  std::vector<std::string> ModeIds() const override { return core_.ModeList().names; }
  bool HostDriven(int mode) const override {
    return mode == lighting::kAudioModeValue || mode == lighting::kScreenModeValue;
  }
  KeyedDeviceCore* Keys() override { return &core_; }
  void WriteKeys(Done done) override { WriteKeysAndMacros(core_, Files().Folder(), std::move(done)); }
  void SetLightInfo(const LightWords& words) override { core_.SetLightInfo(words); }
  void SaveProfile() override { core_.SaveProfile(); }
  void LoadProfileState() override { core_.LoadProfileState(); }
  void WriteSettings(Done done) override { core_.WriteParameterBlock(0, 0, std::move(done)); }
  void WriteWholeProfile(Done done) override {
    WriteSettings(std::move(done));
    WriteKeys(Told("the key tables"));
    core_.WriteColourTable(Told("the colour table"));
  }

 protected:
  void GiveProfileFiles() override {
    core_.LoadLightLists(ModeFile(), TableIndex(Kind()), Files().File(QLatin1String(macros::kMacroListFile)));
    core_.SetProfileFiles(Files().DefaultProfilePath(), Files().ProfilePath(ProfileId()),
                          Files().LightConfigPath());
  }

 private:
  KeyboardCore core_;
};

class StandaloneMouse : public StandaloneDevice {
 public:
  StandaloneMouse() : StandaloneDevice(kMouseRow) {}
  DeviceCore& Core() override { return core_; }
  MouseCore* Mouse() override { return &core_; }
  void ReadSettings(std::function<void(bool)> done) override {
    core_.ReadFirstContact([this, done = std::move(done)](bool) { done(core_.FirstContactComplete()); });
  }
  std::vector<std::string> ModeIds() const override { return core_.ModeList().names; }
  bool HostDriven(int /*mode*/) const override { return false; }
  KeyedDeviceCore* Keys() override { return &core_; }
  void WriteKeys(Done done) override { WriteKeysAndMacros(core_, Files().Folder(), std::move(done)); }
  void SetLightInfo(const LightWords& words) override { core_.SetLightInfo(words); }
  void SaveProfile() override { core_.SaveProfile(); }
  void LoadProfileState() override { core_.LoadProfileState(); }
  void WriteSettings(Done done) override {
    // The screen's size stays what the program wrote last: there is no
    // screen to measure here.
    using Parameters = protocol::MouseParameters;
    const MouseCore::Block last = core_.LastBlock();
    mouse::BlockFrame frame;
    frame.screenWidth = static_cast<uint16_t>(last[Parameters::kScreenWidthOffset] |
                                              last[Parameters::kScreenWidthOffset + 1] << 8);
    frame.screenHeight = static_cast<uint16_t>(last[Parameters::kScreenHeightOffset] |
                                               last[Parameters::kScreenHeightOffset + 1] << 8);
    core_.WriteParameterBlock(0, frame, std::move(done));
  }
  void WriteWholeProfile(Done done) override {
    WriteSettings(std::move(done));
    WriteKeys(Told("the key tables"));
  }

 protected:
  void GiveProfileFiles() override {
    core_.LoadLightLists(ModeFile(), TableIndex(Kind()), Files().File(QLatin1String(macros::kMacroListFile)));
    core_.SetProfileFiles(Files().DefaultProfilePath(), Files().ProfilePath(ProfileId()),
                          Files().LightConfigPath());
  }

 private:
  MouseCore core_;
};

// The pad; the headset shares its lighting side but is never read here.
class StandaloneLighting : public StandaloneDevice {
 public:
  explicit StandaloneLighting(int kind, std::unique_ptr<PadCore> core)
      : StandaloneDevice(kind), core_(std::move(core)) {}
  DeviceCore& Core() override { return *core_; }
  void ReadSettings(std::function<void(bool)> done) override {
    if (Kind() != kPadRow) {
      done(false);
      return;
    }
    core_->ReadFirstContact(std::move(done));
  }
  std::vector<std::string> ModeIds() const override { return core_->ModeList().names; }
  // The headset's lights are drawn by the program in every mode.
  bool HostDriven(int /*mode*/) const override { return Kind() != kPadRow; }
  void SetLightInfo(const LightWords& words) override { core_->SetLightInfo(words); }
  void SaveProfile() override { core_->SaveProfile(); }
  void LoadProfileState() override { core_->LoadProfileState(); }
  void WriteSettings(Done done) override { core_->WriteParameterBlock(0, std::move(done)); }

 protected:
  void GiveProfileFiles() override {
    core_->LoadLightLists(ModeFile(), TableIndex(Kind()));
    core_->SetProfileFiles(Files().DefaultProfilePath(), Files().ProfilePath(ProfileId()),
                           Files().LightConfigPath());
  }

 private:
  std::unique_ptr<PadCore> core_;
};

}  // namespace

std::unique_ptr<StandaloneDevice> StandaloneDevice::Create(int kind) {
  switch (kind) {
    case kMouseRow:
      return std::make_unique<StandaloneMouse>();
    case kKeyboardRow:
      return std::make_unique<StandaloneKeyboard>();
    case kPadRow:
      return std::make_unique<StandaloneLighting>(kind, std::make_unique<PadCore>(lighting::kKindMousePad));
    default:
      return std::make_unique<StandaloneLighting>(kind, std::make_unique<HeadsetCore>());
  }
}

StandaloneDevice::StandaloneDevice(int kind)
    : kind_(kind),
      files_(QString::fromUtf8(DeviceTables::Kinds()[static_cast<size_t>(kind)].KindName.data(),
                               static_cast<qsizetype>(DeviceTables::Kinds()[static_cast<size_t>(kind)].KindName.size())),
             QString::fromUtf8(DeviceTables::Pages()[static_cast<size_t>(kind)].LightConfigName.data(),
                               static_cast<qsizetype>(DeviceTables::Pages()[static_cast<size_t>(kind)].LightConfigName.size()))) {}

StandaloneDevice::~StandaloneDevice() = default;

QString StandaloneDevice::Word() const {
  static const char* const kWords[] = {"mouse", "keyboard", "pad", "headset"};
  return QLatin1String(kWords[kind_]);
}

void StandaloneDevice::LoadFiles() {
  profiles_ = std::make_unique<ProfileList>(files_.Folder(), files_.DefaultProfilePath(),
                                            DeviceTables::Kinds()[static_cast<size_t>(kind_)].DeviceType);
  profiles_->Init();
  profileId_ = profiles_->SelectedId();
  GiveProfileFiles();
}

void StandaloneDevice::FollowSelectedProfile() {
  profiles_->Count();  // the file is the authority
  profileId_ = profiles_->SelectedId();
  GiveProfileFiles();
  LoadProfileState();
}

void StandaloneDevice::WriteWholeProfile(Done done) { WriteSettings(std::move(done)); }

}  // namespace travixctl
