#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/DataFolders.h"
#include "profiles/DeviceFiles.h"

namespace {

// A kind's files in a user folder of its own, the product's templates
// beside the sources.
class DeviceFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home_.path().toUtf8());
    platform::DataFolders::SetProgramDir(TRAVIX_SOURCE_DIR "/");
  }
  void TearDown() override {
    platform::DataFolders::SetProgramDir({});
    saved_.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", saved_);
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir home_;
  QByteArray saved_;
};

}  // namespace

TEST_F(DeviceFilesTest, TheLightingConfigurationIsCopiedOnceAndKept) {
  const DeviceFiles files(QStringLiteral("keyboard"), QStringLiteral("kaldo_light"));
  EXPECT_TRUE(files.Folder().startsWith(home_.path())) << files.Folder().toStdString();
  EXPECT_TRUE(QFileInfo(files.Folder()).isDir()) << "made when missing";
  const QString product = TRAVIX_SOURCE_DIR "/DefaultData/kaldo_light_keyboard.config";
  const QString path = files.LightConfigPath();
  EXPECT_EQ(path, files.Folder() + "kaldo_light.config");
  EXPECT_EQ(Bytes(path), Bytes(product));
  // The user's own stays as it is.
  QFile mine(path);
  ASSERT_TRUE(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
  mine.write("{\"mine\": 1}");
  mine.close();
  EXPECT_EQ(files.LightConfigPath(), path);
  EXPECT_EQ(Bytes(path), "{\"mine\": 1}");
  EXPECT_EQ(files.DefaultProfilePath(), TRAVIX_SOURCE_DIR "/DefaultData/keyboard.Json");
}

TEST_F(DeviceFilesTest, ALinkIsSetAsideAndProfileIdsArePlainNames) {
  const DeviceFiles files(QStringLiteral("mouse"), QStringLiteral("kaldo_light"));
  const QString elsewhere = home_.path() + "/elsewhere.config";
  ASSERT_TRUE(QFile::link(elsewhere, files.Folder() + "kaldo_light.config"));
  const QString path = files.LightConfigPath();
  EXPECT_FALSE(QFileInfo(path).isSymLink()) << "set aside, not followed";
  EXPECT_FALSE(QFile::exists(elsewhere));
  EXPECT_FALSE(Bytes(path).isEmpty()) << "the product's configuration in its place";

  EXPECT_EQ(files.ProfilePath(QStringLiteral("2024_01_01")), files.Folder() + "2024_01_01.Json");
  EXPECT_TRUE(files.ProfilePath(QStringLiteral("../x")).isEmpty());
  EXPECT_TRUE(files.ProfilePath(QString()).isEmpty());
  EXPECT_TRUE(DeviceFiles(QStringLiteral("pad"), QString()).LightConfigPath().isEmpty());
}
