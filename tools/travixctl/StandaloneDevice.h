#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lighting/LightInfoWords.h"
#include "profiles/DeviceFiles.h"
#include "profiles/ProfileList.h"

class DeviceCore;
class KeyedDeviceCore;
class MouseCore;

namespace travixctl {

// One attached device that travixctl opened itself, while Travix is not
// running: its core, its files and its profile list, and the steps the
// window takes on it (the profile's files, the first read, a settings
// write, a whole profile sent after a switch), without a page.
class StandaloneDevice {
 public:
  using Done = std::function<void(int)>;  // 1: written

  // `kind` is a kind row of the device tables (mouse, keyboard, pad,
  // headset, in that order).
  static std::unique_ptr<StandaloneDevice> Create(int kind);
  virtual ~StandaloneDevice();

  int Kind() const { return kind_; }
  // "mouse", "keyboard", "pad", "headset".
  QString Word() const;
  virtual DeviceCore& Core() = 0;
  // The mouse's core, or null.
  virtual MouseCore* Mouse() { return nullptr; }
  // The core of a device with key tables and macros (keyboard, mouse), or
  // null.
  virtual KeyedDeviceCore* Keys() { return nullptr; }

  const DeviceFiles& Files() const { return files_; }
  ProfileList& Profiles() { return *profiles_; }
  QString ProfileId() const { return profileId_; }

  // The profile list read and the selected profile's files given to the
  // core (as the page does when it is attached).
  void LoadFiles();
  // Reads the device's keys and settings once; `done` gets whether the
  // device answered all of it. The headset is not read: what it does needs
  // the running program.
  virtual void ReadSettings(std::function<void(bool)> done) = 0;
  virtual std::vector<std::string> ModeIds() const = 0;
  // Whether the program draws this mode's light itself, frame by frame (so
  // that it needs the running program).
  virtual bool HostDriven(int mode) const = 0;
  // Light words into the core and its profile.
  virtual void SetLightInfo(const LightWords& words) = 0;
  virtual void SaveProfile() = 0;
  // The selected profile's file loaded and applied to the core.
  virtual void LoadProfileState() = 0;
  // The settings block written; `done` gets 1 when the device took it.
  virtual void WriteSettings(Done done) = 0;
  // After the profile changed: the settings block, the macros the keys use,
  // the key tables and the colours, in this order (what the kind has);
  // `done` gets the settings write's result (the others are told on the
  // debug channel).
  virtual void WriteWholeProfile(Done done);
  // The macros the keys use, then the key tables; `done` gets the key
  // tables' result. Nothing (and 0) for a device without keys.
  virtual void WriteKeys(Done done) { done(0); }
  // The profile list's selection followed (after select, reset, import).
  void FollowSelectedProfile();

 protected:
  explicit StandaloneDevice(int kind);
  virtual void GiveProfileFiles() = 0;

 private:
  int kind_;
  DeviceFiles files_;
  std::unique_ptr<ProfileList> profiles_;
  QString profileId_;
};

}  // namespace travixctl
