#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <optional>

#include "app/ControlRequests.h"
#include "platform/LocalMessageServer.h"
#include "support/SimulatedKeyboardPage.h"
#include "protocol/KeyFunction.h"
#include "toolkit/CComboUI.h"
#include "ui/CKeySetControlUI.h"

using testing_support::RunUntil;

namespace {

// Requests of the command line against the running program and a
// simulated keyboard (and pad).
class ControlRequestsTest : public testing_support::SimulatedKeyboardPage {
 protected:
  // One request, answered (the write of a change included).
  QJsonObject Ask(const QString& command, const QJsonObject& args = {}) {
    QJsonObject request{{"id", ++id_}, {"command", command}, {"args", args}};
    return AskRaw(request);
  }
  QJsonObject AskRaw(const QJsonObject& request) {
    std::optional<QJsonObject> answer;
    window_->Control().Handle(request, [&](const QJsonObject& reply) {
      EXPECT_FALSE(answer) << "answered twice";
      answer = reply;
    });
    EXPECT_TRUE(RunUntil([&] { return answer.has_value(); }, 5000)) << "never answered";
    Settle();
    return answer.value_or(QJsonObject{});
  }
  static QString Error(const QJsonObject& reply) { return reply.value("error").toString(); }

  int id_ = 0;
};

}  // namespace

TEST_F(ControlRequestsTest, ListNamesEachDeviceWithItsConnection) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  const QJsonObject reply = Ask("list");
  ASSERT_TRUE(reply.value("ok").toBool()) << QJsonDocument(reply).toJson().toStdString();
  EXPECT_EQ(reply.value("id").toInt(), 1);
  const QJsonArray devices = reply.value("result").toObject().value("devices").toArray();
  ASSERT_EQ(devices.size(), 2) << QJsonDocument(devices).toJson().toStdString();
  const QJsonObject keyboard = devices[0].toObject();
  EXPECT_EQ(keyboard.value("device").toString(), "keyboard");
  EXPECT_EQ(keyboard.value("index").toInt(), 1);
  EXPECT_EQ(keyboard.value("connection").toString(), "cable");
  EXPECT_TRUE(keyboard.value("online").toBool());
  EXPECT_FALSE(keyboard.value("firmware").toString().isEmpty());
  EXPECT_EQ(devices[1].toObject().value("device").toString(), "pad");
}

// A change goes the window's way: the page and its profile, the keyboard's
// block, and the panel shows it.
TEST_F(ControlRequestsTest, ALightingChangeReachesTheProfileTheKeyboardAndThePanel) {
  Start();
  const QJsonObject reply = Ask("light", {{"device", "keyboard"},
                                          {"mode", 6},
                                          {"brightness", 2},
                                          {"speed", 1},
                                          {"colour", "00ff80"},
                                          {"direction", "first"}});
  ASSERT_TRUE(reply.value("ok").toBool()) << QJsonDocument(reply).toJson().toStdString();
  const QJsonObject result = reply.value("result").toObject();
  EXPECT_TRUE(result.value("written").toBool());
  EXPECT_EQ(result.value("mode").toInt(), 6);
  EXPECT_EQ(result.value("colour").toString(), "00FF80");
  EXPECT_EQ(result.value("direction").toString(), "first");
  EXPECT_FALSE(result.value("modeName").toString().isEmpty());
  EXPECT_EQ(Light().SelectItem, 6);
  EXPECT_EQ(Light().Light, 2);
  EXPECT_EQ(Light().Fx, 1);
  EXPECT_EQ(ProfileSection()["LightInfo"]["Green"].asInt(), 255);
  EXPECT_EQ(Block()[7], 255);
  EXPECT_EQ(Control<toolkit::CComboUI>("light_combo_modeSelect")->GetCurSel(), 6);

  // A mode by its shown name; nothing asked shows the lighting as it is.
  const QString name = result.value("modeName").toString();
  ASSERT_TRUE(Ask("light", {{"device", "keyboard"}, {"mode", 1}}).value("ok").toBool());
  EXPECT_TRUE(Ask("light", {{"device", "keyboard"}, {"mode", name.toUpper()}}).value("ok").toBool());
  EXPECT_EQ(Light().SelectItem, 6);
  const QJsonObject shown = Ask("light", {{"device", "keyboard"}}).value("result").toObject();
  EXPECT_EQ(shown.value("mode").toInt(), 6);
  EXPECT_FALSE(shown.contains("written"));
}

// Every refusal says why, with its code, and changes nothing.
TEST_F(ControlRequestsTest, BadRequestsAreRefusedAndChangeNothing) {
  ASSERT_TRUE(simulator_->Plug("pad"));
  Start();
  const auto block = Block();
  const LightInfo before = Light();
  struct Case {
    QJsonObject request;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{{"command", "list"}}, "bad-request"},                         // no id
      {{{"id", "7"}, {"command", "list"}}, "bad-request"},            // not a number
      {{{"id", 1.5}, {"command", "list"}}, "bad-request"},
      {{{"id", 2}, {"command", "format-disk"}}, "bad-request"},
      {{{"id", 3}, {"command", "light"}, {"args", "keyboard"}}, "bad-request"},
      {{{"id", 4}, {"command", "light"}, {"args", QJsonObject{{"device", "toaster"}}}}, "bad-request"},
      {{{"id", 5}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"index", 2}}}},
       "unknown-device"},
      {{{"id", 6}, {"command", "light"}, {"args", QJsonObject{{"device", "mouse"}}}}, "unknown-device"},
      {{{"id", 7}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"brightness", 7}}}},
       "out-of-range"},
      {{{"id", 8}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"speed", -1}}}},
       "out-of-range"},
      {{{"id", 9}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"mode", 999}}}},
       "out-of-range"},
      {{{"id", 10}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"mode", "no such"}}}},
       "out-of-range"},
      {{{"id", 11}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"colour", "12345"}}}},
       "bad-request"},
      {{{"id", 12}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"colour", "GGGGGG"}}}},
       "bad-request"},
      {{{"id", 13}, {"command", "light"}, {"args", QJsonObject{{"device", "pad"}, {"direction", "first"}}}},
       "bad-request"},
      {{{"id", 14}, {"command", "light"}, {"args", QJsonObject{{"device", "keyboard"}, {"direction", "up"}}}},
       "bad-request"},
      {{{"id", 15}, {"command", "game-event"}, {"args", QJsonObject{{"name", "Game_Over"}}}}, "bad-request"},
      {{{"id", 16}, {"command", "game-event"},
        {"args", QJsonObject{{"name", "Game_Kill"}, {"wParam", 3}, {"lParam", 0}}}},
       "out-of-range"},
      {{{"id", 17}, {"command", "profile-select"},
        {"args", QJsonObject{{"device", "keyboard"}, {"profile", 40}}}},
       "out-of-range"},
  };
  for (const Case& c : cases) {
    const QJsonObject reply = AskRaw(c.request);
    EXPECT_FALSE(reply.value("ok").toBool()) << QJsonDocument(c.request).toJson().toStdString();
    EXPECT_EQ(Error(reply), c.error) << QJsonDocument(c.request).toJson().toStdString();
    EXPECT_FALSE(reply.value("text").toString().isEmpty());
  }
  EXPECT_EQ(Block(), block);
  EXPECT_EQ(Light().SelectItem, before.SelectItem);
  EXPECT_EQ(Light().Light, before.Light);

  // While keys are captured the program is busy; reading still works.
  window_->Control().SetBusyCheck([] { return true; });
  EXPECT_EQ(Error(Ask("light", {{"device", "keyboard"}, {"brightness", 1}})), "busy");
  EXPECT_TRUE(Ask("list").value("ok").toBool());
}

// A keyboard that does not take the write: the request says so, and the
// profile keeps the new value for the next time.
TEST_F(ControlRequestsTest, AKeyboardThatDoesNotAnswerIsReportedAndTheProfileKeepsTheValue) {
  Start();
  Firmware().SetFault(*sim::Fault::Parse("noanswer"));
  const QJsonObject reply = Ask("light", {{"device", "keyboard"}, {"brightness", 1}});
  Firmware().SetFault(*sim::Fault::Parse("none"));
  EXPECT_EQ(Error(reply), "not-answering");
  EXPECT_EQ(ProfileSection()["LightInfo"]["Light"].asInt(), 1);
}

TEST_F(ControlRequestsTest, GameEventsAndProfilesGoTheWindowsWay) {
  Start();
  ASSERT_TRUE(Ask("light", {{"device", "keyboard"}, {"mode", 6}}).value("ok").toBool());
  EXPECT_TRUE(Ask("game-event", {{"name", "Game_Kill"}, {"wParam", 1}, {"lParam", 5}}).value("ok").toBool());
  EXPECT_EQ(Light().SelectItem, 5);

  const QJsonObject list = Ask("profile-list", {{"device", "keyboard"}});
  ASSERT_TRUE(list.value("ok").toBool());
  const QJsonArray profiles = list.value("result").toObject().value("profiles").toArray();
  ASSERT_GE(profiles.size(), 1);
  EXPECT_TRUE(profiles[0].toObject().value("active").toBool());
  const QJsonObject selected =
      Ask("profile-select", {{"device", "keyboard"}, {"profile", profiles[0].toObject().value("name")}});
  EXPECT_TRUE(selected.value("ok").toBool());
}

// A profile goes out to a file and comes back as a new one; its settings
// can be read; a reset brings the factory settings back.
TEST_F(ControlRequestsTest, ProfilesAreShownExportedImportedAndReset) {
  Start();
  ASSERT_TRUE(Ask("light", {{"device", "keyboard"}, {"mode", 6}, {"colour", "123456"}}).value("ok").toBool());
  const QJsonObject shown = Ask("profile-show", {{"device", "keyboard"}}).value("result").toObject();
  EXPECT_EQ(shown.value("number").toInt(), 1);
  const QJsonObject settings = shown.value("settings").toObject();
  EXPECT_EQ(settings.value("Device").toArray()[0].toObject().value("LightInfo").toObject().value("Red").toInt(),
            0x12);

  QTemporaryDir folder;
  const QString file = folder.filePath("mine.json");
  const QJsonObject exported = Ask("profile-export", {{"device", "keyboard"}, {"file", file}});
  ASSERT_TRUE(exported.value("ok").toBool()) << QJsonDocument(exported).toJson().toStdString();
  EXPECT_TRUE(QFile::exists(file));
  EXPECT_EQ(Error(Ask("profile-export", {{"device", "keyboard"}, {"file", "relative.json"}})), "bad-request");
  EXPECT_EQ(Error(Ask("profile-export", {{"device", "keyboard"}, {"file", folder.filePath("no/such/dir.json")}})),
            "bad-request");

  const QJsonObject imported = Ask("profile-import", {{"device", "keyboard"}, {"file", file}});
  ASSERT_TRUE(imported.value("ok").toBool()) << QJsonDocument(imported).toJson().toStdString();
  EXPECT_EQ(imported.value("result").toObject().value("number").toInt(), 2);
  const QJsonArray profiles =
      Ask("profile-list", {{"device", "keyboard"}}).value("result").toObject().value("profiles").toArray();
  EXPECT_EQ(profiles.size(), 2);
  const QJsonObject second = Ask("profile-show", {{"device", "keyboard"}, {"profile", 2}}).value("result").toObject();
  EXPECT_EQ(second.value("settings").toObject().value("Device").toArray()[0].toObject().value("LightInfo").toObject().value("Red").toInt(),
            0x12);

  ASSERT_TRUE(Ask("profile-reset", {{"device", "keyboard"}}).value("ok").toBool());
  EXPECT_NE(Light().Red, 0x12) << "the factory colour is back";
  EXPECT_EQ(ProfileSection()["LightInfo"]["Red"].asInt(), Light().Red);
}

// Over the socket: two clients at once each get their own answer, matched
// by id; a broken line gets none and breaks nothing.
TEST_F(ControlRequestsTest, TwoClientsAtOnceEachGetTheirOwnReply) {
  Start();
  platform::LocalMessageServer server;
  ASSERT_EQ(server.Start(), platform::LocalMessageServer::StartResult::Listening);
  window_->Control().Listen(&server);
  QLocalSocket first, second;
  first.connectToServer(platform::LocalMessageServer::SocketPath());
  second.connectToServer(platform::LocalMessageServer::SocketPath());
  ASSERT_TRUE(first.waitForConnected(2000));
  ASSERT_TRUE(second.waitForConnected(2000));
  first.write("{\"message\": \"Travix.Control\", \"id\": 41, \"command\": \"light\", \"args\": "
              "{\"device\": \"keyboard\", \"brightness\": 3}}\n");
  second.write("not json\n{\"message\": \"Travix.Control\", \"id\": 42, \"command\": \"list\"}\n");
  first.flush();
  second.flush();
  auto replyOf = [](QLocalSocket& socket) -> QJsonObject {
    if (!socket.canReadLine())
      return {};
    return QJsonDocument::fromJson(socket.readLine()).object();
  };
  QJsonObject one, two;
  ASSERT_TRUE(RunUntil(
      [&] {
        if (one.isEmpty())
          one = replyOf(first);
        if (two.isEmpty())
          two = replyOf(second);
        return !one.isEmpty() && !two.isEmpty();
      },
      5000));
  EXPECT_EQ(one.value("message").toString(), ControlRequests::kReplyName);
  EXPECT_EQ(one.value("id").toInt(), 41);
  EXPECT_TRUE(one.value("ok").toBool());
  EXPECT_EQ(two.value("id").toInt(), 42);
  EXPECT_TRUE(two.value("result").toObject().contains("devices"));
  Settle();
  EXPECT_EQ(Light().Light, 3);
  window_->Control().Listen(nullptr);
}

// A key changes the way the key panel's save changes it: the page's key
// list and profile, then the keyboard's key table; the panel, when it
// shows that key, shows the new function.
TEST_F(ControlRequestsTest, AKeyGetsItsNewFunctionInTheProfileAndTheKeyboard) {
  Start();
  const std::vector<uint8_t> before = Firmware().Region("key_table").value_or(std::vector<uint8_t>{});
  const QJsonObject reply =
      Ask("key", {{"device", "keyboard"}, {"key", "A"}, {"function", "media:Mute"}, {"layer", "normal"}});
  ASSERT_TRUE(reply.value("ok").toBool()) << QJsonDocument(reply).toJson().toStdString();
  const QJsonObject result = reply.value("result").toObject();
  EXPECT_EQ(result.value("function").toString(), "media:Mute");
  EXPECT_TRUE(result.value("written").toBool());
  const int position = result.value("position").toInt();
  const KeyFunctionRecord normal = keyboard_->KeyList()[static_cast<size_t>(position)].Normal;
  EXPECT_EQ((protocol::KeyFunction{normal.Type, normal.Code1, normal.Code2}), (protocol::KeyFunction{0x30, 0xE2, 0}));
  const uint8_t slot = keyboard_->Keyboard().PositionToSlot(position);
  ASSERT_NE(slot, KeyboardCore::kNoSlot);
  const std::vector<uint8_t> after = Firmware().Region("key_table").value_or(std::vector<uint8_t>{});
  EXPECT_EQ(protocol::KeyFunction::ReadSlot(after, slot), (protocol::KeyFunction{0x30, 0xE2, 0}));
  EXPECT_EQ(ProfileSection()["KeyList"][position]["Assignment"].asInt(), 0x30 * 65536 + 0xE2 * 256);

  // Refused, and nothing sent: the Fn key, a name nobody knows, a device
  // without keys, a function of no kind.
  for (const QJsonObject& args :
       {QJsonObject{{"device", "keyboard"}, {"key", "Fn"}, {"function", "key:B"}},
        QJsonObject{{"device", "keyboard"}, {"key", "NoSuchKey"}, {"function", "key:B"}},
        QJsonObject{{"device", "keyboard"}, {"key", "A"}, {"function", "launch:rocket"}},
        QJsonObject{{"device", "keyboard"}, {"key", "A"}, {"function", "key:B"}, {"layer", "upper"}}}) {
    const QJsonObject refused = Ask("key", args);
    EXPECT_FALSE(refused.value("ok").toBool()) << QJsonDocument(args).toJson().toStdString();
  }
  EXPECT_EQ(Firmware().Region("key_table").value_or(std::vector<uint8_t>{}), after);
  EXPECT_NE(after, before);

  // Unsaved edits on the key panel would go out with the key: busy.
  keyboard_->KeyPanel()->SetModified(true);
  EXPECT_EQ(Error(Ask("key", {{"device", "keyboard"}, {"key", "B"}, {"function", "default"}})), "busy");
  keyboard_->KeyPanel()->SetModified(false);
}
