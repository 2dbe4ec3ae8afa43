#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/DataFolders.h"

using platform::DataFolders;

namespace {

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    savedData_ = qgetenv("XDG_DATA_HOME");
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", home_.path().toUtf8());
  }
  void TearDown() override {
    qputenv("XDG_DATA_HOME", savedData_);
    qputenv("HOME", savedHome_);
    DataFolders::SetProgramDir({});
  }
  QTemporaryDir home_;
  QTemporaryDir data_;
  QByteArray savedData_, savedHome_;
};

}  // namespace

TEST_F(Folders, UserFoldersAreCreatedAndEndWithASlash) {
  qputenv("XDG_DATA_HOME", data_.path().toUtf8());
  const QString user = DataFolders::UserDataDir();
  EXPECT_EQ(user, data_.path() + "/RUDAVAVE DADAV UDU417/");
  EXPECT_TRUE(QFileInfo(user).isDir());
  const QString keyboard = DataFolders::DeviceFolder("keyboard");
  EXPECT_EQ(keyboard, user + "keyboard/");
  EXPECT_TRUE(QFileInfo(keyboard).isDir());
  // Asking again with the folders present changes nothing.
  EXPECT_EQ(DataFolders::DeviceFolder("keyboard"), keyboard);
}

TEST_F(Folders, WithoutXdgDataHomeTheHomeShareIsUsed) {
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DataFolders::UserDataDir(), home_.path() + "/.local/share/RUDAVAVE DADAV UDU417/");
  // A relative value is not valid and is ignored.
  qputenv("XDG_DATA_HOME", "relative/path");
  EXPECT_EQ(DataFolders::UserDataDir(), home_.path() + "/.local/share/RUDAVAVE DADAV UDU417/");
  EXPECT_TRUE(QFileInfo(home_.path() + "/.local/share/RUDAVAVE DADAV UDU417").isDir());
}

TEST_F(Folders, ProgramFoldersFollowTheProgramDir) {
  DataFolders::SetProgramDir(data_.path());
  EXPECT_EQ(DataFolders::ProgramDir(), data_.path() + "/");
  EXPECT_EQ(DataFolders::DefaultDataDir(), data_.path() + "/DefaultData/");
  DataFolders::SetProgramDir({});
  // Beside the executable by default.
  EXPECT_TRUE(DataFolders::ProgramDir().endsWith('/'));
}

// What saves cut short left in the program's folders goes at start; the
// user's own files, anything deeper, and anything reached through a link
// stay.
TEST_F(Folders, LeftoverTemporaryFilesAreRemovedOnlyFromTheProgramsFolders) {
  qputenv("XDG_DATA_HOME", data_.path().toUtf8());
  auto put = [](const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
  };
  const QString user = DataFolders::UserDataDir();
  const QString keyboard = DataFolders::DeviceFolder("keyboard");
  const QString hd = DataFolders::DeviceFolder("HD");
  const QString deeper = keyboard + "deeper/";
  const QString other = user + "other/";
  QDir().mkpath(deeper);
  QDir().mkpath(other);
  QTemporaryDir outside;
  put(outside.path() + "/p.Json.AbCdEf");
  ASSERT_TRUE(QFile::link(outside.path(), user + "mouse"));

  const QStringList leftovers = {user + "color_option_info.config.QwErTy",
                                 user + ".color_option_info.config.travix-tmp.a1B2c3",
                                 keyboard + "ProfileList.ini.AbCdEf",
                                 keyboard + "2024_01_01_00_00_00_001.Json.XyZAbc",
                                 keyboard + ".ProfileList.ini.travix-tmp.Zz9Yy8",
                                 hd + "macro.config.ABcdEF"};
  const QStringList kept = {user + "notes.txt",
                            keyboard + "abc.Json.backup",
                            keyboard + "x.Json.1234567",
                            keyboard + "2024_01_01_00_00_00_001.Json",
                            keyboard + "2024_01_01_00_00_00_001.Json.broken",
                            deeper + "p.Json.AbCdEf",
                            other + "p.Json.AbCdEf",
                            outside.path() + "/p.Json.AbCdEf"};
  for (const QString& path : leftovers + kept)
    put(path);

  EXPECT_EQ(DataFolders::RemoveLeftoverTemporaryFiles(), leftovers.size());
  for (const QString& path : leftovers)
    EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
  for (const QString& path : kept)
    EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
}
