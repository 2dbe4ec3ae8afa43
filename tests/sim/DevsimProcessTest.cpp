#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "hid/DeviceChannel.h"
#include "hid/HidDevice.h"

// The simulator daemon as scripts use it: serve, then commands.
namespace {

const QString kDevsim = TRAVIX_BIN_DIR "/travix-devsim";

class Devsim : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.start(kDevsim, {"serve", "--root", root_.path()});
    ASSERT_TRUE(server_.waitForStarted(5000));
    ASSERT_TRUE(server_.waitForReadyRead(5000)) << "the daemon announces itself when it serves";
  }
  void TearDown() override {
    if (server_.state() != QProcess::NotRunning) {
      server_.kill();
      server_.waitForFinished(3000);
    }
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  // Runs one command; returns {exit code, stdout}.
  std::pair<int, QString> Run(const QStringList& args) {
    QProcess client;
    client.start(kDevsim, args);
    EXPECT_TRUE(client.waitForFinished(5000));
    return {client.exitCode(), QString::fromUtf8(client.readAllStandardOutput())};
  }

  QTemporaryDir root_;
  QProcess server_;
};

}  // namespace

TEST_F(Devsim, PlugListStateAndCleanUp) {
  EXPECT_EQ(Run({"--root", root_.path(), "plug", "keyboard"}).first, 0);
  EXPECT_EQ(Run({"plug", "headset", "--root", root_.path()}).first, 0) << "--root after the command";
  EXPECT_EQ(Run({"--root", root_.path(), "plug", "keyboard"}).first, 1) << "already plugged";
  EXPECT_EQ(Run({"--root", root_.path(), "list"}).second, "keyboard hidraw0\nheadset hidraw1\n");
  EXPECT_EQ(Run({"--root", root_.path(), "poke", "keyboard", "parameters", "0", "03"}).first, 0);
  const QString state = Run({"--root", root_.path(), "state", "keyboard"}).second;
  EXPECT_TRUE(state.contains("\"active_profile\": 3")) << state.toStdString();
  EXPECT_EQ(Run({"--root", root_.path(), "fault", "keyboard", "explode"}).first, 1);
  EXPECT_EQ(Run({"--root", root_.path(), "event", "pad", "0401"}).first, 1) << "no pad plugged";
  EXPECT_EQ(Run({"--root", root_.path()}).first, 2);

  // The program's own HID layer finds what the daemon serves.
  qputenv("TRAVIX_SYSFS_ROOT", (root_.path() + "/sys").toUtf8());
  qputenv("TRAVIX_DEV_ROOT", (root_.path() + "/dev").toUtf8());
  hid::HidDevice probe;
  probe.EnumerateInterfaces();
  EXPECT_EQ(probe.PathCount, 5u);
  hid::HidDevice device;
  EXPECT_TRUE(device.Open(probe.PathList[3], true, true, true, false));

  // The command link against the daemon: a parameter block and the
  // information block.
  hid::DeviceChannel channel;
  ASSERT_TRUE(channel.Wired.Open(probe.PathList[3], true, true, true, false));
  channel.SetMode(1);
  channel.IsOpen = true;
  const std::vector<uint8_t> block = {0x02, 0x10, 0x20, 0x30};
  EXPECT_EQ(channel.WriteParameters(block, 40), hid::kResultSuccess);
  std::array<uint8_t, 34> info{};
  EXPECT_EQ(channel.ReadDeviceInfo(info), hid::kResultSuccess);
  EXPECT_EQ(info[5], 126) << "the keyboard's key slots";
  const QString after = Run({"--root", root_.path(), "state", "keyboard"}).second;
  const qsizetype start = after.indexOf("\"parameters\": \"");
  ASSERT_GE(start, 0);
  EXPECT_EQ(after.mid(start + 15 + 80, 8), "02102030") << "written at 40, read back by the daemon";
  EXPECT_FALSE(Run({"--root", root_.path(), "log", "keyboard"}).second.isEmpty());

  ::kill(static_cast<pid_t>(server_.processId()), SIGTERM);
  ASSERT_TRUE(server_.waitForFinished(5000));
  EXPECT_EQ(server_.exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(root_.path() + "/sys"));
  EXPECT_FALSE(QFileInfo::exists(root_.path() + "/dev"));
  EXPECT_FALSE(QFileInfo::exists(root_.path() + "/devsim.sock"));
  EXPECT_EQ(Run({"--root", root_.path(), "list"}).first, 1) << "nobody serves any more";
}

TEST_F(Devsim, PowerSetsTheStatusBytes) {
  const QString root = root_.path();
  auto power = [&] {
    const QString state = Run({"--root", root, "state", "pad"}).second;
    const qsizetype at = state.indexOf("\"power\": \"");
    return at < 0 ? QString() : state.mid(at + 10, 12);
  };
  EXPECT_EQ(Run({"--root", root, "power", "pad", "40", "2", "0", "1", "0", "3"}).first, 0);
  EXPECT_EQ(power(), "280200010003");
  EXPECT_EQ(Run({"--root", root, "power", "pad", "90", "0"}).first, 0);
  EXPECT_EQ(power(), "5a0000010003") << "bytes 2..5 kept";
  EXPECT_EQ(Run({"--root", root, "power", "pad", "90", "0", "1"}).first, 1);
  EXPECT_EQ(Run({"--root", root, "power", "pad", "90", "0", "0", "1", "0", "256"}).first, 1);
  EXPECT_EQ(power(), "5a0000010003");
}

TEST_F(Devsim, ResetMemoryBringsBackTheFactoryParameters) {
  const QString root = root_.path();
  auto parameters = [&] {
    const QString state = Run({"--root", root, "state", "mouse"}).second;
    const qsizetype at = state.indexOf("\"parameters\": \"");
    return at < 0 ? QString() : state.mid(at + 15, 160);
  };
  const QString factory = parameters();
  ASSERT_FALSE(factory.isEmpty());
  EXPECT_EQ(Run({"--root", root, "poke", "mouse", "parameters", "0", "02ff00ff"}).first, 0);
  EXPECT_NE(parameters(), factory);
  EXPECT_EQ(Run({"--root", root, "reset-memory", "mouse"}).first, 0);
  EXPECT_EQ(parameters(), factory);
  EXPECT_EQ(Run({"--root", root, "reset-memory", "toaster"}).first, 1);
  EXPECT_EQ(Run({"--root", root, "reset-memory"}).first, 1) << "a device is needed";
}
