#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace platform {

// What the capture delivers: signed 16-bit values in the machine's byte
// order, the channels interleaved (one value per channel per frame), at the
// rate and channel count of the output being recorded.
struct CaptureFormat {
  static constexpr int kBytesPerSample = 2;

  uint32_t rate = 0;      // frames a second
  uint32_t channels = 0;  // values per frame

  bool operator==(const CaptureFormat&) const = default;
};

enum class CaptureState {
  Stopped,     // not started, or stopped
  Connecting,  // connecting to the sound server, or asking it for the default output
  Capturing,   // recording the default output's monitor
  NoOutput,    // the server has no default output; waiting for one
  Retrying,    // something failed; waiting out the back-off before trying again
};

struct CaptureStatus {
  CaptureState state = CaptureState::Stopped;
  std::string sink;            // the default output being followed
  std::string source;          // its monitor, while capturing
  CaptureFormat format;        // while capturing
  std::string error;           // the last failure, kept until the capture runs again
  uint64_t connectAttempts = 0;                // connections tried since Start()
  std::chrono::milliseconds retryDelay{0};     // while Retrying: the wait before the next try
};

// The music lighting's ears: what the computer plays, recorded from the
// monitor of the sound server's default output (PulseAudio, or PipeWire's
// pulse server, over libpulse).
//
// The recording
// - asks for 16-bit values at the output's own rate and channel count, so
//   the server neither resamples nor remixes;
// - comes in fragments of about 10 ms (kFragment);
// - does not keep the output awake: an output with nothing to play may
//   suspend as if nobody recorded it (nothing arrives meanwhile);
// - never starts a sound server of its own;
// - stays on the monitor it was opened on (the server may not move it, since
//   it would otherwise move it to any source, a microphone included) and
//   follows the default output itself: when the server says the default
//   changed, the recording is reopened on the new default's monitor.
// A failure (no server, a server gone, a recording ended by the server) is
// retried after kFirstRetryDelay, doubling up to kLongestRetryDelay, until
// the capture runs again or is stopped; a failed connection is never retried
// at once.
//
// Costs nothing while stopped: no thread, no connection. Start() opens both,
// Stop() closes both.
//
// Threads. Start(), Stop(), IsRunning() and the destructor belong to one
// thread, the owner's. Both callbacks run on the capture's own thread, never
// after Stop() has returned, and must not call Start() or Stop():
// - the data callback gets every fragment as it arrives (the values are
//   valid only during the call). It must be quick and must not block on
//   another thread (no waiting for the UI thread): the server drops what a
//   slow reader leaves. A changed format starts a new recording, so a
//   consumer that collects values across fragments starts again when the
//   format it is given differs from the last.
// - the state callback (optional) gets every change of the status.
// GetStatus() may be called from any thread.
//
// Stop() never waits for the server: it wakes the capture thread, which
// drops its connection and ends, and joins it.
class LoopbackCapture {
 public:
  using DataCallback = std::function<void(std::span<const int16_t> samples, const CaptureFormat& format)>;
  using StateCallback = std::function<void(const CaptureStatus& status)>;

  static constexpr std::chrono::milliseconds kFragment{10};
  static constexpr std::chrono::milliseconds kFirstRetryDelay{500};
  static constexpr std::chrono::milliseconds kLongestRetryDelay{8000};

  explicit LoopbackCapture(DataCallback onData, StateCallback onState = {});
  ~LoopbackCapture();  // stops
  LoopbackCapture(const LoopbackCapture&) = delete;
  LoopbackCapture& operator=(const LoopbackCapture&) = delete;

  // Starts the capture thread, which connects in the background: returns at
  // once whether a server answers or not. False when already running or
  // when the thread or its loop could not be made.
  bool Start();
  // Ends the recording, the connection and the thread. Nothing when stopped.
  void Stop();
  bool IsRunning() const { return thread_.joinable(); }

  CaptureStatus GetStatus() const;
  static const char* Describe(CaptureState state);

 private:
  struct Session;  // the capture thread's own: loop, connection, recording

  void Run();
  void Publish(const CaptureStatus& status);

  DataCallback onData_;
  StateCallback onState_;
  std::unique_ptr<Session> session_;
  std::atomic<bool> stopRequested_{false};
  std::thread thread_;

  mutable std::mutex statusMutex_;
  CaptureStatus status_;
};

}  // namespace platform
