#pragma once

#include <QDate>
#include <QString>

// The date of the last version check, in "updatetime.config" of the user's
// data folder: {"updatelasttime": {"value": "2024-3-5"}}.
class LastCheckDate {
 public:
  static constexpr const char* kFileName = "updatetime.config";
  // The stored date; when it is missing, null or the file cannot be read,
  // `today` is stored (the file written) and returned.
  static QString Ensure(const QString& path, const QDate& today);
  // "%d-%d-%d": year, month, day without leading zeros.
  static QString Format(const QDate& date);
};
