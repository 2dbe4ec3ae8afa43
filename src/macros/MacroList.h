#pragma once

#include <QString>
#include <string>
#include <vector>

// The macro list file of a device folder ("macro.config"): one entry per
// macro in "MacroInfo", whose position is the macro index key assignments
// use; each macro's events live in the folder's "<id>.mac".
namespace macros {

inline constexpr const char* kMacroListFile = "macro.config";
// What a device folder holds at most, and what a recording adds to.
inline constexpr size_t kMaxMacros = 50;
inline constexpr size_t kMaxRecordedEvents = 4000;

struct MacroListEntry {
  std::string Name;  // UTF-8
  std::string Guid;  // the id naming the macro's file; never shown

  bool operator==(const MacroListEntry&) const = default;
};

// The "MacroName" of every "MacroInfo" entry, in list order (UTF-8). An entry
// without a name keeps its place with an empty name, so indices still match.
// Empty when the file is missing, not a macro list, or a symbolic link (the
// user's files are never read through one).
std::vector<std::string> ReadMacroNames(const QString& path);
// The entries, in list order, the same way.
std::vector<MacroListEntry> ReadMacroList(const QString& path);
// Writes the list (atomically); 0, or -1 when it could not be written.
int WriteMacroList(const QString& path, const std::vector<MacroListEntry>& entries);

// Whether `guid` can name a file in the folder: a plain file name, never a
// path.
bool IsUsableMacroId(const std::string& guid);
// The file of a macro: folder + id + ".mac"; empty for an id that is not
// usable.
QString MacroFilePath(const QString& folder, const std::string& guid);

// The name of a new macro: "macro_N" with the smallest N from 1 that no name
// in `taken` carries, compared without regard to case.
std::string NewMacroName(const std::vector<std::string>& taken);
// The name of an imported macro: `base`, and while the name is taken "_N"
// appended with N counting from 1 (x, x_1, x_1_2; compared without regard
// to case). Stored names in the lists of users rely on this form.
std::string ImportedMacroName(const std::string& base, const std::vector<std::string>& taken);

}  // namespace macros
