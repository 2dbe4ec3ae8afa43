#pragma once

// The library's state file: the headset settings the computer cannot apply
// yet (equaliser, surround, reverb, noise cancellation, voice changer, mic
// echo), kept as JSON and answered back on read. Without a sound server
// (the test mode) it also stands in for the speaker, the microphone and the
// monitor.
//
// The file is replaced whole on every change (a temporary file beside it,
// synced, then renamed). A missing, unreadable or malformed file reads as
// the defaults; each value found is checked and brought into its range.

#include <array>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace conflib {

enum class Simulated { Speaker = 0, Microphone = 1, Monitor = 2 };

struct SimulatedStream {
  double volume = 0;  // 0..1
  bool muted = false;
};

struct StoredValues {
  // By property name; every stored setting has an entry.
  std::map<std::string, int, std::less<>> settings;
  std::array<SimulatedStream, 3> streams;
};

class StateStore {
 public:
  StateStore();

  // Makes `path` the file in use. It is read again when it is another file
  // than before, when it changed on disk since it was last read or written,
  // or after Forget(). `simulated`: the file stands in for the streams too
  // (only then are they written into it).
  void Use(const std::string& path, bool simulated);
  void Forget() { loaded_ = false; }

  static bool IsSetting(std::string_view property);
  std::optional<int> Setting(std::string_view property) const;
  // A switch takes any non-zero value as on; a band or selection outside its
  // range is refused. False when refused or when the file could not be
  // written (the value in use stays the old one then).
  bool SetSetting(std::string_view property, int value);

  SimulatedStream Stream(Simulated which) const;
  bool SetStream(Simulated which, const SimulatedStream& stream);

  // The values a missing file reads as.
  static StoredValues Defaults();

 private:
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FileStamp& other) const;
  };
  static FileStamp StampOf(const std::string& path);
  bool Save(const StoredValues& values);

  std::string path_;
  bool simulated_ = false;
  bool loaded_ = false;
  FileStamp stamp_;
  StoredValues values_;
};

// $XDG_DATA_HOME/travix/osConfLib.json, or ~/.local/share/travix/... when
// XDG_DATA_HOME is not set (or not an absolute path).
std::string DefaultStatePath();

// Replaces the file at `path` with `bytes`: a temporary file in the same
// folder, written and synced, then renamed over it. Missing folders are made
// (mode 0700). A file already there keeps its permissions.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace conflib
