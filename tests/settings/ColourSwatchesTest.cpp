#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include "settings/ColourSwatches.h"

namespace {

constexpr const char* kShippedTemplate = TRAVIX_SOURCE_DIR "/DefaultData/color_option_info.config";

// A swatch file with every kind of entry: presets with and without a
// colour, filled and empty places, and a member of its own.
constexpr const char* kUserFile = R"({
  "coloroptioninfo": {
    "palletDialogcoloroption": [
      {"color": "FF102030"}, {"color": "ff405060"}, {"color": "00123456"}, {"color": "nonsense"},
      {"color": 255}, {}
    ],
    "palletDialogcoloroption_selectitem": 1,
    "palletDialogcollectcoloroption": [
      {"color": "FF0000FF", "UserData": "1"},
      {"color": "FF00FF00", "UserData": "0"},
      {"color": "not hex", "UserData": "1"},
      {"color": "0x00ABCDEF", "UserData": "1"}
    ],
    "palletDialogcollectcoloroption_selectitem": 3,
    "kept": "as it was"
  }
})";

class Swatches : public ::testing::Test {
 protected:
  QString UserPath() const { return dir_.path() + "/user/" + ColourSwatches::kFileName; }
  QString TemplatePath() const { return dir_.path() + "/DefaultData/" + ColourSwatches::kFileName; }

  static void WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
  }
  static QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static QJsonObject Info(const QString& path) {
    return QJsonDocument::fromJson(ReadFile(path)).object().value("coloroptioninfo").toObject();
  }
  void InstallTemplate() {
    ASSERT_TRUE(QFile::copy(kShippedTemplate, TemplatePath()));
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath("user"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("DefaultData"));
  }

  QTemporaryDir dir_;
};

}  // namespace

TEST_F(Swatches, TheShippedTemplateHasTwentyDistinctPresetsAndTwentyEmptyPlaces) {
  const ColourSwatches swatches = ColourSwatches::Load(QString(), kShippedTemplate);
  ASSERT_TRUE(swatches.CameFromTemplate());
  QSet<uint32_t> colours;
  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    ASSERT_TRUE(swatches.Preset(i).has_value()) << i;
    EXPECT_EQ(*swatches.Preset(i) >> 24, 0xFFu) << "opaque: " << i;
    colours.insert(*swatches.Preset(i));
    EXPECT_FALSE(swatches.Collected(i).IsFilled()) << i;
    EXPECT_EQ(swatches.Collected(i).Colour, ColourSwatches::kEmptyColour) << i;
  }
  EXPECT_EQ(colours.size(), ColourSwatches::kCount);
  EXPECT_EQ(swatches.SelectedPreset(), -1) << "no preset is highlighted before the user picks one";
  EXPECT_EQ(swatches.SelectedCollected(), -1);
}

TEST_F(Swatches, AMissingUserFileIsFilledFromTheTemplate) {
  InstallTemplate();
  const ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_TRUE(swatches.CameFromTemplate());
  EXPECT_EQ(swatches.Path(), UserPath());
  EXPECT_EQ(swatches.Preset(0), 0xFFFF0000u);
  ASSERT_TRUE(QFile::exists(UserPath())) << "the template is saved as the user's file";
  EXPECT_EQ(QJsonDocument::fromJson(ReadFile(UserPath())),
            QJsonDocument::fromJson(ReadFile(TemplatePath())));
  // The next start reads the user's own copy.
  EXPECT_FALSE(ColourSwatches::Load(UserPath(), TemplatePath()).CameFromTemplate());
}

TEST_F(Swatches, AnEmptyOrBrokenUserFileFallsBackToTheTemplate) {
  InstallTemplate();
  for (const QByteArray& broken :
       {QByteArray(), QByteArray("{\"coloroptioninfo\": [1, 2"), QByteArray("[]"),
        QByteArray("{\"something\": {}}"), QByteArray("{\"coloroptioninfo\": 7}")}) {
    SCOPED_TRACE(broken.toStdString());
    WriteFile(UserPath(), broken);
    const ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
    EXPECT_TRUE(swatches.CameFromTemplate());
    EXPECT_EQ(swatches.Preset(11), 0xFF0000FFu);
    EXPECT_EQ(Info(UserPath()).value("palletDialogcoloroption").toArray().size(), 20)
        << "the broken file is replaced by the template";
  }
}

TEST_F(Swatches, WithoutAnyFileThereAreNoSwatchesAndNothingIsWritten) {
  const ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_FALSE(swatches.CameFromTemplate());
  for (int i = 0; i < ColourSwatches::kCount; ++i) {
    EXPECT_FALSE(swatches.Preset(i).has_value()) << i;
    EXPECT_FALSE(swatches.Collected(i).IsFilled()) << i;
  }
  EXPECT_EQ(swatches.SelectedPreset(), -1);
  EXPECT_EQ(swatches.SelectedCollected(), -1);
  EXPECT_FALSE(QFile::exists(UserPath()));
}

TEST_F(Swatches, TheUsersOwnFileIsReadAsItIsAndLeftAlone) {
  InstallTemplate();
  WriteFile(UserPath(), kUserFile);
  const ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_FALSE(swatches.CameFromTemplate());
  EXPECT_EQ(ReadFile(UserPath()), QByteArray(kUserFile)) << "reading writes nothing";

  // Presets: hexadecimal of either case; an alpha other than FF is made
  // opaque; what is no hexadecimal string gives no colour.
  EXPECT_EQ(swatches.Preset(0), 0xFF102030u);
  EXPECT_EQ(swatches.Preset(1), 0xFF405060u);
  EXPECT_EQ(swatches.Preset(2), 0xFF123456u);
  EXPECT_FALSE(swatches.Preset(3).has_value()) << "not hexadecimal";
  EXPECT_FALSE(swatches.Preset(4).has_value()) << "a number, not a string";
  EXPECT_FALSE(swatches.Preset(5).has_value()) << "no colour at all";
  EXPECT_FALSE(swatches.Preset(19).has_value()) << "beyond the file's list";
  EXPECT_EQ(swatches.SelectedPreset(), 1);

  // Collected places: only "UserData" "1" holds a colour, and only one that
  // can be read.
  EXPECT_TRUE(swatches.Collected(0).IsFilled());
  EXPECT_EQ(swatches.Collected(0).Colour, 0xFF0000FFu);
  EXPECT_FALSE(swatches.Collected(1).IsFilled());
  EXPECT_EQ(swatches.Collected(1).Colour, ColourSwatches::kEmptyColour)
      << "an empty place shows white, whatever colour it names";
  EXPECT_EQ(swatches.Collected(1).UserData, "0");
  EXPECT_FALSE(swatches.Collected(2).IsFilled()) << "a colour that cannot be read";
  EXPECT_TRUE(swatches.Collected(3).IsFilled());
  EXPECT_EQ(swatches.Collected(3).Colour, 0xFFABCDEFu);
  EXPECT_FALSE(swatches.Collected(10).IsFilled()) << "beyond the file's list";
  EXPECT_EQ(swatches.SelectedCollected(), 3);
}

TEST_F(Swatches, SelectionsOutsideTheSetsSelectNothing) {
  WriteFile(UserPath(), R"({"coloroptioninfo": {"palletDialogcoloroption_selectitem": 20,
                           "palletDialogcollectcoloroption_selectitem": "2"}})");
  ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_EQ(swatches.SelectedPreset(), -1);
  EXPECT_EQ(swatches.SelectedCollected(), -1) << "a string is no position";
  swatches.SelectPreset(19);
  EXPECT_EQ(swatches.SelectedPreset(), 19);
  swatches.SelectPreset(20);
  EXPECT_EQ(swatches.SelectedPreset(), -1);
  swatches.SelectCollected(-3);
  EXPECT_EQ(swatches.SelectedCollected(), -1);
  // Places outside the set are empty and stay so.
  swatches.FillCollected(20, 0xFF112233);
  swatches.SetPreset(-1, 0xFF112233);
  EXPECT_FALSE(swatches.Collected(20).IsFilled());
  EXPECT_FALSE(swatches.Collected(-1).IsFilled());
  EXPECT_FALSE(swatches.Preset(-1).has_value());
}

TEST_F(Swatches, ColoursAreReadAndWrittenAsHexadecimal) {
  EXPECT_EQ(ColourSwatches::ParseColour("FF00FF80"), 0xFF00FF80u);
  EXPECT_EQ(ColourSwatches::ParseColour("ff00ff80"), 0xFF00FF80u);
  EXPECT_EQ(ColourSwatches::ParseColour("0xFF102030"), 0xFF102030u);
  EXPECT_EQ(ColourSwatches::ParseColour(" FF102030 "), 0xFF102030u);
  EXPECT_EQ(ColourSwatches::ParseColour("123"), 0x123u);
  EXPECT_EQ(ColourSwatches::ParseColour("FFFFFFFF"), 0xFFFFFFFFu);
  for (const char* bad : {"", "0x", "GG000000", "FF00FF801", "-1", "+FF", "FF 00", "１２"})
    EXPECT_FALSE(ColourSwatches::ParseColour(QString::fromUtf8(bad)).has_value()) << bad;

  EXPECT_EQ(ColourSwatches::FormatColour(0xFF00FF80), "FF00FF80");
  EXPECT_EQ(ColourSwatches::FormatColour(0xFFABCDEF), "FFABCDEF") << "upper case";
  EXPECT_EQ(ColourSwatches::FormatColour(0x0000000A), "0000000A") << "eight digits";
  EXPECT_EQ(ColourSwatches::ParseColour(ColourSwatches::FormatColour(0xFF7F0001)), 0xFF7F0001u);
}

TEST_F(Swatches, SavingRewritesTheChangedSetAndLeavesTheOtherAsTheFileHasIt) {
  WriteFile(UserPath(), kUserFile);
  ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());

  // A collected selection that was never saved stays out of the file when
  // the presets are saved.
  swatches.SelectCollected(5);
  swatches.SelectPreset(4);
  swatches.SetPreset(3, 0x00C0FFEE);
  ASSERT_TRUE(swatches.SavePresets());
  QJsonObject info = Info(UserPath());
  QJsonArray presets = info.value("palletDialogcoloroption").toArray();
  ASSERT_EQ(presets.size(), 20);
  EXPECT_EQ(presets[0].toObject().value("color").toString(), "FF102030");
  EXPECT_EQ(presets[1].toObject().value("color").toString(), "FF405060") << "upper case again";
  EXPECT_EQ(presets[3].toObject().value("color").toString(), "FFC0FFEE");
  EXPECT_FALSE(presets[4].toObject().contains("color")) << "a preset without a colour stays so";
  EXPECT_EQ(info.value("palletDialogcoloroption_selectitem").toInt(), 4);
  EXPECT_EQ(info.value("palletDialogcollectcoloroption_selectitem").toInt(), 3);
  EXPECT_EQ(info.value("palletDialogcollectcoloroption").toArray().size(), 4)
      << "the collected set is as the file had it";
  EXPECT_EQ(info.value("kept").toString(), "as it was");

  swatches.FillCollected(5, 0xFF00AA11);
  ASSERT_TRUE(swatches.SaveCollected());
  info = Info(UserPath());
  const QJsonArray collected = info.value("palletDialogcollectcoloroption").toArray();
  ASSERT_EQ(collected.size(), 20);
  EXPECT_EQ(collected[5].toObject().value("color").toString(), "FF00AA11");
  EXPECT_EQ(collected[5].toObject().value("UserData").toString(), "1");
  EXPECT_EQ(collected[1].toObject().value("color").toString(), "FFFFFFFF");
  EXPECT_EQ(collected[1].toObject().value("UserData").toString(), "0") << "its own user data";
  EXPECT_EQ(collected[2].toObject().value("UserData").toString(), "")
      << "a place that could not be read is written as empty";
  EXPECT_EQ(info.value("palletDialogcollectcoloroption_selectitem").toInt(), 5);
  EXPECT_EQ(info.value("palletDialogcoloroption_selectitem").toInt(), 4);
  EXPECT_EQ(info.value("kept").toString(), "as it was");

  // What was saved is what is read next time.
  const ColourSwatches again = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_FALSE(again.CameFromTemplate());
  EXPECT_EQ(again.Preset(3), 0xFFC0FFEEu);
  EXPECT_EQ(again.SelectedPreset(), 4);
  EXPECT_TRUE(again.Collected(5).IsFilled());
  EXPECT_EQ(again.Collected(5).Colour, 0xFF00AA11u);
  EXPECT_EQ(again.Collected(0).Colour, 0xFF0000FFu);
  EXPECT_EQ(again.SelectedCollected(), 5);
}

TEST_F(Swatches, AFirstSaveWithoutAnyFileMakesTheUsersFile) {
  ColourSwatches swatches = ColourSwatches::Load(UserPath(), TemplatePath());
  swatches.SelectCollected(0);
  swatches.FillCollected(0, 0xFF336699);
  ASSERT_TRUE(swatches.SaveCollected());
  const ColourSwatches again = ColourSwatches::Load(UserPath(), TemplatePath());
  EXPECT_FALSE(again.CameFromTemplate());
  EXPECT_EQ(again.Collected(0).Colour, 0xFF336699u);
  EXPECT_EQ(again.SelectedCollected(), 0);
  EXPECT_FALSE(again.Preset(0).has_value());
}
