#include "recoil/RecoilPatternFiles.h"

#include <QFile>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <json/reader.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "macros/MacroImage.h"
#include "platform/AtomicFileWriter.h"
#include "profiles/JsonFile.h"
#include "platform/DebugChannel.h"

namespace recoil {

namespace {

// A name with a NUL in it would reach the system cut short and name another
// file.
bool UsablePath(const QString& path) { return !path.isEmpty() && !path.contains(QChar(0)); }

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FileIn(const QString& folder, int gun) {
  if (folder.isEmpty() || gun < 0 || gun >= kGunCount)
    return {};
  return folder + QStringLiteral("ShootData_%1.Shoot").arg(gun);
}

QString WithSlash(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
    folder += QLatin1Char('/');
  return folder;
}

// The whole regular file at `path`, no larger than the JSON files the
// program takes; nothing when it cannot be read. Opened without blocking,
// so that a FIFO under the name cannot hang the caller.
std::optional<std::string> ReadBytes(const QString& path, bool followLinks) {
  if (!UsablePath(path))
    return std::nullopt;
  const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
  const int fd = ::open(QFile::encodeName(path).constData(), flags);
  if (fd < 0)
    return std::nullopt;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= JsonFile::kMaxFileSize;
  std::string bytes;
  char buffer[16384];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    bytes.append(buffer, static_cast<size_t>(got));
    // The file may have grown since it was looked at.
    ok = bytes.size() <= static_cast<size_t>(JsonFile::kMaxFileSize);
  }
  ::close(fd);
  if (!ok)
    return std::nullopt;
  return bytes;
}

// Parsed as JsonFile parses a file; null when the text does not parse.
Json::Value Parse(const std::string& text) { return JsonFile::ParseText(text); }

bool WriteBytes(const QString& path, const std::string& bytes,
                const platform::AtomicFileWriter& writer = platform::AtomicFileWriter()) {
  if (!UsablePath(path))
    return false;
  return static_cast<bool>(writer.Write(Native(path), bytes));
}

}  // namespace

RecoilPatternFiles::RecoilPatternFiles(QString deviceFolder, QString factoryFolder)
    : deviceFolder_(WithSlash(std::move(deviceFolder))), factoryFolder_(WithSlash(std::move(factoryFolder))) {}

QString RecoilPatternFiles::GunFile(int gun) const { return FileIn(deviceFolder_, gun); }

QString RecoilPatternFiles::FactoryFile(int gun) const { return FileIn(factoryFolder_, gun); }

bool RecoilPatternFiles::IsValidPattern(const Json::Value& document) { return RecoilPattern::IsValid(document); }

std::optional<RecoilPattern> RecoilPatternFiles::LoadGun(int gun) const {
  const QString path = GunFile(gun);
  if (path.isEmpty())
    return std::nullopt;
  return RecoilPattern::FromDocument(json_.ReadJson(path));
}

std::optional<RecoilPattern> RecoilPatternFiles::LoadFactory(int gun) const {
  const QString path = FactoryFile(gun);
  if (path.isEmpty())
    return std::nullopt;
  return RecoilPattern::FromDocument(json_.ReadJsonFollowingLinks(path));
}

std::optional<RecoilPattern> RecoilPatternFiles::LoadCompleted(int gun) const {
  std::optional<RecoilPattern> pattern = LoadGun(gun);
  if (pattern && pattern->EventCount() < kEventsPerGun) {
    if (const std::optional<RecoilPattern> factory = LoadFactory(gun))
      pattern->CompleteFrom(*factory);
  }
  return pattern;
}

bool RecoilPatternFiles::EnsureGunFile(int gun) {
  const QString path = GunFile(gun);
  if (path.isEmpty())
    return false;
  if (std::optional<RecoilPattern> pattern = LoadGun(gun)) {
    if (pattern->EventCount() < kEventsPerGun) {
      const std::optional<RecoilPattern> factory = LoadFactory(gun);
      // A failed write leaves the short file, which still reads completed.
      if (factory && pattern->CompleteFrom(*factory))
        json_.WriteJson(path, pattern->Document());
    }
    return true;
  }
  // Whatever stands there (text that does not parse, a link) is kept for
  // the user before it is replaced; nothing there, or an empty file, is
  // simply a pattern still to be made.
  const std::string native = Native(path);
  if (platform::AtomicFileWriter::HoldsSomething(native)) {
    platform::DebugPrint("recoil pattern %s is damaged; the factory pattern replaces it", native.c_str());
    if (platform::AtomicFileWriter::SetAside(native) != 0)
      return false;
  }
  if (ResetGun(gun))
    return true;
  return json_.WriteJson(path, RecoilPattern::Empty(gun).Document()) == 0;
}

std::optional<Bullet> RecoilPatternFiles::ReadBullet(int gun, int bullet) const {
  if (bullet < 0 || bullet >= kBulletCount)
    return std::nullopt;
  const std::optional<RecoilPattern> pattern = LoadCompleted(gun);
  if (!pattern)
    return std::nullopt;
  if (std::optional<Bullet> value = pattern->BulletAt(bullet))
    return value;
  return Bullet{};
}

bool RecoilPatternFiles::WriteBullet(int gun, int bullet, const Bullet& value) {
  if (bullet < 0 || bullet >= kBulletCount)
    return false;
  std::optional<RecoilPattern> pattern = LoadCompleted(gun);
  if (!pattern || !pattern->SetBullet(bullet, value))
    return false;
  return json_.WriteJson(GunFile(gun), pattern->Document()) == 0;
}

bool RecoilPatternFiles::ResetGun(int gun) {
  const QString target = GunFile(gun);
  if (target.isEmpty())
    return false;
  const std::optional<std::string> bytes = ReadBytes(FactoryFile(gun), true);
  if (!bytes || !IsValidPattern(Parse(*bytes)))
    return false;
  return WriteBytes(target, *bytes);
}

RecoilPatternFiles::ImportResult RecoilPatternFiles::ImportGun(int gun, const QString& path) {
  const QString target = GunFile(gun);
  if (target.isEmpty())
    return ImportResult::WriteFailed;
  // The file the user picked may be a link.
  const std::optional<std::string> bytes = ReadBytes(path, true);
  if (!bytes)
    return ImportResult::Unreadable;
  if (!IsValidPattern(Parse(*bytes)))
    return ImportResult::NotAPattern;
  return WriteBytes(target, *bytes) ? ImportResult::Imported : ImportResult::WriteFailed;
}

bool RecoilPatternFiles::ExportGun(int gun, const QString& path) const {
  const std::optional<std::string> bytes = ReadBytes(GunFile(gun), false);
  return bytes && WriteBytes(path, *bytes, platform::AtomicFileWriter::ForUsersFile());
}

std::vector<uint8_t> RecoilPatternFiles::BuildImage() const {
  std::vector<std::vector<macros::MacroEvent>> guns;
  for (int gun = 0; gun < kGunCount; ++gun) {
    const std::optional<RecoilPattern> pattern = LoadCompleted(gun);
    guns.push_back(pattern ? pattern->DeviceEvents() : std::vector<macros::MacroEvent>{});
  }
  return macros::BuildMacroImage(guns);
}

}  // namespace recoil
