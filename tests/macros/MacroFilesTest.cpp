#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "macros/MacroFile.h"
#include "macros/MacroList.h"
#include "profiles/JsonFile.h"

using macros::MacroEvent;

namespace {

Json::Value Event(int type, const char* action, int button, const Json::Value& delay) {
  Json::Value object(Json::objectValue);
  object["Type"] = type;
  object["Action"] = action;
  object["Button"] = button;
  object["Delay"] = delay;
  return object;
}

}  // namespace

TEST(MacroEvents, EncodeToFourBytesWithTheReleaseBitAndALittleEndianDelay) {
  const MacroEvent up = macros::EventFromJson(Event(10, "up", 4, "300"));
  const protocol::MacroEventBytes bytes = macros::EncodeMacroEvent(up);
  EXPECT_EQ((std::array<uint8_t, 4>{bytes.delayLow, bytes.delayHigh, bytes.type, bytes.button}),
            (std::array<uint8_t, 4>{0x2C, 0x01, 0x8A, 0x04}));
  // A press keeps the type as it is; any action but "down" is a release.
  EXPECT_EQ(macros::EncodeMacroEvent(macros::EventFromJson(Event(1, "down", 2, 0))).type, 0x01);
  EXPECT_EQ(macros::EncodeMacroEvent(macros::EventFromJson(Event(5, "DOWN", 9, "0"))).type, 0x85);
}

// Beyond the range a delay is held at its end, never wrapped.
TEST(MacroEvents, DelaysReadAsDecimalIntegersHeldToTheirRange) {
  EXPECT_EQ(macros::ParseDelay(Json::Value(0)), 0);
  EXPECT_EQ(macros::ParseDelay(Json::Value(300)), 300);
  EXPECT_EQ(macros::ParseDelay(Json::Value(70000)), 65535);
  EXPECT_EQ(macros::ParseDelay(Json::Value(-3)), 0);
  EXPECT_EQ(macros::ParseDelay(Json::Value("65535")), 65535);
  EXPECT_EQ(macros::ParseDelay(Json::Value("65536")), 65535);
  EXPECT_EQ(macros::ParseDelay(Json::Value("70000")), 65535);
  EXPECT_EQ(macros::ParseDelay(Json::Value("99999999999999999999")), 65535);
  EXPECT_EQ(macros::ParseDelay(Json::Value("-20")), 0);
  EXPECT_EQ(macros::ParseDelay(Json::Value("120ms")), 120);
  EXPECT_EQ(macros::ParseDelay(Json::Value("")), 0);
  EXPECT_EQ(macros::ParseDelay(Json::Value("abc")), 0);
  EXPECT_EQ(macros::ParseDelay(Json::Value(Json::nullValue)), 0);
  // A saved event always carries its delay as a string.
  EXPECT_EQ(macros::EventToJson(macros::EventFromJson(Event(10, "down", 4, 0)))["Delay"],
            Json::Value("0"));
}

TEST(MacroFiles, NewAndImportedNamesAvoidEveryNameWithoutRegardToCase) {
  EXPECT_EQ(macros::NewMacroName({}), "macro_1");
  EXPECT_EQ(macros::NewMacroName({"macro_1", "MACRO_2"}), "macro_3");
  EXPECT_EQ(macros::NewMacroName({"macro_2"}), "macro_1");
  EXPECT_EQ(macros::ImportedMacroName("combo", {}), "combo");
  EXPECT_EQ(macros::ImportedMacroName("m", {"m", "M_1"}), "m_1_2");
  EXPECT_EQ(macros::ImportedMacroName("combo", {"combo"}), "combo_1");
}

TEST(MacroFiles, AnIdThatIsAPathNamesNoFile) {
  EXPECT_TRUE(macros::IsUsableMacroId("2026_12_10_05_51_00_123"));
  for (const char* id : {"", "../profile", "a/b", "..", "a\\b"})
    EXPECT_FALSE(macros::IsUsableMacroId(id)) << id;
  EXPECT_EQ(macros::MacroFilePath("/data/kb/", "2026_1"), QStringLiteral("/data/kb/2026_1.mac"));
  EXPECT_TRUE(macros::MacroFilePath("/data/kb/", "../../etc/passwd").isEmpty());
  EXPECT_EQ(macros::WriteMacroFile(QString(), {}), -1);
}

TEST(MacroFiles, ListAndMacroFilesRoundTripAndAMissingFileHasNoEvents) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.path() + QLatin1Char('/');
  const QString listPath = folder + QLatin1String(macros::kMacroListFile);
  EXPECT_TRUE(macros::ReadMacroList(listPath).empty());

  const std::vector<macros::MacroListEntry> entries = {{"macro_1", "2026_12_10_05_51_00_123"},
                                                       {"宏 2", "2026_12_10_05_52_00_001"}};
  ASSERT_EQ(macros::WriteMacroList(listPath, entries), 0);
  EXPECT_EQ(macros::ReadMacroList(listPath), entries);
  EXPECT_EQ(macros::ReadMacroNames(listPath), (std::vector<std::string>{"macro_1", "宏 2"}));

  macros::MacroDocument macro{"macro_1", entries[0].Guid, {{10, true, 4, 50}, {10, false, 4, 0}}};
  const QString path = macros::MacroFilePath(folder, macro.Guid);
  ASSERT_EQ(macros::WriteMacroFile(path, macro), 0);
  const Json::Value written = JsonFile().ReadJson(path);
  EXPECT_EQ(written["Version"].asInt(), 64);
  EXPECT_EQ(written["Events"][0]["Delay"], Json::Value("50"));
  const macros::MacroDocument read = macros::ReadMacroFile(path);
  EXPECT_EQ(read.Name, "macro_1");
  EXPECT_EQ(read.Events, macro.Events);
  EXPECT_EQ(macros::CountMacroEvents(path), 2u);

  EXPECT_TRUE(macros::ReadMacroFile(macros::MacroFilePath(folder, entries[1].Guid)).Events.empty());
  EXPECT_EQ(macros::CountMacroEvents(macros::MacroFilePath(folder, entries[1].Guid)), 0u);
}
