#pragma once

#include <QString>

// One line of the settings window's version list: what is installed.
struct VersionEntry {
  QString Name;     // the model, or "AP" for the program
  QString Version;  // "V0101"
};
