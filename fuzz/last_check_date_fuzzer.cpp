// libFuzzer target for the date of the last version check
// ("updatetime.config"): arbitrary bytes as the file:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target last_check_date_fuzzer
//   build/fuzz/bin/last_check_date_fuzzer fuzz/corpus/last_check_date
//
// What must hold: a stored date is returned as stored and the file left as
// it was; anything else gives today's date, which the file then holds, so
// that the next start reads the same date.
#include <QDate>
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"
#include "settings/LastCheckDate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::Scratch scratch("last_check_date_fuzzer");
  const QString path = scratch.Path(LastCheckDate::kFileName);
  scratch.Clear();
  scratch.Put(LastCheckDate::kFileName, std::span(data, size));
  const QByteArray before = scratch.Read(LastCheckDate::kFileName);
  const Json::Value document = JsonFile().ReadJson(path);
  const Json::Value& stored = jsonvalue::Member(jsonvalue::Member(document, "updatelasttime"), "value");

  const QDate today(2026, 3, 5);
  const QString date = LastCheckDate::Ensure(path, today);
  if (stored.isString()) {
    FUZZ_CHECK(date == QString::fromStdString(stored.asString()));
    FUZZ_CHECK(scratch.Read(LastCheckDate::kFileName) == before);
  } else {
    FUZZ_CHECK(date == QStringLiteral("2026-3-5"));
  }
  // The next start reads the same date and writes nothing.
  const QByteArray after = scratch.Read(LastCheckDate::kFileName);
  FUZZ_CHECK(LastCheckDate::Ensure(path, QDate(2027, 1, 1)) == date);
  FUZZ_CHECK(scratch.Read(LastCheckDate::kFileName) == after);
  return 0;
}
