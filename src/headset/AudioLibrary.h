#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "headset/conflib/osConfLib.h"

namespace headset {

// The headset's audio library, loaded at run time from the program's SDK
// folder, and the two endpoints the program talks to: the render endpoint
// (equaliser, surround, reverb) and the capture endpoint (microphone,
// monitoring, voice changer, noise cancellation).
//
// Not thread-safe: one thread uses it (the headset's worker).
class AudioLibrary {
 public:
  enum class Flow { Render = 0, Capture = 1 };
  // The channel selector or record some properties take; none is a null
  // parameter pointer.
  using Parameter = std::vector<int32_t>;

  AudioLibrary() = default;
  ~AudioLibrary();
  AudioLibrary(const AudioLibrary&) = delete;
  AudioLibrary& operator=(const AudioLibrary&) = delete;

  // Loads the library at `path`. True when it was found, even when some of
  // its entry points are missing (a call that cannot be made then fails).
  // `stateFile`: where the library keeps what it cannot apply (given when
  // the library takes it).
  bool Load(const std::string& path, const std::string& stateFile);
  bool IsLoaded() const { return handle_ != nullptr; }

  struct InitReport {
    bool loaded = false;
    bool initFailed = false;     // "ConfLibInit called failed!"
    bool featuresShort = false;  // "UpdateAPOAvailable failed!"
    bool hasDevice = false;      // endpoints chosen
  };
  // Initialises the library, lists the devices, chooses the endpoints, reads
  // their feature words and probes every property (writing 0 where a read
  // fails). With no render device nothing is touched.
  InitReport Initialise();
  // Lists the devices again and chooses the endpoints (the sound card may
  // have come or gone since); false when there is none.
  bool SelectEndpoints();
  bool HasDevice() const { return hasDevice_; }
  const OsConfEndpoint& Endpoint(Flow flow) const {
    return flow == Flow::Render ? render_ : capture_;
  }
  uint32_t FeatureWord(Flow flow, int index) const;
  // Bit 0x20000 of the capture endpoint's first feature word.
  bool HasVoiceChanger() const;

  // Reads: nothing when the call fails or the text does not parse.
  std::optional<std::string> ReadText(Flow flow, std::u16string_view property,
                                      const std::optional<Parameter>& parameter = {});
  std::optional<double> ReadVolume(Flow flow, std::u16string_view property,
                                   const std::optional<Parameter>& parameter = {});
  std::optional<int> ReadInt(Flow flow, std::u16string_view property,
                             const std::optional<Parameter>& parameter = {});
  // Writes: whether the library took it.
  bool WriteInt(Flow flow, std::u16string_view property, int32_t value,
                const std::optional<Parameter>& parameter = {});
  bool WriteVolume(Flow flow, std::u16string_view property, float value,
                   const std::optional<Parameter>& parameter = {});

  // The text forms the library answers in (C locale, whatever the user's).
  static std::optional<double> ParseVolumeText(const char* text);
  static std::optional<int> ParseIntText(const char16_t* text);
  // The feature list: at least 7 comma-separated items, 0, 4 and 6 kept.
  static std::optional<std::array<uint32_t, 3>> ParseFeatures(const char* text);

 private:
  using InitFn = int (*)();
  using CreateListFn = int (*)();
  using CountFn = int (*)(int, unsigned*);
  using ByIdFn = int (*)(int, unsigned, OsConfEndpoint*);
  using PropertyFn = int (*)(OsConfEndpoint, const char16_t*, void**, void**, int);
  using StateFileFn = int (*)(const char*);

  // One property call with fresh zeroed buffers; the value buffer is left
  // for the caller to read.
  bool Call(Flow flow, std::u16string_view property, const std::optional<Parameter>& parameter,
            bool set, const void* value, size_t valueBytes);
  bool ChooseEndpoint(Flow flow, uint32_t kind, bool needsAttribute, OsConfEndpoint& chosen);
  void ReadFeatures(Flow flow, bool& ok);
  void Probe();

  void* handle_ = nullptr;
  InitFn init_ = nullptr;
  CreateListFn createList_ = nullptr;
  CountFn count_ = nullptr;
  ByIdFn byId_ = nullptr;
  PropertyFn property_ = nullptr;

  bool hasDevice_ = false;
  OsConfEndpoint render_{};
  OsConfEndpoint capture_{};
  std::array<uint32_t, 3> renderFeatures_{};
  std::array<uint32_t, 3> captureFeatures_{};
  alignas(8) std::array<uint8_t, kOsConfBufferBytes> value_{};
  alignas(8) std::array<uint8_t, kOsConfBufferBytes> parameter_{};
};

}  // namespace headset
