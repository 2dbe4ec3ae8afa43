#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <iterator>

#include "keys/KeyTables.h"
#include "sim/FirmwareModel.h"

using sim::DeviceKind;
using sim::Fault;
using sim::FirmwareModel;
using sim::Report;

namespace {

Report Request(uint8_t command, uint8_t length = 0, uint16_t position = 0,
               std::vector<uint8_t> data = {}) {
  Report r{};
  r[0] = 4;
  r[3] = command;
  r[4] = length;
  r[5] = static_cast<uint8_t>(position & 0xFF);
  r[6] = static_cast<uint8_t>(position >> 8);
  std::copy(data.begin(), data.end(), r.begin() + 8);
  const uint16_t sum = FirmwareModel::Checksum(r);
  r[1] = static_cast<uint8_t>(sum & 0xFF);
  r[2] = static_cast<uint8_t>(sum >> 8);
  return r;
}

Report One(FirmwareModel& model, const Report& request, bool viaReceiver = false) {
  auto answers = model.HandleRequest(request, viaReceiver);
  EXPECT_EQ(answers.size(), 1u);
  return answers.empty() ? Report{} : answers.back();
}

// Reads `size` bytes of a memory with `command`, 56 bytes a request.
std::vector<uint8_t> ReadAll(FirmwareModel& model, uint8_t command, size_t size) {
  std::vector<uint8_t> bytes;
  while (bytes.size() < size) {
    const auto length = static_cast<uint8_t>(std::min<size_t>(56, size - bytes.size()));
    const Report answer = One(model, Request(command, length, static_cast<uint16_t>(bytes.size())));
    EXPECT_EQ(answer[7], 0);
    bytes.insert(bytes.end(), answer.begin() + 8, answer.begin() + 8 + length);
  }
  return bytes;
}

keys::FunctionCode SlotCode(const std::vector<uint8_t>& table, size_t slot) {
  return {table[slot * 3], table[slot * 3 + 1], table[slot * 3 + 2]};
}

}  // namespace

TEST(FirmwareModel, ChecksumOfTheProtocolsExamples) {
  EXPECT_EQ(FirmwareModel::Checksum(Request(0x01)), 0x0001);
  EXPECT_EQ(FirmwareModel::Checksum(Request(0x03, 0x18, 0x0018)), 0x0033);
  EXPECT_EQ(FirmwareModel::Checksum(Request(0x15, 0x38, 0, std::vector<uint8_t>(56, 0xFF))), 0x3815);
}

TEST(FirmwareModel, InformationBlockReadsInChunks) {
  FirmwareModel mouse(DeviceKind::Mouse);
  const Report first = One(mouse, Request(0x03, 24, 0), true);
  const Report second = One(mouse, Request(0x03, 10, 24), true);
  EXPECT_EQ(first[3], 0x03);
  EXPECT_EQ(first[7], 0x00);
  EXPECT_EQ(second[7], 0x00);
  std::vector<uint8_t> info(first.begin() + 8, first.begin() + 32);
  info.insert(info.end(), second.begin() + 8, second.begin() + 18);
  EXPECT_EQ(info, *mouse.Region("info"));
  EXPECT_EQ(info[5], 11) << "key count";
  EXPECT_EQ(info[9] | info[10] << 8, 0x3395) << "sensor";
  EXPECT_EQ(One(mouse, Request(0x03, 24, 24))[7], 0xFF) << "past the 34 bytes";
}

TEST(FirmwareModel, ParametersAreFlatMemoryReadBackWhereWritten) {
  FirmwareModel keyboard(DeviceKind::Keyboard);
  std::vector<uint8_t> block(39);
  for (size_t i = 0; i < block.size(); ++i)
    block[i] = static_cast<uint8_t>(i + 1);
  // Profile 2's block at 2 x 40, through the receiver in chunks of 24 and 15.
  EXPECT_EQ(One(keyboard, Request(0x06, 24, 80, {block.begin(), block.begin() + 24}))[7], 0);
  EXPECT_EQ(One(keyboard, Request(0x06, 15, 104, {block.begin() + 24, block.end()}))[7], 0);
  const Report back = One(keyboard, Request(0x05, 39, 80));
  EXPECT_TRUE(std::equal(block.begin(), block.end(), back.begin() + 8));
  EXPECT_EQ(One(keyboard, Request(0x06, 1, 0, {3}))[7], 0);
  EXPECT_EQ(keyboard.ActiveProfile(), 3);
}

TEST(FirmwareModel, BytesAfterTheDataAreNotChecked) {
  FirmwareModel pad(DeviceKind::Pad);
  const uint8_t before = (*pad.Region("parameters"))[66];
  // The data area keeps the previous chunk's tail; only `length` bytes count.
  Report request = Request(0x06, 2, 64, {0x11, 0x22, 0x33, 0x44});
  EXPECT_EQ(One(pad, request)[7], 0);
  const auto parameters = *pad.Region("parameters");
  EXPECT_EQ(parameters[64], 0x11);
  EXPECT_EQ(parameters[65], 0x22);
  EXPECT_EQ(parameters[66], before);
}

TEST(FirmwareModel, MalformedRequestsGetStatusFFOrNothing) {
  FirmwareModel keyboard(DeviceKind::Keyboard);
  Report badSum = Request(0x05, 8, 0);
  badSum[1] ^= 1;
  EXPECT_EQ(One(keyboard, badSum)[7], 0xFF);
  EXPECT_EQ(One(keyboard, Request(0x05, 57, 0))[7], 0xFF) << "more than 56 data bytes";
  EXPECT_EQ(One(keyboard, Request(0x05, 8, FirmwareModel::kParameterBytes - 4))[7], 0xFF);
  EXPECT_EQ(One(keyboard, Request(0x09, 8, 512))[7], 0xFF) << "key table index 1";
  EXPECT_EQ(One(keyboard, Request(0x42))[7], 0xFF) << "unknown command";
  Report otherReport = Request(0x01);
  otherReport[0] = 5;
  EXPECT_TRUE(keyboard.HandleRequest(otherReport, false).empty());
  EXPECT_TRUE(keyboard.HandleRequest(std::vector<uint8_t>(10, 4), false).empty());
}

TEST(FirmwareModel, EveryCommandReachesItsMemory) {
  FirmwareModel keyboard(DeviceKind::Keyboard);
  const std::vector<uint8_t> data = {1, 2, 3, 4};
  const std::pair<uint8_t, const char*> writes[] = {
      {0x09, "key_table"},     {0x27, "fn_key_table"}, {0x28, "third_key_table"},
      {0x0B, "colour_tables"}, {0x12, "light_frame"},  {0x15, "macro_memory"},
      {0x17, "recoil_memory"},
  };
  for (const auto& [command, region] : writes) {
    EXPECT_EQ(One(keyboard, Request(command, 4, 8, data))[7], 0) << region;
    const auto memory = *keyboard.Region(region);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), memory.begin() + 8)) << region;
  }
  EXPECT_EQ(One(keyboard, Request(0x07, 4, 8))[8], 1) << "key table reads back";
  EXPECT_EQ(One(keyboard, Request(0x0A, 4, 8))[9], 2) << "colour table reads back";
  ASSERT_TRUE(keyboard.Poke("key_attributes", 0, std::vector<uint8_t>{7, 8}));
  EXPECT_EQ(One(keyboard, Request(0x1B, 2, 0))[9], 8);
  keyboard.SetPower(55, 1);
  const Report power = One(keyboard, Request(0x1A, 6, 0));
  EXPECT_EQ(power[8], 55);
  EXPECT_EQ(power[9], 1);
  for (uint8_t command : {0x01, 0x02, 0x1C})
    EXPECT_EQ(One(keyboard, Request(command))[7], 0);
}

TEST(FirmwareModel, ReceiverAnswersForADeviceThatIsOff) {
  FirmwareModel mouse(DeviceKind::Mouse);
  EXPECT_EQ(One(mouse, Request(0xAA), true)[8], 0xFF) << "device on";
  mouse.SetWirelessOn(false);
  const Report off = One(mouse, Request(0x05, 8, 0), true);
  EXPECT_EQ(off[3], 0xAA);
  const Report query = One(mouse, Request(0xAA), true);
  EXPECT_EQ(query[3], 0xAA);
  EXPECT_NE(query[8], 0xFF);
  EXPECT_EQ(One(mouse, Request(0x05, 8, 0), false)[3], 0x05) << "the cable still works";
}

TEST(FirmwareModel, FaultsOnDemand) {
  FirmwareModel pad(DeviceKind::Pad);
  pad.SetFault(*Fault::Parse("noanswer"));
  EXPECT_TRUE(pad.HandleRequest(Request(0x01), false).empty());
  pad.SetFault(*Fault::Parse("status-ff"));
  EXPECT_EQ(One(pad, Request(0x01))[7], 0xFF);
  pad.SetFault(*Fault::Parse("status-fe"));
  EXPECT_EQ(One(pad, Request(0x01))[7], 0xFE);
  pad.SetFault(*Fault::Parse("stale"));
  const auto answers = pad.HandleRequest(Request(0x05, 4, 0), false);
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[0][3], 0x01) << "the previous answer first";
  EXPECT_EQ(answers[1][3], 0x05);
  pad.SetFault(*Fault::Parse("delay:60"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(pad.HandleRequest(Request(0x01), false).size(), 1u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
  pad.SetFault(*Fault::Parse("none"));
  EXPECT_EQ(One(pad, Request(0x01))[7], 0);
  // Silent after two more answers, as in the middle of a transfer.
  pad.SetFault(*Fault::Parse("noanswer-after:2"));
  EXPECT_EQ(One(pad, Request(0x01))[7], 0);
  EXPECT_EQ(One(pad, Request(0x05, 4, 0))[7], 0);
  EXPECT_TRUE(pad.HandleRequest(Request(0x05, 4, 4), false).empty());
  EXPECT_TRUE(pad.HandleRequest(Request(0x02), false).empty()) << "and stays silent";
  pad.SetFault(*Fault::Parse("none"));
  EXPECT_EQ(One(pad, Request(0x02))[7], 0);
  for (const char* bad : {"", "delay:", "delay:x", "delay:-1", "crash", "noanswer-after:",
                          "noanswer-after:-2", "noanswer-after:3x"})
    EXPECT_FALSE(Fault::Parse(bad)) << bad;
}

TEST(FirmwareModel, StateLogAndLightReports) {
  FirmwareModel headset(DeviceKind::Headset);
  for (int i = 0; i < 15; ++i)
    headset.HandleLightReport(std::vector<uint8_t>(17, static_cast<uint8_t>(i)));
  const auto reports = headset.LightReports();
  ASSERT_EQ(reports.size(), 12u) << "the last twelve";
  EXPECT_EQ(reports.front()[0], 3);
  One(headset, Request(0x01));
  const auto log = headset.Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_TRUE(log[log.size() - 2].toDevice);
  EXPECT_FALSE(log.back().toDevice);
  const std::string state = headset.StateJson();
  for (const char* key : {"\"info\"", "\"active_profile\"", "\"parameters\"", "\"key_table\"",
                          "\"fn_key_table\"", "\"third_key_table\"", "\"key_attributes\"",
                          "\"colour_tables\"", "\"macro_memory\"", "\"recoil_memory\"",
                          "\"light_frame\"", "\"light_reports\"", "\"power\"", "\"wireless\""})
    EXPECT_NE(state.find(key), std::string::npos) << key;

  // A small macro memory poked into the information block.
  FirmwareModel keyboard(DeviceKind::Keyboard);
  ASSERT_TRUE(keyboard.Poke("info", 6, std::vector<uint8_t>{2}));
  EXPECT_EQ(keyboard.Region("macro_memory")->size(), 256u);
  EXPECT_FALSE(keyboard.Poke("info", 33, std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(keyboard.Poke("nowhere", 0, std::vector<uint8_t>{1}));
}

TEST(FirmwareModel, KeyboardSlotsHoldThePrintedKeysWithTheirLeds) {
  FirmwareModel keyboard(DeviceKind::Keyboard);
  const size_t slotCount = ReadAll(keyboard, 0x03, 34)[5];
  ASSERT_EQ(slotCount, 126u);
  const auto table = ReadAll(keyboard, 0x07, slotCount * 3);
  const auto attributes = ReadAll(keyboard, 0x1B, slotCount);
  std::vector<int> usedBy(slotCount, -1);
  for (int position = 0; position < keys::kLayoutPositions; ++position) {
    const bool printed = keys::KeyPositionTable[static_cast<size_t>(position)] != keys::kNoRow;
    std::vector<size_t> found;
    for (size_t slot = 0; slot < slotCount; ++slot)
      if (SlotCode(table, slot) == keys::PrintedFunction(position))
        found.push_back(slot);
    if (!printed) {
      EXPECT_TRUE(found.empty()) << "position " << position << " has no key";
      continue;
    }
    ASSERT_EQ(found.size(), 1u) << "position " << position;
    EXPECT_EQ(attributes[found[0]], position) << "the LED under position " << position;
    EXPECT_EQ(usedBy[found[0]], -1);
    usedBy[found[0]] = position;
  }
  std::vector<int> positionsBySlot;
  std::copy_if(usedBy.begin(), usedBy.end(), std::back_inserter(positionsBySlot),
               [](int position) { return position >= 0; });
  EXPECT_FALSE(std::is_sorted(positionsBySlot.begin(), positionsBySlot.end()))
      << "the slots do not follow the layout";
  const auto unused = std::find(usedBy.begin(), usedBy.end(), -1);
  ASSERT_NE(unused, usedBy.end());
  EXPECT_EQ(std::count(usedBy.begin(), usedBy.end(), -1), 1);
  const size_t spare = static_cast<size_t>(unused - usedBy.begin());
  EXPECT_EQ(SlotCode(table, spare), (keys::FunctionCode{0, 0, 0}));
  EXPECT_EQ(attributes[spare], 255) << "no LED";
  const auto fn = *keyboard.Region("fn_key_table");
  EXPECT_EQ(std::count(fn.begin(), fn.end(), 0), static_cast<long>(fn.size()));
}

TEST(FirmwareModel, MouseButtonsStartAsTheTemplateProfilesDefaults) {
  FirmwareModel mouse(DeviceKind::Mouse);
  const size_t slotCount = ReadAll(mouse, 0x03, 34)[5];
  ASSERT_EQ(slotCount, 11u);
  const auto table = ReadAll(mouse, 0x07, slotCount * 3);
  QFile file(TRAVIX_SOURCE_DIR "/DefaultData/mouse.Json");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonArray keyList =
      QJsonDocument::fromJson(file.readAll())["Device"][0]["KeyList"].toArray();
  ASSERT_EQ(keyList.size(), 11);
  for (size_t button = 0; button < slotCount; ++button) {
    const int value = keyList[static_cast<int>(button)]["DefaultAssignment"].toInt();
    EXPECT_EQ(SlotCode(table, button),
              (keys::FunctionCode{static_cast<uint8_t>(value >> 16),
                                  static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}))
        << "button " << button;
  }
}

TEST(FirmwareModel, PowerStatusSetsAllSixBytesAndPowerOnlyTheFirstTwo) {
  FirmwareModel pad(DeviceKind::Pad);
  pad.SetPowerStatus({40, 2, 7, 1, 9, 3});
  pad.SetPower(35, 1);
  const Report power = One(pad, Request(0x1A, 6, 0));
  EXPECT_EQ(std::vector<uint8_t>(power.begin() + 8, power.begin() + 14),
            (std::vector<uint8_t>{35, 1, 7, 1, 9, 3}));
}

TEST(FirmwareModel, ResetMemoryPutsEveryStoredSettingBackToTheFactoryState) {
  for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::Pad,
                          DeviceKind::Headset}) {
    SCOPED_TRACE(sim::KindName(kind));
    FirmwareModel factory(kind);
    FirmwareModel device(kind);
    // A small macro memory announced by the information block: the reset
    // keeps the device's identity, so the memory keeps that size.
    ASSERT_TRUE(device.Poke("info", 6, std::vector<uint8_t>{2}));
    const auto info = *device.Region("info");
    const std::vector<uint8_t> data = {0x5A, 0xA5, 0x3C};
    const char* stored[] = {"parameters",    "key_table",    "fn_key_table", "third_key_table",
                            "key_attributes", "colour_tables", "macro_memory", "recoil_memory",
                            "light_frame"};
    for (const char* region : stored)
      ASSERT_TRUE(device.Poke(region, 1, data)) << region;
    EXPECT_EQ(One(device, Request(0x06, 3, 0x10, data))[7], 0) << "a parameter write";
    device.HandleLightReport(std::vector<uint8_t>(17, 9));
    device.SetPower(42, 1);
    device.SetWirelessOn(false);
    device.SetFault(*Fault::Parse("status-fe"));

    device.ResetMemory();

    for (const char* region : stored) {
      const auto memory = *device.Region(region);
      if (std::string(region) == "macro_memory")
        EXPECT_EQ(memory, std::vector<uint8_t>(256, 0)) << region;
      else
        EXPECT_EQ(memory, *factory.Region(region)) << region;
    }
    EXPECT_EQ(device.ActiveProfile(), factory.ActiveProfile());
    EXPECT_TRUE(device.LightReports().empty()) << "the light output is gone";
    // What the device is and how it is reached stay.
    EXPECT_EQ(*device.Region("info"), info);
    EXPECT_EQ((*device.Region("power"))[0], 42);
    EXPECT_FALSE(device.IsWirelessOn());
    EXPECT_EQ(One(device, Request(0x01))[7], 0xFE) << "the fault stays set";
    EXPECT_FALSE(device.Log().empty());
  }
}
