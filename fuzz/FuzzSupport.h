#pragma once

// What the fuzz targets share: a scratch folder for the files a parser reads
// from disk, and a check that stops the run (libFuzzer then keeps the input)
// when a property of what the parser gave does not hold.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace fuzz {

// Prints what did not hold and aborts: libFuzzer writes the input as a crash.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "\n%s:%d: property failed: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

// One scratch folder for the whole run: under $TRAVIX_FUZZ_SCRATCH when set
// (scripts/fuzz.sh removes that folder afterwards, also what a crashed run
// left), else in memory where there is a tmpfs.
class Scratch {
 public:
  explicit Scratch(const char* name) {
    QString base = qEnvironmentVariable("TRAVIX_FUZZ_SCRATCH");
    if (base.isEmpty() || !QDir(base).exists())
      base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QByteArray pattern = QFile::encodeName(base + "/" + name + ".XXXXXX");
    const char* made = ::mkdtemp(pattern.data());
    if (made == nullptr)
      std::abort();
    folder_ = QFile::decodeName(made) + "/";
  }
  // Only the folder mkdtemp made is removed.
  ~Scratch() { QDir(folder_).removeRecursively(); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const QString& Folder() const { return folder_; }
  QString Path(const QString& name) const { return folder_ + name; }
  // The whole file `name` (a previous input's file replaced).
  void Put(const QString& name, std::span<const uint8_t> bytes) const {
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      std::abort();
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  }
  // Removes `name` and whatever a save left beside it (backups, set-aside
  // copies), so that one input never sees another's files.
  void Clear() const {
    QDir dir(folder_);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
      dir.remove(entry);
  }
  QByteArray Read(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QString folder_;
};

}  // namespace fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __FILE__, __LINE__))
