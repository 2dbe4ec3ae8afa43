#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include "toolkit/UIDefines.h"

namespace toolkit {

// The skin's resource index ("res.xml": skin names to layout, image and icon
// files) and the language texts. One per process, used on the UI thread.
class CResourceManager {
 public:
  static CResourceManager* GetInstance();

  // Reads the resource index, a file under the resource path. `type` is kept
  // for callers written against resource types; only plain files exist here.
  bool LoadResource(const CDuiString& indexFile, const CDuiString& type = {});
  // The file behind a skin name, as written in the index; empty when unknown.
  CDuiString GetXmlPath(const CDuiString& name) const;
  CDuiString GetImagePath(const CDuiString& name) const;
  CDuiString GetIconPath(int id) const;

  void SetLanguage(const CDuiString& language) { language_ = language; }
  CDuiString GetLanguage() const { return language_; }
  // Replaces the text table with the texts of a language file under the
  // resource path, and every window shows the new texts. False (table
  // unchanged) when the file is missing or broken.
  bool LoadLanguage(const CDuiString& languageFile);
  // Every control that shows a resource text takes the current text again.
  void ReloadText();
  void SetTextQueryInterface(IQueryControlText* query) { query_ = query; }
  IQueryControlText* GetTextQueryInterface() const { return query_; }
  // The text of an id: the language file's, else the query interface's answer
  // (remembered until the next language load), else the id itself.
  CDuiString GetText(const CDuiString& id, const CDuiString& type = {});
  bool HasText(const CDuiString& id) const { return texts_.contains(id); }

  // Problems found by the last LoadResource or LoadLanguage.
  const QStringList& Errors() const { return errors_; }
  void Release();

 private:
  CResourceManager() = default;

  QHash<QString, QString> layouts_;
  QHash<QString, QString> images_;
  QHash<int, QString> icons_;
  QHash<QString, QString> texts_;
  QHash<QString, QString> queried_;
  QString language_;
  IQueryControlText* query_ = nullptr;
  QStringList errors_;
};

}  // namespace toolkit
