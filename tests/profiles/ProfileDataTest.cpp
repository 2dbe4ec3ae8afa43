#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <json/json.h>
#include <memory>

#include "platform/DataFolders.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CRo6533Profiledata.h"

using platform::DataFolders;

namespace Json {
// Readable failures.
void PrintTo(const Value& value, std::ostream* out) { *out << value.toStyledString(); }
}  // namespace Json

namespace {

Json::Value Array(std::initializer_list<Json::Value> elements) {
  Json::Value array(Json::arrayValue);
  for (const Json::Value& element : elements)
    array.append(element);
  return array;
}

Json::Value Parse(const QByteArray& text) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string errors;
  EXPECT_TRUE(reader->parse(text.constData(), text.constData() + text.size(), &value, &errors)) << errors;
  return value;
}

// Profile files in a temporary user folder, the template in a temporary
// program folder.
class ProfileData : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", user_.path().toUtf8());
    DataFolders::SetProgramDir(program_.path());
    QDir().mkpath(DataFolders::DefaultDataDir());
    folder_ = DataFolders::DeviceFolder("keyboard");
    templatePath_ = Put(DataFolders::DefaultDataDir() + "keyboard.Json",
                        R"({"profilename": "T", "Device": [{"LightInfo": {"Red": 5}}]})");
  }
  void TearDown() override {
    qputenv("XDG_DATA_HOME", savedDataHome_);
    DataFolders::SetProgramDir({});
  }

  static QString Put(const QString& path, const QByteArray& text) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static Json::Value Read(const QString& path) { return JsonFile().ReadJson(path); }
  QString Profile(const QString& id, const QByteArray& text) const {
    return Put(folder_ + id + ".Json", text);
  }
  // `data` on the profile at `path`, with the template set, loaded.
  void Load(CBasicProfiledata& data, const QString& path) const {
    data.SetDefaultProfilePath(templatePath_);
    data.SetProfilePath(path);
    data.LoadProfile(path);
  }

  QTemporaryDir user_, program_;
  QByteArray savedDataHome_;
  QString folder_, templatePath_;
};

}  // namespace

TEST_F(ProfileData, AMissingSectionIsTakenFromTheTemplateAndWrittenIn) {
  const Json::Value templateSection = Read(templatePath_)["Device"][0];
  CBasicProfiledata data;
  // Name and id stay; a missing file gets the section alone; a broken file
  // is kept aside first; "Device" that is no array holds no section.
  const QByteArray broken = R"({"profilename": "B", "Device": [ {"LightInfo": )";
  const QString named = Profile("a", R"({"profilename": "A", "profileUUID": "x"})");
  const QString brokenPath = Profile("b", broken);
  const QString odd = Profile("odd", R"({"profilename": "O", "Device": {"0": {"LightInfo": {"Red": 9}}}})");
  const QString fresh = folder_ + "fresh.Json";
  for (const QString& path : {named, brokenPath, odd, fresh}) {
    Load(data, path);
    EXPECT_EQ(data.GetLightInfo().Red, 5) << path.toStdString();
    EXPECT_EQ(Read(path)["Device"], Array({templateSection})) << path.toStdString();
  }
  EXPECT_EQ(Read(named)["profilename"].asString(), "A");
  EXPECT_EQ(Read(named)["profileUUID"].asString(), "x");
  EXPECT_EQ(Read(odd)["profilename"].asString(), "O");
  EXPECT_EQ(Read(fresh).getMemberNames(), std::vector<std::string>{"Device"});
  EXPECT_EQ(Bytes(brokenPath + ".broken"), broken);
  // An empty file has nothing worth keeping.
  Load(data, Profile("e", ""));
  EXPECT_FALSE(QFile::exists(folder_ + "e.Json.broken"));
}

// A second corruption must not cost the first one's backup.
TEST_F(ProfileData, EveryBrokenVersionKeepsItsOwnBackup) {
  const QString path = folder_ + "p.Json";
  const std::vector<QByteArray> broken = {"{ first", "{ second", "{ third"};
  CBasicProfiledata data;
  for (const QByteArray& text : broken) {
    Profile("p", text);
    Load(data, path);
    EXPECT_EQ(data.GetLightInfo().Red, 5) << text.toStdString();
  }
  EXPECT_EQ(Bytes(path + ".broken"), broken[0]);
  EXPECT_EQ(Bytes(path + ".broken.1"), broken[1]);
  EXPECT_EQ(Bytes(path + ".broken.2"), broken[2]);
  EXPECT_EQ(Read(path)["Device"][0]["LightInfo"]["Red"].asInt(), 5);
}

// A profile that is a link (to any file the user can write, or to nothing)
// is set aside as it is: its target is not copied, overwritten or created.
TEST_F(ProfileData, ALinkedProfileIsSetAsideNotFollowed) {
  QTemporaryDir outside;
  const QString victim = Put(outside.path() + "/victim.txt", "the user's notes\n");
  const QString missing = outside.path() + "/created.Json";
  const QString wellFormed =
      Put(outside.path() + "/other.Json", R"({"Device": [{"LightInfo": {"Red": 77}}]})");
  const QByteArray templateText = Bytes(templatePath_);
  // A link to the template is not the template: it is set aside too.
  for (const QString& target : {victim, missing, wellFormed, templatePath_}) {
    SCOPED_TRACE(target.toStdString());
    const QString path = folder_ + "linked.Json";
    QFile::remove(path);
    QFile::remove(path + ".broken");
    ASSERT_TRUE(QFile::link(target, path));
    CBasicProfiledata data;
    Load(data, path);
    EXPECT_EQ(data.GetLightInfo().Red, 5) << "the template's, not the target's";
    EXPECT_EQ(QFile::symLinkTarget(path + ".broken"), target);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(Read(path)["Device"][0]["LightInfo"]["Red"].asInt(), 5);
    data.SetLightInfo(LightInfo{.Red = 9});
    EXPECT_EQ(data.Save(), 0);
  }
  EXPECT_EQ(Bytes(victim), "the user's notes\n");
  EXPECT_FALSE(QFileInfo::exists(missing));
  EXPECT_EQ(Bytes(wellFormed), R"({"Device": [{"LightInfo": {"Red": 77}}]})");
  EXPECT_EQ(Bytes(templatePath_), templateText);
}

TEST_F(ProfileData, WithoutFileOrTemplateEverythingReadsAsZero) {
  QFile::remove(templatePath_);
  const QString path = folder_ + "none.Json";
  CKeyboardProfiledata keyboard;
  Load(keyboard, path);
  keyboard.SetProfilePath("");
  EXPECT_EQ(keyboard.GetProfilePath(), path);
  EXPECT_EQ(keyboard.GetLightInfo(), LightInfo{});
  EXPECT_TRUE(keyboard.GetKeyList().empty());
  EXPECT_EQ(keyboard.GetCustomLightColors(0, 3), std::vector<CustomLightColor>(3));
  CRo6533Profiledata headset;
  Load(headset, path);
  EXPECT_EQ(headset.GetEqValues(1), std::vector<int>(10, 0));
  // The getters wrote nothing into the missing section.
  EXPECT_EQ(headset.Save(), 0);
  EXPECT_EQ(Read(path), Parse(R"({"Device": [null]})"));
}

TEST_F(ProfileData, SavingKeepsWhatTheProgramDoesNotRead) {
  const QString path = Profile("k", R"({"profilename": "A", "profileUUID": "x", "Extra": {"k": 1},
      "Device": [{"LightInfo": {"Red": 1, "Old": 7}, "Mystery": [1, 2]}, {"Second": true}]})");
  CBasicProfiledata data;
  Load(data, path);
  data.SetLightInfo(LightInfo{.Fx = 2, .Green = 1, .Blue = 3});
  ASSERT_EQ(data.Save(), 0);
  ASSERT_EQ(data.Save(), 0);
  // The lighting object is replaced whole: its 14 keys, the old extra one gone.
  EXPECT_EQ(Read(path), Parse(R"({"profilename": "A", "profileUUID": "x", "Extra": {"k": 1},
      "Device": [{"Mystery": [1, 2], "LightInfo": {"SelectItem": 0, "Light": 0, "Speed": 0, "Fx": 2,
        "MultiColor": 0, "Red": 0, "Green": 1, "Blue": 3, "ZZCCLedMode": 0, "CustomGroup": 0, "OldLedmode": 0,
        "byVoiceLedmodeSwith": 0, "byVoiceLedmode": 0, "byVoiceSensitivity": 0}}, {"Second": true}]})"));
  // Keys are written sorted, whatever order they were set in.
  const QByteArray text = Bytes(path);
  EXPECT_LT(text.indexOf("\"Blue\""), text.indexOf("\"Fx\""));
  EXPECT_LT(text.indexOf("\"Fx\""), text.indexOf("\"Green\""));
}

TEST_F(ProfileData, LightFieldsAreCutToBytesAndFlagsReadAsBooleans) {
  CBasicProfiledata data;
  Load(data, Profile("l", R"({"Device": [{
      "LightInfo": {"MultiColor": 5, "Red": 300, "Green": "12", "Blue": {}, "Speed": [3], "Light": 2.7,
                    "byVoiceLedmodeSwith": 4},
      "AudioLightInfo": {"7ColorFlags": 3, "ColorTypeFlags": 0, "FgColorB": 256, "BkColorG": 9},
      "LightList": [null, {"LEDREGMode": 3, "LEDDirection": 2, "red": 7}, 5]}]})"));
  EXPECT_EQ(data.GetLightInfo(),
            (LightInfo{.Light = 2, .MultiColor = 1, .Red = 44, .ByVoiceLedmodeSwitch = 4}));
  EXPECT_EQ(data.GetAudioLightInfo(), (AudioLightInfo{.BkColorG = 9, .SevenColorFlags = 1}));
  EXPECT_EQ(data.GetLightList(),
            (std::vector<LightInfo>{{}, {.SelectItem = 3, .Fx = 1, .Red = 7, .Present = 1}, {}}));
}

TEST_F(ProfileData, KeyFunctionsAreDecodedAndTheFactoryDefaultNeverWritten) {
  const QString path = Profile("keys", R"({"Device": [{"KeyList": [
      {"FnAssignment": 66051, "Assignment": 658188, "DefaultAssignment": 460809}, {"Assignment": "x"}]}]})");
  CKeyboardProfiledata keyboard;
  Load(keyboard, path);
  std::vector<KeyListEntry> keys = keyboard.GetKeyList();
  EXPECT_EQ(keys,
            (std::vector<KeyListEntry>{{{0, 1, 2, 3}, {0, 10, 11, 12}, {0, 7, 8, 9}}, {{1}, {1}, {1}}}));
  keys[0].Normal = {0, 0x70, 5, 0};
  keys[0].Default = {0, 0xFF, 0xFF, 0xFF};
  keyboard.SetKeyList(keys);
  keyboard.Save();
  EXPECT_EQ(Read(path)["Device"][0]["KeyList"][0],
            Parse(R"({"FnAssignment": 66051, "Assignment": 7341312, "DefaultAssignment": 460809})"));

  // The other profile is edited and saved on its own.
  const QString other = Profile("other", R"({"Device": [{"KeyList": [{"Assignment": 1}]}]})");
  keyboard.LoadOtherProfile(other);
  std::vector<KeyListEntry> otherKeys = keyboard.GetOtherKeyList();
  ASSERT_EQ(otherKeys.size(), 1u);
  otherKeys[0].Normal.Code2 = 9;
  keyboard.SetOtherKeyList(otherKeys);
  keyboard.SaveOtherProfile(other);
  EXPECT_EQ(Read(other)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 9);
  EXPECT_EQ(Read(path)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x700500);
}

TEST_F(ProfileData, KeyboardSettingsTravelAsHalfWordsAndTheFnFlagAsABoolean) {
  const QString path = Profile("s", R"({"Device": [{"FnKeysetFlag": 1, "SystemStages": {"Repeat": 3,
      "RepeatDelay": 70000, "Key6Flag": 1, "PollingRate": 4, "WinFlag": 1, "Unread": 8}}]})");
  CKeyboardProfiledata keyboard;
  Load(keyboard, path);
  EXPECT_EQ(keyboard.GetKeyboardSystem(),
            (CKeyboardProfiledata::SystemWords{3 | (4464u << 16), 1 | (4u << 16), 1u << 16, 0}));
  keyboard.SetKeyboardSystem(0x00020001, 0, 0x00050000, 0xFFFF);
  EXPECT_EQ(keyboard.GetKeyboardSystem()[3], 0u);
  // A number reads as true; the next write makes it a JSON boolean.
  EXPECT_TRUE(keyboard.GetFnKeysetFlag());
  keyboard.SetFnKeysetFlag(true);
  keyboard.Save();
  const Json::Value section = Read(path)["Device"][0];
  EXPECT_EQ(section["FnKeysetFlag"], Json::Value(true));
  EXPECT_EQ(section["SystemStages"], Parse(R"({"Repeat": 1, "RepeatDelay": 2, "Key6Flag": 0, "PollingRate": 0,
                                               "WFlag": 0, "WinFlag": 5, "Unread": 8})"));
}

TEST_F(ProfileData, CustomColourGroupsAreCompletedWithinBounds) {
  CKeyboardProfiledata keyboard;
  Load(keyboard, Profile("c", R"({"Device": [{"CustomLightMode": {"CustomLightModeGroupIndex": 1000000,
      "LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3, "Alpha": 4}, null]]}}]})"));
  auto groups = [&] { return keyboard.GetProfileRoot()["CustomLightMode"]["LightColorInfo"]; };
  EXPECT_EQ(keyboard.GetCustomLightColors(2, 4), std::vector<CustomLightColor>(4));
  const Json::Value zero = Parse(R"({"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0})");
  EXPECT_EQ(groups()[2], Array({zero, zero, zero, zero}));
  EXPECT_EQ(keyboard.GetCustomLightColors(0, 3), (std::vector<CustomLightColor>{{1, 2, 3, 4}, {}, {}}));
  EXPECT_EQ(groups()[0][2], zero);
  // Indices from the file never grow the arrays.
  EXPECT_EQ(keyboard.GetCustomLightGroupIndex(), 0);
  EXPECT_EQ(keyboard.GetCustomLightColors(1000000, 2), std::vector<CustomLightColor>(2));
  keyboard.SetCustomLightColors({{9, 9, 9, 9}}, 1000000);
  EXPECT_EQ(groups().size(), 3u);
}

TEST_F(ProfileData, DpiStagesAreOverwrittenFromTheFront) {
  auto stages = [](int count, int dpi) {
    QByteArray list;
    for (int i = 0; i < count; ++i)
      list += QByteArray(i ? "," : "") + "{\"StageDPIX\": " + QByteArray::number(dpi + i) + "}";
    return "{\"Device\": [{\"DPIStages\": {\"StageActive\": 1000000, \"StageDPIs\": [" + list + "]}}]}";
  };
  CMouseProfiledata mouse;
  Load(mouse, Profile("five", stages(5, 100)));
  ASSERT_EQ(mouse.GetDpiStages().size(), 5u);
  Load(mouse, Profile("three", stages(3, 70000)));
  std::vector<uint16_t> dpiX;
  for (const DpiStage& stage : mouse.GetDpiStages())
    dpiX.push_back(stage.StageDPIX);
  EXPECT_EQ(dpiX, (std::vector<uint16_t>{4464, 4465, 4466, 103, 104}));
  EXPECT_EQ(mouse.GetActiveDpiStage(), 0);
  // Writing the stages leaves the selected stage to its own setter.
  mouse.SetActiveDpiStage(2);
  mouse.SetDpiStages({DpiStage{1, 0, 800, 800, 255, 0, 0}});
  const Json::Value dpi = mouse.GetProfileRoot()["DPIStages"];
  EXPECT_EQ(dpi["StageActive"].asInt(), 2);
  EXPECT_EQ(dpi["StageDPIs"][0], Parse(R"({"StageActive": 1, "StageXY": 0, "StageDPIX": 800, "StageDPIY": 800,
                                           "StageColorR": 255, "StageColorG": 0, "StageColorB": 0})"));
}

TEST_F(ProfileData, TheReportRateComesOnlyFromItsOwnObject) {
  CMouseProfiledata mouse;
  Load(mouse, Profile("m", R"({"Device": [{"SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10,
      "PointerPrecision": 1, "ScorllPage": 3, "WheelScorlllinse": 4}}]})"));
  EXPECT_EQ(mouse.GetMouseSystem(), (CMouseProfiledata::SystemWords{500 | (10u << 16), 1 | (3u << 16), 4}));
  mouse.SetMouseSystem(0x00010002, 0x00070000, 0x00020009);
  EXPECT_EQ(mouse.GetProfileRoot(), Parse(R"({"ReportStages": {"StageActive": 2}, "SystemStages": {
      "DoubleClickTime": 2, "MouseSpeed": 1, "PointerPrecision": 0, "ScorllPage": 7, "WheelScorlllinse": 9}})"));
  EXPECT_EQ(mouse.GetMouseSystem()[2], 0x00020009u);
}

TEST_F(ProfileData, EqualiserRowsAndSlotsAreBounded) {
  const QString path = Profile("h", R"({"Device": [{
      "EQHzValueInfo": [null, [{"value": -3}, {"value": 2}], [{"value": 7}]], "CustomEQHzValueInfo": [],
      "SystemSetStages": {"EqType": 13, "CustomEqSeletIndex": 2, "MicMoniterSelect": 1}}]})");
  CRo6533Profiledata headset;
  Load(headset, path);
  EXPECT_EQ(headset.GetHeadsetSystem(),
            (HeadsetSystem{.EqType = 13, .CustomEqSelectIndex = 2, .MicMonitorSelect = 1}));
  const Json::Value before = headset.GetProfileRoot();
  EXPECT_TRUE(headset.GetEqValues(13).empty());
  EXPECT_EQ(headset.GetProfileRoot(), before);
  const std::vector<int> row1{-3, 2, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int eqType : {0, 1, 20, -4})
    EXPECT_EQ(headset.GetEqValues(eqType), row1) << eqType;
  EXPECT_EQ(headset.GetEqValues(2)[0], 7);
  EXPECT_EQ(headset.GetProfileRoot()["EQHzValueInfo"][1].size(), 10u);

  EXPECT_EQ(headset.GetCustomEqValues(1000000), std::vector<int>(10, 0));
  headset.SetCustomEqValues(1000000, row1);
  EXPECT_EQ(headset.GetProfileRoot()["CustomEQHzValueInfo"].size(), 0u);
  headset.SetCustomEqValues(1, row1);
  headset.SetCustomEqNames({QString::fromUtf8("低音"), "Rock"});
  headset.Save();
  headset.LoadProfile(path);
  EXPECT_EQ(headset.GetCustomEqValues(1), row1);
  EXPECT_EQ(headset.GetCustomEqNames(), (QStringList{QString::fromUtf8("低音"), "Rock"}));
}

TEST_F(ProfileData, LightEffectFilesAreLookedUpOnlyInTheProgramsFolders) {
  const QByteArray steps = R"({"LEDEffectList": [{"LEDREGMode": 2, "LEDDirection": 1, "LEDBrightness": 3,
      "LEDSpeed": 4, "LEDMultiColor": 1, "red": 10, "green": 20, "blue": 30, "Time": 1500, "Cyle": -1}]})";
  Put(folder_ + "mine.light", steps);
  Put(DataFolders::DefaultDataDir() + "mine.light", R"({"LEDEffectList": []})");
  Put(DataFolders::DefaultDataDir() + "shipped.light", R"({"LEDEffectList": [{}, {}]})");
  Put(folder_ + "../escape.light", steps);
  Put(folder_ + ".light", steps);
  QTemporaryDir cwd;
  Put(cwd.path() + "/here.light", steps);
  const QString config = Put(folder_ + "kaldo_light.config", R"({"LightInfo": [[{"Guid": "mine"},
      {"Guid": "shipped"}, {"Guid": "../escape"}, {"Guid": "/etc/passwd"}, {"Guid": "here"}, {"Guid": 5},
      {"Guid": ""}, {"Guid": "mine.light\u0000"}]]})");
  CBasicProfiledata data;
  Load(data, Profile("p", R"({"Device": [{}]})"));
  data.LoadLightConfig(config);
  const QString savedCwd = QDir::currentPath();
  QDir::setCurrent(cwd.path());
  auto stepsOf = [&](uint8_t selectItem) {
    data.SetLightInfo(LightInfo{.SelectItem = selectItem});
    return data.GetLightEffectSteps();
  };
  EXPECT_EQ(stepsOf(0), (std::vector<LightEffectStep>{{.LEDREGMode = 2,
                                                       .LEDBrightness = 3,
                                                       .LEDSpeed = 4,
                                                       .LEDDirection = 1,
                                                       .LEDMultiColor = 1,
                                                       .Red = 10,
                                                       .Green = 20,
                                                       .Blue = 30,
                                                       .Time = 1500,
                                                       .Cycles = -1}}));
  EXPECT_EQ(stepsOf(1).size(), 2u);
  for (uint8_t hostile : {2, 3, 4, 5, 6, 7, 200})
    EXPECT_TRUE(stepsOf(hostile).empty()) << int(hostile);
  QDir::setCurrent(savedCwd);
}

// Every container of the wrong type reads as missing, and writing over one
// replaces it.
TEST_F(ProfileData, ValuesOfTheWrongTypeReadAsDefaults) {
  const QString path = Profile("w", R"({"Device": [{"LightInfo": "x", "AudioLightInfo": [1],
      "LightList": {"a": 1}, "KeyList": {"0": 1}, "SystemStages": 7, "FnKeysetFlag": "yes",
      "CustomLightMode": [], "DPIStages": {"StageDPIs": {"x": 1}, "StageActive": "1"}, "ReportStages": [],
      "CorrectInfo": "x", "SystemSetStages": [], "EQHzValueInfo": {"1": 2}, "CustomEQNameInfo": {"Name": "x"}}]})");
  CKeyboardProfiledata keyboard;
  CMouseProfiledata mouse;
  CRo6533Profiledata headset;
  for (CBasicProfiledata* data : std::initializer_list<CBasicProfiledata*>{&keyboard, &mouse, &headset})
    Load(*data, path);
  EXPECT_EQ(keyboard.GetLightInfo(), LightInfo{});
  EXPECT_EQ(keyboard.GetAudioLightInfo(), AudioLightInfo{});
  EXPECT_TRUE(keyboard.GetLightList().empty());
  EXPECT_TRUE(keyboard.GetKeyList().empty());
  EXPECT_EQ(keyboard.GetKeyboardSystem(), CKeyboardProfiledata::SystemWords{});
  EXPECT_FALSE(keyboard.GetFnKeysetFlag());
  EXPECT_EQ(keyboard.GetCustomLightColors(0, 2), std::vector<CustomLightColor>(2));
  EXPECT_TRUE(mouse.GetDpiStages().empty());
  EXPECT_EQ(mouse.GetMouseSystem(), CMouseProfiledata::SystemWords{});
  EXPECT_TRUE(mouse.GetCorrectInfo().empty());
  EXPECT_EQ(headset.GetHeadsetSystem(), HeadsetSystem{});
  EXPECT_TRUE(headset.GetCustomEqNames().isEmpty());
  EXPECT_EQ(headset.GetEqValues(1), std::vector<int>(10, 0));

  keyboard.SetKeyList(std::vector<KeyListEntry>(2));
  EXPECT_EQ(keyboard.GetKeyList().size(), 2u);
  mouse.SetDpiStages({DpiStage{1, 0, 400, 400, 0, 0, 0}});
  EXPECT_EQ(mouse.GetDpiStages()[0].StageDPIX, 400);
}

TEST_F(ProfileData, TheTemplateIsNeverWritten) {
  const QByteArray before = Bytes(Put(templatePath_, R"({"profilename": "T"})"));
  CBasicProfiledata data;
  Load(data, templatePath_);
  data.SetLightInfo(LightInfo{});
  EXPECT_EQ(data.Save(), -1);
  EXPECT_EQ(Bytes(templatePath_), before);
}
