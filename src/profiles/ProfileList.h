#pragma once

#include <QString>
#include <json/value.h>
#include <vector>

#include "profiles/JsonFile.h"

// A device's list of profiles ("ProfileList.ini", a JSON document despite its
// name) and the profile files it names, in the device's data folder. Every
// operation rereads the list file first: the file is the authority.
//
// Profile ids name files, so every entry needs an id that is a plain file
// name (a string IsPlainFileName accepts). A list with an entry that has
// none (a number, null, "", a path, "..", an entry that is not an object) or
// whose "profilelist" is not an array is damaged: edits of such an entry
// would be saved nowhere and its file orphaned. A damaged list, like one
// that does not parse or is a symbolic link, is set aside (".broken", see
// platform::AtomicFileWriter::SetAside) and rebuilt from the profile files.
// An id that a second entry repeats is given to the first only; the second
// gets a new id and a copy of the file, so that edits of one never change
// the other.
//
// Nothing is written when nothing changed: starting with a good list leaves
// the list file as it was.
class ProfileList {
 public:
  static constexpr const char* kListFile = "ProfileList.ini";
  static constexpr int kMaxNewProfiles = 50;
  static constexpr int kHeadsetKind = 7;

  struct Entry {
    QString name;
    QString id;
  };

  // `deviceFolder` ends with "/".
  ProfileList(QString deviceFolder, QString templatePath, int deviceKind);

  // Reads the list; a missing, broken, damaged or empty list is rebuilt
  // from the profile files in the folder, or started with "Profile1" made
  // from the template when there are none.
  void Init();
  // The list as last read.
  const std::vector<Entry>& Entries() const { return entries_; }
  int Count();  // rereads
  int Selected() const { return selected_; }
  QString SelectedId() const { return selectedId_; }
  // The file of entry `index`; empty when the index or the id is unusable.
  QString PathAt(int index) const;

  // Makes entry `index` the selected one (written to the list file when it
  // was not already).
  void Select(int index);
  // New profile from the template, named "profile<n>" with the smallest free
  // n; nothing at 50 profiles. Returns the new entry's index or -1.
  int New();
  // A copy of entry `index` named "<name> copy" (again while taken).
  int Copy(int index);
  // Removes entry `index` and its file; needs two profiles at least. Returns
  // the index to select next, or -1.
  int Delete(int index);
  // 1 renamed, 0 the name is taken by another entry, 2 blank.
  int Rename(int index, const QString& name);
  // A profile file from elsewhere, named after its file; -1 when it is not a
  // profile.
  int Import(const QString& path);
  bool Export(int index, const QString& path);
  // The template over entry `index`'s file, keeping its name and id (and a
  // headset's own equaliser presets).
  bool Reset(int index);

  // Whether `name` is taken by an entry other than `except` (letter case
  // does not count).
  bool IsNameTaken(const QString& name, int except = -1) const;

 private:
  // Rereads the list; a damaged one is set aside and rebuilt, and repeated
  // ids are made unique.
  void Read();
  bool Write();
  // False when the list is damaged (see above).
  bool Parse(const Json::Value& list);
  void GiveRepeatedIdsTheirOwn();
  void Recover();
  bool RebuildFromFiles();
  void CreateFirstProfile();
  // Appends an entry with a fresh id and writes the list; returns its id.
  QString Append(const QString& name);
  QString FileOf(const QString& id) const;
  bool HasId(const QString& id) const;
  bool WriteProfileFile(Json::Value document, const QString& name, const QString& id);

  QString folder_;
  QString templatePath_;
  int kind_;
  JsonFile json_;
  Json::Value document_;
  std::vector<Entry> entries_;
  int selected_ = 0;
  QString selectedId_;
};
