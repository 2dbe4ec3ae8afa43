#pragma once

#include <QString>
#include <string>
#include <vector>

// The macro list file of a device folder ("macro.config"): one entry per
// macro in "MacroInfo", whose position is the macro index key assignments
// use.
namespace macros {

inline constexpr const char* kMacroListFile = "macro.config";

// The "MacroName" of every "MacroInfo" entry, in list order (UTF-8). An entry
// without a name keeps its place with an empty name, so indices still match.
// Empty when the file is missing, not a macro list, or a symbolic link (the
// user's files are never read through one).
std::vector<std::string> ReadMacroNames(const QString& path);

}  // namespace macros
