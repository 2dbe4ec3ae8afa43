#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <sys/stat.h>
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
  static bool SendFromAnotherThread(const SocketMessage& message) {
    bool sent = false;
    std::thread client([&] { sent = LocalMessageServer::SendToRunningInstance(message, 2000); });
    RunUntil([&] { return sent; }, 3000);
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
