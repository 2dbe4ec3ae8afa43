#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include "support/SkinFixture.h"
#include "toolkit/CDPI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"
#include "toolkit/SkinImage.h"
#include "toolkit/SkinValue.h"

using namespace toolkit;
using testing_support::SkinTest;

TEST(SkinValue, ParsesColoursBoolsAndRectangles) {
  EXPECT_EQ(SkinValue::ParseColor("#FF102030"), QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(SkinValue::ParseColor("#80102030")->alpha(), 0x80);
  EXPECT_EQ(SkinValue::ParseColor("0xFF102030"), QColor(0x10, 0x20, 0x30));
  EXPECT_EQ(SkinValue::ParseColor("102030")->alpha(), 255);
  EXPECT_FALSE(SkinValue::ParseColor("#12345"));
  EXPECT_FALSE(SkinValue::ParseColor("#GG102030"));
  EXPECT_EQ(SkinValue::ParseBool("true"), true);
  EXPECT_EQ(SkinValue::ParseBool("0"), false);
  EXPECT_FALSE(SkinValue::ParseBool("yes"));
  EXPECT_EQ(SkinValue::ParseRectLTRB("10,5,30,25"), QRect(10, 5, 20, 20));
  EXPECT_FALSE(SkinValue::ParseRectLTRB("10,5,30"));
  EXPECT_EQ(SkinValue::ParseSize("800,572"), QSize(800, 572));
  EXPECT_FALSE(SkinValue::ParseInt("12px"));
}

TEST(SkinValue, ParsesAttributeListsWithEitherQuote) {
  auto list = SkinValue::ParseAttributeList(R"( file="a b.png"  source='0,0,4,4' )");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0].second, "a b.png");
  EXPECT_EQ((*list)[1].first, "source");
  EXPECT_FALSE(SkinValue::ParseAttributeList(R"(file="unterminated)"));
  EXPECT_FALSE(SkinValue::ParseAttributeList(R"(file=noquotes)"));
  EXPECT_TRUE(SkinValue::ParseAttributeList("  ")->empty());
}

TEST(SkinImage, PlainNameOrDescription) {
  EXPECT_EQ(SkinImage::Parse("img/a.png")->file, "img/a.png");
  auto image = SkinImage::Parse("file='a.png' source='0,0,10,10' corner='1,2,3,4' fade='128'");
  ASSERT_TRUE(image);
  EXPECT_EQ(*image->source, QRect(0, 0, 10, 10));
  EXPECT_EQ(image->corner, QMargins(1, 2, 3, 4));
  EXPECT_EQ(image->fade, 128);
  EXPECT_FALSE(SkinImage::Parse("source='0,0,1,1'")) << "no file";
  EXPECT_FALSE(SkinImage::Parse("file='a.png' colour='red'"));
  EXPECT_TRUE(SkinImage::Parse("")->IsEmpty());
}

TEST(CDPI, AcceptsQuarterStepsFromHalfToDouble) {
  CDPI dpi;
  EXPECT_EQ(dpi.GetDPI(), 96);
  for (int value : {48, 72, 96, 120, 144, 168, 192})
    EXPECT_TRUE(dpi.SetScale(value)) << value;
  for (int value : {0, 24, 100, 216, -96})
    EXPECT_FALSE(dpi.SetScale(value)) << value;
  EXPECT_EQ(dpi.GetDPI(), 192);
  EXPECT_EQ(dpi.GetScale(), 200);
  EXPECT_EQ(dpi.Scale(QRect(1, 2, 3, 4)), QRect(2, 4, 6, 8));
  dpi.SetScale(120);
  EXPECT_EQ(dpi.Scale(100), 125);
}

TEST(SkinFileLocator, FindsFilesWhateverTheCaseAndSeparator) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkpath("XML/Menus"));
  QFile file(dir.filePath("XML/Menus/Macro_Action_Menu.xml"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  const QString expected = QDir::cleanPath(file.fileName());
  EXPECT_EQ(SkinFileLocator::Locate(dir.path(), "XML\\Menus\\macro_action_menu.xml"), expected);
  EXPECT_EQ(SkinFileLocator::Locate(dir.path(), "xml/menus/MACRO_ACTION_MENU.XML"), expected);
  EXPECT_EQ(SkinFileLocator::Locate(dir.path() + "/", "XML/Menus/Macro_Action_Menu.xml"),
            expected);
  EXPECT_TRUE(SkinFileLocator::Locate(dir.path(), "XML\\Menus\\other.xml").isEmpty());
  EXPECT_TRUE(SkinFileLocator::Locate(dir.path(), "XML\\Menus").isEmpty()) << "a folder is no file";
  EXPECT_TRUE(SkinFileLocator::Locate(dir.path(), "").isEmpty());
}

namespace {
class Resources : public SkinTest {};

struct Answering : IQueryControlText {
  CDuiString QueryControlText(const CDuiString& id, const CDuiString&) override {
    ++asked;
    return id == "asked_id" ? "answer" : QString();
  }
  int asked = 0;
};
}  // namespace

TEST_F(Resources, IndexNamesLayoutsImagesAndIcons) {
  auto* resources = CResourceManager::GetInstance();
  EXPECT_EQ(resources->GetXmlPath("XML_SAMPLE"), "sample.xml");
  EXPECT_EQ(resources->GetImagePath("IMG_DOT"), "sub/dot.png");
  EXPECT_EQ(resources->GetIconPath(107), "sub/dot.png");
  EXPECT_TRUE(resources->GetXmlPath("XML_NONE").isEmpty());
  EXPECT_FALSE(resources->LoadResource("missing_res.xml"));
  EXPECT_EQ(resources->GetXmlPath("XML_SAMPLE"), "sample.xml") << "a failed load keeps the index";
}

TEST_F(Resources, LanguageTextsSwitchOnReloadText) {
  auto* resources = CResourceManager::GetInstance();
  ASSERT_TRUE(resources->LoadLanguage("lan_one.xml"));
  auto window = MakeWindow();
  CControlUI* title = window->FindControl("title");
  auto* label = title->findChild<QLabel*>();
  EXPECT_EQ(title->GetText(), "Title one");
  EXPECT_EQ(label->text(), "Title one");
  EXPECT_EQ(title->GetRawText(), "title_id");

  ASSERT_TRUE(resources->LoadLanguage("lan_two.xml"));
  EXPECT_EQ(title->GetText(), "Title two");
  EXPECT_EQ(label->text(), "Title two") << "loading a language shows its texts at once";
  // A text changed behind the toolkit's back shows again on ReloadText.
  label->setText("stale");
  resources->ReloadText();
  EXPECT_EQ(label->text(), "Title two");

  // A broken or missing language file keeps the texts.
  EXPECT_FALSE(resources->LoadLanguage("no_language.xml"));
  EXPECT_EQ(title->GetText(), "Title two");
}

TEST_F(Resources, UnknownIdsAskTheQueryInterfaceOnceOrShowTheId) {
  auto* resources = CResourceManager::GetInstance();
  ASSERT_TRUE(resources->LoadLanguage("lan_one.xml"));
  EXPECT_EQ(resources->GetText("unknown_id"), "unknown_id");
  Answering query;
  resources->SetTextQueryInterface(&query);
  EXPECT_EQ(resources->GetText("asked_id"), "answer");
  EXPECT_EQ(resources->GetText("asked_id"), "answer");
  EXPECT_EQ(resources->GetText("other_id"), "");
  EXPECT_EQ(query.asked, 2) << "answers are remembered";
  EXPECT_EQ(resources->GetText("title_id"), "Title one") << "the language file comes first";
  resources->SetTextQueryInterface(nullptr);
}
