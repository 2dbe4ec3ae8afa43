#pragma once

#include <QString>
#include <string_view>
#include <json/value.h>

#include "platform/AtomicFileWriter.h"

// Reads and writes the program's JSON files. Stateless; every user of JSON
// files holds one.
class JsonFile {
 public:
  // The whole file at `path`, parsed with the library's default features
  // (comments, any top-level value). Null when the file is missing, empty,
  // not a regular file, unreadable or does not parse. Line ends may be LF or
  // CR LF. For the program's own data files: a symbolic link at `path` is
  // not followed and reads as null, like a broken file, so a link planted
  // among the user's files cannot make the program read (and then rewrite
  // or back up) a file elsewhere.
  Json::Value ReadJson(const QString& path) const;
  // The same, following a link at `path`: for the read-only templates in
  // the program folder, which a package may install as links, and for a
  // file the user picked to import.
  Json::Value ReadJsonFollowingLinks(const QString& path) const;
  // `value` in styled form (sorted keys, LF line ends) as the whole of
  // `path`, through platform::AtomicFileWriter: a crash or a full disk
  // leaves either the old file or the new one, a file that already holds the
  // text is not written, and a link at `path` is replaced, never written
  // through. 0 on success, -1 on failure (the old file is then untouched).
  int WriteJson(const QString& path, const Json::Value& value) const;
  // The same for a file the user named himself (an export): its failure is
  // the caller's to tell, not a settings file that could not be saved.
  int WriteUsersFile(const QString& path, const Json::Value& value) const;

  // A text already read (bytes of a file the user picked, checked before
  // they are copied), parsed as the files are; null when it does not parse.
  static Json::Value ParseText(std::string_view text);

  // Files larger than this are not the program's: the largest it writes are
  // a few hundred kilobytes, and a parsed JSON value takes tens of times its
  // text. Reading one is refused rather than taking the memory.
  static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;
 private:
  int Write(const QString& path, const Json::Value& value,
            const platform::AtomicFileWriter& writer) const;
};
