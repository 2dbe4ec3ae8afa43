#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "app/SkinCommands.h"
#include "platform/DataFolders.h"
#include "settings/SkinObserver.h"
#include "support/EventLoopHelpers.h"
#include "support/SimulatedMainWindow.h"
#include "support/MainWindowEnvironment.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CTabLayoutUI.h"

using namespace toolkit;
using testing_support::RunUntil;

namespace {

class SkinChooser : public testing_support::SimulatedMainWindow {
 protected:
  void Start() {
    window_ = std::make_unique<CMainWnd>();
    ASSERT_TRUE(testing_support::MainWindowEnvironment::Create(*window_));
    window_->ShowWindow(true, true);
    ASSERT_TRUE(RunUntil([&] { return window_->isVisible(); }));
  }
  CSkinFrame* Open() {
    static_cast<CButtonUI*>(window_->FindControl("skinbtn"))->Activate();
    CSkinFrame* frame = window_->Skins().Frame();
    EXPECT_NE(frame, nullptr);
    return frame;
  }
  // The first control of that name in the chooser.
  void Click(CSkinFrame* frame, const char* name, int which = 0) {
    const auto all = frame->findChildren<CButtonUI*>(name);
    ASSERT_GT(all.size(), which) << name;
    all[which]->Activate();
  }
  CControlUI* Root() { return window_->FindControl("root"); }
  QSettings Record() {
    return QSettings(platform::DataFolders::UserDataDir() + "main.ini", QSettings::IniFormat);
  }
};

// A window that follows the background, and leaves when it goes.
struct Follower : ReceiverImpl {
  bool Receive(const SkinChangedParam& param) override {
    received.push_back(param.Image);
    return true;
  }
  std::vector<QString> received;
};

}  // namespace

TEST_F(SkinChooser, ColoursPicturesAndTheResetReachTheRootAndTheRecord) {
  Start();
  CSkinFrame* frame = Open();
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(RunUntil([&] { return frame->isVisible(); }));
  // Its right edge on the button's right edge, its top on the button's bottom.
  CControlUI* button = window_->FindControl("skinbtn");
  const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
  EXPECT_EQ(frame->geometry().right() + 1, corner.x());
  EXPECT_EQ(frame->geometry().top(), corner.y());
  // A second click while it is open opens no other.
  static_cast<CButtonUI*>(button)->Activate();
  EXPECT_EQ(window_->Skins().Frame(), frame);

  Click(frame, "skin_color");
  EXPECT_EQ(qobject_cast<CTabLayoutUI*>(frame->FindControl("skin_tab"))->GetCurSel(), 1);
  const QColor colour = frame->findChildren<CButtonUI*>("skin_color_btn")[2]->GetBkColor();
  Root()->SetBkImage("common/backgrounds/bg_forest.png");
  Click(frame, "skin_color_btn", 2);
  EXPECT_EQ(Root()->GetBkColor(), colour);
  EXPECT_TRUE(Root()->GetBkImage().isEmpty()) << "a colour clears the picture";
  EXPECT_FALSE(QFile::exists(platform::DataFolders::UserDataDir() + "main.ini"))
      << "a colour is not recorded";

  Click(frame, "skin_image");
  const QString picture = frame->findChildren<CButtonUI*>("skin_image_btn")[1]->GetUserData();
  Click(frame, "skin_image_btn", 1);
  EXPECT_EQ(Root()->GetBkImage(), picture);
  EXPECT_EQ(Root()->GetBkColor(), QColor::fromRgba(0));
  EXPECT_EQ(Record().value("SKINIMAGE/FLAGS").toString(), "1");
  EXPECT_EQ(Record().value("SKINIMAGE/IMAGE").toString(), picture);

  Click(frame, "skin_reset");
  EXPECT_EQ(Root()->GetBkImage(), "common/background.png");
  EXPECT_EQ(Root()->GetBkColor(), QColor::fromRgba(0));
  EXPECT_EQ(Record().value("SKINIMAGE/FLAGS").toString(), "0");
  EXPECT_EQ(Record().value("SKINIMAGE/IMAGE").toString(), "common/background.png");
}

TEST_F(SkinChooser, TheOwnPictureIsChosenAfterTheChooserIsGone) {
  Start();
  QTemporaryDir pictures;
  const QString file = pictures.path() + "/mine.png";
  ASSERT_TRUE(QFile::copy(TRAVIX_SOURCE_DIR "/skin/common/backgrounds/bg_ember.png", file));
  QPointer<CSkinFrame> whenAsked;
  int asked = 0;
  QString answer = file;
  window_->Skins().SetFileChooser([&] {
    ++asked;
    whenAsked = window_->Skins().Frame();
    return answer;
  });
  QPointer<CSkinFrame> frame = Open();
  Click(frame, "skin_Custom");
  ASSERT_TRUE(RunUntil([&] { return asked == 1 && frame.isNull(); }));
  EXPECT_TRUE(whenAsked.isNull()) << "the dialog runs once the chooser is gone";
  EXPECT_EQ(Root()->GetBkImage(), file);
  EXPECT_FALSE(QFile::exists(platform::DataFolders::UserDataDir() + "main.ini"))
      << "the user's own picture is not recorded";

  // Cancelled: nothing changes.
  answer.clear();
  frame = Open();
  Click(frame, "skin_Custom");
  ASSERT_TRUE(RunUntil([&] { return asked == 2 && frame.isNull(); }));
  EXPECT_EQ(Root()->GetBkImage(), file);
}

TEST(SkinObserver, ReceiversLeaveWhenTheyGo) {
  ObserverImpl& observer = ObserverImpl::Instance();
  const size_t before = observer.ReceiverCount();
  auto follower = std::make_unique<Follower>();
  observer.AddReceiver(follower.get());
  observer.AddReceiver(follower.get());
  EXPECT_EQ(observer.ReceiverCount(), before + 1) << "once only";
  observer.Broadcast({false, 0, "a.png"});
  EXPECT_EQ(follower->received, std::vector<QString>{"a.png"});
  follower.reset();
  EXPECT_EQ(observer.ReceiverCount(), before);
  observer.Broadcast({false, 0, "b.png"});  // nothing left to tell
}
