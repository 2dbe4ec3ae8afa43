#pragma once

#include <QString>
#include <optional>

// The font face of each language, and when switching languages changes it.
//
// Simplified Chinese, Traditional Chinese and Thai have faces of their own;
// every other language shares the default face. The faces are named as the
// program's private fonts call them; InstallSubstitutions maps each to a
// family the system has.
class LanguageFonts {
 public:
  static constexpr int kSimplifiedChinese = 2052;
  static constexpr int kTraditionalChinese = 1028;
  static constexpr int kThai = 1054;

  static QString FaceOf(int languageId);
  // The face to set when going from the language `previousId` (nullopt: no
  // language applied yet) to `nextId`; nullopt when the fonts stay: between
  // two languages of the default face.
  static std::optional<QString> FaceToSet(std::optional<int> previousId, int nextId);
  // Qt font substitutions from the faces to installed families (CJK and
  // Thai coverage from the Noto fonts, DejaVu for the rest).
  static void InstallSubstitutions();

 private:
  static bool HasOwnFace(int languageId);
};
