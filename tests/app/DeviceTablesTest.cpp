#include <gtest/gtest.h>

#include <QFile>
#include <array>

#include "app/DeviceMatcher.h"
#include "app/DeviceTables.h"
#include "hid/HidDevice.h"
#include "support/FakeHidTree.h"

using testing_support::FakeHidTree;
using testing_support::FourCollectionDescriptor;
using testing_support::SocketNode;

namespace {

using Registry = std::array<InterfaceRecord, DeviceTables::kInterfaceRows>;

Registry FreshRegistry() {
  Registry registry;
  std::copy(DeviceTables::Interfaces().begin(), DeviceTables::Interfaces().end(),
            registry.begin());
  return registry;
}

// The headset's interface 3: one consumer collection.
std::vector<uint8_t> HeadsetDescriptor() {
  return {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
          0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};
}

}  // namespace

TEST(DeviceTables, PartnersPointBackAtEachOtherOnTheSameCollection) {
  const auto& rows = DeviceTables::Interfaces();
  ASSERT_EQ(rows.size(), 11u);
  for (size_t i = 0; i < rows.size(); ++i) {
    auto partner = DeviceTables::PartnerOf(static_cast<int>(i));
    if (!partner)
      continue;
    EXPECT_EQ(DeviceTables::PartnerOf(*partner), static_cast<int>(i)) << i;
    EXPECT_EQ(rows[*partner].Collection, rows[i].Collection) << i;
    EXPECT_EQ(rows[*partner].Role, rows[i].Role) << i;
  }
  EXPECT_FALSE(DeviceTables::PartnerOf(8));
  EXPECT_FALSE(DeviceTables::PartnerOf(11));
  EXPECT_FALSE(DeviceTables::PartnerOf(-1));
}

TEST(DeviceTables, RowsFindTheirKindAndBothConnectionsShareIt) {
  EXPECT_EQ(DeviceTables::FindCommandRow(0x320F, 0x5088, 9, 0), 2);
  EXPECT_EQ(DeviceTables::FindCommandRow(0x320F, 0x5088, 9, 0xFF), 3);
  EXPECT_EQ(DeviceTables::FindCommandRow(0x320F, 0x9999, 9, 0), -1);
  EXPECT_EQ(DeviceTables::FindKindRow(0x0C76, 0x1630, 7, 0), 3);
  EXPECT_EQ(DeviceTables::FindKindRow(0x320F, 0x221D, 6, 0), -1) << "no kind row for a receiver";
  const int expected[] = {1, 1, 1, 1, 0, 0, 0, 0, 2, 2, 3};
  for (int row = 0; row < 11; ++row)
    EXPECT_EQ(DeviceTables::KindRowOf(row), expected[row]) << row;
  // The device object's key is the cable command row.
  EXPECT_EQ(DeviceTables::DeviceKeyRowOf(3), 0);
  EXPECT_EQ(DeviceTables::DeviceKeyRowOf(6), 4);
  EXPECT_EQ(DeviceTables::DeviceKeyRowOf(7), 4);
  EXPECT_EQ(DeviceTables::DeviceKeyRowOf(9), 8);
  EXPECT_EQ(DeviceTables::DeviceKeyRowOf(10), 10);
  EXPECT_EQ(DeviceTables::Kinds()[DeviceTables::KindRowOf(2)].KindName, "keyboard");
  EXPECT_EQ(DeviceTables::Pages()[1].KeyCount, 170);
  EXPECT_EQ(DeviceTables::Updates()[3].Version, "V0101");
}

TEST(DeviceTables, RecordEqualityIgnoresRunTimeFields) {
  InterfaceRecord a = DeviceTables::Interfaces()[0];
  InterfaceRecord b = a;
  b.InUse = 1;
  b.Path = "/dev/hidraw0?x";
  b.PartnerIndex = 7;
  b.HasPartner = 0;
  EXPECT_EQ(a, b);
  b.Usage = 0x93;
  EXPECT_NE(a, b);
}

namespace {

// Runs the two tests of the detection loop over every path of the machine.
std::vector<int> Detect(Registry& registry) {
  std::vector<int> bound;
  hid::HidDevice probe;
  probe.EnumerateInterfaces();
  while (auto path = probe.NextPath()) {
    if (!DeviceMatcher::IsCandidate(*path, registry))
      continue;
    hid::HidDevice device;
    if (!device.Open(*path, true, false, true, false))
      continue;
    InterfaceRecord record = DeviceMatcher::FromPath(*path);
    record.VendorId = device.Attributes.VendorID;
    record.ProductId = device.Attributes.ProductID;
    record.UsagePage = device.Caps.UsagePage;
    record.Usage = device.Caps.Usage;
    const int slot = DeviceMatcher::MatchOpenedInterface(record, registry);
    if (slot >= 0)
      bound.push_back(slot);
  }
  return bound;
}

}  // namespace

TEST(DeviceMatcher, EnumeratedDevicesBindTheirSlots) {
  FakeHidTree tree;
  const std::string keyboard = tree.AddUsbNode(0x320F, 0x5055, 1, FourCollectionDescriptor());
  const std::string headset = tree.AddUsbNode(0x0C76, 0x1630, 3, HeadsetDescriptor(), 0x100, 3);
  // The keyboard's other interface is not in the table.
  tree.AddUsbNode(0x320F, 0x5055, 0, testing_support::BootKeyboardDescriptor());
  SocketNode keyboardNode(tree.DevRoot() + "/" + keyboard);
  SocketNode headsetNode(tree.DevRoot() + "/" + headset);

  Registry registry = FreshRegistry();
  EXPECT_EQ(Detect(registry), (std::vector<int>{1, 0, 10}));
  EXPECT_EQ(registry[0].InUse, 1);
  EXPECT_NE(registry[0].Path.find("&col04"), std::string::npos);
  EXPECT_EQ(registry[10].Path.find("&col"), std::string::npos)
      << "the headset has no collection marker and still matches";
  // A second pass finds the slots taken.
  EXPECT_TRUE(Detect(registry).empty());
}

TEST(DeviceMatcher, OtherCollectionsUsagesOrIdsDoNotMatch) {
  Registry registry = FreshRegistry();
  // Collection 1 of a supported device is in no row.
  EXPECT_FALSE(DeviceMatcher::IsCandidate("/dev/hidraw0?vid_320f&pid_5055&mi_01&col01", registry));
  EXPECT_TRUE(DeviceMatcher::IsCandidate("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04", registry));

  InterfaceRecord otherUsage = DeviceMatcher::FromPath("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04");
  otherUsage.UsagePage = 0xFF1C;
  otherUsage.Usage = 0x93;
  EXPECT_EQ(DeviceMatcher::MatchOpenedInterface(otherUsage, registry), -1);

  // The path says keyboard, the attributes say otherwise: the attributes win.
  InterfaceRecord lying = DeviceMatcher::FromPath("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04");
  lying.ProductId = 0x5056;
  lying.UsagePage = 0xFF1C;
  lying.Usage = 0x92;
  EXPECT_EQ(DeviceMatcher::MatchOpenedInterface(lying, registry), -1);
  EXPECT_EQ(registry[0].InUse, 0);

  // One slot per row: a second identical keyboard waits for the first to go.
  InterfaceRecord first = DeviceMatcher::FromPath("/dev/hidraw0?vid_320f&pid_5055&mi_01&col04");
  first.UsagePage = 0xFF1C;
  first.Usage = 0x92;
  EXPECT_EQ(DeviceMatcher::MatchOpenedInterface(first, registry), 0);
  EXPECT_EQ(first.DeviceType, 1);
  EXPECT_EQ(first.Role, 0);
  EXPECT_FALSE(DeviceMatcher::IsCandidate("/dev/hidraw5?vid_320f&pid_5055&mi_01&col04", registry));
  InterfaceRecord second = DeviceMatcher::FromPath("/dev/hidraw5?vid_320f&pid_5055&mi_01&col04");
  second.UsagePage = 0xFF1C;
  second.Usage = 0x92;
  EXPECT_EQ(DeviceMatcher::MatchOpenedInterface(second, registry), -1);
  registry[0].InUse = 0;
  registry[0].Path.clear();
  EXPECT_EQ(DeviceMatcher::MatchOpenedInterface(second, registry), 0);
  EXPECT_EQ(registry[0].Path, second.Path);
}

TEST(DeviceTables, TheUdevRuleCoversEverySupportedDevice) {
  QFile rules(TRAVIX_SOURCE_DIR "/udev/70-travix.rules");
  ASSERT_TRUE(rules.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(rules.readAll());
  for (const InterfaceRecord& row : DeviceTables::Interfaces()) {
    const QString line = QString("ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"")
                             .arg(row.VendorId, 4, 16, QChar('0'))
                             .arg(row.ProductId, 4, 16, QChar('0'));
    EXPECT_TRUE(text.contains(line)) << line.toStdString();
  }
}
