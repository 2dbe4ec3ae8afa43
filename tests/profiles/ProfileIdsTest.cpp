#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "profiles/ProfileIds.h"

TEST(ProfileIds, OnlyPlainFileNamesPass) {
  for (const QString& id :
       {QStringLiteral("2024_01_05_13_02_07_123"), QStringLiteral("Profile 1"), QStringLiteral(" spaced "),
        QStringLiteral("..."), QStringLiteral("a..b"), QString::fromUtf8("配置")})
    EXPECT_TRUE(IsPlainFileName(id)) << id.toStdString();
  const QString withNul = QString::fromLatin1("a\0b", 3);
  for (const QString& id :
       {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"),
        QStringLiteral("/etc/passwd"), QStringLiteral("a/b"), QStringLiteral("a\\b"), QStringLiteral("..\\x"),
        withNul, QStringLiteral("line\nbreak"), QString(kMaxIdBytes + 1, u'x')})
    EXPECT_FALSE(IsPlainFileName(id)) << id.toStdString();
  EXPECT_TRUE(IsPlainFileName(QString(kMaxIdBytes, u'x')));
}

TEST(ProfileIds, TimeStampsHaveTheFixedForm) {
  const QDateTime when(QDate(2024, 1, 5), QTime(13, 2, 7, 3));
  EXPECT_EQ(MakeTimeStampId(when), "2024_01_05_13_02_07_003");
  EXPECT_EQ(MakeTimeStampId(QDateTime(QDate(2031, 12, 31), QTime(23, 59, 59, 999))),
            "2031_12_31_23_59_59_999");
}

// Ids made within one millisecond, or again when the clocks go back, must
// not share a file.
TEST(ProfileIds, UniqueIdsStepPastTakenIdsAndFiles) {
  QTemporaryDir folder;
  const QString dir = folder.path() + "/";
  const QDateTime start(QDate(2024, 3, 1), QTime(10, 0, 0, 998));
  QFile onDisk(dir + "2024_03_01_10_00_00_999.Json");
  ASSERT_TRUE(onDisk.open(QIODevice::WriteOnly));
  onDisk.close();
  QStringList asked;
  const QString id = MakeUniqueTimeStampId(
      dir,
      [&](const QString& candidate) {
        asked << candidate;
        return candidate == "2024_03_01_10_00_00_998";
      },
      ".Json", start);
  EXPECT_EQ(id, "2024_03_01_10_00_01_000");
  EXPECT_EQ(asked,
            QStringList({"2024_03_01_10_00_00_998", "2024_03_01_10_00_00_999", "2024_03_01_10_00_01_000"}));
  // Macro files have their own suffix: a profile file does not block a macro id.
  EXPECT_EQ(MakeUniqueTimeStampId(dir, {}, ".mac", start.addMSecs(1)), "2024_03_01_10_00_00_999");
  // A caller that claims every id gets none rather than a hang.
  EXPECT_TRUE(MakeUniqueTimeStampId(
                  dir, [](const QString&) { return true; }, ".Json", start)
                  .isEmpty());
}
