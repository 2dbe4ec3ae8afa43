#include "toolkit/CResourceManager.h"

#include <QFile>
#include <QXmlStreamReader>

#include "platform/DebugChannel.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/SkinFileLocator.h"

namespace toolkit {

CResourceManager* CResourceManager::GetInstance() {
  static CResourceManager instance;
  return &instance;
}

namespace {

bool OpenSkinFile(const QString& name, QFile& file, QStringList& errors) {
  const QString path = SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), name);
  if (path.isEmpty()) {
    errors << QStringLiteral("%1: file not found").arg(name);
    return false;
  }
  file.setFileName(path);
  if (!file.open(QIODevice::ReadOnly)) {
    errors << QStringLiteral("%1: cannot be read").arg(path);
    return false;
  }
  return true;
}

}  // namespace

bool CResourceManager::LoadResource(const CDuiString& indexFile, const CDuiString& /*type*/) {
  errors_.clear();
  QFile file;
  if (!OpenSkinFile(indexFile, file, errors_))
    return false;
  QHash<QString, QString> layouts, images;
  QHash<int, QString> icons;
  QXmlStreamReader xml(&file);
  int depth = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) {
      if (xml.isEndElement())
        --depth;
      continue;
    }
    ++depth;
    const QString tag = xml.name().toString();
    const auto attrs = xml.attributes();
    if (depth == 1) {
      if (tag != "Resources")
        errors_ << QStringLiteral("%1: root element must be Resources").arg(indexFile);
      continue;
    }
    const QString fileName = attrs.value("file").toString();
    if (tag == "Layout" && attrs.hasAttribute("name")) {
      layouts.insert(attrs.value("name").toString(), fileName);
    } else if (tag == "Image" && attrs.hasAttribute("name")) {
      images.insert(attrs.value("name").toString(), fileName);
    } else if (tag == "Icon" && attrs.hasAttribute("id")) {
      icons.insert(attrs.value("id").toInt(), fileName);
    } else {
      errors_ << QStringLiteral("%1:%2: unknown entry <%3>")
                     .arg(indexFile)
                     .arg(xml.lineNumber())
                     .arg(tag);
    }
  }
  if (xml.hasError()) {
    errors_ << QStringLiteral("%1:%2: %3").arg(indexFile).arg(xml.lineNumber()).arg(xml.errorString());
    for (const QString& e : errors_)
      platform::DebugOutput(e.toStdString());
    return false;
  }
  layouts_ = std::move(layouts);
  images_ = std::move(images);
  icons_ = std::move(icons);
  for (const QString& e : errors_)
    platform::DebugOutput(e.toStdString());
  return true;
}

CDuiString CResourceManager::GetXmlPath(const CDuiString& name) const {
  return layouts_.value(name);
}

CDuiString CResourceManager::GetImagePath(const CDuiString& name) const {
  return images_.value(name);
}

CDuiString CResourceManager::GetIconPath(int id) const { return icons_.value(id); }

bool CResourceManager::LoadLanguage(const CDuiString& languageFile) {
  errors_.clear();
  QFile file;
  if (!OpenSkinFile(languageFile, file, errors_)) {
    platform::DebugOutput(errors_.join("; ").toStdString());
    return false;
  }
  QHash<QString, QString> texts;
  QXmlStreamReader xml(&file);
  int depth = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) {
      if (xml.isEndElement())
        --depth;
      continue;
    }
    ++depth;
    const QString tag = xml.name().toString();
    if (depth == 1) {
      if (tag != "Language")
        errors_ << QStringLiteral("%1: root element must be Language").arg(languageFile);
      continue;
    }
    const auto attrs = xml.attributes();
    if (tag == "Text" && attrs.hasAttribute("id"))
      texts.insert(attrs.value("id").toString(), attrs.value("value").toString());
    else
      errors_ << QStringLiteral("%1:%2: unknown entry <%3>")
                     .arg(languageFile)
                     .arg(xml.lineNumber())
                     .arg(tag);
  }
  if (xml.hasError()) {
    errors_ << QStringLiteral("%1:%2: %3")
                   .arg(languageFile)
                   .arg(xml.lineNumber())
                   .arg(xml.errorString());
    platform::DebugOutput(errors_.join("; ").toStdString());
    return false;
  }
  texts_ = std::move(texts);
  queried_.clear();
  // Controls show their texts as widgets: let them take the new ones.
  ReloadText();
  return true;
}

void CResourceManager::ReloadText() { CPaintManagerUI::ReloadAllText(); }

CDuiString CResourceManager::GetText(const CDuiString& id, const CDuiString& type) {
  if (id.isEmpty())
    return {};
  auto it = texts_.constFind(id);
  if (it != texts_.constEnd())
    return *it;
  auto asked = queried_.constFind(id);
  if (asked != queried_.constEnd())
    return *asked;
  if (query_ != nullptr) {
    const QString answer = query_->QueryControlText(id, type);
    queried_.insert(id, answer);
    return answer;
  }
  return id;
}

void CResourceManager::Release() {
  layouts_.clear();
  images_.clear();
  icons_.clear();
  texts_.clear();
  queried_.clear();
  language_.clear();
  query_ = nullptr;
  errors_.clear();
}

}  // namespace toolkit
