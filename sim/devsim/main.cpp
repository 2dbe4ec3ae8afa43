// travix-devsim: simulated devices for Travix.
//
//   travix-devsim serve --root DIR        serve until SIGINT/SIGTERM (DIR/sys, DIR/dev)
//   travix-devsim --root DIR plug KIND    KIND: keyboard, keyboard-receiver, mouse,
//   travix-devsim --root DIR unplug KIND        mouse-receiver, pad, headset
//   travix-devsim --root DIR list
//   travix-devsim --root DIR wireless keyboard|mouse on|off
//   travix-devsim --root DIR event DEVICE CODE          (CODE: hex usage, e.g. 0401)
//   travix-devsim --root DIR power DEVICE PERCENT STATE [BYTE2 BYTE3 BYTE4 BYTE5]
//                                         (the power status bytes, decimal; BYTE3 is
//                                         the wireless flag, BYTE5 the pad's phone type)
//   travix-devsim --root DIR fault DEVICE none|noanswer|status-ff|status-fe|stale|delay:MS|
//                                         noanswer-after:N   (N more answers, then silence)
//   travix-devsim --root DIR poke DEVICE REGION OFFSET HEX
//   travix-devsim --root DIR reset-memory DEVICE         (stored settings back to factory)
//   travix-devsim --root DIR state DEVICE                (JSON)
//   travix-devsim --root DIR log DEVICE                  (ms, out|in, report as hex)
// DEVICE: keyboard, mouse, pad, headset. --root may stand before or after the
// subcommand. Exit status 0 on success, 1 on failure, 2 on bad arguments.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/DeviceSimulator.h"

namespace {

constexpr const char* kControlSocket = "devsim.sock";

std::string Hex(const uint8_t* bytes, size_t size) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 15];
  }
  return out;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes) {
  if (text.size() % 2 != 0)
    return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    char* end = nullptr;
    const std::string pair = text.substr(i, 2);
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (*end != '\0')
      return false;
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return true;
}

bool ParseNumber(const std::string& text, long& value, int base = 10) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, base);
  return errno == 0 && !text.empty() && *end == '\0';
}

// Carries out one command of the control protocol; the first word of the
// answer is "error:" when it failed.
std::string Execute(sim::DeviceSimulator& simulator, const std::vector<std::string>& args) {
  auto error = [](const std::string& why) { return "error: " + why + "\n"; };
  if (args.empty())
    return error("no command");
  const std::string& command = args[0];
  auto device = [&](size_t index) -> std::optional<sim::DeviceKind> {
    return index < args.size() ? sim::KindFromName(args[index]) : std::nullopt;
  };
  if ((command == "plug" || command == "unplug") && args.size() == 2) {
    const bool ok = command == "plug" ? simulator.Plug(args[1]) : simulator.Unplug(args[1]);
    return ok ? "ok\n" : error(command + " " + args[1] + " failed");
  }
  if (command == "list" && args.size() == 1) {
    std::string out;
    for (const std::string& line : simulator.List())
      out += line + "\n";
    return out;
  }
  if (command == "wireless" && args.size() == 3 &&
      (args[1] == "keyboard" || args[1] == "mouse") && (args[2] == "on" || args[2] == "off")) {
    simulator.Firmware(*sim::KindFromName(args[1])).SetWirelessOn(args[2] == "on");
    return "ok\n";
  }
  auto kind = device(1);
  if (!kind)
    return error("unknown command or device");
  sim::FirmwareModel& firmware = simulator.Firmware(*kind);
  if (command == "event" && args.size() == 3) {
    long code = 0;
    if (!ParseNumber(args[2], code, 16) || code < 0 || code > 0xFFFF)
      return error("CODE is a hexadecimal usage");
    if (*kind == sim::DeviceKind::Headset)
      return error("the headset has no event collection");
    return simulator.SendEvent(*kind, static_cast<uint16_t>(code)) ? "ok\n"
                                                                    : error("device not plugged");
  }
  if (command == "power" && (args.size() == 4 || args.size() == 8)) {
    // Without BYTE2..BYTE5 those bytes keep their values.
    std::array<uint8_t, 6> status{};
    for (size_t i = 2; i < args.size(); ++i) {
      long value = 0;
      if (!ParseNumber(args[i], value) || value < 0 || value > 255)
        return error("PERCENT, STATE and BYTE2..BYTE5 are numbers 0..255");
      status[i - 2] = static_cast<uint8_t>(value);
    }
    if (args.size() == 8)
      firmware.SetPowerStatus(status);
    else
      firmware.SetPower(status[0], status[1]);
    return "ok\n";
  }
  if (command == "fault" && args.size() == 3) {
    auto fault = sim::Fault::Parse(args[2]);
    if (!fault)
      return error("unknown fault");
    firmware.SetFault(*fault);
    return "ok\n";
  }
  if (command == "poke" && args.size() == 5) {
    long offset = 0;
    std::vector<uint8_t> bytes;
    if (!ParseNumber(args[3], offset, 0) || offset < 0 || !ParseHexBytes(args[4], bytes))
      return error("OFFSET is a number, HEX an even run of hexadecimal digits");
    return firmware.Poke(args[2], static_cast<size_t>(offset), bytes)
               ? "ok\n"
               : error("no such region, or past its end");
  }
  if (command == "reset-memory" && args.size() == 2) {
    firmware.ResetMemory();
    return "ok\n";
  }
  if (command == "state" && args.size() == 2)
    return firmware.StateJson() + "\n";
  if (command == "log" && args.size() == 2) {
    std::string out;
    for (const sim::LogEntry& entry : firmware.Log())
      out += std::to_string(entry.milliseconds) + (entry.toDevice ? " out " : " in ") +
             Hex(entry.report.data(), entry.report.size()) + "\n";
    return out;
  }
  return error("unknown command or wrong arguments");
}

sockaddr_un ControlAddress(const std::string& root, bool& ok) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = root + "/" + kControlSocket;
  ok = path.size() < sizeof(address.sun_path);
  if (ok)
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

int Serve(const std::string& root) {
  std::filesystem::create_directories(root);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

  bool ok = false;
  const sockaddr_un address = ControlAddress(root, ok);
  if (!ok) {
    std::fprintf(stderr, "travix-devsim: root path too long\n");
    return 1;
  }
  const int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unlink(address.sun_path);
  if (bind(listenFd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listenFd, 8) != 0) {
    std::fprintf(stderr, "travix-devsim: cannot listen on %s: %s\n", address.sun_path,
                 std::strerror(errno));
    return 1;
  }
  {
    sim::DeviceSimulator simulator(root);
    std::printf("travix-devsim: serving under %s (sys: %s, dev: %s)\n", root.c_str(),
                simulator.SysRoot().c_str(), simulator.DevRoot().c_str());
    std::fflush(stdout);
    for (;;) {
      pollfd fds[2] = {{listenFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
      if (poll(fds, 2, -1) < 0) {
        if (errno == EINTR)
          continue;
        break;
      }
      if (fds[1].revents & POLLIN)
        break;
      if (!(fds[0].revents & POLLIN))
        continue;
      const int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      // One command line per connection.
      std::string line;
      char c;
      while (read(client, &c, 1) == 1 && c != '\n' && line.size() < 65536)
        line += c;
      std::istringstream words(line);
      std::vector<std::string> args;
      for (std::string word; words >> word;)
        args.push_back(word);
      const std::string answer = Execute(simulator, args);
      [[maybe_unused]] ssize_t n = write(client, answer.data(), answer.size());
      close(client);
    }
  }
  close(listenFd);
  unlink(address.sun_path);
  return 0;
}

int Send(const std::string& root, const std::vector<std::string>& args) {
  bool ok = false;
  const sockaddr_un address = ControlAddress(root, ok);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (!ok || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    std::fprintf(stderr, "travix-devsim: no simulator serves %s (start: travix-devsim serve --root %s)\n",
                 root.c_str(), root.c_str());
    return 1;
  }
  std::string line;
  for (const std::string& arg : args)
    line += (line.empty() ? "" : " ") + arg;
  line += "\n";
  [[maybe_unused]] ssize_t n = write(fd, line.data(), line.size());
  std::string answer;
  char buffer[4096];
  ssize_t got;
  while ((got = read(fd, buffer, sizeof buffer)) > 0)
    answer.append(buffer, static_cast<size_t>(got));
  close(fd);
  if (answer.rfind("error:", 0) == 0) {
    std::fputs(answer.c_str(), stderr);
    return 1;
  }
  if (answer != "ok\n")
    std::fputs(answer.c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string root;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--root" && i + 1 < argc)
      root = argv[++i];
    else
      args.push_back(arg);
  }
  if (root.empty() || args.empty()) {
    std::fprintf(stderr, "usage: travix-devsim serve --root DIR | travix-devsim --root DIR COMMAND ...\n");
    return 2;
  }
  if (args[0] == "serve")
    return args.size() == 1 ? Serve(root) : 2;
  return Send(root, args);
}
