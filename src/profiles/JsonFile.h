#pragma once

#include <QString>
#include <json/value.h>

// Reads and writes the program's JSON files. Stateless; every user of JSON
// files holds one.
class JsonFile {
 public:
  // The whole file at `path`, parsed with the library's default features
  // (comments, any top-level value). Null when the file is missing, empty,
  // not a regular file, unreadable or does not parse. Line ends may be LF or
  // CR LF.
  Json::Value ReadJson(const QString& path) const;
  // `value` in styled form (sorted keys, LF line ends) over `path`. The text
  // goes to a temporary file in the same folder, which is synced and then
  // renamed over the target, so a crash or a full disk leaves either the old
  // file or the new one, never a truncated one. 0 on success, -1 on failure
  // (the old file is then untouched).
  int WriteJson(const QString& path, const Json::Value& value) const;

  // Files larger than this are not the program's: the largest it writes are
  // a few hundred kilobytes, and a parsed JSON value takes tens of times its
  // text. Reading one is refused rather than taking the memory.
  static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;
};
