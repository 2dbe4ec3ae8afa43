#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devicecore/DeviceCore.h"
#include "profiles/KeyListEntry.h"
#include "protocol/DeviceInfo.h"

class CBasicProfiledata;

// A device whose keys or buttons take functions and macros (keyboards and
// mice): the key list of its profile, the macro names of its folder, and
// the macro image its keys play from.
class KeyedDeviceCore : public DeviceCore {
  Q_OBJECT
 public:
  const std::vector<KeyListEntry>& KeyList() const { return keyList_; }
  const std::vector<std::string>& MacroNames() const { return macroNames_; }
  // The macro names read again from the macro list file.
  void ReloadMacroNames(const QString& macroListFile);
  // Keys whose macro no longer exists get their default function; true when
  // any did.
  bool DropInvalidMacroKeys();
  void SetKeyAssignment(int position, const KeyListEntry& entry);
  // Every key at once (a macro was deleted); a list of another length is
  // ignored.
  void SetKeyList(const std::vector<KeyListEntry>& list);

  // Packs the used macros of `folder` into one image and sends it (in the
  // background; `done` hears whether every command was answered). Decided
  // at once from the files and the macro memory last read: 0 when sent or
  // nothing to send, a positive count of events to remove when the image
  // exceeds the memory, -1 when no image can be made. While the last image
  // was refused, key tables send macro keys as their defaults.
  int DownloadMacros(const std::vector<int>& used, const QString& folder,
                     std::function<void(int)> done = {});

 protected:
  // The profile the key list belongs to.
  virtual CBasicProfiledata& KeyProfile() = 0;
  // The information block last read (its macro memory size), and a new one.
  virtual size_t MacroMemoryBytes() const = 0;
  virtual void AdoptInfo(const protocol::DeviceInfo& info) = 0;
  // A macro record as it is sent: its macro renumbered to its place in
  // `used` (added when new). False when the macro cannot be played (no
  // such macro, or the image was refused): the caller sends a fallback.
  bool RenumberForSending(KeyFunctionRecord& record, std::vector<int>& used) const;

  std::vector<KeyListEntry> keyList_;
  std::vector<std::string> macroNames_;

 private:
  bool macrosWithheld_ = false;
};
