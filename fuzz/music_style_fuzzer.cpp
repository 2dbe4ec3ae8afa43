// libFuzzer target for the music style file ("AudioFile.json"): arbitrary
// bytes as the file, loaded, saved and loaded again:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target music_style_fuzzer
//   build/fuzz/bin/music_style_fuzzer fuzz/corpus/music_style
//
// What must hold: the group in use is 0..3 and every name is shown (a blank
// one reads as the group's default name); a save succeeds and reads back as
// the same styles, keeping what else the file held; the recorder's record
// carries the group's colour with a green of at least 1.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "JsonSupport.h"
#include "profiles/JsonFile.h"
#include "settings/MusicStyleFile.h"

namespace {

constexpr const char* kKnownKeys[] = {"nAudioStyle", "nStyleName1", "nStyleName2", "nStyleName3", "nStyleName4",
                                      "nStyleR0",    "nStyleG0",    "nStyleB0",    "nStyleR1",    "nStyleG1",
                                      "nStyleB1",    "nStyleR2",    "nStyleG2",    "nStyleB2",    "nStyleR3",
                                      "nStyleG3",    "nStyleB3"};

bool Known(const std::string& key) {
  for (const char* known : kKnownKeys)
    if (key == known)
      return true;
  return false;
}

// Every member of `before` that the styles do not name is in `after` as it was.
void CheckKept(const Json::Value& before, const Json::Value& after, bool insideInfo) {
  if (!before.isObject())
    return;
  for (const std::string& key : before.getMemberNames()) {
    if (insideInfo ? Known(key) : key == "AudioLightInfo")
      continue;
    FUZZ_CHECK(after.isMember(key) && after[key] == before[key]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("music_style_fuzzer");
  scratch.Clear();
  scratch.Put(MusicStyleFile::kFileName, std::span(data, size));
  const QString path = scratch.Path(MusicStyleFile::kFileName);
  // What the file held, as a write gives it back.
  const Json::Value document = fuzz::AsWritten(JsonFile().ReadJson(path));

  const MusicStyle style = MusicStyleFile::Load(path);
  FUZZ_CHECK(style.nAudioStyle >= 0 && style.nAudioStyle < MusicStyle::kGroupCount);
  for (int group = 0; group < MusicStyle::kGroupCount; ++group)
    FUZZ_CHECK(!style.names[group].trimmed().isEmpty());

  FUZZ_CHECK(MusicStyleFile::Save(path, style));
  FUZZ_CHECK(MusicStyleFile::Load(path) == style);
  const Json::Value saved = JsonFile().ReadJson(path);
  CheckKept(document, saved, false);
  if (document.isObject() && document["AudioLightInfo"].isObject())
    CheckKept(document["AudioLightInfo"], saved["AudioLightInfo"], true);

  const auto record = MusicStyleFile::RecorderColourRecord(style);
  const MusicGroupColour& colour = style.colours[style.nAudioStyle];
  FUZZ_CHECK(record[0] == colour.red && record[4] == (colour.green == 0 ? 1 : colour.green) &&
             record[8] == colour.blue);
  for (size_t i = 0; i < record.size(); ++i)
    if (i != 0 && i != 4 && i != 8)
      FUZZ_CHECK(record[i] == 0);
  return 0;
}
