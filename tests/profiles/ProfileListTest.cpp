#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <set>
#include <sys/stat.h>

#include "profiles/JsonFile.h"
#include "profiles/ProfileList.h"
#include "support/FileSizeLimit.h"

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
  std::vector<QString> Ids(const ProfileList& list) {
    std::vector<QString> ids;
    for (const auto& entry : list.Entries())
      ids.push_back(entry.id);
    return ids;
  }
  // A profile file as the program writes it.
  void PutProfile(const QString& id, const QString& name, int light = 1) {
    Json::Value profile(Json::objectValue);
    profile["profilename"] = name.toStdString();
    profile["profileUUID"] = id.toStdString();
    profile["Device"][0]["LightInfo"]["Light"] = light;
    ASSERT_EQ(json_.WriteJson(folder_ + id + ".Json", profile), 0);
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  static struct stat Lstat(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
      info.st_ino = 0;
    return info;
  }
  // The device folder emptied, for the next case of a table.
  void ClearFolder() {
    QDir(folder_).removeRecursively();
    QDir().mkpath(folder_);
  }
  // What the program does with the list at start: read it, then select what
  // it names.
  ProfileList Start() {
    ProfileList list = Make();
    list.Init();
    list.Select(list.Selected());
    return list;
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
  PutProfile("good", "ok");
  WriteList(R"({"profilelist": [{"profilename": "ok", "profileUUID": "good"},
                                {"profilename": "bad", "profileUUID": "../evil"},
                                {"profilename": "abs", "profileUUID": "/etc/passwd"}],
               "profileselect": 1000000})");
  ProfileList list = Make();
  list.Init();
  // The list is rebuilt from the files in the folder, which cannot name one
  // outside it.
  EXPECT_EQ(Ids(list), std::vector<QString>{"good"});
  EXPECT_LT(list.Selected(), 1) << "a selection from the file is bounded";
  EXPECT_TRUE(list.PathAt(1).isEmpty());
  EXPECT_EQ(list.Copy(1), -1);
  EXPECT_FALSE(list.Export(1, root_.path() + "/out.json"));
  EXPECT_FALSE(list.Reset(2));
  EXPECT_EQ(list.Delete(0), -1);
  EXPECT_EQ(Bytes(root_.path() + "/evil.Json"), R"({"profilename": "x", "profileUUID": "x", "Device": []})")
      << "nothing outside the folder is touched";
  EXPECT_EQ(list.Count(), 1);
}

// An entry without an id that names a file in the folder would take the
// user's edits nowhere and orphan a profile file: the whole list counts as
// damaged, is kept aside and rebuilt from the profile files.
TEST_F(Profiles, EntriesWithoutAUsableIdMakeTheListRebuiltFromTheFiles) {
  // Ids a hand-edited or damaged list may give the second entry, then an
  // entry without one, then entries that are not objects at all.
  const QByteArray absolute = (root_.path() + "/elsewhere").toUtf8();
  const std::vector<QByteArray> badIds = {"123", "null", R"("")", R"("../x")", '"' + absolute + '"',
                                          R"(["a"])"};
  const QByteArray first = R"({"profilename": "Mine A", "profileUUID": "2024_01_01_00_00_00_001"})";
  std::vector<QByteArray> lists;
  for (const QByteArray& badId : badIds)
    lists.push_back(R"({"profilelist": [)" + first + R"(, {"profilename": "Bad", "profileUUID": )" +
                    badId + R"(}], "profileselect": 1})");
  lists.push_back(R"({"profilelist": [)" + first + R"(, {"profilename": "Bad"}], "profileselect": 1})");
  lists.push_back(R"({"profilelist": [1, null, "x", []], "profileselect": 1})");
  for (const QByteArray& text : lists) {
    SCOPED_TRACE(text.toStdString());
    ClearFolder();
    PutProfile("2024_01_01_00_00_00_001", "Mine A");
    PutProfile("2024_01_01_00_00_00_002", "Mine B");
    WriteList(text);
    ProfileList list = Start();
    EXPECT_EQ(Ids(list),
              (std::vector<QString>{"2024_01_01_00_00_00_001", "2024_01_01_00_00_00_002"}));
    EXPECT_EQ(Names(list), (std::vector<QString>{"Mine A", "Mine B"}));
    EXPECT_FALSE(list.PathAt(list.Selected()).isEmpty()) << "the selected profile can be saved";
    EXPECT_EQ(list.SelectedId(), list.Entries()[static_cast<size_t>(list.Selected())].id);
    EXPECT_EQ(Read(folder_ + ProfileList::kListFile)["profilelist"].size(), 2u)
        << "the rebuilt list is stored";
    EXPECT_EQ(Bytes(folder_ + ProfileList::kListFile + ".broken"), text) << "the damaged list is kept";
    EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(absolute)));
  }
}

// Two entries sharing an id would edit one file; the second gets its own id
// and a copy of the file, so that no file is orphaned or shared.
TEST_F(Profiles, ARepeatedIdGetsItsOwnIdAndACopyOfTheFile) {
  PutProfile("a", "Work", 7);
  WriteList(R"({"profilelist": [{"profilename": "Work", "profileUUID": "a"},
                                {"profilename": "Games", "profileUUID": "b"},
                                {"profilename": "Work 2", "profileUUID": "a"}],
               "profileselect": 2})");
  ProfileList list = Make();
  list.Init();
  ASSERT_EQ(list.Count(), 3);
  const std::vector<QString> ids = Ids(list);
  EXPECT_EQ(ids[0], "a");
  EXPECT_EQ(ids[1], "b");
  EXPECT_NE(ids[2], "a");
  EXPECT_EQ(std::set<QString>(ids.begin(), ids.end()).size(), 3u);
  EXPECT_EQ(list.SelectedId(), ids[2]) << "the selection stays on the second one";
  EXPECT_EQ(Names(list), (std::vector<QString>{"Work", "Games", "Work 2"}));

  const Json::Value copy = Read(list.PathAt(2));
  EXPECT_EQ(copy["Device"][0]["LightInfo"]["Light"].asInt(), 7);
  EXPECT_EQ(QString::fromStdString(copy["profileUUID"].asString()), ids[2]);
  EXPECT_EQ(copy["profilename"].asString(), "Work 2");
  const Json::Value stored = Read(folder_ + ProfileList::kListFile);
  EXPECT_EQ(QString::fromStdString(stored["profilelist"][2]["profileUUID"].asString()), ids[2]);

  // Edits of one leave the other alone.
  Json::Value edited = copy;
  edited["Device"][0]["LightInfo"]["Light"] = 2;
  ASSERT_EQ(json_.WriteJson(list.PathAt(2), edited), 0);
  EXPECT_EQ(Read(list.PathAt(0))["Device"][0]["LightInfo"]["Light"].asInt(), 7);
  EXPECT_EQ(Read(list.PathAt(0))["profileUUID"].asString(), "a");
  // And the next start finds nothing more to change.
  const ino_t inode = Lstat(folder_ + ProfileList::kListFile).st_ino;
  EXPECT_EQ(Ids(Start()), ids);
  EXPECT_EQ(Lstat(folder_ + ProfileList::kListFile).st_ino, inode);
}

// A start rewrote every list even when nothing had changed, and on a full
// disk that replaced the lists with empty files.
TEST_F(Profiles, AStartWithAGoodListWritesNothing) {
  Start();  // the first start makes the list and Profile1
  const QString listPath = folder_ + ProfileList::kListFile;
  const struct stat before = Lstat(listPath);
  Start();
  const struct stat after = Lstat(listPath);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  // A list laid out differently (by hand, by an earlier version) is good too.
  PutProfile("2024_01_01_00_00_00_001", "Mine A");
  const QByteArray byHand =
      R"({"profilelist":[{"profilename":"Mine A","profileUUID":"2024_01_01_00_00_00_001"},
                         {"profilename":"Mine B","profileUUID":"2024_01_01_00_00_00_002"}],
          "profileselect":1})";
  WriteList(byHand);
  const ino_t inode = Lstat(listPath).st_ino;
  EXPECT_EQ(Start().SelectedId(), "2024_01_01_00_00_00_002");
  EXPECT_EQ(Bytes(listPath), byHand);
  EXPECT_EQ(Lstat(listPath).st_ino, inode);
}

TEST_F(Profiles, AFullDiskLeavesTheListAsItWas) {
  ProfileList list = Start();
  list.New();
  const QString listPath = folder_ + ProfileList::kListFile;
  const QByteArray before = Bytes(listPath);
  {
    testing_support::FileSizeLimit full(16);
    ASSERT_TRUE(full.Active());
    list.Select(1);
    EXPECT_EQ(list.Rename(0, "Renamed"), 1);
    Start();
  }
  EXPECT_EQ(Bytes(listPath), before);
  EXPECT_EQ(QDir(folder_).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no temporary file stays";
}

// Links among the user's files are set aside, never read or written
// through: a link could make the program copy, then overwrite, any file the
// user can write.
TEST_F(Profiles, ALinkedListIsSetAsideAndNeverFollowed) {
  const QString victim = root_.path() + "/victim.ini";
  const QByteArray victimText =
      R"({"profilelist": [{"profilename": "Outside", "profileUUID": "2024_01_01_00_00_00_001"}]})";
  {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(victimText);
  }
  const QString missing = root_.path() + "/created.ini";
  const QString listPath = folder_ + ProfileList::kListFile;
  for (const QString& target : {victim, missing}) {
    SCOPED_TRACE(target.toStdString());
    ClearFolder();
    PutProfile("2024_01_01_00_00_00_001", "Mine A");
    ASSERT_TRUE(QFile::link(target, listPath));
    ProfileList list = Start();
    EXPECT_EQ(Names(list), std::vector<QString>{"Mine A"}) << "rebuilt from the files, not read through";
    EXPECT_TRUE(S_ISREG(Lstat(listPath).st_mode));
    EXPECT_EQ(QFile::symLinkTarget(listPath + ".broken"), target);
  }
  EXPECT_EQ(Bytes(victim), victimText);
  EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(Profiles, ALinkedProfileIsNeitherReadNorWrittenThrough) {
  const QString victim = root_.path() + "/victim.txt";
  {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"profilename": "Outside", "profileUUID": "a", "Device": [{"secret": 1}]})");
  }
  const QByteArray victimText = Bytes(victim);
  PutProfile("b", "Mine B");
  ASSERT_TRUE(QFile::link(victim, folder_ + "a.Json"));
  WriteList(R"({"profilelist": [{"profilename": "A", "profileUUID": "a"},
                                {"profilename": "B", "profileUUID": "b"}]})");
  ProfileList list = Start();
  EXPECT_FALSE(list.Export(0, root_.path() + "/out.json")) << "reads as broken";
  EXPECT_EQ(list.Rename(0, "Renamed"), 1);
  const int copy = list.Copy(0);
  ASSERT_GE(copy, 0);
  EXPECT_FALSE(Read(list.PathAt(copy)).isMember("Device")) << "nothing of the link's target is copied";
  ASSERT_TRUE(list.Reset(0));
  EXPECT_EQ(Bytes(victim), victimText);
  EXPECT_TRUE(S_ISREG(Lstat(folder_ + "a.Json").st_mode));
  EXPECT_EQ(Read(folder_ + "a.Json")["Device"][0]["LightInfo"]["Light"].asInt(), 4) << "the template's";
  EXPECT_EQ(QFile::symLinkTarget(folder_ + "a.Json.broken"), victim);
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
