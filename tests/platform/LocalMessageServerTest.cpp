#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/DebugChannel.h"
#include "platform/LocalMessageServer.h"
#include "platform/WindowMessages.h"
#include "support/EventLoopHelpers.h"

using platform::LocalMessageServer;
using platform::SocketMessage;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

// Every test gets its own runtime folder, so tests and a running program
// never share a socket.
class LocalSocket : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    saved_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    platform::RegisterMessageName("Game_Start");
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved_); }

  // A client on its own thread, as another program would be.
  // Starts `server` with `limits`; `received` collects the wParam of every
  // message that reaches its handler.
  static void Listen(LocalMessageServer& server, std::vector<int64_t>& received,
                     const LocalMessageServer::Limits& limits = {}) {
    server.SetLimits(limits);
    ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
    server.SetHandler([&received](const SocketMessage& m) { received.push_back(m.wParam); });
  }

  static bool SendFromAnotherThread(const SocketMessage& message) {
    std::atomic<bool> sent = false;
    std::thread client([&] { sent = LocalMessageServer::SendToRunningInstance(message, 2000); });
    RunUntil([&] { return sent.load(); }, 3000);
    client.join();
    return sent;
  }

  QTemporaryDir runtime_;
  QByteArray saved_;
};

mode_t ModeOf(const QString& path) {
  struct stat info {};
  lstat(QFile::encodeName(path).constData(), &info);
  return info.st_mode & 0777;
}

}  // namespace

TEST_F(LocalSocket, FirstServerListensSecondFindsTheOwner) {
  LocalMessageServer first;
  ASSERT_EQ(first.Start(), LocalMessageServer::StartResult::Listening);
  EXPECT_EQ(LocalMessageServer::SocketPath(), runtime_.path() + "/travix.sock");
  EXPECT_EQ(ModeOf(LocalMessageServer::SocketPath()), 0600u);
  LocalMessageServer second;
  EXPECT_EQ(second.Start(), LocalMessageServer::StartResult::OtherInstance);
  EXPECT_FALSE(second.IsListening());
}

TEST_F(LocalSocket, OwnerGoneMeansTheNextOneTakesOverAndRemovesTheSocket) {
  {
    LocalMessageServer first;
    ASSERT_EQ(first.Start(), LocalMessageServer::StartResult::Listening);
  }
  EXPECT_FALSE(QFileInfo::exists(runtime_.path() + "/travix.sock"));
  // A stale socket file of a crashed instance is replaced.
  QFile stale(runtime_.path() + "/travix.sock");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  LocalMessageServer next;
  EXPECT_EQ(next.Start(), LocalMessageServer::StartResult::Listening);
}

TEST_F(LocalSocket, MessagesReachTheHandler) {
  LocalMessageServer server;
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  std::vector<SocketMessage> received;
  server.SetHandler([&](const SocketMessage& m) { received.push_back(m); });
  ASSERT_TRUE(SendFromAnotherThread(SocketMessage::Registered("Game_Start", 2, 9)));
  ASSERT_TRUE(SendFromAnotherThread(SocketMessage::CopyData(1, "abc")));
  ASSERT_TRUE(RunUntil([&] { return received.size() == 2; }));
  EXPECT_EQ(received[0].name, "Game_Start");
  EXPECT_EQ(received[0].wParam, 2);
  EXPECT_EQ(received[0].lParam, 9);
  EXPECT_TRUE(received[1].IsCopyData());
  EXPECT_EQ(received[1].data, "abc");
}

TEST_F(LocalSocket, BadLinesAreDroppedAndTheConnectionGoesOn) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  std::vector<SocketMessage> received;
  server.SetHandler([&](const SocketMessage& m) { received.push_back(m); });

  QByteArray stream;
  stream += "this is not json\n";
  stream += R"({"message": "No_Such_Message", "wParam": 1})" "\n";
  stream += "{\"message\": \"Game_Start\", \"pad\": \"" + QByteArray(70 * 1024, 'x') + "\"}\n";
  stream += "\r\n";
  stream += R"({"message": "Game_Start", "wParam": 4, "lParam": 0})" "\r\n";
  std::thread client([&] {
    QLocalSocket socket;
    socket.connectToServer(LocalMessageServer::SocketPath());
    ASSERT_TRUE(socket.waitForConnected(2000));
    // Written in small pieces: lines may arrive split anywhere.
    for (qsizetype i = 0; i < stream.size(); i += 1000) {
      socket.write(stream.mid(i, 1000));
      socket.waitForBytesWritten(2000);
    }
    socket.disconnectFromServer();
  });
  ASSERT_TRUE(RunUntil([&] { return received.size() == 1; }));
  client.join();
  RunFor(20);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].wParam, 4);
  EXPECT_TRUE(capture.Contains("not JSON"));
  EXPECT_TRUE(capture.Contains("No_Such_Message"));
  EXPECT_TRUE(capture.Contains("longer than"));
}

TEST_F(LocalSocket, BroadcastsReachEveryConnectedClient) {
  LocalMessageServer server;
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  QLocalSocket a, b;
  a.connectToServer(LocalMessageServer::SocketPath());
  b.connectToServer(LocalMessageServer::SocketPath());
  ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 2; }));
  server.Broadcast(SocketMessage::Registered("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", 1, 1));
  ASSERT_TRUE(RunUntil([&] { return a.canReadLine() && b.canReadLine(); }));
  auto got = SocketMessage::Decode(a.readLine().trimmed());
  ASSERT_TRUE(got);
  EXPECT_EQ(got->name, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
  EXPECT_EQ(got->lParam, 1);
  EXPECT_TRUE(SocketMessage::Decode(b.readLine().trimmed()));
  a.disconnectFromServer();
  ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 1; }));
}

TEST_F(LocalSocket, NobodyListeningMeansTheSendFails) {
  EXPECT_FALSE(LocalMessageServer::SendToRunningInstance(SocketMessage::Registered("x", 0, 0), 100));
}

namespace {

// No runtime folder: the socket goes to a private folder in the temporary
// folder (a test one here, never the real /tmp).
class LocalSocketFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    savedTmp_ = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", tmp_.path().toUtf8());
  }
  void TearDown() override {
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
    if (savedTmp_.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", savedTmp_);
  }
  QString Mine() const { return QStringLiteral("%1/travix-%2").arg(tmp_.path()).arg(getuid()); }

  QTemporaryDir tmp_;
  QByteArray savedRuntime_, savedTmp_;
};

}  // namespace

TEST_F(LocalSocketFolder, WithoutRuntimeDirUsesAPrivateFolder) {
  EXPECT_EQ(LocalMessageServer::SocketDirectory(), Mine() + "/");
  EXPECT_EQ(ModeOf(Mine()), 0700u);
  // A folder left open to others is closed again.
  chmod(QFile::encodeName(Mine()).constData(), 0777);
  EXPECT_EQ(LocalMessageServer::SocketDirectory(), Mine() + "/");
  EXPECT_EQ(ModeOf(Mine()), 0700u);
  LocalMessageServer server;
  EXPECT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  EXPECT_EQ(LocalMessageServer::SocketPath(), Mine() + "/travix.sock");
}

TEST_F(LocalSocketFolder, AFolderOfAnotherUserOrALinkIsRefused) {
  if (getuid() != 0)
    GTEST_SKIP() << "needs root to give a folder to another user";
  ASSERT_TRUE(QDir().mkdir(Mine()));
  ASSERT_EQ(chown(QFile::encodeName(Mine()).constData(), 65534, 65534), 0);
  QString error;
  EXPECT_TRUE(LocalMessageServer::SocketDirectory(&error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
  LocalMessageServer server;
  EXPECT_EQ(server.Start(), LocalMessageServer::StartResult::Failed);

  // A symbolic link in its place is refused too.
  ASSERT_TRUE(QDir(Mine()).removeRecursively());
  ASSERT_TRUE(QFile::link(tmp_.path(), Mine()));
  EXPECT_TRUE(LocalMessageServer::SocketDirectory().isEmpty());
}

namespace {

// A raw client socket of this process, connected to the program's socket;
// -1 when the connection failed.
int ConnectRaw() {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return -1;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(LocalMessageServer::SocketPath());
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const QByteArray& bytes) {
  return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
}

// Whether the peer has closed the connection, waiting up to `ms`.
bool ClosedByPeer(int fd, int ms) {
  pollfd entry{fd, POLLIN, 0};
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (::poll(&entry, 1, 5) > 0) {
      char byte;
      const ssize_t got = ::recv(fd, &byte, 1, MSG_DONTWAIT);
      if (got == 0 || (got < 0 && errno == ECONNRESET))
        return true;
    }
  }
  return false;
}

QByteArray Line(const char* name, int wParam = 0) {
  return SocketMessage::Registered(name, wParam, 0).Encode();
}

}  // namespace

// A request whose handler runs a nested event loop (as a modal window does)
// while its client hangs up must not take the program down; the loop is ended
// later by another client's line, as the test hook's "confirm_btn" does.
TEST_F(LocalSocket, AClientLeavingWhileItsRequestRunsAModalLoopIsSafe) {
  LocalMessageServer server;
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  QEventLoop* modal = nullptr;
  int opened = 0;
  server.SetRequestHandler("Open", [&](const SocketMessage&, const LocalMessageServer::Reply& reply) {
    ++opened;
    QEventLoop loop;
    modal = &loop;
    QTimer::singleShot(0, [&] { reply(SocketMessage::Registered("Opened", 0, 0)); });
    loop.exec();
    modal = nullptr;
    reply(SocketMessage::Registered("Too late", 0, 0));  // nobody to take it
  });
  server.SetRequestHandler("Close", [&](const SocketMessage&, const LocalMessageServer::Reply&) {
    if (modal != nullptr)
      modal->quit();
  });
  std::atomic<int> answered = 0;
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    // The clients are other programs: the test's own thread is inside the
    // nested loop for most of the round.
    std::atomic<bool> done = false;
    std::thread clients([&, round] {
      const int client = ConnectRaw();
      if (client < 0 || !WriteAll(client, Line("Open")))
        return;
      pollfd entry{client, POLLIN, 0};
      if (::poll(&entry, 1, 3000) > 0)
        ++answered;
      ::close(client);  // leaves at once, while the loop still runs
      std::this_thread::sleep_for(std::chrono::milliseconds(round % 3));
      const int closer = ConnectRaw();
      WriteAll(closer, Line("Close"));
      ::close(closer);
      done = true;
    });
    ASSERT_TRUE(RunUntil([&] { return done && modal == nullptr && server.ClientCount() == 0; }));
    clients.join();
  }
  EXPECT_EQ(opened, 30);
  EXPECT_EQ(answered, 30);
}

TEST_F(LocalSocket, LinesOfOneClientKeepTheirOrderAndTheLastOneSurvivesTheHangUp) {
  LocalMessageServer server;
  std::vector<int64_t> received;
  ASSERT_NO_FATAL_FAILURE(Listen(server, received));
  const int client = ConnectRaw();
  QByteArray stream;
  for (int i = 0; i < 200; ++i)
    stream += Line("Game_Start", i);
  // All of it and the hang-up in one go, as travix-send and a second start do.
  ASSERT_TRUE(WriteAll(client, stream));
  ::close(client);
  ASSERT_TRUE(RunUntil([&] { return received.size() == 200; }));
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(received[static_cast<size_t>(i)], i);
}

TEST_F(LocalSocket, AHangUpInTheMiddleOfALineDropsOnlyThatLine) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  std::vector<int64_t> received;
  ASSERT_NO_FATAL_FAILURE(Listen(server, received));
  const int client = ConnectRaw();
  ASSERT_TRUE(WriteAll(client, Line("Game_Start", 1) + R"({"message": "Game_St)"));
  ::close(client);
  ASSERT_TRUE(RunUntil([&] { return capture.Contains("unfinished line"); }));
  RunFor(20);
  EXPECT_EQ(received, std::vector<int64_t>{1});
  EXPECT_EQ(server.ClientCount(), 0);
}

TEST_F(LocalSocket, ManyClientsAtOnceAreAllHeard) {
  LocalMessageServer server;
  std::vector<int64_t> received;
  ASSERT_NO_FATAL_FAILURE(Listen(server, received));
  std::vector<std::thread> clients;
  for (int i = 0; i < 16; ++i)
    clients.emplace_back([i] {
      for (int j = 0; j < 5; ++j)
        LocalMessageServer::SendToRunningInstance(SocketMessage::Registered("Game_Start", i * 5 + j, 0), 3000);
    });
  ASSERT_TRUE(RunUntil([&] { return received.size() == 80; }, 10000));
  for (std::thread& client : clients)
    client.join();
  std::sort(received.begin(), received.end());
  for (int i = 0; i < 80; ++i)
    ASSERT_EQ(received[static_cast<size_t>(i)], i);
}

// Out of descriptors, accepting fails for a while; the socket must stay and
// be heard again once descriptors are free.
TEST_F(LocalSocket, RunningOutOfDescriptorsNeverRemovesTheSocket) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  std::vector<int64_t> received;
  LocalMessageServer::Limits limits;
  limits.acceptPauseMs = 20;
  ASSERT_NO_FATAL_FAILURE(Listen(server, received, limits));

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  int highest = 0;
  for (const QString& entry : QDir("/proc/self/fd").entryList(QDir::Files | QDir::System))
    highest = std::max(highest, entry.toInt());
  rlimit lowered = saved;
  lowered.rlim_cur = static_cast<rlim_t>(highest + 16);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
  // Clients take every descriptor left, so the program has none to accept.
  std::vector<int> clients;
  for (int fd; (fd = ConnectRaw()) >= 0;)
    clients.push_back(fd);
  EXPECT_FALSE(clients.empty());
  RunUntil([&] { return capture.Contains("accept failed"); }, 2000);
  RunFor(60);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_TRUE(capture.Contains("accept failed"));
  EXPECT_TRUE(QFileInfo::exists(LocalMessageServer::SocketPath()));
  for (int fd : clients)
    ::close(fd);
  // The connections queued meanwhile are taken now (beyond the client
  // limit, refused); a message sent while that goes on may be refused too,
  // but the program is heard again soon.
  for (int attempt = 0; attempt < 20 && received.empty(); ++attempt) {
    ASSERT_TRUE(SendFromAnotherThread(SocketMessage::Registered("Game_Start", 7, 0)));
    RunUntil([&] { return !received.empty(); }, 250);
  }
  EXPECT_EQ(received, std::vector<int64_t>{7});
  EXPECT_TRUE(server.IsListening());
}

TEST_F(LocalSocket, ClientsBeyondTheLimitAreRefused) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  LocalMessageServer::Limits limits;
  limits.maxClients = 3;
  server.SetLimits(limits);
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  std::vector<int> clients;
  for (int i = 0; i < 3; ++i)
    clients.push_back(ConnectRaw());
  ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 3; }));
  const int refused = ConnectRaw();
  EXPECT_TRUE(ClosedByPeer(refused, 2000));
  EXPECT_TRUE(capture.Contains("refused a connection: 3 clients"));
  EXPECT_EQ(server.ClientCount(), 3);
  ::close(refused);
  ::close(clients[0]);
  ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 2; }));
  clients[0] = ConnectRaw();
  ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 3; })) << "room again";
  for (int fd : clients)
    ::close(fd);
}

TEST_F(LocalSocket, AClientThatStopsInTheMiddleOfALineIsClosed) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  std::vector<int64_t> received;
  LocalMessageServer::Limits limits;
  limits.unfinishedLineMs = 100;
  ASSERT_NO_FATAL_FAILURE(Listen(server, received, limits));
  const int slow = ConnectRaw();
  const int quiet = ConnectRaw();  // connected, sending nothing: left alone
  ASSERT_TRUE(WriteAll(slow, Line("Game_Start", 1) + R"({"message": )"));
  EXPECT_TRUE(ClosedByPeer(slow, 3000));
  EXPECT_TRUE(capture.Contains("left a line unfinished"));
  EXPECT_EQ(received, std::vector<int64_t>{1}) << "its finished line was handled";
  ASSERT_TRUE(WriteAll(quiet, Line("Game_Start", 2)));
  ASSERT_TRUE(RunUntil([&] { return received.size() == 2; }));
  EXPECT_EQ(server.ClientCount(), 1);
  ::close(slow);
  ::close(quiet);
}

TEST_F(LocalSocket, AClientThatDoesNotReadItsAnswersIsClosed) {
  platform::DebugCapture capture;
  LocalMessageServer server;
  LocalMessageServer::Limits limits;
  limits.maxUnreadBytes = 64 * 1024;
  server.SetLimits(limits);
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  const QByteArray big(16 * 1024, 'a');
  server.SetRequestHandler("Ask", [&](const SocketMessage&, const LocalMessageServer::Reply& reply) {
    reply(SocketMessage::CopyData(0, big));
  });
  const int client = ConnectRaw();
  int shrink = 4096;
  setsockopt(client, SOL_SOCKET, SO_RCVBUF, &shrink, sizeof(shrink));
  QByteArray requests;
  for (int i = 0; i < 200; ++i)
    requests += Line("Ask");
  ASSERT_TRUE(WriteAll(client, requests));
  EXPECT_TRUE(RunUntil([&] { return capture.Contains("bytes unread"); }, 5000));
  EXPECT_EQ(server.ClientCount(), 0);
  ::close(client);
}
