#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "settings/MusicStyleFile.h"
#include "support/FileSizeLimit.h"

namespace {

class MusicStyles : public ::testing::Test {
 protected:
  QString Path() const { return dir_.path() + "/AudioFile.json"; }
  void WriteFile(const QByteArray& text) const {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  QByteArray ReadFile() const {
    QFile file(Path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // Four groups that differ in every value, group 2 in use.
  static MusicStyle Distinct() {
    MusicStyle style;
    style.nAudioStyle = 2;
    style.names = {"Rock 🎸", "摇滚", "ร็อค", "Jazz \"cool\""};
    style.colours = {MusicGroupColour{1, 2, 3}, {40, 50, 60}, {255, 0, 128}, {7, 8, 9}};
    return style;
  }

  QTemporaryDir dir_;
};

}  // namespace

TEST_F(MusicStyles, MissingBrokenAndHostileValuesReadAsDefaults) {
  const MusicStyle defaults = MusicStyleFile::DefaultStyle();
  EXPECT_EQ(defaults.nAudioStyle, 0);
  EXPECT_EQ(defaults.names, (std::array<QString, 4>{"第一组", "第二组", "第三组", "第四组"}));
  EXPECT_EQ(defaults.colours, (std::array<MusicGroupColour, 4>{}));
  EXPECT_EQ(MusicStyleFile::Load(Path()), defaults);
  EXPECT_FALSE(QFile::exists(Path())) << "reading makes no file";
  for (const char* broken : {"", "{\"AudioLightInfo\": {\"nAudioStyle\": 2", "[1]",
                             "{\"AudioLightInfo\": [3]}",
                             "{\"audiolightinfo\": {\"nAudioStyle\": 2}}"}) {
    WriteFile(broken);
    EXPECT_EQ(MusicStyleFile::Load(Path()), defaults) << broken;
  }

  WriteFile(R"({"AudioLightInfo": {"nAudioStyle": 4,
      "nStyleName1": 12, "nStyleName2": "", "nStyleName3": "   ", "nStyleName4": "\u6447\u6eda",
      "nStyleR0": 256, "nStyleG0": -1, "nStyleB0": "12",
      "nStyleR1": 1e300, "nStyleG1": {"v": 3}, "nStyleB1": null,
      "nStyleR2": 255, "nStyleG2": 0, "nStyleB2": 17,
      "nStyleR3": 4294967297, "nStyleG3": -2147483649, "nStyleB3": 9.0}})");
  const MusicStyle style = MusicStyleFile::Load(Path());
  EXPECT_EQ(style.nAudioStyle, 0);
  EXPECT_EQ(style.names, (std::array<QString, 4>{"第一组", "第二组", "第三组", "摇滚"}));
  EXPECT_EQ(style.colours, (std::array<MusicGroupColour, 4>{
                               MusicGroupColour{}, {}, {255, 0, 17}, {0, 0, 9}}));
  for (const char* group : {"-1", "\"2\"", "1e10", "[1]"}) {
    WriteFile(QByteArray("{\"AudioLightInfo\": {\"nAudioStyle\": ") + group + "}}");
    EXPECT_EQ(MusicStyleFile::Load(Path()).nAudioStyle, 0) << group;
  }
}

TEST_F(MusicStyles, SavedUnderTheFixedKeysKeepingTheRestOfTheFile) {
  WriteFile(R"({"AudioLightInfo": {"nAudioStyle": 1, "nStyleR1": 5, "nFuture": true},
               "Other": [1]})");
  ASSERT_TRUE(MusicStyleFile::Save(Path(), Distinct()));
  EXPECT_EQ(MusicStyleFile::Load(Path()), Distinct());

  // Names count from 1, colours from 0.
  const QJsonObject document = QJsonDocument::fromJson(ReadFile()).object();
  const QJsonObject info = document.value("AudioLightInfo").toObject();
  EXPECT_EQ(document.value("Other").toVariant(), QVariantList({1}));
  EXPECT_TRUE(info.value("nFuture").toBool());
  EXPECT_EQ(info.size(), 1 + 1 + 4 + 12);
  EXPECT_EQ(info.value("nAudioStyle").toInt(-1), 2);
  for (int group = 0; group < 4; ++group) {
    const MusicGroupColour colour = Distinct().colours[group];
    const QString name = info.value(QString("nStyleName%1").arg(group + 1)).toString();
    EXPECT_EQ(name, Distinct().names[group]);
    EXPECT_EQ(info.value(QString("nStyleR%1").arg(group)).toInt(-1), colour.red) << group;
    EXPECT_EQ(info.value(QString("nStyleG%1").arg(group)).toInt(-1), colour.green) << group;
    EXPECT_EQ(info.value(QString("nStyleB%1").arg(group)).toInt(-1), colour.blue) << group;
  }

  // Empty names are written as the default names, a stray group as 0.
  MusicStyle style = Distinct();
  style.names = {"", " \t", "x", ""};
  style.nAudioStyle = 4;
  ASSERT_TRUE(MusicStyleFile::Save(Path(), style));
  const MusicStyle read = MusicStyleFile::Load(Path());
  EXPECT_EQ(read.names, (std::array<QString, 4>{"第一组", "第二组", "x", "第四组"}));
  EXPECT_EQ(read.nAudioStyle, 0);
}

TEST_F(MusicStyles, AFailedWriteLeavesTheOldFile) {
  ASSERT_TRUE(MusicStyleFile::Save(Path(), MusicStyleFile::DefaultStyle()));
  const QByteArray before = ReadFile();
  {
    testing_support::FileSizeLimit full(16);
    ASSERT_TRUE(full.Active());
    EXPECT_FALSE(MusicStyleFile::Save(Path(), Distinct()));
  }
  EXPECT_EQ(ReadFile(), before);
}

TEST_F(MusicStyles, TheRecorderRecordCarriesTheGroupInUse) {
  MusicStyle style = Distinct();
  style.colours[2] = {0x12, 0x00, 0xFE};
  std::array<uint8_t, 40> expected{};
  expected[0] = 0x12;
  expected[4] = 0x01;  // a green of 0 goes as 1
  expected[8] = 0xFE;
  EXPECT_EQ(MusicStyleFile::RecorderColourRecord(style), expected);

  style.nAudioStyle = 9;
  expected = {};
  expected[0] = 1;
  expected[4] = 2;
  expected[8] = 3;
  EXPECT_EQ(MusicStyleFile::RecorderColourRecord(style), expected) << "a stray group is group 0";
}
