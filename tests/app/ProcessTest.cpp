#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "support/EventLoopHelpers.h"

// The program as users and other programs meet it: real processes.
using testing_support::RunUntil;

namespace {

const QString kTravix = TRAVIX_BIN_DIR "/travix";
const QString kSend = TRAVIX_BIN_DIR "/travix-send";

class Processes : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFileInfo::exists(kTravix));
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("XDG_RUNTIME_DIR", root_.path());
    env_.insert("XDG_DATA_HOME", root_.path() + "/data");
    env_.insert("HOME", root_.path());
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("TRAVIX_DEBUG", "1");
    // Never real devices: an empty device tree.
    env_.insert("TRAVIX_SYSFS_ROOT", root_.path() + "/sys");
    env_.insert("TRAVIX_DEV_ROOT", root_.path() + "/dev");
  }
  void TearDown() override {
    for (QProcess* p : {&first_, &second_})
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(3000);
      }
  }
  void Start(QProcess& process, const QString& program, const QStringList& args = {}) {
    process.setProcessEnvironment(env_);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    ASSERT_TRUE(process.waitForStarted(5000));
  }
  // The debug lines a process wrote so far.
  QStringList Lines(QProcess& process, QString& log) {
    log += QString::fromUtf8(process.readAllStandardError());
    return log.split('\n', Qt::SkipEmptyParts);
  }
  bool WaitForLine(QProcess& process, QString& log, const QString& line, int count = 1) {
    return RunUntil(
        [&] {
          process.waitForReadyRead(20);
          return Lines(process, log).count(line) >= count;
        },
        10000);
  }
  int Send(const QStringList& args) {
    QProcess send;
    Start(send, kSend, args);
    EXPECT_TRUE(send.waitForFinished(5000));
    return send.exitCode();
  }

  QTemporaryDir root_;
  QProcessEnvironment env_;
  QProcess first_;
  QProcess second_;
  QString firstLog_;
  QString secondLog_;
};

}  // namespace

TEST_F(Processes, SecondStartWakesTheFirstAndLeaves) {
  Start(first_, kTravix);
  ASSERT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown"))
      << firstLog_.toStdString();
  // The start-up order, as the debug channel shows it.
  const QStringList lines = Lines(first_, firstLog_);
  const auto at = [&](const QString& prefix) {
    for (int i = 0; i < lines.size(); ++i)
      if (lines[i].startsWith(prefix))
        return i;
    return -1;
  };
  EXPECT_EQ(lines[at("软件标示：")], "软件标示：49152");
  EXPECT_LT(at("软件标示："), at("InitWindow"));
  EXPECT_LT(at("InitWindow"), at("windowinit root"));
  EXPECT_LT(at("windowinit root"), at("instance message: window shown"));
  EXPECT_TRUE(QFileInfo::exists(root_.path() + "/travix.sock"));

  Start(second_, kTravix);
  ASSERT_TRUE(second_.waitForFinished(10000));
  EXPECT_EQ(second_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second_.exitCode(), 0);
  EXPECT_FALSE(Lines(second_, secondLog_).contains("InitWindow")) << "the second shows nothing";
  EXPECT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown", 2));
  EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(Processes, TerminationEndsInOrderWithExitCodeZero) {
  Start(first_, kTravix);
  ASSERT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown"));
  ::kill(static_cast<pid_t>(first_.processId()), SIGTERM);
  ASSERT_TRUE(first_.waitForFinished(10000));
  EXPECT_EQ(first_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first_.exitCode(), 0);
  EXPECT_TRUE(Lines(first_, firstLog_).contains("WM_DESTROY"));
  EXPECT_FALSE(QFileInfo::exists(root_.path() + "/travix.sock")) << "the socket goes with it";
}

TEST_F(Processes, SendToolTalksToTheRunningProgram) {
  EXPECT_EQ(Send({"RUDAVAVE DADAV UDU417", "0", "1"}), 1) << "nobody is running";
  EXPECT_EQ(Send({}), 2);
  EXPECT_EQ(Send({"Game_Start", "one"}), 2);
  Start(first_, kTravix);
  ASSERT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown"));
  EXPECT_EQ(Send({"RUDAVAVE DADAV UDU417", "0", "1"}), 0);
  EXPECT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown", 2));
  // Unknown names are dropped by the program, which goes on.
  EXPECT_EQ(Send({"No_Such_Message", "1", "2"}), 0);
  EXPECT_TRUE(WaitForLine(first_, firstLog_, "socket: dropped an unknown message \"No_Such_Message\""));
  EXPECT_EQ(first_.state(), QProcess::Running);
}
