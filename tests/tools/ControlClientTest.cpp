#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <thread>
#include <functional>
#include <memory>
#include <vector>

#include "platform/DeviceLock.h"
#include "support/TravixctlRun.h"
#include "platform/LocalMessageServer.h"
#include "platform/SocketMessage.h"
#include "travixctl/ControlClient.h"
#include "travixctl/Program.h"

using platform::LocalMessageServer;
using platform::SocketMessage;
using travixctl::ControlClient;
using travixctl::ControlReply;
using travixctl::ControlRequest;

namespace {

const QJsonObject kDevices{
    {"devices", QJsonArray{QJsonObject{{"device", "keyboard"}, {"index", 1}, {"kind", "keyboard"},
                                       {"connection", "cable"}, {"firmware", "1.02"}, {"battery", QJsonValue()},
                                       {"online", true}},
                           QJsonObject{{"device", "mouse"}, {"index", 1}, {"kind", "mouse"},
                                       {"connection", "receiver"}, {"firmware", "1.00"}, {"battery", 80},
                                       {"online", true}}}}};

SocketMessage Ok(qint64 id, const QJsonObject& result) {
  return SocketMessage::WithFields("Travix.Control.Reply", {{"id", id}, {"ok", true}, {"result", result}});
}

SocketMessage Error(qint64 id, const QString& code, const QString& text) {
  return SocketMessage::WithFields("Travix.Control.Reply",
                                   {{"id", id}, {"ok", false}, {"error", code}, {"text", text}});
}

// A stand-in for the program: the real socket server in a runtime folder of
// the test's own, with `answer` deciding how each control request is met.
class FakeTravix : public ::testing::Test {
 protected:
  using Answer = std::function<void(const QJsonObject& request, const LocalMessageServer::Reply& reply)>;

  using Outcome = testing_support::TravixctlOutcome;

  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    saved_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
  }
  void TearDown() override {
    server_.reset();
    qputenv("XDG_RUNTIME_DIR", saved_);
  }

  void Listen(Answer answer) {
    server_ = std::make_unique<LocalMessageServer>();
    ASSERT_EQ(server_->Start(), LocalMessageServer::StartResult::Listening);
    server_->SetRequestHandler("Travix.Control", [this, answer](const SocketMessage& message,
                                                                const LocalMessageServer::Reply& reply) {
      requests_.push_back(message.fields);
      answer(message.fields, reply);
    });
  }
  // Answers every request with `result`.
  void ListenAndAnswer(const QJsonObject& result) {
    Listen([result](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
      reply(Ok(request.value("id").toInteger(), result));
    });
  }

  static qint64 IdOf(const QJsonObject& request) { return request.value("id").toInteger(); }

  // travixctl with `arguments`, in this process.
  static Outcome Travixctl(const QStringList& arguments) { return testing_support::RunTravixctlHere(arguments); }

  QTemporaryDir runtime_;
  QByteArray saved_;
  std::unique_ptr<LocalMessageServer> server_;
  std::vector<QJsonObject> requests_;
};

}  // namespace

TEST_F(FakeTravix, ASuccessfulReplyIsPrintedAsText) {
  ListenAndAnswer(kDevices);
  const Outcome outcome = Travixctl({"list"});
  EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out,
            "keyboard   cable     firmware 1.02\n"
            "mouse      receiver  firmware 1.00  battery 80%\n");
  EXPECT_TRUE(outcome.err.isEmpty());
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].value("command").toString(), "list");
  EXPECT_EQ(requests_[0].value("args").toObject(), QJsonObject());
  EXPECT_EQ(IdOf(requests_[0]), 1);
}

TEST_F(FakeTravix, WithJsonTheResultIsOneLineOfJson) {
  ListenAndAnswer(kDevices);
  const Outcome outcome = Travixctl({"list", "--json"});
  EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
  ASSERT_TRUE(outcome.out.endsWith('\n'));
  EXPECT_EQ(outcome.out.count('\n'), 1);
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError);
  EXPECT_EQ(document.object(), kDevices);
}

TEST_F(FakeTravix, TheArgumentsReachTheProgramAsGiven) {
  ListenAndAnswer({{"device", "mouse"}, {"index", 2}, {"mode", 1}, {"modeName", "Breathing"}, {"written", true}});
  const Outcome outcome = Travixctl({"light", "mouse:2", "--mode", "Breathing", "--colour", "00ff80", "--speed", "3"});
  EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
  EXPECT_EQ(outcome.out,
            "device      mouse:2\n"
            "mode        Breathing (1)\n"
            "written     yes\n");
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].value("command").toString(), "light");
  EXPECT_EQ(requests_[0].value("args").toObject(),
            (QJsonObject{{"device", "mouse"}, {"index", 2}, {"mode", "Breathing"}, {"colour", "00FF80"},
                         {"speed", 3}}));
}

TEST_F(FakeTravix, DpiStagesGoOutAndComeBack) {
  QJsonArray stages;
  for (int stage = 1; stage <= 5; ++stage)
    stages.append(QJsonObject{{"stage", stage}, {"dpi", 400 * stage}, {"enabled", stage != 4}});
  const QJsonObject result{{"device", "mouse"}, {"index", 1},      {"activeStage", 3},
                           {"reportRate", 2},   {"stages", stages}, {"written", true}};
  ListenAndAnswer(result);
  const Outcome text = Travixctl({"dpi", "mouse", "--set", "2=800", "--disable", "4", "--stage", "3"});
  EXPECT_EQ(text.status, 0) << text.err.toStdString();
  EXPECT_EQ(text.out,
            "stage 1   400 dpi  on\n"
            "stage 2   800 dpi  on\n"
            "stage 3  1200 dpi  on   (active)\n"
            "stage 4  1600 dpi  off\n"
            "stage 5  2000 dpi  on\n"
            "report rate  2\n"
            "written      yes\n");
  const Outcome json = Travixctl({"dpi", "mouse", "--json"});
  EXPECT_EQ(json.status, 0) << json.err.toStdString();
  EXPECT_EQ(json.out.count('\n'), 1);
  EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).object(), result);
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[0].value("command").toString(), "dpi");
  EXPECT_EQ(requests_[0].value("args").toObject(),
            (QJsonObject{{"device", "mouse"},
                         {"index", 1},
                         {"set", QJsonArray{QJsonObject{{"stage", 2}, {"dpi", 800}}}},
                         {"disable", QJsonArray{4}},
                         {"stage", 3}}));
  EXPECT_EQ(requests_[1].value("args").toObject(), (QJsonObject{{"device", "mouse"}, {"index", 1}}));
}

TEST_F(FakeTravix, CommandsWithoutResultSayDone) {
  ListenAndAnswer({});
  EXPECT_EQ(Travixctl({"game-event", "Game_Kill", "1", "0x2"}).out, "done\n");
  EXPECT_EQ(Travixctl({"light", "same-mode", "--from", "keyboard"}).out, "done\n");
  EXPECT_EQ(Travixctl({"profile", "select", "keyboard", "2", "--json"}).out, "{}\n");
  ASSERT_EQ(requests_.size(), 3u);
  EXPECT_EQ(requests_[0].value("args").toObject(),
            (QJsonObject{{"name", "Game_Kill"}, {"wParam", 1}, {"lParam", 2}}));
  EXPECT_EQ(requests_[1].value("command").toString(), "light-same-mode");
  EXPECT_EQ(requests_[2].value("command").toString(), "profile-select");
}

TEST_F(FakeTravix, AProfileComesBackWithItsSettings) {
  const QJsonObject settings{{"lighting", QJsonObject{{"mode", 3}, {"colour", "FF8000"}}},
                             {"dpi", QJsonArray{800, 1600}}};
  const QJsonObject result{{"name", "Sniper 2"}, {"number", 2}, {"settings", settings}};
  ListenAndAnswer(result);
  const Outcome json = Travixctl({"profile", "show", "mouse:2", "Sniper 2", "--json"});
  EXPECT_EQ(json.status, 0) << json.err.toStdString();
  EXPECT_EQ(json.out.count('\n'), 1);
  EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8()).object(), result);
  const Outcome text = Travixctl({"profile", "show", "mouse"});
  EXPECT_EQ(text.status, 0) << text.err.toStdString();
  EXPECT_TRUE(text.out.startsWith("name  Sniper 2\n{\n")) << text.out.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(text.out.section('\n', 1).toUtf8()).object(), settings);
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(requests_[0].value("command").toString(), "profile-show");
  EXPECT_EQ(requests_[0].value("args").toObject(),
            (QJsonObject{{"device", "mouse"}, {"index", 2}, {"profile", "Sniper 2"}}));
  EXPECT_EQ(requests_[1].value("args").toObject(), (QJsonObject{{"device", "mouse"}, {"index", 1}}));
}

TEST_F(FakeTravix, AResetTheDeviceDoesNotTakeIsNotAnswering) {
  Listen([](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
    reply(Error(IdOf(request), "not-answering", "the keyboard did not answer"));
  });
  const Outcome outcome = Travixctl({"profile", "reset", "keyboard"});
  EXPECT_EQ(outcome.status, 6);
  EXPECT_EQ(outcome.err, "travixctl: the keyboard did not answer\n");
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_EQ(requests_[0].value("command").toString(), "profile-reset");
}

TEST_F(FakeTravix, AnErrorReplyGivesItsExitStatusAndText) {
  struct Case {
    const char* code;
    int status;
  };
  const Case cases[] = {{"bad-request", 3}, {"unknown-device", 4}, {"out-of-range", 5}, {"not-answering", 6},
                        {"busy", 7},        {"needs-program", 8},  {"no-such-code", 1}};
  QString code;
  Listen([&code](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
    reply(Error(IdOf(request), code, QStringLiteral("it went %1").arg(code)));
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    code = c.code;
    const Outcome outcome = Travixctl({"profile", "select", "mouse", "3", "--json"});
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.err, QStringLiteral("travixctl: it went %1\n").arg(code));
    EXPECT_TRUE(outcome.out.isEmpty());
  }
}

TEST_F(FakeTravix, AnErrorWithoutTextStillNamesItsCode) {
  Listen([](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
    reply(SocketMessage::WithFields("Travix.Control.Reply", {{"id", IdOf(request)}, {"ok", false}, {"error", "busy"}}));
  });
  const Outcome outcome = Travixctl({"list"});
  EXPECT_EQ(outcome.status, 7);
  EXPECT_TRUE(outcome.err.contains("busy")) << outcome.err.toStdString();
}

TEST_F(FakeTravix, NoticesAndOtherRepliesBeforeTheReplyArePassedOver) {
  Listen([this](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
    // What the program sends every client comes first: a notice, a block of
    // bytes, a reply meant for another id.
    server_->Broadcast(SocketMessage::Registered("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}", 1, 1));
    server_->Broadcast(SocketMessage::CopyData(10, QByteArray(40, '\x01')));
    server_->Broadcast(Error(IdOf(request) + 1, "busy", "not yours"));
    reply(Ok(IdOf(request), kDevices));
  });
  const Outcome outcome = Travixctl({"list", "--json"});
  EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(outcome.out.toUtf8()).object(), kDevices);
}

TEST_F(FakeTravix, AReplyToAnotherIdIsNotTaken) {
  Listen([](const QJsonObject& request, const LocalMessageServer::Reply& reply) {
    reply(Ok(IdOf(request) + 1, kDevices));
  });
  QElapsedTimer timer;
  timer.start();
  const Outcome outcome = Travixctl({"list", "--timeout", "0.3"});
  EXPECT_EQ(outcome.status, 9);
  EXPECT_TRUE(outcome.out.isEmpty());
  EXPECT_TRUE(outcome.err.contains("did not answer within 0.3 s")) << outcome.err.toStdString();
  EXPECT_GE(timer.elapsed(), 250);
  EXPECT_LT(timer.elapsed(), 3000);
}

TEST_F(FakeTravix, TravixQuittingBeforeItAnswersIsNotRunning) {
  Listen([this](const QJsonObject&, const LocalMessageServer::Reply&) {
    QTimer::singleShot(0, [this] { server_.reset(); });
  });
  QElapsedTimer timer;
  timer.start();
  const Outcome outcome = Travixctl({"list"});
  EXPECT_EQ(outcome.status, 9);
  EXPECT_TRUE(outcome.err.contains("closed the connection")) << outcome.err.toStdString();
  // Known at once, not after the timeout.
  EXPECT_LT(timer.elapsed(), 3000);
}

TEST_F(FakeTravix, WithoutTheProgramTravixctlWorksOnTheDevicesItself) {
  // No HID nodes at all here: nothing is attached.
  QTemporaryDir machine;
  ASSERT_TRUE(machine.isValid());
  qputenv("TRAVIX_SYSFS_ROOT", (machine.path() + "/sys").toUtf8());
  qputenv("TRAVIX_DEV_ROOT", (machine.path() + "/dev").toUtf8());
  const Outcome list = Travixctl({"list"});
  EXPECT_EQ(list.status, 0) << list.err.toStdString();
  EXPECT_EQ(list.out, "no devices attached\n");
  const Outcome light = Travixctl({"light", "keyboard", "--mode", "2"});
  EXPECT_EQ(light.status, 4);
  EXPECT_EQ(light.err, "travixctl: no keyboard is attached\n");
  // Lighting the program draws itself is refused as such, device or not.
  const Outcome game = Travixctl({"game-event", "Game_Kill", "1", "255"});
  EXPECT_EQ(game.status, 8);
  EXPECT_TRUE(game.err.contains("needs Travix running")) << game.err.toStdString();

  // A socket file that a crashed program left behind: nobody listens there,
  // and travixctl goes on alone at once.
  {
    LocalMessageServer crashed;
    ASSERT_EQ(crashed.Start(), LocalMessageServer::StartResult::Listening);
  }
  QFile stale(LocalMessageServer::SocketPath());
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  QElapsedTimer timer;
  timer.start();
  EXPECT_EQ(Travixctl({"list"}).status, 0);
  EXPECT_LT(timer.elapsed(), 3000);
  qunsetenv("TRAVIX_SYSFS_ROOT");
  qunsetenv("TRAVIX_DEV_ROOT");
}

TEST_F(FakeTravix, DevicesLockedByAnotherProgramWithoutTravixAnsweringIsBusy) {
  // Another travixctl at work, or a Travix still starting: the lock is
  // held and nobody answers on the socket. travixctl tries until its time
  // is up, then names the holder.
  platform::DeviceLock other;
  ASSERT_TRUE(other.TryLock());
  QElapsedTimer timer;
  timer.start();
  const Outcome outcome = Travixctl({"--timeout", "0.3", "list"});
  EXPECT_EQ(outcome.status, 7);
  EXPECT_TRUE(outcome.err.startsWith("travixctl: the devices are in use by ")) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains(QStringLiteral("(pid %1)").arg(QCoreApplication::applicationPid())))
      << outcome.err.toStdString();
  EXPECT_GE(timer.elapsed(), 250);
  // The lock given back within the time: travixctl takes it and goes on.
  std::thread otherEnds([&other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    other.Unlock();
  });
  qputenv("TRAVIX_SYSFS_ROOT", "/nonexistent-travix-test/sys");
  const Outcome after = Travixctl({"--timeout", "3", "list"});
  otherEnds.join();
  qunsetenv("TRAVIX_SYSFS_ROOT");
  EXPECT_EQ(after.status, 0) << after.err.toStdString();
}

TEST_F(FakeTravix, RefusedArgumentsNeverReachTheProgram) {
  ListenAndAnswer({});
  const Outcome outcome = Travixctl({"light", "keyboard", "--brightness", "7"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_TRUE(outcome.err.startsWith("travixctl: --brightness takes")) << outcome.err.toStdString();
  EXPECT_TRUE(outcome.err.contains("travixctl light --help"));
  const Outcome keyboard = Travixctl({"dpi", "keyboard", "--set", "1=800"});
  EXPECT_EQ(keyboard.status, 3);
  EXPECT_EQ(keyboard.err, "travixctl: only a mouse has DPI stages\nTry \"travixctl dpi --help\".\n");
  EXPECT_TRUE(requests_.empty());
}

TEST_F(FakeTravix, EachRequestOfAClientTakesTheNextId) {
  ListenAndAnswer({{"profiles", QJsonArray()}});
  ControlClient client(LocalMessageServer::SocketPath(), 2000);
  const ControlRequest request{"profile-list", {{"device", "mouse"}, {"index", 1}}};
  EXPECT_TRUE(client.Send(request).Succeeded());
  EXPECT_TRUE(client.Send(request).Succeeded());
  ASSERT_EQ(requests_.size(), 2u);
  EXPECT_EQ(IdOf(requests_[0]), 1);
  EXPECT_EQ(IdOf(requests_[1]), 2);
}

// A reply bigger than one read of the socket is put together from its parts.
TEST_F(FakeTravix, ALongReplyArrivesWhole) {
  QJsonArray profiles;
  for (int number = 1; number <= 5000; ++number)
    profiles.append(QJsonObject{{"number", number}, {"name", QString(20, QChar('a' + number % 26))},
                                {"active", number == 4321}});
  const QJsonObject result{{"profiles", profiles}};
  ListenAndAnswer(result);
  const Outcome outcome = Travixctl({"profile", "list", "keyboard", "--json"});
  ASSERT_EQ(outcome.status, 0) << outcome.err.toStdString();
  EXPECT_GT(outcome.out.size(), 200000);
  EXPECT_EQ(QJsonDocument::fromJson(outcome.out.toUtf8()).object(), result);
}

TEST(ControlReplyLines, OnlyTheReplyToTheRequestCounts) {
  ControlReply reply;
  // Not the reply.
  EXPECT_FALSE(ControlClient::ReadReply("not json", 5, &reply));
  EXPECT_FALSE(ControlClient::ReadReply(R"({"message": "Game_Start", "wParam": 1, "lParam": 0})", 5, &reply));
  EXPECT_FALSE(ControlClient::ReadReply(R"({"message": "Travix.Control.Reply", "id": 4, "ok": true})", 5, &reply));
  EXPECT_FALSE(ControlClient::ReadReply(R"({"message": "Travix.Control.Reply", "id": "5", "ok": true})", 5, &reply));
  EXPECT_FALSE(ControlClient::ReadReply(R"({"message": "Travix.Control.Reply", "ok": true})", 5, &reply));
  EXPECT_FALSE(ControlClient::ReadReply(R"({"message": "Travix.Control", "id": 5, "ok": true})", 5, &reply));
  // The reply, with nothing in it but its success.
  ASSERT_TRUE(ControlClient::ReadReply(R"({"message": "Travix.Control.Reply", "id": 5, "ok": true})", 5, &reply));
  EXPECT_TRUE(reply.Succeeded());
  EXPECT_EQ(reply.result, QJsonObject());
  // The reply, saying neither yes nor no: a failure of its own.
  reply = {};
  ASSERT_TRUE(ControlClient::ReadReply(R"({"message": "Travix.Control.Reply", "id": 5, "result": {}})", 5, &reply));
  EXPECT_EQ(reply.exitStatus, 1);
  EXPECT_FALSE(reply.text.isEmpty());
}
