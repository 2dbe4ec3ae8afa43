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

// A device with key tables and macros (the keyboard, the mouse): what the
// two do alike.
template <typename CoreType>
class StandaloneKeyed : public StandaloneDevice {
 public:
  explicit StandaloneKeyed(int kind) : StandaloneDevice(kind) {}
  DeviceCore& Core() override { return core_; }
  KeyedDeviceCore* Keys() override { return &core_; }
  std::vector<std::string> ModeIds() const override { return core_.ModeList().names; }
  void SetLightInfo(const LightWords& words) override { core_.SetLightInfo(words); }
  void SaveProfile() override { core_.SaveProfile(); }
  void LoadProfileState() override { core_.LoadProfileState(); }
  // The macros the keys use, then the key tables.
  void WriteKeys(Done done) override {
    if (core_.DownloadMacros(core_.CollectUsedMacros(), Files().Folder(), Told("the macros")) == -1)
      platform::DebugOutput("travixctl: the macros do not fit the device's memory");
    core_.WriteKeyTables(0, core_.KeyList(), std::move(done));
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

  CoreType core_;
};

class StandaloneKeyboard : public StandaloneKeyed<KeyboardCore> {
 public:
  StandaloneKeyboard() : StandaloneKeyed(kKeyboardRow) {}
  void GiveProfileFiles() override {
    core_.SetKeySlotFile(Files().File(QLatin1String(KeyboardCore::kKeySlotFile)));
    StandaloneKeyed::GiveProfileFiles();
  }
  void ReadSettings(std::function<void(bool)> done) override {
    core_.ReadFirstContact([this, done = std::move(done)] { done(core_.FirstContactComplete()); });
  }
  bool HostDriven(int mode) const override {
    return mode == lighting::kAudioModeValue || mode == lighting::kScreenModeValue;
  }
  void WriteSettings(Done done) override { core_.WriteParameterBlock(0, 0, std::move(done)); }
  void WriteWholeProfile(Done done) override {
    StandaloneKeyed::WriteWholeProfile(std::move(done));
    core_.WriteColourTable(Told("the colour table"));
  }
};

class StandaloneMouse : public StandaloneKeyed<MouseCore> {
 public:
  StandaloneMouse() : StandaloneKeyed(kMouseRow) {}
  MouseCore* Mouse() override { return &core_; }
  void ReadSettings(std::function<void(bool)> done) override {
    core_.ReadFirstContact([this, done = std::move(done)](bool) { done(core_.FirstContactComplete()); });
  }
  bool HostDriven(int /*mode*/) const override { return false; }
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
