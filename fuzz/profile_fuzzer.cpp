// libFuzzer target for the profile data: arbitrary bytes as a profile file
// (and as the light configuration and effect file it names) through
// LoadProfile and every getter of the four profile classes, then the setters
// fed with what the getters returned and a save:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target profile_fuzzer
//   build/fuzz/bin/profile_fuzzer fuzz/corpus/profile
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "platform/DataFolders.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CRo6533Profiledata.h"

namespace {

// The scratch folder, with the keyboard template the profiles fall back on.
struct Folders {
  Folders() : scratch("profile_fuzzer") {
    QDir().mkpath(scratch.Path("DefaultData"));
    // The templates and shipped effect files are looked up here, not beside
    // the fuzzer.
    platform::DataFolders::SetProgramDir(scratch.Folder());
    templatePath = scratch.Path("DefaultData/keyboard.Json");
    const char kTemplate[] = R"({"Device": [{"LightInfo": {"Red": 1}, "KeyList": [{"DefaultAssignment": 4}]}]})";
    scratch.Put("DefaultData/keyboard.Json", std::span(reinterpret_cast<const uint8_t*>(kTemplate), sizeof kTemplate - 1));
  }
  void Put(const QString& name, const QByteArray& bytes) const {
    scratch.Put(name, std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
  }
  fuzz::Scratch scratch;
  QString templatePath;
};

// Loads the bytes (written afresh: a load may have replaced them) and runs
// the getters every device kind shares, then writes back what they gave.
void Common(CBasicProfiledata& data, const Folders& scratch, const QByteArray& bytes) {
  scratch.Put("profile.Json", bytes);
  const QString path = scratch.scratch.Path("profile.Json");
  data.SetDefaultProfilePath(scratch.templatePath);
  data.SetProfilePath(path);
  data.SetDeviceIndex(0);
  data.LoadProfile(path);
  const LightInfo light = data.GetLightInfo();
  const AudioLightInfo audio = data.GetAudioLightInfo();
  data.GetLightList();
  data.LoadLightConfig(path);
  data.GetLightEffectSteps();
  const std::vector<KeyListEntry> keys = data.GetKeyList();
  data.LoadOtherProfile(path);
  data.SetOtherKeyList(data.GetOtherKeyList());
  data.SetLightInfo(light);
  data.SetAudioLightInfo(audio);
  data.SetKeyList(keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Folders scratch;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  // A configuration naming Guid "a" finds the same bytes as its effect file.
  scratch.Put("a.light", bytes);

  CKeyboardProfiledata keyboard;
  Common(keyboard, scratch, bytes);
  const CKeyboardProfiledata::SystemWords system = keyboard.GetKeyboardSystem();
  keyboard.SetFnKeysetFlag(keyboard.GetFnKeysetFlag());
  const int group = keyboard.GetCustomLightGroupIndex();
  keyboard.SetCustomLightColors(keyboard.GetCustomLightColors(group, 8), group);
  keyboard.GetCustomLightColors(keyboard.GetLightInfo().CustomGroup, 130);
  keyboard.SetKeyboardSystem(system[0], system[1], system[2], system[3]);
  keyboard.Save();

  CMouseProfiledata mouse;
  Common(mouse, scratch, bytes);
  mouse.SetDpiStages(mouse.GetDpiStages());
  mouse.SetActiveDpiStage(mouse.GetActiveDpiStage());
  const CMouseProfiledata::SystemWords words = mouse.GetMouseSystem();
  mouse.SetMouseSystem(words[0], words[1], words[2]);
  mouse.GetCorrectInfo();
  mouse.Save();

  CRo6533Profiledata headset;
  Common(headset, scratch, bytes);
  const HeadsetSystem audio = headset.GetHeadsetSystem();
  headset.SetHeadsetSystem(audio);
  headset.SetEqValues(audio.EqType, headset.GetEqValues(audio.EqType));
  headset.SetCustomEqValues(audio.CustomEqSelectIndex, headset.GetCustomEqValues(audio.CustomEqSelectIndex));
  headset.SetCustomEqNames(headset.GetCustomEqNames());
  headset.Save();

  CBasicProfiledata pad;
  Common(pad, scratch, bytes);
  pad.SaveOtherProfile(scratch.scratch.Path("other.Json"));
  pad.Save();
  return 0;
}
