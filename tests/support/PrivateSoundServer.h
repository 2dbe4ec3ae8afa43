#pragma once

// A PulseAudio of the test's own, in a temporary runtime folder, and what
// tests need around it: environment, folders, commands, a tone file and a
// player. Tests that cannot start a server skip with the reason it gives.
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
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <list>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lighting/SoundAnalyser.h"
#include "platform/LoopbackCapture.h"

extern char** environ;

namespace testing_support {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using platform::CaptureFormat;

// How long the server side may take to do what was asked (start a
// recording, move it, play a tone).
inline constexpr auto kServerLimit = 10s;
inline constexpr double kToneHz = 1000;
inline constexpr int kToneAmplitude = 200;  // well below where the spectrum saturates

// Sets (or with nullptr unsets) an environment variable until destroyed.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name))
      old_ = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ScopedEnv(const char* name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_.c_str(), old_->c_str(), 1);
    else
      ::unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "loopback-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr)
      path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty())
      fs::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

inline bool HaveProgram(const char* name) {
  const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

inline std::string RunCommand(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char chunk[512];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
      output.append(chunk, got);
    ::pclose(pipe);
  }
  return output;
}

inline bool CommandSucceeds(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::vector<std::vector<std::string>> ShortList(const std::string& what) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(RunCommand("pactl list short " + what));
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, '\t'))
      fields.push_back(cell);
    if (fields.size() >= 2)
      rows.push_back(std::move(fields));
  }
  return rows;
}

// The sources that recordings are connected to, by name.
inline std::vector<std::string> RecordedSources() {
  const auto sources = ShortList("sources");
  std::vector<std::string> names;
  for (const auto& output : ShortList("source-outputs"))
    for (const auto& source : sources)
      if (source[0] == output[1])
        names.push_back(source[1]);
  return names;
}

inline std::string SinkState(const std::string& sink) {
  for (const auto& row : ShortList("sinks"))
    if (row.size() >= 5 && row[1] == sink)
      return row[4];
  return {};
}

inline bool WaitUntil(const std::function<bool()>& done, Clock::duration limit = kServerLimit) {
  const auto end = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > end)
      return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

// Where the spectrum puts a tone: f · 1024 / (rate · channels), between two
// bins.
inline std::pair<int, int> ToneBins(const CaptureFormat& format) {
  const double bin = kToneHz * lighting::SoundAnalyser::kWindowSize / (format.rate * format.channels);
  return {static_cast<int>(std::floor(bin)), static_cast<int>(std::ceil(bin))};
}

// A few seconds of a 1 kHz tone, 44.1 kHz stereo, as a WAV file.
inline void WriteTone(const std::string& path, double seconds) {
  constexpr uint32_t rate = 44100;
  constexpr uint16_t channels = 2;
  const auto frames = static_cast<uint32_t>(seconds * rate);
  const uint32_t dataBytes = frames * channels * 2;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);  // PCM
  u16(channels);
  u32(rate);
  u32(rate * channels * 2);
  u16(channels * 2);
  u16(16);
  out.write("data", 4);
  u32(dataBytes);
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (uint32_t i = 0; i < frames; ++i) {
    const double phase = 2 * std::numbers::pi * kToneHz * i / rate;
    const auto value = static_cast<int16_t>(std::lround(kToneAmplitude * std::sin(phase)));
    samples[2 * i] = value;
    samples[2 * i + 1] = value;
  }
  out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataBytes));
}

// paplay playing a file into the default output until destroyed. It asks
// for a short latency, as music players do, so the output renders as it
// plays instead of seconds ahead.
class Player {
 public:
  explicit Player(const std::string& file) {
    const char* argv[] = {"paplay", "--latency-msec=20", file.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (::posix_spawnp(&pid_, "paplay", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Player() {
    if (pid_ <= 0)
      return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;
  bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

inline bool CanConnect(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

// A PulseAudio of the test's own, in its own folder, reached at `Socket()`.
class PulseServer {
 public:
  // `devices`: the modules of its outputs and inputs (by default two null
  // outputs, "music" at 44.1 kHz stereo, the default, and "other" at 48 kHz
  // mono).
  explicit PulseServer(std::string folder,
                       std::vector<std::string> devices = {
                           "module-null-sink sink_name=music rate=44100 channels=2",
                           "module-null-sink sink_name=other rate=48000 channels=1"})
      : folder_(std::move(folder)), devices_(std::move(devices)) {}
  ~PulseServer() { Stop(); }

  std::string Socket() const { return folder_ + "/native"; }

  // Empty when running; otherwise why not.
  std::string Start(const std::vector<std::string>& extraModules = {}) {
    if (!HaveProgram("pulseaudio"))
      return "pulseaudio is not installed";
    const std::string log = folder_ + "/pulseaudio.log";
    std::vector<std::string> arguments = {
        "pulseaudio", "--daemonize=no", "--system=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no",
        "--disallow-exit", "--log-target=stderr"};
    for (const std::string& module : devices_)
      arguments.push_back("--load=" + module);
    for (const std::string& module : extraModules)
      arguments.push_back("--load=" + module);
    // Last: once it answers, the devices are there.
    arguments.push_back("--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int spawned = ::posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      pid_ = -1;
      return "pulseaudio could not be started";
    }
    const auto limit = Clock::now() + 10s;
    while (Clock::now() < limit) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return "pulseaudio exited at start: " + RunCommand("tail -5 " + log);
      }
      if (CanConnect(Socket()))
        return SetDefaultSink() ? "" : "pactl could not set the default";
      std::this_thread::sleep_for(10ms);
    }
    Stop();
    return "pulseaudio did not answer within 10 s";
  }

  void Stop() {
    if (pid_ <= 0)
      return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    const auto limit = Clock::now() + 5s;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (Clock::now() > limit) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        break;
      }
      std::this_thread::sleep_for(5ms);
    }
    pid_ = -1;
    ::unlink(Socket().c_str());
  }

 private:
  // The first output of the list is the default.
  bool SetDefaultSink() const {
    for (const std::string& module : devices_) {
      const size_t at = module.find("sink_name=");
      if (at == std::string::npos)
        continue;
      const std::string name = module.substr(at + 10, module.find(' ', at) - at - 10);
      return CommandSucceeds("pactl set-default-sink " + name);
    }
    return true;
  }

  std::string folder_;
  std::vector<std::string> devices_;
  pid_t pid_ = -1;
};

// The environment of a private server (or of none): every path libpulse
// looks at lies in the test's folder, and no X display is asked.
class PrivateAudioEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.Path().empty());
    fs::create_directories(dir_.Path() + "/run");
    ::chmod((dir_.Path() + "/run").c_str(), 0700);
    env_.emplace_back("HOME", dir_.Path());
    env_.emplace_back("XDG_RUNTIME_DIR", dir_.Path() + "/run");
    env_.emplace_back("PULSE_RUNTIME_PATH", dir_.Path() + "/run/pulse");
    env_.emplace_back("XDG_CONFIG_HOME", dir_.Path() + "/config");
    env_.emplace_back("DISPLAY", nullptr);
  }

  TempDir dir_;
  std::list<ScopedEnv> env_;
};

}  // namespace testing_support
