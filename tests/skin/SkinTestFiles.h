#pragma once

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "app/OwnControls.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"

// The files of the shipped skin, for the tests that check them.
namespace skin_test {

inline const QString kSourceDir = TRAVIX_SOURCE_DIR;
inline const QString kSkinDir = kSourceDir + "/skin";

// Files below `dir` matching `patterns`, sorted.
inline QStringList ListFiles(const QString& dir, const QStringList& patterns) {
  QStringList files;
  QDirIterator it(dir, patterns, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    files << it.next();
  files.sort();
  return files;
}

inline QStringList ListSkinFiles() { return ListFiles(kSkinDir, {"*.xml"}); }

// The name of a file's root element ("Window", "Language", ...).
inline QString RootElement(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  QXmlStreamReader xml(&file);
  return xml.readNextStartElement() ? xml.name().toString() : QString();
}

// The ids of a language file.
inline QSet<QString> TextIds(const QString& path) {
  QSet<QString> ids;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return ids;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
      ids.insert(xml.attributes().value("id").toString());
  return ids;
}

// The tags the main window builds itself, as it builds them.
class OwnTags : public toolkit::IDialogBuilderCallback {
 public:
  toolkit::CControlUI* CreateControl(const QString& tag) override {
    if (toolkit::CControlUI* own = CreateOwnControl(tag))
      return own;
    return CreateOwnLayoutControl(tag, this, nullptr);
  }
};

// The shipped skin loaded as the program loads it, with its own controls.
class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::CPaintManagerUI::SetResourcePath(kSkinDir);
    RegisterOwnControls();
    auto* resources = toolkit::CResourceManager::GetInstance();
    resources->Release();
    ASSERT_TRUE(resources->LoadResource("res.xml"));
    ASSERT_TRUE(resources->Errors().isEmpty()) << resources->Errors().join("\n").toStdString();
  }
  void TearDown() override { toolkit::CResourceManager::GetInstance()->Release(); }
};

}  // namespace skin_test
