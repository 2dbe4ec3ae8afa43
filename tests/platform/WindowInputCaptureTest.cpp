#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "platform/WindowInputCapture.h"
#include "support/EventLoopHelpers.h"

namespace {

using platform::CapturedButton;
using platform::CapturedButtonKind;
using platform::CapturedKey;
using testing_support::RunUntil;

constexpr int kKeycodeOffset = 8;
constexpr int kKeyA = 30;
constexpr int kKeyTab = 15;

class WindowInputCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&widget_);
    edit_ = new QLineEdit(&widget_);
    other_ = new QLineEdit(&widget_);
    button_ = new QPushButton(QStringLiteral("stop"), &widget_);
    layout->addWidget(edit_);
    layout->addWidget(other_);
    layout->addWidget(button_);
    widget_.show();
    widget_.activateWindow();
    edit_->setFocus();
    ASSERT_TRUE(RunUntil([this] { return edit_->hasFocus(); }));
    sink_.key = [this](const CapturedKey& key) { keys_.push_back(key); };
    sink_.button = [this](const CapturedButton& button) { buttons_.push_back(button); };
  }

  // A key as the platform delivers it: to the window, with its keycode.
  void SendKey(QEvent::Type type, Qt::Key key, const QString& text, int inputCode,
               bool repeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, static_cast<quint32>(inputCode + kKeycodeOffset), 0, 0,
                    text, repeat);
    QCoreApplication::sendEvent(widget_.windowHandle(), &event);
  }
  void TapA() {
    SendKey(QEvent::KeyPress, Qt::Key_A, QStringLiteral("a"), kKeyA);
    SendKey(QEvent::KeyRelease, Qt::Key_A, QStringLiteral("a"), kKeyA);
  }

  QWidget widget_;
  QLineEdit* edit_ = nullptr;
  QLineEdit* other_ = nullptr;
  QPushButton* button_ = nullptr;
  platform::CaptureSink sink_;
  std::vector<CapturedKey> keys_;
  std::vector<CapturedButton> buttons_;
};

TEST_F(WindowInputCaptureTest, KeysAreTakenBeforeTheEditTheFocusChainAndShortcuts) {
  platform::WindowInputCapture capture;
  EXPECT_EQ(capture.GetReach(), platform::InputCapture::Reach::OwnWindow);
  int shortcutFired = 0;
  QShortcut shortcut(QKeySequence(Qt::Key_A), &widget_);
  QObject::connect(&shortcut, &QShortcut::activated, [&] { ++shortcutFired; });

  ASSERT_TRUE(capture.Start(widget_.windowHandle(), true, false, sink_));
  TapA();
  SendKey(QEvent::KeyPress, Qt::Key_Tab, QStringLiteral("\t"), kKeyTab);
  SendKey(QEvent::KeyRelease, Qt::Key_Tab, QStringLiteral("\t"), kKeyTab);
  QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
  override.ignore();
  EXPECT_TRUE(QCoreApplication::sendEvent(edit_, &override));
  EXPECT_TRUE(override.isAccepted()) << "a shortcut could still take the key";

  ASSERT_EQ(keys_.size(), 4u);
  EXPECT_EQ(keys_[0].inputCode, kKeyA);
  EXPECT_TRUE(keys_[0].pressed);
  EXPECT_FALSE(keys_[1].pressed);
  EXPECT_EQ(keys_[2].inputCode, kKeyTab);
  EXPECT_TRUE(edit_->text().isEmpty());
  EXPECT_TRUE(edit_->hasFocus()) << "Tab moved the focus";
  EXPECT_EQ(shortcutFired, 0);

  capture.Stop();
  TapA();
  EXPECT_EQ(edit_->text(), QStringLiteral("a"));
  EXPECT_EQ(keys_.size(), 4u);
}

TEST_F(WindowInputCaptureTest, AutoRepeatComesAsRepeatedPresses) {
  platform::WindowInputCapture capture;
  ASSERT_TRUE(capture.Start(widget_.windowHandle(), true, false, sink_));
  SendKey(QEvent::KeyPress, Qt::Key_A, QStringLiteral("a"), kKeyA);
  SendKey(QEvent::KeyRelease, Qt::Key_A, QStringLiteral("a"), kKeyA, true);
  SendKey(QEvent::KeyPress, Qt::Key_A, QStringLiteral("a"), kKeyA, true);
  SendKey(QEvent::KeyRelease, Qt::Key_A, QStringLiteral("a"), kKeyA);
  ASSERT_EQ(keys_.size(), 3u);
  EXPECT_TRUE(keys_[0].pressed);
  EXPECT_TRUE(keys_[1].pressed);
  EXPECT_FALSE(keys_[2].pressed);
}

TEST_F(WindowInputCaptureTest, ClicksAreReportedOnceAndStillReachTheirWidget) {
  platform::WindowInputCapture capture;
  int clicked = 0;
  QObject::connect(button_, &QPushButton::clicked, [&] { ++clicked; });
  ASSERT_TRUE(capture.Start(widget_.windowHandle(), true, true, sink_));
  const QPointF inWindow = button_->mapTo(&widget_, button_->rect().center());
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, inWindow, widget_.mapToGlobal(inWindow), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget_.windowHandle(), &event);
  }
  ASSERT_EQ(buttons_.size(), 2u);
  EXPECT_EQ(buttons_[0].button, CapturedButtonKind::Left);
  EXPECT_TRUE(buttons_[0].pressed);
  EXPECT_FALSE(buttons_[1].pressed);
  EXPECT_EQ(clicked, 1);
}

TEST_F(WindowInputCaptureTest, HidingTheWindowOrAKeyThatStopsEndsTheRun) {
  platform::WindowInputCapture capture;
  ASSERT_TRUE(capture.Start(widget_.windowHandle(), true, false, sink_));
  widget_.hide();
  EXPECT_FALSE(capture.IsCapturing());

  widget_.show();
  platform::CaptureSink stopping;
  stopping.key = [&](const CapturedKey& key) {
    keys_.push_back(key);
    capture.Stop();
  };
  ASSERT_TRUE(capture.Start(widget_.windowHandle(), true, false, stopping));
  TapA();
  EXPECT_EQ(keys_.size(), 1u);
  EXPECT_FALSE(capture.IsCapturing());
  EXPECT_FALSE(capture.Start(nullptr, true, false, sink_));
}

}  // namespace
