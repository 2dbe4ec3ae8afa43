#include "settings/LanguageList.h"

#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"

namespace {

QString Text(const Json::Value& value) {
  return value.isString() ? QString::fromStdString(value.asString()) : QString();
}

}  // namespace

LanguageList LanguageList::Load(const QString& path) {
  LanguageList list;
  JsonFile file;
  const Json::Value root = file.ReadJson(path);
  const Json::Value& languages = root.isObject() ? root["Language"] : Json::Value::nullSingleton();
  if (!languages.isArray())
    return list;
  for (const Json::Value& element : languages) {
    LanguageEntry entry;
    if (element.isObject()) {
      entry.Id = element["Language_ID"].isIntegral() ? element["Language_ID"].asInt() : 0;
      entry.Name = Text(element["Language_name"]);
      entry.File = Text(element["Language_file"]);
      entry.TextId = Text(element["Language_text"]);
      for (const Json::Value& locale : element["Language_locales"])
        if (locale.isString())
          entry.Locales << QString::fromStdString(locale.asString());
    }
    if (!entry.File.isEmpty() && !IsPlainLanguageFile(entry.File)) {
      platform::DebugPrint("language list: \"%s\" is not a language file of the skin; ignored",
                           entry.File.toUtf8().constData());
      entry.File.clear();
    }
    list.entries_.push_back(std::move(entry));
  }
  return list;
}

bool LanguageList::IsPlainLanguageFile(const QString& file) {
  if (file.isEmpty() || file.startsWith(QLatin1Char('.')) || !file.endsWith(QLatin1String(".xml")))
    return false;
  for (QChar c : file)
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
      return false;
  return true;
}

const LanguageEntry* LanguageList::At(int index) const {
  return index >= 0 && index < Count() ? &entries_[static_cast<size_t>(index)] : nullptr;
}

int LanguageList::IndexOfId(int id) const {
  for (int i = 0; i < Count(); ++i)
    if (entries_[static_cast<size_t>(i)].Id == id)
      return i;
  return -1;
}

int LanguageList::IndexOfLocale(const QString& locale) const {
  // "zh_TW.UTF-8@variant" -> "zh_TW", then "zh".
  QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
  if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
    return -1;
  const QString language = name.section(QLatin1Char('_'), 0, 0);
  for (const QString& wanted : {name, language})
    for (int i = 0; i < Count(); ++i)
      if (entries_[static_cast<size_t>(i)].Locales.contains(wanted, Qt::CaseInsensitive))
        return i;
  return -1;
}
