#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>

#include "app/DevicePageSet.h"
#include "app/HeadsetAudioCommands.h"
#include "devices/CVarnisRO6533Device.h"
#include "headset/AudioLibrary.h"
#include "headset/EqPresets.h"
#include "profiles/JsonFile.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"
#include "ui/CMagicControlUI.h"
#include "ui/CVoice6533ControlUI.h"

using namespace toolkit;
using headset::AudioLibrary;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

using Flow = AudioLibrary::Flow;

// The headset page's audio panels against our audio library in its
// state-file mode (no sound server), through the main window's routes.
class HeadsetAudio : public testing_support::SimulatedMainWindow {
 protected:
  void SetUp() override {
    SimulatedMainWindow::SetUp();
    state_ = runtime_.path() + "/conflib.json";
    setenv("TRAVIX_CONFLIB_STATE", state_.toUtf8().constData(), 1);
    unsetenv("TRAVIX_CONFLIB_FAIL");
    CVarnisRO6533Device::SetAudioLibraryPath(TRAVIX_SDK_DIR "/libosConfLib.so");
  }
  void TearDown() override {
    SimulatedMainWindow::TearDown();
    unsetenv("TRAVIX_CONFLIB_STATE");
    unsetenv("TRAVIX_CONFLIB_FAIL");
    CVarnisRO6533Device::SetAudioLibraryPath({});
  }
  void Fail(const char* what) { setenv("TRAVIX_CONFLIB_FAIL", what, 1); }
  void Start() {
    ASSERT_TRUE(simulator_->Plug("headset"));
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    window_->HeadsetAudio().SetTeller(
        [this](const QString& text, bool) { told_.push_back(text.toStdString()); });
    ASSERT_TRUE(RunUntil([&] {
      const auto& list = window_->Pages().Devices(DevicePageSet::Headset);
      headset_ = list.empty() ? nullptr : qobject_cast<CVarnisRO6533Device*>(list.front());
      return headset_ != nullptr && headset_->Commands.IsOpen &&
             headset_->Core().LightThread().IsRunning() && headset_->Core().IsIdle();
    })) << "the headset was never read";
    window_->Pages().ShowDevicePage(DevicePageSet::Headset, true, true);
    ASSERT_EQ(window_->CurrentDevice(), headset_);
    Settle();
    ASSERT_NE(headset_->AudioPanel(), nullptr);
    ASSERT_NE(headset_->VoicePanel(), nullptr);
    if (!library_.IsLoaded()) {
      ASSERT_TRUE(library_.Load(TRAVIX_SDK_DIR "/libosConfLib.so", ""));
    }
    ASSERT_TRUE(library_.Initialise().hasDevice);
  }
  void Settle() {
    RunFor(10);
    ASSERT_TRUE(RunUntil([&] { return headset_->Core().IsIdle(); }));
  }
  template <typename T>
  T* Control(const QString& name) {
    auto* control = headset_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  void Pick(const QString& option) {
    Control<COptionUI>(option)->Activate();
    Settle();
  }
  void Slide(const QString& slider, int value) {
    Control<CSliderUI>(slider)->SetValue(value, true);
    Settle();
  }
  void SaveCurve(const QString& name) {
    Control<CEditUI>("custom_eq_name_edit")->SetText(name);
    Control<CButtonUI>("hs_EQ_btn_save")->Activate();
    Settle();
  }
  Json::Value Section() { return JsonFile().ReadJson(headset_->ProfilePath())["Device"][0]; }
  int Stage(const char* key) { return Section()["SystemSetStages"][key].asInt(); }
  std::vector<int> LibraryBands() {
    static const std::u16string_view kNames[] = {
        u"EQ_Slider1", u"EQ_Slider2", u"EQ_Slider3", u"EQ_Slider4", u"EQ_Slider5",
        u"EQ_Slider6", u"EQ_Slider7", u"EQ_Slider8", u"EQ_Slider9", u"EQ_Slider10"};
    std::vector<int> bands;
    for (std::u16string_view name : kNames)
      bands.push_back(library_.ReadInt(Flow::Render, name).value_or(-99));
    return bands;
  }
  std::vector<int> PanelBands() {
    std::vector<int> bands;
    for (int i = 0; i < 10; ++i)
      bands.push_back(headset_->AudioPanel()->GetBand(i));
    return bands;
  }
  static QString Eq(int n) { return QStringLiteral("6533_eq_option_%1").arg(n); }
  static QString Band(int n) { return QStringLiteral("6533_eq_hz_slider_%1").arg(n); }

  QString state_;
  AudioLibrary library_;
  CVarnisRO6533Device* headset_ = nullptr;
  std::vector<std::string> told_;
};

std::vector<int> Curve(int preset) {
  const auto curve = headset::EqPreset(preset);
  return {curve->begin(), curve->end()};
}

}  // namespace

// A preset writes its bands and is stored; a band moved under a preset shows
// an unsaved custom curve, is written, and leaves the profile's equaliser
// alone, also when something else is stored afterwards.
TEST_F(HeadsetAudio, PresetsAreStoredAndMovedBandsOnlyWritten) {
  Start();
  Pick(Eq(6));
  EXPECT_EQ(LibraryBands(), Curve(6));
  Pick(Eq(5));
  EXPECT_EQ(LibraryBands(), std::vector<int>(10, 0));
  EXPECT_EQ(library_.ReadInt(Flow::Render, u"Enable_EQ_GFX"), 1);
  EXPECT_EQ(Stage("EqType"), 5);
  EXPECT_EQ(PanelBands(), std::vector<int>(10, 0));

  Pick(Eq(2));
  EXPECT_EQ(LibraryBands(), Curve(2));
  EXPECT_EQ(PanelBands(), Curve(2));
  Slide(Band(3), 7);
  EXPECT_TRUE(Control<COptionUI>(Eq(13))->IsSelected());
  EXPECT_FALSE(Control<COptionUI>(Eq(2))->IsSelected());
  EXPECT_EQ(headset_->AudioPanel()->GetCustomSelection(), -1);
  EXPECT_EQ(library_.ReadInt(Flow::Render, u"EQ_Slider4"), 7);
  EXPECT_EQ(Stage("EqType"), 2);
  // A microphone change stores the state: the equaliser stays preset 2.
  Slide("6533_MicIn_slider", 40);
  EXPECT_EQ(Stage("MicInValue"), 40);
  EXPECT_EQ(Stage("EqType"), 2);
}

// Custom curves: saved under a new name (becoming the equaliser), refused
// under a name already there, at most twenty; deleting one moves the later
// curves down with their bands; deleting the last returns to preset 1.
TEST_F(HeadsetAudio, CustomCurvesAreSavedRefusedAndDeletedWithTheirBands) {
  Start();
  Pick(Eq(3));
  for (int i = 0; i < 3; ++i) {
    Slide(Band(0), i + 1);
    SaveCurve(QStringLiteral("Curve %1").arg(i));
  }
  auto* combo = Control<CComboUI>("custom_eq_name_combo");
  ASSERT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetCurSel(), 2);
  EXPECT_EQ(Stage("EqType"), 13);
  EXPECT_EQ(Stage("CustomEqSeletIndex"), 2);
  EXPECT_EQ(Section()["CustomEQHzValueInfo"][1][0]["value"].asInt(), 2);

  SaveCurve("curve 1");
  EXPECT_EQ(told_, std::vector<std::string>{"message_text_5"});
  EXPECT_EQ(combo->GetCount(), 3);

  // Delete the middle one: "Curve 2" keeps its own bands.
  combo->SelectItem(1, false, true);
  Settle();
  Control<CButtonUI>("hs_EQ_btn_delete")->Activate();
  Settle();
  ASSERT_EQ(combo->GetCount(), 2);
  EXPECT_EQ(combo->GetItemAt(1)->GetText(), "Curve 2");
  EXPECT_EQ(Section()["CustomEQNameInfo"][1]["Name"].asString(), "Curve 2");
  EXPECT_EQ(Section()["CustomEQHzValueInfo"][1][0]["value"].asInt(), 3);
  EXPECT_EQ(combo->GetCurSel(), 0);
  EXPECT_EQ(headset_->AudioPanel()->GetBand(0), 1);
  EXPECT_EQ(library_.ReadInt(Flow::Render, u"EQ_Slider1"), 1) << "the headset plays the curve shown";

  for (int left = 2; left > 0; --left) {
    combo->SelectItem(0, false, true);
    Settle();
    Control<CButtonUI>("hs_EQ_btn_delete")->Activate();
    Settle();
  }
  EXPECT_EQ(combo->GetCount(), 0);
  EXPECT_TRUE(Control<COptionUI>(Eq(1))->IsSelected());
  EXPECT_EQ(Stage("EqType"), 1);
  CRo6533Profiledata& profile = headset_->Headset().HeadsetProfile();
  EXPECT_EQ(PanelBands(), profile.GetEqValues(1));

  // Twenty curves at most: the 21st is dropped without a word.
  told_.clear();
  for (int i = 0; i < 21; ++i)
    SaveCurve(QStringLiteral("Set %1").arg(i));
  EXPECT_EQ(combo->GetCount(), 20);
  EXPECT_TRUE(told_.empty());
}

// The microphone and monitoring reach the library; a write the library
// refuses leaves the state and the profile as they were.
TEST_F(HeadsetAudio, MicrophoneChangesAreStoredOnlyWhenTheLibraryTakesThem) {
  Start();
  EXPECT_EQ(Stage("MicInSelect"), 1);
  Pick("6533_MicIn_option");
  EXPECT_EQ(library_.ReadInt(Flow::Capture, u"MuteControl"), 1);
  EXPECT_EQ(Stage("MicInSelect"), 0);
  Slide("6533_MicMoniter_slider", 53);
  EXPECT_EQ(headset::VolumeToSlider(
                library_.ReadVolume(Flow::Capture, u"AAVolumeScalarControl", AudioLibrary::Parameter{0})
                    .value_or(-1)),
            53);
  EXPECT_EQ(Stage("MicMoniterValue"), 53);

  Fail("write");
  Pick("6533_MicIn_option");
  EXPECT_EQ(Stage("MicInSelect"), 0) << "refused: still muted";
  Slide("6533_MicIn_slider", 10);
  EXPECT_NE(Stage("MicInValue"), 10);
}

// The voice changer: the switch and the voice reach the library and the
// profile.
TEST_F(HeadsetAudio, TheVoiceChangerSwitchAndVoice) {
  Start();
  auto* area = Control<CControlUI>("magic_option_layout");
  Pick("magic_enable_option");
  EXPECT_EQ(library_.ReadInt(Flow::Capture, u"Enable_MAGICVOICE"), 1);
  EXPECT_EQ(library_.ReadInt(Flow::Capture, u"Enable_MICECHO"), 0);
  EXPECT_EQ(Stage("MagicEnable"), 1);
  EXPECT_TRUE(area->IsEnabled());
  Pick("magic_option_3");
  EXPECT_EQ(library_.ReadInt(Flow::Capture, u"MagicVoice_Selection"), 2);
  EXPECT_EQ(Stage("MagicType"), 3);
  Pick("magic_enable_option");
  EXPECT_EQ(Stage("MagicEnable"), 0);
  EXPECT_FALSE(area->IsEnabled());
}

// At start the library's microphone wins over the profile's; a profile with
// custom curve 2 of three shows the custom area with that curve's bands.
TEST_F(HeadsetAudio, TheStartShowsTheLibrarysMicrophoneAndTheProfilesEqualiser) {
  ASSERT_TRUE(library_.Load(TRAVIX_SDK_DIR "/libosConfLib.so", ""));
  ASSERT_TRUE(library_.Initialise().hasDevice);
  ASSERT_TRUE(library_.WriteVolume(Flow::Capture, u"VolumeScalarControl", 0.37f,
                                   AudioLibrary::Parameter{-1}));
  Start();
  EXPECT_EQ(headset_->AudioPanel()->GetMicrophoneValue(), 37);

  JsonFile file;
  Json::Value document = file.ReadJson(headset_->ProfilePath());
  Json::Value& section = document["Device"][0];
  section["SystemSetStages"]["EqType"] = 13;
  section["SystemSetStages"]["CustomEqSeletIndex"] = 2;
  for (const char* name : {"A", "B", "C"})
    section["CustomEQNameInfo"].append(Json::Value(Json::objectValue))["Name"] = name;
  for (int slot = 0; slot < 3; ++slot)
    for (int band = 0; band < 10; ++band)
      section["CustomEQHzValueInfo"][slot][band]["value"] = slot * 3 + band % 3;
  ASSERT_EQ(file.WriteJson(headset_->ProfilePath(), document), 0);
  headset_->LoadProfileState();
  headset_->RefreshView();
  EXPECT_TRUE(Control<COptionUI>(Eq(13))->IsSelected());
  EXPECT_TRUE(Control<CControlUI>("custom_eq_option_layout")->IsEnabled());
  EXPECT_EQ(Control<CComboUI>("custom_eq_name_combo")->GetCurSel(), 2);
  EXPECT_EQ(PanelBands(), (std::vector<int>{6, 7, 8, 6, 7, 8, 6, 7, 8, 6}));

  // Type 0 shows preset 1 as the profile keeps it.
  section["SystemSetStages"]["EqType"] = 0;
  ASSERT_EQ(file.WriteJson(headset_->ProfilePath(), document), 0);
  headset_->LoadProfileState();
  headset_->RefreshView();
  EXPECT_EQ(PanelBands(), headset_->Headset().HeadsetProfile().GetEqValues(1));
  EXPECT_FALSE(Control<CControlUI>("custom_eq_option_layout")->IsEnabled());

  // A custom index beyond the curves falls to the first curve.
  section["SystemSetStages"]["EqType"] = 13;
  section["SystemSetStages"]["CustomEqSeletIndex"] = 99;
  ASSERT_EQ(file.WriteJson(headset_->ProfilePath(), document), 0);
  headset_->LoadProfileState();
  headset_->RefreshView();
  EXPECT_EQ(Control<CComboUI>("custom_eq_name_combo")->GetCurSel(), 0);
  EXPECT_EQ(PanelBands(), (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 0}));
}

// A skin without a band or monitor slider: nothing is written as -1.
TEST_F(HeadsetAudio, AMissingSliderIsSkippedNeverWrittenAsMinusOne) {
  Start();
  Pick(Eq(2));
  delete Control<CSliderUI>(Band(9));
  delete Control<CSliderUI>("6533_MicMoniter_slider");
  ASSERT_EQ(headset_->AudioPanel()->GetBand(9), -1);
  SaveCurve("Short");
  EXPECT_EQ(Section()["CustomEQHzValueInfo"][0][9]["value"].asInt(), Curve(2)[9]);
  const int monitor = Stage("MicMoniterValue");
  headset_->OnInputVolume(HeadsetCore::Input::Monitor);
  Settle();
  EXPECT_EQ(Stage("MicMoniterValue"), monitor);
}

// A library that fails to start is reported once, and the page still works
// from the profile.
TEST_F(HeadsetAudio, ALibraryThatFailsToStartIsReported) {
  Fail("init");
  Start();
  EXPECT_EQ(told_, std::vector<std::string>{HeadsetAudioCommands::kInitFailedText});
  Pick(Eq(4));
  EXPECT_EQ(Stage("EqType"), 4);
}
