// The desktop-wide capture against a real X server: a private Xvfb started by
// this binary, keys and clicks sent with XTest from another client, and a
// further client that checks the keyboard is taken and given back. Skipped
// with a message only where no X server can be started.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "keys/CaptureKeyMap.h"
#include "macros/MacroRecorder.h"
#include "platform/HookRecords.h"
#include "platform/X11InputCapture.h"
#include "support/EventLoopHelpers.h"
#include "support/PrivateXServer.h"

// Last: Xlib's macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using platform::CapturedButton;
using platform::CapturedButtonKind;
using platform::CapturedKey;
using platform::CaptureSink;
using platform::X11InputCapture;
using testing_support::RunUntil;

// Linux input codes of the keys sent below.
constexpr int kKeyA = 30;
constexpr int kKeyB = 48;
constexpr int kKeyTab = 15;
constexpr int kKeyRightAlt = 100;
constexpr int kKeyCapsLock = 58;
constexpr int kKeycodeOffset = 8;

std::string g_skipReason;
pid_t g_server = 0;

using testing_support::Spawn;
using testing_support::Stop;

// Starts Xvfb on a free display and returns its name, or "" with the reason
// in g_skipReason.
std::string StartServer() {
  const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
  if (xvfb.isEmpty()) {
    g_skipReason = "Xvfb is not installed, so no X server can start";
    return {};
  }
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    g_skipReason = "no pipe for Xvfb's display number";
    return {};
  }
  g_server = Spawn({xvfb.toStdString(), "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                    "800x600x24", "-nolisten", "tcp", "-noreset"});
  close(pipeFds[1]);
  std::string number;
  char c = 0;
  while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
    number += c;
  close(pipeFds[0]);
  if (number.empty()) {
    Stop(g_server);
    g_skipReason = "Xvfb did not start";
    return {};
  }
  return ":" + number;
}

// Starts a window manager on the server and waits until it manages the
// root window; 0 when it is missing or does not start.
pid_t StartWindowManager(const char* name) {
  const QString path = QStandardPaths::findExecutable(QString::fromLocal8Bit(name));
  if (path.isEmpty())
    return 0;
  pid_t manager = Spawn({path.toStdString()});
  Display* display = XOpenDisplay(nullptr);
  bool managing = false;
  for (int i = 0; display != nullptr && i < 500 && !managing; ++i) {
    // Up once it says so on the root window (the redirect alone comes
    // earlier, while it still reads its settings).
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    managing = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                  AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
               count == 1;
    if (data != nullptr)
      XFree(data);
    if (!managing)
      usleep(10000);
  }
  if (display != nullptr)
    XCloseDisplay(display);
  if (!managing)
    Stop(manager);
  return manager;
}

// Another program on the same server.
class OtherClient {
 public:
  OtherClient() : display_(XOpenDisplay(nullptr)) {}
  ~OtherClient() {
    if (display_ != nullptr)
      XCloseDisplay(display_);
  }
  Display* display() const { return display_; }

  // Whether this client could take the keyboard now (given back at once).
  bool CanGrabKeyboard() {
    const int result = XGrabKeyboard(display_, DefaultRootWindow(display_), False, GrabModeAsync,
                                     GrabModeAsync, CurrentTime);
    if (result == GrabSuccess)
      XUngrabKeyboard(display_, CurrentTime);
    XSync(display_, False);
    return result == GrabSuccess;
  }
  void Key(int inputCode, bool press) {
    XTestFakeKeyEvent(display_, static_cast<unsigned>(inputCode + kKeycodeOffset), press ? True : False,
                      CurrentTime);
    XSync(display_, False);
  }
  void Tap(int inputCode) {
    Key(inputCode, true);
    Key(inputCode, false);
  }
  void Button(unsigned button, bool press) {
    XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
    XSync(display_, False);
  }
  bool CapsLocked() {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return (state.locked_mods & LockMask) != 0;
  }

 private:
  Display* display_;
};

// A window like the key panel's: an edit that holds the focus while keys are
// captured.
struct EditWindow {
  EditWindow() {
    auto* layout = new QVBoxLayout(&widget);
    edit = new QLineEdit(&widget);
    layout->addWidget(edit);
    widget.resize(300, 80);
    widget.show();
    Activate();
  }
  void Activate() {
    widget.activateWindow();
    edit->setFocus();
  }
  bool Focused() const { return widget.isActiveWindow() && edit->hasFocus(); }
  QWindow* window() const { return widget.windowHandle(); }

  QWidget widget;
  QLineEdit* edit = nullptr;
};

class X11InputCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!g_skipReason.empty())
      GTEST_SKIP() << g_skipReason;
    window_ = std::make_unique<EditWindow>();
    ASSERT_TRUE(WaitForFocus()) << "the test window did not get the focus: exposed "
                                << window_->window()->isExposed() << ", active "
                                << window_->widget.isActiveWindow() << ", edit focus "
                                << window_->edit->hasFocus() << ", map state " << MapState();
  }

  int MapState() {
    XWindowAttributes attributes{};
    XGetWindowAttributes(other_.display(), static_cast<Window>(window_->window()->winId()), &attributes);
    return attributes.map_state;
  }

  // A window manager may let a new window wait for the focus: ask again now
  // and then.
  bool WaitForFocus() {
    int tries = 0;
    return RunUntil([&] {
      if (++tries % 100 == 0) {
        // Now and then a manager that has only just started never maps
        // the window: show it once more.
        if (!window_->window()->isExposed()) {
          window_->widget.hide();
          window_->widget.show();
        }
        window_->Activate();
      }
      return window_->Focused();
    });
  }

  CaptureSink Recording() {
    CaptureSink sink;
    sink.key = [this](const CapturedKey& key) { keys_.push_back(key); };
    sink.button = [this](const CapturedButton& button) { buttons_.push_back(button); };
    return sink;
  }

  std::unique_ptr<EditWindow> window_;
  OtherClient other_;
  std::vector<CapturedKey> keys_;
  std::vector<CapturedButton> buttons_;
};

TEST_F(X11InputCaptureTest, TakesEveryKeyByCodeKeepsTheFocusAndGivesTheKeyboardBack) {
  X11InputCapture capture;
  ASSERT_TRUE(capture.Start(window_->window(), true, false, Recording()));
  EXPECT_FALSE(other_.CanGrabKeyboard()) << "the keyboard is not held while capturing";

  other_.Tap(kKeyA);
  // Right Alt held with A: a chord, in this order.
  other_.Key(kKeyRightAlt, true);
  other_.Key(kKeyA, true);
  other_.Key(kKeyA, false);
  other_.Key(kKeyRightAlt, false);
  // Tab would move the focus if Qt saw it.
  other_.Tap(kKeyTab);
  ASSERT_TRUE(RunUntil([this] { return keys_.size() >= 8; }));

  const std::vector<std::pair<int, bool>> expected = {
      {kKeyA, true},  {kKeyA, false},        {kKeyRightAlt, true}, {kKeyA, true},
      {kKeyA, false}, {kKeyRightAlt, false}, {kKeyTab, true},      {kKeyTab, false}};
  ASSERT_EQ(keys_.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(keys_[i].inputCode, expected[i].first) << "event " << i;
    EXPECT_EQ(keys_[i].pressed, expected[i].second) << "event " << i;
  }
  EXPECT_LE(keys_.front().timeMs, keys_.back().timeMs);
  // Nothing reached Qt: no character in the edit, the focus stayed.
  EXPECT_TRUE(window_->edit->text().isEmpty());
  EXPECT_TRUE(window_->Focused()) << "the grab took the focus from the edit";

  capture.Stop();
  EXPECT_FALSE(capture.IsCapturing());
  EXPECT_TRUE(other_.CanGrabKeyboard());
  // Keys go to the window again.
  other_.Tap(kKeyB);
  EXPECT_TRUE(RunUntil([this] { return window_->edit->text() == QStringLiteral("b"); }));
  EXPECT_EQ(keys_.size(), expected.size());
}

// A recording from real keys: each key as the main window hands it to the
// macro recorder, timed by the X server's own time stamps.
TEST_F(X11InputCaptureTest, ARecordingTakesHeldKeysWithTheirRealDurationInTheirOrder) {
  X11InputCapture capture;
  macros::RecordingMemory memory;
  macros::MacroRecorder recorder(memory);
  macros::MacroActionList list;
  recorder.Start(macros::MacroRecorder::RealTime, 50, 0);
  CaptureSink sink;
  sink.key = [&](const CapturedKey& key) {
    keys_.push_back(key);
    const auto scan = keys::CaptureKeyMap::ScanKeyOfInputCode(key.inputCode);
    ASSERT_TRUE(scan.has_value()) << key.inputCode;
    recorder.OnKey(list, macros::Placement::Append,
                   key.pressed ? platform::kHookKeyDown : platform::kHookKeyUp, scan->ScanCode,
                   scan->Extended ? platform::kHookKeyExtended : 0, key.timeMs);
  };
  ASSERT_TRUE(capture.Start(window_->window(), true, false, sink));

  // A held for two seconds.
  other_.Key(kKeyA, true);
  ASSERT_TRUE(RunUntil([this] { return keys_.size() >= 1; }));
  testing_support::RunFor(2000);
  other_.Key(kKeyA, false);
  // A held while B is tapped twice.
  other_.Key(kKeyA, true);
  other_.Tap(kKeyB);
  other_.Tap(kKeyB);
  other_.Key(kKeyA, false);
  // The server repeats A while it is held: those presses are dropped.
  ASSERT_TRUE(RunUntil([&] { return list.Count() >= 8; })) << list.Count() << " rows of " << keys_.size()
                                                          << " keys";
  testing_support::RunFor(50);

  struct Row {
    uint8_t usage;
    bool down;
  };
  const Row expected[] = {{4, true}, {4, false}, {4, true}, {5, true}, {5, false},
                          {5, true}, {5, false}, {4, false}};
  ASSERT_EQ(list.Count(), std::size(expected));
  for (size_t i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.At(i).Event.Button, expected[i].usage) << "row " << i;
    EXPECT_EQ(list.At(i).Event.Down, expected[i].down) << "row " << i;
  }
  EXPECT_GE(list.At(0).Event.Delay, 1950) << "the hold of A";
  EXPECT_LE(list.At(0).Event.Delay, 3000) << "the hold of A";
  EXPECT_EQ(list.At(list.Count() - 1).Event.Delay, 0) << "the last event keeps 0";
}

TEST_F(X11InputCaptureTest, LockKeysStillToggleUnderTheGrab) {
  X11InputCapture capture;
  const bool before = other_.CapsLocked();
  ASSERT_TRUE(capture.Start(window_->window(), true, false, Recording()));
  other_.Tap(kKeyCapsLock);
  ASSERT_TRUE(RunUntil([this] { return keys_.size() >= 2; }));
  EXPECT_EQ(keys_[0].inputCode, kKeyCapsLock);
  EXPECT_NE(other_.CapsLocked(), before);
  other_.Tap(kKeyCapsLock);
  EXPECT_EQ(other_.CapsLocked(), before);
}

TEST_F(X11InputCaptureTest, ReportsMouseButtonsButNotTheWheel) {
  X11InputCapture capture;
  ASSERT_TRUE(capture.Start(window_->window(), true, true, Recording()));
  for (unsigned button : {1u, 3u, 4u, 2u, 8u, 9u}) {
    other_.Button(button, true);
    other_.Button(button, false);
  }
  ASSERT_TRUE(RunUntil([this] { return buttons_.size() >= 10; }));
  const CapturedButtonKind expected[] = {CapturedButtonKind::Left, CapturedButtonKind::Right,
                                         CapturedButtonKind::Middle, CapturedButtonKind::Back,
                                         CapturedButtonKind::Forward};
  ASSERT_EQ(buttons_.size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(buttons_[i].button, expected[i / 2]) << "event " << i;
    EXPECT_EQ(buttons_[i].pressed, i % 2 == 0) << "event " << i;
  }
}

TEST_F(X11InputCaptureTest, FailsWhileAnotherProgramHoldsTheKeyboard) {
  Display* other = other_.display();
  ASSERT_EQ(XGrabKeyboard(other, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync,
                          CurrentTime),
            GrabSuccess);
  XSync(other, False);
  X11InputCapture capture;
  EXPECT_FALSE(capture.Start(window_->window(), true, false, Recording()));
  EXPECT_FALSE(capture.IsCapturing());
  XUngrabKeyboard(other, CurrentTime);
  XSync(other, False);
  EXPECT_TRUE(capture.Start(window_->window(), true, false, Recording()));
}

TEST_F(X11InputCaptureTest, NothingOfAStoppedRunArrives) {
  X11InputCapture capture;
  // The first key stops the capture; the keys already on their way are not
  // delivered, nor are they to the next run.
  CaptureSink sink;
  sink.key = [&](const CapturedKey& key) {
    keys_.push_back(key);
    capture.Stop();
  };
  ASSERT_TRUE(capture.Start(window_->window(), true, false, sink));
  other_.Tap(kKeyA);
  other_.Tap(kKeyB);
  ASSERT_TRUE(RunUntil([this] { return !keys_.empty(); }));
  testing_support::RunFor(50);
  EXPECT_EQ(keys_.size(), 1u);
  EXPECT_TRUE(other_.CanGrabKeyboard());
}

TEST_F(X11InputCaptureTest, HidingOrDestroyingTheWindowGivesTheKeyboardBack) {
  X11InputCapture capture;
  ASSERT_TRUE(capture.Start(window_->window(), true, false, Recording()));
  window_->widget.hide();
  EXPECT_FALSE(capture.IsCapturing());
  EXPECT_TRUE(other_.CanGrabKeyboard());

  window_ = std::make_unique<EditWindow>();
  ASSERT_TRUE(WaitForFocus());
  ASSERT_TRUE(capture.Start(window_->window(), true, false, Recording()));
  window_.reset();
  EXPECT_FALSE(capture.IsCapturing());
  EXPECT_TRUE(other_.CanGrabKeyboard());
}

TEST_F(X11InputCaptureTest, DestroyingTheCaptureGivesTheKeyboardBack) {
  auto capture = std::make_unique<X11InputCapture>();
  ASSERT_TRUE(capture->Start(window_->window(), true, false, Recording()));
  capture.reset();
  EXPECT_TRUE(other_.CanGrabKeyboard());
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // This binary needs a real X server of its own, whatever the suite sets.
  // Listing the tests needs no server.
  const std::string display = ::testing::GTEST_FLAG(list_tests) ? std::string() : StartServer();
  pid_t manager = 0;
  if (!display.empty()) {
    setenv("DISPLAY", display.c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "xcb");
    // The whole suite again under a window manager, which reparents the
    // window and gives the focus itself (Qt asks it with _NET_ACTIVE_WINDOW).
    if (const char* wanted = getenv("TRAVIX_TEST_WINDOW_MANAGER"); wanted != nullptr && *wanted != 0) {
      manager = StartWindowManager(wanted);
      if (manager == 0)
        g_skipReason = std::string(wanted) + " is not installed or did not start";
    }
  } else {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  int result = 0;
  {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    result = RUN_ALL_TESTS();
  }
  Stop(manager);
  Stop(g_server);
  return result;
}
