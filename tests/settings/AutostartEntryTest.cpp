#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "settings/AutostartEntry.h"

namespace {

class Autostart : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString Config() const { return dir_.path() + "/config"; }
  QString AutostartDir() const { return Config() + "/autostart"; }

  static QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static void WriteFile(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(text);
  }
  // The lines of the entry that start with `key=`.
  static QStringList Lines(const QByteArray& text, const QString& key) {
    QStringList found;
    for (const QByteArray& line : text.split('\n'))
      if (line.startsWith((key + "=").toUtf8()))
        found << QString::fromUtf8(line);
    return found;
  }
  // desktop-file-validate's verdict, or nothing when it is not installed.
  static std::optional<std::pair<int, QString>> Validate(const QString& path) {
    const QString tool = QStandardPaths::findExecutable("desktop-file-validate");
    if (tool.isEmpty())
      return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, {path});
    if (!process.waitForFinished(10000))
      return std::make_pair(-1, QStringLiteral("did not finish"));
    return std::make_pair(process.exitCode(), QString::fromUtf8(process.readAll()));
  }

  QTemporaryDir dir_;
};

TEST_F(Autostart, IsOffUntilEnabledAndOffAgainOnceRemoved) {
  const AutostartEntry entry(Config());
  EXPECT_EQ(entry.Path(), AutostartDir() + "/io.github.travix.Travix.desktop");
  EXPECT_FALSE(entry.IsEnabled());
  EXPECT_TRUE(entry.Command().isEmpty());

  // The folder does not exist yet: it is made.
  ASSERT_EQ(entry.Enable("/usr/bin/travix"), 0);
  EXPECT_TRUE(entry.IsEnabled());
  EXPECT_EQ(entry.Command(), QStringList({"/usr/bin/travix", "--hidden"}));
  const QByteArray text = ReadFile(entry.Path());
  EXPECT_EQ(Lines(text, "TryExec"), QStringList{"TryExec=/usr/bin/travix"});
  EXPECT_EQ(Lines(text, "Type"), QStringList{"Type=Application"});

  // Another instance (the same user's) sees it too.
  EXPECT_TRUE(AutostartEntry(Config()).IsEnabled());

  EXPECT_EQ(entry.Disable(), 0);
  EXPECT_FALSE(QFileInfo::exists(entry.Path()));
  EXPECT_FALSE(entry.IsEnabled());
  EXPECT_TRUE(entry.Command().isEmpty());
  // Removing what is not there is no failure.
  EXPECT_EQ(entry.Disable(), 0);
}

TEST_F(Autostart, FollowsXdgConfigHomeAndIgnoresARelativeOne) {
  const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
  const QByteArray savedHome = qgetenv("HOME");
  qputenv("HOME", dir_.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", Config().toUtf8());
  const QString fromVariable = AutostartEntry().Path();
  qputenv("XDG_CONFIG_HOME", "relative/config");
  const QString fromRelative = AutostartEntry().Path();
  qputenv("XDG_CONFIG_HOME", savedConfig);
  qputenv("HOME", savedHome);
  EXPECT_EQ(fromVariable, AutostartDir() + "/io.github.travix.Travix.desktop");
  EXPECT_EQ(fromRelative, dir_.path() + "/.config/autostart/io.github.travix.Travix.desktop");
}

TEST_F(Autostart, ProgramPathsWithSpacesAndSpecialCharactersAreQuotedAndReadBack) {
  const AutostartEntry entry(Config());
  const QString withSpaces = "/opt/Travix Apps/bin/travix";
  ASSERT_EQ(entry.Enable(withSpaces), 0);
  const QByteArray text = ReadFile(entry.Path());
  EXPECT_EQ(Lines(text, "Exec"), QStringList{R"(Exec="/opt/Travix Apps/bin/travix" --hidden)"});
  EXPECT_EQ(entry.Command(), QStringList({withSpaces, "--hidden"}));
  if (auto verdict = Validate(entry.Path())) {
    EXPECT_EQ(verdict->first, 0) << verdict->second.toStdString();
  }

  // Quotes, a dollar, a backslash, back-ticks and a percent: escaped with a
  // backslash inside the quotes, and every backslash of that escaped once
  // more by the file's own string escaping (a literal backslash is four);
  // the percent doubled.
  const QString awkward = R"(/home/me/My "Games" $HOME\`tools`/100% travix)";
  ASSERT_EQ(entry.Enable(awkward), 0);
  const QByteArray awkwardText = ReadFile(entry.Path());
  EXPECT_EQ(Lines(awkwardText, "Exec"),
            QStringList{R"(Exec="/home/me/My \\"Games\\" \\$HOME\\\\\\`tools\\`/100%% travix" --hidden)"});
  EXPECT_EQ(entry.Command(), QStringList({awkward, "--hidden"}));
  if (auto verdict = Validate(entry.Path())) {
    EXPECT_EQ(verdict->first, 0) << verdict->second.toStdString();
  }

  // A plain path stays unquoted.
  EXPECT_EQ(AutostartEntry::QuoteExecArgument("/usr/bin/travix"), "/usr/bin/travix");
}

TEST_F(Autostart, BrokenQuotingReadsAsNoCommand) {
  EXPECT_TRUE(AutostartEntry::SplitExec(R"("/usr/bin/travix --hidden)").isEmpty());
  // Inside quotes only " ` $ and \ may follow a backslash.
  EXPECT_TRUE(AutostartEntry::SplitExec(R"("/usr/bin/\\q")").isEmpty());
  EXPECT_EQ(AutostartEntry::SplitExec(R"(travix  %U --hidden)"), QStringList({"travix", "--hidden"}));
}

TEST_F(Autostart, AnEntrySwitchedOffByTheDesktopCountsAsOff) {
  const AutostartEntry entry(Config());
  const QByteArray written = AutostartEntry::Content("/usr/bin/travix");
  WriteFile(entry.Path(), written + "Hidden=true\n");
  EXPECT_FALSE(entry.IsEnabled());
  QByteArray gnomeOff = written;
  gnomeOff.replace("X-GNOME-Autostart-enabled=true", "X-GNOME-Autostart-enabled=false");
  WriteFile(entry.Path(), gnomeOff);
  EXPECT_FALSE(entry.IsEnabled());
  // Keys of another group are not the entry's.
  WriteFile(entry.Path(), written + "\n[Desktop Action Other]\nHidden=true\n");
  EXPECT_TRUE(entry.IsEnabled());
  // Turning the option on again writes a working entry over it.
  WriteFile(entry.Path(), written + "Hidden=true\n");
  ASSERT_EQ(entry.Enable("/usr/bin/travix"), 0);
  EXPECT_TRUE(entry.IsEnabled());
}

TEST_F(Autostart, WritesWholeFilesThroughARenameAndLeavesNothingBehind) {
  const AutostartEntry entry(Config());
  ASSERT_EQ(entry.Enable("/old/travix"), 0);
  ASSERT_EQ(entry.Enable("/new/travix"), 0);
  EXPECT_EQ(entry.Command(), QStringList({"/new/travix", "--hidden"}));
  EXPECT_EQ(QDir(AutostartDir()).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList{"io.github.travix.Travix.desktop"});

  // A link at the entry's place is replaced, never written through.
  const QString elsewhere = dir_.path() + "/elsewhere.desktop";
  WriteFile(elsewhere, "[Desktop Entry]\nName=Not ours\n");
  ASSERT_TRUE(QFile::remove(entry.Path()));
  ASSERT_TRUE(QFile::link(elsewhere, entry.Path()));
  ASSERT_EQ(entry.Enable("/usr/bin/travix"), 0);
  EXPECT_FALSE(QFileInfo(entry.Path()).isSymLink());
  EXPECT_EQ(ReadFile(elsewhere), QByteArray("[Desktop Entry]\nName=Not ours\n"));
  EXPECT_TRUE(entry.IsEnabled());

  // A write that cannot land (a folder stands at the entry's place) fails,
  // leaves the folder as it was and no temporary file beside it.
  ASSERT_EQ(entry.Disable(), 0);
  WriteFile(entry.Path() + "/kept", "kept");
  EXPECT_NE(entry.Enable("/usr/bin/travix"), 0);
  EXPECT_EQ(ReadFile(entry.Path() + "/kept"), QByteArray("kept"));
  EXPECT_EQ(QDir(AutostartDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"io.github.travix.Travix.desktop"});
}

}  // namespace
