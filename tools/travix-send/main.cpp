// travix-send NAME [WPARAM [LPARAM]]
// Sends one message to the running Travix over its local socket, e.g.
//   travix-send "RUDAVAVE DADAV UDU417" 0 1        (bring the window up)
//   travix-send "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}" 1 0
// Exit status: 0 sent, 1 nobody took it, 2 bad arguments.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"

namespace {

bool ParseNumber(const char* text, int64_t& value) {
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0')
    return false;
  value = parsed;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr, "usage: %s NAME [WPARAM [LPARAM]]\n", argv[0]);
    return 2;
  }
  int64_t wParam = 0;
  int64_t lParam = 0;
  if ((argc > 2 && !ParseNumber(argv[2], wParam)) || (argc > 3 && !ParseNumber(argv[3], lParam))) {
    std::fprintf(stderr, "%s: WPARAM and LPARAM are whole numbers\n", argv[0]);
    return 2;
  }
  const auto message = platform::SocketMessage::Registered(QString::fromLocal8Bit(argv[1]), wParam, lParam);
  if (!platform::LocalMessageServer::SendToRunningInstance(message, 1000)) {
    std::fprintf(stderr, "%s: Travix is not running (no socket at %s)\n", argv[0],
                 platform::LocalMessageServer::SocketPath().toLocal8Bit().constData());
    return 1;
  }
  return 0;
}
