#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sim/DeviceSimulator.h"
#include "storm/StormFigures.h"
#include "support/EventLoopHelpers.h"

using testing_support::RunUntil;

// Storms against the real program, a child process on simulated devices
// with data folders of its own: killed while it saves, flooded on its
// local socket.
namespace {

const QString kTravix = TRAVIX_BIN_DIR "/travix";

// One client of the program's socket, blocking with time limits.
class Client {
 public:
  explicit Client(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Client() { Close(); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool Connected() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
  }
  void NonBlocking() { ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK); }
  // Writes what the socket takes now (non-blocking) or all (blocking);
  // the bytes written, -1 once the program closed the connection.
  long Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n < 0)
        return errno == EAGAIN ? static_cast<long>(done) : -1;
      done += static_cast<size_t>(n);
    }
    return static_cast<long>(done);
  }
  // The first line holding `needle` within `limitMs`; empty when none came
  // (or the connection closed).
  std::string LineWith(const std::string& needle, int limitMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
      for (size_t end; (end = buffer_.find('\n')) != std::string::npos;) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        if (line.find(needle) != std::string::npos)
          return line;
      }
      const qint64 left = limitMs - clock.elapsed();
      pollfd p{fd_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
        return {};
      char chunk[65536];
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0)
        return {};
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }
  // Whether the program closed the connection (within `limitMs`).
  bool ClosedByPeer(int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < limitMs) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) {
        char chunk[65536];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN))
          return true;
      }
    }
    return false;
  }

 private:
  int fd_ = -1;
  std::string buffer_;
};

std::string Request(int id, const std::string& command, const std::string& args) {
  return R"({"message": "Travix.Control", "id": )" + std::to_string(id) + R"(, "command": ")" +
         command + R"(", "args": )" + args + "}\n";
}

class ProcessStorm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFileInfo::exists(kTravix));
    simulator_ = std::make_unique<sim::DeviceSimulator>(devices_.path().toStdString());
    ASSERT_TRUE(simulator_->Plug("keyboard"));
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("XDG_RUNTIME_DIR", root_.path());
    env_.insert("XDG_DATA_HOME", root_.path() + "/data");
    env_.insert("XDG_CONFIG_HOME", root_.path() + "/config");
    env_.insert("HOME", root_.path());
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("TRAVIX_SYSFS_ROOT", QString::fromStdString(simulator_->SysRoot()));
    env_.insert("TRAVIX_DEV_ROOT", QString::fromStdString(simulator_->DevRoot()));
    env_.remove("TRAVIX_DEBUG");
  }
  void TearDown() override {
    if (program_.state() != QProcess::NotRunning) {
      program_.kill();
      program_.waitForFinished(5000);
    }
    simulator_.reset();
  }
  std::string SocketPath() const { return (root_.path() + "/travix.sock").toStdString(); }
  std::string Pid() const { return std::to_string(program_.processId()); }

  // Starts the program and waits until it answers with the keyboard read.
  bool StartProgram() {
    program_.setProcessEnvironment(env_);
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program_.setStandardOutputFile(QProcess::nullDevice());
    // The binary may be relinked by a build beside the run: try again then.
    for (int attempt = 0;; ++attempt) {
      program_.start(kTravix, {});
      if (program_.waitForStarted(5000))
        break;
      if (attempt == 10)
        return false;
      QThread::sleep(3);
    }
    return RunUntil(
        [&] {
          Client client(SocketPath());
          if (!client.Connected())
            return false;
          client.Write(Request(1, "light", R"({"device": "keyboard"})"));
          return client.LineWith(R"("ok":true)", 1000).find("brightness") != std::string::npos;
        },
        20000);
  }

  QTemporaryDir root_, devices_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  QProcessEnvironment env_;
  QProcess program_;
};

}  // namespace

// kill -9 while the program writes the keyboard's profile, in a loop: every
// file of the keyboard's folder is whole JSON after every kill (the old
// file or the new one), and the program starts on it again.
TEST_F(ProcessStorm, KilledWhileSavingLeavesEveryFileWhole) {
  const int rounds = storm::Cycles(100) / 3 + 1;
  storm::Figures figures("kill-during-save");
  figures.Start();
  int leftovers = 0;
  int checked = 0;
  for (int round = 0; round < rounds; ++round) {
    ASSERT_TRUE(StartProgram()) << "round " << round;
    Client client(SocketPath());
    ASSERT_TRUE(client.Connected());
    // A burst of lighting changes, each saved to the profile; the kill
    // comes somewhere in the middle.
    std::string burst;
    for (int i = 0; i < 60; ++i)
      burst += Request(100 + i, "light",
                       R"({"device": "keyboard", "brightness": )" + std::to_string(i % 5) +
                           R"(, "speed": )" + std::to_string((i / 5) % 5) + "}");
    ASSERT_GT(client.Write(burst), 0);
    client.LineWith(R"("id": )" + std::to_string(100 + QRandomGenerator::global()->bounded(20)),
                    3000);
    QThread::usleep(QRandomGenerator::global()->bounded(20000u));
    program_.kill();
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitStatus(), QProcess::CrashExit);

    QDirIterator files(root_.path() + "/data", QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
      const QString path = files.next();
      const QString name = QFileInfo(path).fileName();
      if (name.contains(".travix-tmp.")) {
        // A temporary file the kill left; the target beside it is whole.
        ++leftovers;
        continue;
      }
      if (!(name.endsWith(".Json") || name.endsWith(".json") || name.endsWith(".ini") ||
            name.endsWith(".config")))
        continue;
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
      const QByteArray bytes = file.readAll();
      QJsonParseError error{};
      const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
      EXPECT_EQ(error.error, QJsonParseError::NoError)
          << path.toStdString() << " after round " << round << ": " << bytes.size() << " bytes";
      EXPECT_FALSE(document.isNull()) << path.toStdString();
      ++checked;
    }
  }
  figures.Print(rounds, "files_checked=" + std::to_string(checked) +
                            " temp_leftovers=" + std::to_string(leftovers));
  // The last profile still starts the program with the keyboard on it.
  EXPECT_TRUE(StartProgram());
}

// Many clients, oversized and malformed lines and a client that never
// reads: a well-formed request still gets its reply, the program's memory
// stays bounded and its descriptors come back once the clients are gone.
TEST_F(ProcessStorm, ASocketFloodLeavesTheProgramAnswering) {
  const int rounds = storm::Cycles(100) / 10 + 1;
  ASSERT_TRUE(StartProgram());
  // Settled first (the keyboard's page, the first saves).
  QThread::msleep(500);
  storm::Figures figures("socket-flood", Pid());
  figures.Start();
  const std::string bigLine(200 * 1024, 'x');
  const std::string endless(2 * 1024 * 1024, '{');
  long peakRss = figures.rssBefore;
  int refused = 0;
  int id = 1000;
  for (int round = 0; round < rounds; ++round) {
    // The last round's clients are gone before this one starts: until the
    // program has seen their hang-ups they count against its client limit.
    ASSERT_TRUE(
        RunUntil([&] { return storm::OpenDescriptors(Pid()) <= figures.fdsBefore; }, 10000));
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < 60; ++i) {
      idle.push_back(std::make_unique<Client>(SocketPath()));
      ASSERT_TRUE(idle.back()->Connected());
    }
    // Oversized lines, with and without their end, and garbage.
    std::vector<std::unique_ptr<Client>> flood;
    for (int i = 0; i < 10; ++i) {
      auto client = std::make_unique<Client>(SocketPath());
      client->NonBlocking();
      client->Write(bigLine + "\n");
      client->Write("{not json at all\n\x01\x02\xff\xfe\n{\"message\": 17}\n");
      client->Write(R"({"message": "no such message", "wParam": 1})" "\n");
      client->Write(endless);
      flood.push_back(std::move(client));
    }
    // A client that asks and asks and never reads its answers.
    Client greedy(SocketPath());
    greedy.NonBlocking();
    std::string asks;
    for (int i = 0; i < 3000; ++i)
      asks += Request(5000 + i, "list", "{}");
    for (size_t at = 0; at < asks.size();) {
      const long n = greedy.Write(asks.substr(at, 65536));
      if (n <= 0)
        break;
      at += static_cast<size_t>(n);
    }
    // Meanwhile a well-formed request is answered.
    Client good(SocketPath());
    ASSERT_TRUE(good.Connected());
    ++id;
    good.Write(Request(id, "list", "{}"));
    const std::string reply = good.LineWith(R"("id":)" + std::to_string(id), 10000);
    EXPECT_NE(reply.find(R"("ok":true)"), std::string::npos) << "round " << round << ": " << reply;
    EXPECT_NE(reply.find("keyboard"), std::string::npos) << reply;
    EXPECT_TRUE(greedy.ClosedByPeer(15000)) << "the client that never reads is let go";

    // Past the client limit: further connections are closed at once.
    std::vector<std::unique_ptr<Client>> extra;
    for (int i = 0; i < 60; ++i)
      extra.push_back(std::make_unique<Client>(SocketPath()));
    for (auto& client : extra)
      refused += client->Connected() && client->ClosedByPeer(50) ? 1 : 0;
    peakRss = std::max(peakRss, storm::RssKiB(Pid()));
  }
  // Everyone gone: the program answers (once it has seen the hang-ups a
  // new client is no longer over the limit) and its descriptors are back.
  EXPECT_TRUE(RunUntil(
      [&] {
        Client good(SocketPath());
        good.Write(Request(++id, "list", "{}"));
        return good.LineWith(R"("id":)" + std::to_string(id), 2000).find(R"("ok":true)") !=
               std::string::npos;
      },
      10000));
  EXPECT_TRUE(RunUntil([&] { return storm::OpenDescriptors(Pid()) <= figures.fdsBefore; }, 10000))
      << storm::OpenDescriptors(Pid()) << " descriptors, " << figures.fdsBefore << " before";
  figures.Print(rounds, "peak_rss_kib=" + std::to_string(peakRss) +
                            " refused=" + std::to_string(refused));
  EXPECT_GT(refused, 0) << "the client limit holds";
  // Bounded: the lines and answers kept per client are capped, so the
  // flood leaves no more than a few tens of MiB behind.
  EXPECT_LT(peakRss - figures.rssBefore, 128 * 1024) << "KiB grown";
  EXPECT_EQ(program_.state(), QProcess::Running);
}
