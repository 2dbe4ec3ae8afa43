// libFuzzer target for the program's settings store (an INI file holding
// the language applied last): arbitrary bytes as the store, read against the
// shipped language list, then a language stored and read again:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target settings_store_fuzzer
//   build/fuzz/bin/settings_store_fuzzer fuzz/corpus/settings_store
//
// What must hold: the language index read is inside the list (0 when the
// stored id is unknown), and the index of the stored id when the list has
// it; a language stored reads back, whatever else the store held.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "settings/LanguageList.h"
#include "settings/LanguageStore.h"

namespace {

constexpr char kList[] = R"({"Language": [
  {"Language_ID": 2052, "Language_file": "lan_cn.xml", "Language_locales": ["zh_CN", "zh"]},
  {"Language_ID": 520, "Language_file": "lan_en.xml", "Language_locales": ["en"]},
  {"Language_ID": 1028, "Language_file": "lan_tc.xml", "Language_locales": ["zh_TW"]}]})";

void CheckIndex(const LanguageStore& store, const LanguageList& list) {
  const int index = store.ReadStoredLanguage(list);
  FUZZ_CHECK(index >= 0 && index < list.Count());
  const int id = store.StoredId();
  FUZZ_CHECK(id >= -1);
  const int wanted = list.IndexOfId(id >= 0 ? id : LanguageList::kDefaultId);
  FUZZ_CHECK(index == (wanted >= 0 ? wanted : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("settings_store_fuzzer");
  static const LanguageList list = [] {
    scratch.Put("Language.config", std::span(reinterpret_cast<const uint8_t*>(kList), sizeof kList - 1));
    return LanguageList::Load(scratch.Path("Language.config"));
  }();
  FUZZ_CHECK(list.Count() == 3);
  // A new name for every input: the settings class caches what it read of a
  // file by its name.
  static unsigned sequence = 0;
  const QString name = QStringLiteral("store%1.conf").arg(sequence++);
  scratch.Clear();
  scratch.Put("Language.config", std::span(reinterpret_cast<const uint8_t*>(kList), sizeof kList - 1));
  scratch.Put(name, std::span(data, size));

  LanguageStore store(scratch.Path(name));
  FUZZ_CHECK(store.Exists());
  CheckIndex(store, list);
  // First start does nothing to a store that exists.
  store.CreateOnFirstStart(list, QStringLiteral("zh_TW.UTF-8"));
  CheckIndex(store, list);

  const int id = size > 0 ? (data[0] % 2 == 0 ? 1028 : 7 + data[size - 1]) : 2052;
  FUZZ_CHECK(store.StoreLanguageId(id));
  FUZZ_CHECK(store.StoredId() == id);
  CheckIndex(store, list);
  return 0;
}
