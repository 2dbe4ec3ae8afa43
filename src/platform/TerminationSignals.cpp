#include "platform/TerminationSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int signalNumber) {
  // Only async-signal-safe work here: hand the number to the event loop.
  const unsigned char byte = static_cast<unsigned char>(signalNumber);
  [[maybe_unused]] ssize_t n = write(g_pipe[1], &byte, 1);
}

}  // namespace

TerminationSignals* TerminationSignals::Install() {
  static TerminationSignals* instance = new TerminationSignals;
  return instance;
}

TerminationSignals::TerminationSignals() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
    return;
  notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1)
      emit Requested(byte);
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP})
    sigaction(sig, &action, nullptr);
}

}  // namespace platform
