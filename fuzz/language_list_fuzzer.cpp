// libFuzzer target for the language list ("Language.config"): arbitrary
// bytes as the list, each entry looked up by its id and its locales:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target language_list_fuzzer
//   build/fuzz/bin/language_list_fuzzer fuzz/corpus/language_list
//
// What must hold: an entry keeps a language file only when it is a plain
// ".xml" name in the skin folder; looking an entry's id up finds an entry of
// that id no later than it; a locale an entry serves finds an entry serving
// it; every index given is inside the list.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "settings/LanguageList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("language_list_fuzzer");
  scratch.Put(LanguageList::kFileName, std::span(data, size));
  const LanguageList list = LanguageList::Load(scratch.Path(LanguageList::kFileName));
  FUZZ_CHECK(list.At(-1) == nullptr && list.At(list.Count()) == nullptr);
  for (int i = 0; i < list.Count(); ++i) {
    const LanguageEntry* entry = list.At(i);
    FUZZ_CHECK(entry != nullptr);
    if (!entry->File.isEmpty()) {
      FUZZ_CHECK(LanguageList::IsPlainLanguageFile(entry->File));
      FUZZ_CHECK(!entry->File.contains(QLatin1Char('/')) && !entry->File.startsWith(QLatin1Char('.')));
    }
    const int byId = list.IndexOfId(entry->Id);
    FUZZ_CHECK(byId >= 0 && byId <= i && list.At(byId)->Id == entry->Id);
    for (const QString& locale : entry->Locales) {
      const int found = list.IndexOfLocale(locale);
      FUZZ_CHECK(found >= -1 && found < list.Count());
      // A plain locale ("en", "zh_TW") is always found, at this entry or an
      // earlier one serving it too.
      const bool plain = !locale.isEmpty() && !locale.contains(QLatin1Char('.')) &&
                         !locale.contains(QLatin1Char('@')) && !locale.contains(QLatin1Char('_')) &&
                         locale != QLatin1String("C") && locale != QLatin1String("POSIX");
      if (plain) {
        FUZZ_CHECK(found >= 0 && found <= i);
        FUZZ_CHECK(list.At(found)->Locales.contains(locale, Qt::CaseInsensitive));
      }
    }
  }
  return 0;
}
