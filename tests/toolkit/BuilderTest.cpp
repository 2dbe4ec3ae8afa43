#include <gtest/gtest.h>

#include <QLabel>

#include "support/EventLoopHelpers.h"
#include "support/SkinFixture.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CControlFactory.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CProgressUI.h"
#include "toolkit/CSliderUI.h"
#include "toolkit/CTabLayoutUI.h"
#include "toolkit/CVerticalLayoutUI.h"

using namespace toolkit;
using testing_support::SkinTest;

namespace {

class FactoryThing : public CLabelUI {
 public:
  QString GetClass() const override { return "FactoryThingUI"; }
};

class Builder : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    CControlFactory::GetInstance()->RegistControl("CFactoryThingUI",
                                                  [] { return new FactoryThing; });
  }
  void TearDown() override {
    CControlFactory::GetInstance()->Clear();
    SkinTest::TearDown();
  }
};

}  // namespace

TEST_F(Builder, FindsEveryControlWithItsAttributes) {
  auto window = MakeWindow();
  EXPECT_TRUE(window->SkinErrors().isEmpty()) << window->SkinErrors().join("\n").toStdString();
  CPaintManagerUI& pm = window->PaintManager();

  const std::pair<const char*, const char*> expected[] = {
      {"root", "VerticalLayoutUI"}, {"bar", "HorizontalLayoutUI"}, {"title", "LabelUI"},
      {"okbtn", "ButtonUI"},        {"opt_a", "OptionUI"},         {"check", "CheckBoxUI"},
      {"slider", "SliderUI"},       {"combo", "ComboUI"},          {"list", "ListUI"},
      {"list_2", "ListLabelElementUI"}, {"edit", "EditUI"},        {"tabs", "TabLayoutUI"},
      {"floats", "ContainerUI"},    {"floater", "ControlUI"},      {"progress", "ProgressUI"},
      {"own", "LabelUI"},           {"factory", "FactoryThingUI"},
  };
  for (const auto& [name, cls] : expected) {
    CControlUI* control = pm.FindControl(name);
    ASSERT_NE(control, nullptr) << name;
    EXPECT_EQ(control->GetClass(), cls) << name;
    EXPECT_EQ(control->GetManager(), &pm) << name;
  }
  EXPECT_EQ(pm.FindControl("nothing"), nullptr);

  auto* ok = static_cast<CButtonUI*>(pm.FindControl("okbtn"));
  EXPECT_EQ(ok->GetUserData(), "u-ok");
  EXPECT_EQ(ok->GetToolTip(), "tip");
  EXPECT_EQ(ok->GetText(), "OK");
  EXPECT_EQ(ok->GetFixedWidth(), 60);
  // From the window's Default entry for buttons.
  EXPECT_EQ(ok->GetFixedHeight(), 24);
  EXPECT_EQ(ok->GetTextColor(), QColor(0x11, 0x22, 0x33));
  EXPECT_FALSE(pm.FindControl("cancelbtn")->IsEnabled());
  EXPECT_EQ(pm.FindControl("root")->GetBkColor(), QColor(0x10, 0x10, 0x10));
  EXPECT_EQ(pm.FindControl("title")->GetFont(), 3);
  EXPECT_TRUE(CPaintManagerUI::GetFont(3).bold());

  auto* slider = static_cast<CSliderUI*>(pm.FindControl("slider"));
  EXPECT_EQ(slider->GetMinValue(), 0);
  EXPECT_EQ(slider->GetMaxValue(), 10);
  EXPECT_EQ(slider->GetValue(), 4);
  auto* progress = static_cast<CProgressUI*>(pm.FindControl("progress"));
  EXPECT_EQ(progress->GetMaxValue(), 50);
  EXPECT_EQ(progress->GetValue(), 25);
  EXPECT_EQ(static_cast<CEditUI*>(pm.FindControl("edit"))->GetText(), "abc");
  EXPECT_EQ(static_cast<CComboUI*>(pm.FindControl("combo"))->GetCurSel(), 1);
  EXPECT_EQ(static_cast<CComboUI*>(pm.FindControl("combo"))->GetCount(), 3);

  // Window attributes.
  EXPECT_EQ(pm.GetInitSize(), QSize(400, 300));
  EXPECT_EQ(window->size(), QSize(400, 300));
  EXPECT_EQ(window->minimumSize(), QSize(200, 150));
  EXPECT_EQ(window->initWindowCalls, 1);
}

TEST_F(Builder, IncludesAreFoundWhateverTheirCaseAndRepeatByCount) {
  auto window = MakeWindow();
  CPaintManagerUI& pm = window->PaintManager();
  auto* tabs = static_cast<CTabLayoutUI*>(pm.FindControl("tabs"));
  ASSERT_NE(tabs, nullptr);
  // page_0, the included page_1, and the fragment included twice.
  EXPECT_EQ(tabs->GetCount(), 4);
  EXPECT_EQ(tabs->GetItemAt(1)->GetName(), "page_1");
  EXPECT_NE(pm.FindSubControlByName(tabs->GetItemAt(1), "included_text"), nullptr);
  EXPECT_EQ(tabs->GetItemAt(2)->GetName(), "repeated");
  EXPECT_EQ(tabs->GetItemAt(3)->GetName(), "repeated");
  // "selectedid" chose the included page.
  EXPECT_EQ(tabs->GetCurSel(), 1);
  EXPECT_TRUE(pm.FindControl("page_1")->IsVisible());
  EXPECT_FALSE(pm.FindControl("page_0")->IsVisible());
  EXPECT_FALSE(pm.FindControl("included_text")->IsVisible() &&
               !pm.FindControl("page_1")->IsVisible());
  EXPECT_TRUE(tabs->SelectItem(0));
  EXPECT_TRUE(pm.FindControl("page_0")->IsVisible());
  EXPECT_FALSE(pm.FindControl("included_text")->IsVisible())
      << "a control inside a hidden page is not visible";
  EXPECT_FALSE(tabs->SelectItem(4));
}

TEST_F(Builder, UnknownTagsGoToTheCallbackThenTheFactoryThenAreReported) {
  struct Callback : IDialogBuilderCallback {
    CControlUI* CreateControl(const QString& tag) override {
      asked.push_back(tag);
      return tag == "Mine" ? new CLabelUI : nullptr;
    }
    std::vector<QString> asked;
  } callback;
  CPaintManagerUI pm;
  CDialogBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(
      "<VerticalLayout name=\"r\"><Mine name=\"m\"/><FactoryThing name=\"f\"/>"
      "<Nobody name=\"n\"/><Button name=\"b\"/></VerticalLayout>",
      {}, &callback, &pm));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(callback.asked, (std::vector<QString>{"Mine", "FactoryThing", "Nobody"}))
      << "built-in tags never reach the callback";
  auto* container = qobject_cast<CContainerUI*>(root.get());
  ASSERT_EQ(container->GetCount(), 3);
  EXPECT_EQ(container->GetItemAt(1)->GetClass(), "FactoryThingUI");
  ASSERT_EQ(builder.Errors().size(), 1);
  EXPECT_TRUE(builder.Errors()[0].contains("Nobody"));
}

TEST_F(Builder, ReportsBadAttributesMissingIncludesAndBrokenXml) {
  CPaintManagerUI pm;
  {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(
        "<VerticalLayout><Label widht=\"3\"/><Label width=\"wide\"/>"
        "<Include source=\"missing.xml\"/><Label><Label/></Label></VerticalLayout>",
        {}, nullptr, &pm));
    ASSERT_NE(root, nullptr);
    const QString all = builder.Errors().join("\n");
    EXPECT_EQ(builder.Errors().size(), 4) << all.toStdString();
    EXPECT_TRUE(all.contains("widht"));
    EXPECT_TRUE(all.contains("width=\"wide\""));
    EXPECT_TRUE(all.contains("missing.xml"));
    EXPECT_TRUE(all.contains("cannot hold"));
  }
  {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(
        builder.Create("<VerticalLayout><Label></VerticalLayout>", {}, nullptr, &pm));
    EXPECT_FALSE(builder.Errors().isEmpty());
  }
  {
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create("no_such_layout.xml", {}, nullptr, &pm), nullptr);
    EXPECT_EQ(builder.Errors().size(), 1);
  }
}

TEST_F(Builder, IncludeOfItselfStopsAtTheDepthLimit) {
  CPaintManagerUI pm;
  CDialogBuilder builder;
  std::unique_ptr<CControlUI> root(
      builder.Create("<VerticalLayout><Include source=\"sub/self.xml\"/></VerticalLayout>", {},
                     nullptr, &pm));
  ASSERT_NE(root, nullptr);
  ASSERT_EQ(builder.Errors().size(), 1);
  EXPECT_TRUE(builder.Errors()[0].contains("nests too deep"));
}

TEST_F(Builder, LaysOutFixedFreeAndFloatingItems) {
  auto window = MakeWindow();
  window->resize(400, 300);
  CPaintManagerUI& pm = window->PaintManager();
  CControlUI* bar = pm.FindControl("bar");
  // inset 4 on every side of the root.
  EXPECT_EQ(bar->geometry(), QRect(4, 4, 392, 30));
  EXPECT_EQ(pm.FindControl("title")->geometry().width(), 200);
  EXPECT_EQ(pm.FindControl("okbtn")->geometry(), QRect(200, 0, 60, 24));
  // childpadding 2 between the rows of the root.
  EXPECT_EQ(pm.FindControl("options")->geometry().top(), 4 + 30 + 2);
  EXPECT_EQ(pm.FindControl("floater")->geometry(), QRect(10, 5, 20, 20));
  // The free item of a container takes the whole area.
  EXPECT_EQ(pm.FindControl("progress")->geometry(), pm.FindControl("floats")->rect());

  // Twice the DPI: every skin size doubles (in Qt's logical pixels).
  ASSERT_TRUE(pm.SetDPI(192));
  EXPECT_EQ(window->size(), QSize(800, 600));
  EXPECT_EQ(bar->geometry(), QRect(8, 8, 784, 60));
  EXPECT_EQ(pm.FindControl("floater")->geometry(), QRect(20, 10, 40, 40));
  EXPECT_FALSE(pm.SetDPI(100)) << "only 48..192 in steps of 24";
  EXPECT_EQ(pm.GetDPI(), 192);
}

TEST_F(Builder, HiddenItemsTakeNoSpaceAndComeBack) {
  auto window = MakeWindow();
  CPaintManagerUI& pm = window->PaintManager();
  CControlUI* title = pm.FindControl("title");
  CControlUI* ok = pm.FindControl("okbtn");
  title->SetVisible(false);
  EXPECT_EQ(ok->geometry().left(), 0);
  EXPECT_FALSE(title->IsVisible());
  title->SetVisible(true);
  EXPECT_EQ(ok->geometry().left(), 200);
  // A hidden container hides what it holds, even though their own flags are set.
  pm.FindControl("bar")->SetVisible(false);
  EXPECT_TRUE(ok->IsOwnVisible());
  EXPECT_FALSE(ok->IsVisible());
}

TEST_F(Builder, ContainersAddRemoveAndForgetRemovedNames) {
  auto window = MakeWindow();
  CPaintManagerUI& pm = window->PaintManager();
  auto* options = static_cast<CContainerUI*>(pm.FindControl("options"));
  ASSERT_EQ(options->GetCount(), 5);
  auto* extra = new CButtonUI;
  extra->SetName("extra");
  ASSERT_TRUE(options->AddAt(extra, 1));
  EXPECT_EQ(options->GetItemAt(1), extra);
  EXPECT_EQ(pm.FindControl("extra"), extra);
  EXPECT_EQ(options->GetItemIndex(pm.FindControl("opt_b")), 2);
  EXPECT_FALSE(options->AddAt(new CButtonUI(options), 99));

  QPointer<CControlUI> removed(pm.FindControl("opt_c"));
  ASSERT_TRUE(options->Remove(removed));
  EXPECT_EQ(pm.FindControl("opt_c"), nullptr);
  EXPECT_EQ(options->GetCount(), 5);
  testing_support::RunUntil([&] { return removed.isNull(); });
  EXPECT_TRUE(removed.isNull()) << "a removed item is deleted";
  // The option group forgot it as well.
  EXPECT_EQ(pm.GetOptionGroup("grp").size(), 2);

  CControlUI* kept = options->GetItemAt(0);
  ASSERT_TRUE(options->RemoveAt(0, true));
  EXPECT_EQ(kept->GetManager(), nullptr);
  delete kept;
  options->RemoveAll();
  EXPECT_EQ(options->GetCount(), 0);
  EXPECT_EQ(pm.FindControl("extra"), nullptr);
}

TEST_F(Builder, RenamedControlsAreFoundByTheirNewName) {
  auto window = MakeWindow();
  CPaintManagerUI& pm = window->PaintManager();
  CControlUI* ok = pm.FindControl("okbtn");
  ok->SetName("device_select");
  EXPECT_EQ(pm.FindControl("okbtn"), nullptr);
  EXPECT_EQ(pm.FindControl("device_select"), ok);
}

TEST_F(Builder, ScrollBarsAreSwitchedEachOnItsOwn) {
  CPaintManagerUI pm;
  CDialogBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(
      "<VerticalLayout vscrollbar=\"true\" hscrollbar=\"true\"><Label/></VerticalLayout>", {},
      nullptr, &pm));
  auto* container = qobject_cast<CContainerUI*>(root.get());
  ASSERT_NE(container, nullptr);
  EXPECT_TRUE(container->HasVerticalScrollBar());
  EXPECT_TRUE(container->HasHorizontalScrollBar());
  EXPECT_TRUE(container->SetAttribute("vscrollbar", "false"));
  EXPECT_FALSE(container->HasVerticalScrollBar());
  EXPECT_TRUE(container->HasHorizontalScrollBar());
  EXPECT_EQ(container->GetCount(), 1);

  std::unique_ptr<CControlUI> list(
      builder.Create("<List hscrollbar=\"true\"/>", {}, nullptr, &pm));
  EXPECT_TRUE(qobject_cast<CContainerUI*>(list.get())->HasVerticalScrollBar())
      << "a list keeps its own vertical bar";
}

TEST_F(Builder, ExtraRootsAreReportedAndNotLeaked) {
  CPaintManagerUI pm;
  CDialogBuilder builder;
  std::unique_ptr<CControlUI> root(builder.Create(
      "<Window><Label name=\"one\"/><Label name=\"two\"/></Window>", {}, nullptr, &pm));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetName(), "one");
  EXPECT_EQ(builder.Errors().size(), 1);
  std::unique_ptr<CControlUI> first(builder.Create(
      "<Fragment><Label name=\"a\"/><Label name=\"b\"/></Fragment>", {}, nullptr, &pm));
  EXPECT_EQ(first->GetName(), "a");
  EXPECT_EQ(builder.Errors().size(), 1);
  // With a parent, a fragment adds all its controls.
  CVerticalLayoutUI parent;
  builder.Create("<Fragment><Label name=\"a\"/><Label name=\"b\"/></Fragment>", {}, nullptr, &pm,
                 &parent);
  EXPECT_TRUE(builder.Errors().isEmpty());
  EXPECT_EQ(parent.GetCount(), 2);
}

TEST_F(Builder, WindowsMadeAfterSetAllDpiStartAtThatDpi) {
  CPaintManagerUI::SetAllDPI(144);
  auto window = MakeWindow();
  EXPECT_EQ(window->PaintManager().GetDPI(), 144);
  EXPECT_EQ(window->size(), QSize(600, 450)) << "the skin's 400 x 300 at 150 %";
  CPaintManagerUI::SetAllDPI(100);
  EXPECT_EQ(window->PaintManager().GetDPI(), 144) << "a value that is not accepted changes nothing";
  CPaintManagerUI::SetAllDPI(96);
  EXPECT_EQ(window->size(), QSize(400, 300));
}
