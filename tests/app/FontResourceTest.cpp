#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>

#include "app/FontResource.h"
#include "platform/DataFolders.h"

namespace {

class Fonts : public ::testing::Test {
 protected:
  void SetUp() override { platform::DataFolders::SetProgramDir(program_.path()); }
  void TearDown() override { platform::DataFolders::SetProgramDir({}); }
  QTemporaryDir program_;
};

}  // namespace

TEST_F(Fonts, MissingFolderOrBrokenFileIsSkipped) {
  FontResource missing;
  EXPECT_FALSE(missing.Load("Font\\Strayne-Regular.otf"));
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_EQ(missing.Path(), program_.path() + "/Font/Strayne-Regular.otf");

  ASSERT_TRUE(QDir(program_.path()).mkdir("Font"));
  QFile broken(program_.path() + "/Font/broken.ttf");
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("not a font");
  broken.close();
  FontResource bad;
  EXPECT_FALSE(bad.Load("Font/broken.ttf"));
}

TEST_F(Fonts, AReadableFontIsAddedAndRemovedAgain) {
  const QString system = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!QFile::exists(system))
    GTEST_SKIP() << "no DejaVu font on this machine";
  ASSERT_TRUE(QDir(program_.path()).mkdir("Font"));
  ASSERT_TRUE(QFile::copy(system, program_.path() + "/Font/Simplified_Chinese.ttf"));
  const int before = QFontDatabase::families().size();
  {
    FontResource font;
    EXPECT_TRUE(font.Load("Font\\Simplified_Chinese.ttf"));
    EXPECT_TRUE(font.IsLoaded());
  }
  EXPECT_EQ(QFontDatabase::families().size(), before);
}
