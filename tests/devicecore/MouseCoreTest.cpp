#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <optional>

#include "devicecore/MouseCore.h"
#include "lighting/LightingBytes.h"
#include "macros/MacroFile.h"
#include "macros/MacroList.h"
#include "protocol/Command.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"

using sim::DeviceKind;
using testing_support::RunFor;
using testing_support::RunUntil;

namespace {

using Parameters = protocol::MouseParameters;

class Mouse : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(devices_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
    folder_ = files_.path() + "/";
    QFile::copy(TRAVIX_SOURCE_DIR "/DefaultData/mouse.Json", folder_ + "profile.Json");
    core_ = std::make_unique<MouseCore>();
    core_->SetLedCount(15);
    core_->SetProfileFiles(TRAVIX_SOURCE_DIR "/DefaultData/mouse.Json", folder_ + "profile.Json",
                           folder_ + "light.config");
    core_->LoadLightLists(TRAVIX_SOURCE_DIR "/DefaultData/default_light.json", 1,
                          folder_ + macros::kMacroListFile);
  }
  void TearDown() override {
    core_.reset();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  // Plugs `connection`, opens it and reads the first contact.
  void Connect(const std::string& connection = "mouse") {
    static const std::map<std::string, std::string> kMarkers = {
        {"mouse", "?vid_320f&pid_50ef&mi_01&col04"},
        {"mouse-receiver", "?vid_320f&pid_221d&mi_01&col04"},
    };
    ASSERT_TRUE(simulator_->Plug(connection));
    const std::string path = simulator_->DevRoot() + "/" + *simulator_->NodeOf(connection) +
                             kMarkers.at(connection);
    std::optional<bool> opened;
    core_->OpenCommand(path, connection != "mouse", true, [&](bool ok) { opened = ok; });
    ASSERT_TRUE(RunUntil([&] { return opened.has_value(); }));
    ASSERT_TRUE(*opened) << connection;
    std::optional<bool> read;
    core_->ReadFirstContact([&](bool complete) { read = complete; });
    ASSERT_TRUE(RunUntil([&] { return read.has_value(); }));
    ASSERT_TRUE(*read) << "the first contact did not read everything";
  }
  void Settle() { ASSERT_TRUE(RunUntil([&] { return core_->IsIdle(); })); }
  sim::FirmwareModel& Firmware() { return simulator_->Firmware(DeviceKind::Mouse); }
  std::vector<uint8_t> Region(const char* name) { return *Firmware().Region(name); }
  Parameters::Bytes SlotBlock(int slot) {
    const auto memory = Region("parameters");
    Parameters::Bytes block{};
    std::copy_n(memory.begin() + slot * Parameters::kStride, block.size(), block.begin());
    return block;
  }
  int Writes(protocol::Command command) {
    int count = 0;
    for (const auto& entry : Firmware().Log())
      count += entry.toDevice && entry.report[3] == static_cast<uint8_t>(command) ? 1 : 0;
    return count;
  }

  QTemporaryDir devices_;
  QTemporaryDir files_;
  QString folder_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<MouseCore> core_;
};

}  // namespace

// The first contact finds each button's slot by its factory function and
// takes the active slot's lighting and stage; the block written back carries
// the profile's stages, the report rate, the screen and the correction.
TEST_F(Mouse, FirstContactMapsTheButtonsAndTheBlockCarriesTheProfile) {
  Connect();
  for (int button = 0; button < MouseCore::kButtons; ++button)
    EXPECT_EQ(core_->ButtonSlot(button), button) << "button " << button;
  EXPECT_TRUE(core_->Sensor().Valid());
  EXPECT_EQ(core_->Sensor().dpiStep, 50);
  EXPECT_EQ(core_->KeyList().size(), 11u);

  // Three stages: the other two are zeros.
  std::vector<DpiStage> stages = core_->Stages();
  stages.resize(3);
  core_->Stage(0);
  auto& kept = const_cast<std::vector<DpiStage>&>(core_->Stages());
  kept = stages;
  core_->SetActiveStage(2);
  core_->SetReportRate(4);
  mouse::BlockFrame frame;
  frame.mark = 1;
  frame.screenWidth = 2560;
  frame.screenHeight = 1440;
  std::optional<int> written;
  core_->WriteParameterBlock(0, frame, [&](int result) { written = result; });
  ASSERT_TRUE(RunUntil([&] { return written.has_value(); }));
  ASSERT_EQ(*written, 1);
  const Parameters::Bytes block = SlotBlock(0);
  EXPECT_EQ(block[Parameters::kReportRateOffset], 4);
  EXPECT_EQ(block[Parameters::kActiveStageOffset], 2);
  EXPECT_EQ(block[Parameters::kStagesOffset + 2], stages[0].StageDPIX & 0xFF);
  for (size_t i = 41; i <= 58; ++i)
    EXPECT_EQ(block[i], 0) << "byte " << i;
  EXPECT_EQ(block[Parameters::kMarkOffset], 1);
  EXPECT_EQ(block[60] | block[61] << 8, 2560);
  EXPECT_EQ(block[62] | block[63] << 8, 1440);
  // The template's correction presets: none selected.
  EXPECT_EQ(block[64], 0);
  EXPECT_EQ(block[65], 0);
}

// Slot and stage events: 0x1123 is slot 3, stage 2; a stage beyond the
// five changes only the slot; nothing happens while the link is closed.
TEST_F(Mouse, SlotAndStageEventsStayInRange) {
  Connect();
  int views = 0;
  core_->SetListener({[&] { ++views; }, {}});
  core_->HandleEvent(0x1123);
  ASSERT_TRUE(RunUntil([&] { return views == 1; }));
  EXPECT_EQ(core_->ActiveSlot(), 3);
  EXPECT_EQ(core_->ActiveStage(), 2);
  core_->HandleEvent(0x11F1);
  ASSERT_TRUE(RunUntil([&] { return views == 2; }));
  EXPECT_EQ(core_->ActiveSlot(), 1);
  EXPECT_EQ(core_->ActiveStage(), 2);
  core_->HandleEvent(0x1004);
  ASSERT_TRUE(RunUntil([&] { return views == 3; }));
  EXPECT_EQ(core_->ActiveSlot(), 4);
  EXPECT_EQ(core_->ActiveStage(), 2);
}

// A resync event reads the block again, once for a burst.
TEST_F(Mouse, AResyncEventReadsTheBlockAgain) {
  Connect();
  int views = 0;
  core_->SetListener({[&] { ++views; }, {}});
  auto readsOf = [&](int events) {
    const int before = Writes(protocol::Command::ReadParameters);
    const int viewsBefore = views;
    for (int i = 0; i < events; ++i)
      core_->HandleEvent(i % 2 == 0 ? MouseCore::kEventResync : MouseCore::kEventChanged);
    EXPECT_TRUE(RunUntil([&] { return views > viewsBefore; }));
    Settle();
    RunFor(80);
    return Writes(protocol::Command::ReadParameters) - before;
  };
  const int one = readsOf(1);
  EXPECT_GT(one, 0);
  EXPECT_EQ(readsOf(3), one) << "a burst of events reads the block once";
}

// A macro on a button goes out as macro 0 of the image; a button's own
// function lands in its slot.
TEST_F(Mouse, ButtonsAreWrittenToTheirSlotsWithMacrosRenumbered) {
  Connect();
  const std::string guid = "2026_01_01_00_00_00_001";
  ASSERT_EQ(macros::WriteMacroList(folder_ + macros::kMacroListFile,
                                   {{"a", "2026_01_01_00_00_00_000"}, {"b", guid}}),
            0);
  ASSERT_EQ(macros::WriteMacroFile(macros::MacroFilePath(folder_, guid),
                                   {"b", guid, {{10, true, 4, 20}, {10, false, 4, 0}}}),
            0);
  core_->ReloadMacroNames(folder_ + macros::kMacroListFile);
  std::vector<KeyListEntry> keys = core_->KeyList();
  keys[3].Normal.Type = 0x70;
  keys[3].Normal.Code1 = 1;
  keys[3].Normal.Code2 = 0;
  keys[4].Normal.Type = 0x20;
  keys[4].Normal.Code1 = 0x04;
  keys[4].Normal.Code2 = 0x04;
  core_->SetKeyList(keys);
  const std::vector<int> used = core_->CollectUsedMacros();
  EXPECT_EQ(used, std::vector<int>{1});
  EXPECT_EQ(core_->DownloadMacros(used, folder_), 0);
  std::optional<int> written;
  core_->WriteKeyTables(0, core_->KeyList(), [&](int result) { written = result; });
  ASSERT_TRUE(RunUntil([&] { return written.has_value(); }));
  ASSERT_EQ(*written, 1);
  const auto table = Region("key_table");
  EXPECT_EQ((std::vector<uint8_t>(table.begin() + 9, table.begin() + 15)),
            (std::vector<uint8_t>{0x70, 0x00, 0x00, 0x20, 0x04, 0x04}));
  const auto memory = Region("macro_memory");
  EXPECT_EQ(memory[0], 0xAA);
  EXPECT_EQ(memory[1], 0x55);
}

// A mouse behind its receiver that is switched off is not written, and
// nothing is reported as written.
TEST_F(Mouse, ASwitchedOffWirelessMouseIsNotWritten) {
  Connect("mouse-receiver");
  Firmware().SetWirelessOn(false);
  const int writes = Writes(protocol::Command::WriteParameters);
  std::optional<int> written;
  core_->WriteParameterBlock(0, {}, [&](int result) { written = result; });
  ASSERT_TRUE(RunUntil([&] { return written.has_value(); }));
  EXPECT_EQ(*written, 0);
  EXPECT_EQ(Writes(protocol::Command::WriteParameters), writes);
}

// The light thread's pass paints the lights in the profile's colour.
TEST_F(Mouse, ALightPassPaintsTheLights) {
  Connect();
  LightInfo info = FromLightWords(core_->GetLightWords());
  info.SelectItem = 3;  // static
  info.Light = 4;
  info.Red = 0xFF;
  info.Green = 0;
  info.Blue = 0;
  core_->SetLightInfo(ToLightWords(info));
  for (int i = 0; i < 40; ++i)
    core_->LightPass();
  EXPECT_NE(core_->GetLedColour(0) & 0xFFFFFF, 0u) << "the lights stay dark";
}
