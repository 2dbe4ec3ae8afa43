#include "headset/AudioLibrary.h"

#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace headset {

namespace {

// The render endpoint: the first device of the first of these kinds that
// has one (with attribute 4 set); the capture endpoint: the first of kind 2.
constexpr uint32_t kRenderKinds[] = {1, 12, 7, 4};
constexpr uint32_t kCaptureKind = 2;
constexpr uint32_t kVoiceChangerFeature = 0x20000;
constexpr size_t kFeatureItems = 7;

template <typename Fn>
Fn Lookup(void* handle, const char* name) {
  return reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

AudioLibrary::~AudioLibrary() {
  if (handle_ != nullptr)
    dlclose(handle_);
}

bool AudioLibrary::Load(const std::string& path, const std::string& stateFile) {
  if (handle_ != nullptr)
    return true;
  // Its own dependencies are found beside it ($ORIGIN in the library).
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr)
    return false;
  init_ = Lookup<InitFn>(handle_, "ConfLibInit");
  createList_ = Lookup<CreateListFn>(handle_, "CreateDeviceList");
  count_ = Lookup<CountFn>(handle_, "GetDeviceCount");
  byId_ = Lookup<ByIdFn>(handle_, "GetDeviceById");
  property_ = Lookup<PropertyFn>(handle_, "PropertyControl");
  if (auto setStateFile = Lookup<StateFileFn>(handle_, "ConfLibSetStateFile");
      setStateFile != nullptr && !stateFile.empty())
    setStateFile(stateFile.c_str());
  return true;
}

AudioLibrary::InitReport AudioLibrary::Initialise() {
  InitReport report;
  report.loaded = IsLoaded();
  if (!report.loaded)
    return report;
  report.initFailed = init_ == nullptr || init_() != 0;
  if (!SelectEndpoints())
    return report;
  report.hasDevice = true;
  bool captureOk = false, renderOk = false;
  ReadFeatures(Flow::Capture, captureOk);
  ReadFeatures(Flow::Render, renderOk);
  report.featuresShort = !captureOk || !renderOk;
  Probe();
  return report;
}

bool AudioLibrary::SelectEndpoints() {
  hasDevice_ = false;
  if (createList_ != nullptr)
    createList_();
  unsigned renderCount = 0;
  if (count_ == nullptr || byId_ == nullptr)
    return false;
  count_(static_cast<int>(Flow::Render), &renderCount);
  if (renderCount == 0)
    return false;
  OsConfEndpoint render{};
  bool found = false;
  for (uint32_t kind : kRenderKinds)
    if ((found = ChooseEndpoint(Flow::Render, kind, true, render)))
      break;
  OsConfEndpoint capture{};
  ChooseEndpoint(Flow::Capture, kCaptureKind, false, capture);
  render_ = render;
  capture_ = capture;
  hasDevice_ = true;
  return true;
}

bool AudioLibrary::ChooseEndpoint(Flow flow, uint32_t kind, bool needsAttribute,
                                  OsConfEndpoint& chosen) {
  unsigned count = 0;
  count_(static_cast<int>(flow), &count);
  for (unsigned i = 0; i < count; ++i) {
    OsConfEndpoint endpoint{};
    byId_(static_cast<int>(flow), i, &endpoint);
    if (endpoint.kind == kind && (!needsAttribute || endpoint.attribute4 == 1)) {
      chosen = endpoint;
      return true;
    }
  }
  return false;
}

void AudioLibrary::ReadFeatures(Flow flow, bool& ok) {
  ok = false;
  const auto text = ReadText(flow, u"GetSupportFeature");
  if (!text)
    return;
  if (const auto words = ParseFeatures(text->c_str())) {
    (flow == Flow::Render ? renderFeatures_ : captureFeatures_) = *words;
    ok = true;
  }
}

uint32_t AudioLibrary::FeatureWord(Flow flow, int index) const {
  if (index < 0 || index >= 3)
    return 0;
  return (flow == Flow::Render ? renderFeatures_ : captureFeatures_)[static_cast<size_t>(index)];
}

bool AudioLibrary::HasVoiceChanger() const {
  return (captureFeatures_[0] & kVoiceChangerFeature) != 0;
}

void AudioLibrary::Probe() {
  struct Probed {
    Flow flow;
    std::u16string_view name;
    std::optional<Parameter> readParameter;
    std::optional<Parameter> writeParameter;
  };
  const Parameter surround = {4, -1, 0};
  std::vector<Probed> list = {
      {Flow::Render, u"VirtualSurroundEffectControl", surround, surround},
      {Flow::Capture, u"Enable_ENC_LFX", Parameter{0}, std::nullopt},
      {Flow::Capture, u"VolumeControl", Parameter{-1}, Parameter{-1}},
      {Flow::Render, u"Enable_EQ_GFX", std::nullopt, std::nullopt},
  };
  static const std::u16string kBands[] = {u"EQ_Slider1", u"EQ_Slider2", u"EQ_Slider3", u"EQ_Slider4",
                                          u"EQ_Slider5", u"EQ_Slider6", u"EQ_Slider7", u"EQ_Slider8",
                                          u"EQ_Slider9", u"EQ_Slider10"};
  for (const std::u16string& band : kBands)
    list.push_back({Flow::Render, band, std::nullopt, std::nullopt});
  const std::vector<Probed> rest = {
      {Flow::Render, u"Enable_RFX_GFX", std::nullopt, std::nullopt},
      {Flow::Render, u"RFX_ENVIRONMENT", std::nullopt, std::nullopt},
      {Flow::Render, u"RFX_ROOMSIZE", std::nullopt, std::nullopt},
      {Flow::Capture, u"MuteControl", std::nullopt, std::nullopt},
      {Flow::Capture, u"VolumeScalarControl", Parameter{-1}, Parameter{-1}},
      {Flow::Capture, u"AAVolumeControl", Parameter{0}, Parameter{0}},
      {Flow::Capture, u"AAMuteControl", std::nullopt, std::nullopt},
      {Flow::Capture, u"AAVolumeScalarControl", Parameter{0}, Parameter{0}},
      {Flow::Capture, u"Enable_MAGICVOICE", std::nullopt, std::nullopt},
      {Flow::Capture, u"MagicVoice_Selection", std::nullopt, std::nullopt},
  };
  list.insert(list.end(), rest.begin(), rest.end());
  // A volume that cannot be read is left alone: writing 0 there would
  // silence the microphone after one slow answer of the sound server.
  auto isVolume = [](std::u16string_view name) { return name.find(u"Volume") != name.npos; };
  for (const Probed& probed : list)
    if (!Call(probed.flow, probed.name, probed.readParameter, false, nullptr, 0) &&
        !isVolume(probed.name))
      WriteInt(probed.flow, probed.name, 0, probed.writeParameter);
}

bool AudioLibrary::Call(Flow flow, std::u16string_view property,
                        const std::optional<Parameter>& parameter, bool set, const void* value,
                        size_t valueBytes) {
  if (property_ == nullptr || !hasDevice_)
    return false;
  value_.fill(0);
  parameter_.fill(0);
  if (value != nullptr)
    std::memcpy(value_.data(), value, std::min(valueBytes, value_.size()));
  if (parameter) {
    const size_t bytes = std::min(parameter->size() * sizeof(int32_t), parameter_.size());
    std::memcpy(parameter_.data(), parameter->data(), bytes);
  }
  // Property names go out NUL-terminated.
  std::u16string name(property);
  void* valuePointer = value_.data();
  void* parameterPointer = parameter_.data();
  const int result = property_(Endpoint(flow), name.c_str(), &valuePointer,
                               parameter ? &parameterPointer : nullptr, set ? 1 : 0);
  // Whatever the library wrote, the buffer ends in a NUL.
  value_.back() = 0;
  value_[value_.size() - 2] = 0;
  return result == 0;
}

std::optional<std::string> AudioLibrary::ReadText(Flow flow, std::u16string_view property,
                                                  const std::optional<Parameter>& parameter) {
  if (!Call(flow, property, parameter, false, nullptr, 0))
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(value_.data()));
}

std::optional<double> AudioLibrary::ReadVolume(Flow flow, std::u16string_view property,
                                               const std::optional<Parameter>& parameter) {
  if (!Call(flow, property, parameter, false, nullptr, 0))
    return std::nullopt;
  return ParseVolumeText(reinterpret_cast<const char*>(value_.data()));
}

std::optional<int> AudioLibrary::ReadInt(Flow flow, std::u16string_view property,
                                         const std::optional<Parameter>& parameter) {
  if (!Call(flow, property, parameter, false, nullptr, 0))
    return std::nullopt;
  std::array<char16_t, kOsConfBufferBytes / 2> text{};
  std::memcpy(text.data(), value_.data(), value_.size());
  text.back() = 0;
  return ParseIntText(text.data());
}

bool AudioLibrary::WriteInt(Flow flow, std::u16string_view property, int32_t value,
                            const std::optional<Parameter>& parameter) {
  // Little-endian int32 in the first four bytes.
  const uint32_t bits = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8),
                            static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 24)};
  return Call(flow, property, parameter, true, bytes, sizeof bytes);
}

bool AudioLibrary::WriteVolume(Flow flow, std::u16string_view property, float value,
                               const std::optional<Parameter>& parameter) {
  static_assert(sizeof(float) == 4);
  return Call(flow, property, parameter, true, &value, sizeof value);
}

std::optional<double> AudioLibrary::ParseVolumeText(const char* text) {
  if (text == nullptr)
    return std::nullopt;
  const char* begin = text;
  while (*begin == ' ')
    ++begin;
  const char* end = begin + std::strlen(begin);
  double value = 0;
  const auto [next, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || next == begin)
    return std::nullopt;
  return value;
}

std::optional<int> AudioLibrary::ParseIntText(const char16_t* text) {
  if (text == nullptr)
    return std::nullopt;
  // Decimal digits are ASCII in UTF-16 too.
  std::string narrow;
  for (const char16_t* c = text; *c != 0 && narrow.size() < 16; ++c) {
    if (*c > 0x7F)
      return std::nullopt;
    narrow += static_cast<char>(*c);
  }
  int value = 0;
  const char* begin = narrow.data();
  const char* end = begin + narrow.size();
  while (begin != end && *begin == ' ')
    ++begin;
  const auto [next, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || next == begin)
    return std::nullopt;
  return value;
}

std::optional<std::array<uint32_t, 3>> AudioLibrary::ParseFeatures(const char* text) {
  if (text == nullptr)
    return std::nullopt;
  std::vector<std::string_view> items;
  std::string_view rest(text);
  while (true) {
    const size_t comma = rest.find(',');
    items.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos)
      break;
    rest.remove_prefix(comma + 1);
  }
  if (items.size() < kFeatureItems)
    return std::nullopt;
  std::array<uint32_t, 3> words{};
  const size_t picked[3] = {0, 4, 6};
  for (size_t i = 0; i < 3; ++i) {
    std::string_view item = items[picked[i]];
    while (!item.empty() && item.front() == ' ')
      item.remove_prefix(1);
    uint32_t value = 0;
    const auto [next, error] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (error != std::errc() || next == item.data())
      return std::nullopt;
    words[i] = value;
  }
  return words;
}

}  // namespace headset
