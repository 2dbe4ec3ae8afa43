// libFuzzer target for the recoil pattern files: arbitrary bytes as a gun's
// pattern file (and, as the input's last byte chooses, as its factory
// pattern), repaired at start, read bullet by bullet, written, exported and
// imported, and packed into the image the mouse plays:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target recoil_pattern_fuzzer
//   build/fuzz/bin/recoil_pattern_fuzzer fuzz/corpus/recoil_pattern
//
// What must hold: a file the start repair accepts is a pattern afterwards and
// keeps its own events; a written bullet reads back as written (distances
// held to 0..255, the delay to 0..65535) and no other bullet changes; an
// exported gun imports into another gun byte for byte; the image is the
// macro image of the four guns' first 180 events.
#include <fuzzer/FuzzedDataProvider.h>
#include <json/writer.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "JsonSupport.h"
#include "macros/MacroEvent.h"
#include "profiles/JsonFile.h"
#include "protocol/LittleEndian.h"
#include "protocol/MacroImage.h"
#include "recoil/RecoilPattern.h"
#include "recoil/RecoilPatternFiles.h"

namespace {

using recoil::Bullet;
using recoil::RecoilPattern;

const fuzz::Scratch& Folders() {
  static const fuzz::Scratch scratch("recoil_pattern_fuzzer");
  static const bool made = QDir().mkpath(scratch.Path("device")) && QDir().mkpath(scratch.Path("factory"));
  if (!made)
    std::abort();
  return scratch;
}

void ClearFolder(const QString& folder) {
  QDir dir(folder);
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
    dir.remove(entry);
}

void PutFile(const QString& path, std::span<const uint8_t> bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    std::abort();
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A whole pattern of 180 events with distinct bullets: what a factory file
// holds.
std::string FullPattern(int gun) {
  RecoilPattern pattern = RecoilPattern::Empty(gun);
  for (int b = 0; b < recoil::kBulletCount; ++b)
    pattern.SetBullet(b, Bullet{b % 2 == 0, b * 3, b % 3 == 0, b * 5, 20 + b});
  Json::StreamWriterBuilder builder;
  return Json::writeString(builder, pattern.Document());
}

Bullet Held(Bullet value) {
  value.horizontal = std::clamp(value.horizontal, 0, recoil::kMaxDistance);
  value.vertical = std::clamp(value.vertical, 0, recoil::kMaxDistance);
  value.delay = std::clamp(value.delay, 0, macros::kMaxDelay);
  return value;
}

std::optional<RecoilPattern> PatternAt(const QString& path) {
  return RecoilPattern::FromDocument(JsonFile().ReadJson(path));
}

// The image of the four guns: header, one offset per gun, then each gun's
// block with its events as the pattern files give them.
void CheckImage(const std::vector<uint8_t>& image, const std::array<std::vector<macros::MacroEvent>, 4>& guns) {
  FUZZ_CHECK(image.size() <= 2920);
  FUZZ_CHECK(image.size() >= sizeof(protocol::MacroImageHeader) + 4 * protocol::kMacroOffsetSize);
  FUZZ_CHECK(image[0] == 0xAA && image[1] == 0x55);
  FUZZ_CHECK(protocol::GetLe16(image, 2) == image.size());
  FUZZ_CHECK(protocol::GetLe16(image, 4) == 4);
  for (size_t gun = 0; gun < guns.size(); ++gun) {
    const size_t offset = protocol::GetLe16(image, sizeof(protocol::MacroImageHeader) + 2 * gun);
    FUZZ_CHECK(offset + sizeof(protocol::MacroBlockHeader) <= image.size());
    const size_t count = protocol::GetLe16(image, offset);
    FUZZ_CHECK(count == guns[gun].size());
    FUZZ_CHECK(count <= static_cast<size_t>(recoil::kEventsPerGun));
    FUZZ_CHECK(offset + sizeof(protocol::MacroBlockHeader) + count * 4 <= image.size());
    for (size_t i = 0; i < count; ++i) {
      const protocol::MacroEventBytes expected = macros::EncodeMacroEvent(guns[gun][i]);
      const uint8_t* at = image.data() + offset + sizeof(protocol::MacroBlockHeader) + 4 * i;
      FUZZ_CHECK(at[0] == expected.delayLow && at[1] == expected.delayHigh && at[2] == expected.type &&
                 at[3] == expected.button);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::Scratch& scratch = Folders();
  const QString deviceFolder = scratch.Path("device/");
  const QString factoryFolder = scratch.Path("factory/");
  ClearFolder(deviceFolder);
  ClearFolder(factoryFolder);

  FuzzedDataProvider provider(data, size);
  const uint8_t choice = provider.ConsumeIntegral<uint8_t>();
  const int gun = choice & 3;
  const int factoryKind = (choice >> 2) & 3;  // none, the same bytes, a whole pattern, an empty file
  Bullet value;
  value.left = provider.ConsumeBool();
  value.up = provider.ConsumeBool();
  value.horizontal = provider.ConsumeIntegralInRange<int>(-300, 300);
  value.vertical = provider.ConsumeIntegralInRange<int>(-300, 300);
  value.delay = provider.ConsumeIntegralInRange<int>(-70000, 70000);
  const int written = provider.ConsumeIntegralInRange<int>(0, recoil::kBulletCount - 1);
  const std::vector<uint8_t> bytes = provider.ConsumeRemainingBytes<uint8_t>();

  recoil::RecoilPatternFiles files(deviceFolder, factoryFolder);
  const QString gunFile = files.GunFile(gun);
  const QString factoryFile = files.FactoryFile(gun);
  PutFile(gunFile, bytes);
  if (factoryKind == 1) {
    PutFile(factoryFile, bytes);
  } else if (factoryKind == 2) {
    const std::string full = FullPattern(gun);
    PutFile(factoryFile, std::span(reinterpret_cast<const uint8_t*>(full.data()), full.size()));
  } else if (factoryKind == 3) {
    PutFile(factoryFile, {});
  }

  const std::optional<RecoilPattern> before = PatternAt(gunFile);
  const std::optional<RecoilPattern> factory = RecoilPattern::FromDocument(JsonFile().ReadJsonFollowingLinks(factoryFile));
  // A pattern file as the import checks it is a pattern as the loader reads it.
  const std::string text(bytes.begin(), bytes.end());
  FUZZ_CHECK(recoil::RecoilPatternFiles::IsValidPattern(JsonFile::ParseText(text)) == before.has_value());

  // The start repair: afterwards the file is a pattern, its own events first.
  const bool usable = files.EnsureGunFile(gun);
  FUZZ_CHECK(usable);
  const std::optional<RecoilPattern> repaired = PatternAt(gunFile);
  FUZZ_CHECK(repaired.has_value());
  if (before) {
    const int own = before->EventCount();
    const int expected = std::max(own, factory ? std::min(recoil::kEventsPerGun, factory->EventCount()) : 0);
    FUZZ_CHECK(repaired->EventCount() == expected);
    // Its own events as a write gives them back.
    const Json::Value was = fuzz::AsWritten(before->Document())["Events"];
    const Json::Value now = fuzz::AsWritten(repaired->Document())["Events"];
    for (Json::ArrayIndex i = 0; i < was.size(); ++i)
      FUZZ_CHECK(was[i] == now[i]);
  } else if (factory) {
    FUZZ_CHECK(ReadFile(gunFile) == ReadFile(factoryFile));
  } else {
    FUZZ_CHECK(repaired->EventCount() == 0);
  }

  // Every bullet reads; writing one changes that one only (checked on the
  // bullets around it and at both ends: each read loads the files afresh).
  FUZZ_CHECK(!files.ReadBullet(gun, recoil::kBulletCount).has_value());
  FUZZ_CHECK(!files.ReadBullet(gun, -1).has_value());
  std::vector<int> watched = {0, written - 1, written, written + 1, recoil::kBulletCount - 1};
  std::erase_if(watched, [](int b) { return b < 0 || b >= recoil::kBulletCount; });
  std::array<Bullet, recoil::kBulletCount> read{};
  for (int b : watched) {
    const std::optional<Bullet> bullet = files.ReadBullet(gun, b);
    FUZZ_CHECK(bullet.has_value());
    read[static_cast<size_t>(b)] = *bullet;
  }
  FUZZ_CHECK(files.WriteBullet(gun, written, value));
  for (int b : watched) {
    const std::optional<Bullet> bullet = files.ReadBullet(gun, b);
    FUZZ_CHECK(bullet.has_value());
    FUZZ_CHECK(*bullet == (b == written ? Held(value) : read[static_cast<size_t>(b)]));
  }

  // Exported and imported into the next gun: the same bytes.
  const int other = (gun + 1) % recoil::kGunCount;
  const QString exported = scratch.Path("exported.Shoot");
  FUZZ_CHECK(files.ExportGun(gun, exported));
  FUZZ_CHECK(files.ImportGun(other, exported) == recoil::RecoilPatternFiles::ImportResult::Imported);
  FUZZ_CHECK(ReadFile(files.GunFile(other)) == ReadFile(gunFile));
  // The fuzzed bytes themselves import only when they are a pattern, and a
  // refused import leaves the gun file as it was.
  const QString picked = scratch.Path("picked.Shoot");
  PutFile(picked, bytes);
  const QByteArray otherBefore = ReadFile(files.GunFile(other));
  const auto imported = files.ImportGun(other, picked);
  if (before) {
    FUZZ_CHECK(imported == recoil::RecoilPatternFiles::ImportResult::Imported);
    FUZZ_CHECK(ReadFile(files.GunFile(other)) == ReadFile(picked));
  } else {
    FUZZ_CHECK(imported != recoil::RecoilPatternFiles::ImportResult::Imported);
    FUZZ_CHECK(ReadFile(files.GunFile(other)) == otherBefore);
  }

  // The image: each gun's completed events, cut to 180.
  std::array<std::vector<macros::MacroEvent>, 4> guns;
  for (int g = 0; g < recoil::kGunCount; ++g) {
    std::optional<RecoilPattern> pattern = PatternAt(files.GunFile(g));
    if (!pattern)
      continue;
    if (const auto completion = RecoilPattern::FromDocument(JsonFile().ReadJsonFollowingLinks(files.FactoryFile(g))))
      pattern->CompleteFrom(*completion);
    guns[static_cast<size_t>(g)] = pattern->DeviceEvents();
  }
  CheckImage(files.BuildImage(), guns);
  return 0;
}
