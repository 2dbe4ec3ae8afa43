#pragma once

#include <QString>
#include <string>
#include <vector>

#include "macros/MacroEvent.h"

namespace macros {

// A macro file ("<id>.mac"): a copy of the name, the id, the events, and the
// format version (always 64).
struct MacroDocument {
  static constexpr int kVersion = 64;
  std::string Name;
  std::string Guid;
  std::vector<MacroEvent> Events;
};

// A missing or broken file reads as a macro without events.
MacroDocument ReadMacroFile(const QString& path);
// Only the number of events, for sizing the macro memory image.
size_t CountMacroEvents(const QString& path);
// Writes the file atomically, every "Delay" as a decimal string; 0, or -1.
int WriteMacroFile(const QString& path, const MacroDocument& macro);

}  // namespace macros
