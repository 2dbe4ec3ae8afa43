#include "PulseLink.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

namespace conflib {

namespace {

// What the server lists, as much of it as finding the headset needs.
struct DeviceEntry {
  std::string name;
  uint32_t card = PA_INVALID_INDEX;
  bool monitor = false;
  bool usbMatch = false;
  int alsaCard = -1;
};

struct CardEntry {
  uint32_t index = PA_INVALID_INDEX;
  bool usbMatch = false;
  int alsaCard = -1;
};

struct Listing {
  const HeadsetMatch* match = nullptr;
  std::vector<CardEntry> cards;
  std::vector<DeviceEntry> sinks;
  std::vector<DeviceEntry> sources;
  bool failed = false;
};

bool MatchesUsbIds(const pa_proplist* properties, const HeadsetMatch& match) {
  return PulseLink::SameUsbId(pa_proplist_gets(properties, "device.vendor.id"), match.vendor) &&
         PulseLink::SameUsbId(pa_proplist_gets(properties, "device.product.id"), match.product);
}

// PulseAudio says "alsa.card", PipeWire "api.alsa.card".
int AlsaCardOf(const pa_proplist* properties) {
  for (const char* key : {"alsa.card", "api.alsa.card"}) {
    const char* text = pa_proplist_gets(properties, key);
    if (text == nullptr)
      continue;
    int card = -1;
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, card);
    if (result.ec == std::errc() && result.ptr == end && card >= 0)
      return card;
  }
  return -1;
}

void OnCard(pa_context*, const pa_card_info* info, int eol, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (eol < 0)
    listing->failed = true;
  if (eol != 0 || info == nullptr)
    return;
  listing->cards.push_back(
      {info->index, MatchesUsbIds(info->proplist, *listing->match), AlsaCardOf(info->proplist)});
}

void OnSinkListed(pa_context*, const pa_sink_info* info, int eol, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (eol < 0)
    listing->failed = true;
  if (eol != 0 || info == nullptr || info->name == nullptr)
    return;
  listing->sinks.push_back({info->name, info->card, false,
                            MatchesUsbIds(info->proplist, *listing->match), AlsaCardOf(info->proplist)});
}

void OnSourceListed(pa_context*, const pa_source_info* info, int eol, void* data) {
  auto* listing = static_cast<Listing*>(data);
  if (eol < 0)
    listing->failed = true;
  if (eol != 0 || info == nullptr || info->name == nullptr)
    return;
  const char* deviceClass = pa_proplist_gets(info->proplist, PA_PROP_DEVICE_CLASS);
  const bool monitor = info->monitor_of_sink != PA_INVALID_INDEX ||
                       (deviceClass != nullptr && std::strcmp(deviceClass, "monitor") == 0);
  listing->sources.push_back({info->name, info->card, monitor,
                              MatchesUsbIds(info->proplist, *listing->match), AlsaCardOf(info->proplist)});
}

// One device's volume, channel map and mute.
struct DeviceInfo {
  bool found = false;
  pa_cvolume volume{};
  pa_channel_map map{};
  bool muted = false;
};

template <typename Info>
void TakeInfo(const Info* info, int eol, void* data) {
  if (eol != 0 || info == nullptr)
    return;
  auto* out = static_cast<DeviceInfo*>(data);
  out->found = true;
  out->volume = info->volume;
  out->map = info->channel_map;
  out->muted = info->mute != 0;
}

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data) {
  TakeInfo(info, eol, data);
}

void OnSourceInfo(pa_context*, const pa_source_info* info, int eol, void* data) {
  TakeInfo(info, eol, data);
}

void OnSuccess(pa_context*, int success, void* data) {
  *static_cast<bool*>(data) = success != 0;
}

}  // namespace

PulseLink::~PulseLink() {
  Disconnect();
}

bool PulseLink::SameUsbId(const char* text, uint16_t id) {
  if (text == nullptr)
    return false;
  std::string_view digits(text);
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    digits.remove_prefix(2);
  if (digits.empty() || digits.size() > 8)
    return false;
  unsigned value = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return result.ec == std::errc() && result.ptr == digits.data() + digits.size() && value == id;
}

void PulseLink::Disconnect() {
  if (context_ != nullptr) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (loop_ != nullptr) {
    pa_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

bool PulseLink::Iterate(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
  if (left <= 0)
    return false;
  const int timeout = static_cast<int>(std::min<long long>(left, INT_MAX));
  return pa_mainloop_prepare(loop_, timeout) >= 0 && pa_mainloop_poll(loop_) >= 0 &&
         pa_mainloop_dispatch(loop_) >= 0;
}

bool PulseLink::Connect(Clock::time_point deadline) {
  if (context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY)
    return true;
  Disconnect();
  loop_ = pa_mainloop_new();
  if (loop_ == nullptr)
    return false;
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Travix headset");
  pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "travix.headset");
  context_ = pa_context_new_with_proplist(pa_mainloop_get_api(loop_), "Travix headset", properties);
  pa_proplist_free(properties);
  // Never start a server of our own: the desktop's is the one that counts.
  if (context_ == nullptr || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    Disconnect();
    return false;
  }
  while (true) {
    const pa_context_state_t state = pa_context_get_state(context_);
    if (state == PA_CONTEXT_READY)
      return true;
    if (!PA_CONTEXT_IS_GOOD(state) || !Iterate(deadline)) {
      Disconnect();
      return false;
    }
  }
}

bool PulseLink::WaitAll(pa_operation* const* operations, size_t count, Clock::time_point deadline) {
  auto running = [&] {
    for (size_t i = 0; i < count; ++i)
      if (operations[i] != nullptr && pa_operation_get_state(operations[i]) == PA_OPERATION_RUNNING)
        return true;
    return false;
  };
  bool ok = std::none_of(operations, operations + count, [](pa_operation* op) { return op == nullptr; });
  bool timedOut = false;
  while (ok && running()) {
    if (pa_context_get_state(context_) != PA_CONTEXT_READY) {
      ok = false;
    } else if (!Iterate(deadline)) {
      ok = false;
      timedOut = true;
    }
  }
  for (size_t i = 0; i < count; ++i) {
    pa_operation* op = operations[i];
    if (op == nullptr)
      continue;
    // A cancelled operation never calls back into the caller's (stack) data.
    if (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
      pa_operation_cancel(op);
    ok = ok && pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
  }
  // A server that does not answer in time is not trusted with the next call.
  if (timedOut)
    Disconnect();
  return ok;
}

bool PulseLink::WithConnection(Clock::time_point deadline, const std::function<bool()>& attempt) {
  for (int round = 0; round < 2; ++round) {
    if (!Connect(deadline))
      return false;
    if (attempt())
      return true;
    // Still connected: the server's answer was no (a device that is gone).
    if (context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY)
      return false;
    Disconnect();
    if (Clock::now() >= deadline)
      return false;
  }
  return false;
}

bool PulseLink::Find(Clock::time_point deadline, const HeadsetMatch& match, HeadsetDevices& found) {
  found = {};
  Listing listing;
  listing.match = &match;
  const bool asked = WithConnection(deadline, [&] {
    listing = {};
    listing.match = &match;
    pa_operation* operations[] = {
        pa_context_get_card_info_list(context_, OnCard, &listing),
        pa_context_get_sink_info_list(context_, OnSinkListed, &listing),
        pa_context_get_source_info_list(context_, OnSourceListed, &listing),
    };
    return WaitAll(operations, std::size(operations), deadline) && !listing.failed;
  });
  if (!asked)
    return false;

  auto cardMatches = [&](uint32_t index) -> const CardEntry* {
    for (const CardEntry& card : listing.cards)
      if (card.index == index && index != PA_INVALID_INDEX && card.usbMatch)
        return &card;
    return nullptr;
  };
  const CardEntry* headsetCard = nullptr;
  auto pick = [&](const std::vector<DeviceEntry>& devices, const std::string& name) -> const DeviceEntry* {
    for (const DeviceEntry& device : devices) {
      if (device.monitor)
        continue;
      if (!name.empty()) {
        if (device.name == name)
          return &device;
        continue;
      }
      const CardEntry* card = cardMatches(device.card);
      if (device.usbMatch || card != nullptr) {
        if (card != nullptr)
          headsetCard = card;
        found.byUsbIds = true;
        return &device;
      }
    }
    return nullptr;
  };
  const DeviceEntry* sink = pick(listing.sinks, match.sinkName);
  const DeviceEntry* source = pick(listing.sources, match.sourceName);
  if (sink != nullptr)
    found.sink = sink->name;
  if (source != nullptr)
    found.source = source->name;
  if (headsetCard != nullptr && headsetCard->alsaCard >= 0)
    found.alsaCard = headsetCard->alsaCard;
  else if (sink != nullptr && sink->alsaCard >= 0)
    found.alsaCard = sink->alsaCard;
  else if (source != nullptr && source->alsaCard >= 0)
    found.alsaCard = source->alsaCard;
  return true;
}

bool PulseLink::Read(Clock::time_point deadline, StreamKind kind, const std::string& name,
                     StreamState& state) {
  if (name.empty())
    return false;
  DeviceInfo info;
  const bool ok = WithConnection(deadline, [&] {
    info = {};
    pa_operation* op = kind == StreamKind::Sink
                           ? pa_context_get_sink_info_by_name(context_, name.c_str(), OnSinkInfo, &info)
                           : pa_context_get_source_info_by_name(context_, name.c_str(), OnSourceInfo, &info);
    return WaitAll(&op, 1, deadline) && info.found;
  });
  if (!ok)
    return false;
  state.volume = pa_cvolume_max(&info.volume);
  state.muted = info.muted;
  return true;
}

bool PulseLink::SetVolume(Clock::time_point deadline, StreamKind kind, const std::string& name,
                          uint32_t volume) {
  if (name.empty())
    return false;
  return WithConnection(deadline, [&] {
    DeviceInfo info;
    pa_operation* query = kind == StreamKind::Sink
                              ? pa_context_get_sink_info_by_name(context_, name.c_str(), OnSinkInfo, &info)
                              : pa_context_get_source_info_by_name(context_, name.c_str(), OnSourceInfo, &info);
    if (!WaitAll(&query, 1, deadline) || !info.found || info.map.channels == 0)
      return false;
    pa_cvolume levels;
    pa_cvolume_set(&levels, info.map.channels, std::min<pa_volume_t>(volume, PA_VOLUME_MAX));
    bool success = false;
    pa_operation* op =
        kind == StreamKind::Sink
            ? pa_context_set_sink_volume_by_name(context_, name.c_str(), &levels, OnSuccess, &success)
            : pa_context_set_source_volume_by_name(context_, name.c_str(), &levels, OnSuccess, &success);
    return WaitAll(&op, 1, deadline) && success;
  });
}

bool PulseLink::SetMute(Clock::time_point deadline, StreamKind kind, const std::string& name, bool muted) {
  if (name.empty())
    return false;
  return WithConnection(deadline, [&] {
    bool success = false;
    pa_operation* op =
        kind == StreamKind::Sink
            ? pa_context_set_sink_mute_by_name(context_, name.c_str(), muted ? 1 : 0, OnSuccess, &success)
            : pa_context_set_source_mute_by_name(context_, name.c_str(), muted ? 1 : 0, OnSuccess, &success);
    return WaitAll(&op, 1, deadline) && success;
  });
}

}  // namespace conflib
