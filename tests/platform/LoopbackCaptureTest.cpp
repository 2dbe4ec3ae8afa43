// The loopback capture against a PulseAudio of the test's own, in a
// temporary runtime folder, with two null outputs: "music" (44.1 kHz stereo,
// the default) and "other" (48 kHz mono). A tone played into the default
// output must come out of the capture where the lighting's spectrum puts a
// 1 kHz tone. Without a server (none installed, or it cannot start) those
// cases are skipped with a message; the cases without a server always run.
//
// A fresh null output renders its first two seconds in one block, before any
// recording existed, so the first sound of each server case reaches the
// capture up to two seconds late: those cases take about that long.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <mutex>
#include <numbers>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lighting/SoundAnalyser.h"
#include "platform/LoopbackCapture.h"
#include "support/PrivateSoundServer.h"

extern char** environ;

namespace platform {

// Readable failures.
void PrintTo(const CaptureFormat& format, std::ostream* out) {
  *out << format.rate << " Hz × " << format.channels;
}

}  // namespace platform

namespace {

using platform::CaptureFormat;
using platform::CaptureState;
using platform::CaptureStatus;
using platform::LoopbackCapture;

using namespace std::chrono_literals;

// Far more than Start() or Stop() may take; only a hang exceeds it.
constexpr auto kHangLimit = 2s;

// A 1 kHz tone of that amplitude peaks at about 16 × 200 less the leakage;
// silence and the resampler's noise stay far below.
constexpr int32_t kToneMagnitude = 1000;

using namespace testing_support;

// What the capture hands over: the values go through the lighting's
// spectrum as the program's consumer does, and every loud spectrum's peak
// bin is kept. The callbacks check they run on the capture's thread and
// never after Stop() has returned.
class Listener {
 public:
  Listener()
      : spectrum_([this](const lighting::SoundAnalyser::Spectrum& bins) {
          // Under mutex_: called from within Push().
          const auto peak = std::max_element(bins.begin() + 1, bins.end());
          if (*peak >= kToneMagnitude)
            peaks_.push_back(static_cast<int>(peak - bins.begin()));
        }) {}

  LoopbackCapture::DataCallback Data() {
    return [this](std::span<const int16_t> samples, const CaptureFormat& format) {
      if (stopped_.load())
        lateCalls_.fetch_add(1);
      if (std::this_thread::get_id() == owner_)
        wrongThread_.fetch_add(1);
      std::lock_guard lock(mutex_);
      if (format != format_) {
        format_ = format;
        spectrum_.Reset();
        peaks_.clear();
        largestPacket_ = 0;
      }
      ++packets_;
      largestPacket_ = std::max(largestPacket_, samples.size());
      for (const int16_t value : samples)
        loudest_ = std::max(loudest_, std::abs(static_cast<int>(value)));
      spectrum_.Push(samples);
    };
  }

  LoopbackCapture::StateCallback State() {
    return [this](const CaptureStatus& status) {
      if (stopped_.load())
        lateCalls_.fetch_add(1);
      if (std::this_thread::get_id() == owner_)
        wrongThread_.fetch_add(1);
      std::lock_guard lock(mutex_);
      if (status.state == CaptureState::Retrying)
        retryDelays_.push_back(status.retryDelay);
    };
  }

  // From here on no callback may run (the test calls it as Stop() returns).
  void MarkStopped() { stopped_.store(true); }
  void MarkStarted() { stopped_.store(false); }
  int LateCalls() const { return lateCalls_.load(); }
  int WrongThreadCalls() const { return wrongThread_.load(); }

  void ClearPeaks() {
    std::lock_guard lock(mutex_);
    peaks_.clear();
    loudest_ = 0;
  }
  std::vector<int> Peaks() const {
    std::lock_guard lock(mutex_);
    return peaks_;
  }
  size_t PeakCount() const {
    std::lock_guard lock(mutex_);
    return peaks_.size();
  }
  long Packets() const {
    std::lock_guard lock(mutex_);
    return packets_;
  }
  size_t LargestPacket() const {
    std::lock_guard lock(mutex_);
    return largestPacket_;
  }
  int Loudest() const {
    std::lock_guard lock(mutex_);
    return loudest_;
  }
  CaptureFormat Format() const {
    std::lock_guard lock(mutex_);
    return format_;
  }
  std::vector<std::chrono::milliseconds> RetryDelays() const {
    std::lock_guard lock(mutex_);
    return retryDelays_;
  }

 private:
  const std::thread::id owner_ = std::this_thread::get_id();
  std::atomic<bool> stopped_{false};
  std::atomic<int> lateCalls_{0};
  std::atomic<int> wrongThread_{0};
  mutable std::mutex mutex_;
  lighting::SoundAnalyser spectrum_;
  CaptureFormat format_;
  std::vector<int> peaks_;
  long packets_ = 0;
  size_t largestPacket_ = 0;
  int loudest_ = 0;
  std::vector<std::chrono::milliseconds> retryDelays_;
};

// Stop() bounded by the hang limit, and silent afterwards.
void StopPromptly(LoopbackCapture& capture, Listener& listener) {
  const auto begin = Clock::now();
  capture.Stop();
  listener.MarkStopped();
  EXPECT_LT(Clock::now() - begin, kHangLimit) << "Stop() hung";
  EXPECT_FALSE(capture.IsRunning());
  EXPECT_EQ(capture.GetStatus().state, CaptureState::Stopped);
}

// ---------------------------------------------------------------------------
// No server: the capture keeps trying, slowly, and stops at once.

class CaptureWithoutServer : public PrivateAudioEnvironment {
 protected:
  void SetUp() override {
    PrivateAudioEnvironment::SetUp();
    if (HasFatalFailure())
      return;
    // A socket file nobody listens on: connecting is refused at once.
    const std::string dead = dir_.Path() + "/dead";
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, dead.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    env_.emplace_back("PULSE_SERVER", "unix:" + dead);
  }
};

TEST_F(CaptureWithoutServer, RetriesWithABackOffAndStopsAtOnce) {
  Listener listener;
  LoopbackCapture capture(listener.Data(), listener.State());
  const auto begin = Clock::now();
  ASSERT_TRUE(capture.Start());
  EXPECT_LT(Clock::now() - begin, kHangLimit) << "Start() waited for the server";
  EXPECT_TRUE(capture.IsRunning());
  EXPECT_FALSE(capture.Start()) << "a second Start() while running";

  // Tries at 0, 0.5 and 1.5 s: a handful of connections, not a hot loop.
  std::this_thread::sleep_for(1600ms);
  const CaptureStatus status = capture.GetStatus();
  EXPECT_GE(status.connectAttempts, 2u);
  EXPECT_LE(status.connectAttempts, 4u);
  EXPECT_EQ(status.state, CaptureState::Retrying);
  EXPECT_FALSE(status.error.empty());
  EXPECT_TRUE(status.source.empty());

  // Every failure waits, each twice as long as the one before, within the
  // longest wait.
  const auto delays = listener.RetryDelays();
  ASSERT_GE(delays.size(), 2u);
  std::vector<std::chrono::milliseconds> doubling{LoopbackCapture::kFirstRetryDelay};
  while (doubling.size() < delays.size())
    doubling.push_back(std::min(doubling.back() * 2, LoopbackCapture::kLongestRetryDelay));
  EXPECT_EQ(delays, doubling);

  StopPromptly(capture, listener);
  EXPECT_EQ(listener.Packets(), 0);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(listener.LateCalls(), 0);
  EXPECT_EQ(listener.WrongThreadCalls(), 0);
}

TEST_F(CaptureWithoutServer, StartAndStopRepeatedEachStopAtOnce) {
  Listener listener;
  LoopbackCapture capture(listener.Data(), listener.State());
  for (int round = 0; round < 20; ++round) {
    listener.MarkStarted();
    ASSERT_TRUE(capture.Start()) << round;
    if (round % 2 == 1)
      std::this_thread::sleep_for(5ms);  // some rounds stop while the first try fails
    StopPromptly(capture, listener);
    // Each start counts from the start.
    EXPECT_LE(capture.GetStatus().connectAttempts, 1u) << round;
  }
  EXPECT_EQ(listener.LateCalls(), 0);
  capture.Stop();  // stopping a stopped capture does nothing
  EXPECT_FALSE(capture.IsRunning());
}

TEST(CaptureStates, DescribedAndStoppedBeforeStart) {
  LoopbackCapture capture({});
  EXPECT_FALSE(capture.IsRunning());
  EXPECT_EQ(capture.GetStatus().state, CaptureState::Stopped);
  EXPECT_EQ(capture.GetStatus().connectAttempts, 0u);
  capture.Stop();
  for (CaptureState state : {CaptureState::Stopped, CaptureState::Connecting, CaptureState::Capturing,
                             CaptureState::NoOutput, CaptureState::Retrying})
    EXPECT_STRNE(LoopbackCapture::Describe(state), "unknown");
}

// ---------------------------------------------------------------------------
// On a private server.

class CaptureOnPrivateServer : public PrivateAudioEnvironment {
 protected:
  void SetUp() override {
    PrivateAudioEnvironment::SetUp();
    if (HasFatalFailure())
      return;
    env_.emplace_back("PULSE_SERVER", "unix:" + server_.Socket());
    if (!HaveProgram("pactl") || !HaveProgram("paplay"))
      GTEST_SKIP() << "pactl and paplay (pulseaudio-utils) are not installed";
    if (const std::string why = server_.Start(ExtraModules()); !why.empty())
      GTEST_SKIP() << "no private sound server: " << why;
    tone_ = dir_.Path() + "/tone.wav";
    WriteTone(tone_, 5);
  }
  void TearDown() override {
    capture_.Stop();
    server_.Stop();
  }
  virtual std::vector<std::string> ExtraModules() const { return {}; }

  bool WaitForCapture(const std::string& source) {
    return WaitUntil([&] {
      const CaptureStatus status = capture_.GetStatus();
      return status.state == CaptureState::Capturing && status.source == source;
    });
  }

  // Plays the tone into the default output until a few loud spectra came,
  // and checks each peaks where a 1 kHz tone belongs in `format`.
  void ExpectTone(const CaptureFormat& format) {
    listener_.ClearPeaks();
    Player player(tone_);
    ASSERT_TRUE(player.Started());
    ASSERT_TRUE(WaitUntil([&] { return listener_.PeakCount() >= 8; }))
        << "no tone heard; " << listener_.Packets() << " packets, loudest value " << listener_.Loudest();
    ASSERT_EQ(listener_.Format(), format);
    const auto [low, high] = ToneBins(format);
    for (const int peak : listener_.Peaks()) {
      EXPECT_GE(peak, low);
      EXPECT_LE(peak, high);
    }
  }

  PulseServer server_{dir_.Path()};
  std::string tone_;
  Listener listener_;
  LoopbackCapture capture_{listener_.Data(), listener_.State()};
};

TEST_F(CaptureOnPrivateServer, HearsWhatTheDefaultOutputPlays) {
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitForCapture("music.monitor")) << LoopbackCapture::Describe(capture_.GetStatus().state);
  const CaptureStatus status = capture_.GetStatus();
  EXPECT_EQ(status.sink, "music");
  // The output's own rate and channels.
  EXPECT_EQ(status.format, (CaptureFormat{44100, 2}));
  EXPECT_EQ(status.connectAttempts, 1u);
  EXPECT_TRUE(status.error.empty());
  EXPECT_EQ(RecordedSources(), std::vector<std::string>{"music.monitor"});
  EXPECT_NE(RunCommand("pactl list clients").find("travix.lighting"), std::string::npos);

  ExpectTone({44100, 2});
  // The values come unchanged: 16-bit, at the level played.
  EXPECT_GE(listener_.Loudest(), kToneAmplitude - 5);
  EXPECT_LE(listener_.Loudest(), kToneAmplitude + 5);
  // Fragments of about 10 ms (882 values at 44.1 kHz stereo), not the
  // server's default of seconds.
  EXPECT_LE(listener_.LargestPacket(), 4u * 882u);
  EXPECT_EQ(listener_.WrongThreadCalls(), 0);
}

TEST_F(CaptureOnPrivateServer, FollowsTheDefaultOutput) {
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitForCapture("music.monitor"));

  ASSERT_TRUE(CommandSucceeds("pactl set-default-sink other"));
  ASSERT_TRUE(WaitForCapture("other.monitor"));
  EXPECT_EQ(capture_.GetStatus().sink, "other");
  EXPECT_EQ(capture_.GetStatus().format, (CaptureFormat{48000, 1}));
  EXPECT_TRUE(WaitUntil([] { return RecordedSources() == std::vector<std::string>{"other.monitor"}; }))
      << "the old recording was left open";
  ExpectTone({48000, 1});

  // The followed output goes away: the server falls back to the other one,
  // and so does the capture.
  const std::string module = RunCommand("pactl list short modules | awk '/sink_name=other/ {print $1}'");
  ASSERT_FALSE(module.empty());
  ASSERT_TRUE(CommandSucceeds("pactl unload-module " + module));
  ASSERT_TRUE(WaitForCapture("music.monitor"));
  EXPECT_EQ(capture_.GetStatus().format, (CaptureFormat{44100, 2}));
  ExpectTone({44100, 2});
  // One connection all along.
  EXPECT_EQ(capture_.GetStatus().connectAttempts, 1u);
}

TEST_F(CaptureOnPrivateServer, TheServerMayNotMoveTheRecording) {
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitForCapture("music.monitor"));
  const auto outputs = ShortList("source-outputs");
  ASSERT_EQ(outputs.size(), 1u);
  EXPECT_FALSE(CommandSucceeds("pactl move-source-output " + outputs[0][0] + " other.monitor"));
  EXPECT_EQ(RecordedSources(), std::vector<std::string>{"music.monitor"});
  EXPECT_EQ(capture_.GetStatus().source, "music.monitor");
}

TEST_F(CaptureOnPrivateServer, NoDefaultOutputWaitsForOne) {
  // Without outputs the server has no default.
  for (const std::string& module :
       {RunCommand("pactl list short modules | awk '/sink_name=other/ {print $1}'"),
        RunCommand("pactl list short modules | awk '/sink_name=music/ {print $1}'")})
    ASSERT_TRUE(CommandSucceeds("pactl unload-module " + module));
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitUntil([&] { return capture_.GetStatus().state == CaptureState::NoOutput; }))
      << LoopbackCapture::Describe(capture_.GetStatus().state);

  // One comes: the capture takes it without a retry of its own.
  ASSERT_TRUE(CommandSucceeds("pactl load-module module-null-sink sink_name=late rate=48000 channels=2"));
  CommandSucceeds("pactl set-default-sink late");
  ASSERT_TRUE(WaitForCapture("late.monitor"));
  EXPECT_EQ(capture_.GetStatus().format, (CaptureFormat{48000, 2}));
  EXPECT_TRUE(listener_.RetryDelays().empty());
  ExpectTone({48000, 2});
}

TEST_F(CaptureOnPrivateServer, ReconnectsWhenTheServerComesBack) {
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitForCapture("music.monitor"));

  server_.Stop();
  ASSERT_TRUE(WaitUntil([&] { return capture_.GetStatus().state == CaptureState::Retrying; }));
  EXPECT_FALSE(capture_.GetStatus().error.empty());

  ASSERT_EQ(server_.Start(), "");
  // The back-off is at most a few seconds by now.
  ASSERT_TRUE(WaitForCapture("music.monitor"));
  EXPECT_GE(capture_.GetStatus().connectAttempts, 2u);
  EXPECT_TRUE(capture_.GetStatus().error.empty());
  ExpectTone({44100, 2});
}

TEST_F(CaptureOnPrivateServer, StopWhileMusicPlaysIsPromptAndFinal) {
  Player player(tone_);
  ASSERT_TRUE(player.Started());
  for (int round = 0; round < 5; ++round) {
    listener_.MarkStarted();
    const long before = listener_.Packets();
    ASSERT_TRUE(capture_.Start());
    ASSERT_TRUE(WaitUntil([&] { return listener_.Packets() >= before + 5; })) << round;
    StopPromptly(capture_, listener_);
    EXPECT_EQ(capture_.GetStatus().connectAttempts, 1u);
    // Nothing stays open on the server.
    EXPECT_TRUE(WaitUntil([] { return ShortList("source-outputs").empty(); })) << round;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(listener_.LateCalls(), 0) << round;
  }
  EXPECT_EQ(RunCommand("pactl list clients").find("travix.lighting"), std::string::npos);
}

// With the server's idle suspension: a recording of the monitor alone does
// not keep the output awake, and music wakes both.
class CaptureOnSuspendingServer : public CaptureOnPrivateServer {
 protected:
  std::vector<std::string> ExtraModules() const override { return {"module-suspend-on-idle timeout=1"}; }
};

TEST_F(CaptureOnSuspendingServer, TheIdleOutputSuspendsWhileRecorded) {
  ASSERT_TRUE(capture_.Start());
  ASSERT_TRUE(WaitForCapture("music.monitor"));
  EXPECT_TRUE(WaitUntil([] { return SinkState("music") == "SUSPENDED"; }))
      << "the output stayed " << SinkState("music");
  EXPECT_EQ(capture_.GetStatus().state, CaptureState::Capturing);
  ExpectTone({44100, 2});
}

}  // namespace
