// libFuzzer target for the local message socket's reading: arbitrary bytes
// sent by a client of the program's own socket server, in pieces of fuzzed
// sizes, then a hang-up. The server splits them into lines, decodes each and
// hands the messages of names it takes to their handlers:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target socket_lines_fuzzer
//   build/fuzz/bin/socket_lines_fuzzer fuzz/corpus/socket_lines
//
// The input: a byte giving the size of the pieces, then the bytes sent.
//
// What must hold: the messages handled are exactly those of the complete
// lines (line feed ends a line, a carriage return before it is dropped,
// blank lines are skipped), decoded one by one, in the order sent, however
// the bytes were cut into pieces; the server keeps listening and lets the
// client go.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "platform/WindowMessages.h"

namespace {

using platform::LocalMessageServer;
using platform::SocketMessage;

// The names the server takes besides copy data; the last one ends an input.
const QString kTaken = QStringLiteral("fuzz.taken");
const QString kEnd = QStringLiteral("fuzz.end");

struct Bench {
  Bench() : scratch("socket_lines_fuzzer") {
    ::setenv("XDG_RUNTIME_DIR", QFile::encodeName(scratch.Folder()).constData(), 1);
    static int argc = 1;
    static char name[] = "socket_lines_fuzzer";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QCoreApplication>(argc, argv);
    server = std::make_unique<LocalMessageServer>();
    LocalMessageServer::Limits limits;
    limits.maxQueuedLines = 1 << 20;
    server->SetLimits(limits);
    if (server->Start() != LocalMessageServer::StartResult::Listening)
      std::abort();
    server->SetHandler([this](const SocketMessage& message) { received.push_back(message); });
    const auto take = [this](const SocketMessage& message, const LocalMessageServer::Reply&) {
      received.push_back(message);
    };
    server->SetRequestHandler(kTaken, take);
    server->SetRequestHandler(kEnd, take);
    path = LocalMessageServer::SocketPath();
  }

  fuzz::Scratch scratch;
  std::unique_ptr<QCoreApplication> app;
  std::unique_ptr<LocalMessageServer> server;
  QString path;
  std::vector<SocketMessage> received;
};

// What reaches a handler: copy data, a message registered in this process,
// the names with request handlers.
bool Taken(const SocketMessage& message) {
  return message.IsCopyData() || message.name == kTaken || message.name == kEnd ||
         platform::FindMessageName(message.name.toStdString()).has_value();
}

bool Same(const SocketMessage& a, const SocketMessage& b) {
  return a.name == b.name && a.wParam == b.wParam && a.lParam == b.lParam && a.dwData == b.dwData &&
         a.data == b.data && a.fields == b.fields;
}

// The messages the bytes carry, line by line, as the protocol defines lines.
std::vector<SocketMessage> Expected(const QByteArray& bytes) {
  std::vector<SocketMessage> messages;
  for (QByteArray line : bytes.split('\n')) {
    if (line.endsWith('\r'))
      line.chop(1);
    if (line.size() > SocketMessage::kMaxLineBytes || line.trimmed().isEmpty())
      continue;
    if (auto message = SocketMessage::Decode(line); message && Taken(*message))
      messages.push_back(*message);
  }
  return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Bench bench_;  // kept for the run, like the program's own server
  Bench* const bench = &bench_;
  if (size == 0)
    return 0;
  const qsizetype piece = 1 + data[0] % 64;
  // The input's lines, then a line of its own that ends the input.
  QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
  bytes += '\n';
  bytes += SocketMessage::WithFields(kEnd, {}).Encode();
  const std::vector<SocketMessage> expected = Expected(bytes);
  qsizetype ends = 0;
  for (const SocketMessage& message : expected)
    ends += message.name == kEnd ? 1 : 0;

  bench->received.clear();
  {
    QLocalSocket client;
    client.connectToServer(bench->path);
    FUZZ_CHECK(client.waitForConnected(2000));
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
      client.write(bytes.mid(at, piece));
      client.flush();
      QCoreApplication::processEvents();
    }
    client.disconnectFromServer();
  }
  // Until every line is handled; a line that is lost never comes.
  QElapsedTimer waited;
  waited.start();
  const auto endsReceived = [&] {
    qsizetype n = 0;
    for (const SocketMessage& message : bench->received)
      n += message.name == kEnd ? 1 : 0;
    return n;
  };
  while ((endsReceived() < ends || bench->server->ClientCount() > 0) && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  FUZZ_CHECK(bench->server->IsListening());
  FUZZ_CHECK(bench->server->ClientCount() == 0);
  FUZZ_CHECK(bench->received.size() == expected.size());
  for (size_t i = 0; i < expected.size(); ++i)
    FUZZ_CHECK(Same(bench->received[i], expected[i]));
  return 0;
}
