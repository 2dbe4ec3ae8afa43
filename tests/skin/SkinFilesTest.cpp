#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

#include "app/OwnControls.h"
#include "toolkit/CControlUI.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"
#include "skin/SkinTestFiles.h"

using namespace toolkit;

// Every file of the shipped skin must load without a single complaint: a
// broken skin must not land.
namespace {

using skin_test::kSkinDir;
using skin_test::ListSkinFiles;
using skin_test::RootElement;
using skin_test::TextIds;

using skin_test::OwnTags;

class SkinFiles : public skin_test::SkinTest {};

}  // namespace

TEST_F(SkinFiles, EveryFileLoadsCleanly) {
  const QStringList files = ListSkinFiles();
  ASSERT_FALSE(files.isEmpty());
  int layouts = 0;
  for (const QString& path : files) {
    SCOPED_TRACE(path.toStdString());
    const QString relative = QDir(kSkinDir).relativeFilePath(path);
    const QString root = RootElement(path);
    auto* resources = CResourceManager::GetInstance();
    if (root == "Resources") {
      EXPECT_TRUE(resources->LoadResource(relative));
      EXPECT_TRUE(resources->Errors().isEmpty()) << resources->Errors().join("\n").toStdString();
    } else if (root == "Language") {
      EXPECT_TRUE(resources->LoadLanguage(relative));
      EXPECT_TRUE(resources->Errors().isEmpty()) << resources->Errors().join("\n").toStdString();
    } else if (root == "Menu") {
      CMenuWnd* menu = CMenuWnd::CreateMenu(relative, QPoint(), 0);
      ASSERT_NE(menu, nullptr);
      EXPECT_TRUE(menu->Errors().isEmpty()) << menu->Errors().join("\n").toStdString();
      delete menu;
    } else {
      ASSERT_FALSE(root.isEmpty()) << "not readable as XML";
      CPaintManagerUI pm;
      CDialogBuilder builder;
      OwnTags tags;
      std::unique_ptr<CControlUI> control(builder.Create(relative, {}, &tags, &pm));
      EXPECT_NE(control, nullptr);
      EXPECT_TRUE(builder.Errors().isEmpty()) << builder.Errors().join("\n").toStdString();
      ++layouts;
    }
  }
  EXPECT_GT(layouts, 0);
}

TEST_F(SkinFiles, EveryIndexedLayoutExists) {
  QFile index(kSkinDir + "/res.xml");
  ASSERT_TRUE(index.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&index);
  int entries = 0;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() == QLatin1String("Resources"))
      continue;
    const QString file = xml.attributes().value("file").toString();
    EXPECT_FALSE(SkinFileLocator::Locate(kSkinDir, file).isEmpty()) << file.toStdString();
    ++entries;
  }
  EXPECT_GT(entries, 0);
}

TEST_F(SkinFiles, LanguageFilesHoldTheSameIds) {
  QStringList languages;
  for (const QString& path : ListSkinFiles())
    if (RootElement(path) == "Language")
      languages << path;
  ASSERT_GE(languages.size(), 2);
  const QSet<QString> reference = TextIds(languages.first());
  for (const QString& path : languages) {
    const QSet<QString> ids = TextIds(path);
    EXPECT_EQ(ids, reference) << path.toStdString() << " differs from "
                              << languages.first().toStdString();
  }
}
