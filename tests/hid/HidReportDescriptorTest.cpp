#include <gtest/gtest.h>

#include "hid/HidReportDescriptor.h"
#include "hid/HidReportReader.h"
#include "hid/HidStatus.h"
#include "support/FakeHidTree.h"

using namespace hid;
using testing_support::BootKeyboardDescriptor;
using testing_support::BootMouseDescriptor;
using testing_support::FourCollectionDescriptor;

TEST(HidReportDescriptor, TheDevicesInterfaceHasFourCollections) {
  const auto bytes = FourCollectionDescriptor();
  auto descriptor = HidReportDescriptor::Parse(bytes);
  ASSERT_TRUE(descriptor);
  EXPECT_TRUE(descriptor->UsesReportIds());
  const auto& c = descriptor->Collections();
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].usagePage, 0x01);
  EXPECT_EQ(c[0].usage, 0x06);
  EXPECT_EQ(c[0].inputReportLength, 9);
  EXPECT_EQ(c[1].usage, 0x80);
  EXPECT_EQ(c[1].inputReportLength, 2);
  EXPECT_EQ(c[2].usagePage, 0x0C);
  EXPECT_EQ(c[2].usage, 0x01);
  EXPECT_EQ(c[2].inputReportLength, 3);
  EXPECT_EQ(c[3].usagePage, 0xFF1C);
  EXPECT_EQ(c[3].usage, 0x92);
  EXPECT_EQ(c[3].inputReportLength, 64);
  EXPECT_EQ(c[3].outputReportLength, 64);
  EXPECT_EQ(c[3].featureReportLength, 0);
  EXPECT_EQ(c[3].reportIds, std::vector<uint8_t>{4});
  EXPECT_TRUE(c[2].HasReportId(3));
  EXPECT_FALSE(c[2].HasReportId(4));
  // The consumer array reaches every event code.
  ASSERT_EQ(c[2].fields.size(), 1u);
  EXPECT_TRUE(c[2].fields[0].isArray);
  EXPECT_EQ(c[2].fields[0].logicalMax, 0x7FFF);
}

TEST(HidReportDescriptor, BootKeyboardAndMouseWithoutReportIds) {
  auto keyboard = HidReportDescriptor::Parse(BootKeyboardDescriptor());
  ASSERT_TRUE(keyboard);
  EXPECT_FALSE(keyboard->UsesReportIds());
  ASSERT_EQ(keyboard->Collections().size(), 1u);
  EXPECT_EQ(keyboard->Collections()[0].inputReportLength, 9);
  EXPECT_EQ(keyboard->Collections()[0].outputReportLength, 2);
  EXPECT_EQ(keyboard->Collections()[0].reportIds, std::vector<uint8_t>{0});

  auto mouse = HidReportDescriptor::Parse(BootMouseDescriptor());
  ASSERT_TRUE(mouse);
  ASSERT_EQ(mouse->Collections().size(), 1u) << "the physical collection is not top-level";
  EXPECT_EQ(mouse->Collections()[0].usage, 0x02);
  EXPECT_EQ(mouse->Collections()[0].inputReportLength, 4);
}

TEST(HidReportDescriptor, OneByteLogicalMaximumWithTopBitIsUnsignedOverAZeroMinimum) {
  const uint8_t bytes[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x25,
                           0xFF, 0x75, 0x08, 0x95, 0x02, 0x09, 0x01, 0x81, 0x02, 0xC0};
  auto descriptor = HidReportDescriptor::Parse(bytes);
  ASSERT_TRUE(descriptor);
  EXPECT_EQ(descriptor->Collections()[0].fields[0].logicalMax, 255);
}

TEST(HidReportDescriptor, PushAndPopRestoreGlobals) {
  const uint8_t bytes[] = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01,
                           0xA4, 0x75, 0x10, 0x09, 0x30, 0x81, 0x02, 0xB4, 0x09, 0x31,
                           0x81, 0x02, 0xC0};
  auto descriptor = HidReportDescriptor::Parse(bytes);
  ASSERT_TRUE(descriptor);
  const auto& fields = descriptor->Collections()[0].fields;
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].bitSize, 16u);
  EXPECT_EQ(fields[1].bitSize, 8u);
  EXPECT_EQ(fields[1].bitOffset, 16u);
}

TEST(HidReportDescriptor, MalformedDescriptorsAreRejected) {
  const std::vector<std::vector<uint8_t>> bad = {
      {0x05},                                            // item runs past the end
      {0xA1, 0x01},                                      // collection never closed
      {0xC0},                                            // end without collection
      {0xB4},                                            // pop without push
      {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},              // main item outside a collection
      {0x09, 0x01, 0xA1, 0x01, 0x85, 0x00, 0xC0},        // report id 0
      {0x09, 0x01, 0xA1, 0x01, 0x75, 0x00, 0x95, 0x01, 0x81, 0x02, 0xC0},  // size 0
      {0x09, 0x01, 0xA1, 0x01, 0x75, 0x21, 0x95, 0x01, 0x81, 0x02, 0xC0},  // size 33
      {0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0},  // huge count
      // One report id in two top-level collections.
      {0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
       0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
      {0xFE, 0x05},                                      // long item cut short
  };
  for (const auto& bytes : bad) {
    std::string error;
    EXPECT_FALSE(HidReportDescriptor::Parse(bytes, &error)) << "case of " << bytes.size() << " bytes";
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(HidReportDescriptor::Parse({})->Collections().empty());
}

TEST(HidReportReader, ConsumerArrayGivesTheEventCode) {
  auto descriptor = HidReportDescriptor::Parse(FourCollectionDescriptor());
  const HidReportReader reader(descriptor->Collections()[2]);
  std::vector<uint16_t> usages;
  const uint8_t report[] = {0x03, 0x01, 0x04};
  EXPECT_EQ(reader.GetUsages(ReportType::Input, 0x0C, report, usages), HIDP_STATUS_SUCCESS);
  EXPECT_EQ(usages, std::vector<uint16_t>{0x0401});
  const uint8_t high[] = {0x03, 0xFF, 0x11};
  reader.GetUsages(ReportType::Input, 0x0C, high, usages);
  EXPECT_EQ(usages, std::vector<uint16_t>{0x11FF});
  const uint8_t idle[] = {0x03, 0x00, 0x00};
  reader.GetUsages(ReportType::Input, 0x0C, idle, usages);
  EXPECT_TRUE(usages.empty());
  const uint8_t other[] = {0x04, 0x01, 0x04};
  EXPECT_EQ(reader.GetUsages(ReportType::Input, 0x0C, other, usages),
            HIDP_STATUS_INCOMPATIBLE_REPORT_ID);
  EXPECT_EQ(reader.MaxUsageListLength(ReportType::Input, 0x0C), 1u);
}

TEST(HidReportReader, KeyboardModifiersAndKeysAndMouseValues) {
  auto keyboard = HidReportDescriptor::Parse(BootKeyboardDescriptor());
  const HidReportReader keys(keyboard->Collections()[0]);
  std::vector<uint16_t> usages;
  // Report id 0, left shift, reserved byte, keys A and B.
  const uint8_t report[] = {0x00, 0x02, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(keys.GetUsages(ReportType::Input, 0x07, report, usages), HIDP_STATUS_SUCCESS);
  EXPECT_EQ(usages, (std::vector<uint16_t>{0xE1, 0x04, 0x05}));
  EXPECT_EQ(keys.MaxUsageListLength(ReportType::Input, 0x07), 14u);

  auto mouse = HidReportDescriptor::Parse(BootMouseDescriptor());
  const HidReportReader pointer(mouse->Collections()[0]);
  const uint8_t move[] = {0x00, 0x05, 0xFB, 0x10};
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(pointer.GetUsageValue(ReportType::Input, 0x01, 0x30, move, raw), HIDP_STATUS_SUCCESS);
  EXPECT_EQ(raw, 0xFBu);
  EXPECT_EQ(pointer.GetScaledUsageValue(ReportType::Input, 0x01, 0x30, move, scaled),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(scaled, -5);
  EXPECT_EQ(pointer.GetScaledUsageValue(ReportType::Input, 0x01, 0x31, move, scaled),
            HIDP_STATUS_SUCCESS);
  EXPECT_EQ(scaled, 16);
  EXPECT_EQ(pointer.GetUsageValue(ReportType::Input, 0x01, 0x38, move, raw),
            HIDP_STATUS_USAGE_NOT_FOUND);
  pointer.GetUsages(ReportType::Input, 0x09, move, usages);
  EXPECT_EQ(usages, (std::vector<uint16_t>{1, 3}));
}

TEST(HidReportReader, BitsAreReadLittleEndianAcrossBytes) {
  const uint8_t data[] = {0b10110100, 0b00000011};
  EXPECT_EQ(HidReportReader::ExtractBits(data, 2, 3), 0b101u);
  EXPECT_EQ(HidReportReader::ExtractBits(data, 6, 4), 0b1110u);
  EXPECT_EQ(HidReportReader::ExtractBits(data, 14, 8), 0u) << "beyond the data reads as 0";
}
