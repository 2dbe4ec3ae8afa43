// libFuzzer target for the colour dialog's swatches
// ("color_option_info.config"): arbitrary bytes as the user's file, then as
// the template read when the user's file is missing; each loaded, saved and
// loaded again:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target colour_swatches_fuzzer
//   build/fuzz/bin/colour_swatches_fuzzer fuzz/corpus/colour_swatches
//
// What must hold: every colour read is opaque, an empty collected place
// shows the empty colour, a selection is -1..19; a template that is used
// becomes the user's file; both sets save and read back unchanged; a colour
// formatted reads back as itself.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"
#include "settings/ColourSwatches.h"

namespace {

void CheckRanges(const ColourSwatches& swatches) {
  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    if (const auto preset = swatches.Preset(i)) {
      FUZZ_CHECK((*preset >> 24) == 0xFF);
      FUZZ_CHECK(ColourSwatches::ParseColour(ColourSwatches::FormatColour(*preset)) == preset);
    }
    const ColourSwatches::CollectedSwatch& place = swatches.Collected(i);
    if (place.IsFilled())
      FUZZ_CHECK((place.Colour >> 24) == 0xFF);
    else
      FUZZ_CHECK(place.Colour == ColourSwatches::kEmptyColour);
  }
  FUZZ_CHECK(!swatches.Preset(-1) && !swatches.Preset(ColourSwatches::kCount));
  FUZZ_CHECK(swatches.SelectedPreset() >= -1 && swatches.SelectedPreset() < ColourSwatches::kCount);
  FUZZ_CHECK(swatches.SelectedCollected() >= -1 && swatches.SelectedCollected() < ColourSwatches::kCount);
}

// The same colours and selections. `exactly`: the places' user data too,
// not only whether they hold a colour (text that is not UTF-8 reads as
// replacement characters, and is written back as those).
bool Same(const ColourSwatches& a, const ColourSwatches& b, bool exactly) {
  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    if (a.Preset(i) != b.Preset(i) || a.Collected(i).Colour != b.Collected(i).Colour ||
        a.Collected(i).IsFilled() != b.Collected(i).IsFilled() ||
        (exactly && a.Collected(i).UserData != b.Collected(i).UserData))
      return false;
  }
  return a.SelectedPreset() == b.SelectedPreset() && a.SelectedCollected() == b.SelectedCollected();
}

// Loads with the user's file and the template as they stand, then saves both
// sets and loads again.
void Trip(const QString& user, const QString& templateFile) {
  const bool userUsable = jsonvalue::Member(JsonFile().ReadJson(user), "coloroptioninfo").isObject();
  const bool templateUsable =
      jsonvalue::Member(JsonFile().ReadJsonFollowingLinks(templateFile), "coloroptioninfo").isObject();
  ColourSwatches swatches = ColourSwatches::Load(user, templateFile);
  CheckRanges(swatches);
  FUZZ_CHECK(swatches.CameFromTemplate() == (!userUsable && templateUsable));
  if (!userUsable && !templateUsable)
    return;  // neither file could be read: nothing is written until a save
  if (swatches.CameFromTemplate())
    FUZZ_CHECK(Same(swatches, ColourSwatches::Load(user, QString()), false));
  FUZZ_CHECK(swatches.SavePresets());
  FUZZ_CHECK(swatches.SaveCollected());
  const ColourSwatches again = ColourSwatches::Load(user, QString());
  FUZZ_CHECK(!again.CameFromTemplate());
  FUZZ_CHECK(Same(swatches, again, true));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("colour_swatches_fuzzer");
  const QString user = scratch.Path(ColourSwatches::kFileName);
  const QString templateFile = scratch.Path("template.config");
  // The bytes as the user's file, with no template.
  scratch.Clear();
  scratch.Put(ColourSwatches::kFileName, std::span(data, size));
  Trip(user, templateFile);
  // The bytes as the template, the user's file missing.
  scratch.Clear();
  scratch.Put("template.config", std::span(data, size));
  Trip(user, templateFile);
  return 0;
}
