#include "devicecore/KeyedDeviceCore.h"

#include <algorithm>

#include "devicecore/MacroDownload.h"
#include "keys/KeyTables.h"
#include "macros/MacroList.h"
#include "profiles/CBasicProfiledata.h"

void KeyedDeviceCore::ReloadMacroNames(const QString& macroListFile) {
  macroNames_ = macroListFile.isEmpty() ? std::vector<std::string>{}
                                        : macros::ReadMacroNames(macroListFile);
}

bool KeyedDeviceCore::DropInvalidMacroKeys() {
  const size_t count = macroNames_.size();
  bool changed = false;
  for (KeyListEntry& entry : keyList_) {
    if (keys::IsMacro(entry.Normal.Type) && entry.Normal.Code1 >= count) {
      const uint16_t index = entry.Normal.KeyIndex;
      entry.Normal = entry.Default;
      entry.Normal.KeyIndex = index;
      changed = true;
    }
  }
  if (changed)
    KeyProfile().SetKeyList(keyList_);
  return changed;
}

void KeyedDeviceCore::SetKeyAssignment(int position, const KeyListEntry& entry) {
  if (position < 0 || position >= static_cast<int>(keyList_.size()))
    return;
  keyList_[static_cast<size_t>(position)] = entry;
  KeyProfile().SetKeyList(keyList_);
}

void KeyedDeviceCore::SetKeyList(const std::vector<KeyListEntry>& list) {
  if (list.size() != keyList_.size())
    return;
  keyList_ = list;
  KeyProfile().SetKeyList(keyList_);
}

int KeyedDeviceCore::DownloadMacros(const std::vector<int>& used, const QString& folder,
                                    std::function<void(int)> done) {
  macro_download::Plan plan = macro_download::PlanImage(used, folder, MacroMemoryBytes());
  // Until an image is sent again, keys are sent without macros: the device
  // would play whatever its memory holds from before.
  macrosWithheld_ = plan.result != 0;
  if (plan.result != 0 || plan.image.empty())
    return plan.result;
  macro_download::SendImage(*this, std::move(plan.image),
                            [this, done = std::move(done)](std::optional<protocol::DeviceInfo> info,
                                                           int result) {
                              if (info)
                                AdoptInfo(*info);
                              if (done)
                                done(result);
                            });
  return 0;
}

bool KeyedDeviceCore::RenumberForSending(KeyFunctionRecord& record, std::vector<int>& used) const {
  if (macrosWithheld_ || record.Code1 >= macroNames_.size())
    return false;
  auto it = std::find(used.begin(), used.end(), record.Code1);
  if (it == used.end()) {
    used.push_back(record.Code1);
    it = used.end() - 1;
  }
  record.Code1 = static_cast<uint8_t>(it - used.begin());
  return true;
}
