#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "support/EventLoopHelpers.h"

using platform::LocalMessageServer;
using platform::SocketMessage;
using testing_support::RunUntil;

namespace {

struct Finished {
  int status = -1;
  QString out;
  QString err;
};

// The built travixctl, run while this process's event loop goes on (a server
// of the test's own can answer it meanwhile).
Finished RunTravixctl(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(TRAVIXCTL_PATH), arguments);
  EXPECT_TRUE(process.waitForStarted(5000));
  EXPECT_TRUE(RunUntil([&] { return process.state() == QProcess::NotRunning; }, 10000));
  Finished finished;
  finished.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  finished.out = QString::fromUtf8(process.readAllStandardOutput());
  finished.err = QString::fromUtf8(process.readAllStandardError());
  return finished;
}

class TravixctlProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    saved_ = qgetenv("XDG_RUNTIME_DIR");
    // The child inherits it.
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved_); }

  QTemporaryDir runtime_;
  QByteArray saved_;
};

}  // namespace

TEST_F(TravixctlProcess, HelpRefusalAndNoProgramGiveTheirStatuses) {
  const Finished help = RunTravixctl({"light", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: travixctl light [options] DEVICE")) << help.out.toStdString();
  EXPECT_TRUE(help.err.isEmpty());

  const Finished refused = RunTravixctl({"light", "keyboard", "--direction", "up"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_TRUE(refused.out.isEmpty());
  EXPECT_TRUE(refused.err.startsWith("travixctl: --direction takes first or second")) << refused.err.toStdString();

  // No Travix and no devices: travixctl looks for itself and finds none.
  qputenv("TRAVIX_SYSFS_ROOT", (runtime_.path() + "/sys").toUtf8());
  const Finished alone = RunTravixctl({"light", "pad"});
  qunsetenv("TRAVIX_SYSFS_ROOT");
  EXPECT_EQ(alone.status, 4);
  EXPECT_EQ(alone.err, "travixctl: no pad is attached\n");
}

TEST_F(TravixctlProcess, AsksTheRunningProgramAndPrintsItsAnswer) {
  LocalMessageServer server;
  ASSERT_EQ(server.Start(), LocalMessageServer::StartResult::Listening);
  QJsonObject seen;
  server.SetRequestHandler("Travix.Control", [&](const SocketMessage& request, const LocalMessageServer::Reply& reply) {
    seen = request.fields;
    reply(SocketMessage::WithFields(
        "Travix.Control.Reply",
        {{"id", request.fields.value("id")},
         {"ok", true},
         {"result", QJsonObject{{"profiles", QJsonArray{QJsonObject{{"number", 1}, {"name", "Zwei Wörter"},
                                                                    {"active", true}}}}}}}));
  });
  const Finished text = RunTravixctl({"profile", "list", "mouse"});
  EXPECT_EQ(text.status, 0) << text.err.toStdString();
  EXPECT_EQ(text.out, QStringLiteral("* 1  Zwei Wörter\n"));
  EXPECT_EQ(seen.value("command").toString(), "profile-list");

  const Finished json = RunTravixctl({"--json", "profile", "list", "mouse"});
  EXPECT_EQ(json.status, 0) << json.err.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).object().value("profiles").toArray().at(0)["name"].toString(),
            QStringLiteral("Zwei Wörter"));

  server.SetRequestHandler("Travix.Control", [&](const SocketMessage& request, const LocalMessageServer::Reply& reply) {
    reply(SocketMessage::WithFields("Travix.Control.Reply", {{"id", request.fields.value("id")},
                                                            {"ok", false},
                                                            {"error", "unknown-device"},
                                                            {"text", "no mouse:2 attached"}}));
  });
  const Finished refused = RunTravixctl({"profile", "list", "mouse:2"});
  EXPECT_EQ(refused.status, 4);
  EXPECT_EQ(refused.err, "travixctl: no mouse:2 attached\n");
}

namespace {

// What the bash completion offers for the line typed so far.
QStringList Completions(const QString& line) {
  QProcess bash;
  bash.start("bash", {"--norc", "--noprofile", "-c",
                      "source \"$1\" || exit 9; COMP_LINE=$2; COMP_POINT=${#COMP_LINE}; _travixctl; "
                      "printf '%s\\n' \"${COMPREPLY[@]}\"",
                      "bash", QStringLiteral(TRAVIXCTL_COMPLETION), line});
  EXPECT_TRUE(bash.waitForFinished(10000));
  EXPECT_EQ(bash.exitCode(), 0) << bash.readAllStandardError().toStdString();
  return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

TEST(TravixctlCompletion, OffersWhatFitsWhereTheCursorIs) {
  struct Case {
    const char* line;
    QStringList offered;
  };
  const QStringList devices{"keyboard", "mouse", "pad", "headset"};
  const Case cases[] = {
      {"travixctl ", {"list", "light", "dpi", "key", "game-event", "profile"}},
      {"travixctl key ", {"keyboard", "mouse"}},
      {"travixctl key mouse 4 ", {"default", "key:", "media:", "mouse:"}},
      {"travixctl key keyboard A media:Play -", {"--fn", "--help", "--json", "--timeout"}},
      {"travixctl d", {"dpi"}},
      {"travixctl --json l", {"list", "light"}},
      {"travixctl --timeout 2 p", {"profile"}},
      {"travixctl --", {"--help", "--json", "--timeout", "--version"}},
      {"travixctl light ", QStringList{"same-mode"} + devices},
      {"travixctl light --json h", {"headset"}},
      {"travixctl light mouse:2 --b", {"--brightness"}},
      {"travixctl light mouse --mode 3 --s", {"--speed"}},
      {"travixctl light mouse --speed ", {"0", "1", "2", "3", "4"}},
      {"travixctl light mouse --direction s", {"second"}},
      {"travixctl light mouse --mode ", {}},
      {"travixctl light mouse ", {}},
      {"travixctl light same-mode --", {"--from", "--help", "--json", "--timeout"}},
      {"travixctl light same-mode --from p", {"pad"}},
      {"travixctl dpi ", {"mouse"}},
      {"travixctl dpi --json m", {"mouse"}},
      {"travixctl dpi mouse ", {}},
      {"travixctl dpi mouse --", {"--stage", "--set", "--enable", "--disable", "--report-rate", "--help", "--json",
                                  "--timeout"}},
      {"travixctl dpi mouse --stage ", {"1", "2", "3", "4", "5"}},
      {"travixctl dpi mouse --enable 2 --disable ", {"1", "2", "3", "4", "5"}},
      {"travixctl dpi mouse --report-rate ", {"0", "1", "2", "3", "4"}},
      {"travixctl dpi mouse --set ", {}},
      {"travixctl dpi mouse --set=", {}},
      {"travixctl dpi --set 1=800 --enable 3 ", {"mouse"}},
      {"travixctl dpi mouse --enable 3 --r", {"--report-rate"}},
      {"travixctl game-event Game_", {"Game_Start", "Game_End", "Game_Kill", "Game_Death"}},
      {"travixctl game-event Game_Kill ", {}},
      {"travixctl profile ", {"list", "select", "show", "export", "import", "reset"}},
      {"travixctl profile s", {"select", "show"}},
      {"travixctl profile select k", {"keyboard"}},
      {"travixctl profile select keyboard ", {}},
      {"travixctl profile show --json m", {"mouse"}},
      {"travixctl profile show mouse ", {}},
      {"travixctl profile show mouse 2 ", {}},
      {"travixctl profile import ", devices},
      {"travixctl profile export h", {"headset"}},
      {"travixctl profile reset ", devices},
      {"travixctl profile reset mouse ", {}},
      {"travixctl profile reset mouse --", {"--help", "--json", "--timeout"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Completions(c.line), c.offered);
  }
}

TEST(TravixctlCompletion, OffersFilesWhereAProfileFileGoes) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const char* name : {"profile.json", "profile2.json", "other.txt"}) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QDir(folder.path()).mkdir("profiles"));
  const QString start = folder.path() + "/pro";
  const QStringList profiles{start + "file.json", start + "file2.json", start + "files"};
  // FILE of import; of export with and without PROFILE before it.
  for (const QString& line : {"travixctl profile import mouse " + start,
                              "travixctl profile export mouse " + start,
                              "travixctl profile export mouse:2 3 " + start,
                              "travixctl profile export --json mouse 3 " + start}) {
    SCOPED_TRACE(line.toStdString());
    QStringList offered = Completions(line);
    offered.sort();
    EXPECT_EQ(offered, profiles);
  }
  // Nowhere else.
  for (const QString& line : {"travixctl profile import mouse " + start + "file.json " + start,
                              "travixctl profile show mouse " + start,
                              "travixctl profile reset mouse " + start,
                              "travixctl profile select mouse " + start}) {
    SCOPED_TRACE(line.toStdString());
    EXPECT_EQ(Completions(line), QStringList());
  }
}
