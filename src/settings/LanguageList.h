#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One language of the program's language list.
struct LanguageEntry {
  int Id = 0;            // the number kept in the settings store
  QString Name;          // the language's name, for the toolkit
  QString File;          // its language file in the skin folder
  QString TextId;        // text id of the language's own name
  QStringList Locales;   // desktop locales it serves ("zh_TW", "en", ...)
};

// The language list ("Language.config" among the program's templates): its
// positions are the language indices used everywhere else.
class LanguageList {
 public:
  static constexpr const char* kFileName = "Language.config";
  // The language chosen when the store names none.
  static constexpr int kDefaultId = 520;

  // An unreadable file gives an empty list. A "Language_file" that is not a
  // plain file name in the skin folder is dropped (the entry keeps no file).
  static LanguageList Load(const QString& path);

  int Count() const { return static_cast<int>(entries_.size()); }
  // Null outside the list.
  const LanguageEntry* At(int index) const;
  // The first position with this id, or -1.
  int IndexOfId(int id) const;
  // The entry serving a desktop locale such as "en_US.UTF-8" or "zh_TW":
  // language and region first, then the language alone; -1 when none does.
  int IndexOfLocale(const QString& locale) const;
  // Whether `file` may name a language file: a plain ".xml" name.
  static bool IsPlainLanguageFile(const QString& file);

 private:
  std::vector<LanguageEntry> entries_;
};
