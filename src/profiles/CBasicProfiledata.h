#pragma once

#include <QString>
#include <json/value.h>
#include <vector>

#include "profiles/AudioLightInfo.h"
#include "profiles/JsonFile.h"
#include "profiles/KeyListEntry.h"
#include "profiles/LightEffectStep.h"
#include "profiles/LightInfo.h"

// The profile data of one device: the device's section ("Device"[0]) of the
// selected profile file, held as JSON, with typed getters that decode it and
// setters that encode into it at once. Nothing reaches the disk until Save,
// which rereads the file and replaces only the section, so the document's
// other keys ("profilename", "profileUUID", anything the program does not
// read) survive. The mouse pad uses this class as it is; the keyboard, mouse
// and headset add their own fields.
//
// Every value read from a file is guarded: a missing key, a value of the
// wrong type and an index out of range all read as the field's default.
// Nothing here grows an array to an index a file names.
//
// No lock: the owning device object serialises the calls.
class CBasicProfiledata {
 public:
  CBasicProfiledata() = default;
  virtual ~CBasicProfiledata() = default;
  CBasicProfiledata(const CBasicProfiledata&) = default;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

  // Paths. SetProfilePath and SetDefaultProfilePath ignore an empty path.
  void SetProfilePath(const QString& path);
  QString GetProfilePath() const { return m_ProfilePath; }
  void SetDefaultProfilePath(const QString& path);
  QString GetDefaultProfilePath() const { return m_DefaultProfilePath; }
  void SetLightConfigPath(const QString& path) { m_LightConfigPath = path; }
  // The three at once, as a device takes them from its folder.
  void SetFiles(const QString& defaultProfile, const QString& profile, const QString& lightConfig) {
    SetDefaultProfilePath(defaultProfile);
    SetProfilePath(profile);
    SetLightConfigPath(lightConfig);
  }
  QString GetLightConfigPath() const { return m_LightConfigPath; }
  // The element of "Device" that is this device's section; values outside
  // [0, kMaxDeviceIndex] are ignored.
  void SetDeviceIndex(int index);
  int GetDeviceIndex() const { return m_DeviceIndex; }

  // Takes the section of the document at `path`. When the file has none (it
  // is missing, does not parse, is a link, or lacks the section) the section
  // comes from the template and is written into the file, keeping the
  // document's other keys; an unparsable file or a link is first set aside
  // as path + ".broken" (".broken.1", ... when that is taken), never
  // followed. Returns a copy of the section (null when neither file nor
  // template has one).
  Json::Value LoadProfile(const QString& path);
  // The same for the section used to edit a profile that is not selected.
  Json::Value LoadOtherProfile(const QString& path);
  // The whole custom-light configuration at `path` (null when missing or
  // invalid); the ".light" files it names are looked up beside it.
  Json::Value LoadLightConfig(const QString& path);
  // A copy of the selected profile's section as it stands in memory.
  Json::Value GetProfileRoot() const { return m_ProfileRoot; }

  // Writing. Each returns JsonFile::WriteJson's result (0 or -1); the
  // program's callers go on either way (the writer reports failures to the
  // user). The template is never written.
  virtual int Save();
  // Rereads the document at `path`, sets its "Device"[m_DeviceIndex] to
  // `section` and writes it back.
  virtual int WriteDeviceSection(const Json::Value& section, const QString& path);
  virtual int SaveOtherProfile(const QString& path);
  virtual int WriteJsonFile(const Json::Value& document, const QString& path);

  // Fields of every device. Getters return copies and keep what they return
  // as the cached copy; setters keep their argument and write the section.
  LightInfo GetLightInfo();
  // Replaces "LightInfo" whole with its 14 keys.
  void SetLightInfo(const LightInfo& info);
  AudioLightInfo GetAudioLightInfo();
  // Replaces "AudioLightInfo" whole with its 9 keys.
  void SetAudioLightInfo(const AudioLightInfo& info);
  // "LightList", read only: one record per element, Present = 0 for an
  // element that is null (or not an object).
  std::vector<LightInfo> GetLightList();
  // The steps of the user effect of the selected lighting mode, from the
  // ".light" file that the light configuration names for it.
  std::vector<LightEffectStep> GetLightEffectSteps();
  std::vector<KeyListEntry> GetKeyList();
  // Writes "Assignment" and "FnAssignment" of every entry; never
  // "DefaultAssignment", which only the template sets.
  void SetKeyList(const std::vector<KeyListEntry>& list);
  std::vector<KeyListEntry> GetOtherKeyList();
  void SetOtherKeyList(const std::vector<KeyListEntry>& list);

  static constexpr int kMaxDeviceIndex = 15;

 protected:
  // The section the field getters and setters work on.
  const Json::Value& Section() const { return m_ProfileRoot; }
  Json::Value& MutableSection() { return m_ProfileRoot; }

  QString m_ProfilePath;
  QString m_DefaultProfilePath;
  LightInfo m_LightInfo;
  AudioLightInfo m_AudioLightInfo;
  std::vector<LightInfo> m_LightList;
  Json::Value m_ProfileRoot;
  JsonFile m_JsonFile;
  Json::Value m_OtherProfileRoot;
  QString m_LightConfigPath;
  std::vector<LightEffectStep> m_LightEffectSteps;
  Json::Value m_LightConfigRoot;
  std::vector<KeyListEntry> m_KeyList;
  std::vector<KeyListEntry> m_OtherKeyList;
  int m_DeviceIndex = 0;

 private:
  Json::Value LoadSection(const QString& path);
  // The document at `path` ready to take a section: an object, with an
  // unparsable file or a link set aside first. False when that could not be
  // done: the file must then not be replaced.
  bool ReadForRewrite(const QString& path, Json::Value& document) const;
  bool IsTemplate(const QString& path) const;

  // Folder of the last light configuration loaded; ends with "/".
  QString m_LightConfigFolder;
};
