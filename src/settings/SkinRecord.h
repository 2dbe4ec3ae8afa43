#pragma once

#include <QString>

// "main.ini" in the user's data folder: the last background picture chosen
// (section "SKINIMAGE": "FLAGS" 1 after a picture, 0 after a reset, and
// "IMAGE"). The program writes it and never reads it back.
class SkinRecord {
 public:
  static constexpr const char* kFileName = "main.ini";
  // False when the file could not be written.
  static bool Write(const QString& path, bool picture, const QString& image);
};
