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

#include "platform/DataFolders.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CRo6533Profiledata.h"

namespace {

// One scratch folder for the whole run, in memory where there is a tmpfs.
struct Scratch {
  Scratch() {
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray pattern = QFile::encodeName(base + "/profile_fuzzer.XXXXXX");
    const char* made = ::mkdtemp(pattern.data());
    if (made == nullptr)
      std::abort();
    folder = QFile::decodeName(made) + "/";
    QDir().mkpath(folder + "DefaultData");
    // The templates and shipped effect files are looked up here, not beside
    // the fuzzer.
    platform::DataFolders::SetProgramDir(folder);
    templatePath = folder + "DefaultData/keyboard.Json";
    QFile file(templatePath);
    file.open(QIODevice::WriteOnly);
    file.write(R"({"Device": [{"LightInfo": {"Red": 1}, "KeyList": [{"DefaultAssignment": 4}]}]})");
  }
  // Only the folder mkdtemp made is removed.
  ~Scratch() { QDir(folder).removeRecursively(); }
  void Put(const QString& name, const QByteArray& bytes) const {
    QFile file(folder + name);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
  }
  QString folder;
  QString templatePath;
};

// Loads the bytes (written afresh: a load may have replaced them) and runs
// the getters every device kind shares, then writes back what they gave.
void Common(CBasicProfiledata& data, const Scratch& scratch, const QByteArray& bytes) {
  scratch.Put("profile.Json", bytes);
  const QString path = scratch.folder + "profile.Json";
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
  static const Scratch scratch;
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
  pad.SaveOtherProfile(scratch.folder + "other.Json");
  pad.Save();
  return 0;
}
