// The headset audio library: the entry points the program looks up, over
// the sound server (speaker and microphone volume and mute), ALSA's mixer
// (monitoring) and the state file (everything else).
//
// Environment, read at every call:
//   TRAVIX_CONFLIB_STATE   a path: run on that file alone (never the sound
//                          server or ALSA); it also holds the speaker, the
//                          microphone and a monitor, and both endpoints are
//                          always listed.
//   TRAVIX_CONFLIB_FAIL    with TRAVIX_CONFLIB_STATE: failures on demand, a
//                          comma-separated list of init, features, monitor,
//                          write, nodevice, novoice.
//   TRAVIX_CONFLIB_SINK    a sink and a source to take as the headset's
//   TRAVIX_CONFLIB_SOURCE  instead of finding them by the USB ids.

#include "osConfLib.h"

#include <pulse/volume.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "AlsaMonitor.h"
#include "ConfState.h"
#include "ConfText.h"
#include "PulseLink.h"

namespace conflib {

namespace {

constexpr uint16_t kHeadsetVendor = 0x0c76;
constexpr uint16_t kHeadsetProduct = 0x1630;

// All the sound server may take of one call, connecting included: the
// program calls from a worker that must never hang on a stuck server.
constexpr auto kServerBudget = std::chrono::milliseconds(300);

// The two endpoints; the ids stay the same across replugs.
constexpr OsConfEndpoint kRenderEndpoint{1, 1, 0, 1};
constexpr OsConfEndpoint kCaptureEndpoint{2, 2, 0, 0};

// Each endpoint's feature list has seven items, of which the program reads
// 0, 4 and 6; item 0 of the capture endpoint says the voice changer is there.
constexpr uint32_t kVoiceChangerFeature = 0x20000;
constexpr int kFeatureItems = 7;

// Speaker and microphone levels are in dB, from 0 (full volume) down to
// kMinLevel; anything quieter reads as kMinLevel.
constexpr double kMinLevel = -60.0;
constexpr double kMaxLevel = 0.0;
constexpr double kLevelStep = 0.5;

constexpr int kScalarDecimals = 4;
constexpr int kLevelDecimals = 2;

enum class Flow { Render, Capture };

enum class Property {
  Features,
  MaxLevel,
  MinLevel,
  LevelStep,
  MonitorMaxLevel,
  MonitorMinLevel,
  MonitorLevelStep,
  Scalar,
  MonitorScalar,
  Level,
  MonitorLevel,
  Mute,
  MonitorMute,
  Stored,
};

struct NamedProperty {
  std::string_view name;
  Property property;
};

constexpr NamedProperty kProperties[] = {
    {"GetSupportFeature", Property::Features},
    {"GetMaxVol", Property::MaxLevel},
    {"GetMinVol", Property::MinLevel},
    {"GetVolStep", Property::LevelStep},
    {"GetAAMaxVol", Property::MonitorMaxLevel},
    {"GetAAMinVol", Property::MonitorMinLevel},
    {"GetAAVolStep", Property::MonitorLevelStep},
    {"VolumeScalarControl", Property::Scalar},
    {"AAVolumeScalarControl", Property::MonitorScalar},
    {"VolumeControl", Property::Level},
    {"AAVolumeControl", Property::MonitorLevel},
    {"MuteControl", Property::Mute},
    {"AAMuteControl", Property::MonitorMute},
};

std::optional<Property> FindProperty(std::string_view name) {
  for (const NamedProperty& named : kProperties)
    if (named.name == name)
      return named.property;
  if (StateStore::IsSetting(name))
    return Property::Stored;
  return std::nullopt;
}

bool IsMonitorProperty(Property property) {
  switch (property) {
    case Property::MonitorMaxLevel:
    case Property::MonitorMinLevel:
    case Property::MonitorLevelStep:
    case Property::MonitorScalar:
    case Property::MonitorLevel:
    case Property::MonitorMute:
      return true;
    default:
      return false;
  }
}

bool IsReadOnly(Property property) {
  switch (property) {
    case Property::Scalar:
    case Property::MonitorScalar:
    case Property::Mute:
    case Property::MonitorMute:
    case Property::Stored:
      return false;
    default:
      return true;
  }
}

std::optional<Flow> FlowOf(const OsConfEndpoint& endpoint) {
  if (endpoint.kind == kRenderEndpoint.kind && endpoint.id == kRenderEndpoint.id)
    return Flow::Render;
  if (endpoint.kind == kCaptureEndpoint.kind && endpoint.id == kCaptureEndpoint.id)
    return Flow::Capture;
  return std::nullopt;
}

struct Failures {
  bool init = false;
  bool features = false;
  bool monitor = false;
  bool write = false;
  bool nodevice = false;
  bool novoice = false;
};

struct Mode {
  bool simulated = false;
  std::string statePath;  // with simulated
  Failures fail;
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

Failures ReadFailures() {
  Failures fail;
  const std::string list = Environment("TRAVIX_CONFLIB_FAIL");
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos)
      end = list.size();
    std::string_view item(list.data() + start, end - start);
    while (!item.empty() && item.front() == ' ')
      item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ')
      item.remove_suffix(1);
    if (item == "init")
      fail.init = true;
    else if (item == "features")
      fail.features = true;
    else if (item == "monitor")
      fail.monitor = true;
    else if (item == "write")
      fail.write = true;
    else if (item == "nodevice")
      fail.nodevice = true;
    else if (item == "novoice")
      fail.novoice = true;
    start = end + 1;
  }
  return fail;
}

Mode CurrentMode() {
  Mode mode;
  mode.statePath = Environment("TRAVIX_CONFLIB_STATE");
  mode.simulated = !mode.statePath.empty();
  if (mode.simulated)
    mode.fail = ReadFailures();
  return mode;
}

// A volume in the server's units as the level the program shows (dB).
double LevelOf(pa_volume_t volume) {
  const double level = pa_sw_volume_to_dB(volume);
  if (std::isnan(level) || level < kMinLevel)
    return kMinLevel;
  return std::min(level, kMaxLevel);
}

// The scalar is the volume in percent of full volume (linear in the
// server's units), which is what a desktop mixer's slider shows; it is not
// the cubic curve behind the dB figures.
pa_volume_t VolumeOf(double scalar) {
  return static_cast<pa_volume_t>(std::lround(std::clamp(scalar, 0.0, 1.0) * PA_VOLUME_NORM));
}

double ScalarOf(pa_volume_t volume) {
  return std::clamp(double(volume) / double(PA_VOLUME_NORM), 0.0, 1.0);
}

std::string FeatureText(Flow flow, const Failures& fail) {
  uint32_t first = 0;
  if (flow == Flow::Capture && !fail.novoice)
    first |= kVoiceChangerFeature;
  const uint32_t items[kFeatureItems] = {first, 0, 0, 0, 1, 0, 1};
  const int count = fail.features ? 3 : kFeatureItems;
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i > 0)
      text += ',';
    text += std::to_string(items[i]);
  }
  return text;
}

class ConfLib {
 public:
  int Init();
  int SetStateFile(const char* path);
  int CreateList();
  int Count(int flow, unsigned* count);
  int ById(int flow, unsigned index, OsConfEndpoint* endpoint);
  int Control(const OsConfEndpoint& endpoint, const char16_t* property, void** value, int set);

 private:
  // The last volume written to the sink or the source, answered again while
  // the server still holds exactly what it was written as.
  struct RememberedVolume {
    bool valid = false;
    std::string device;
    pa_volume_t volume = 0;
    double scalar = 0;
  };

  // False when the server could not be asked (the list is empty then).
  bool ListDevices(Clock::time_point deadline);
  unsigned CountOf(Flow flow, const Mode& mode);
  void UseStateFile(const Mode& mode);
  bool Read(Flow flow, Property property, std::string_view name, const Mode& mode, void* buffer,
            Clock::time_point deadline);
  bool Write(Flow flow, Property property, std::string_view name, const Mode& mode, const void* buffer,
             Clock::time_point deadline);
  bool ReadStored(std::string_view name, const Mode& mode, void* buffer);
  bool ReadMonitor(Property property, const Mode& mode, void* buffer);

  std::mutex mutex_;
  std::string stateFile_;
  StateStore store_;
  PulseLink pulse_;
  AlsaMonitor monitor_;
  HeadsetDevices devices_;
  bool listed_ = false;
  RememberedVolume rememberedSink_;
  RememberedVolume rememberedSource_;
};

int ConfLib::Init() {
  std::lock_guard lock(mutex_);
  const Mode mode = CurrentMode();
  // A new start: the state file is read again and the server asked afresh.
  store_.Forget();
  rememberedSink_ = {};
  rememberedSource_ = {};
  if (mode.simulated)
    return mode.fail.init ? 1 : 0;
  pulse_.Disconnect();
  ListDevices(Clock::now() + kServerBudget);
  // No server or no headset is no failure: the list is just empty.
  return 0;
}

int ConfLib::SetStateFile(const char* path) {
  if (path == nullptr || path[0] != '/' || std::strlen(path) >= 4096)
    return 1;
  std::lock_guard lock(mutex_);
  stateFile_ = path;
  store_.Forget();
  return 0;
}

int ConfLib::CreateList() {
  std::lock_guard lock(mutex_);
  if (CurrentMode().simulated)
    return 0;
  return ListDevices(Clock::now() + kServerBudget) ? 0 : 1;
}

bool ConfLib::ListDevices(Clock::time_point deadline) {
  HeadsetMatch match;
  match.vendor = kHeadsetVendor;
  match.product = kHeadsetProduct;
  match.sinkName = Environment("TRAVIX_CONFLIB_SINK");
  match.sourceName = Environment("TRAVIX_CONFLIB_SOURCE");
  HeadsetDevices found;
  const bool asked = pulse_.Find(deadline, match, found);
  if (!asked)
    found = {};
  // The server did not name the card (PipeWire may not): the USB ids find
  // it among ALSA's cards.
  if (found.byUsbIds && found.alsaCard < 0)
    found.alsaCard = AlsaMonitor::FindUsbCard(kHeadsetVendor, kHeadsetProduct);
  if (found.sink != devices_.sink)
    rememberedSink_ = {};
  if (found.source != devices_.source)
    rememberedSource_ = {};
  devices_ = found;
  listed_ = true;
  return asked;
}

unsigned ConfLib::CountOf(Flow flow, const Mode& mode) {
  if (mode.simulated)
    return mode.fail.nodevice ? 0 : 1;
  if (!listed_)
    ListDevices(Clock::now() + kServerBudget);
  return (flow == Flow::Render ? devices_.sink : devices_.source).empty() ? 0 : 1;
}

int ConfLib::Count(int flow, unsigned* count) {
  if (count == nullptr)
    return 1;
  if (flow != 0 && flow != 1) {
    *count = 0;
    return 1;
  }
  std::lock_guard lock(mutex_);
  *count = CountOf(flow == 0 ? Flow::Render : Flow::Capture, CurrentMode());
  return 0;
}

int ConfLib::ById(int flow, unsigned index, OsConfEndpoint* endpoint) {
  if (endpoint == nullptr || (flow != 0 && flow != 1))
    return 1;
  std::lock_guard lock(mutex_);
  const Flow which = flow == 0 ? Flow::Render : Flow::Capture;
  if (index >= CountOf(which, CurrentMode()))
    return 1;
  *endpoint = which == Flow::Render ? kRenderEndpoint : kCaptureEndpoint;
  return 0;
}

void ConfLib::UseStateFile(const Mode& mode) {
  if (mode.simulated)
    store_.Use(mode.statePath, true);
  else
    store_.Use(stateFile_.empty() ? DefaultStatePath() : stateFile_, false);
}

int ConfLib::Control(const OsConfEndpoint& endpoint, const char16_t* property, void** value, int set) {
  if (value == nullptr || *value == nullptr || (set != 0 && set != 1))
    return 1;
  const std::optional<std::string> name = PropertyName(property);
  const std::optional<Flow> flow = FlowOf(endpoint);
  if (!name || !flow)
    return 1;
  const std::optional<Property> found = FindProperty(*name);
  if (!found)
    return 1;
  std::lock_guard lock(mutex_);
  const Mode mode = CurrentMode();
  if (mode.simulated && IsMonitorProperty(*found) && mode.fail.monitor)
    return 1;
  const auto deadline = Clock::now() + kServerBudget;
  if (set == 0)
    return Read(*flow, *found, *name, mode, *value, deadline) ? 0 : 1;
  if (IsReadOnly(*found) || (mode.simulated && mode.fail.write))
    return 1;
  return Write(*flow, *found, *name, mode, *value, deadline) ? 0 : 1;
}

bool ConfLib::Read(Flow flow, Property property, std::string_view name, const Mode& mode,
                   void* buffer, Clock::time_point deadline) {
  const StreamKind kind = flow == Flow::Render ? StreamKind::Sink : StreamKind::Source;
  const std::string& device = flow == Flow::Render ? devices_.sink : devices_.source;
  RememberedVolume& remembered = flow == Flow::Render ? rememberedSink_ : rememberedSource_;
  const Simulated simulated = flow == Flow::Render ? Simulated::Speaker : Simulated::Microphone;

  switch (property) {
    case Property::Features:
      PutText8(buffer, FeatureText(flow, mode.fail));
      return true;
    case Property::MaxLevel:
      PutText8(buffer, FormatNumber(kMaxLevel, kLevelDecimals));
      return true;
    case Property::MinLevel:
      PutText8(buffer, FormatNumber(kMinLevel, kLevelDecimals));
      return true;
    case Property::LevelStep:
      PutText8(buffer, FormatNumber(kLevelStep, kLevelDecimals));
      return true;
    case Property::Scalar:
    case Property::Level:
    case Property::Mute: {
      pa_volume_t volume = 0;
      double scalar = 0;
      bool muted = false;
      if (mode.simulated) {
        UseStateFile(mode);
        const SimulatedStream stream = store_.Stream(simulated);
        scalar = stream.volume;
        volume = VolumeOf(scalar);
        muted = stream.muted;
      } else {
        StreamState state;
        if (!pulse_.Read(deadline, kind, device, state))
          return false;
        volume = state.volume;
        muted = state.muted;
        scalar = remembered.valid && remembered.device == device && remembered.volume == volume
                     ? remembered.scalar
                     : ScalarOf(volume);
      }
      if (property == Property::Scalar)
        PutText8(buffer, FormatNumber(scalar, kScalarDecimals));
      else if (property == Property::Level)
        PutText8(buffer, FormatNumber(LevelOf(volume), kLevelDecimals));
      else
        PutInt16(buffer, muted ? 1 : 0);
      return true;
    }
    case Property::Stored:
      return ReadStored(name, mode, buffer);
    default:
      return ReadMonitor(property, mode, buffer);
  }
}

bool ConfLib::ReadMonitor(Property property, const Mode& mode, void* buffer) {
  if (mode.simulated) {
    UseStateFile(mode);
    const SimulatedStream stream = store_.Stream(Simulated::Monitor);
    switch (property) {
      case Property::MonitorMaxLevel:
        PutText8(buffer, FormatNumber(kMaxLevel, kLevelDecimals));
        return true;
      case Property::MonitorMinLevel:
        PutText8(buffer, FormatNumber(kMinLevel, kLevelDecimals));
        return true;
      case Property::MonitorLevelStep:
        PutText8(buffer, FormatNumber(kLevelStep, kLevelDecimals));
        return true;
      case Property::MonitorScalar:
        PutText8(buffer, FormatNumber(stream.volume, kScalarDecimals));
        return true;
      case Property::MonitorLevel:
        PutText8(buffer, FormatNumber(LevelOf(VolumeOf(stream.volume)), kLevelDecimals));
        return true;
      case Property::MonitorMute:
        PutInt16(buffer, stream.muted ? 1 : 0);
        return true;
      default:
        return false;
    }
  }
  const int card = devices_.alsaCard;
  if (card < 0)
    return false;
  switch (property) {
    case Property::MonitorMaxLevel:
    case Property::MonitorMinLevel:
    case Property::MonitorLevelStep: {
      MonitorRange range;
      if (!monitor_.Range(card, range))
        return false;
      const double figure = property == Property::MonitorMaxLevel   ? range.max
                            : property == Property::MonitorMinLevel ? range.min
                                                                    : range.step;
      PutText8(buffer, FormatNumber(figure, kScalarDecimals));
      return true;
    }
    case Property::MonitorScalar: {
      double scalar = 0;
      if (!monitor_.ReadScalar(card, scalar))
        return false;
      PutText8(buffer, FormatNumber(scalar, kScalarDecimals));
      return true;
    }
    case Property::MonitorLevel: {
      double level = 0;
      if (!monitor_.ReadLevel(card, level))
        return false;
      PutText8(buffer, FormatNumber(level, kLevelDecimals));
      return true;
    }
    case Property::MonitorMute: {
      bool muted = false;
      if (!monitor_.ReadMute(card, muted))
        return false;
      PutInt16(buffer, muted ? 1 : 0);
      return true;
    }
    default:
      return false;
  }
}

bool ConfLib::ReadStored(std::string_view name, const Mode& mode, void* buffer) {
  UseStateFile(mode);
  const std::optional<int> stored = store_.Setting(name);
  if (!stored)
    return false;
  PutInt16(buffer, *stored);
  return true;
}

bool ConfLib::Write(Flow flow, Property property, std::string_view name, const Mode& mode,
                    const void* buffer, Clock::time_point deadline) {
  if (property == Property::Stored) {
    UseStateFile(mode);
    return store_.SetSetting(name, TakeInt32(buffer));
  }
  const bool monitor = IsMonitorProperty(property);
  const bool isScalar = property == Property::Scalar || property == Property::MonitorScalar;
  double scalar = 0;
  bool muted = false;
  if (isScalar) {
    const float taken = TakeFloat(buffer);
    if (!std::isfinite(taken))
      return false;
    scalar = std::clamp(double(taken), 0.0, 1.0);
  } else {
    muted = TakeInt32(buffer) != 0;
  }

  if (mode.simulated) {
    UseStateFile(mode);
    const Simulated which = monitor                 ? Simulated::Monitor
                            : flow == Flow::Render ? Simulated::Speaker
                                                   : Simulated::Microphone;
    SimulatedStream stream = store_.Stream(which);
    if (isScalar)
      stream.volume = scalar;
    else
      stream.muted = muted;
    return store_.SetStream(which, stream);
  }

  if (monitor) {
    const int card = devices_.alsaCard;
    if (card < 0)
      return false;
    return isScalar ? monitor_.WriteScalar(card, scalar) : monitor_.WriteMute(card, muted);
  }
  const StreamKind kind = flow == Flow::Render ? StreamKind::Sink : StreamKind::Source;
  const std::string& device = flow == Flow::Render ? devices_.sink : devices_.source;
  if (!isScalar)
    return pulse_.SetMute(deadline, kind, device, muted);
  const pa_volume_t volume = VolumeOf(scalar);
  if (!pulse_.SetVolume(deadline, kind, device, volume))
    return false;
  RememberedVolume& remembered = flow == Flow::Render ? rememberedSink_ : rememberedSource_;
  remembered = {true, device, volume, scalar};
  return true;
}

ConfLib& Instance() {
  static ConfLib library;
  return library;
}

// Nothing may be thrown back into the program (allocation failures
// included).
template <typename Call>
int Guarded(Call&& call) {
  try {
    return call();
  } catch (...) {
    return 1;
  }
}

}  // namespace

}  // namespace conflib

#define CONFLIB_EXPORT extern "C" __attribute__((visibility("default")))

CONFLIB_EXPORT int ConfLibInit(void) {
  return conflib::Guarded([] { return conflib::Instance().Init(); });
}

CONFLIB_EXPORT int CreateDeviceList(void) {
  return conflib::Guarded([] { return conflib::Instance().CreateList(); });
}

CONFLIB_EXPORT int GetDeviceCount(int dataFlow, unsigned* count) {
  return conflib::Guarded([&] { return conflib::Instance().Count(dataFlow, count); });
}

CONFLIB_EXPORT int GetDeviceById(int dataFlow, unsigned index, OsConfEndpoint* endpoint) {
  return conflib::Guarded([&] { return conflib::Instance().ById(dataFlow, index, endpoint); });
}

// The channel selector in *parameter is taken and not used: every channel
// of a device is set alike, and a read answers the loudest one.
CONFLIB_EXPORT int PropertyControl(OsConfEndpoint endpoint, const char16_t* property, void** value,
                                   void** /*parameter*/, int set) {
  return conflib::Guarded([&] { return conflib::Instance().Control(endpoint, property, value, set); });
}

CONFLIB_EXPORT int ConfLibSetStateFile(const char* path) {
  return conflib::Guarded([&] { return conflib::Instance().SetStateFile(path); });
}
