// The headset audio library as the program uses it: loaded with dlopen from
// the SDK folder, its entry points looked up by name and called with
// 1024-byte buffers.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <list>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "headset/conflib/osConfLib.h"
#include "support/PrivateSoundServer.h"

extern char** environ;

namespace {

using namespace testing_support;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kLibraryPath = TRAVIX_SDK_DIR "/libosConfLib.so";
constexpr size_t kBufferBytes = kOsConfBufferBytes;
constexpr size_t kGuardBytes = 64;
constexpr unsigned char kGuard = 0xA5;
constexpr unsigned char kStale = 0xCC;
constexpr uint32_t kVoiceChangerFeature = 0x20000;

// Far more than any call may take; only a hang exceeds it.
constexpr auto kHangLimit = std::chrono::seconds(2);

const char16_t* const kBandNames[] = {u"EQ_Slider1", u"EQ_Slider2", u"EQ_Slider3", u"EQ_Slider4",
                                      u"EQ_Slider5", u"EQ_Slider6", u"EQ_Slider7", u"EQ_Slider8",
                                      u"EQ_Slider9", u"EQ_Slider10"};

const char16_t* const kMonitorProperties[] = {u"GetAAMaxVol",     u"GetAAMinVol",   u"GetAAVolStep",
                                              u"AAVolumeControl", u"AAMuteControl", u"AAVolumeScalarControl"};

std::u16string Utf16(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    items.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      return items;
    start = end + 1;
  }
}

std::optional<double> ParseNumber(const std::string& text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size())
    return std::nullopt;
  return value;
}

// The library loaded as the program loads it, with buffers that carry a
// guard region behind their 1024 bytes.
class ConfLibrary {
 public:
  ConfLibrary() {
    handle_ = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      const char* error = ::dlerror();
      error_ = error != nullptr ? error : "dlopen failed";
      return;
    }
    init_ = Find<int (*)()>("ConfLibInit");
    createList_ = Find<int (*)()>("CreateDeviceList");
    count_ = Find<int (*)(int, unsigned*)>("GetDeviceCount");
    byId_ = Find<int (*)(int, unsigned, OsConfEndpoint*)>("GetDeviceById");
    property_ = Find<int (*)(OsConfEndpoint, const char16_t*, void**, void**, int)>("PropertyControl");
    setStateFile_ = Find<int (*)(const char*)>("ConfLibSetStateFile");
  }
  ~ConfLibrary() {
    if (handle_ != nullptr)
      ::dlclose(handle_);
  }
  ConfLibrary(const ConfLibrary&) = delete;
  ConfLibrary& operator=(const ConfLibrary&) = delete;

  bool Loaded() const {
    return handle_ != nullptr && init_ && createList_ && count_ && byId_ && property_ && setStateFile_;
  }
  const std::string& Error() const { return error_; }
  static bool IsResident() {
    void* handle = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr)
      return false;
    ::dlclose(handle);
    return true;
  }

  int Init() { return init_(); }
  int CreateList() { return createList_(); }
  int SetStateFile(const char* path) { return setStateFile_(path); }
  int Count(int flow, unsigned* count) { return count_(flow, count); }
  unsigned Count(int flow) {
    unsigned count = 12345;
    EXPECT_EQ(count_(flow, &count), 0);
    return count;
  }
  int ById(int flow, unsigned index, OsConfEndpoint* endpoint) { return byId_(flow, index, endpoint); }
  OsConfEndpoint Endpoint(int flow) {
    OsConfEndpoint endpoint{};
    EXPECT_EQ(byId_(flow, 0, &endpoint), 0);
    return endpoint;
  }

  // One call with fresh buffers: stale bytes in the value buffer, the guard
  // behind both. Every call checks that nothing was written past 1024 bytes.
  int Call(const OsConfEndpoint& endpoint, const char16_t* name, int set, const void* input = nullptr,
           size_t inputBytes = 0, const std::vector<int32_t>* parameter = nullptr) {
    value_.fill(kGuard);
    std::memset(value_.data(), kStale, kBufferBytes);
    if (input != nullptr)
      std::memcpy(value_.data(), input, inputBytes);
    parameter_.fill(kGuard);
    std::memset(parameter_.data(), 0, kBufferBytes);
    if (parameter != nullptr)
      std::memcpy(parameter_.data(), parameter->data(), parameter->size() * sizeof(int32_t));
    void* value = value_.data();
    void* parameterBuffer = parameter_.data();
    const int result = property_(endpoint, name, &value, parameter != nullptr ? &parameterBuffer : nullptr, set);
    for (size_t i = kBufferBytes; i < value_.size(); ++i)
      if (value_[i] != kGuard || parameter_[i] != kGuard) {
        ADD_FAILURE() << "written past the 1024-byte buffer at offset " << i;
        break;
      }
    return result;
  }

  // 8-bit text, checked to end in a NUL followed by nothing but zeros.
  std::optional<std::string> ReadText(const OsConfEndpoint& endpoint, const char16_t* name,
                                      const std::vector<int32_t>* parameter = nullptr) {
    if (Call(endpoint, name, 0, nullptr, 0, parameter) != 0)
      return std::nullopt;
    const auto* begin = reinterpret_cast<const char*>(value_.data());
    const size_t length = ::strnlen(begin, kBufferBytes);
    EXPECT_LT(length, kBufferBytes) << "no NUL within the buffer";
    for (size_t i = length; i < kBufferBytes; ++i)
      if (value_[i] != 0) {
        ADD_FAILURE() << "byte " << i << " after the text was left unzeroed";
        break;
      }
    return std::string(begin, length);
  }

  // UTF-16 text, checked the same way.
  std::optional<std::u16string> ReadText16(const OsConfEndpoint& endpoint, const char16_t* name) {
    if (Call(endpoint, name, 0) != 0)
      return std::nullopt;
    std::u16string text;
    size_t i = 0;
    for (; i < kBufferBytes / 2; ++i) {
      char16_t c;
      std::memcpy(&c, value_.data() + 2 * i, sizeof c);
      if (c == 0)
        break;
      text += c;
    }
    EXPECT_LT(i, kBufferBytes / 2) << "no NUL character within the buffer";
    for (size_t byte = 2 * i; byte < kBufferBytes; ++byte)
      if (value_[byte] != 0) {
        ADD_FAILURE() << "byte " << byte << " after the text was left unzeroed";
        break;
      }
    return text;
  }

  std::optional<int> ReadInt(const OsConfEndpoint& endpoint, const char16_t* name) {
    const auto text = ReadText16(endpoint, name);
    if (!text)
      return std::nullopt;
    std::string ascii;
    for (char16_t c : *text) {
      if (c > 0x7F)
        return std::nullopt;
      ascii += static_cast<char>(c);
    }
    int value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size())
      return std::nullopt;
    return value;
  }

  std::optional<double> ReadNumber(const OsConfEndpoint& endpoint, const char16_t* name) {
    const auto text = ReadText(endpoint, name);
    return text ? ParseNumber(*text) : std::nullopt;
  }

  bool WriteInt(const OsConfEndpoint& endpoint, const char16_t* name, int32_t value,
                const std::vector<int32_t>* parameter = nullptr) {
    const auto bits = static_cast<uint32_t>(value);
    const unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                                    static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    return Call(endpoint, name, 1, bytes, sizeof bytes, parameter) == 0;
  }

  bool WriteFloat(const OsConfEndpoint& endpoint, const char16_t* name, float value) {
    const std::vector<int32_t> channel = {-1};
    return Call(endpoint, name, 1, &value, sizeof value, &channel) == 0;
  }

 private:
  template <typename Fn>
  Fn Find(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(handle_, name));
  }

  void* handle_ = nullptr;
  std::string error_;
  int (*init_)() = nullptr;
  int (*createList_)() = nullptr;
  int (*count_)(int, unsigned*) = nullptr;
  int (*byId_)(int, unsigned, OsConfEndpoint*) = nullptr;
  int (*property_)(OsConfEndpoint, const char16_t*, void**, void**, int) = nullptr;
  int (*setStateFile_)(const char*) = nullptr;
  std::array<unsigned char, kBufferBytes + kGuardBytes> value_{};
  std::array<unsigned char, kBufferBytes + kGuardBytes> parameter_{};
};

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// ---------------------------------------------------------------------------
// On the state file alone (TRAVIX_CONFLIB_STATE).

class StateFileMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    // A folder that does not exist yet: the library makes it.
    statePath_ = dir_.Path() + "/data/osConfLib.json";
    state_.emplace("TRAVIX_CONFLIB_STATE", statePath_);
    Load();
  }
  void TearDown() override { library_.reset(); }

  void Load() {
    library_ = std::make_unique<ConfLibrary>();
    ASSERT_TRUE(library_->Loaded()) << library_->Error();
    ASSERT_EQ(library_->Init(), 0);
    ASSERT_EQ(library_->CreateList(), 0);
    render_ = library_->Endpoint(0);
    capture_ = library_->Endpoint(1);
  }

  // The file is read again (as at the program's next start).
  void Reinit() { ASSERT_EQ(library_->Init(), 0); }

  ConfLibrary& Lib() { return *library_; }

  TempDir dir_;
  std::string statePath_;
  std::optional<ScopedEnv> state_;
  ScopedEnv fail_{"TRAVIX_CONFLIB_FAIL", nullptr};
  ScopedEnv sink_{"TRAVIX_CONFLIB_SINK", nullptr};
  ScopedEnv source_{"TRAVIX_CONFLIB_SOURCE", nullptr};
  std::unique_ptr<ConfLibrary> library_;
  OsConfEndpoint render_{};
  OsConfEndpoint capture_{};
};

TEST_F(StateFileMode, ListsOneRenderAndOneCaptureEndpoint) {
  EXPECT_EQ(Lib().Count(0), 1u);
  EXPECT_EQ(Lib().Count(1), 1u);
  EXPECT_EQ(render_.kind, 1u);
  EXPECT_EQ(render_.attribute3, 0u);
  EXPECT_EQ(render_.attribute4, 1u);
  EXPECT_EQ(capture_.kind, 2u);
  EXPECT_EQ(capture_.attribute3, 0u);
  EXPECT_EQ(capture_.attribute4, 0u);

  OsConfEndpoint endpoint{};
  EXPECT_NE(Lib().ById(0, 1, &endpoint), 0);
  EXPECT_NE(Lib().ById(1, 1, &endpoint), 0);
  EXPECT_NE(Lib().ById(2, 0, &endpoint), 0);
  EXPECT_NE(Lib().ById(0, 0, nullptr), 0);
  unsigned count = 0;
  EXPECT_NE(Lib().Count(2, &count), 0);
  EXPECT_NE(Lib().Count(-1, &count), 0);
  EXPECT_NE(Lib().Count(0, nullptr), 0);
}

TEST_F(StateFileMode, FeatureListsHaveSevenNumbersAndTheVoiceChangerOnCapture) {
  for (const OsConfEndpoint& endpoint : {render_, capture_}) {
    const auto text = Lib().ReadText(endpoint, u"GetSupportFeature");
    ASSERT_TRUE(text);
    const auto items = Split(*text, ',');
    EXPECT_GE(items.size(), 7u) << *text;
    for (const std::string& item : items) {
      uint32_t value = 0;
      const auto result = std::from_chars(item.data(), item.data() + item.size(), value);
      EXPECT_TRUE(result.ec == std::errc() && result.ptr == item.data() + item.size()) << *text;
    }
  }
  const auto capture = Lib().ReadText(capture_, u"GetSupportFeature");
  ASSERT_TRUE(capture);
  EXPECT_NE(std::stoul(Split(*capture, ',')[0]) & kVoiceChangerFeature, 0u) << *capture;
}

TEST_F(StateFileMode, SwitchesBandsAndSelectionsReadBackAsUtf16Text) {
  // A file that does not exist yet reads as all off.
  for (const char16_t* name : kBandNames)
    EXPECT_EQ(Lib().ReadInt(render_, name), 0);
  EXPECT_EQ(Lib().ReadInt(capture_, u"MagicVoice_Selection"), 0);

  const int bands[10] = {-20, -7, 0, 3, 20, 1, -1, 12, -12, 5};
  for (int i = 0; i < 10; ++i)
    EXPECT_TRUE(Lib().WriteInt(render_, kBandNames[i], bands[i]));
  const std::vector<int32_t> surroundRecord = {4, -1, 0};
  const std::vector<int32_t> channel = {-1};
  EXPECT_TRUE(Lib().WriteInt(render_, u"VirtualSurroundEffectControl", 1, &surroundRecord));
  EXPECT_TRUE(Lib().WriteInt(render_, u"Enable_EQ_GFX", 1));
  EXPECT_TRUE(Lib().WriteInt(render_, u"Enable_RFX_GFX", 1));
  EXPECT_TRUE(Lib().WriteInt(render_, u"RFX_ENVIRONMENT", 5));
  EXPECT_TRUE(Lib().WriteInt(render_, u"RFX_ROOMSIZE", 40));
  EXPECT_TRUE(Lib().WriteInt(capture_, u"Enable_ENC_LFX", 1, &channel));
  EXPECT_TRUE(Lib().WriteInt(capture_, u"Enable_MAGICVOICE", 1));
  EXPECT_TRUE(Lib().WriteInt(capture_, u"Enable_MICECHO", 1));
  EXPECT_TRUE(Lib().WriteInt(capture_, u"MagicVoice_Selection", 3));

  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(Lib().ReadText16(render_, kBandNames[i]), Utf16(std::to_string(bands[i]))) << i;
  EXPECT_EQ(Lib().ReadText16(render_, u"VirtualSurroundEffectControl"), u"1");
  EXPECT_EQ(Lib().ReadInt(render_, u"Enable_EQ_GFX"), 1);
  EXPECT_EQ(Lib().ReadInt(render_, u"Enable_RFX_GFX"), 1);
  EXPECT_EQ(Lib().ReadInt(render_, u"RFX_ENVIRONMENT"), 5);
  EXPECT_EQ(Lib().ReadInt(render_, u"RFX_ROOMSIZE"), 40);
  EXPECT_EQ(Lib().ReadInt(capture_, u"Enable_ENC_LFX"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"Enable_MAGICVOICE"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"Enable_MICECHO"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"MagicVoice_Selection"), 3);

  // Switching off again.
  EXPECT_TRUE(Lib().WriteInt(render_, u"Enable_EQ_GFX", 0));
  EXPECT_EQ(Lib().ReadInt(render_, u"Enable_EQ_GFX"), 0);

  // Out of range: refused, and the value in use stays.
  EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider1", 21));
  EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider1", INT32_MIN));
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), -20);
  EXPECT_FALSE(Lib().WriteInt(capture_, u"MagicVoice_Selection", 4));
  EXPECT_FALSE(Lib().WriteInt(capture_, u"MagicVoice_Selection", -1));
  EXPECT_EQ(Lib().ReadInt(capture_, u"MagicVoice_Selection"), 3);
}

TEST_F(StateFileMode, VolumesAndMutesReadBackAsDecimalText) {
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.8");
  EXPECT_EQ(Lib().ReadText(capture_, u"AAVolumeScalarControl"), "0.5");
  EXPECT_EQ(Lib().ReadInt(capture_, u"MuteControl"), 0);
  EXPECT_EQ(Lib().ReadInt(capture_, u"AAMuteControl"), 0);

  EXPECT_TRUE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 0.25f));
  EXPECT_TRUE(Lib().WriteFloat(capture_, u"AAVolumeScalarControl", 0.75f));
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.25");
  EXPECT_EQ(Lib().ReadText(capture_, u"AAVolumeScalarControl"), "0.75");
  // Beyond the ends: taken as the ends.
  EXPECT_TRUE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 1.5f));
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "1");
  EXPECT_FALSE(Lib().WriteFloat(capture_, u"VolumeScalarControl", std::nanf("")));
  EXPECT_FALSE(Lib().WriteFloat(capture_, u"VolumeScalarControl", INFINITY));
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "1");

  EXPECT_TRUE(Lib().WriteInt(capture_, u"MuteControl", 1));
  EXPECT_TRUE(Lib().WriteInt(capture_, u"AAMuteControl", 1));
  EXPECT_EQ(Lib().ReadInt(capture_, u"MuteControl"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"AAMuteControl"), 1);
  // Muting keeps the volume.
  EXPECT_EQ(Lib().ReadText(capture_, u"AAVolumeScalarControl"), "0.75");

  // The levels lie within the range the library gives, and follow the
  // scalar.
  for (const char16_t* prefix : {u"", u"AA"}) {
    const std::u16string p(prefix);
    const auto max = Lib().ReadNumber(capture_, (u"Get" + p + u"MaxVol").c_str());
    const auto min = Lib().ReadNumber(capture_, (u"Get" + p + u"MinVol").c_str());
    const auto step = Lib().ReadNumber(capture_, (u"Get" + p + u"VolStep").c_str());
    ASSERT_TRUE(max && min && step);
    EXPECT_LT(*min, *max);
    EXPECT_GT(*step, 0.0);
    const std::u16string scalar = p + u"VolumeScalarControl";
    const std::u16string level = p + u"VolumeControl";
    EXPECT_TRUE(Lib().WriteFloat(capture_, scalar.c_str(), 0.9f));
    const auto loud = Lib().ReadNumber(capture_, level.c_str());
    EXPECT_TRUE(Lib().WriteFloat(capture_, scalar.c_str(), 0.3f));
    const auto quiet = Lib().ReadNumber(capture_, level.c_str());
    ASSERT_TRUE(loud && quiet);
    EXPECT_LT(*quiet, *loud);
    EXPECT_GE(*quiet, *min);
    EXPECT_LE(*loud, *max);
  }
}

TEST_F(StateFileMode, FailureSwitchesTakeEffectAtTheNextCall) {
  {
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "init");
    EXPECT_NE(Lib().Init(), 0);
  }
  EXPECT_EQ(Lib().Init(), 0);

  {
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "features");
    const auto text = Lib().ReadText(capture_, u"GetSupportFeature");
    ASSERT_TRUE(text);
    EXPECT_EQ(Split(*text, ',').size(), 3u) << *text;
  }
  {
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "novoice");
    const auto text = Lib().ReadText(capture_, u"GetSupportFeature");
    ASSERT_TRUE(text);
    EXPECT_GE(Split(*text, ',').size(), 7u);
    EXPECT_EQ(std::stoul(Split(*text, ',')[0]) & kVoiceChangerFeature, 0u) << *text;
  }
  {
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "monitor");
    for (const char16_t* name : kMonitorProperties) {
      EXPECT_FALSE(Lib().ReadText(capture_, name)) << fs::path(std::u16string(name)).string();
      EXPECT_FALSE(Lib().WriteInt(capture_, name, 0));
    }
    // The microphone is still there.
    EXPECT_TRUE(Lib().ReadText(capture_, u"VolumeScalarControl"));
    EXPECT_TRUE(Lib().WriteInt(capture_, u"MuteControl", 1));
  }
  EXPECT_EQ(Lib().ReadText(capture_, u"GetAAMaxVol").has_value(), true);
  {
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "write");
    EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider2", 4));
    EXPECT_FALSE(Lib().WriteInt(capture_, u"MuteControl", 0));
    EXPECT_FALSE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 0.1f));
    EXPECT_FALSE(Lib().WriteFloat(capture_, u"AAVolumeScalarControl", 0.1f));
    // Reads still answer, with nothing changed.
    EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider2"), 0);
    EXPECT_EQ(Lib().ReadInt(capture_, u"MuteControl"), 1);
    EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.8");
  }
  {
    // Several at once, spaces allowed.
    ScopedEnv fail("TRAVIX_CONFLIB_FAIL", "nodevice, write");
    unsigned count = 7;
    EXPECT_EQ(Lib().Count(0, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Lib().Count(1), 0u);
    OsConfEndpoint endpoint{};
    EXPECT_NE(Lib().ById(0, 0, &endpoint), 0);
    EXPECT_NE(Lib().ById(1, 0, &endpoint), 0);
    EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider2", 4));
  }
  EXPECT_EQ(Lib().Count(0), 1u);
  EXPECT_TRUE(Lib().WriteInt(render_, u"EQ_Slider2", 4));
}

TEST_F(StateFileMode, SettingsSurviveUnloadingTheLibrary) {
  ASSERT_TRUE(Lib().WriteInt(render_, u"EQ_Slider4", -9));
  ASSERT_TRUE(Lib().WriteInt(render_, u"Enable_RFX_GFX", 1));
  ASSERT_TRUE(Lib().WriteInt(capture_, u"MagicVoice_Selection", 2));
  ASSERT_TRUE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 0.35f));
  ASSERT_TRUE(Lib().WriteInt(capture_, u"AAMuteControl", 1));

  library_.reset();
  ASSERT_FALSE(ConfLibrary::IsResident()) << "dlclose left the library loaded";
  Load();
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider4"), -9);
  EXPECT_EQ(Lib().ReadInt(render_, u"Enable_RFX_GFX"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"MagicVoice_Selection"), 2);
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.35");
  EXPECT_EQ(Lib().ReadInt(capture_, u"AAMuteControl"), 1);

  // The file alone carries them: a copy elsewhere reads the same.
  const std::string copy = dir_.Path() + "/copy.json";
  fs::copy_file(statePath_, copy);
  ScopedEnv state("TRAVIX_CONFLIB_STATE", copy);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider4"), -9);
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.35");
}

TEST_F(StateFileMode, TheFileIsReplacedWholeOnEverySave) {
  ASSERT_TRUE(Lib().WriteInt(render_, u"EQ_Slider1", 6));
  ::chmod(statePath_.c_str(), 0640);
  // A second name for the file as it is now: a save that rewrote the file
  // in place would change what it holds too.
  const std::string before = dir_.Path() + "/before.json";
  ASSERT_EQ(::link(statePath_.c_str(), before.c_str()), 0);

  ASSERT_TRUE(Lib().WriteInt(render_, u"EQ_Slider1", -6));
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), -6);
  {
    ScopedEnv state("TRAVIX_CONFLIB_STATE", before);
    EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 6);
  }
  struct stat info {};
  ASSERT_EQ(::stat(statePath_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u) << "the file's permissions were not kept";
  // No temporary file is left beside it.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(statePath_).parent_path()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"osConfLib.json"});
}

TEST_F(StateFileMode, AFailedSaveKeepsTheValueInUse) {
  // The state file's folder cannot be made: a file holds its name.
  const std::string blocker = dir_.Path() + "/blocker";
  WriteFile(blocker, "x");
  ScopedEnv state("TRAVIX_CONFLIB_STATE", blocker + "/osConfLib.json");
  EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider5", 7));
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider5"), 0);
  EXPECT_FALSE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 0.2f));
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.8");
}

TEST_F(StateFileMode, AHostileFileReadsAsDefaultsOrWithinRange) {
  fs::create_directories(fs::path(statePath_).parent_path());
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string garbage("\x00\xff\xfe{\"equalizer\"", 16);
  for (const std::string& text : {std::string(), std::string("not json"), std::string("[1, 2, 3]"),
                                  std::string("{\"equalizer\": \"loud\", \"reverb\": []}"),
                                  std::string("{\"equalizer\": {\"bands\": {\"0\": 5}}}"),
                                  std::string("{\"equalizer\": {\"enabled\": true, \"bands\": [3"), deep,
                                  garbage,
                                  // Too large to be ours, whatever it holds.
                                  std::string(2 << 20, ' ') + R"({"equalizer": {"bands": [9]}})"}) {
    SCOPED_TRACE(text.substr(0, 40));
    WriteFile(statePath_, text);
    Reinit();
    EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 0);
    EXPECT_EQ(Lib().ReadInt(render_, u"Enable_EQ_GFX"), 0);
    EXPECT_EQ(Lib().ReadInt(render_, u"RFX_ENVIRONMENT"), 0);
    EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.8");
  }

  // Wrong types and numbers far out of range.
  WriteFile(statePath_, R"({
    "equalizer": {"enabled": "yes", "bands": [1e300, -1e300, "x", null, 99999999999999999999, -21, 2.6]},
    "voiceChanger": {"enabled": 7, "voice": -5},
    "reverb": {"environment": 1e308, "roomSize": -1},
    "surround": {"on": 1},
    "simulated": {"microphone": {"volume": "high", "muted": []}, "monitor": {"volume": 1e9}}
  })");
  Reinit();
  EXPECT_EQ(Lib().ReadInt(render_, u"Enable_EQ_GFX"), 0);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 20);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider2"), -20);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider3"), 0);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider4"), 0);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider5"), 20);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider6"), -20);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider7"), 3);
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider8"), 0);
  EXPECT_EQ(Lib().ReadInt(capture_, u"Enable_MAGICVOICE"), 1);
  EXPECT_EQ(Lib().ReadInt(capture_, u"MagicVoice_Selection"), 0);
  EXPECT_EQ(Lib().ReadInt(render_, u"RFX_ROOMSIZE"), 0);
  const auto environment = Lib().ReadInt(render_, u"RFX_ENVIRONMENT");
  ASSERT_TRUE(environment);
  EXPECT_GE(*environment, 0);
  EXPECT_LT(*environment, 1000);
  EXPECT_EQ(Lib().ReadInt(render_, u"VirtualSurroundEffectControl"), 0);
  EXPECT_EQ(Lib().ReadText(capture_, u"VolumeScalarControl"), "0.8");
  EXPECT_EQ(Lib().ReadInt(capture_, u"MuteControl"), 0);
  EXPECT_EQ(Lib().ReadText(capture_, u"AAVolumeScalarControl"), "1");

  // Things that are no file: read as defaults without blocking, and a save
  // puts a file in place of the FIFO.
  fs::remove(statePath_);
  ASSERT_EQ(::mkfifo(statePath_.c_str(), 0600), 0);
  Reinit();
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 0);
  EXPECT_TRUE(Lib().WriteInt(render_, u"EQ_Slider1", 2));
  EXPECT_TRUE(fs::is_regular_file(statePath_));
  fs::remove(statePath_);
  fs::create_directory(statePath_);
  Reinit();
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 0);
  EXPECT_FALSE(Lib().WriteInt(render_, u"EQ_Slider1", 2));
  // A link where the file belongs is not followed.
  fs::remove(statePath_);
  const std::string target = dir_.Path() + "/elsewhere.json";
  WriteFile(target, R"({"equalizer": {"bands": [9]}})");
  fs::create_symlink(target, statePath_);
  Reinit();
  EXPECT_EQ(Lib().ReadInt(render_, u"EQ_Slider1"), 0);
}

TEST_F(StateFileMode, NoAnswerGoesPastTheBuffer) {
  // Every property on both endpoints, read and written; the buffer checks
  // are in each call.
  std::vector<std::u16string> names = {u"GetSupportFeature",
                                       u"GetMaxVol",
                                       u"GetMinVol",
                                       u"GetVolStep",
                                       u"VolumeScalarControl",
                                       u"VolumeControl",
                                       u"MuteControl",
                                       u"Enable_EQ_GFX",
                                       u"Enable_RFX_GFX",
                                       u"RFX_ENVIRONMENT",
                                       u"RFX_ROOMSIZE",
                                       u"VirtualSurroundEffectControl",
                                       u"Enable_ENC_LFX",
                                       u"Enable_MAGICVOICE",
                                       u"Enable_MICECHO",
                                       u"MagicVoice_Selection"};
  for (const char16_t* name : kBandNames)
    names.emplace_back(name);
  for (const char16_t* name : kMonitorProperties)
    names.emplace_back(name);
  const std::vector<int32_t> channel = {-1};
  for (const OsConfEndpoint& endpoint : {render_, capture_})
    for (const std::u16string& name : names) {
      SCOPED_TRACE(fs::path(name).string());
      EXPECT_EQ(Lib().Call(endpoint, name.c_str(), 0), 0);
      EXPECT_EQ(Lib().Call(endpoint, name.c_str(), 0, nullptr, 0, &channel), 0);
      Lib().WriteInt(endpoint, name.c_str(), 1, &channel);
    }
}

TEST_F(StateFileMode, UnknownPropertiesAndBadArgumentsFail) {
  for (const char16_t* name : {u"NoSuchControl", u"mutecontrol", u"MuteControl ", u"", u"EQ_Slider11",
                               u"EQ_Slider0", u"Mute\u00c4Control"}) {
    SCOPED_TRACE(fs::path(std::u16string(name)).string());
    EXPECT_NE(Lib().Call(capture_, name, 0), 0);
    EXPECT_FALSE(Lib().WriteInt(capture_, name, 1));
  }
  // A name that never ends within reason.
  const std::u16string longName(4000, u'A');
  EXPECT_NE(Lib().Call(capture_, longName.c_str(), 0), 0);
  EXPECT_NE(Lib().Call(capture_, nullptr, 0), 0);

  // The read-only answers take no writes.
  for (const char16_t* name : {u"GetSupportFeature", u"GetMaxVol", u"GetMinVol", u"GetVolStep", u"VolumeControl",
                               u"GetAAMaxVol", u"AAVolumeControl"})
    EXPECT_FALSE(Lib().WriteInt(capture_, name, 0));

  // An endpoint the library did not hand out.
  OsConfEndpoint stranger = capture_;
  stranger.id += 100;
  EXPECT_NE(Lib().Call(stranger, u"MuteControl", 0), 0);
  OsConfEndpoint swapped = render_;
  swapped.kind = capture_.kind;
  EXPECT_NE(Lib().Call(swapped, u"MuteControl", 0), 0);

  // Null buffers.
  const std::u16string name = u"MuteControl";
  ConfLibrary& lib = Lib();
  void* nothing = nullptr;
  using PropertyFn = int (*)(OsConfEndpoint, const char16_t*, void**, void**, int);
  void* handle = ::dlopen(kLibraryPath, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  auto property = reinterpret_cast<PropertyFn>(::dlsym(handle, "PropertyControl"));
  EXPECT_NE(property(capture_, name.c_str(), nullptr, nullptr, 0), 0);
  EXPECT_NE(property(capture_, name.c_str(), &nothing, nullptr, 0), 0);
  EXPECT_NE(property(capture_, name.c_str(), nullptr, nullptr, 1), 0);
  // A parameter pointer that leads nowhere is no selector, and is ignored.
  std::array<unsigned char, kBufferBytes> value{};
  void* valuePointer = value.data();
  EXPECT_EQ(property(capture_, name.c_str(), &valuePointer, &nothing, 0), 0);
  ::dlclose(handle);
  EXPECT_EQ(lib.ReadInt(capture_, u"MuteControl"), 0);

  EXPECT_NE(lib.SetStateFile(nullptr), 0);
  EXPECT_NE(lib.SetStateFile("relative/path.json"), 0);
}

TEST_F(StateFileMode, CallsFromSeveralThreadsKeepEveryValue) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 10;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      // The same library, with buffers of this thread's own.
      ConfLibrary lib;
      for (int round = 1; round <= kRounds; ++round) {
        const int value = t % 2 == 0 ? round : -round;
        if (!lib.WriteInt(render_, kBandNames[t], value) || lib.ReadInt(render_, kBandNames[t]) != value)
          ++failures;
      }
    });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(failures.load(), 0);
  Reinit();
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(Lib().ReadInt(render_, kBandNames[t]), t % 2 == 0 ? kRounds : -kRounds);
}

// Decimal text is the C locale's whatever the user's: a German desktop
// writes 0,53, the program reads 0.53.
TEST_F(StateFileMode, DecimalTextHasADotUnderADecimalCommaLocale) {
  // The numeric category alone: the one that decides the decimal point.
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (locale-gen de_DE.UTF-8 to run this test)";
  struct Restore {
    std::string name;
    ~Restore() { std::setlocale(LC_NUMERIC, name.c_str()); }
  } restore{previous};
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  ASSERT_TRUE(Lib().WriteFloat(capture_, u"VolumeScalarControl", 0.53f));
  ASSERT_TRUE(Lib().WriteFloat(capture_, u"AAVolumeScalarControl", 0.53f));
  // Read again from the file under the same locale.
  Reinit();
  for (const char16_t* name : {u"VolumeScalarControl", u"AAVolumeScalarControl"}) {
    const auto text = Lib().ReadText(capture_, name);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->rfind("0.53", 0), 0u) << *text;
  }
  for (const char16_t* name : {u"GetVolStep", u"VolumeControl", u"GetAAVolStep", u"AAVolumeControl"}) {
    const auto text = Lib().ReadText(capture_, name);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find(','), std::string::npos) << *text;
    EXPECT_TRUE(ParseNumber(*text)) << *text;
  }
  EXPECT_EQ(Lib().ReadText(capture_, u"GetVolStep"), "0.5");
}

// ---------------------------------------------------------------------------
// On a sound server: a private PulseAudio with null devices.

std::vector<long> ChannelVolumes(const std::string& pactlOutput) {
  std::vector<long> volumes;
  static const std::regex pattern(R"(:\s*(\d+)\s*/)");
  for (auto it = std::sregex_iterator(pactlOutput.begin(), pactlOutput.end(), pattern);
       it != std::sregex_iterator(); ++it)
    volumes.push_back(std::stol((*it)[1]));
  return volumes;
}

class SoundServer : public PrivateAudioEnvironment {
 protected:
  void SetUp() override {
    PrivateAudioEnvironment::SetUp();
    if (HasFatalFailure())
      return;
    env_.emplace_back("PULSE_SERVER", "unix:" + dir_.Path() + "/native");
    env_.emplace_back("XDG_DATA_HOME", dir_.Path() + "/data");
    env_.emplace_back("TRAVIX_CONFLIB_STATE", nullptr);
    env_.emplace_back("TRAVIX_CONFLIB_FAIL", nullptr);
    env_.emplace_back("TRAVIX_CONFLIB_SINK", "hs_sink");
    env_.emplace_back("TRAVIX_CONFLIB_SOURCE", "hs_source");
    if (const std::string why = server_.Start(); !why.empty())
      GTEST_SKIP() << "no private sound server: " << why;
    if (!HaveProgram("pactl"))
      GTEST_SKIP() << "pactl (pulseaudio-utils) is not installed";
    Load(true);
  }
  void TearDown() override {
    library_.reset();
    server_.Stop();
  }

  void Load(bool withStateFile) {
    library_ = std::make_unique<ConfLibrary>();
    ASSERT_TRUE(library_->Loaded()) << library_->Error();
    // As the program does: the state file before the start.
    if (withStateFile) {
      ASSERT_EQ(library_->SetStateFile(StatePath().c_str()), 0);
    }
    ASSERT_EQ(library_->Init(), 0);
    ASSERT_EQ(library_->CreateList(), 0);
  }
  std::string StatePath() const { return dir_.Path() + "/given/osConfLib.json"; }
  ConfLibrary& Lib() { return *library_; }
  static std::string Pactl(const std::string& arguments) { return RunCommand("pactl " + arguments); }

  PulseServer server_{dir_.Path(),
                      {"module-null-sink sink_name=hs_sink", "module-null-source source_name=hs_source"}};
  std::unique_ptr<ConfLibrary> library_;
};

TEST_F(SoundServer, TheMicrophoneIsTheSourcesVolumeAndMute) {
  ASSERT_EQ(Lib().Count(0), 1u);
  ASSERT_EQ(Lib().Count(1), 1u);
  const OsConfEndpoint capture = Lib().Endpoint(1);
  EXPECT_EQ(capture.kind, 2u);

  ASSERT_TRUE(Lib().WriteFloat(capture, u"VolumeScalarControl", 0.25f));
  const auto volumes = ChannelVolumes(Pactl("get-source-volume hs_source"));
  EXPECT_EQ(volumes, (std::vector<long>{16384, 16384}));
  EXPECT_EQ(Lib().ReadText(capture, u"VolumeScalarControl"), "0.25");
  // 25% is -36.12 dB on the server's cubic curve.
  const auto level = Lib().ReadNumber(capture, u"VolumeControl");
  ASSERT_TRUE(level);
  EXPECT_NEAR(*level, -36.12, 0.01);
  // The speaker is left alone.
  EXPECT_EQ(ChannelVolumes(Pactl("get-sink-volume hs_sink")), (std::vector<long>{65536, 65536}));

  // A change made elsewhere is what the library answers.
  Pactl("set-source-volume hs_source 40%");
  EXPECT_EQ(Lib().ReadText(capture, u"VolumeScalarControl"), "0.4");

  ASSERT_TRUE(Lib().WriteInt(capture, u"MuteControl", 1));
  EXPECT_NE(Pactl("get-source-mute hs_source").find("yes"), std::string::npos);
  EXPECT_EQ(Lib().ReadInt(capture, u"MuteControl"), 1);
  Pactl("set-source-mute hs_source 0");
  EXPECT_EQ(Lib().ReadInt(capture, u"MuteControl"), 0);
}

TEST_F(SoundServer, TheSpeakerIsTheSinksVolume) {
  const OsConfEndpoint render = Lib().Endpoint(0);
  ASSERT_TRUE(Lib().WriteFloat(render, u"VolumeScalarControl", 0.5f));
  EXPECT_EQ(ChannelVolumes(Pactl("get-sink-volume hs_sink")), (std::vector<long>{32768, 32768}));
  ASSERT_TRUE(Lib().WriteInt(render, u"MuteControl", 1));
  EXPECT_NE(Pactl("get-sink-mute hs_sink").find("yes"), std::string::npos);
}

TEST_F(SoundServer, MonitoringNeedsTheCardsOwnControl) {
  // Null devices have no ALSA card behind them.
  const OsConfEndpoint capture = Lib().Endpoint(1);
  for (const char16_t* name : kMonitorProperties) {
    EXPECT_FALSE(Lib().ReadText(capture, name));
    EXPECT_FALSE(Lib().WriteInt(capture, name, 0));
  }
  EXPECT_FALSE(Lib().WriteFloat(capture, u"AAVolumeScalarControl", 0.5f));
}

TEST_F(SoundServer, OtherSettingsGoToTheStateFile) {
  const OsConfEndpoint render = Lib().Endpoint(0);
  const OsConfEndpoint capture = Lib().Endpoint(1);
  ASSERT_TRUE(Lib().WriteInt(render, u"EQ_Slider3", -4));
  ASSERT_TRUE(Lib().WriteInt(capture, u"Enable_ENC_LFX", 1));
  EXPECT_TRUE(fs::is_regular_file(StatePath()));
  EXPECT_EQ(Lib().ReadText(capture, u"GetSupportFeature").has_value(), true);

  library_.reset();
  Load(true);
  EXPECT_EQ(Lib().ReadInt(render, u"EQ_Slider3"), -4);
  EXPECT_EQ(Lib().ReadInt(capture, u"Enable_ENC_LFX"), 1);

  // Without a file given: under $XDG_DATA_HOME.
  library_.reset();
  Load(false);
  EXPECT_EQ(Lib().ReadInt(render, u"EQ_Slider3"), 0);
  ASSERT_TRUE(Lib().WriteInt(render, u"EQ_Slider3", 8));
  EXPECT_TRUE(fs::is_regular_file(dir_.Path() + "/data/travix/osConfLib.json"));
}

TEST_F(SoundServer, AMonitorSourceIsNeverTheMicrophone) {
  ScopedEnv source("TRAVIX_CONFLIB_SOURCE", "hs_sink.monitor");
  EXPECT_EQ(Lib().CreateList(), 0);
  EXPECT_EQ(Lib().Count(0), 1u);
  EXPECT_EQ(Lib().Count(1), 0u);
}

TEST_F(SoundServer, TheHeadsetIsFoundByItsUsbIds) {
  ScopedEnv sink("TRAVIX_CONFLIB_SINK", nullptr);
  ScopedEnv source("TRAVIX_CONFLIB_SOURCE", nullptr);
  // The null devices carry no ids.
  EXPECT_EQ(Lib().CreateList(), 0);
  EXPECT_EQ(Lib().Count(0), 0u);
  EXPECT_EQ(Lib().Count(1), 0u);

  // PulseAudio's spelling on the sink, PipeWire's on a mono microphone.
  Pactl("load-module module-null-sink sink_name=usb_sink "
        "\"sink_properties='device.vendor.id=0c76 device.product.id=1630'\"");
  EXPECT_EQ(Lib().CreateList(), 0);
  EXPECT_EQ(Lib().Count(0), 1u);
  // Its monitor is no microphone.
  EXPECT_EQ(Lib().Count(1), 0u);
  Pactl("load-module module-remap-source master=usb_sink.monitor source_name=usb_mic channels=1 "
        "channel_map=mono \"source_properties='device.vendor.id=0x0C76 device.product.id=0x1630'\"");
  // Another maker's device with the same product id.
  Pactl("load-module module-null-sink sink_name=other_sink "
        "\"sink_properties='device.vendor.id=0c77 device.product.id=1630'\"");
  EXPECT_EQ(Lib().CreateList(), 0);
  ASSERT_EQ(Lib().Count(1), 1u);

  const OsConfEndpoint render = Lib().Endpoint(0);
  const OsConfEndpoint capture = Lib().Endpoint(1);
  ASSERT_TRUE(Lib().WriteFloat(capture, u"VolumeScalarControl", 0.3f));
  EXPECT_EQ(ChannelVolumes(Pactl("get-source-volume usb_mic")), (std::vector<long>{19661}));
  ASSERT_TRUE(Lib().WriteFloat(render, u"VolumeScalarControl", 0.6f));
  EXPECT_EQ(ChannelVolumes(Pactl("get-sink-volume usb_sink")), (std::vector<long>{39322, 39322}));
  EXPECT_EQ(ChannelVolumes(Pactl("get-sink-volume other_sink")), (std::vector<long>{65536, 65536}));
}

TEST_F(SoundServer, AServerThatGoesAwayAndComesBackIsPickedUp) {
  const OsConfEndpoint capture = Lib().Endpoint(1);
  ASSERT_TRUE(Lib().ReadText(capture, u"VolumeScalarControl"));

  server_.Stop();
  auto start = Clock::now();
  EXPECT_FALSE(Lib().ReadText(capture, u"VolumeScalarControl"));
  EXPECT_FALSE(Lib().WriteInt(capture, u"MuteControl", 1));
  EXPECT_NE(Lib().CreateList(), 0);
  EXPECT_EQ(Lib().Count(1), 0u);
  EXPECT_LT(Clock::now() - start, kHangLimit);

  ASSERT_EQ(server_.Start(), "");
  EXPECT_EQ(Lib().CreateList(), 0);
  EXPECT_EQ(Lib().Count(1), 1u);
  ASSERT_TRUE(Lib().WriteFloat(capture, u"VolumeScalarControl", 0.7f));
  EXPECT_EQ(ChannelVolumes(Pactl("get-source-volume hs_source")), (std::vector<long>{45875, 45875}));
}

// ---------------------------------------------------------------------------
// Without a sound server: nothing listed, and no call waits long.

class NoSoundServer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.Path().empty()); }

  // The program's start against the server at `server`.
  void StartAgainst(const std::string& server) {
    ScopedEnv pulse("PULSE_SERVER", server);
    ConfLibrary library;
    ASSERT_TRUE(library.Loaded()) << library.Error();
    const auto start = Clock::now();
    EXPECT_EQ(library.Init(), 0);
    EXPECT_NE(library.CreateList(), 0);
    EXPECT_EQ(library.Count(0), 0u);
    EXPECT_EQ(library.Count(1), 0u);
    OsConfEndpoint endpoint{};
    EXPECT_NE(library.ById(0, 0, &endpoint), 0);
    EXPECT_LT(Clock::now() - start, kHangLimit);
  }

  TempDir dir_;
  ScopedEnv home_{"HOME", dir_.Path()};
  ScopedEnv runtime_{"XDG_RUNTIME_DIR", dir_.Path()};
  ScopedEnv display_{"DISPLAY", nullptr};
  ScopedEnv state_{"TRAVIX_CONFLIB_STATE", nullptr};
  ScopedEnv sink_{"TRAVIX_CONFLIB_SINK", "hs_sink"};
  ScopedEnv source_{"TRAVIX_CONFLIB_SOURCE", "hs_source"};
};

TEST_F(NoSoundServer, NoSocketListsNothing) {
  StartAgainst("unix:" + dir_.Path() + "/nothing-here");
}

TEST_F(NoSoundServer, AServerThatNeverAnswersListsNothingInTime) {
  // Takes connections into its backlog and never says a word.
  const std::string path = dir_.Path() + "/silent";
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(fd, 16), 0);
  StartAgainst("unix:" + path);
  ::close(fd);
}

}  // namespace
