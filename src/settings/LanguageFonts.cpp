#include "settings/LanguageFonts.h"

#include <QFont>
#include <QStringList>

namespace {

const QString kSimplifiedFace = QStringLiteral("汉仪菱心体简");
const QString kTraditionalFace = QStringLiteral("Noto Sans CJK TC Regular");
const QString kThaiFace = QStringLiteral("Noto Sans Thai");
const QString kDefaultFace = QStringLiteral("Verdana Unicode MS");

}  // namespace

bool LanguageFonts::HasOwnFace(int languageId) {
  return languageId == kSimplifiedChinese || languageId == kTraditionalChinese ||
         languageId == kThai;
}

QString LanguageFonts::FaceOf(int languageId) {
  switch (languageId) {
    case kSimplifiedChinese: return kSimplifiedFace;
    case kTraditionalChinese: return kTraditionalFace;
    case kThai: return kThaiFace;
    default: return kDefaultFace;
  }
}

std::optional<QString> LanguageFonts::FaceToSet(std::optional<int> previousId, int nextId) {
  if (HasOwnFace(nextId))
    return FaceOf(nextId);
  if (!previousId || HasOwnFace(*previousId))
    return kDefaultFace;
  return std::nullopt;
}

void LanguageFonts::InstallSubstitutions() {
  // The private faces are not shipped: each stands for installed families,
  // in order of preference. The Chinese faces take the Noto CJK family of
  // their script; Thai its Noto family; the default face the skin's own
  // family. Each ends with families that cover the other scripts.
  const QStringList latin = {QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans")};
  const QStringList cjk = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")};
  QFont::insertSubstitutions(kSimplifiedFace, cjk + latin);
  QFont::insertSubstitutions(kTraditionalFace,
                             QStringList{QStringLiteral("Noto Sans CJK TC")} + cjk + latin);
  QFont::insertSubstitutions(kThaiFace, QStringList{QStringLiteral("Noto Sans Thai")} + latin + cjk);
  QFont::insertSubstitutions(kDefaultFace, latin + cjk);
}
