#include "ConfState.h"

#include <json/json.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace conflib {

namespace {

// Where each stored setting lives in the file: `group` (an object, or none
// for a top-level key), `key`, and `index` into the array at `key` (bands).
struct SettingEntry {
  std::string_view property;
  const char* group;
  const char* key;
  int index;
  int min;
  int max;
  bool isSwitch;
};

constexpr int kBandMin = -20;
constexpr int kBandMax = 20;
constexpr int kBands = 10;
// Reverb environments and voices are numbered from 0.
constexpr int kReverbEnvironments = 26;
constexpr int kRoomSizeMax = 100;
constexpr int kVoices = 4;

constexpr SettingEntry kSettings[] = {
    {"Enable_EQ_GFX", "equalizer", "enabled", -1, 0, 1, true},
    {"EQ_Slider1", "equalizer", "bands", 0, kBandMin, kBandMax, false},
    {"EQ_Slider2", "equalizer", "bands", 1, kBandMin, kBandMax, false},
    {"EQ_Slider3", "equalizer", "bands", 2, kBandMin, kBandMax, false},
    {"EQ_Slider4", "equalizer", "bands", 3, kBandMin, kBandMax, false},
    {"EQ_Slider5", "equalizer", "bands", 4, kBandMin, kBandMax, false},
    {"EQ_Slider6", "equalizer", "bands", 5, kBandMin, kBandMax, false},
    {"EQ_Slider7", "equalizer", "bands", 6, kBandMin, kBandMax, false},
    {"EQ_Slider8", "equalizer", "bands", 7, kBandMin, kBandMax, false},
    {"EQ_Slider9", "equalizer", "bands", 8, kBandMin, kBandMax, false},
    {"EQ_Slider10", "equalizer", "bands", 9, kBandMin, kBandMax, false},
    {"VirtualSurroundEffectControl", nullptr, "surround", -1, 0, 1, true},
    {"Enable_RFX_GFX", "reverb", "enabled", -1, 0, 1, true},
    {"RFX_ENVIRONMENT", "reverb", "environment", -1, 0, kReverbEnvironments - 1, false},
    {"RFX_ROOMSIZE", "reverb", "roomSize", -1, 0, kRoomSizeMax, false},
    {"Enable_ENC_LFX", nullptr, "noiseCancellation", -1, 0, 1, true},
    {"Enable_MAGICVOICE", "voiceChanger", "enabled", -1, 0, 1, true},
    {"MagicVoice_Selection", "voiceChanger", "voice", -1, 0, kVoices - 1, false},
    {"Enable_MICECHO", nullptr, "micEcho", -1, 0, 1, true},
};

const SettingEntry* FindSpec(std::string_view property) {
  for (const SettingEntry& setting : kSettings)
    if (setting.property == property)
      return &setting;
  return nullptr;
}

const char* const kStreamKeys[] = {"speaker", "microphone", "monitor"};
// Stream volumes are kept in ten-thousandths: whole numbers read the same
// whatever the locale of the stream that parses them.
constexpr int kVolumeUnits = 10000;

// A file larger than this is not ours.
constexpr off_t kMaxFileBytes = 1 << 20;

// The folder and name of `path`; false when it has no usable name.
bool SplitPath(const std::string& path, std::string& folder, std::string& name) {
  if (path.empty() || path.back() == '/' || path.find('\0') != std::string::npos)
    return false;
  const size_t slash = path.rfind('/');
  folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name != "." && name != "..";
}

bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0)
    return S_ISDIR(info.st_mode);
  const size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
    return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// The process's umask without setting it (which would race with threads
// that make files meanwhile).
mode_t CurrentUmask() {
  mode_t mask = 022;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
      unsigned value = 0;
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = static_cast<mode_t>(value & 0777);
        break;
      }
    }
    std::fclose(status);
  }
  return mask;
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR)
      continue;
    if (wrote <= 0)
      return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

// The whole regular file at `path` (never through a link, never blocking on
// a FIFO); nothing when it cannot be read or is too large to be ours.
std::optional<std::string> ReadSmallFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0)
    return std::nullopt;
  std::optional<std::string> bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxFileBytes) {
    bytes.emplace();
    char chunk[8192];
    while (true) {
      const ssize_t got = ::read(fd, chunk, sizeof chunk);
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0 || bytes->size() + static_cast<size_t>(got) > static_cast<size_t>(kMaxFileBytes)) {
        bytes.reset();
        break;
      }
      if (got == 0)
        break;
      bytes->append(chunk, static_cast<size_t>(got));
    }
  }
  ::close(fd);
  return bytes;
}

// A number from the file brought into [min, max]; `fallback` when it is no
// number at all. Booleans count as 0 and 1.
int ReadInt(const Json::Value& value, int min, int max, int fallback) {
  if (value.isBool())
    return std::clamp(value.asBool() ? 1 : 0, min, max);
  if (!value.isNumeric())
    return fallback;
  const double number = value.asDouble();
  if (std::isnan(number))
    return fallback;
  return static_cast<int>(std::lround(std::clamp(number, double(min), double(max))));
}

const Json::Value* Member(const Json::Value& object, const char* key) {
  if (!object.isObject())
    return nullptr;
  return object.find(key, key + std::char_traits<char>::length(key));
}

StoredValues ParseValues(const std::string& bytes) {
  StoredValues values = StateStore::Defaults();
  Json::CharReaderBuilder builder;
  // Three levels are ours; a deeper file is not, and must not take the
  // stack with it.
  builder["stackLimit"] = 32;
  Json::Value root;
  std::string errors;
  bool parsed = false;
  try {
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    parsed = reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors);
  } catch (const std::exception&) {
    parsed = false;
  }
  if (!parsed || !root.isObject())
    return values;

  for (const SettingEntry& setting : kSettings) {
    const Json::Value* holder = setting.group == nullptr ? &root : Member(root, setting.group);
    if (holder == nullptr)
      continue;
    const Json::Value* value = Member(*holder, setting.key);
    if (value != nullptr && setting.index >= 0)
      value = value->isArray() && static_cast<Json::ArrayIndex>(setting.index) < value->size()
                  ? &(*value)[static_cast<Json::ArrayIndex>(setting.index)]
                  : nullptr;
    if (value != nullptr)
      values.settings[std::string(setting.property)] = ReadInt(*value, setting.min, setting.max, 0);
  }

  if (const Json::Value* simulated = Member(root, "simulated")) {
    for (size_t i = 0; i < values.streams.size(); ++i) {
      const Json::Value* stream = Member(*simulated, kStreamKeys[i]);
      if (stream == nullptr)
        continue;
      SimulatedStream& target = values.streams[i];
      if (const Json::Value* volume = Member(*stream, "volume"))
        target.volume = ReadInt(*volume, 0, kVolumeUnits,
                                static_cast<int>(std::lround(target.volume * kVolumeUnits))) /
                        double(kVolumeUnits);
      if (const Json::Value* muted = Member(*stream, "muted"))
        target.muted = ReadInt(*muted, 0, 1, target.muted ? 1 : 0) != 0;
    }
  }
  return values;
}

std::string Serialise(const StoredValues& values, bool simulated) {
  Json::Value root(Json::objectValue);
  for (const SettingEntry& setting : kSettings) {
    const auto found = values.settings.find(setting.property);
    const int number = found == values.settings.end() ? 0 : found->second;
    Json::Value& holder = setting.group == nullptr ? root : root[setting.group];
    Json::Value value = setting.isSwitch ? Json::Value(number != 0) : Json::Value(number);
    if (setting.index >= 0) {
      Json::Value& array = holder[setting.key];
      if (!array.isArray())
        array = Json::Value(Json::arrayValue);
      array[static_cast<Json::ArrayIndex>(setting.index)] = value;
    } else {
      holder[setting.key] = value;
    }
  }
  if (simulated) {
    Json::Value& streams = root["simulated"];
    for (size_t i = 0; i < values.streams.size(); ++i) {
      Json::Value& stream = streams[kStreamKeys[i]];
      stream["volume"] = static_cast<int>(std::lround(values.streams[i].volume * kVolumeUnits));
      stream["muted"] = values.streams[i].muted;
    }
  }
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "  ";
  return Json::writeString(builder, root) + "\n";
}

}  // namespace

bool StateStore::FileStamp::operator==(const FileStamp& other) const {
  return exists == other.exists && device == other.device && inode == other.inode &&
         size == other.size && modified.tv_sec == other.modified.tv_sec &&
         modified.tv_nsec == other.modified.tv_nsec && changed.tv_sec == other.changed.tv_sec &&
         changed.tv_nsec == other.changed.tv_nsec;
}

StateStore::StateStore() : values_(Defaults()) {}

StoredValues StateStore::Defaults() {
  StoredValues values;
  for (const SettingEntry& setting : kSettings)
    values.settings[std::string(setting.property)] = 0;
  values.streams[static_cast<size_t>(Simulated::Speaker)] = {1.0, false};
  values.streams[static_cast<size_t>(Simulated::Microphone)] = {0.8, false};
  values.streams[static_cast<size_t>(Simulated::Monitor)] = {0.5, false};
  return values;
}

StateStore::FileStamp StateStore::StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim;
  stamp.changed = info.st_ctim;
  return stamp;
}

void StateStore::Use(const std::string& path, bool simulated) {
  const FileStamp stamp = StampOf(path);
  if (loaded_ && path == path_ && simulated == simulated_ && stamp == stamp_)
    return;
  path_ = path;
  simulated_ = simulated;
  stamp_ = stamp;
  loaded_ = true;
  const std::optional<std::string> bytes = stamp.exists ? ReadSmallFile(path) : std::nullopt;
  values_ = bytes ? ParseValues(*bytes) : Defaults();
}

bool StateStore::IsSetting(std::string_view property) {
  return FindSpec(property) != nullptr;
}

std::optional<int> StateStore::Setting(std::string_view property) const {
  const auto found = values_.settings.find(property);
  if (found == values_.settings.end())
    return std::nullopt;
  return found->second;
}

bool StateStore::SetSetting(std::string_view property, int value) {
  const SettingEntry* setting = FindSpec(property);
  if (setting == nullptr)
    return false;
  if (setting->isSwitch)
    value = value != 0 ? 1 : 0;
  else if (value < setting->min || value > setting->max)
    return false;
  if (Setting(property) == value)
    return true;
  StoredValues changed = values_;
  changed.settings[std::string(property)] = value;
  return Save(changed);
}

SimulatedStream StateStore::Stream(Simulated which) const {
  return values_.streams[static_cast<size_t>(which)];
}

bool StateStore::SetStream(Simulated which, const SimulatedStream& stream) {
  StoredValues changed = values_;
  SimulatedStream& target = changed.streams[static_cast<size_t>(which)];
  target.volume = std::clamp(stream.volume, 0.0, 1.0);
  target.muted = stream.muted;
  return Save(changed);
}

bool StateStore::Save(const StoredValues& values) {
  if (path_.empty() || !WriteFileAtomically(path_, Serialise(values, simulated_)))
    return false;
  values_ = values;
  stamp_ = StampOf(path_);
  return true;
}

std::string DefaultStatePath() {
  std::string base;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    base = data;
  } else {
    std::string home;
    if (const char* value = std::getenv("HOME"); value != nullptr && value[0] == '/') {
      home = value;
    } else {
      passwd entry{};
      passwd* found = nullptr;
      std::vector<char> scratch(16384);
      if (::getpwuid_r(::getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 &&
          found != nullptr && found->pw_dir != nullptr)
        home = found->pw_dir;
    }
    if (home.empty())
      return {};
    base = home + "/.local/share";
  }
  return base + "/travix/osConfLib.json";
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  std::string folder, name;
  if (!SplitPath(path, folder, name) || !MakeFolders(folder))
    return false;
  mode_t mode = 0666 & ~CurrentUmask();
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    mode = info.st_mode & 07777;

  // The marker the program's own leftover sweep knows, should a crash leave
  // the temporary file behind.
  std::string temporary = folder + "/." + name + ".travix-tmp.XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0)
    return false;
  bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  // Once synced the data is safe; an EINTR from close loses nothing.
  if (::close(fd) != 0 && errno != EINTR)
    ok = false;
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0)
    ok = false;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
}

}  // namespace conflib
