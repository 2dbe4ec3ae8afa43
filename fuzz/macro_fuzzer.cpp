// libFuzzer target for the macro files: arbitrary bytes as a device folder's
// macro list and as the macro file its first entry names, read the way the
// editor and the download read them, then saved back and packed into a
// device image:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target macro_fuzzer
//   build/fuzz/bin/macro_fuzzer fuzz/corpus/macro
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "macros/MacroActionList.h"
#include "macros/MacroImage.h"
#include "macros/MacroLibrary.h"

namespace {

struct Scratch {
  Scratch() {
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray pattern = QFile::encodeName(base + "/macro_fuzzer.XXXXXX");
    const char* made = ::mkdtemp(pattern.data());
    if (made == nullptr)
      std::abort();
    folder = QFile::decodeName(made) + "/";
  }
  ~Scratch() { QDir(folder).removeRecursively(); }
  void Put(const QString& name, const QByteArray& bytes) const {
    QFile file(folder + name);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
  }
  QString folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Scratch scratch;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  scratch.Put("macro.config", bytes);
  // An entry whose id is "a" finds the same bytes as its macro file.
  scratch.Put("a.mac", bytes);

  macros::MacroLibrary library(scratch.folder);
  std::vector<std::vector<macros::MacroEvent>> all;
  for (size_t i = 0; i < library.Entries().size() && i < 8; ++i) {
    const macros::MacroDocument document = library.Load(i);
    macros::MacroActionList list;
    for (const macros::MacroEvent& event : document.Events)
      list.Insert(list.Count(), macros::MacroActionList::RowOf(event));
    all.push_back(document.Events);
    library.Save(i, document.Events);
  }
  const macros::MacroDocument direct = macros::ReadMacroFile(scratch.folder + "a.mac");
  all.push_back(direct.Events);
  std::vector<size_t> counts;
  for (const auto& events : all)
    counts.push_back(events.size());
  macros::MacroOverflow(macros::MacroImageSize(counts), 128 * 255);
  macros::BuildMacroImage(all);
  library.Create();
  return 0;
}
