// libFuzzer target for the macro files: arbitrary bytes as a device folder's
// macro list and as the macro file its first entry names, read the way the
// editor and the download read them, then saved back and packed into a
// device image:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target macro_fuzzer
//   build/fuzz/bin/macro_fuzzer fuzz/corpus/macro
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "macros/MacroActionList.h"
#include "macros/MacroImage.h"
#include "macros/MacroLibrary.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("macro_fuzzer");
  scratch.Put("macro.config", std::span(data, size));
  // An entry whose id is "a" finds the same bytes as its macro file.
  scratch.Put("a.mac", std::span(data, size));

  macros::MacroLibrary library(scratch.Folder());
  std::vector<std::vector<macros::MacroEvent>> all;
  for (size_t i = 0; i < library.Entries().size() && i < 8; ++i) {
    const macros::MacroDocument document = library.Load(i);
    macros::MacroActionList list;
    for (const macros::MacroEvent& event : document.Events)
      list.Insert(list.Count(), macros::MacroActionList::RowOf(event));
    all.push_back(document.Events);
    library.Save(i, document.Events);
  }
  const macros::MacroDocument direct = macros::ReadMacroFile(scratch.Folder() + "a.mac");
  all.push_back(direct.Events);
  std::vector<size_t> counts;
  for (const auto& events : all)
    counts.push_back(events.size());
  macros::MacroOverflow(macros::MacroImageSize(counts), 128 * 255);
  macros::BuildMacroImage(all);
  library.Create();
  return 0;
}
