#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "profiles/JsonFile.h"
#include "profiles/ProfileList.h"

namespace {

// A device folder with a template beside it.
class Profiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = root_.path() + "/device/";
    QDir().mkpath(folder_);
    template_ = root_.path() + "/template.Json";
    Json::Value document(Json::objectValue);
    document["profilename"] = "Default";
    document["profileUUID"] = "Default";
    document["Device"][0]["LightInfo"]["Light"] = 4;
    document["Device"][0]["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
    ASSERT_EQ(json_.WriteJson(template_, document), 0);
  }
  ProfileList Make(int kind = 1) { return ProfileList(folder_, template_, kind); }
  Json::Value Read(const QString& path) { return json_.ReadJson(path); }
  void WriteList(const char* text) {
    QFile file(folder_ + ProfileList::kListFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  std::vector<QString> Names(const ProfileList& list) {
    std::vector<QString> names;
    for (const auto& entry : list.Entries())
      names.push_back(entry.name);
    return names;
  }

  QTemporaryDir root_;
  QString folder_;
  QString template_;
  JsonFile json_;
};

}  // namespace

TEST_F(Profiles, FirstStartMakesProfile1FromTheTemplate) {
  ProfileList list = Make();
  list.Init();
  ASSERT_EQ(Names(list), std::vector<QString>{"Profile1"});
  EXPECT_EQ(list.Selected(), 0);
  const QString id = list.SelectedId();
  EXPECT_FALSE(id.isEmpty());
  const Json::Value profile = Read(folder_ + id + ".Json");
  EXPECT_EQ(profile["profilename"].asString(), "Profile1");
  EXPECT_EQ(profile["profileUUID"].asString(), id.toStdString());
  EXPECT_EQ(profile["Device"][0]["LightInfo"]["Light"].asInt(), 4) << "the template's settings";
  const Json::Value stored = Read(folder_ + ProfileList::kListFile);
  EXPECT_EQ(stored["profileselect"].asInt(), 0);
  EXPECT_EQ(stored["profilelist"][0]["profileislink"].asInt(), 0);
  EXPECT_EQ(stored["profilelist"][0]["profilelinkmame"].asString(), "");
}

TEST_F(Profiles, NewCopyAndImportFindFreeNames) {
  WriteList(R"({"profilelist": [{"profilename": "profile1", "profileUUID": "a"},
                                {"profilename": "Profile3", "profileUUID": "b"},
                                {"profilename": "Work", "profileUUID": "c"}],
               "profileselect": 2})");
  {
    Json::Value work(Json::objectValue);
    work["profilename"] = "Work";
    work["profileUUID"] = "c";
    work["Device"][0]["LightInfo"]["Light"] = 9;
    json_.WriteJson(folder_ + "c.Json", work);
  }
  ProfileList list = Make();
  list.Init();
  EXPECT_EQ(list.New(), 3);
  EXPECT_EQ(list.Copy(2), 4);
  EXPECT_EQ(list.Copy(2), 5);
  const QString game = root_.path() + "/game.json";
  json_.WriteJson(game, Read(folder_ + "c.Json"));
  for (int i = 0; i < 3; ++i)
    EXPECT_GE(list.Import(game), 0);
  EXPECT_EQ(Names(list), (std::vector<QString>{"profile1", "Profile3", "Work", "profile2",
                                               "Work copy", "Work copy copy", "game", "game(1)",
                                               "game(1)(2)"}));
  // A copy holds the settings of its original, under its own name and id.
  const Json::Value copy = Read(list.PathAt(4));
  EXPECT_EQ(copy["Device"][0]["LightInfo"]["Light"].asInt(), 9);
  EXPECT_EQ(copy["profilename"].asString(), "Work copy");
  EXPECT_EQ(QString::fromStdString(copy["profileUUID"].asString()), list.Entries()[4].id);
  // Ids are never shared, even when made within one millisecond.
  std::set<QString> ids;
  for (const auto& entry : list.Entries())
    ids.insert(entry.id);
  EXPECT_EQ(ids.size(), list.Entries().size());
  EXPECT_EQ(list.Selected(), 2) << "adding does not move the selection";
  // Something that is not a profile is not imported.
  const QString other = root_.path() + "/other.json";
  json_.WriteJson(other, Json::Value(Json::arrayValue));
  EXPECT_EQ(list.Import(other), -1);
}

TEST_F(Profiles, FiftyProfilesStopNewButNotCopyOrImport) {
  ProfileList list = Make();
  list.Init();
  while (list.Count() < ProfileList::kMaxNewProfiles)
    ASSERT_GE(list.New(), 0);
  EXPECT_EQ(list.New(), -1);
  EXPECT_EQ(list.Count(), 50);
  EXPECT_EQ(list.Copy(0), 50);
  EXPECT_EQ(list.Count(), 51);
}

TEST_F(Profiles, DeletingSelectsTheNeighbourAndRemovesTheFile) {
  ProfileList list = Make();
  list.Init();
  list.New();
  list.New();
  const QString firstFile = list.PathAt(0);
  EXPECT_EQ(list.Delete(0), 0) << "the new first one";
  EXPECT_FALSE(QFile::exists(firstFile));
  list.New();
  EXPECT_EQ(list.Delete(2), 1) << "the second one";
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Delete(0), 0);
  EXPECT_EQ(list.Delete(0), -1) << "the last profile stays";
  EXPECT_EQ(list.Count(), 1);
}

TEST_F(Profiles, RenameRefusesBlankAndTakenNames) {
  ProfileList list = Make();
  list.Init();
  list.New();  // profile2 ("Profile1" takes profile1)
  EXPECT_EQ(list.Rename(0, "  "), 2);
  EXPECT_EQ(list.Rename(0, "PROFILE2"), 0) << "another profile's name in other letters";
  EXPECT_EQ(list.Rename(0, "Profile1"), 1) << "its own name";
  EXPECT_EQ(list.Rename(0, "Games"), 1);
  EXPECT_EQ(Names(list)[0], "Games");
  EXPECT_EQ(Read(list.PathAt(0))["profilename"].asString(), "Games");
  EXPECT_EQ(Read(folder_ + ProfileList::kListFile)["profilelist"][0]["profilename"].asString(),
            "Games");
}

TEST_F(Profiles, IdsThatAreNotFileNamesNeverBuildAPath) {
  QFile outside(root_.path() + "/evil.Json");
  ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
  outside.write(R"({"profilename": "x", "profileUUID": "x", "Device": []})");
  outside.close();
  WriteList(R"({"profilelist": [{"profilename": "ok", "profileUUID": "good"},
                                {"profilename": "bad", "profileUUID": "../evil"},
                                {"profilename": "abs", "profileUUID": "/etc/passwd"}],
               "profileselect": 1000000})");
  ProfileList list = Make();
  list.Init();
  EXPECT_EQ(list.Count(), 3) << "list positions stay";
  EXPECT_LT(list.Selected(), 3) << "a selection from the file is bounded";
  EXPECT_TRUE(list.PathAt(1).isEmpty());
  EXPECT_TRUE(list.PathAt(2).isEmpty());
  EXPECT_EQ(list.Copy(1), -1);
  EXPECT_FALSE(list.Export(1, root_.path() + "/out.json"));
  EXPECT_FALSE(list.Reset(2));
  EXPECT_EQ(list.Delete(1), 0);
  EXPECT_TRUE(QFile::exists(root_.path() + "/evil.Json")) << "nothing outside the folder is deleted";
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(Profiles, ALostListIsRebuiltFromTheProfileFiles) {
  for (const char* id : {"2024_01_01_00_00_00_001", "2024_01_01_00_00_00_002"}) {
    Json::Value profile(Json::objectValue);
    profile["profilename"] = std::string("Mine ") + id;
    profile["profileUUID"] = id;
    json_.WriteJson(folder_ + id + ".Json", profile);
  }
  WriteList("{ this is not json");
  ProfileList list = Make();
  list.Init();
  ASSERT_EQ(list.Count(), 2) << "no Profile1 over the user's profiles";
  EXPECT_EQ(list.Entries()[0].id, "2024_01_01_00_00_00_001");
  EXPECT_EQ(list.Selected(), 0);
}

TEST_F(Profiles, ResetKeepsNameIdAndAHeadsetsOwnEqualiser) {
  ProfileList list = Make(ProfileList::kHeadsetKind);
  list.Init();
  list.Rename(0, "Mine");
  Json::Value profile = Read(list.PathAt(0));
  profile["Device"][0]["LightInfo"]["Light"] = 1;
  profile["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Bass";
  json_.WriteJson(list.PathAt(0), profile);
  ASSERT_TRUE(list.Reset(0));
  const Json::Value reset = Read(list.PathAt(0));
  EXPECT_EQ(reset["profilename"].asString(), "Mine");
  EXPECT_EQ(QString::fromStdString(reset["profileUUID"].asString()), list.Entries()[0].id);
  EXPECT_EQ(reset["Device"][0]["LightInfo"]["Light"].asInt(), 4) << "the template's value";
  EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "Bass");
}

TEST_F(Profiles, ExportWritesTheProfileUnchanged) {
  ProfileList list = Make();
  list.Init();
  const QString out = root_.path() + "/out.json";
  ASSERT_TRUE(list.Export(0, out));
  EXPECT_EQ(Read(out), Read(list.PathAt(0)));
  EXPECT_FALSE(list.Export(0, QString()));
}
