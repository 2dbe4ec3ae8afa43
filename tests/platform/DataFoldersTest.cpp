#include <gtest/gtest.h>

#include <QDir>
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
