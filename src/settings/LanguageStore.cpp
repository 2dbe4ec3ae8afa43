#include "settings/LanguageStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "platform/DataFolders.h"
#include "platform/DebugChannel.h"
#include "settings/LanguageList.h"

namespace {

constexpr const char* kLanguageKey = "LANGUAGE";

// Where QSettings keeps the program's settings by default, found afresh on
// every use (the configuration folder follows XDG_CONFIG_HOME).
QString ProgramStorePath() {
  const QString product = QString::fromLatin1(platform::DataFolders::kProductName);
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QLatin1Char('/') + product + QLatin1Char('/') + product + QStringLiteral(".conf");
}

}  // namespace

LanguageStore::LanguageStore() : path_(ProgramStorePath()) {}

LanguageStore::LanguageStore(QString path) : path_(std::move(path)) {}

bool LanguageStore::Exists() const { return QFileInfo::exists(path_); }

void LanguageStore::CreateOnFirstStart(const LanguageList& list, const QString& locale) {
  if (Exists())
    return;
  const int index = list.IndexOfLocale(locale);
  if (const LanguageEntry* entry = list.At(index)) {
    StoreLanguageId(entry->Id);
    platform::DebugPrint("settings: first start, language %d for the locale \"%s\"", entry->Id,
                         locale.toUtf8().constData());
    return;
  }
  // A store without a value: the default language is looked for.
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QFile file(path_);
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    platform::DebugPrint("settings: the store %s could not be made", path_.toUtf8().constData());
}

int LanguageStore::StoredId() const {
  if (!Exists())
    return -1;
  const QSettings settings(path_, QSettings::IniFormat);
  bool ok = false;
  const int id = settings.value(kLanguageKey).toInt(&ok);
  // Language ids are positive: anything else stored names none.
  return ok && id >= 0 ? id : -1;
}

int LanguageStore::ReadStoredLanguage(const LanguageList& list) const {
  if (!Exists())
    return 0;
  const int stored = StoredId();
  const int index = list.IndexOfId(stored >= 0 ? stored : LanguageList::kDefaultId);
  return index >= 0 ? index : 0;
}

bool LanguageStore::StoreLanguageId(int id) {
  QDir().mkpath(QFileInfo(path_).absolutePath());
  QSettings settings(path_, QSettings::IniFormat);
  settings.setValue(kLanguageKey, id);
  settings.sync();
  // A store that did not parse reports a format error here, although the
  // value was written (the file is written whole, without what did not
  // parse): only a failed write is a failure.
  if (settings.status() == QSettings::AccessError)
    return false;
  platform::DebugOutput("写成功！");
  return true;
}

QString LanguageStore::DesktopLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const QString value = qEnvironmentVariable(name);
    if (!value.isEmpty())
      return value;
  }
  return {};
}
