#pragma once

// The library's connection to the sound server (PulseAudio, or PipeWire's
// pulse server): finding the headset's sink and source, and their volume
// and mute.
//
// Every call is bounded by the caller's deadline: the library's own main
// loop is driven here, on the calling thread, and never waits past it. A
// call that runs out of time fails and drops the connection; a connection
// the server closed is made again on the next call (once more within the
// same call when time is left), so a restarted server is picked up.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

struct pa_context;
struct pa_mainloop;
struct pa_operation;

namespace conflib {

using Clock = std::chrono::steady_clock;

enum class StreamKind { Sink, Source };

// How the headset's devices are recognised: by the USB ids on their card or
// themselves, or by the names given here instead (empty: by ids).
struct HeadsetMatch {
  uint16_t vendor = 0;
  uint16_t product = 0;
  std::string sinkName;
  std::string sourceName;
};

struct HeadsetDevices {
  std::string sink;    // empty: none
  std::string source;  // never a monitor source
  int alsaCard = -1;   // the ALSA card behind them, when the server says
  bool byUsbIds = false;
};

struct StreamState {
  uint32_t volume = 0;  // the loudest channel's, in the server's units
  bool muted = false;
};

class PulseLink {
 public:
  PulseLink() = default;
  ~PulseLink();
  PulseLink(const PulseLink&) = delete;
  PulseLink& operator=(const PulseLink&) = delete;

  // False when the server could not be asked; `found` is then empty.
  bool Find(Clock::time_point deadline, const HeadsetMatch& match, HeadsetDevices& found);
  bool Read(Clock::time_point deadline, StreamKind kind, const std::string& name, StreamState& state);
  // Sets every channel of the device to `volume` (the device's own channel
  // count and map).
  bool SetVolume(Clock::time_point deadline, StreamKind kind, const std::string& name, uint32_t volume);
  bool SetMute(Clock::time_point deadline, StreamKind kind, const std::string& name, bool muted);

  void Disconnect();

  // "0c76", "0x0C76" and "c76" are all 0x0c76: PulseAudio and PipeWire
  // write the ids differently.
  static bool SameUsbId(const char* text, uint16_t id);

 private:
  bool Connect(Clock::time_point deadline);
  // One pass of the main loop, waiting no longer than the deadline.
  bool Iterate(Clock::time_point deadline);
  // Runs the loop until every operation is done. False when one was not
  // (the rest are cancelled); a deadline passed drops the connection.
  bool WaitAll(pa_operation* const* operations, size_t count, Clock::time_point deadline);
  // Runs `attempt` on a live connection; when it fails because the server
  // went away, once more on a new one.
  bool WithConnection(Clock::time_point deadline, const std::function<bool()>& attempt);

  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

}  // namespace conflib
