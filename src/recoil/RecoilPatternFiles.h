#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/JsonFile.h"
#include "recoil/RecoilPattern.h"

namespace recoil {

// The four guns' pattern files of one mouse: "<deviceFolder>ShootData_<n>.Shoot",
// with the factory patterns "<factoryFolder>ShootData_<n>.Shoot" (folders end with "/").
//
// The gun files are the user's: they are replaced only whole and atomically,
// and one that is damaged is set aside (".broken") before the factory pattern
// takes its place. The factory files are read only, and may be links.
class RecoilPatternFiles {
 public:
  RecoilPatternFiles(QString deviceFolder, QString factoryFolder);

  // Empty for a gun out of range or an empty folder.
  QString GunFile(int gun) const;
  QString FactoryFile(int gun) const;

  // At start: a missing or broken gun file (not JSON, no "Events" array, an
  // event that is not an object, more than kMaxPatternEvents events) is
  // replaced by the factory pattern, or by a pattern without events when
  // there is no factory pattern. A short one (fewer than 180 events) keeps
  // its own events and takes the rest from the factory pattern (written
  // back). True when the file is usable afterwards.
  bool EnsureGunFile(int gun);
  // Bullet `bullet` of gun `gun` (events 6b+2 and 6b+3); nothing for indexes
  // out of range or a file that is not a pattern. A short file's missing
  // bullet reads from the factory pattern, and one that neither holds reads
  // as a still bullet (Bullet{}), which is what writing a later bullet puts
  // there.
  std::optional<Bullet> ReadBullet(int gun, int bullet) const;
  // Writes the six events of the bullet into the gun file, everything else
  // of the file kept; a short file is first completed from the factory
  // pattern. False, the file untouched, for indexes out of range, a file
  // that is not a pattern, or a failed write. Distances are held to
  // 0 ... 255, the delay to 0 ... 65535.
  bool WriteBullet(int gun, int bullet, const Bullet& value);
  // The factory pattern's bytes over the gun file. False, the gun file
  // untouched, when the factory file is missing or not a pattern, or the
  // write failed.
  bool ResetGun(int gun);

  enum class ImportResult { Imported, NotAPattern, Unreadable, WriteFailed };
  // The bytes of the file at `path` over the gun file, when they are a
  // pattern (IsValidPattern); otherwise the gun file stays as it was. A gun
  // out of range is a WriteFailed.
  ImportResult ImportGun(int gun, const QString& path);
  // The gun file's bytes as the whole of `path` (replacing what is there).
  // False when the gun file cannot be read or `path` written.
  bool ExportGun(int gun, const QString& path) const;

  // The image the mouse takes: the four guns in order as macro image
  // entries, each the gun file's events (a short file completed from the
  // factory pattern) cut to 180; a gun whose file is not a pattern has no
  // events. At most 2,920 bytes.
  std::vector<uint8_t> BuildImage() const;

  static bool IsValidPattern(const Json::Value& document);

 private:
  // The gun file as a pattern; nothing when it is not one.
  std::optional<RecoilPattern> LoadGun(int gun) const;
  std::optional<RecoilPattern> LoadFactory(int gun) const;
  // LoadGun, completed from the factory pattern when short.
  std::optional<RecoilPattern> LoadCompleted(int gun) const;

  QString deviceFolder_;
  QString factoryFolder_;
  JsonFile json_;
};

}  // namespace recoil
