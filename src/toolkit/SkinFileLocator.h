#pragma once

#include <QString>

namespace toolkit {

// Finds skin files by the names the program uses: "\\" separates folders and
// letter case does not matter, as on the platform the names were written for.
class SkinFileLocator {
 public:
  // The existing file for `name` under `base` (or `name` itself when it is
  // absolute); an empty string when there is none.
  static QString Locate(const QString& base, const QString& name);
};

}  // namespace toolkit
