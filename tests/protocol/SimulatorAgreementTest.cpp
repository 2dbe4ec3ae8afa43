// The simulator's memories, read with the program's requests and decoded
// with the program's types, say what the program expects of the devices.

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "keys/KeyTables.h"
#include "lighting/LightingBytes.h"
#include "protocol/Command.h"
#include "protocol/DeviceCommand.h"
#include "protocol/DeviceInfo.h"
#include "protocol/KeyFunction.h"
#include "protocol/ParameterBlocks.h"
#include "protocol/Rgb.h"
#include "sim/FirmwareModel.h"

using namespace protocol;
using sim::DeviceKind;
using sim::FirmwareModel;

namespace {

// Reads `size` bytes from `position` on as the channel does: requests of at
// most a report's data each, every answer checked.
std::vector<uint8_t> Read(FirmwareModel& model, Command command, size_t size,
                          uint16_t position = 0) {
  std::vector<uint8_t> bytes;
  while (bytes.size() < size) {
    const size_t n = std::min(DeviceCommand::kMaxData, size - bytes.size());
    DeviceCommand request(command);
    request.SetLength(static_cast<uint8_t>(n));
    request.SetPosition(static_cast<uint16_t>(position + bytes.size()));
    request.Seal();
    const auto answers = model.HandleRequest(request.bytes, false);
    if (answers.size() != 1) {
      ADD_FAILURE() << answers.size() << " answers to command " << int(ToByte(command));
      return bytes;
    }
    const sim::Report& answer = answers.front();
    EXPECT_EQ(answer[DeviceCommand::kAnswerCommandOffset], ToByte(command));
    EXPECT_EQ(answer[DeviceCommand::kAnswerStatusOffset], kStatusOk);
    bytes.insert(bytes.end(), answer.begin() + DeviceCommand::kDataOffset,
                 answer.begin() + static_cast<long>(DeviceCommand::kDataOffset + n));
  }
  return bytes;
}

DeviceInfo ReadInfo(FirmwareModel& model) {
  const std::vector<uint8_t> bytes = Read(model, Command::ReadDeviceInfo, DeviceInfo::kSize);
  return DeviceInfo::Decode(std::span<const uint8_t, DeviceInfo::kSize>(bytes.data(), bytes.size()));
}

template <typename Block>
void ExpectFactoryLighting(DeviceKind kind, uint8_t mode) {
  FirmwareModel model(kind);
  for (size_t slot = 0; slot < kProfileSlots; ++slot) {
    SCOPED_TRACE(testing::Message() << "slot " << slot);
    const std::vector<uint8_t> block =
        Read(model, Command::ReadParameters, Block::kSize, SlotAddress<Block>(slot));
    ASSERT_EQ(block.size(), Block::kSize);
    EXPECT_EQ(block[Block::kModeOffset], mode);
    EXPECT_EQ(block[Block::kBrightnessOffset], lighting::kMaxLevel) << "full brightness";
    EXPECT_EQ(lighting::kMaxLevel - block[Block::kSpeedOffset], 2) << "middle speed";
    EXPECT_EQ(RgbAt(std::span(block).subspan(Block::kColourOffset), 0), (Rgb{0xFF, 0x20, 0x20}))
        << "red";
  }
}

}  // namespace

TEST(SimulatorAgreement, KeyboardAnnouncesTheSlotsOfEveryPrintedKey) {
  FirmwareModel keyboard(DeviceKind::Keyboard);
  const DeviceInfo info = ReadInfo(keyboard);
  // The keyboard page reads keyCount slots in one transfer and looks up
  // every printed key of its picture among them.
  ASSERT_GT(info.keyCount, 0);
  ASSERT_LE(info.keyCount, KeyFunction::kSlots);
  const std::vector<uint8_t> table =
      Read(keyboard, Command::ReadKeyTable, info.keyCount * KeyFunction::kSize);
  for (int position = 0; position < keys::kLayoutPositions; ++position) {
    if (keys::KeyPositionTable[static_cast<size_t>(position)] == keys::kNoRow)
      continue;
    bool found = false;
    for (size_t slot = 0; slot < info.keyCount && !found; ++slot)
      found = KeyFunction::ReadSlot(table, slot) == keys::PrintedFunction(position);
    EXPECT_TRUE(found) << "printed position " << position;
  }
  EXPECT_EQ(keyboard.Region("macro_memory")->size(), info.MacroBytes());
}

TEST(SimulatorAgreement, MouseAnnouncesOneSlotPerNamedButton) {
  FirmwareModel mouse(DeviceKind::Mouse);
  const DeviceInfo info = ReadInfo(mouse);
  EXPECT_EQ(info.keyCount, keys::MouseButtonNames.size());
  EXPECT_EQ(mouse.Region("macro_memory")->size(), info.MacroBytes());
}

TEST(SimulatorAgreement, FactoryBlocksReadAsStaticRedInTheProgramsLayouts) {
  ExpectFactoryLighting<KeyboardParameters>(DeviceKind::Keyboard, 6);
  ExpectFactoryLighting<MouseParameters>(DeviceKind::Mouse, 3);
  ExpectFactoryLighting<PadParameters>(DeviceKind::Pad, 3);
  ExpectFactoryLighting<PadParameters>(DeviceKind::Headset, 3);

  // The keyboard's block through the program's lighting reader, and its
  // fastest report rate where the settings code reads it.
  FirmwareModel keyboard(DeviceKind::Keyboard);
  const std::vector<uint8_t> bytes =
      Read(keyboard, Command::ReadParameters, KeyboardParameters::kSize);
  const std::span<const uint8_t, KeyboardParameters::kSize> block(bytes.data(), bytes.size());
  LightInfo light;
  lighting::ReadKeyboardLighting(block, light, LightModeList{});
  EXPECT_EQ((std::vector<int>{light.Light, light.Speed, light.Red, light.Green, light.Blue}),
            (std::vector<int>{4, 2, 0xFF, 0x20, 0x20}));
  EXPECT_EQ(block[KeyboardParameters::kReportRateOffset], 3);
  EXPECT_EQ(keyboard.ActiveProfile(), block[KeyboardParameters::kActiveProfileOffset]);

  FirmwareModel mouse(DeviceKind::Mouse);
  EXPECT_EQ(Read(mouse, Command::ReadParameters, MouseParameters::kSize)
                [MouseParameters::kReportRateOffset],
            3);
}
