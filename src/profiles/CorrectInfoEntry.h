#pragma once

#include <QString>
#include <cstdint>

// A correction preset of a mouse profile ("CorrectInfo"[i]); the mouse uses
// the first one whose CorrectSelect is non-zero.
struct CorrectInfoEntry {
  uint8_t CorrectPixThresh = 0;
  uint8_t CorrectMinSq = 0;
  uint8_t CorrectSelect = 0;
  QString CorrectName;

  bool operator==(const CorrectInfoEntry&) const = default;
};
