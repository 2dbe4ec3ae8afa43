#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "platform/DebugChannel.h"
#include "support/EventLoopHelpers.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CMsgWnd.h"

using namespace toolkit;

namespace {

class MessageBox : public ::testing::Test {
 protected:
  void SetUp() override {
    CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadResource("res.xml"));
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml"));
  }
  void TearDown() override {
    CPaintManagerUI::SetAllDPI(96);
    CResourceManager::GetInstance()->Release();
  }
  // Clicks a button of the message box as soon as it is up.
  static void ClickWhenShown(const char* button, QString* shownText = nullptr,
                             bool* cancelVisible = nullptr) {
    QTimer::singleShot(0, [=] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<CMsgWnd*>(w);
        if (box == nullptr || !box->isVisible())
          continue;
        if (shownText != nullptr)
          *shownText = box->FindControl("MessageText")->GetText();
        if (cancelVisible != nullptr)
          *cancelVisible = box->FindControl("cancel_btn")->IsVisible();
        static_cast<CButtonUI*>(box->FindControl(button))->Activate();
      }
    });
  }
};

}  // namespace

TEST_F(MessageBox, ConfirmGivesOneCancelAndCloseGiveZero) {
  QString text;
  bool cancelVisible = false;
  ClickWhenShown("confirm_btn", &text, &cancelVisible);
  EXPECT_EQ(ShowMessageBox(nullptr, {}, "btn_ok", 96, true, 1), 1);
  EXPECT_EQ(text, "OK") << "the text is a language id";
  EXPECT_TRUE(cancelVisible);
  ClickWhenShown("cancel_btn");
  EXPECT_EQ(ShowMessageBox(nullptr, {}, "btn_ok", 96, true, 1), 0);
  ClickWhenShown("closebtn");
  EXPECT_EQ(ShowMessageBox(nullptr, "Title", "plain words", 96, false, 0), 0);
}

TEST_F(MessageBox, InformOnlyModeHidesCancelAndBadDpiFallsBack) {
  platform::DebugCapture capture;
  bool cancelVisible = true;
  QString text;
  ClickWhenShown("confirm_btn", &text, &cancelVisible);
  EXPECT_EQ(ShowMessageBox(nullptr, {}, "plain words", 100, false, 0), 1);
  EXPECT_FALSE(cancelVisible);
  EXPECT_EQ(text, "plain words");
  EXPECT_TRUE(capture.Contains("MSG_WND DPI SET ERROR"));
  // The box deletes itself once its messages are done.
  testing_support::RunFor(20);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<CMsgWnd*>(w), nullptr);
}
