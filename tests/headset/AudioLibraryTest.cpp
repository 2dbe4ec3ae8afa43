#include <gtest/gtest.h>

#include <dlfcn.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "headset/AudioLibrary.h"
#include "headset/EqPresets.h"
#include "headset/HeadsetStateReader.h"

namespace {

using headset::AudioLibrary;
using Flow = AudioLibrary::Flow;

// The binding against a stand-in library whose endpoints and answers each
// test sets.
class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.Load(TRAVIX_FAKE_CONFLIB, ""));
    handle_ = dlopen(TRAVIX_FAKE_CONFLIB, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle_, nullptr);
    reinterpret_cast<void (*)()>(dlsym(handle_, "FakeReset"))();
  }
  void TearDown() override {
    if (handle_ != nullptr)
      dlclose(handle_);
    unsetenv("TRAVIX_FAKE_CONFLIB");
  }
  void Set(const std::string& settings) { setenv("TRAVIX_FAKE_CONFLIB", settings.c_str(), 1); }
  std::string TakeLog() {
    return reinterpret_cast<const char* (*)()>(dlsym(handle_, "FakeTakeLog"))();
  }

  AudioLibrary library_;
  void* handle_ = nullptr;
};

}  // namespace

// The render endpoint is the first of kind 1, even after one of kind 4;
// then kinds 12, 7 and 4 in that order; only with attribute 4 set.
TEST_F(Binding, TheRenderEndpointIsChosenByKindInItsOrder) {
  Set("render=4/1,1/0,1/1;capture=3,2");
  AudioLibrary::InitReport report = library_.Initialise();
  ASSERT_TRUE(report.hasDevice);
  EXPECT_EQ(library_.Endpoint(Flow::Render).id, 3u);
  EXPECT_EQ(library_.Endpoint(Flow::Capture).id, 5u) << "the first of kind 2";

  Set("render=4/1,7/1,12/0;capture=2");
  ASSERT_TRUE(library_.SelectEndpoints());
  EXPECT_EQ(library_.Endpoint(Flow::Render).kind, 7u);

  // No render device: nothing chosen and no property touched.
  Set("capture=2");
  TakeLog();
  report = library_.Initialise();
  EXPECT_FALSE(report.hasDevice);
  EXPECT_EQ(TakeLog(), "");
}

// The start: ConfLibInit's failure is reported and the rest goes on; a
// short feature list is reported and leaves the words; every property is
// probed and one that cannot be read is written as 0 (with its parameter).
TEST_F(Binding, InitialisationReportsFaultsAndProbesEveryProperty) {
  Set("init=3;render=1/1;capture=2;features=1,2,3;fail=Enable_RFX_GFX,VolumeScalarControl");
  const AudioLibrary::InitReport report = library_.Initialise();
  EXPECT_TRUE(report.loaded);
  EXPECT_TRUE(report.initFailed);
  EXPECT_TRUE(report.featuresShort);
  EXPECT_FALSE(library_.HasVoiceChanger());
  const std::string log = TakeLog();
  EXPECT_NE(log.find("get VirtualSurroundEffectControl@1(4)"), std::string::npos) << log;
  EXPECT_NE(log.find("get VolumeControl@2(-1)"), std::string::npos);
  EXPECT_NE(log.find("get AAVolumeControl@2(0)"), std::string::npos);
  EXPECT_NE(log.find("get EQ_Slider10@1"), std::string::npos);
  EXPECT_NE(log.find("set Enable_RFX_GFX@1=0"), std::string::npos) << "a failed probe writes 0";
  EXPECT_EQ(log.find("set Enable_EQ_GFX"), std::string::npos) << "a probe that reads writes nothing";
  EXPECT_EQ(log.find("set VolumeScalarControl"), std::string::npos)
      << "a volume that cannot be read is not silenced";

  Set("render=1/1;capture=2;features=131072,0,0,0,5,0,9");
  EXPECT_FALSE(library_.Initialise().featuresShort);
  EXPECT_TRUE(library_.HasVoiceChanger());
  EXPECT_EQ(library_.FeatureWord(Flow::Capture, 1), 5u);
  EXPECT_EQ(library_.FeatureWord(Flow::Capture, 2), 9u);
}

// The headset state read: microphone and monitor from their switches and
// scalars (rounded), the voice changer only with its feature bit, a voice
// out of range ignored, and no monitor read without a monitor.
TEST_F(Binding, TheHeadsetStateReadFollowsWhatTheLibraryHas) {
  Set("render=1/1;capture=2;MuteControl=1;VolumeScalarControl=0.53;AAMuteControl=0;"
      "AAVolumeScalarControl=0.59;Enable_MAGICVOICE=1;MagicVoice_Selection=2");
  library_.Initialise();
  HeadsetSystem state;
  state.MagicEnable = 0;
  headset::AudioSwitches switches;
  headset::ReadHeadsetState(library_, state, switches);
  EXPECT_TRUE(switches.microphoneMuted);
  EXPECT_EQ(state.MicInSelect, 0);
  EXPECT_EQ(state.MicInValue, 53) << "0.53 is 53, not 52";
  EXPECT_TRUE(switches.hasMonitor);
  EXPECT_EQ(state.MicMonitorSelect, 1);
  EXPECT_EQ(state.MicMonitorValue, 59);
  EXPECT_EQ(state.MagicEnable, 1);
  EXPECT_EQ(state.MagicType, 3);

  // No voice-changer bit: MagicEnable stays; voice 5 leaves MagicType.
  Set("render=1/1;capture=2;features=0,0,0,0,0,0,0;Enable_MAGICVOICE=1;MagicVoice_Selection=5;"
      "fail=GetAAMaxVol");
  library_.Initialise();
  TakeLog();
  HeadsetSystem kept;
  kept.MagicEnable = 0;
  kept.MagicType = 2;
  kept.MicMonitorValue = 44;
  headset::AudioSwitches none;
  headset::ReadHeadsetState(library_, kept, none);
  EXPECT_EQ(kept.MagicEnable, 0);
  EXPECT_EQ(kept.MagicType, 2);
  EXPECT_FALSE(none.hasMonitor);
  EXPECT_EQ(kept.MicMonitorValue, 44);
  const std::string log = TakeLog();
  EXPECT_EQ(log.find("AAMuteControl"), std::string::npos) << "no monitor, no monitor reads";
  EXPECT_EQ(log.find("AAVolumeScalarControl"), std::string::npos);
}

// Writes carry their value in the first four bytes: an int or a float.
TEST_F(Binding, WritesCarryIntegersAndFloats) {
  Set("render=1/1;capture=2");
  library_.Initialise();
  TakeLog();
  EXPECT_TRUE(library_.WriteInt(Flow::Render, u"EQ_Slider4", -11));
  EXPECT_TRUE(library_.WriteVolume(Flow::Capture, u"VolumeScalarControl", 0.25f, AudioLibrary::Parameter{-1}));
  const std::string log = TakeLog();
  EXPECT_NE(log.find("set EQ_Slider4@1=-11"), std::string::npos) << log;
  EXPECT_NE(log.find("set VolumeScalarControl@2(-1)=0.250000"), std::string::npos) << log;
  EXPECT_EQ(library_.ReadInt(Flow::Render, u"EQ_Slider4"), -11);
}

// The library's texts are read in the C locale whatever the user's is;
// anything else than a number reads as nothing.
TEST(LibraryTexts, NumbersParseInTheCLocaleOnly) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(AudioLibrary::ParseVolumeText("0.59"), 0.59);
  EXPECT_EQ(AudioLibrary::ParseVolumeText("0,59"), 0.0) << "stops at the comma";
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma)
    GTEST_LOG_(INFO) << "de_DE.UTF-8 is not installed: checked in the C locale only";
  EXPECT_FALSE(AudioLibrary::ParseVolumeText("loud"));
  EXPECT_EQ(AudioLibrary::ParseIntText(u"-13"), -13);
  EXPECT_FALSE(AudioLibrary::ParseIntText(u"\u0661"));
  EXPECT_FALSE(AudioLibrary::ParseFeatures("1,2,3,4,5,6"));
  EXPECT_FALSE(AudioLibrary::ParseFeatures("1,2,3,4,x,6,7"));
  EXPECT_EQ(headset::VolumeToSlider(1.7), 100);
  EXPECT_EQ(headset::VolumeToSlider(-0.2), 0);
  EXPECT_EQ(headset::EqPreset(5), headset::EqCurve{});
  EXPECT_FALSE(headset::EqPreset(13));
}

// Without the library nothing is called and nothing is reported.
TEST(LibraryMissing, NothingLoadsAndNothingIsReported) {
  AudioLibrary library;
  EXPECT_FALSE(library.Load("/nonexistent/libosConfLib.so", ""));
  const AudioLibrary::InitReport report = library.Initialise();
  EXPECT_FALSE(report.loaded);
  EXPECT_FALSE(report.initFailed);
  EXPECT_FALSE(report.hasDevice);
  EXPECT_FALSE(library.ReadInt(Flow::Capture, u"MuteControl"));
  EXPECT_FALSE(library.WriteInt(Flow::Capture, u"MuteControl", 1));
}
