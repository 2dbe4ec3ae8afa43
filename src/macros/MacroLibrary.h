#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "macros/MacroFile.h"
#include "macros/MacroList.h"
#include "profiles/KeyListEntry.h"

namespace macros {

// The macros of one device folder: the list file and the macro files, and
// what the editor does to them. Every change is written at once.
class MacroLibrary {
 public:
  explicit MacroLibrary(QString folder = {});

  const QString& Folder() const { return folder_; }
  void SetFolder(QString folder);
  // Reads the list file again.
  void Reload();
  const std::vector<MacroListEntry>& Entries() const { return entries_; }
  std::vector<std::string> Names() const;

  // A new, empty macro at the end ("macro_N"); its file is written by the
  // first save. Nothing at 50 macros or when the list cannot be written.
  std::optional<size_t> Create(const QDateTime& now = QDateTime());

  enum class Rename { Done, Ignored, Duplicate, Failed };
  // An empty name (after trimming) is ignored; a name any macro carries,
  // this one included, compared without regard to case, is a duplicate.
  Rename RenameMacro(size_t index, const std::string& name);

  // A copy of the file at `path` as a new macro named after the file; its
  // own name and id inside stay as they are. Nothing at 50 macros, or when
  // the file cannot be read or copied.
  std::optional<size_t> Import(const QString& path, const QDateTime& now = QDateTime());
  // A copy of the macro's file at `path`.
  bool Export(size_t index, const QString& path) const;
  // Deletes the macro's file and its entry.
  bool Remove(size_t index);

  QString FileOf(size_t index) const;
  MacroDocument Load(size_t index) const;
  // Writes the macro's file with the entry's name and id.
  int Save(size_t index, const std::vector<MacroEvent>& events) const;

 private:
  std::optional<size_t> Append(const std::string& name, const QDateTime& now);
  QString ListPath() const { return folder_ + QLatin1String(kMacroListFile); }

  QString folder_;
  std::vector<MacroListEntry> entries_;
};

// Whether any record of `keys` (normal or Fn) assigns macro `index`.
bool RefersToMacro(const std::vector<KeyListEntry>& keys, int index);
// Key assignments after macro `deleted` went: a record with that macro gets
// its key's default function, one with a later macro the number before.
// True when anything changed.
bool RenumberAfterDelete(std::vector<KeyListEntry>& keys, int deleted);

}  // namespace macros
