// The lighting mode lists: the shipped mode file, and files that are not
// what they should be.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <string>

#include "lighting/LightModeList.h"

namespace {

const QString kShipped = QStringLiteral(TRAVIX_SOURCE_DIR "/DefaultData/default_light.json");

void ExpectParallel(const LightModeList& list) {
  EXPECT_EQ(list.names.size(), list.values.size());
  EXPECT_EQ(list.visible.size(), list.values.size());
}

class LightModeFile : public ::testing::Test {
 protected:
  QString Write(const QByteArray& text) {
    const QString path = dir_.filePath(QString("modes%1.json").arg(count_++));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return path;
  }

  QTemporaryDir dir_;
  int count_ = 0;
};

}  // namespace

TEST(LightModeList, ShippedFileHasATablePerDeviceKind) {
  const struct {
    int table;
    int count;
  } cases[] = {{0, 36}, {1, 12}, {2, 9}, {3, 9}, {4, 0}, {-1, 0}, {INT_MAX, 0}};
  for (const auto& c : cases) {
    const LightModeList list = LightModeList::Load(kShipped, c.table);
    ExpectParallel(list);
    EXPECT_EQ(list.Count(), c.count) << "table " << c.table;
    EXPECT_EQ(list.Empty(), c.count == 0) << "table " << c.table;
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_FALSE(list.names[static_cast<size_t>(i)].empty()) << c.table << "/" << i;
      EXPECT_EQ(list.PositionOf(list.ValueAt(i)), i) << "value of " << c.table << "/" << i << " repeats";
    }
  }
  // The host-drawn keyboard modes are in the keyboard's list.
  const LightModeList keyboard = LightModeList::Load(kShipped, 0);
  EXPECT_GE(keyboard.PositionOf(29), 0);
  EXPECT_GE(keyboard.PositionOf(30), 0);
}

TEST_F(LightModeFile, MissingOrMalformedFilesGiveEmptyLists) {
  ASSERT_TRUE(dir_.isValid());
  const QString paths[] = {
      dir_.filePath("absent.json"),
      Write(""),
      Write("{ not json"),
      Write("[[{\"LightName\":\"a\",\"visible\":true,\"value\":1}]]"),
      Write("{\"DefaultLightName\":{\"0\":[{\"LightName\":\"a\",\"visible\":true,\"value\":1}]}}"),
      Write("{\"DefaultLightName\":null}"),
      Write("{\"DefaultLightName\":[\"text\", null, {}]}"),
  };
  for (const QString& path : paths)
    for (int table : {0, 1, 2}) {
      const LightModeList list = LightModeList::Load(path, table);
      EXPECT_TRUE(list.Empty()) << path.toStdString() << " table " << table;
      ExpectParallel(list);
    }
}

TEST_F(LightModeFile, BrokenEntriesKeepTheirPlace) {
  ASSERT_TRUE(dir_.isValid());
  const QString path = Write(R"({"DefaultLightName":[
      "not a table",
      [ {"LightName":"light_a","visible":true,"value":5},
        {"LightName":"light_b","visible":"yes","value":"x"},
        {},
        42,
        {"LightName":7,"visible":1,"value":3.0},
        {"LightName":"light_c","visible":false,"value":12} ] ]})");
  EXPECT_TRUE(LightModeList::Load(path, 0).Empty());

  const LightModeList list = LightModeList::Load(path, 1);
  ExpectParallel(list);
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(list.values, (std::vector<int>{5, 0, 0, 0, 3, 12}));
  EXPECT_EQ(list.visible, (std::vector<bool>{true, false, false, false, true, false}));
  EXPECT_EQ(list.names[0], "light_a");
  EXPECT_EQ(list.names[2], "");
  EXPECT_EQ(list.names[3], "");
  EXPECT_EQ(list.names[4], "");
  EXPECT_EQ(list.names[5], "light_c");
  EXPECT_EQ(list.PositionOf(12), 5);
}

TEST_F(LightModeFile, HugeTablesAreCapped) {
  ASSERT_TRUE(dir_.isValid());
  QByteArray text = "{\"DefaultLightName\":[[";
  for (int i = 0; i < 100000; ++i)
    text += (i == 0 ? "" : ",") + QByteArray("{\"LightName\":\"m\",\"visible\":true,\"value\":") +
            QByteArray::number(i % 300) + "}";
  text += "]]}";
  const LightModeList list = LightModeList::Load(Write(text), 0);
  ExpectParallel(list);
  ASSERT_EQ(list.Count(), 256);
  EXPECT_EQ(list.ValueAt(255), 255);
  EXPECT_EQ(list.PositionOf(256), -1);
}
