#include "app/VersionList.h"

#include <array>

#include "app/DevicePageSet.h"
#include "app/DeviceTables.h"
#include "devices/CDeviceOptionUI.h"
#include "devices/CVarnisUSBDevice.h"

namespace {

// The update table's last row is the program's own; device kinds of a
// higher row than the devices' (the headset) have no line.
constexpr size_t kProgramRow = 3;

}  // namespace

std::vector<VersionList::Selector> VersionList::SelectorsOf(const DevicePageSet& pages) {
  std::vector<Selector> out;
  for (CDeviceOptionUI* option : pages.Selectors()) {
    Selector selector;
    if (CVarnisUSBDevice* device = option->GetDevice()) {
      selector.HasDevice = true;
      selector.Identity = device->GetIdentity();
      selector.Open = device->Commands.IsOpen;
      selector.Wireless = device->Commands.WirelessMode;
      selector.PageShown = option->IsShown();
      selector.CableVersion = device->Core().InterfaceVersion(false);
      selector.ReceiverVersion = device->Core().InterfaceVersion(true);
    }
    out.push_back(selector);
  }
  return out;
}

int VersionList::VersionNumber(const QString& dotted) {
  QString digits = dotted;
  digits.remove(QLatin1Char('.'));
  bool ok = false;
  const int number = digits.toInt(&ok);
  return ok ? number : 0;
}

std::vector<VersionEntry> VersionList::Build(const std::vector<Selector>& selectors,
                                             const QString& programVersion) {
  const auto& table = DeviceTables::Updates();
  std::array<int, 4> current{};
  for (size_t k = 0; k < selectors.size(); ++k) {
    const Selector& selector = selectors[k];
    if (!selector.HasDevice) {
      if (k < kProgramRow)
        current[k] = 0;
      continue;
    }
    const InterfaceRecord& id = selector.Identity;
    const int row = DeviceTables::FindKindRow(id.VendorId, id.ProductId, id.DeviceType, 0);
    // The program's row never takes a device's version.
    if (row < 0 || static_cast<size_t>(row) >= kProgramRow)
      continue;
    int version = 0;
    if (selector.Open) {
      if (!selector.Wireless)
        version = selector.CableVersion;
      else if (selector.PageShown)
        version = selector.ReceiverVersion;
    }
    current[static_cast<size_t>(row)] = version;
  }
  current[kProgramRow] = VersionNumber(programVersion);

  std::vector<VersionEntry> entries;
  for (size_t r = 0; r < table.size(); ++r) {
    if (current[r] == 0)
      continue;
    const UpdateRecord& record = table[r];
    VersionEntry entry;
    entry.Name = record.FirmwareId == "ALL"
                     ? QStringLiteral("AP")
                     : QString::fromUtf8(record.Model.data(), static_cast<qsizetype>(record.Model.size()));
    entry.Version = record.ItemKind != 0
                        ? QStringLiteral("V%1").arg(current[r], 4, 16, QLatin1Char('0'))
                        : QStringLiteral("V") + programVersion;
    entries.push_back(entry);
  }
  return entries;
}
