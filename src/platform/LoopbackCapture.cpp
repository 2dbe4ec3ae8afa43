#include "platform/LoopbackCapture.h"

#include <pthread.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <system_error>
#include <vector>

#include "platform/DebugChannel.h"

// Why a thread of our own running a plain pa_mainloop rather than libpulse's
// threaded loop: everything of the connection (context, recording, back-off
// deadline) belongs to that one thread and is touched nowhere else, so no
// lock is shared with the owner. Stopping is a flag and the loop's wake-up
// (pa_mainloop_wakeup is the one call meant for other threads), then a join:
// the owner never takes a lock the data callback might hold, and the capture
// thread never waits on anyone. The back-off is the poll's time limit, on
// the steady clock.

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kThreadName = "travix-audio";
constexpr const char* kClientName = "Travix";
constexpr const char* kStreamName = "Music lighting";

std::string ContextError(pa_context* context, const char* what) {
  std::string text = what;
  if (context != nullptr) {
    text += ": ";
    text += pa_strerror(pa_context_errno(context));
  }
  return text;
}

}  // namespace

struct LoopbackCapture::Session {
  explicit Session(LoopbackCapture& owner) : owner(owner) {}
  ~Session() {
    Close();
    if (loop != nullptr)
      pa_mainloop_free(loop);
  }

  LoopbackCapture& owner;
  pa_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;

  CaptureStatus status;        // this thread's copy, published on each change
  std::optional<std::string> wantedSink;  // the default output last acted on ("": none)
  std::optional<Clock::time_point> retryAt;
  std::chrono::milliseconds nextDelay = kFirstRetryDelay;
  std::vector<int16_t> aligned;  // for a fragment that is not 2-byte aligned

  void Publish() { owner.Publish(status); }

  // --- connection ---------------------------------------------------------

  void Connect() {
    CloseContext();
    ++status.connectAttempts;
    status.state = CaptureState::Connecting;
    status.sink.clear();
    status.source.clear();
    status.format = {};
    status.retryDelay = {};
    Publish();

    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, kClientName);
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "travix.lighting");
    context = pa_context_new_with_proplist(pa_mainloop_get_api(loop), kClientName, properties);
    pa_proplist_free(properties);
    if (context == nullptr)
      return FailConnection("no sound server context");
    pa_context_set_state_callback(context, &Session::OnContextState, this);
    // Never start a server: the desktop's is the one that plays the music.
    // A failure reported through the state callback has already been handled.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && context != nullptr)
      FailConnection(ContextError(context, "no sound server"));
  }

  static void OnContextState(pa_context* context, void* data) {
    auto* self = static_cast<Session*>(data);
    switch (pa_context_get_state(context)) {
      case PA_CONTEXT_READY: {
        pa_context_set_subscribe_callback(context, &Session::OnServerEvent, self);
        pa_operation* op = pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr);
        if (op == nullptr)
          return self->FailConnection(ContextError(context, "server events refused"));
        pa_operation_unref(op);
        self->AskDefaultOutput();
        break;
      }
      case PA_CONTEXT_FAILED:
        self->FailConnection(ContextError(context, "sound server connection failed"));
        break;
      case PA_CONTEXT_TERMINATED:
        self->FailConnection("sound server connection ended");
        break;
      default:
        break;
    }
  }

  // The default output, among other things, changed.
  static void OnServerEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* data) {
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER)
      static_cast<Session*>(data)->AskDefaultOutput();
  }

  // --- following the default output --------------------------------------

  void AskDefaultOutput() {
    pa_operation* op = pa_context_get_server_info(context, &Session::OnServerInfo, this);
    if (op == nullptr)
      return FailConnection(ContextError(context, "server information refused"));
    pa_operation_unref(op);
  }

  static void OnServerInfo(pa_context* context, const pa_server_info* info, void* data) {
    auto* self = static_cast<Session*>(data);
    if (info == nullptr)
      return self->FailConnection(ContextError(context, "no server information"));
    const std::string sink = info->default_sink_name != nullptr ? info->default_sink_name : "";
    if (self->wantedSink == sink)
      return;  // some other server setting changed
    self->wantedSink = sink;
    if (sink.empty())
      return self->NoOutput();
    // Answers come in the order asked, and only the latest default counts.
    pa_operation* op = pa_context_get_sink_info_by_name(context, sink.c_str(), &Session::OnSinkInfo, self);
    if (op == nullptr)
      return self->FailConnection(ContextError(context, "output information refused"));
    pa_operation_unref(op);
  }

  static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* data) {
    auto* self = static_cast<Session*>(data);
    if (eol < 0) {
      // Gone between the two questions; a server event usually follows, the
      // back-off covers a server that sends none.
      return self->FailRecording(ContextError(context, "default output not found"));
    }
    if (eol != 0 || info == nullptr || info->name == nullptr || self->wantedSink != std::string(info->name))
      return;
    if (info->monitor_source_name == nullptr || *info->monitor_source_name == 0)
      return self->NoOutput();
    self->OpenRecording(*info);
  }

  void NoOutput() {
    CloseStream();
    retryAt.reset();  // an answer came; the server's events drive from here
    status.state = CaptureState::NoOutput;
    status.sink.clear();
    status.source.clear();
    status.format = {};
    status.retryDelay = {};
    Publish();
    DebugPrint("audio capture: the sound server has no default output with a monitor; waiting for one");
  }

  // --- the recording ------------------------------------------------------

  void OpenRecording(const pa_sink_info& sink) {
    CloseStream();
    retryAt.reset();  // a server event got here before the back-off ran out
    // 16-bit at the output's rate and channels: the server only converts the
    // sample format. The FIX flags take the monitor's own rate and channels
    // should they have changed since the question.
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16NE, sink.sample_spec.rate, sink.sample_spec.channels};
    pa_channel_map map = sink.channel_map;
    if (!pa_sample_spec_valid(&sampleFormat) || !pa_channel_map_compatible(&map, &sampleFormat))
      pa_channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_DEFAULT);

    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, kStreamName);
    stream = pa_stream_new_with_proplist(context, kStreamName, &sampleFormat, &map, properties);
    pa_proplist_free(properties);
    if (stream == nullptr)
      return FailRecording(ContextError(context, "recording not created"));
    pa_stream_set_state_callback(stream, &Session::OnStreamState, this);
    pa_stream_set_read_callback(stream, &Session::OnRead, this);

    // Fragments of about 10 ms; ADJUST_LATENCY makes the server deliver them
    // as they come instead of in a big buffer's bursts (the price, an output
    // that wakes every ~10 ms, is paid only while the lights follow music).
    pa_buffer_attr attributes;
    std::memset(&attributes, 0xff, sizeof attributes);  // every field "server's choice"
    attributes.fragsize = static_cast<uint32_t>(
        pa_usec_to_bytes(static_cast<pa_usec_t>(std::chrono::microseconds(kFragment).count()), &sampleFormat));
    // DONT_MOVE: a monitor that goes away ends the recording rather than the
    // server moving it to some other source, maybe a microphone; following
    // the default output is ours. DONT_INHIBIT_AUTO_SUSPEND: an idle output
    // may sleep as though nobody were listening.
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND |
        PA_STREAM_FIX_RATE | PA_STREAM_FIX_CHANNELS);
    status.state = CaptureState::Connecting;
    status.sink = sink.name;
    status.source = sink.monitor_source_name;
    status.format = {};
    status.retryDelay = {};
    Publish();
    const bool refused = pa_stream_connect_record(stream, sink.monitor_source_name, &attributes, flags) < 0;
    if (refused && stream != nullptr)  // not already handled by the state callback
      FailRecording(ContextError(context, "recording refused"));
  }

  static void OnStreamState(pa_stream* stream, void* data) {
    auto* self = static_cast<Session*>(data);
    switch (pa_stream_get_state(stream)) {
      case PA_STREAM_READY: {
        const pa_sample_spec* sampleFormat = pa_stream_get_sample_spec(stream);
        if (sampleFormat == nullptr || sampleFormat->format != PA_SAMPLE_S16NE || sampleFormat->channels == 0)
          return self->FailRecording("recording format is not 16-bit");
        self->status.state = CaptureState::Capturing;
        self->status.format = {sampleFormat->rate, sampleFormat->channels};
        if (const char* device = pa_stream_get_device_name(stream))
          self->status.source = device;
        self->status.error.clear();
        self->status.retryDelay = {};
        self->nextDelay = kFirstRetryDelay;
        self->Publish();
        DebugPrint("audio capture: recording %s (%u Hz, %u channels)", self->status.source.c_str(),
                   sampleFormat->rate, static_cast<unsigned>(sampleFormat->channels));
        break;
      }
      case PA_STREAM_FAILED:
        self->FailRecording(ContextError(self->context, "recording failed"));
        break;
      case PA_STREAM_TERMINATED:
        self->FailRecording("recording ended by the server");
        break;
      default:
        break;
    }
  }

  static void OnRead(pa_stream* stream, size_t, void* data) {
    auto* self = static_cast<Session*>(data);
    while (self->stream == stream) {
      const void* bytes = nullptr;
      size_t length = 0;
      if (pa_stream_peek(stream, &bytes, &length) < 0)
        return self->FailRecording(ContextError(self->context, "reading the recording failed"));
      if (length == 0)
        return;  // nothing queued: nothing to drop either
      if (bytes != nullptr)
        self->Deliver(bytes, length);
      // Data used, or a hole (length without data): dropped alike.
      pa_stream_drop(stream);
    }
  }

  void Deliver(const void* bytes, size_t length) {
    const size_t count = length / CaptureFormat::kBytesPerSample;
    if (count == 0 || !owner.onData_)
      return;
    const int16_t* samples = static_cast<const int16_t*>(bytes);
    if (reinterpret_cast<uintptr_t>(bytes) % alignof(int16_t) != 0) {
      aligned.resize(count);
      std::memcpy(aligned.data(), bytes, count * sizeof(int16_t));
      samples = aligned.data();
    }
    owner.onData_(std::span<const int16_t>(samples, count), status.format);
  }

  // --- failures and the back-off -----------------------------------------

  // The recording failed on a working connection: ask for the default
  // output again after the back-off.
  void FailRecording(const std::string& why) {
    if (context == nullptr || pa_context_get_state(context) != PA_CONTEXT_READY)
      return FailConnection(why);
    CloseStream();
    wantedSink.reset();
    ScheduleRetry(why);
  }

  void FailConnection(const std::string& why) {
    CloseContext();
    wantedSink.reset();
    ScheduleRetry(why);
  }

  void ScheduleRetry(const std::string& why) {
    const std::chrono::milliseconds delay = nextDelay;
    nextDelay = std::min(nextDelay * 2, kLongestRetryDelay);
    retryAt = Clock::now() + delay;
    status.state = CaptureState::Retrying;
    status.source.clear();
    status.format = {};
    status.error = why;
    status.retryDelay = delay;
    Publish();
    DebugPrint("audio capture: %s; trying again in %lld ms", why.c_str(),
               static_cast<long long>(delay.count()));
  }

  void Retry() {
    if (context != nullptr && pa_context_get_state(context) == PA_CONTEXT_READY) {
      status.state = CaptureState::Connecting;
      status.retryDelay = {};
      Publish();
      AskDefaultOutput();
    } else {
      Connect();
    }
  }

  // Microseconds until the retry is due, for the poll's time limit; -1: none.
  int PollLimit() const {
    if (!retryAt)
      return -1;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(*retryAt - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
  }

  // --- closing ------------------------------------------------------------

  void CloseStream() {
    if (stream == nullptr)
      return;
    // Detached first: our own disconnection is no failure to report.
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
      pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
  }

  void CloseContext() {
    CloseStream();
    if (context == nullptr)
      return;
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    // Cancels the questions still out; their callbacks never run.
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
  }

  void Close() {
    CloseContext();
    retryAt.reset();
  }
};

LoopbackCapture::LoopbackCapture(DataCallback onData, StateCallback onState)
    : onData_(std::move(onData)), onState_(std::move(onState)) {}

LoopbackCapture::~LoopbackCapture() {
  Stop();
}

bool LoopbackCapture::Start() {
  if (thread_.joinable())
    return false;
  auto session = std::make_unique<Session>(*this);
  session->loop = pa_mainloop_new();
  if (session->loop == nullptr) {
    DebugPrint("audio capture: no main loop");
    return false;
  }
  {
    std::lock_guard lock(statusMutex_);
    status_ = {};
    status_.state = CaptureState::Connecting;
  }
  stopRequested_.store(false);
  session_ = std::move(session);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& error) {
    DebugPrint("audio capture: no thread: %s", error.what());
    session_.reset();
    std::lock_guard lock(statusMutex_);
    status_.state = CaptureState::Stopped;
    return false;
  }
  return true;
}

void LoopbackCapture::Stop() {
  if (!thread_.joinable())
    return;
  stopRequested_.store(true);
  pa_mainloop_wakeup(session_->loop);
  if (thread_.get_id() == std::this_thread::get_id()) {
    // From a callback: the thread ends after it returns; the owner's next
    // Stop() (or the destructor) joins it.
    DebugPrint("audio capture: stopped from its own callback; joined later");
    return;
  }
  thread_.join();
  session_.reset();
}

void LoopbackCapture::Run() {
  pthread_setname_np(pthread_self(), kThreadName);
  Session& session = *session_;
  session.Connect();
  while (!stopRequested_.load()) {
    if (pa_mainloop_prepare(session.loop, session.PollLimit()) < 0 || pa_mainloop_poll(session.loop) < 0 ||
        pa_mainloop_dispatch(session.loop) < 0) {
      DebugPrint("audio capture: main loop failed; capture ends");
      break;
    }
    if (session.retryAt && Clock::now() >= *session.retryAt && !stopRequested_.load()) {
      session.retryAt.reset();
      session.Retry();
    }
  }
  session.Close();
  session.status.state = CaptureState::Stopped;
  session.status.sink.clear();
  session.status.source.clear();
  session.status.format = {};
  session.status.retryDelay = {};
  session.Publish();
}

void LoopbackCapture::Publish(const CaptureStatus& status) {
  {
    std::lock_guard lock(statusMutex_);
    status_ = status;
  }
  if (onState_)
    onState_(status);
}

CaptureStatus LoopbackCapture::GetStatus() const {
  std::lock_guard lock(statusMutex_);
  return status_;
}

const char* LoopbackCapture::Describe(CaptureState state) {
  switch (state) {
    case CaptureState::Stopped:
      return "stopped";
    case CaptureState::Connecting:
      return "connecting";
    case CaptureState::Capturing:
      return "capturing";
    case CaptureState::NoOutput:
      return "no default output";
    case CaptureState::Retrying:
      return "retrying";
  }
  return "unknown";
}

}  // namespace platform
