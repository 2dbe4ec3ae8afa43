#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "platform/DebugChannel.h"
#include "platform/SleepMonitor.h"
#include "support/EventLoopHelpers.h"

using platform::SleepMonitor;
using testing_support::RunUntil;

// The only test here that uses the system bus, so it decides its address.
TEST(SleepMonitorTest, WithoutASystemBusStartFailsQuicklyWithOneLine) {
  QTemporaryDir dir;
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir.path() + "/no-bus").toUtf8());
  platform::DebugCapture capture;
  SleepMonitor monitor;
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(monitor.Start());
  EXPECT_LT(timer.elapsed(), 1500);
  EXPECT_EQ(capture.Lines().size(), 1u);
  EXPECT_TRUE(capture.Contains("SleepMonitor"));
}

TEST(SleepMonitorTest, OnlyChangesOfStateArePassedOnInOrder) {
  SleepMonitor monitor;
  std::vector<bool> seen;
  QObject::connect(&monitor, &SleepMonitor::SleepChanged, [&](bool sleeping) { seen.push_back(sleeping); });
  // Awake at first, so a resume without a suspend says nothing.
  for (bool start : {false, true, true, false, false, true})
    monitor.OnPrepareForSleep(start);
  EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
}

namespace {

// Plays logind: answers Inhibit with the write end of a pipe and keeps the
// read end, which reaches end-of-file once every copy of the lock is closed.
struct FakeLogind : QDBusVirtualObject {
  ~FakeLogind() override {
    for (int fd : readEnds)
      close(fd);
  }
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    int ends[2];
    if (message.member() != "Inhibit" || pipe2(ends, O_CLOEXEC) != 0)
      return false;
    inhibits.push_back(message.arguments());
    readEnds.push_back(ends[0]);
    QDBusUnixFileDescriptor lock;
    lock.giveFileDescriptor(ends[1]);
    return connection.send(message.createReply(QVariant::fromValue(lock)));
  }
  bool LastLockReleased() const {
    pollfd p{readEnds.back(), POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
  }
  std::vector<QVariantList> inhibits;
  std::vector<int> readEnds;
};

// A private bus from dbus-daemon, with the fake logind on it.
class SleepMonitorBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
      GTEST_SKIP() << "dbus-daemon is not installed";
    QFile config(dir_.filePath("bus.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral(
        "<busconfig><type>session</type><listen>unix:path=%1/bus</listen><policy context=\"default\">"
        "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>")
                     .arg(dir_.path()).toUtf8());
    config.close();
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(daemon, {"--config-file=" + config.fileName(), "--nofork", "--print-address"});
    ASSERT_TRUE(daemon_.waitForReadyRead(5000)) << "dbus-daemon did not start";
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    logind_ = QDBusConnection::connectToBus(address, "fake-logind");
    ASSERT_TRUE(logind_.registerService("org.freedesktop.login1"));
    ASSERT_TRUE(logind_.registerVirtualObject("/org/freedesktop/login1", &fake_));
    monitorBus_ = QDBusConnection::connectToBus(address, "monitor");
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("monitor");
    QDBusConnection::disconnectFromBus("fake-logind");
    daemon_.kill();
    daemon_.waitForFinished();
  }
  void Announce(bool start) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    ASSERT_TRUE(logind_.send(signal << start));
  }

  QTemporaryDir dir_;
  QProcess daemon_;
  FakeLogind fake_;
  QDBusConnection logind_{QString()};
  QDBusConnection monitorBus_{QString()};
};

}  // namespace

TEST_F(SleepMonitorBusTest, BusSignalsReachListenersWhileTheDelayLockIsHeld) {
  SleepMonitor monitor(monitorBus_);
  std::vector<bool> seen, lockedInHandler;
  QObject::connect(&monitor, &SleepMonitor::SleepChanged, [&](bool sleeping) {
    seen.push_back(sleeping);
    lockedInHandler.push_back(monitor.HoldsDelayLock());
  });
  ASSERT_TRUE(monitor.Start());
  ASSERT_TRUE(RunUntil([&] { return monitor.HoldsDelayLock(); }));
  ASSERT_EQ(fake_.inhibits.size(), 1u);
  EXPECT_EQ(fake_.inhibits[0].value(0).toString(), "sleep");
  EXPECT_EQ(fake_.inhibits[0].value(3).toString(), "delay");
  EXPECT_FALSE(fake_.LastLockReleased());

  // logind may suspend only once the listeners have stopped the devices.
  Announce(true);
  ASSERT_TRUE(RunUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(lockedInHandler, std::vector<bool>{true});
  EXPECT_TRUE(RunUntil([&] { return fake_.LastLockReleased(); }));

  // After the resume the lock is taken again for the next suspend.
  Announce(false);
  ASSERT_TRUE(RunUntil([&] { return monitor.HoldsDelayLock(); }));
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  EXPECT_FALSE(fake_.LastLockReleased());
}
