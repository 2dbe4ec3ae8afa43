#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/FeatureHost.h"
#include "settings/LanguageList.h"
#include "settings/LanguageStore.h"

// The language of the user interface: read from the settings store at
// start, applied on the settings window's request (message 0x0C11 with the
// language index), kept in the store. Applying switches the toolkit's
// language file, the font face of every text, and has every open window
// show its texts again; the key labels of the device pages follow.
class LanguageCommands {
 public:
  explicit LanguageCommands(FeatureHost& window);
  // A store and a language list of its own (tests).
  LanguageCommands(FeatureHost& window, LanguageStore store, QString listPath);

  // Start-up: makes the store on a first start (after the desktop's
  // locale), then applies the stored language.
  void ApplyStoredLanguage();
  int ReadStoredLanguage();
  // Nothing happens when `index` is the language applied last.
  void ApplyLanguage(int index);
  void StoreLanguageId(int id);
  // The font face of every text, in every window.
  void SetFontFace(const QString& face);

  int LanguageIndex() const { return languageIndex_; }
  const LanguageList& Languages() const { return list_; }
  LanguageStore& Store() { return store_; }
  // Told after a language was applied (the open secondary windows redraw).
  void SetAppliedListener(std::function<void()> listener) { applied_ = std::move(listener); }
  // How often the face was set (tests).
  int FaceChanges() const { return faceChanges_; }

 private:
  void OnRoute(const RouteCall& call);
  void RefreshKeyLabels();

  FeatureHost& window_;
  LanguageStore store_;
  QString listPath_;
  LanguageList list_;
  int languageIndex_ = -1;
  std::optional<int> languageId_;
  int faceChanges_ = 0;
  std::function<void()> applied_;
};
