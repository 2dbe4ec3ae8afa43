#pragma once

#include <QString>

class LanguageList;

// Where the language applied last is kept: the value "LANGUAGE" in the
// program's settings store (an INI file under the product name in the
// user's configuration folder).
class LanguageStore {
 public:
  // The program's own store.
  LanguageStore();
  // A store at `path` (tests).
  explicit LanguageStore(QString path);

  const QString& Path() const { return path_; }
  bool Exists() const;
  // On the very first start, when there is no store yet, makes it as an
  // installer would: with the language of the desktop's locale `locale`
  // ("LANG"), or without a value when no language of `list` serves it.
  void CreateOnFirstStart(const LanguageList& list, const QString& locale);
  // The index of the stored language: no store gives 0; a store without a
  // value looks for the default id; an id not in the list gives 0.
  int ReadStoredLanguage(const LanguageList& list) const;
  // Keeps `id`, creating the store when missing. False when it could not
  // be written.
  bool StoreLanguageId(int id);
  // The stored value, if any (-1 when none).
  int StoredId() const;

  // The desktop's language: LC_ALL, LC_MESSAGES, then LANG.
  static QString DesktopLocale();

 private:
  QString path_;
};
