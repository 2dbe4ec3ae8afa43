#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <thread>

#include "support/EventLoopHelpers.h"
#include "support/SkinFixture.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CSliderUI.h"

using namespace toolkit;
using testing_support::RunFor;
using testing_support::RunUntil;
using testing_support::SkinTest;
using Trace = std::vector<QString>;

namespace {

class Notifications : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    window = MakeWindow();
    window->ShowWindow(true, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->seen.clear();
  }
  CControlUI* Find(const char* name) { return window->PaintManager().FindControl(name); }
  template <typename T>
  T* Inner(const char* name) {
    return Find(name)->findChild<T*>();
  }
  void Click(const char* name) { QTest::mouseClick(Inner<QPushButton>(name), Qt::LeftButton); }

  std::unique_ptr<testing_support::RecordingWindow> window;
};

}  // namespace

TEST_F(Notifications, WindowInitArrivesOnceAfterInitWindowEvenWhenHidden) {
  testing_support::RecordingWindow hidden;
  ASSERT_TRUE(hidden.Create(nullptr, "hidden", 0, 0));
  EXPECT_EQ(hidden.initWindowCalls, 1);
  EXPECT_TRUE(hidden.seen.empty()) << "windowinit comes from the event loop, after Create";
  ASSERT_TRUE(RunUntil([&] { return !hidden.seen.empty(); }));
  RunFor(20);
  EXPECT_EQ(hidden.Trace(), Trace{"windowinit:root"});
  EXPECT_FALSE(hidden.isVisible());
}

TEST_F(Notifications, ResizingRaisesWindowSizeFromTheRoot) {
  window->resize(500, 400);
  ASSERT_TRUE(RunUntil([&] { return !window->seen.empty(); }));
  EXPECT_EQ(window->Trace().front(), "windowsize:root");
}

TEST_F(Notifications, ButtonClickAndDisabledButton) {
  Click("okbtn");
  Click("cancelbtn");
  EXPECT_EQ(window->Trace(), Trace{"click:okbtn"});
}

TEST_F(Notifications, OptionGroupSelectsOneAndNotifiesOnlyTheNewOne) {
  auto* a = static_cast<COptionUI*>(Find("opt_a"));
  auto* b = static_cast<COptionUI*>(Find("opt_b"));
  auto* c = static_cast<COptionUI*>(Find("opt_c"));
  EXPECT_TRUE(a->IsSelected());
  Click("opt_b");
  EXPECT_EQ(window->Trace(), (Trace{"click:opt_b", "selectchanged:opt_b"}));
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(b->IsSelected());
  window->seen.clear();
  Click("opt_b");
  EXPECT_EQ(window->Trace(), Trace{"click:opt_b"}) << "the selected option stays selected";
  window->seen.clear();
  // Without notification, but still exclusive.
  c->Selected(true, false);
  EXPECT_TRUE(window->seen.empty());
  EXPECT_FALSE(b->IsSelected());
  // With notification.
  a->Selected(true);
  EXPECT_EQ(window->Trace(), Trace{"selectchanged:opt_a"});
  EXPECT_FALSE(c->IsSelected());
}

TEST_F(Notifications, OptionWithoutGroupTogglesAndCheckBoxToo) {
  auto* toggle = static_cast<COptionUI*>(Find("toggle"));
  Click("toggle");
  EXPECT_TRUE(toggle->IsSelected());
  Click("toggle");
  EXPECT_FALSE(toggle->IsSelected());
  Click("check");
  EXPECT_EQ(window->Trace(), (Trace{"click:toggle", "selectchanged:toggle", "click:toggle",
                                    "selectchanged:toggle", "click:check",
                                    "selectchanged:check"}));
  EXPECT_TRUE(static_cast<COptionUI*>(Find("check"))->IsSelected());
}

TEST_F(Notifications, SliderDragReportsMovesThenOneValueOnRelease) {
  auto* slider = static_cast<CSliderUI*>(Find("slider"));
  auto* qslider = Inner<QSlider>("slider");
  qslider->setSliderDown(true);
  qslider->setSliderPosition(5);
  qslider->setSliderPosition(6);
  qslider->setSliderDown(false);
  EXPECT_EQ(window->Trace(), (Trace{"movevaluechanged:slider", "movevaluechanged:slider",
                                    "valuechanged:slider"}));
  EXPECT_EQ(slider->GetValue(), 6);
  // Each move reports where the thumb is now, not where it was.
  EXPECT_EQ(window->seen[0].wParam, 5u);
  EXPECT_EQ(window->seen[1].wParam, 6u);
  EXPECT_EQ(window->seen.back().wParam, 6u);
  window->seen.clear();

  qslider->setFocus();
  QTest::keyClick(qslider, Qt::Key_Right);
  EXPECT_EQ(window->Trace(), Trace{"valuechanged:slider"});
  EXPECT_EQ(slider->GetValue(), 7);
  window->seen.clear();

  slider->SetValue(2);
  EXPECT_TRUE(window->seen.empty()) << "a program change raises nothing unless asked";
  slider->SetValue(3, true);
  EXPECT_EQ(window->Trace(), Trace{"valuechanged:slider"});
}

TEST_F(Notifications, ComboSelectionWithAndWithoutNotification) {
  auto* combo = static_cast<CComboUI*>(Find("combo"));
  ASSERT_EQ(combo->GetCurSel(), 1);
  EXPECT_TRUE(combo->SelectItem(2, false, false));
  EXPECT_TRUE(window->seen.empty());
  EXPECT_EQ(Inner<QComboBox>("combo")->currentIndex(), 2);
  EXPECT_TRUE(combo->SelectItem(0));
  ASSERT_EQ(window->Trace(), Trace{"itemselect:combo"});
  EXPECT_EQ(window->seen[0].wParam, 0u);
  EXPECT_EQ(window->seen[0].lParam, 2);
  window->seen.clear();
  EXPECT_TRUE(combo->SelectItem(0));
  EXPECT_TRUE(window->seen.empty()) << "the same item again changes nothing";
  EXPECT_FALSE(combo->SelectItem(9));

  // The user picks the next item with the keyboard.
  auto* box = Inner<QComboBox>("combo");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  EXPECT_EQ(window->Trace(), Trace{"itemselect:combo"});
  EXPECT_EQ(combo->GetCurSel(), 1);

  // An item's text follows language changes and edits.
  combo->GetItemAt(1)->SetText("uno");
  EXPECT_EQ(box->itemText(1), "uno");
}

TEST_F(Notifications, ListClickSelectsAndDoubleClickActivates) {
  auto* list = static_cast<CListUI*>(Find("list"));
  EXPECT_EQ(list->GetCurSel(), -1);
  QTest::mouseClick(Find("list_1"), Qt::LeftButton);
  ASSERT_EQ(window->Trace(), (Trace{"itemclick:list_1", "itemselect:list"}));
  EXPECT_EQ(window->seen[1].wParam, 1u);
  EXPECT_EQ(window->seen[1].lParam, -1);
  EXPECT_TRUE(static_cast<CListLabelElementUI*>(Find("list_1"))->IsSelected());
  window->seen.clear();

  QTest::mouseClick(Find("list_2"), Qt::LeftButton);
  QTest::mouseDClick(Find("list_2"), Qt::LeftButton);
  const Trace trace = window->Trace();
  EXPECT_NE(std::find(trace.begin(), trace.end(), "itemactivate:list_2"), trace.end());
  EXPECT_EQ(list->GetCurSel(), 2);
  EXPECT_FALSE(static_cast<CListLabelElementUI*>(Find("list_1"))->IsSelected());
  window->seen.clear();

  EXPECT_TRUE(list->SelectItem(0, false, false));
  EXPECT_TRUE(window->seen.empty());
  EXPECT_FALSE(list->SelectItem(7));
  EXPECT_EQ(list->GetCurSel(), 0) << "a bad index leaves the selection alone";
  // Removing a row before the selection moves the selection with it.
  list->RemoveAt(0);
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_TRUE(list->SelectItem(1));
  list->RemoveAt(0);
  EXPECT_EQ(list->GetCurSel(), 0);
}

TEST_F(Notifications, EditReportsTypingReturnAndFocus) {
  auto* edit = static_cast<CEditUI*>(Find("edit"));
  auto* line = Inner<QLineEdit>("edit");
  line->setFocus();
  ASSERT_TRUE(RunUntil([&] { return line->hasFocus(); }));
  QTest::keyClicks(line, "de");
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(edit->GetText(), "abcde");
  QTest::keyClicks(line, "f");
  EXPECT_EQ(edit->GetText(), "abcde") << "maxchar 5";
  Inner<QPushButton>("okbtn")->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(RunUntil([&] { return !line->hasFocus(); }));
  EXPECT_EQ(window->Trace(), (Trace{"setfocus:edit", "textchanged:edit", "textchanged:edit",
                                    "return:edit", "killfocus:edit"}));
  window->seen.clear();
  edit->SetText("xyz");
  EXPECT_TRUE(window->seen.empty()) << "setting the text is no edit";
  EXPECT_EQ(edit->GetText(), "xyz");
  QTest::keyClicks(line, "w");
  CResourceManager::GetInstance()->ReloadText();
  EXPECT_EQ(edit->GetText(), "xyzw") << "a language switch keeps what the user typed";
  // An edit whose tooltip is a language id holds its text as given.
  edit->SetResourceText(true);
  edit->SetText("Cave");
  EXPECT_EQ(edit->GetText(), "Cave");
}

TEST_F(Notifications, AsyncNotificationFromARemovedControlIsDropped) {
  CPaintManagerUI& pm = window->PaintManager();
  CControlUI* floater = Find("floater");
  pm.SendNotify(floater, "click_select_end", 1, 2, true);
  EXPECT_TRUE(window->seen.empty());
  RunUntil([&] { return !window->seen.empty(); });
  EXPECT_EQ(window->Trace(), Trace{"click_select_end:floater"});
  window->seen.clear();
  pm.SendNotify(floater, "click_select_end", 1, 2, true);
  delete floater;
  RunFor(30);
  EXPECT_TRUE(window->seen.empty());
}

TEST_F(Notifications, VirtualWindowsRouteToTheirHandler) {
  struct Page : CNotifyPump {
    bool HandleNotify(TNotifyUI& msg) override {
      got.push_back(msg.sType + ":" + msg.pSender->GetName());
      return true;
    }
    std::vector<QString> got;
  } page;
  ASSERT_TRUE(window->AddVirtualWnd("mainpage", &page));
  EXPECT_FALSE(window->AddVirtualWnd("mainpage", &page));
  Find("bar")->SetVirtualWnd("mainpage");
  Click("okbtn");
  Click("opt_b");
  EXPECT_EQ(page.got, Trace{"click:okbtn"}) << "the name is inherited from the container";
  EXPECT_TRUE(window->RemoveVirtualWnd("mainpage"));
}
