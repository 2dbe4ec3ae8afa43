#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "devicecore/PadCore.h"
#include "lighting/LightPanelLayout.h"
#include "sim/DeviceSimulator.h"
#include "support/EventLoopHelpers.h"

using testing_support::RunUntil;

namespace {

using Parameters = protocol::PadParameters;

class Pad : public ::testing::Test {
 protected:
  void SetUp() override {
    simulator_ = std::make_unique<sim::DeviceSimulator>(devices_.path().toStdString());
    qputenv("TRAVIX_SYSFS_ROOT", simulator_->SysRoot().c_str());
    qputenv("TRAVIX_DEV_ROOT", simulator_->DevRoot().c_str());
    const QString folder = files_.path() + "/";
    QFile::copy(TRAVIX_SOURCE_DIR "/DefaultData/MousePad.Json", folder + "profile.Json");
    core_ = std::make_unique<PadCore>(lighting::kKindMousePad);
    core_->SetLedCount(15);
    core_->SetProfileFiles(TRAVIX_SOURCE_DIR "/DefaultData/MousePad.Json", folder + "profile.Json",
                           folder + "light.config");
    core_->LoadLightLists(TRAVIX_SOURCE_DIR "/DefaultData/default_light.json", 2);
  }
  void TearDown() override {
    core_.reset();
    simulator_.reset();
    qunsetenv("TRAVIX_SYSFS_ROOT");
    qunsetenv("TRAVIX_DEV_ROOT");
  }
  void Connect() {
    ASSERT_TRUE(simulator_->Plug("pad"));
    const std::string path = simulator_->DevRoot() + "/" + *simulator_->NodeOf("pad") +
                             "?vid_320f&pid_1004&mi_01&col04";
    std::optional<bool> opened;
    core_->OpenCommand(path, false, true, [&](bool ok) { opened = ok; });
    ASSERT_TRUE(RunUntil([&] { return opened.has_value(); }));
    ASSERT_TRUE(*opened);
  }
  sim::FirmwareModel& Firmware() { return simulator_->Firmware(sim::DeviceKind::Pad); }
  std::vector<uint8_t> SlotBytes(int slot) {
    const auto memory = *Firmware().Region("parameters");
    return {memory.begin() + slot * Parameters::kStride,
            memory.begin() + slot * Parameters::kStride + Parameters::kSize};
  }
  int Write(int slot) {
    std::optional<int> written;
    core_->WriteParameterBlock(slot, [&](int result) { written = result; });
    EXPECT_TRUE(RunUntil([&] { return written.has_value(); }));
    return written.value_or(-1);
  }

  QTemporaryDir devices_, files_;
  std::unique_ptr<sim::DeviceSimulator> simulator_;
  std::unique_ptr<PadCore> core_;
};

}  // namespace

// The block of the active slot is read where it is written (slot × 64); the
// pad's own bytes go back as read, and two writes send the same bytes.
TEST_F(Pad, TheActiveSlotsBlockIsReadAndWrittenAtTheSamePlace) {
  Connect();
  const uint8_t slot = 2;
  ASSERT_TRUE(Firmware().Poke("parameters", protocol::kActiveProfileAddress, std::span(&slot, 1)));
  const std::vector<uint8_t> own = {0x5A, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  ASSERT_TRUE(Firmware().Poke("parameters", 2 * Parameters::kStride + 4, std::span(own.data(), 1)));
  ASSERT_TRUE(Firmware().Poke("parameters", 2 * Parameters::kStride + 9, std::span(own.data() + 1, 12)));
  std::optional<bool> read;
  core_->ReadFirstContact([&](bool ok) { read = ok; });
  ASSERT_TRUE(RunUntil([&] { return read.has_value(); }));
  ASSERT_TRUE(*read);
  EXPECT_EQ(core_->ActiveSlot(), 2);
  EXPECT_EQ(core_->LastBlock()[4], 0x5A);

  ASSERT_EQ(Write(2), 1);
  const std::vector<uint8_t> first = SlotBytes(2);
  ASSERT_EQ(Write(2), 1);
  EXPECT_EQ(SlotBytes(2), first) << "a second write translated the mode again";
  EXPECT_EQ(first[4], 0x5A);
  EXPECT_EQ((std::vector<uint8_t>(first.begin() + 9, first.end())),
            (std::vector<uint8_t>(own.begin() + 1, own.end())));
}

// A closed channel writes nothing and says so.
TEST_F(Pad, NothingWrittenIsNotReportedAsWritten) {
  EXPECT_EQ(Write(0), 0);
}

// A device read before that comes back with other lighting than the current
// settings lost its memory: the check and a later first contact say so and
// keep the settings; bytes only the device owns never count as a loss.
TEST_F(Pad, AnotherBlockOnAReadAfterTheFirstIsALossAndKeepsTheSettings) {
  Connect();
  int lost = 0;
  core_->SetSettingsLostHandler([&] { ++lost; });
  auto check = [&] {
    std::optional<DeviceCore::Stored> verdict;
    core_->CheckStoredSettings([&](DeviceCore::Stored v) { verdict = v; });
    EXPECT_TRUE(RunUntil([&] { return verdict.has_value() && core_->IsIdle(); }));
    // The lost handler runs queued, after the completion.
    testing_support::RunFor(20);
    return verdict.value_or(DeviceCore::Stored::Unread);
  };
  auto firstContact = [&] {
    std::optional<bool> read;
    core_->ReadFirstContact([&](bool ok) { read = ok; });
    EXPECT_TRUE(RunUntil([&] { return read.has_value() && core_->IsIdle(); }));
    testing_support::RunFor(20);
  };
  // The first read of the run takes the device's block as it is.
  const uint8_t dim = 1;
  ASSERT_TRUE(Firmware().Poke("parameters", protocol::BlockLighting::kBrightnessOffset,
                              std::span(&dim, 1)));
  EXPECT_FALSE(core_->ReadBefore());
  firstContact();
  EXPECT_TRUE(core_->ReadBefore());
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(FromLightWords(core_->GetLightWords()).Light, 1);

  EXPECT_EQ(check(), DeviceCore::Stored::Kept);
  // The pad's own bytes changed on the device: still what the settings make.
  const uint8_t own = 0x77;
  ASSERT_TRUE(Firmware().Poke("parameters", 12, std::span(&own, 1)));
  EXPECT_EQ(check(), DeviceCore::Stored::Kept);
  EXPECT_EQ(lost, 0);

  // The memory goes: the check finds it, the settings stay the program's.
  Firmware().ResetMemory();
  EXPECT_EQ(check(), DeviceCore::Stored::Lost);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(FromLightWords(core_->GetLightWords()).Light, 1) << "not the factory's 4";
  ASSERT_EQ(Write(0), 1);
  EXPECT_EQ(SlotBytes(0)[protocol::BlockLighting::kBrightnessOffset], 1);
  EXPECT_EQ(check(), DeviceCore::Stored::Kept);

  // Lost again while away: the next first contact finds it too. Its profile
  // holds the factory template's lighting, which is what it keeps.
  Firmware().ResetMemory();
  const uint8_t other = 2;
  ASSERT_TRUE(Firmware().Poke("parameters", protocol::BlockLighting::kBrightnessOffset,
                              std::span(&other, 1)));
  const int before = lost;
  firstContact();
  EXPECT_EQ(lost, before + 1);
  EXPECT_NE(FromLightWords(core_->GetLightWords()).Light, 2) << "the device's block is not taken";

  // A device that cannot be read is no verdict.
  Firmware().SetFault(*sim::Fault::Parse("noanswer"));
  EXPECT_EQ(check(), DeviceCore::Stored::Unread);
  EXPECT_EQ(lost, before + 1);
}
