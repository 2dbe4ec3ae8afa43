#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "devicecore/HeadsetCore.h"
#include "lighting/HeadsetReports.h"
#include "profiles/JsonFile.h"
#include "protocol/Command.h"
#include "protocol/HeadsetLightReport.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"

using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

using Parameters = protocol::PadParameters;
using Report = protocol::HeadsetLightReport;

class Headset : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(devices_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
    profile_ = files_.path() + "/profile.Json";
    QFile::copy(TRAVIX_SOURCE_DIR "/DefaultData/HD.Json", profile_);
    QFile::setPermissions(profile_, QFile::ReadOwner | QFile::WriteOwner);
    core_ = std::make_unique<HeadsetCore>();
    core_->SetLedCount(13);
    core_->SetProfileFiles(TRAVIX_SOURCE_DIR "/DefaultData/HD.Json", profile_,
                           files_.path() + "/light.config");
    core_->LoadLightLists(TRAVIX_SOURCE_DIR "/DefaultData/default_light.json", 3);
  }
  void TearDown() override {
    core_.reset();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  void Connect() {
    ASSERT_TRUE(simulator_->Plug("headset"));
    const std::string path = simulator_->DevRoot() + "/" + *simulator_->NodeOf("headset") +
                             "?vid_0c76&pid_1630&mi_03";
    std::optional<bool> opened;
    core_->OpenCommand(path, false, false, [&](bool ok) { opened = ok; });
    ASSERT_TRUE(RunUntil([&] { return opened.has_value(); }));
    ASSERT_TRUE(*opened);
  }
  // Connects and reads the headset as its page does first; the light
  // thread then runs.
  void FirstContact() {
    Connect();
    std::optional<bool> read;
    core_->ReadFirstContact([&](bool ok) { read = ok; });
    ASSERT_TRUE(RunUntil([&] { return read.has_value(); }));
    ASSERT_TRUE(*read);
  }
  sim::FirmwareModel& Firmware() { return simulator_->Firmware(sim::DeviceKind::Headset); }
  // The light reports the headset received, with their arrival times.
  std::vector<sim::LogEntry> LightReports() {
    std::vector<sim::LogEntry> reports;
    for (const sim::LogEntry& entry : Firmware().Log())
      if (entry.toDevice && entry.report[Report::kReportIdOffset] == Report::kReportId)
        reports.push_back(entry);
    return reports;
  }
  int CommandCount(protocol::Command command) {
    int count = 0;
    for (const sim::LogEntry& entry : Firmware().Log())
      count += entry.toDevice && entry.report[0] == protocol::DeviceCommand::kReportId &&
                       entry.report[protocol::DeviceCommand::kCommandOffset] ==
                           static_cast<uint8_t>(command)
                   ? 1
                   : 0;
    return count;
  }
  void EditProfile(const std::function<void(Json::Value&)>& edit) {
    JsonFile file;
    Json::Value document = file.ReadJson(profile_);
    edit(document["Device"][0]);
    ASSERT_EQ(file.WriteJson(profile_, document), 0);
  }

  QTemporaryDir devices_, files_;
  QString profile_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<HeadsetCore> core_;
};

}  // namespace

// The headset's first contact reads its block (no information block) before
// anything is written, so its own bytes go back as the headset had them.
TEST_F(Headset, TheFirstContactReadsTheBlockBeforeAnyWrite) {
  const uint8_t slot = 1;
  ASSERT_TRUE(Firmware().Poke("parameters", protocol::kActiveProfileAddress, std::span(&slot, 1)));
  FirstContact();
  EXPECT_EQ(core_->ActiveSlot(), 1);
  EXPECT_EQ(CommandCount(protocol::Command::ReadDeviceInfo), 0);
  const auto before = *Firmware().Region("parameters");
  ASSERT_NE(before[Parameters::kStride + Parameters::kDirectionOffset], 0) << "the simulator's own byte";

  std::optional<int> written;
  core_->WriteParameterBlock(1, [&](int result) { written = result; });
  ASSERT_TRUE(RunUntil([&] { return written.has_value(); }));
  EXPECT_EQ(*written, 1);
  const auto after = *Firmware().Region("parameters");
  EXPECT_EQ(after[Parameters::kStride + Parameters::kDirectionOffset],
            before[Parameters::kStride + Parameters::kDirectionOffset]);
  for (size_t i = Parameters::kLightingEnd; i < Parameters::kSize; ++i)
    EXPECT_EQ(after[Parameters::kStride + i], before[Parameters::kStride + i]) << "byte " << i;
}

// The profile's audio state is read with its lighting: the custom curve of
// the selected slot for the custom equaliser, preset 1 for type 0.
TEST_F(Headset, TheProfileGivesTheAudioStateAndTheEqualiserItSelects) {
  EditProfile([](Json::Value& section) {
    section["SystemSetStages"]["EqType"] = 13;
    section["SystemSetStages"]["CustomEqSeletIndex"] = 2;
    section["CustomEQNameInfo"] = Json::arrayValue;
    for (const char* name : {"Cave", "Hall", "Night"})
      section["CustomEQNameInfo"].append(Json::Value(Json::objectValue))["Name"] = name;
    for (int slot = 0; slot < 3; ++slot) {
      Json::Value bands(Json::arrayValue);
      for (int band = 0; band < 10; ++band)
        bands.append(Json::Value(Json::objectValue))["value"] = slot * 10 + band;
      section["CustomEQHzValueInfo"][slot] = bands;
    }
  });
  core_->LoadProfileState();
  EXPECT_EQ(core_->State().EqType, 13);
  EXPECT_EQ(core_->State().CustomEqSelectIndex, 2);
  EXPECT_EQ(core_->CustomEqNames(), (QStringList{"Cave", "Hall", "Night"}));
  EXPECT_EQ(core_->EqValues(), (std::vector<int>{20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));

  EditProfile([](Json::Value& section) { section["SystemSetStages"]["EqType"] = 0; });
  core_->LoadProfileState();
  EXPECT_EQ(core_->EqValues(), core_->HeadsetProfile().GetEqValues(1));
  EXPECT_NE(core_->EqValues(), std::vector<int>(10, 0)) << "preset 1 is not flat";
}

// The light thread sends the frame itself: twelve reports in their order,
// values capped, about twenty frames a second, not one per pass.
TEST_F(Headset, TheLightThreadStreamsFramesOfTwelveReports) {
  FirstContact();
  ASSERT_TRUE(RunUntil([&] { return LightReports().size() >= 12u * 12u; }, 5000));
  const auto reports = LightReports();
  const uint8_t order[12][2] = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
  const size_t frames = reports.size() / 12;
  for (size_t i = 0; i < frames * 12; ++i) {
    const auto& report = reports[i].report;
    EXPECT_EQ(report[Report::kSideOffset], order[i % 12][0]) << "report " << i;
    EXPECT_EQ(report[Report::kBlockOffset], order[i % 12][1]) << "report " << i;
    for (size_t v = 0; v < Report::kValues; ++v)
      EXPECT_LE(report[Report::kValuesOffset + v], lighting::kHeadsetMaxValue);
    for (size_t z = Report::kValuesOffset + Report::kValues; z < Report::kSize; ++z)
      EXPECT_EQ(report[z], 0);
  }
  // The frames keep a 50 ms rhythm on average: never once per pass of the
  // thread (64 a second).
  const int64_t span = reports[(frames - 1) * 12].milliseconds - reports[0].milliseconds;
  const double interval = static_cast<double>(span) / static_cast<double>(frames - 1);
  EXPECT_GE(interval, 40.0);
  EXPECT_LE(interval, 400.0);
}

// Without the program's light control, and with the channel closed, nothing
// is sent; following the same mode streams on.
TEST_F(Headset, FramesFlowOnlyUnderLightControlAndWhileTheChannelIsOpen) {
  core_->SetLightControlEnabled(false);
  FirstContact();
  RunFor(300);
  EXPECT_TRUE(LightReports().empty());

  core_->Commands.LightFollower = true;
  core_->SetLightControlEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return core_->FramesSent() >= 3; }));

  std::optional<bool> closed;
  core_->CloseCommand([&] { closed = true; });
  ASSERT_TRUE(RunUntil([&] { return closed.has_value(); }));
  // A report written just before the close may still be on its way.
  RunFor(150);
  const size_t sent = LightReports().size();
  RunFor(300);
  EXPECT_EQ(LightReports().size(), sent);
}

// A report is dropped while a configuration exchange holds the channel,
// rather than waiting behind it; the stream goes on afterwards.
TEST_F(Headset, ReportsAreDroppedWhileAnExchangeRuns) {
  FirstContact();
  ASSERT_TRUE(RunUntil([&] { return core_->FramesSent() >= 2; }));
  Firmware().SetFault(*sim::Fault::Parse("delay:400"));
  std::optional<int> written;
  core_->WriteParameterBlock(0, [&](int result) { written = result; });
  ASSERT_TRUE(RunUntil([&] { return written.has_value(); }));
  EXPECT_GT(core_->ReportsDropped(), 0u);
  Firmware().SetFault(*sim::Fault::Parse("none"));
  const uint32_t frames = core_->FramesSent();
  EXPECT_TRUE(RunUntil([&] { return core_->FramesSent() >= frames + 3; }));
}

// Unplugged while streaming: the thread sees the channel go and stops
// within its limit, with no report left waiting.
TEST_F(Headset, UnplugDuringAnimationStopsTheThreadCleanly) {
  FirstContact();
  ASSERT_TRUE(RunUntil([&] { return core_->FramesSent() >= 2; }));
  ASSERT_TRUE(simulator_->Unplug("headset"));
  RunFor(100);
  std::optional<bool> closed;
  core_->CloseCommand([&] { closed = true; });
  ASSERT_TRUE(RunUntil([&] { return closed.has_value(); }));
  EXPECT_EQ(core_->LightThread().Stop(), DeviceThread::StopResult::Ended);
}

// The headset reads its power status whenever the channel is open, without
// asking for a wireless link; byte 3 (receiver mode) is 0.
TEST_F(Headset, PowerStatusIsReadWithoutALinkQuery) {
  Connect();
  protocol::PowerStatus::Bytes status{};
  status[protocol::PowerStatus::kChargeOffset] = 77;
  status[protocol::PowerStatus::kChargingStateOffset] = 1;
  Firmware().SetPowerStatus(status);
  std::optional<std::optional<DeviceCore::PowerBytes>> read;
  core_->PollPowerStatus([&](std::optional<DeviceCore::PowerBytes> bytes) { read = bytes; });
  ASSERT_TRUE(RunUntil([&] { return read.has_value(); }));
  ASSERT_TRUE(read->has_value());
  EXPECT_EQ((**read)[protocol::PowerStatus::kChargeOffset], 77);
  EXPECT_EQ((**read)[protocol::PowerStatus::kWirelessOffset], 0);
  EXPECT_EQ(CommandCount(protocol::Command::QueryWirelessLink), 0);
}
