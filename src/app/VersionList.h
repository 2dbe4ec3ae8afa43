#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "hid/InterfaceRecord.h"
#include "settings/VersionEntry.h"

class DevicePageSet;

// The lines of the settings window's version list, from the update table:
// one per attached device whose firmware version is known (by cable its
// command interface's version; through the receiver, while its page is
// shown, the receiver's), then the program's own.
class VersionList {
 public:
  // What the list needs of a selector of the device bar.
  struct Selector {
    bool HasDevice = false;
    InterfaceRecord Identity;
    bool Open = false;
    bool Wireless = false;
    bool PageShown = false;
    uint16_t CableVersion = 0;
    uint16_t ReceiverVersion = 0;
  };

  static std::vector<Selector> SelectorsOf(const DevicePageSet& pages);
  // `programVersion`: the build's version ("0.1.0"); empty for none.
  static std::vector<VersionEntry> Build(const std::vector<Selector>& selectors,
                                         const QString& programVersion);
  // "1.0.1" -> 101; 0 when there is no number.
  static int VersionNumber(const QString& dotted);
};
