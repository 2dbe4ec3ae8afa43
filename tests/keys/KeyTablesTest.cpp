// The fixed key tables: every name they use has a text in both shipped
// languages, the layout tables point at real rows, the keyboard template
// agrees with the printed layout, and the capture lookup finds the right row.

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <string>
#include <vector>

#include "keys/KeyTables.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/JsonFile.h"
#include "profiles/JsonValue.h"

using namespace keys;

namespace {

// id -> value of every <Text id="..." value="..."/> of a language file.
QHash<QString, QString> LanguageTexts(const QString& name) {
  QHash<QString, QString> texts;
  QFile file(QStringLiteral(TRAVIX_SOURCE_DIR "/skin/") + name);
  if (!file.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot open " << name.toStdString();
    return texts;
  }
  QXmlStreamReader xml(&file);
  while (!xml.atEnd())
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Text")
      texts.insert(xml.attributes().value("id").toString(), xml.attributes().value("value").toString());
  EXPECT_FALSE(xml.hasError()) << name.toStdString() << ": " << xml.errorString().toStdString();
  return texts;
}

template <size_t N>
void AddIds(std::vector<std::string>& ids, const std::array<FunctionRow, N>& table) {
  for (const FunctionRow& row : table)
    ids.emplace_back(row.TextId);
}

std::vector<std::string> EveryTextId() {
  std::vector<std::string> ids = {"close_text", "com_key_nothing", "show_window",
                                  "mouse_key_left_Swing", "mouse_key_right_Swing",
                                  "mouse_key_up_Swing", "mouse_key_down_Swing",
                                  "mouse_key_fire_key", "mouse_key_DPI_shift", "Key_Set"};
  for (const KeyNameRow& row : KeyNameTable)
    ids.emplace_back(row.TextId);
  AddIds(ids, MouseButtonTable);
  AddIds(ids, DpiFunctionTable);
  AddIds(ids, MediaFunctionTable);
  AddIds(ids, SystemFunctionTable);
  AddIds(ids, ShortcutKeyTable);
  AddIds(ids, ShortcutIndexTable);
  AddIds(ids, MouseFunctionTable);
  ids.insert(ids.end(), GunNames.begin(), GunNames.end());
  ids.insert(ids.end(), MouseButtonNames.begin(), MouseButtonNames.end());
  return ids;
}

FunctionCode Row(int row) { return KeyNameTable[static_cast<size_t>(row)].Code(); }
constexpr FunctionCode kNone{0x20, 0, 0};

}  // namespace

TEST(KeyTables, EveryTextIdHasATextInBothLanguages) {
  const std::vector<std::string> ids = EveryTextId();
  for (const char* file : {"lan_cn.xml", "lan_en.xml"}) {
    const QHash<QString, QString> texts = LanguageTexts(QString::fromLatin1(file));
    ASSERT_GT(texts.size(), 100) << file;
    for (const std::string& id : ids)
      EXPECT_FALSE(texts.value(QString::fromStdString(id)).isEmpty()) << file << " lacks " << id;
  }
}

TEST(KeyTables, LayoutTablesNameExistingRows) {
  const int rows = static_cast<int>(KeyNameTable.size());
  auto valid = [rows](int16_t row) { return row == kNoRow || (row >= 0 && row < rows); };
  for (size_t i = 0; i < KeyPositionTable.size(); ++i)
    EXPECT_TRUE(valid(KeyPositionTable[i])) << "position " << i;
  for (size_t i = 0; i < PickerKeyTable.size(); ++i)
    EXPECT_TRUE(valid(PickerKeyTable[i])) << "picker key " << i;
  for (size_t i = 0; i < FnReservedFunctions.size(); ++i)
    EXPECT_TRUE(FnReservedFunctions[i] >= 0 && FnReservedFunctions[i] < rows) << "reserved " << i;

  // Spot checks along the picture and the picker, and the ends of both.
  const struct {
    FunctionCode actual, expected;
    const char* what;
  } cases[] = {
      {PrintedFunction(0), Row(45), "position 0 Esc"},
      {PrintedFunction(62), Row(113), "position 62 K42"},
      {PrintedFunction(104), kNone, "position 104 none"},
      {PrintedFunction(kFnKeyPosition), {0xA0, 0x01, 0x00}, "position 110 Fn"},
      {PrintedFunction(125), Row(7), "position 125 RWin"},
      {PrintedFunction(kLayoutPositions), kNone, "position 170"},
      {PickerFunction(73), Row(90), "picker 73 Num +"},
      {PickerFunction(104), kNone, "picker 104 none"},
      {PickerFunction(114), Row(107), "picker 114 K107"},
      {PickerFunction(kPickerKeys), kNone, "picker 126"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.actual, c.expected) << c.what;
  EXPECT_EQ(FindPosition({0xA0, 0x01, 0x00}), kFnKeyPosition);
}

TEST(KeyTables, FnReservedKeysSitOnDistinctPositions) {
  const std::array<int, 32> positions = FnReservedPositions();
  QSet<int> seen;
  for (size_t i = 0; i < positions.size(); ++i) {
    ASSERT_GE(positions[i], 0) << "reserved function " << i << " is not on the keyboard";
    EXPECT_FALSE(seen.contains(positions[i])) << "position " << positions[i] << " twice";
    seen.insert(positions[i]);
    EXPECT_EQ(PrintedFunction(positions[i]), Row(FnReservedFunctions[i])) << i;
    EXPECT_NE(positions[i], kFnKeyPosition);
  }
  EXPECT_EQ(positions[0], 0);    // Esc
  EXPECT_EQ(positions[31], 69);  // H
}

TEST(KeyTables, OnlyTheFirstRowsCanBeCapturedAndEachIsFound) {
  for (int row = 0; row < static_cast<int>(KeyNameTable.size()); ++row) {
    const KeyNameRow& name = KeyNameTable[static_cast<size_t>(row)];
    if (row < kCapturableRows) {
      ASSERT_TRUE(name.Extended == 0 || name.Extended == 1) << "row " << row;
      EXPECT_EQ(name.Type, FunctionType::Key) << "row " << row;
      // A scan code pair used twice would leave the later row unreachable.
      EXPECT_EQ(FindCapturedKey(name.ScanCode, static_cast<uint32_t>(name.Extended)), row)
          << name.TextId;
    } else {
      EXPECT_EQ(name.Extended, -1) << "row " << row;
    }
  }
}

TEST(KeyTables, CaptureLookupUsesScanCodeAndExtendedBit) {
  const struct {
    uint32_t scan, flags;
    std::optional<int> row;
  } cases[] = {
      {0x1D, 0, 0},              // LCtrl
      {0x1D, 1, 4},              // RCtrl
      {0x45, 1, 86},             // Num Lock
      {0x45, 0, 75},             // Pause
      {0x1D, 0x81, 4},           // only bit 0 of the flags counts
      {0x45, 0x80, 75},
      {0x37, 1, 73},             // Print Scr
      {0x37, 0, 88},             // Num *
      {0x7F, 0, std::nullopt},   // unknown scan code
      {0x00, 0, std::nullopt},   // the rows that cannot be captured carry 0
      {0x11D, 0, std::nullopt},  // not a byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindCapturedKey(c.scan, c.flags), c.row) << std::hex << c.scan << "/" << c.flags;
}

TEST(KeyTables, KeyboardTemplateDefaultsArePrintedFunctions) {
  const Json::Value document = JsonFile().ReadJson(TRAVIX_SOURCE_DIR "/DefaultData/keyboard.Json");
  const Json::Value& list =
      jsonvalue::Member(jsonvalue::Element(jsonvalue::Member(document, "Device"), 0), "KeyList");
  ASSERT_EQ(jsonvalue::ArraySize(list), static_cast<Json::ArrayIndex>(kLayoutPositions));
  for (int i = 0; i < kLayoutPositions; ++i) {
    const FunctionCode code = PrintedFunction(i);
    const int expected = code.Type * 65536 + code.Code1 * 256 + code.Code2;
    EXPECT_EQ(jsonvalue::ReadInt(jsonvalue::Member(list[i], "DefaultAssignment"), -1), expected)
        << "key " << i;
  }
}

TEST(KeyTables, RecordsCompareByFunctionOnly) {
  const KeyFunctionRecord a{1, 0x20, 0x01, 0x04, 0};
  EXPECT_EQ(a, (KeyFunctionRecord{170, 0x20, 0x01, 0x04, 9}));
  EXPECT_NE(a, (KeyFunctionRecord{1, 0x00, 0x01, 0x04, 0}));
  EXPECT_NE(a, (KeyFunctionRecord{1, 0x20, 0x02, 0x04, 0}));
  EXPECT_NE(a, (KeyFunctionRecord{1, 0x20, 0x01, 0x05, 0}));
  EXPECT_EQ(CodeOf(a), (FunctionCode{0x20, 0x01, 0x04}));
}

TEST(KeyTables, ProfileIntegerDecodesAndStoresBack) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("profile.json");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // 0x200104 = left Ctrl + A; 0x700203 = macro 2, run mode 3.
    file.write(R"({"Device":[{"KeyList":[{"Assignment":2097412,"FnAssignment":7340547,)"
               R"("DefaultAssignment":2097193}]}]})");
  }
  CBasicProfiledata data;
  data.LoadProfile(path);
  std::vector<KeyListEntry> list = data.GetKeyList();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(CodeOf(list[0].Normal), (FunctionCode{0x20, 0x01, 0x04}));
  EXPECT_EQ(CodeOf(list[0].Fn), (FunctionCode{0x70, 0x02, 0x03}));
  EXPECT_EQ(CodeOf(list[0].Default), (FunctionCode{0x20, 0x00, 0x29}));

  data.SetKeyList(list);
  const Json::Value root = data.GetProfileRoot();
  const Json::Value& element = root["KeyList"][0];
  EXPECT_EQ(element["Assignment"].asInt(), 0x200104);
  EXPECT_EQ(element["FnAssignment"].asInt(), 0x700203);
}
