#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>

#include "platform/DataFolders.h"
#include "platform/DeviceLock.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"
#include "support/TravixctlRun.h"

namespace {

using sim::DeviceKind;

// travixctl while Travix is not running: it opens the simulated devices
// itself, through the device cores and the profile library, and writes the
// same device memory and profile files the window would.
class Standalone : public ::testing::Test {
 protected:
  using Outcome = testing_support::TravixctlOutcome;

  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    for (const char* name : {"HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "TRAVIX_SYSFS_ROOT",
                             "TRAVIX_DEV_ROOT"})
      saved_.emplace_back(name, qgetenv(name));
    for (const char* sub : {"run", "data", "config", "machine"})
      ASSERT_TRUE(QDir(home_.path()).mkpath(sub));
    QFile::setPermissions(home_.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home_.path() + "/run").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    simulator_ = std::make_unique<sim::DeviceSimulator>((home_.path() + "/machine").toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
    // The product's templates and texts, as beside the installed program.
    platform::DataFolders::SetProgramDir(TRAVIX_SOURCE_DIR "/");
  }
  void TearDown() override {
    simulator_.reset();
    platform::DataFolders::SetProgramDir({});
    for (const auto& [name, value] : saved_)
      value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }

  static Outcome Travixctl(const QStringList& arguments) { return testing_support::RunTravixctlHere(arguments); }

  sim::FirmwareModel& Firmware(DeviceKind kind) { return simulator_->Firmware(kind); }
  std::vector<uint8_t> Region(DeviceKind kind, const char* name) {
    return Firmware(kind).Region(name).value_or(std::vector<uint8_t>{});
  }
  // The selected profile of a kind's folder, as the profile list names it.
  QJsonObject Profile(const QString& kindName) {
    const QString folder = home_.path() + "/data/" + platform::DataFolders::kProductName + "/" + kindName + "/";
    QFile listFile(folder + "ProfileList.ini");
    if (!listFile.open(QIODevice::ReadOnly))
      return {};
    const QJsonObject list = QJsonDocument::fromJson(listFile.readAll()).object();
    const int selected = list.value("profileselect").toInt();
    const QString id = list.value("profilelist").toArray().at(selected).toObject().value("profileUUID").toString();
    QFile file(folder + id + ".Json");
    if (!file.open(QIODevice::ReadOnly))
      return {};
    return QJsonDocument::fromJson(file.readAll()).object().value("Device").toArray().at(0).toObject();
  }

  QTemporaryDir home_;
  std::vector<std::pair<const char*, QByteArray>> saved_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
};

using Keyboard = protocol::KeyboardParameters;

}  // namespace

TEST_F(Standalone, ListsEveryKindWithItsConnectionFirmwareAndBattery) {
  for (const char* connection : {"keyboard", "mouse-receiver", "pad", "headset"})
    ASSERT_TRUE(simulator_->Plug(connection));
  const Outcome list = Travixctl({"list", "--json"});
  ASSERT_EQ(list.status, 0) << list.err.toStdString();
  const QJsonArray devices = list.json.value("devices").toArray();
  ASSERT_EQ(devices.size(), 4) << list.out.toStdString();
  QStringList words;
  for (const QJsonValue& device : devices) {
    words << device.toObject().value("device").toString();
    EXPECT_TRUE(device.toObject().value("online").toBool());
    EXPECT_FALSE(device.toObject().value("firmware").toString().isEmpty());
  }
  EXPECT_EQ(words, QStringList({"keyboard", "mouse", "pad", "headset"}));
  const QJsonObject mouse = devices[1].toObject();
  EXPECT_EQ(mouse.value("connection").toString(), "receiver");
  EXPECT_GT(mouse.value("battery").toInt(), 0);
  EXPECT_EQ(devices[0].toObject().value("connection").toString(), "cable");

  // The devices are left closed (the simulator notices a hang-up on its
  // own thread), and the lock free, for Travix.
  for (const char* connection : {"keyboard", "mouse-receiver", "pad", "headset"})
    EXPECT_TRUE(testing_support::RunUntil([&] { return simulator_->OpenCount(connection) == 0; }, 2000))
        << connection;
  platform::DeviceLock lock;
  EXPECT_TRUE(lock.TryLock());
}

// The window's sequence: the profile first, then the device; a second run,
// which reads the device afresh, sees the change.
TEST_F(Standalone, LightingReachesTheKeyboardAndItsProfile) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  const Outcome set = Travixctl({"light", "keyboard", "--mode", "6", "--brightness", "2", "--speed", "1",
                                 "--colour", "00ff80", "--direction", "first", "--json"});
  ASSERT_EQ(set.status, 0) << set.err.toStdString();
  EXPECT_TRUE(set.json.value("written").toBool());
  EXPECT_EQ(set.json.value("mode").toInt(), 6);
  EXPECT_EQ(set.json.value("colour").toString(), "00FF80");
  EXPECT_FALSE(set.json.value("modeName").toString().isEmpty());

  const std::vector<uint8_t> block = Region(DeviceKind::Keyboard, "parameters");
  ASSERT_GE(block.size(), Keyboard::kSize);
  EXPECT_EQ(block[Keyboard::kBrightnessOffset], 2);
  EXPECT_EQ(block[Keyboard::kColourOffset], 0x00);
  EXPECT_EQ(block[Keyboard::kColourOffset + 1], 0xFF);
  EXPECT_EQ(block[Keyboard::kColourOffset + 2], 0x80);
  const QJsonObject light = Profile("keyboard").value("LightInfo").toObject();
  EXPECT_EQ(light.value("Green").toInt(), 255);
  EXPECT_EQ(light.value("Light").toInt(), 2);

  const Outcome shown = Travixctl({"light", "keyboard", "--json"});
  ASSERT_EQ(shown.status, 0) << shown.err.toStdString();
  EXPECT_EQ(shown.json.value("mode").toInt(), 6);
  EXPECT_EQ(shown.json.value("brightness").toInt(), 2);
  EXPECT_EQ(shown.json.value("direction").toString(), "first");
  EXPECT_FALSE(shown.json.contains("written"));

  // A mode by its English name, any letter case.
  const QString name = set.json.value("modeName").toString();
  ASSERT_EQ(Travixctl({"light", "keyboard", "--mode", "1"}).status, 0);
  EXPECT_EQ(Travixctl({"light", "keyboard", "--mode", name.toUpper()}).status, 0);
  EXPECT_EQ(Travixctl({"light", "keyboard", "--json"}).json.value("mode").toInt(), 6);
}

TEST_F(Standalone, ThePadsLightingAndTheMousesStagesReachTheirDevices) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  ASSERT_TRUE(simulator_->Plug("mouse-receiver"));
  const Outcome pad = Travixctl({"light", "pad", "--mode", "2", "--colour", "102030", "--json"});
  ASSERT_EQ(pad.status, 0) << pad.err.toStdString();
  const std::vector<uint8_t> padBlock = Region(DeviceKind::Pad, "parameters");
  ASSERT_GE(padBlock.size(), protocol::PadParameters::kSize);
  EXPECT_EQ(padBlock[protocol::PadParameters::kColourOffset], 0x10);
  EXPECT_EQ(padBlock[protocol::PadParameters::kColourOffset + 2], 0x30);
  EXPECT_EQ(Travixctl({"light", "pad", "--direction", "first"}).status, 3);

  using Mouse = protocol::MouseParameters;
  const Outcome dpi =
      Travixctl({"dpi", "mouse", "--set", "2=1200", "--stage", "2", "--report-rate", "1", "--json"});
  ASSERT_EQ(dpi.status, 0) << dpi.err.toStdString();
  EXPECT_EQ(dpi.json.value("activeStage").toInt(), 2);
  EXPECT_EQ(dpi.json.value("stages").toArray().at(1).toObject().value("dpi").toInt(), 1200);
  const std::vector<uint8_t> block = Region(DeviceKind::Mouse, "parameters");
  ASSERT_GE(block.size(), Mouse::kSize);
  EXPECT_EQ(block[Mouse::kActiveStageOffset], 1);
  EXPECT_EQ(block[Mouse::kReportRateOffset], 1);
  // The screen's size the program wrote last is kept: there is none here.
  const Outcome again = Travixctl({"dpi", "mouse", "--json"});
  EXPECT_EQ(again.json.value("stages").toArray().at(1).toObject().value("dpi").toInt(), 1200);
  EXPECT_EQ(again.json.value("reportRate").toInt(), 1);
  const QJsonObject stages = Profile("mouse").value("DPIStages").toObject();
  EXPECT_EQ(stages.value("StageActive").toInt(), 1);
  EXPECT_EQ(Profile("mouse").value("ReportStages").toObject().value("StageActive").toInt(), 1);

  // The active stage stays on; a stage past five does not exist.
  EXPECT_EQ(Travixctl({"dpi", "mouse", "--disable", "2"}).status, 5);
  EXPECT_EQ(Travixctl({"dpi", "mouse", "--set", "2=999999"}).status, 3);
  EXPECT_EQ(Region(DeviceKind::Mouse, "parameters"), block);
}

TEST_F(Standalone, KeysGetTheirNewFunctionInTheKeyTableAndTheProfile) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(simulator_->Plug("mouse"));
  const std::vector<uint8_t> before = Region(DeviceKind::Keyboard, "key_table");
  const Outcome key = Travixctl({"key", "keyboard", "A", "media:Mute", "--json"});
  ASSERT_EQ(key.status, 0) << key.err.toStdString();
  EXPECT_EQ(key.json.value("function").toString(), "media:Mute");
  EXPECT_EQ(key.json.value("default").toString(), "key:A");
  const std::vector<uint8_t> after = Region(DeviceKind::Keyboard, "key_table");
  // Exactly one slot changed, to the mute function.
  int changed = 0;
  for (size_t slot = 0; slot * 3 + 2 < after.size() && slot * 3 + 2 < before.size(); ++slot) {
    const auto now = protocol::KeyFunction::ReadSlot(after, slot);
    if (now == protocol::KeyFunction::ReadSlot(before, slot))
      continue;
    ++changed;
    EXPECT_EQ(now, (protocol::KeyFunction{0x30, 0xE2, 0x00}));
  }
  EXPECT_EQ(changed, 1);
  // The profile keeps it: one key's assignment is no longer its default.
  int remapped = 0;
  for (const QJsonValue& entry : Profile("keyboard").value("KeyList").toArray())
    remapped += entry.toObject().value("Assignment") != entry.toObject().value("DefaultAssignment") ? 1 : 0;
  EXPECT_EQ(remapped, 1);

  // Back to its factory function in a later run, which reads the table
  // afresh: the key keeps its slot although the table no longer names it.
  ASSERT_EQ(Travixctl({"key", "keyboard", "A", "default"}).status, 0);
  EXPECT_EQ(Region(DeviceKind::Keyboard, "key_table"), before);
  // Two keys swapped, then each given back its own function.
  ASSERT_EQ(Travixctl({"key", "keyboard", "A", "key:B"}).status, 0);
  ASSERT_EQ(Travixctl({"key", "keyboard", "B", "key:A"}).status, 0);
  ASSERT_EQ(Travixctl({"key", "keyboard", "B", "default"}).status, 0);
  ASSERT_EQ(Travixctl({"key", "keyboard", "A", "default"}).status, 0);
  EXPECT_EQ(Region(DeviceKind::Keyboard, "key_table"), before);
  ASSERT_EQ(Travixctl({"key", "keyboard", "A", "media:Mute"}).status, 0);

  // The mouse: a key with a modifier, then the last left click kept.
  const Outcome forward = Travixctl({"key", "mouse", "4", "key:ctrl+C", "--json"});
  ASSERT_EQ(forward.status, 0) << forward.err.toStdString();
  EXPECT_EQ(forward.json.value("function").toString(), "key:ctrl+C");
  const std::vector<uint8_t> mouseKeys = Region(DeviceKind::Mouse, "key_table");
  const Outcome left = Travixctl({"key", "mouse", "Left", "mouse:Back"});
  EXPECT_EQ(left.status, 5);
  EXPECT_TRUE(left.err.contains("only left click")) << left.err.toStdString();
  EXPECT_EQ(Region(DeviceKind::Mouse, "key_table"), mouseKeys);

  // Keys the layer keeps, names nobody knows.
  EXPECT_EQ(Travixctl({"key", "keyboard", "Fn", "key:B"}).status, 5);
  EXPECT_EQ(Travixctl({"key", "keyboard", "NoSuchKey", "key:B"}).status, 5);
  EXPECT_EQ(Travixctl({"key", "keyboard", "A", "launch:rocket"}).status, 3);
  EXPECT_EQ(Travixctl({"key", "keyboard", "A", "key:ctrl+B"}).status, 3);
  EXPECT_EQ(Region(DeviceKind::Keyboard, "key_table"), after);
}

TEST_F(Standalone, ProfilesAreSelectedImportedExportedAndReset) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_EQ(Travixctl({"light", "keyboard", "--colour", "112233"}).status, 0);
  const QString exported = home_.path() + "/exported.Json";
  ASSERT_EQ(Travixctl({"profile", "export", "keyboard", exported}).status, 0);
  // A second profile that differs in its colour.
  QFile file(exported);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QByteArray text = file.readAll();
  file.close();
  QJsonObject document = QJsonDocument::fromJson(text).object();
  QJsonArray devices = document.value("Device").toArray();
  QJsonObject device = devices.at(0).toObject();
  QJsonObject light = device.value("LightInfo").toObject();
  light["Red"] = 0xAA;
  device["LightInfo"] = light;
  devices[0] = device;
  document["Device"] = devices;
  const QString second = home_.path() + "/Evening.Json";
  QFile out(second);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QJsonDocument(document).toJson());
  out.close();

  const Outcome imported = Travixctl({"profile", "import", "keyboard", second, "--json"});
  ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
  EXPECT_EQ(imported.json.value("number").toInt(), 2);
  const QString name = imported.json.value("name").toString();
  ASSERT_EQ(Travixctl({"profile", "select", "keyboard", name}).status, 0);
  EXPECT_EQ(Region(DeviceKind::Keyboard, "parameters")[Keyboard::kColourOffset], 0xAA);
  const Outcome list = Travixctl({"profile", "list", "keyboard", "--json"});
  const QJsonArray profiles = list.json.value("profiles").toArray();
  ASSERT_EQ(profiles.size(), 2);
  EXPECT_FALSE(profiles[0].toObject().value("active").toBool());
  EXPECT_TRUE(profiles[1].toObject().value("active").toBool());
  EXPECT_EQ(Travixctl({"profile", "show", "keyboard", "--json"}).json.value("number").toInt(), 2);

  // The selected profile back to the factory's: the device follows.
  ASSERT_EQ(Travixctl({"profile", "reset", "keyboard"}).status, 0);
  EXPECT_NE(Region(DeviceKind::Keyboard, "parameters")[Keyboard::kColourOffset], 0xAA);
  EXPECT_NE(Profile("keyboard").value("LightInfo").toObject().value("Red").toInt(), 0xAA);
  EXPECT_EQ(Travixctl({"profile", "select", "keyboard", "9"}).status, 5);
  EXPECT_EQ(Travixctl({"profile", "import", "keyboard", home_.path() + "/missing.Json"}).status, 3);
}

// What Travix draws itself needs Travix; nothing changes on the way.
TEST_F(Standalone, HostDrivenLightingNeedsTheProgram) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  ASSERT_TRUE(simulator_->Plug("headset"));
  const std::vector<uint8_t> block = Region(DeviceKind::Keyboard, "parameters");
  for (const QStringList& arguments :
       {QStringList{"light", "keyboard", "--mode", "29"}, QStringList{"light", "keyboard", "--mode", "30"},
        QStringList{"light", "headset", "--mode", "1"}, QStringList{"light", "same-mode", "--from", "keyboard"},
        QStringList{"game-event", "Game_Kill", "1", "255"}, QStringList{"profile", "select", "headset", "1"}}) {
    const Outcome outcome = Travixctl(arguments);
    EXPECT_EQ(outcome.status, 8) << arguments.join(' ').toStdString();
    EXPECT_TRUE(outcome.err.contains("needs Travix running")) << outcome.err.toStdString();
  }
  EXPECT_EQ(Region(DeviceKind::Keyboard, "parameters"), block);
  // The headset's profiles are files: they are listed without the program.
  EXPECT_EQ(Travixctl({"profile", "list", "headset"}).status, 0);
}

TEST_F(Standalone, ADeviceThatDoesNotAnswerIsReportedAndItsProfileKeepsTheValue) {
  ASSERT_TRUE(simulator_->Plug("keyboard"));
  EXPECT_EQ(Travixctl({"light", "mouse"}).status, 4);
  EXPECT_EQ(Travixctl({"light", "keyboard:2"}).status, 4);
  // The device answers the reads, then falls silent before the write.
  const size_t logged = Firmware(DeviceKind::Keyboard).Log().size();
  ASSERT_EQ(Travixctl({"light", "keyboard"}).status, 0);
  const std::vector<sim::LogEntry> log = Firmware(DeviceKind::Keyboard).Log();
  ASSERT_GT(log.size(), logged);
  const auto reads = std::count_if(log.begin() + static_cast<std::ptrdiff_t>(logged), log.end(),
                                   [](const sim::LogEntry& entry) { return entry.toDevice; });
  Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("noanswer-after:" + std::to_string(reads)));
  const Outcome silent = Travixctl({"light", "keyboard", "--brightness", "1"});
  Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("none"));
  EXPECT_EQ(silent.status, 6);
  EXPECT_TRUE(silent.err.contains("did not take the lighting; its profile keeps it")) << silent.err.toStdString();
  EXPECT_EQ(Profile("keyboard").value("LightInfo").toObject().value("Light").toInt(), 1);

  // Silent from the start: nothing is read, nothing written.
  Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("noanswer"));
  const Outcome mute = Travixctl({"--timeout", "2", "light", "keyboard", "--brightness", "3"});
  Firmware(DeviceKind::Keyboard).SetFault(*sim::Fault::Parse("none"));
  EXPECT_EQ(mute.status, 6);
  EXPECT_EQ(mute.err, "travixctl: the keyboard does not answer\n");
  EXPECT_EQ(Profile("keyboard").value("LightInfo").toObject().value("Light").toInt(), 1);
}
