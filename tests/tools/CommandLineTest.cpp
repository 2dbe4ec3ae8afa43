#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include "platform/SocketMessage.h"
#include "travixctl/CommandLine.h"
#include "travixctl/Program.h"

using travixctl::Invocation;
using travixctl::ParseCommandLine;

namespace {

Invocation Parse(const QStringList& arguments) { return ParseCommandLine(QStringList{"travixctl"} + arguments); }

QJsonObject Json(const char* text) { return QJsonDocument::fromJson(text).object(); }

std::string Show(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

struct RequestCase {
  QStringList arguments;
  const char* command;
  const char* args;  // JSON
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.arguments.join(' ').toStdString(); }

class CommandLineRequests : public ::testing::TestWithParam<RequestCase> {};

}  // namespace

TEST_P(CommandLineRequests, BecomeTheirRequest) {
  const RequestCase& c = GetParam();
  const Invocation invocation = Parse(c.arguments);
  ASSERT_EQ(invocation.action, Invocation::Action::Send) << invocation.text.toStdString();
  EXPECT_EQ(invocation.request.command, c.command);
  EXPECT_EQ(Show(invocation.request.args), Show(Json(c.args)));
}

INSTANTIATE_TEST_SUITE_P(
    AllCommands, CommandLineRequests,
    ::testing::Values(
        RequestCase{{"list"}, "list", "{}"},
        // Without options: the current lighting.
        RequestCase{{"light", "keyboard"}, "light", R"({"device":"keyboard","index":1})"},
        RequestCase{{"light", "mouse:2", "--mode", "3", "--brightness", "4", "--speed", "0", "--colour", "ff8000",
                     "--direction", "second"},
                    "light",
                    R"({"device":"mouse","index":2,"mode":3,"brightness":4,"speed":0,"colour":"FF8000",
                        "direction":"second"})"},
        // A mode by name; "=" forms, "#", the other spelling and the device word in capitals.
        RequestCase{{"light", "--mode=Colour wave", "--color=#00aaFF", "Headset"}, "light",
                    R"({"device":"headset","index":1,"mode":"Colour wave","colour":"00AAFF"})"},
        RequestCase{{"light", "pad", "--direction", "first"}, "light",
                    R"({"device":"pad","index":1,"direction":"first"})"},
        // DPI: without options the stages are shown; the options repeat.
        RequestCase{{"dpi", "mouse"}, "dpi", R"({"device":"mouse","index":1})"},
        RequestCase{{"dpi", "mouse:2", "--stage", "2", "--set", "1=800", "--set", "2=1600", "--enable", "3",
                     "--enable", "5", "--disable", "4", "--report-rate", "1"},
                    "dpi",
                    R"({"device":"mouse","index":2,"stage":2,"set":[{"stage":1,"dpi":800},{"stage":2,"dpi":1600}],
                        "enable":[3,5],"disable":[4],"reportRate":1})"},
        // The bounds, "=" forms, options before DEVICE in capitals; a stage
        // enabled twice is sent once.
        RequestCase{{"dpi", "--set=5=65535", "--set", "4=1", "--disable=1", "MOUSE", "--enable", "2", "--enable", "2",
                     "--report-rate=0"},
                    "dpi",
                    R"({"device":"mouse","index":1,"set":[{"stage":5,"dpi":65535},{"stage":4,"dpi":1}],
                        "enable":[2],"disable":[1],"reportRate":0})"},
        RequestCase{{"dpi", "mouse", "--report-rate", "4", "--stage", "5"}, "dpi",
                    R"({"device":"mouse","index":1,"stage":5,"reportRate":4})"},
        RequestCase{{"light", "same-mode", "--from", "keyboard"}, "light-same-mode",
                    R"({"from":"keyboard","index":1})"},
        RequestCase{{"light", "same-mode", "--from=pad:3"}, "light-same-mode", R"({"from":"pad","index":3})"},
        // lParam 0x01020304 packs mode 4, brightness 3, speed 2, direction 1.
        RequestCase{{"game-event", "Game_Kill", "0", "0x01020304"}, "game-event",
                    R"({"name":"Game_Kill","wParam":0,"lParam":16909060})"},
        RequestCase{{"game-event", "game_start", "--", "-1", "007"}, "game-event",
                    R"({"name":"Game_Start","wParam":-1,"lParam":7})"},
        RequestCase{{"game-event", "Game_Death", "0x1FFFFFFFFFFFFF", "9007199254740992"}, "game-event",
                    R"({"name":"Game_Death","wParam":9007199254740991,"lParam":9007199254740992})"},
        RequestCase{{"profile", "list", "headset:2"}, "profile-list", R"({"device":"headset","index":2})"},
        RequestCase{{"profile", "select", "keyboard", "2"}, "profile-select",
                    R"({"device":"keyboard","index":1,"profile":2})"},
        RequestCase{{"profile", "select", "mouse", "Sniper 2"}, "profile-select",
                    R"({"device":"mouse","index":1,"profile":"Sniper 2"})"},
        // Without PROFILE the active one: no "profile" member.
        RequestCase{{"profile", "show", "mouse"}, "profile-show", R"({"device":"mouse","index":1})"},
        RequestCase{{"profile", "show", "keyboard:2", "3"}, "profile-show",
                    R"({"device":"keyboard","index":2,"profile":3})"},
        RequestCase{{"profile", "show", "--json", "pad", "Sniper 2"}, "profile-show",
                    R"({"device":"pad","index":1,"profile":"Sniper 2"})"},
        // With two words the second is FILE, with three PROFILE and FILE.
        RequestCase{{"profile", "export", "mouse", "/tmp/2"}, "profile-export",
                    R"({"device":"mouse","index":1,"file":"/tmp/2"})"},
        RequestCase{{"profile", "export", "mouse:2", "2", "/tmp/out.json"}, "profile-export",
                    R"({"device":"mouse","index":2,"profile":2,"file":"/tmp/out.json"})"},
        RequestCase{{"profile", "export", "headset", "Sniper 2", "/tmp/a b.json"}, "profile-export",
                    R"({"device":"headset","index":1,"profile":"Sniper 2","file":"/tmp/a b.json"})"},
        RequestCase{{"profile", "reset", "keyboard:3"}, "profile-reset", R"({"device":"keyboard","index":3})"}));

namespace {

// Runs in a new empty folder, the one before coming back after.
class InTemporaryFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(QDir::setCurrent(folder_.path()));
    // The path as the current folder reports it (symbolic links resolved).
    here_ = QDir::currentPath();
  }
  void TearDown() override { QDir::setCurrent(before_); }

  void Write(const QString& name) {
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{}");
  }

  QString before_ = QDir::currentPath();
  QTemporaryDir folder_;
  QString here_;
};

}  // namespace

// Travix does not run in travixctl's folder: FILE goes as an absolute path.
TEST_F(InTemporaryFolder, RelativeFilesAreSentAbsolute) {
  const Invocation exported = Parse({"profile", "export", "mouse", "2", "out.json"});
  ASSERT_EQ(exported.action, Invocation::Action::Send) << exported.text.toStdString();
  EXPECT_EQ(exported.request.args.value("file").toString(), here_ + "/out.json");
  EXPECT_EQ(exported.request.args.value("profile").toInt(), 2);

  const Invocation inFolder = Parse({"profile", "export", "mouse", "saved/out.json"});
  ASSERT_EQ(inFolder.action, Invocation::Action::Send) << inFolder.text.toStdString();
  EXPECT_EQ(inFolder.request.args.value("file").toString(), here_ + "/saved/out.json");
  EXPECT_FALSE(inFolder.request.args.contains("profile"));

  Write("in.json");
  const Invocation imported = Parse({"profile", "import", "keyboard:2", "in.json"});
  ASSERT_EQ(imported.action, Invocation::Action::Send) << imported.text.toStdString();
  EXPECT_EQ(imported.request.command, "profile-import");
  EXPECT_EQ(Show(imported.request.args),
            Show(QJsonObject{{"device", "keyboard"}, {"index", 2}, {"file", here_ + "/in.json"}}));
  const Invocation absolute = Parse({"profile", "import", "mouse", here_ + "/in.json"});
  ASSERT_EQ(absolute.action, Invocation::Action::Send) << absolute.text.toStdString();
  EXPECT_EQ(absolute.request.args.value("file").toString(), here_ + "/in.json");
}

TEST_F(InTemporaryFolder, AFileToImportMustBeReadable) {
  const Invocation missing = Parse({"profile", "import", "mouse", "in.json"});
  ASSERT_EQ(missing.action, Invocation::Action::Refuse);
  EXPECT_EQ(missing.text, "cannot read in.json");
  EXPECT_EQ(missing.helpCommand, "travixctl profile import --help");

  ASSERT_TRUE(QDir().mkdir("folder.json"));
  const Invocation folder = Parse({"profile", "import", "mouse", "folder.json"});
  ASSERT_EQ(folder.action, Invocation::Action::Refuse);
  EXPECT_EQ(folder.text, "cannot read folder.json");

  Write("locked.json");
  ASSERT_TRUE(QFile::setPermissions("locked.json", QFile::WriteOwner));
  if (QFile locked("locked.json"); locked.open(QIODevice::ReadOnly))
    GTEST_SKIP() << "this user reads files without read permission";
  const Invocation locked = Parse({"profile", "import", "mouse", "locked.json"});
  ASSERT_EQ(locked.action, Invocation::Action::Refuse);
  EXPECT_EQ(locked.text, "cannot read locked.json");
}

TEST(CommandLine, CommonOptionsGoBeforeOrAfterTheCommand) {
  const Invocation plain = Parse({"list"});
  EXPECT_FALSE(plain.json);
  EXPECT_EQ(plain.timeoutMs, 5000);

  for (const QStringList& arguments : {QStringList{"--json", "--timeout", "0.25", "light", "keyboard"},
                                       QStringList{"light", "keyboard", "--timeout=0.25", "--json"},
                                       QStringList{"--timeout", "0.25", "light", "--json", "keyboard"}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const Invocation invocation = Parse(arguments);
    ASSERT_EQ(invocation.action, Invocation::Action::Send) << invocation.text.toStdString();
    EXPECT_TRUE(invocation.json);
    EXPECT_EQ(invocation.timeoutMs, 250);
    EXPECT_EQ(invocation.request.command, "light");
    EXPECT_EQ(invocation.request.args.value("device").toString(), "keyboard");
  }
}

TEST(CommandLine, TheRequestLineCarriesIdCommandAndArgs) {
  const Invocation invocation = Parse({"profile", "select", "mouse:2", "Sniper"});
  ASSERT_EQ(invocation.action, Invocation::Action::Send);
  const QByteArray line = invocation.request.Encode(41);
  ASSERT_TRUE(line.endsWith('\n'));
  EXPECT_EQ(line.count('\n'), 1);
  const QJsonObject object = QJsonDocument::fromJson(line).object();
  EXPECT_EQ(object.value("message").toString(), "Travix.Control");
  EXPECT_EQ(object.value("id").toInteger(), 41);
  EXPECT_EQ(object.value("command").toString(), "profile-select");
  EXPECT_EQ(Show(object.value("args").toObject()),
            Show(Json(R"({"device":"mouse","index":2,"profile":"Sniper"})")));
  // Not a window message: no wParam and lParam beside the members.
  EXPECT_FALSE(object.contains("wParam"));
  EXPECT_FALSE(object.contains("lParam"));
  // The program's own decoder reads it the same way.
  const auto decoded = platform::SocketMessage::Decode(line.trimmed());
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->name, "Travix.Control");
  EXPECT_EQ(decoded->fields.value("id").toInteger(), 41);
}

namespace {

struct RefusalCase {
  QStringList arguments;
  const char* says;        // part of the message
  const char* helpCommand;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.arguments.join(' ').toStdString(); }

class CommandLineRefusals : public ::testing::TestWithParam<RefusalCase> {};

}  // namespace

// Everything that can be checked without Travix is refused before asking it,
// with exit status 3.
TEST_P(CommandLineRefusals, SayWhatIsWrong) {
  const RefusalCase& c = GetParam();
  const Invocation invocation = Parse(c.arguments);
  ASSERT_EQ(invocation.action, Invocation::Action::Refuse);
  EXPECT_TRUE(invocation.text.contains(QLatin1String(c.says))) << invocation.text.toStdString();
  EXPECT_EQ(invocation.helpCommand, c.helpCommand);

  QString out;
  QString err;
  QTextStream outStream(&out);
  QTextStream errStream(&err);
  EXPECT_EQ(travixctl::Run(QStringList{"travixctl"} + c.arguments, outStream, errStream), 3);
  errStream.flush();
  outStream.flush();
  EXPECT_TRUE(out.isEmpty());
  EXPECT_EQ(err, QStringLiteral("travixctl: %1\nTry \"%2\".\n").arg(invocation.text, invocation.helpCommand));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineRefusals,
    ::testing::Values(
        RefusalCase{{}, "no command", "travixctl --help"},
        RefusalCase{{"status"}, "unknown command 'status'", "travixctl --help"},
        RefusalCase{{"--frobnicate", "list"}, "Unknown option 'frobnicate'", "travixctl --help"},
        RefusalCase{{"list", "keyboard"}, "unexpected 'keyboard'", "travixctl list --help"},
        RefusalCase{{"list", "--timeout", "0"}, "--timeout", "travixctl list --help"},
        RefusalCase{{"list", "--timeout", "soon"}, "--timeout", "travixctl list --help"},
        RefusalCase{{"list", "--timeout"}, "Missing value", "travixctl list --help"},
        // Devices.
        RefusalCase{{"light"}, "needs a DEVICE", "travixctl light --help"},
        RefusalCase{{"light", "monitor"}, "unknown device 'monitor'", "travixctl light --help"},
        RefusalCase{{"light", "keyboard:0"}, "counted from 1", "travixctl light --help"},
        RefusalCase{{"light", "keyboard:"}, "unknown device", "travixctl light --help"},
        RefusalCase{{"light", "keyboard:x"}, "unknown device", "travixctl light --help"},
        RefusalCase{{"light", "keyboard:99999999999"}, "counted from 1", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "mouse"}, "unexpected 'mouse'", "travixctl light --help"},
        RefusalCase{{"profile", "list", "keyboards"}, "unknown device", "travixctl profile list --help"},
        RefusalCase{{"light", "same-mode"}, "needs --from", "travixctl light same-mode --help"},
        RefusalCase{{"light", "same-mode", "--from", "screen"}, "unknown device", "travixctl light same-mode --help"},
        RefusalCase{{"light", "same-mode", "keyboard"}, "unexpected 'keyboard'", "travixctl light same-mode --help"},
        // Lighting values.
        RefusalCase{{"light", "keyboard", "--brightness", "5"}, "--brightness takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--brightness", "-1"}, "--brightness takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--speed", "2.5"}, "--speed takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--speed", ""}, "--speed takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--colour", "FF800"}, "--colour takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--colour", "GG8000"}, "--colour takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--colour", "0xFF8000"}, "--colour takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--direction", "left"}, "--direction takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--mode", "-2"}, "--mode takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--mode", " "}, "--mode takes", "travixctl light --help"},
        RefusalCase{{"light", "keyboard", "--from", "mouse"}, "Unknown option 'from'", "travixctl light --help"},
        // DPI stages.
        RefusalCase{{"dpi"}, "needs a DEVICE", "travixctl dpi --help"},
        RefusalCase{{"dpi", "keyboard"}, "only a mouse has DPI stages", "travixctl dpi --help"},
        RefusalCase{{"dpi", "headset:2", "--stage", "1"}, "only a mouse has DPI stages", "travixctl dpi --help"},
        RefusalCase{{"dpi", "trackball"}, "unknown device 'trackball'", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse:0"}, "counted from 1", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "mouse:2"}, "unexpected 'mouse:2'", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--stage", "0"}, "--stage takes a stage number from 1 to 5, not '0'",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--stage", "6"}, "--stage takes", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--stage", "1.5"}, "--stage takes", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--stage", "1", "--stage", "2"}, "--stage is given once", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1600"}, "--set takes STAGE=DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "6=800"}, "--set takes a stage number from 1 to 5, not '6'",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "=800"}, "--set takes a stage number", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=0"}, "--set takes a DPI from 1 to 65535, not '0'",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=65536"}, "--set takes a DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=-800"}, "--set takes a DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1="}, "--set takes a DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=800dpi"}, "--set takes a DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=800=1600"}, "--set takes a DPI", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set", "1=800", "--set", "2=800", "--set", "1=1600"}, "stage 1 is set twice",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--enable", "0"}, "--enable takes a stage number", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--disable", "six"}, "--disable takes a stage number", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--enable", "3", "--disable", "3"}, "stage 3 cannot be both enabled and disabled",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--disable", "2", "--enable", "4", "--enable", "2"},
                    "stage 2 cannot be both enabled and disabled", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--report-rate", "5"}, "--report-rate takes", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--report-rate", "-1"}, "--report-rate takes", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--report-rate", "1000"}, "--report-rate takes", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--report-rate", "1", "--report-rate", "1"}, "--report-rate is given once",
                    "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--set"}, "Missing value", "travixctl dpi --help"},
        RefusalCase{{"dpi", "mouse", "--brightness", "2"}, "Unknown option 'brightness'", "travixctl dpi --help"},
        // Game events.
        RefusalCase{{"game-event", "Game_Kill", "1"}, "needs NAME WPARAM LPARAM", "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Win", "1", "0"}, "unknown game event 'Game_Win'",
                    "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "one", "0"}, "WPARAM takes", "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "1", "0x"}, "LPARAM takes", "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "1", "0xFG"}, "LPARAM takes", "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "1", "1e3"}, "LPARAM takes", "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "1", "9007199254740993"}, "LPARAM takes",
                    "travixctl game-event --help"},
        RefusalCase{{"game-event", "Game_Kill", "--", "1", "-0x1"}, "LPARAM takes", "travixctl game-event --help"},
        // Without "--" a negative number reads as an option; the message says what to do.
        RefusalCase{{"game-event", "Game_Kill", "-1", "0"}, "after \"--\"", "travixctl game-event --help"},
        // Profiles.
        RefusalCase{{"profile"}, "needs list, select, show, export, import or reset", "travixctl profile --help"},
        RefusalCase{{"profile", "delete", "mouse", "1"}, "or reset, not 'delete'", "travixctl profile --help"},
        RefusalCase{{"profile", "list"}, "needs a DEVICE", "travixctl profile list --help"},
        RefusalCase{{"profile", "select", "mouse"}, "needs DEVICE and PROFILE", "travixctl profile select --help"},
        RefusalCase{{"profile", "select", "mouse", "0"}, "counted from 1", "travixctl profile select --help"},
        RefusalCase{{"profile", "select", "mouse", "-3"}, "after \"--\"", "travixctl profile select --help"},
        RefusalCase{{"profile", "show"}, "needs a DEVICE", "travixctl profile show --help"},
        RefusalCase{{"profile", "show", "screen"}, "unknown device 'screen'", "travixctl profile show --help"},
        RefusalCase{{"profile", "show", "mouse", "0"}, "counted from 1", "travixctl profile show --help"},
        RefusalCase{{"profile", "show", "mouse", ""}, "PROFILE is", "travixctl profile show --help"},
        RefusalCase{{"profile", "show", "mouse", "1", "2"}, "unexpected '2'", "travixctl profile show --help"},
        RefusalCase{{"profile", "export", "mouse"}, "needs DEVICE and FILE", "travixctl profile export --help"},
        RefusalCase{{"profile", "export", "mouse", ""}, "FILE is the name of a file",
                    "travixctl profile export --help"},
        RefusalCase{{"profile", "export", "mouse", "1", ""}, "FILE is the name of a file",
                    "travixctl profile export --help"},
        RefusalCase{{"profile", "export", "mouse", "0", "/tmp/out.json"}, "counted from 1",
                    "travixctl profile export --help"},
        RefusalCase{{"profile", "export", "mouse:0", "/tmp/out.json"}, "counted from 1",
                    "travixctl profile export --help"},
        RefusalCase{{"profile", "export", "mouse", "1", "/tmp/a.json", "/tmp/b.json"}, "unexpected '/tmp/b.json'",
                    "travixctl profile export --help"},
        RefusalCase{{"profile", "import", "mouse"}, "needs DEVICE and FILE", "travixctl profile import --help"},
        RefusalCase{{"profile", "import", "mouse", ""}, "FILE is the name of a file",
                    "travixctl profile import --help"},
        RefusalCase{{"profile", "import", "mouse", "/nonexistent/in.json"}, "cannot read /nonexistent/in.json",
                    "travixctl profile import --help"},
        RefusalCase{{"profile", "import", "mouse", "/"}, "cannot read /", "travixctl profile import --help"},
        RefusalCase{{"profile", "import", "trackball", "/"}, "unknown device", "travixctl profile import --help"},
        RefusalCase{{"profile", "import", "mouse", "2", "/tmp/in.json"}, "unexpected '/tmp/in.json'",
                    "travixctl profile import --help"},
        RefusalCase{{"profile", "reset"}, "needs a DEVICE", "travixctl profile reset --help"},
        RefusalCase{{"profile", "reset", "mouse", "1"}, "unexpected '1'", "travixctl profile reset --help"},
        RefusalCase{{"profile", "reset", "mouse", "--yes"}, "Unknown option 'yes'", "travixctl profile reset --help"}));

TEST(CommandLineHelp, EveryCommandHasItsOwn) {
  struct Case {
    QStringList arguments;
    const char* usage;
    QStringList mentions;
  };
  const Case cases[] = {
      {{"--help"}, "Usage: travixctl [options] COMMAND", {"game-event NAME WPARAM LPARAM", "--version", "--json"}},
      {{"-h"}, "Usage: travixctl [options] COMMAND", {"profile select DEVICE PROFILE", "dpi mouse"}},
      {{"list", "--help"}, "Usage: travixctl list [options]", {"--json", "--timeout"}},
      {{"light", "--help"}, "Usage: travixctl light [options] DEVICE",
       {"--mode", "--brightness", "--speed", "--colour", "--direction"}},
      {{"light", "keyboard", "-h"}, "Usage: travixctl light [options] DEVICE", {"--brightness"}},
      {{"light", "same-mode", "--help"}, "Usage: travixctl light same-mode [options]", {"--from"}},
      {{"dpi", "--help"}, "Usage: travixctl dpi [options] DEVICE",
       {"--stage <N>", "--set <N=DPI>", "--enable <N>", "--disable <N>", "--report-rate <INDEX>", "0-4"}},
      {{"dpi", "keyboard", "--stage", "9", "--help"}, "Usage: travixctl dpi [options] DEVICE", {}},
      {{"game-event", "--help"}, "Usage: travixctl game-event [options] NAME WPARAM LPARAM", {"Game_Death"}},
      {{"profile", "--help"}, "Usage: travixctl profile [options] list|select|show|export|import|reset",
       {"profile select DEVICE", "profile export DEVICE [PROFILE] FILE", "profile reset DEVICE"}},
      {{"-h"}, "Usage: travixctl [options] COMMAND", {"profile show DEVICE [PROFILE]", "profile import DEVICE FILE"}},
      {{"profile", "list", "--help"}, "Usage: travixctl profile list [options] DEVICE", {"active"}},
      {{"profile", "select", "--help"}, "Usage: travixctl profile select [options] DEVICE PROFILE", {"PROFILE"}},
      {{"profile", "show", "--help"}, "Usage: travixctl profile show [options] DEVICE [PROFILE]", {"active"}},
      {{"profile", "export", "--help"}, "Usage: travixctl profile export [options] DEVICE [PROFILE] FILE",
       {"current folder"}},
      // Help before the file is looked at.
      {{"profile", "import", "mouse", "/nonexistent", "--help"}, "Usage: travixctl profile import [options] DEVICE FILE",
       {"new profile"}},
      {{"profile", "reset", "-h"}, "Usage: travixctl profile reset [options] DEVICE", {"factory"}},
      // Help wins over arguments that would be refused.
      {{"light", "keyboard", "--brightness", "9", "--help"}, "Usage: travixctl light", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    const Invocation invocation = Parse(c.arguments);
    ASSERT_EQ(invocation.action, Invocation::Action::Help) << invocation.text.toStdString();
    EXPECT_TRUE(invocation.text.startsWith(QLatin1String(c.usage))) << invocation.text.toStdString();
    for (const QString& mention : c.mentions)
      EXPECT_TRUE(invocation.text.contains(mention)) << mention.toStdString();
    // Every help lists the exit statuses.
    EXPECT_TRUE(invocation.text.contains("Exit status:"));
    for (const char* status : {"  3  ", "  4  ", "  5  ", "  6  ", "  7  ", "  8  ", "  9  "})
      EXPECT_TRUE(invocation.text.contains(QLatin1String(status))) << status;
  }
  // A command's help shows its own options only.
  EXPECT_FALSE(Parse({"light", "same-mode", "--help"}).text.contains("--brightness"));
  EXPECT_FALSE(Parse({"light", "--help"}).text.contains("--from"));
  EXPECT_FALSE(Parse({"dpi", "--help"}).text.contains("--brightness"));
  EXPECT_FALSE(Parse({"light", "--help"}).text.contains("--stage"));
}

TEST(CommandLineHelp, VersionIsShown) {
  const Invocation invocation = Parse({"--version"});
  ASSERT_EQ(invocation.action, Invocation::Action::Version);
  EXPECT_TRUE(invocation.text.startsWith("travixctl "));
}
