#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <csignal>

#include "platform/DeviceLock.h"
#include "profiles/JsonFile.h"
#include "protocol/ParameterBlocks.h"
#include "sim/DeviceSimulator.h"
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
  bool WaitForLine(QProcess& process, QString& log, const QString& line, int count = 1, int limitMs = 10000) {
    return RunUntil(
        [&] {
          process.waitForReadyRead(20);
          return Lines(process, log).count(line) >= count;
        },
        limitMs);
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

// A client changes the brightness as fast as it can while the program is
// told to end: every change the program took (and answered) is in the
// profile when it has ended.
TEST_F(Processes, EveryChangeTakenBeforeTerminationIsSaved) {
  sim::DeviceSimulator simulator((root_.path() + "/devs").toStdString());
  ASSERT_TRUE(simulator.Plug("keyboard"));
  env_.insert("TRAVIX_SYSFS_ROOT", QString::fromStdString(simulator.SysRoot()));
  env_.insert("TRAVIX_DEV_ROOT", QString::fromStdString(simulator.DevRoot()));
  env_.insert("TRAVIX_TEST_UI", "1");
  Start(first_, kTravix);
  ASSERT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown"));
  QLocalSocket client;
  client.connectToServer(root_.path() + "/travix.sock");
  ASSERT_TRUE(client.waitForConnected(3000));
  int answered = 0;
  bool refused = false;
  QObject::connect(&client, &QLocalSocket::readyRead, [&] {
    while (client.canReadLine()) {
      const QJsonObject answer = QJsonDocument::fromJson(client.readLine()).object();
      if (answer.value("message") == QLatin1String("Travix.Test.Result")) {
        ++answered;
        refused = refused || !answer.value("ok").toBool();
      }
    }
  });
  const auto request = [&](const char* type, const char* control, int value = 0) {
    QJsonObject line{{"message", "Travix.Test.Notify"}, {"type", type}, {"control", control},
                     {"value", value}};
    client.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    client.flush();
  };
  // The lighting page of the keyboard, once its page is up and read.
  ASSERT_TRUE(RunUntil([&] {
    refused = false;
    const int before = answered;
    request("click", "deng_Op_tab");
    request("setvalue", "deng_light_slider", 4);
    return RunUntil([&] { return answered >= before + 2; }, 2000) && !refused;
  }, 10000));
  answered = 0;
  const auto takenSoFar = [&] {
    first_.waitForReadyRead(20);
    return static_cast<int>(Lines(first_, firstLog_).filter("setvalue \"deng_light_slider\"").size());
  };
  testing_support::RunFor(100);  // the debug lines of the requests above
  const int takenBefore = takenSoFar();
  std::vector<int> sent;
  for (int i = 0; i < 400; ++i) {
    sent.push_back(i % 5);
    request("setvalue", "deng_light_slider", i % 5);
    if (i == 40) {
      ASSERT_TRUE(RunUntil([&] { return answered >= 20; }));
      ::kill(static_cast<pid_t>(first_.processId()), SIGTERM);
    }
  }
  ASSERT_TRUE(RunUntil([&] { return first_.state() == QProcess::NotRunning; }, 10000));
  RunUntil([&] { return client.state() == QLocalSocket::UnconnectedState; }, 2000);
  EXPECT_FALSE(refused);
  const int taken = takenSoFar() - takenBefore;
  ASSERT_GE(taken, answered);
  ASSERT_GT(answered, 0);
  // The keyboard's selected profile.
  const QString folder = root_.path() + "/data/RUDAVAVE DADAV UDU417/keyboard/";
  JsonFile json;
  const Json::Value list = json.ReadJson(folder + "ProfileList.ini");
  const std::string id = list["profilelist"][list["profileselect"].asInt()]["profileUUID"].asString();
  const Json::Value profile = json.ReadJson(folder + QString::fromStdString(id) + ".Json");
  EXPECT_EQ(profile["Device"][0]["LightInfo"]["Light"].asInt(), sent[static_cast<size_t>(taken - 1)])
      << taken << " changes taken, " << answered << " answered";
}

// travixctl on the devices (it holds the device lock while Travix is not
// running): a Travix that starts meanwhile waits for it, and only then
// opens anything.
TEST_F(Processes, AStartWaitsForTheDevicesWhileAnotherProgramHoldsThem) {
  platform::DeviceLock other(root_.path() + "/" + platform::DeviceLock::kFileName);
  ASSERT_TRUE(other.TryLock());
  // The other program's save on its way: its temporary file stays while it
  // holds the devices.
  const QString folder = root_.path() + "/data/RUDAVAVE DADAV UDU417/keyboard/";
  ASSERT_TRUE(QDir().mkpath(folder));
  QFile saving(folder + ".ProfileList.ini.travix-tmp.Zz9Yy8");
  ASSERT_TRUE(saving.open(QIODevice::WriteOnly));
  saving.close();
  Start(first_, kTravix);
  EXPECT_FALSE(WaitForLine(first_, firstLog_, "InitWindow", 1, 600)) << firstLog_.toStdString();
  EXPECT_TRUE(saving.exists());
  // Left behind once the other is gone: cleared at start.
  other.Unlock();
  EXPECT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown")) << firstLog_.toStdString();
  EXPECT_FALSE(saving.exists());
  // Now Travix holds the devices: nobody else gets them.
  platform::DeviceLock late(root_.path() + "/" + platform::DeviceLock::kFileName);
  EXPECT_FALSE(late.TryLock());
  EXPECT_TRUE(late.Holder().startsWith("travix (pid ")) << late.Holder().toStdString();
}

// Two travixctl calls at once against the running program: each gets its
// own answer, and both changes land on their devices.
TEST_F(Processes, TwoTravixctlCallsAtOnceEachGetTheirAnswer) {
  sim::DeviceSimulator simulator((root_.path() + "/devs").toStdString());
  ASSERT_TRUE(simulator.Plug("keyboard"));
  ASSERT_TRUE(simulator.Plug("pad"));
  env_.insert("TRAVIX_SYSFS_ROOT", QString::fromStdString(simulator.SysRoot()));
  env_.insert("TRAVIX_DEV_ROOT", QString::fromStdString(simulator.DevRoot()));
  Start(first_, kTravix);
  ASSERT_TRUE(WaitForLine(first_, firstLog_, "instance message: window shown"));
  const QString travixctl = TRAVIX_BIN_DIR "/travixctl";
  // The pages read their devices once the window is up: ask until they answer.
  ASSERT_TRUE(RunUntil(
      [&] {
        QProcess probe;
        Start(probe, travixctl, {"light", "pad"});
        return probe.waitForFinished(5000) && probe.exitCode() == 0;
      },
      10000));
  QProcess keyboard, pad;
  Start(keyboard, travixctl, {"--json", "light", "keyboard", "--colour", "0000FF", "--brightness", "1"});
  Start(pad, travixctl, {"--json", "light", "pad", "--colour", "00FF00"});
  ASSERT_TRUE(keyboard.waitForFinished(10000));
  ASSERT_TRUE(pad.waitForFinished(10000));
  EXPECT_EQ(keyboard.exitCode(), 0) << keyboard.readAllStandardError().toStdString();
  EXPECT_EQ(pad.exitCode(), 0) << pad.readAllStandardError().toStdString();
  const QJsonObject one = QJsonDocument::fromJson(keyboard.readAllStandardOutput()).object();
  const QJsonObject two = QJsonDocument::fromJson(pad.readAllStandardOutput()).object();
  EXPECT_EQ(one.value("device").toString(), "keyboard");
  EXPECT_EQ(one.value("colour").toString(), "0000FF");
  EXPECT_EQ(two.value("device").toString(), "pad");
  EXPECT_EQ(two.value("colour").toString(), "00FF00");
  const auto keyboardBlock = simulator.Firmware(sim::DeviceKind::Keyboard).Region("parameters");
  const auto padBlock = simulator.Firmware(sim::DeviceKind::Pad).Region("parameters");
  ASSERT_TRUE(keyboardBlock && padBlock);
  EXPECT_EQ((*keyboardBlock)[protocol::BlockLighting::kColourOffset + 2], 0xFF);
  EXPECT_EQ((*padBlock)[protocol::BlockLighting::kColourOffset + 1], 0xFF);
  EXPECT_EQ(first_.state(), QProcess::Running);
}
