#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <json/writer.h>
#include <set>
#include <utility>

#include "profiles/JsonFile.h"
#include "protocol/LittleEndian.h"
#include "recoil/RecoilPatternFiles.h"

using recoil::Bullet;
using recoil::RecoilPatternFiles;

namespace {

Json::Value Event(const char* action, int button, const Json::Value& delay, int type) {
  Json::Value event(Json::objectValue);
  event["Action"] = action;
  event["Button"] = button;
  event["Delay"] = delay;
  event["Type"] = type;
  return event;
}

// A pattern of `bullets` bullets, bullet b moving `mark` + b to the right
// and b downwards, with `extra` events appended.
Json::Value Pattern(int bullets, int mark, int extra = 0) {
  Json::Value document(Json::objectValue);
  document["MacroName"] = "kept";
  document["Note"] = "hand written";
  Json::Value& events = document["Events"] = Json::Value(Json::arrayValue);
  for (int b = 0; b < bullets; ++b) {
    for (const Json::Value& event : {Event("down", 1, 10, 1), Event("up", 1, 0, 1), Event("up", mark + b, 5, 4),
                                     Event("up", b, "40", 5), Event("up", 0, 0, 4), Event("up", 0, 0, 5)})
      events.append(event);
  }
  for (int i = 0; i < extra; ++i)
    events.append(Event("down", 9, 0, 1));
  return document;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

class RecoilFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath("mouse"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("factory"));
    // Factory gun g: bullets marked 100 g.
    for (int gun = 0; gun < recoil::kGunCount; ++gun)
      ASSERT_EQ(json_.WriteJson(files_.FactoryFile(gun), Pattern(30, 100 * gun)), 0);
  }
  QString Path(const char* name) const { return dir_.path() + QLatin1Char('/') + QLatin1String(name); }
  Json::Value Read(int gun) const { return json_.ReadJson(files_.GunFile(gun)); }

  QTemporaryDir dir_;
  JsonFile json_;
  RecoilPatternFiles files_{dir_.path() + "/mouse/", dir_.path() + "/factory/"};
};

}  // namespace

TEST_F(RecoilFiles, ABulletIsWrittenAsItsSixEventsAndReadsBack) {
  ASSERT_EQ(json_.WriteJson(files_.GunFile(1), Pattern(30, 50)), 0);
  const Bullet bullet{true, 3, false, 12, 90};
  ASSERT_TRUE(files_.WriteBullet(1, 2, bullet));

  const Json::Value after = Read(1);
  const Json::Value expected[] = {Event("down", 1, 10, 1), Event("up", 1, 0, 1),  Event("down", 3, 5, 4),
                                  Event("up", 12, 90, 5),  Event("down", 0, 0, 4), Event("up", 0, 0, 5)};
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(after["Events"][12 + k], expected[k]) << "event " << 12 + k;
  EXPECT_TRUE(after["Events"][15]["Delay"].isInt());
  EXPECT_EQ(files_.ReadBullet(1, 2), bullet);

  // Nothing else of the file changed.
  Json::Value rest = Pattern(30, 50);
  for (int k = 0; k < 6; ++k)
    rest["Events"][12 + k] = expected[k];
  EXPECT_EQ(after, rest);
  EXPECT_EQ(files_.ReadBullet(1, 3), (Bullet{false, 53, false, 3, 40}));
}

TEST_F(RecoilFiles, ValuesBeyondTheirRangeAreCutOnReadingAndHeldOnWriting) {
  // A hand-edited file: distance 300, delay 70000 in bullet 0.
  Json::Value document = Pattern(30, 0);
  document["Events"][3]["Button"] = 300;
  document["Events"][3]["Delay"] = 70000;
  ASSERT_EQ(json_.WriteJson(files_.GunFile(0), document), 0);
  EXPECT_EQ(files_.ReadBullet(0, 0), (Bullet{false, 0, false, 44, 65535}));
  const std::vector<uint8_t> image = files_.BuildImage();
  ASSERT_GE(image.size(), 28u + 16u);
  // Gun 0's block starts at 24; event 3: delay FF FF, vertical "up", 44.
  EXPECT_EQ((std::vector<uint8_t>(image.begin() + 40, image.begin() + 44)),
            (std::vector<uint8_t>{0xFF, 0xFF, 0x85, 44}));

  ASSERT_TRUE(files_.WriteBullet(0, 29, Bullet{false, 300, true, -4, 70000}));
  const Json::Value document29 = Read(0);
  const Json::Value& events = document29["Events"];
  EXPECT_EQ(events[176]["Button"], 255);
  EXPECT_EQ(events[177]["Button"], 0);
  EXPECT_EQ(events[177]["Delay"], 65535);
}

TEST_F(RecoilFiles, IndexesOutOfRangeReadAndWriteNothing) {
  ASSERT_EQ(json_.WriteJson(files_.GunFile(0), Pattern(30, 0)), 0);
  const QByteArray before = Bytes(files_.GunFile(0));
  for (const auto& [gun, bullet] : std::initializer_list<std::pair<int, int>>{{0, -1}, {0, 30}, {4, 0}, {-1, 0}}) {
    EXPECT_FALSE(files_.ReadBullet(gun, bullet)) << gun << "/" << bullet;
    EXPECT_FALSE(files_.WriteBullet(gun, bullet, Bullet{true, 1, true, 1, 1})) << gun << "/" << bullet;
  }
  EXPECT_EQ(Bytes(files_.GunFile(0)), before);
  EXPECT_TRUE(files_.GunFile(4).isEmpty());
  EXPECT_FALSE(files_.EnsureGunFile(4));
  EXPECT_EQ(files_.ImportGun(-1, files_.FactoryFile(0)), RecoilPatternFiles::ImportResult::WriteFailed);
}

TEST_F(RecoilFiles, TheImageHoldsFourGunsOf180EventsInTheMacroLayout) {
  for (int gun = 0; gun < recoil::kGunCount; ++gun)
    ASSERT_EQ(json_.WriteJson(files_.GunFile(gun), Pattern(30, 10 * gun, gun == 2 ? 25 : 0)), 0);
  const std::vector<uint8_t> image = files_.BuildImage();
  ASSERT_EQ(image.size(), 2920u);
  const std::span<const uint8_t> bytes(image);
  EXPECT_EQ(image[0], 0xAA);
  EXPECT_EQ(image[1], 0x55);
  EXPECT_EQ(protocol::GetLe16(bytes, 2), 2920);
  EXPECT_EQ(protocol::GetLe16(bytes, 4), 4);
  for (int gun = 0; gun < 4; ++gun) {
    const uint16_t block = protocol::GetLe16(bytes, 16 + 2 * gun);
    EXPECT_EQ(block, 24 + gun * 724);
    EXPECT_EQ(protocol::GetLe16(bytes, block), 180) << gun;  // gun 2's extra events are cut
    EXPECT_EQ(image[block + 4 + 4 * 2 + 3], 10 * gun) << gun;  // bullet 0's horizontal distance
  }
}

TEST_F(RecoilFiles, AtStartBrokenFilesTakeTheFactoryPatternAndShortOnesAreCompleted) {
  const QByteArray broken[] = {"not json {", R"({"Events": {}})", R"({"Events": [{}, 7]})"};
  for (const QByteArray& text : broken) {
    ASSERT_TRUE(Put(files_.GunFile(0), text));
    EXPECT_TRUE(files_.EnsureGunFile(0)) << text.constData();
    EXPECT_EQ(Bytes(files_.GunFile(0)), Bytes(files_.FactoryFile(0))) << text.constData();
    // The damaged file is kept beside it.
    EXPECT_EQ(Bytes(files_.GunFile(0) + ".broken"), text);
    ASSERT_TRUE(QFile::remove(files_.GunFile(0) + ".broken"));
  }
  // Missing: the factory pattern.
  EXPECT_TRUE(files_.EnsureGunFile(3));
  EXPECT_EQ(Bytes(files_.GunFile(3)), Bytes(files_.FactoryFile(3)));

  // A link is moved aside, never written through.
  ASSERT_TRUE(Put(Path("target"), "elsewhere"));
  ASSERT_TRUE(QFile::link(Path("target"), files_.GunFile(2)));
  EXPECT_TRUE(files_.EnsureGunFile(2));
  EXPECT_EQ(Bytes(Path("target")), QByteArray("elsewhere"));
  EXPECT_EQ(Bytes(files_.GunFile(2)), Bytes(files_.FactoryFile(2)));

  // Short: its own two bullets stay, the rest comes from the factory, and
  // it reads so even before it is written back.
  ASSERT_EQ(json_.WriteJson(files_.GunFile(1), Pattern(2, 7)), 0);
  EXPECT_EQ(files_.ReadBullet(1, 1), (Bullet{false, 8, false, 1, 40}));
  EXPECT_EQ(files_.ReadBullet(1, 5), (Bullet{false, 105, false, 5, 40}));
  EXPECT_EQ(Read(1)["Events"].size(), 12u);
  EXPECT_TRUE(files_.EnsureGunFile(1));
  const Json::Value completed = Read(1);
  EXPECT_EQ(completed["Events"].size(), 180u);
  EXPECT_EQ(completed["Note"], "hand written");
  EXPECT_EQ(completed["Events"][8]["Button"], 8);
  EXPECT_EQ(completed["Events"][179], Pattern(30, 100)["Events"][179]);
}

TEST_F(RecoilFiles, WithoutAFactoryPatternAGunFileIsAnEmptyPatternThatStillTakesBullets) {
  ASSERT_TRUE(QFile::remove(files_.FactoryFile(2)));
  ASSERT_TRUE(Put(files_.GunFile(2), "garbage"));
  EXPECT_TRUE(files_.EnsureGunFile(2));
  EXPECT_TRUE(RecoilPatternFiles::IsValidPattern(Read(2)));
  EXPECT_EQ(Read(2)["Events"].size(), 0u);
  EXPECT_EQ(files_.ReadBullet(2, 4), Bullet{});
  EXPECT_FALSE(files_.ResetGun(2));

  // Bullet 1 written: bullet 0 becomes a still one, nothing after bullet 1.
  ASSERT_TRUE(files_.WriteBullet(2, 1, Bullet{true, 2, true, 3, 4}));
  EXPECT_EQ(Read(2)["Events"].size(), 12u);
  EXPECT_EQ(Read(2)["Events"][0], Event("down", 1, 10, 1));
  EXPECT_EQ(files_.ReadBullet(2, 0), Bullet{});
  EXPECT_EQ(files_.ReadBullet(2, 1), (Bullet{true, 2, true, 3, 4}));
  // The image takes the guns as they are: 16 + 8 + 4 x 4 + 12 x 4.
  EXPECT_EQ(files_.BuildImage().size(), 16u + 8u + 16u + 48u);
}

TEST_F(RecoilFiles, ResetImportAndExportReplaceWholeFilesAndRefuseWhatIsNotAPattern) {
  ASSERT_EQ(json_.WriteJson(files_.GunFile(0), Pattern(30, 1)), 0);
  const QByteArray mine = Bytes(files_.GunFile(0));
  using Result = RecoilPatternFiles::ImportResult;
  ASSERT_TRUE(Put(Path("plain.json"), R"({"MacroName": "x"})"));
  ASSERT_TRUE(Put(Path("text.Shoot"), "hello"));
  ASSERT_EQ(json_.WriteJson(Path("long.Shoot"), Pattern(0, 0, recoil::kMaxPatternEvents + 1)), 0);
  EXPECT_EQ(files_.ImportGun(0, Path("plain.json")), Result::NotAPattern);
  EXPECT_EQ(files_.ImportGun(0, Path("text.Shoot")), Result::NotAPattern);
  EXPECT_EQ(files_.ImportGun(0, Path("long.Shoot")), Result::NotAPattern);
  EXPECT_EQ(files_.ImportGun(0, Path("absent.Shoot")), Result::Unreadable);
  EXPECT_EQ(files_.ImportGun(0, dir_.path()), Result::Unreadable);
  EXPECT_EQ(Bytes(files_.GunFile(0)), mine);

  // Import takes the bytes as they are (a string "Delay" included).
  ASSERT_TRUE(Put(Path("other.Shoot"), R"({"Events": [{"Action": "up", "Delay": "7"}], "Own": 1})"));
  EXPECT_EQ(files_.ImportGun(0, Path("other.Shoot")), Result::Imported);
  EXPECT_EQ(Bytes(files_.GunFile(0)), Bytes(Path("other.Shoot")));

  ASSERT_TRUE(Put(Path("out.Shoot"), "older"));
  EXPECT_TRUE(files_.ExportGun(0, Path("out.Shoot")));
  EXPECT_EQ(Bytes(Path("out.Shoot")), Bytes(files_.GunFile(0)));
  EXPECT_FALSE(files_.ExportGun(0, Path("no-such-folder/out.Shoot")));
  EXPECT_FALSE(files_.ExportGun(0, Path("out.Shoot/inside")));
  EXPECT_FALSE(files_.ExportGun(1, Path("from-missing.Shoot")));  // gun 1 has no file yet

  EXPECT_TRUE(files_.ResetGun(0));
  EXPECT_EQ(Bytes(files_.GunFile(0)), Bytes(files_.FactoryFile(0)));
  // A factory file that is not a pattern never replaces the gun file.
  ASSERT_TRUE(Put(files_.FactoryFile(1), "[]"));
  ASSERT_EQ(json_.WriteJson(files_.GunFile(1), Pattern(30, 1)), 0);
  EXPECT_FALSE(files_.ResetGun(1));
  EXPECT_EQ(Bytes(files_.GunFile(1)), mine);
}

TEST(ShippedRecoilPatterns, AreFourDifferentPatternsOf30BulletsInTheSixEventShape) {
  RecoilPatternFiles shipped(QString(), QStringLiteral(TRAVIX_SOURCE_DIR "/DefaultData/"));
  std::set<std::string> distinct;
  for (int gun = 0; gun < recoil::kGunCount; ++gun) {
    const Json::Value document = JsonFile().ReadJson(shipped.FactoryFile(gun));
    ASSERT_TRUE(RecoilPatternFiles::IsValidPattern(document)) << gun;
    const Json::Value& events = document["Events"];
    ASSERT_EQ(events.size(), 180u) << gun;
    distinct.insert(events.toStyledString());
    for (Json::ArrayIndex b = 0; b < 30; ++b) {
      const Json::ArrayIndex e = 6 * b;
      for (Json::ArrayIndex k = 0; k < 6; ++k) {
        ASSERT_TRUE(events[e + k]["Button"].isInt() && events[e + k]["Delay"].isInt()) << gun << "/" << e + k;
        EXPECT_LE(events[e + k]["Button"].asInt(), 255);
      }
      EXPECT_EQ(events[e], Event("down", 1, 10, 1)) << gun << "/" << b;
      EXPECT_EQ(events[e + 1], Event("up", 1, 0, 1)) << gun << "/" << b;
      EXPECT_EQ(events[e + 2]["Type"], 4);
      EXPECT_EQ(events[e + 2]["Delay"], 5);
      EXPECT_EQ(events[e + 3]["Type"], 5);
      const int delay = events[e + 3]["Delay"].asInt();
      EXPECT_TRUE(delay >= 10 && delay < 100) << gun << "/" << b << ": " << delay;
      EXPECT_EQ(events[e + 4], Event(events[e + 2]["Action"].asCString(), 0, 0, 4)) << gun << "/" << b;
      EXPECT_EQ(events[e + 5], Event(events[e + 3]["Action"].asCString(), 0, 0, 5)) << gun << "/" << b;
    }
  }
  EXPECT_EQ(distinct.size(), 4u);
}
