#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "app/TestUiHook.h"
#include "platform/DebugChannel.h"
#include "platform/LocalMessageServer.h"
#include "support/EventLoopHelpers.h"
#include "support/SkinFixture.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CMsgWnd.h"

using namespace toolkit;
using testing_support::RunUntil;
using Trace = std::vector<QString>;

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
void PrintTo(const QJsonObject& object, std::ostream* out) {
  *out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}
void PrintTo(const QJsonValue& value, std::ostream* out) {
  *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

namespace {

const char* const kSkin = R"(<Window size="400,400"><VerticalLayout name="root">
  <HorizontalLayout height="30">
    <Button name="okbtn" width="40"/><Button name="offbtn" width="40" enabled="false"/>
    <Button name="hiddenbtn" width="40" visible="false"/><Button name="ask" width="40"/>
    <Button name="confirm_btn" width="40"/><Option name="opt_a" group="g" selected="true"/>
    <Option name="opt_b" group="g"/><Option name="toggle"/>
  </HorizontalLayout>
  <Edit name="edit" text="abc" maxchar="8"/><Edit name="number" numberonly="true"/>
  <Edit name="fixed" readonly="true"/><RichEdit name="notes" multiline="true"/>
  <Slider name="slider" min="0" max="10" value="4"/>
  <Combo name="combo"><ListLabelElement text="zero"/><ListLabelElement text="one" selected="true"/>
    <ListLabelElement text="two"/></Combo>
  <List name="list"><ListLabelElement name="row_0"/><ListLabelElement name="row_1"/></List>
  <Label name="title"/>
</VerticalLayout></Window>)";

const QJsonObject kOk{{"message", TestUiHook::kResultName}, {"ok", true}};

std::string Error(const QJsonObject& answer) {
  return answer.value("error").toString().toStdString();
}

QJsonObject Request(const char* type, const char* control, QJsonObject more = {}) {
  more.insert("message", TestUiHook::kRequestName);
  more.insert("type", type);
  more.insert("control", control);
  return more;
}

// A shown window of each kind of control, the program's socket in a test
// runtime folder and a client on it; `Hook` installs the hook.
class HookWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
    CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");  // the message box's
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    ASSERT_EQ(server_.Start(), platform::LocalMessageServer::StartResult::Listening);
    client_.connectToServer(platform::LocalMessageServer::SocketPath());
    ASSERT_TRUE(RunUntil([&] { return server_.ClientCount() == 1; }));
    ASSERT_TRUE(window_.Create(nullptr, "hook test", 0, 0, 0, 0, 400, 400));
    EXPECT_TRUE(window_.SkinErrors().isEmpty()) << window_.SkinErrors().join('\n').toStdString();
    window_.ShowWindow(true, true);
    ASSERT_TRUE(RunUntil([&] { return window_.isActiveWindow() && !window_.seen.empty(); }));
    window_.seen.clear();
    // A message box left open is cancelled: a failure, not a hang.
    QObject::connect(&rescue_, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<CMsgWnd*>(QApplication::activeModalWidget()))
        box->Close(0);
    });
    rescue_.start(5000);
  }
  void TearDown() override {
    CPaintManagerUI::SetAllDPI(96);
    CResourceManager::GetInstance()->Release();
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
  }

  void Send(const QJsonObject& request) {
    client_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    client_.flush();
  }
  // The next line the client receives.
  QJsonObject Answer() {
    if (!RunUntil([&] { return client_.canReadLine(); }, 3000))
      return {};
    return QJsonDocument::fromJson(client_.readLine()).object();
  }
  QJsonObject Ask(const QJsonObject& request) {
    Send(request);
    return Answer();
  }
  CControlUI* Find(const char* name) { return window_.FindControl(name); }

  QTemporaryDir runtime_;
  QByteArray savedRuntime_;
  platform::LocalMessageServer server_;
  QLocalSocket client_;
  QTimer rescue_;
  testing_support::RecordingWindow window_{kSkin};
};

class Hook : public HookWindow {
 protected:
  void SetUp() override {
    HookWindow::SetUp();
    TestUiHook::Install(server_);
  }
};

}  // namespace

TEST_F(Hook, ClickSetValueAndSelectRaiseWhatTheUserActionRaises) {
  for (const char* button : {"okbtn", "opt_b", "opt_b", "toggle"})
    EXPECT_EQ(Ask(Request("click", button)), kOk) << "exactly the result, no window parameters";
  EXPECT_EQ(window_.Trace(), (Trace{"click:okbtn", "click:opt_b", "selectchanged:opt_b",
                                    "click:opt_b", "click:toggle", "selectchanged:toggle"}));
  EXPECT_FALSE(static_cast<COptionUI*>(Find("opt_a"))->IsSelected());
  EXPECT_TRUE(static_cast<COptionUI*>(Find("toggle"))->IsSelected());

  window_.seen.clear();
  EXPECT_EQ(Ask(Request("setvalue", "slider", {{"value", 7}})), kOk);
  EXPECT_EQ(Ask(Request("setvalue", "slider", {{"value", 7}})), kOk);
  EXPECT_EQ(Ask(Request("select", "combo", {{"index", 2}})), kOk);
  EXPECT_EQ(Ask(Request("select", "combo", {{"index", 2}})), kOk);
  EXPECT_EQ(Ask(Request("select", "list", {{"index", 1}})), kOk);
  ASSERT_EQ(window_.Trace(),
            (Trace{"movevaluechanged:slider", "valuechanged:slider", "valuechanged:slider",
                   "itemselect:combo", "itemclick:row_1", "itemselect:list"}))
      << "a thumb released where it was reports again; the same item again does nothing";
  EXPECT_EQ(window_.seen[0].wParam, 7u) << "the move reports the new position";
  EXPECT_EQ(window_.seen[1].wParam, 7u);
  EXPECT_EQ(window_.seen[3].wParam, 2u);
  EXPECT_EQ(window_.seen[3].lParam, 1);
  EXPECT_EQ(window_.seen[5].lParam, -1);
}

TEST_F(Hook, SetTextTypesIntoTheFieldAndLeavesIt) {
  EXPECT_EQ(Ask(Request("settext", "edit", {{"text", "hello"}})), kOk);
  EXPECT_EQ(window_.Trace(), (Trace{"setfocus:edit", "textchanged:edit", "killfocus:edit"}));
  EXPECT_EQ(Find("edit")->GetText(), "hello");

  // In a window that is not active the field gets no real focus; it is told
  // all the same.
  testing_support::RecordingWindow other(R"(<Window><VerticalLayout name="root"/></Window>)");
  ASSERT_TRUE(other.Create(nullptr, "other", 0, 0, 0, 0, 100, 100));
  other.ShowWindow(true, true);
  ASSERT_TRUE(RunUntil([&] { return other.isActiveWindow() && !window_.isActiveWindow(); }));
  window_.seen.clear();
  EXPECT_EQ(Ask(Request("settext", "notes", {{"text", "two\nlines"}})), kOk);
  EXPECT_EQ(window_.Trace(), (Trace{"setfocus:notes", "textchanged:notes", "killfocus:notes"}));
  EXPECT_EQ(Find("notes")->GetText(), "two\nlines");

  // What a user could not type is refused, and nothing happens.
  window_.seen.clear();
  for (const auto& [control, text, error] :
       {std::tuple{"edit", "123456789", "at most 8"}, {"edit", "a\nb", "single line"},
        {"number", "12a", "does not take"}, {"fixed", "x", "read-only"}}) {
    const QJsonObject answer = Ask(Request("settext", control, {{"text", text}}));
    EXPECT_NE(Error(answer).find(error), std::string::npos) << control << ": " << Error(answer);
  }
  EXPECT_TRUE(window_.seen.empty());
  EXPECT_EQ(Find("edit")->GetText(), "hello");
}

TEST_F(Hook, BadRequestsAreRefusedToTheAskingClientOnly) {
  QLocalSocket bystander;
  bystander.connectToServer(platform::LocalMessageServer::SocketPath());
  ASSERT_TRUE(RunUntil([&] { return server_.ClientCount() == 2; }));
  platform::DebugCapture capture;
  for (const auto& [request, error] : {
           std::pair{Request("click", "nothing"), "no control \"nothing\""},
           {Request("click", "offbtn"), "\"offbtn\" is disabled"},
           {Request("click", "hiddenbtn"), "\"hiddenbtn\" is not visible"},
           {Request("click", "title"), "\"title\" is a LabelUI"},
           {Request("drag", "okbtn"), "unknown type \"drag\""},
           {Request("setvalue", "slider", {{"value", 11}}), "goes from 0 to 10"},
           {Request("select", "combo", {{"index", 3}}), "has 3 items"},
       }) {
    const QJsonObject answer = Ask(request);
    EXPECT_EQ(answer.value("message"), TestUiHook::kResultName);
    EXPECT_EQ(answer.value("ok"), false) << error;
    EXPECT_NE(Error(answer).find(error), std::string::npos) << Error(answer);
    EXPECT_TRUE(capture.Contains(error)) << error;
  }
  EXPECT_TRUE(window_.seen.empty());
  testing_support::RunFor(30);
  EXPECT_EQ(bystander.bytesAvailable(), 0);
}

TEST_F(Hook, AModalBoxComesFirstAndBlocksItsOwner) {
  int result = -1;
  QTimer::singleShot(0, [&] { result = ShowMessageBox(&window_, {}, "sure?", 96, false, 1); });
  // Sent once the box runs: read by the box's event loop.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (qobject_cast<CMsgWnd*>(QApplication::activeModalWidget()) == nullptr)
      return;
    poll.stop();
    Send(Request("click", "okbtn"));
    Send(Request("click", "confirm_btn"));  // the owner has one too
  });
  poll.start(5);
  ASSERT_TRUE(RunUntil([&] { return result != -1; }));
  EXPECT_EQ(result, 1);
  EXPECT_NE(Error(Answer()).find("\"okbtn\" is in a window blocked by the modal window \"MsgWnd\""),
            std::string::npos);
  EXPECT_EQ(Answer(), kOk);
  EXPECT_TRUE(window_.seen.empty());
}

TEST_F(Hook, AClickThatOpensAModalBoxIsAnsweredWhileTheBoxRuns) {
  int result = -1;
  window_.onNotify = [&](TNotifyUI& msg) {
    if (msg.pSender->GetName() == "ask")
      result = ShowMessageBox(&window_, {}, "sure?", 96, false, 1);
  };
  // In one go: the last two lines are read while the box runs.
  Send(Request("click", "ask"));
  Send(Request("click", "okbtn"));
  Send(Request("click", "confirm_btn"));
  EXPECT_EQ(Answer(), kOk);
  EXPECT_EQ(Answer().value("ok"), false) << "the box blocks the window";
  EXPECT_EQ(Answer(), kOk);
  ASSERT_TRUE(RunUntil([&] { return result != -1; }));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(window_.Trace(), Trace{"click:ask"});
  EXPECT_FALSE(client_.canReadLine()) << "one answer per line";
}

// As a test script does it: waits for the answer of the click that opened
// the box, then clicks the box's button on the same connection.
TEST_F(Hook, TheClientThatOpenedABoxIsAnsweredAgainAndClosesIt) {
  platform::DebugCapture capture;
  int result = -1;
  window_.onNotify = [&](TNotifyUI& msg) {
    if (msg.pSender->GetName() == "ask")
      result = ShowMessageBox(&window_, {}, "sure?", 96, false, 1);
  };
  std::vector<QJsonObject> answers;
  // Reacts inside the box's event loop, where the test's own code does not run.
  QObject::connect(&client_, &QLocalSocket::readyRead, [&] {
    while (client_.canReadLine()) {
      answers.push_back(QJsonDocument::fromJson(client_.readLine()).object());
      if (answers.size() == 1)
        Send(Request("click", "confirm_btn"));
    }
  });
  Send(Request("click", "ask"));
  ASSERT_TRUE(RunUntil([&] { return result != -1 && answers.size() == 2; }));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(answers[0], kOk);
  EXPECT_EQ(answers[1], kOk);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(capture.Contains("no client left"));
}

TEST_F(HookWindow, WithoutTheHookTheLineIsAnUnknownMessage) {
  platform::DebugCapture capture;
  Send(Request("click", "okbtn"));
  ASSERT_TRUE(RunUntil([&] { return capture.Contains("unknown message \"Travix.Test.Notify\""); }));
  testing_support::RunFor(30);
  EXPECT_FALSE(client_.canReadLine());
  EXPECT_TRUE(window_.seen.empty());
}

// The program turns the hook on with TRAVIX_TEST_UI=1 only.
TEST(TestHookProcess, OnlyTheVariableTurnsItOn) {
  for (const char* variable : {"1", "yes", static_cast<const char*>(nullptr)}) {
    QTemporaryDir root;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_RUNTIME_DIR", "HOME", "XDG_DATA_HOME"})
      env.insert(name, root.path());
    env.insert("TRAVIX_SYSFS_ROOT", root.path() + "/sys");  // no devices
    env.insert("TRAVIX_DEV_ROOT", root.path() + "/dev");
    env.insert("TRAVIX_DEBUG", "1");
    env.remove("TRAVIX_TEST_UI");
    if (variable != nullptr)
      env.insert("TRAVIX_TEST_UI", variable);
    const bool on = variable == QLatin1String("1");
    QProcess travix;
    travix.setProcessEnvironment(env);
    travix.start(TRAVIX_BIN_DIR "/travix");
    QString log;
    const auto logged = [&](const char* text) {
      return RunUntil([&] {
        travix.waitForReadyRead(20);
        return (log += travix.readAllStandardError()).contains(text);
      }, 10000);
    };
    ASSERT_TRUE(logged("instance message: window shown")) << log.toStdString();
    EXPECT_EQ(log.contains("the UI test hook is on"), on) << variable;

    QLocalSocket client;
    client.connectToServer(root.path() + "/travix.sock");
    ASSERT_TRUE(client.waitForConnected(2000));
    client.write(R"({"message": "Travix.Test.Notify", "type": "click", "control": "x"})" "\n");
    client.flush();
    if (on) {
      // Announcements to every client may come first.
      QJsonObject answer;
      while (answer.value("message") != TestUiHook::kResultName &&
             (client.canReadLine() || client.waitForReadyRead(5000)))
        if (client.canReadLine())
          answer = QJsonDocument::fromJson(client.readLine()).object();
      EXPECT_EQ(Error(answer), "no control \"x\" in a shown window");
    } else {
      EXPECT_TRUE(logged("dropped an unknown message \"Travix.Test.Notify\"")) << variable;
      EXPECT_FALSE(client.waitForReadyRead(100));
    }
    travix.kill();
    travix.waitForFinished(3000);
  }
}
