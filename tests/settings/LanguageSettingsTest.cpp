#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "settings/LanguageFonts.h"
#include "settings/LanguageList.h"
#include "settings/LanguageStore.h"

namespace {

class Languages : public ::testing::Test {
 protected:
  void SetUp() override { list_ = LanguageList::Load(kShippedList); }
  QString Write(const QByteArray& text) {
    const QString path = dir_.path() + "/Language.config";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
  }
  QString StorePath() const { return dir_.path() + "/config/product/product.conf"; }

  static constexpr const char* kShippedList = TRAVIX_SOURCE_DIR "/DefaultData/Language.config";
  QTemporaryDir dir_;
  LanguageList list_;
};

}  // namespace

TEST_F(Languages, TheShippedListHasItsLanguagesInTheirPlaces) {
  ASSERT_EQ(list_.Count(), 4);
  EXPECT_EQ(list_.At(0)->Id, LanguageFonts::kSimplifiedChinese);
  EXPECT_EQ(list_.At(0)->File, "lan_cn.xml");
  EXPECT_EQ(list_.At(1)->Id, LanguageList::kDefaultId) << "English is the default language";
  EXPECT_EQ(list_.At(2)->Id, LanguageFonts::kTraditionalChinese);
  EXPECT_EQ(list_.At(3)->Id, LanguageFonts::kThai);
  for (int i = 0; i < list_.Count(); ++i) {
    EXPECT_TRUE(QFile::exists(QStringLiteral(TRAVIX_SOURCE_DIR "/skin/") + list_.At(i)->File))
        << list_.At(i)->File.toStdString();
    EXPECT_FALSE(list_.At(i)->TextId.isEmpty());
  }
  EXPECT_EQ(list_.At(4), nullptr);
  EXPECT_EQ(list_.At(-1), nullptr);
}

TEST_F(Languages, DesktopLocalesFindTheirLanguage) {
  EXPECT_EQ(list_.IndexOfLocale("en_US.UTF-8"), 1);
  EXPECT_EQ(list_.IndexOfLocale("en_GB"), 1);
  EXPECT_EQ(list_.IndexOfLocale("zh_CN.UTF-8"), 0);
  EXPECT_EQ(list_.IndexOfLocale("zh_TW.UTF-8"), 2);
  EXPECT_EQ(list_.IndexOfLocale("zh_HK.Big5"), 2) << "the region before the language";
  EXPECT_EQ(list_.IndexOfLocale("zh_SG"), 0);
  EXPECT_EQ(list_.IndexOfLocale("th_TH.UTF-8@euro"), 3);
  EXPECT_EQ(list_.IndexOfLocale("fr_FR.UTF-8"), -1);
  EXPECT_EQ(list_.IndexOfLocale("C.UTF-8"), -1);
  EXPECT_EQ(list_.IndexOfLocale("POSIX"), -1);
  EXPECT_EQ(list_.IndexOfLocale(""), -1);
}

TEST_F(Languages, AListFileNamesOnlyPlainFilesOfTheSkin) {
  const QString path = Write(R"({"Language": [
    {"Language_ID": 1, "Language_name": "a", "Language_file": "../../etc/passwd.xml"},
    {"Language_ID": 2, "Language_name": "b", "Language_file": "/tmp/x.xml"},
    {"Language_ID": 3, "Language_name": "c", "Language_file": "sub\\x.xml"},
    {"Language_ID": 4, "Language_name": "d", "Language_file": "lan_x.txt"},
    {"Language_ID": 5, "Language_name": "e", "Language_file": "lan_e.xml", "Language_text": "t"},
    "not an object",
    {"Language_ID": "six", "Language_file": 6}
  ]})");
  const LanguageList list = LanguageList::Load(path);
  ASSERT_EQ(list.Count(), 7) << "every element keeps its position";
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(list.At(i)->File.isEmpty()) << i;
  EXPECT_EQ(list.At(4)->File, "lan_e.xml");
  EXPECT_EQ(list.At(4)->TextId, "t");
  EXPECT_EQ(list.At(5)->Id, 0);
  EXPECT_EQ(list.At(6)->Id, 0);
  EXPECT_TRUE(list.At(6)->File.isEmpty());
  EXPECT_EQ(list.IndexOfId(5), 4);
  EXPECT_EQ(list.IndexOfId(99), -1);

  EXPECT_EQ(LanguageList::Load(Write("{not json")).Count(), 0);
  EXPECT_EQ(LanguageList::Load(Write(R"({"Language": {}})")).Count(), 0);
  EXPECT_EQ(LanguageList::Load(dir_.path() + "/missing").Count(), 0);
}

TEST_F(Languages, TheStoredLanguageAndItsFallbacks) {
  LanguageStore store(StorePath());
  EXPECT_FALSE(store.Exists());
  EXPECT_EQ(store.ReadStoredLanguage(list_), 0) << "no store: the first language";

  // A store without a value looks for the default id (English).
  store.CreateOnFirstStart(list_, "fr_FR.UTF-8");
  ASSERT_TRUE(store.Exists()) << "made as an installer would";
  EXPECT_EQ(store.StoredId(), -1);
  EXPECT_EQ(store.ReadStoredLanguage(list_), 1);
  // ... and index 0 when the list has no such id.
  const LanguageList withoutDefault = LanguageList::Load(
      Write(R"({"Language": [{"Language_ID": 7}, {"Language_ID": 8}]})"));
  EXPECT_EQ(store.ReadStoredLanguage(withoutDefault), 0);

  ASSERT_TRUE(store.StoreLanguageId(1028));
  EXPECT_EQ(store.ReadStoredLanguage(list_), 2);
  EXPECT_EQ(LanguageStore(StorePath()).StoredId(), 1028) << "kept in the file";
  ASSERT_TRUE(store.StoreLanguageId(4242));
  EXPECT_EQ(store.ReadStoredLanguage(list_), 0) << "an id not in the list";
  // An unreadable list: index 0.
  EXPECT_EQ(store.ReadStoredLanguage(LanguageList::Load(dir_.path() + "/missing")), 0);

  // A store that does not parse is written anew, and says it was.
  QFile damaged(StorePath());
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
  damaged.write("[Gener[GenVral]\n\x7f" "029\n");
  damaged.close();
  EXPECT_TRUE(store.StoreLanguageId(1054));
  EXPECT_EQ(LanguageStore(StorePath()).StoredId(), 1054);
  // A negative id names no language. (Another file: the settings class
  // keeps what it read of a file by its name and time.)
  QFile negative(dir_.path() + "/negative.conf");
  ASSERT_TRUE(negative.open(QIODevice::WriteOnly));
  negative.write("[General]\nLANGUAGE=-109\n");
  negative.close();
  EXPECT_EQ(LanguageStore(negative.fileName()).StoredId(), -1);
  EXPECT_EQ(LanguageStore(negative.fileName()).ReadStoredLanguage(list_), 1) << "the default language";
}

TEST_F(Languages, AFirstStartFollowsTheDesktopAndALaterOneTheStore) {
  LanguageStore store(StorePath());
  store.CreateOnFirstStart(list_, "en_US.UTF-8");
  EXPECT_EQ(store.StoredId(), LanguageList::kDefaultId);
  EXPECT_EQ(store.ReadStoredLanguage(list_), 1);
  // The user chose Thai: a later start with another locale keeps it.
  ASSERT_TRUE(store.StoreLanguageId(LanguageFonts::kThai));
  store.CreateOnFirstStart(list_, "zh_TW.UTF-8");
  EXPECT_EQ(store.ReadStoredLanguage(list_), 3);

  LanguageStore other(dir_.path() + "/other/store.conf");
  other.CreateOnFirstStart(list_, "zh_TW.UTF-8");
  EXPECT_EQ(other.ReadStoredLanguage(list_), 2);
}

TEST_F(Languages, FacesChangeOnlyWhereALanguageHasItsOwn) {
  const int english = LanguageList::kDefaultId;
  const int other = 1036;  // a language of the default face
  EXPECT_EQ(LanguageFonts::FaceToSet(std::nullopt, english), "Verdana Unicode MS")
      << "the first language always sets the face";
  EXPECT_EQ(LanguageFonts::FaceToSet(std::nullopt, LanguageFonts::kSimplifiedChinese),
            "汉仪菱心体简");
  EXPECT_EQ(LanguageFonts::FaceToSet(LanguageFonts::kSimplifiedChinese, english),
            "Verdana Unicode MS");
  EXPECT_EQ(LanguageFonts::FaceToSet(english, other), std::nullopt)
      << "between two languages of the default face the fonts stay";
  EXPECT_EQ(LanguageFonts::FaceToSet(english, LanguageFonts::kTraditionalChinese),
            "Noto Sans CJK TC Regular");
  EXPECT_EQ(LanguageFonts::FaceToSet(LanguageFonts::kTraditionalChinese, LanguageFonts::kThai),
            "Noto Sans Thai");
  EXPECT_EQ(LanguageFonts::FaceToSet(LanguageFonts::kThai, 0), "Verdana Unicode MS");
}
