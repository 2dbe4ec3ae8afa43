#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/DataFolders.h"
#include "settings/ColourSwatches.h"
#include "support/EventLoopHelpers.h"
#include "toolkit/CButtonUI.h"
#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CEditUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CColorSelectWnd.h"

using namespace toolkit;

namespace {

constexpr const char* kShippedTemplate = TRAVIX_SOURCE_DIR "/DefaultData/color_option_info.config";

// A window to own the dialog, which a test may destroy while the dialog is up.
class OwnerWindow : public CWindowWnd {
 public:
  QString GetWindowClassName() const override { return QStringLiteral("OwnerWindow"); }
};

class ColourDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // The user's data folder and the program's templates both live in the
    // temporary folder, for the dialogs that Pick makes.
    oldDataHome_ = qgetenv("XDG_DATA_HOME");
    hadDataHome_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path() + "/data"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("program/DefaultData"));
    ASSERT_TRUE(QFile::copy(kShippedTemplate, TemplatePath()));
    platform::DataFolders::SetProgramDir(dir_.path() + "/program");

    CPaintManagerUI::SetResourcePath(TRAVIX_SOURCE_DIR "/skin");
    auto* resources = CResourceManager::GetInstance();
    resources->Release();
    ASSERT_TRUE(resources->LoadResource("res.xml"));
    ASSERT_TRUE(resources->LoadLanguage("lan_en.xml"));
  }
  void TearDown() override {
    // A dialog that was closed may still wait for its final message; deleting
    // it drops that.
    delete dialog_.data();
    platform::DataFolders::SetProgramDir(QString());
    if (hadDataHome_)
      qputenv("XDG_DATA_HOME", oldDataHome_);
    else
      qunsetenv("XDG_DATA_HOME");
    CResourceManager::GetInstance()->Release();
    testing_support::RunFor(5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QString UserPath() const { return ColourSwatches::UserFilePath(); }
  QString TemplatePath() const {
    return dir_.path() + "/program/DefaultData/" + ColourSwatches::kFileName;
  }
  void WriteUserFile(const QByteArray& text) {
    QFile file(UserPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  QByteArray UserFile() const {
    QFile file(UserPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QJsonObject UserInfo() const {
    return QJsonDocument::fromJson(UserFile()).object().value("coloroptioninfo").toObject();
  }

  // A dialog of the user's swatch file, shown (not modal).
  CColorSelectWnd* Open() {
    dialog_ = new CColorSelectWnd(UserPath(), TemplatePath());
    EXPECT_TRUE(dialog_->Create(nullptr, "ColorSelectWnd", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0,
                                CColorSelectWnd::kWidth, CColorSelectWnd::kHeight));
    EXPECT_TRUE(dialog_->SkinErrors().isEmpty()) << dialog_->SkinErrors().join("\n").toStdString();
    dialog_->ShowWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog_));
    return dialog_;
  }

  template <typename T = CControlUI>
  T* Find(const QString& name) {
    auto* control = qobject_cast<T*>(dialog_->FindControl(name));
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  COptionUI* Preset(int n) { return Find<COptionUI>("color_option_" + QString::number(n)); }
  COptionUI* Place(int n) { return Find<COptionUI>("collect_color_option_" + QString::number(n)); }
  QLineEdit* Line(const char* edit) { return Find<CEditUI>(edit)->findChild<QLineEdit*>(); }
  QString EditText(const char* edit) { return Find<CEditUI>(edit)->GetText(); }
  uint32_t PreviewColour() { return Find("color_show_btn")->GetBkColor().rgba(); }

  // Replaces an edit's text as typed.
  void Type(const char* edit, const QString& text) {
    QLineEdit* line = Line(edit);
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    QTest::keyClicks(line, text);
  }
  void LeaveEdit(const char* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(Line(edit), &out);
  }

  // A drag on the palette's field, from the top-left corner to the middle.
  void DragPallet(const std::function<void()>& beforeRelease = {}) {
    auto* pallet = Find<CColorPaletteUI>("Pallet");
    const QRect field = pallet->GetPalletRect();
    const auto send = [&](QEvent::Type type, QPointF at) {
      const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent event(type, at, pallet->mapToGlobal(at),
                        type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                        Qt::NoModifier);
      QCoreApplication::sendEvent(pallet, &event);
    };
    send(QEvent::MouseButtonPress, field.topLeft() + QPointF(10, 10));
    for (int step = 1; step <= 5; ++step)
      send(QEvent::MouseMove, field.topLeft() + QPointF(10 + step * 30, 10 + step * 20));
    if (beforeRelease)
      beforeRelease();
    send(QEvent::MouseButtonRelease, field.center());
  }

  // Runs `action` on the dialog Pick shows, once it is up.
  static void WhenShown(std::function<void(CColorSelectWnd*)> action) {
    QTimer::singleShot(0, [action] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<CColorSelectWnd*>(w);
        if (dialog != nullptr && dialog->isVisible() && !dialog->IsDestroying()) {
          action(dialog);
          return;
        }
      }
      ADD_FAILURE() << "no colour dialog is shown";
    });
  }
  static void Click(CColorSelectWnd* dialog, const char* name) {
    auto* button = qobject_cast<CButtonUI*>(dialog->FindControl(name));
    ASSERT_NE(button, nullptr) << name;
    button->Activate();
  }

  QTemporaryDir dir_;
  QByteArray oldDataHome_;
  bool hadDataHome_ = false;
  QPointer<CColorSelectWnd> dialog_;
};

}  // namespace

TEST_F(ColourDialog, OpensWithTheTemplatesSwatchesAndTheColourGiven) {
  CColorSelectWnd* dialog = Open();
  EXPECT_EQ(dialog->width(), CColorSelectWnd::kWidth);
  EXPECT_EQ(dialog->height(), CColorSelectWnd::kHeight);
  for (const char* name : {"Pallet", "color_edit_r", "color_edit_g", "color_edit_b", "color_show_btn",
                           "7color", "7color_collect", "7color_layout", "okbtn", "closebtn",
                           "minbtn", "maxbtn", "restorebtn"})
    Find(name);
  EXPECT_TRUE(QFile::exists(UserPath())) << "the template became the user's file";
  EXPECT_EQ(Find("pallet_title_text")->GetRawText(), "pallet_title");
  EXPECT_TRUE(Find("pallet_title_text")->IsResourceText());

  dialog->SetColour(0xFF336699);
  EXPECT_EQ(PreviewColour(), 0xFF336699u);
  EXPECT_EQ(Find<CColorPaletteUI>("Pallet")->GetSelectColor(), 0xFF336699u);
  EXPECT_EQ(EditText("color_edit_r"), "51");
  EXPECT_EQ(EditText("color_edit_g"), "102");
  EXPECT_EQ(EditText("color_edit_b"), "153");
  EXPECT_EQ(dialog->GetResultColour(), 0xFF336699u);
  EXPECT_EQ(dialog->CurrentColour(), 0xFF336699u);

  EXPECT_EQ(Preset(0)->GetBkColor().rgba(), 0xFFFF0000u);
  EXPECT_EQ(Preset(11)->GetBkColor().rgba(), 0xFF0000FFu);
  for (int n = 0; n < ColourSwatches::kCount; ++n) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(Preset(n)->IsSelected());
    EXPECT_FALSE(Place(n)->IsSelected());
    EXPECT_EQ(Place(n)->GetBkColor().rgba(), 0xFFFFFFFFu);
    EXPECT_EQ(Place(n)->GetUserData(), "0");
    EXPECT_GT(Place(n)->GetBorderSize(), 0) << "an empty place has a frame";
  }
}

TEST_F(ColourDialog, TheUsersSwatchesAndSelectionsAreShown) {
  WriteUserFile(R"({"coloroptioninfo": {
      "palletDialogcoloroption": [{"color": "FF010203"}, {"color": "FF040506"}],
      "palletDialogcoloroption_selectitem": 1,
      "palletDialogcollectcoloroption": [{"color": "FFFFFFFF", "UserData": "0"},
                                         {"color": "ff123456", "UserData": "1"}],
      "palletDialogcollectcoloroption_selectitem": -1}})");
  Open();
  EXPECT_EQ(Preset(0)->GetBkColor().rgba(), 0xFF010203u);
  EXPECT_EQ(Preset(1)->GetBkColor().rgba(), 0xFF040506u);
  EXPECT_EQ(Preset(2)->GetBkColor().rgba(), 0xFFFF8000u) << "the skin's colour where the file has none";
  EXPECT_TRUE(Preset(1)->IsSelected());
  EXPECT_EQ(Place(1)->GetBkColor().rgba(), 0xFF123456u);
  EXPECT_EQ(Place(1)->GetUserData(), "1");
  EXPECT_EQ(Place(1)->GetBorderSize(), 0);
  EXPECT_EQ(Place(0)->GetUserData(), "0");
}

TEST_F(ColourDialog, TypedNumbersAreSettledOnEnterOrLeavingAndKeptInRange) {
  CColorSelectWnd* dialog = Open();
  dialog->SetColour(0xFF336699);

  Type("color_edit_g", "300");
  EXPECT_EQ(dialog->CurrentColour(), 0xFF336699u) << "nothing is taken while typing";
  EXPECT_EQ(PreviewColour(), 0xFF336699u);
  QTest::keyClick(Line("color_edit_g"), Qt::Key_Return);
  EXPECT_EQ(EditText("color_edit_g"), "255");
  EXPECT_EQ(dialog->CurrentColour(), 0xFF33FF99u);
  EXPECT_EQ(PreviewColour(), 0xFF33FF99u);
  EXPECT_EQ(Find<CColorPaletteUI>("Pallet")->GetSelectColor(), 0xFF33FF99u);

  // An empty field counts as 0; leaving the field settles it too.
  Type("color_edit_r", "");
  LeaveEdit("color_edit_r");
  EXPECT_EQ(EditText("color_edit_r"), "0");
  EXPECT_EQ(dialog->CurrentColour(), 0xFF00FF99u);

  // Digits only: a minus sign never gets in, so the alpha stays whole.
  Type("color_edit_b", "-7");
  EXPECT_EQ(EditText("color_edit_b"), "7");
  QTest::keyClick(Line("color_edit_b"), Qt::Key_Return);
  EXPECT_EQ(dialog->GetResultColour(), 0xFF00FF07u);

  // Leaving a field that was not typed into (again) takes nothing: the
  // numbers written by the dialog raise no change of their own.
  dialog->SetColour(0xFF0A0B0C);
  Place(3)->Activate();
  ASSERT_TRUE(QFile::remove(UserPath()));
  for (const char* edit : {"color_edit_r", "color_edit_g", "color_edit_b"}) {
    LeaveEdit(edit);
    QTest::keyClick(Line(edit), Qt::Key_Return);
  }
  EXPECT_FALSE(QFile::exists(UserPath())) << "nothing was kept in the selected place";
  EXPECT_EQ(dialog->CurrentColour(), 0xFF0A0B0Cu);
  EXPECT_EQ(Place(3)->GetUserData(), "0");
}

TEST_F(ColourDialog, AnEmptyPlaceIsOnlySelectedAndThenKeepsTheNextColour) {
  CColorSelectWnd* dialog = Open();
  dialog->SetColour(0xFF336699);
  const QByteArray before = UserFile();

  Place(4)->Activate();
  EXPECT_TRUE(Place(4)->IsSelected());
  EXPECT_EQ(dialog->Swatches().SelectedCollected(), 4);
  EXPECT_EQ(UserFile(), before) << "selecting an empty place saves nothing";
  EXPECT_EQ(PreviewColour(), 0xFF336699u);
  EXPECT_EQ(EditText("color_edit_g"), "102");

  // A drag saves once, when the button is released.
  QByteArray during;
  DragPallet([&] { during = UserFile(); });
  EXPECT_EQ(during, before) << "nothing is saved while the mouse moves";
  const uint32_t picked = Find<CColorPaletteUI>("Pallet")->GetSelectColor();
  EXPECT_NE(picked, 0xFF336699u);
  EXPECT_EQ(PreviewColour(), picked);
  EXPECT_EQ(dialog->CurrentColour(), picked);
  EXPECT_EQ(EditText("color_edit_r"), QString::number((picked >> 16) & 0xFF));
  EXPECT_EQ(Place(4)->GetBkColor().rgba(), picked);
  EXPECT_EQ(Place(4)->GetUserData(), "1");
  EXPECT_EQ(Place(4)->GetBorderSize(), 0);
  QJsonObject info = UserInfo();
  QJsonObject place = info.value("palletDialogcollectcoloroption").toArray()[4].toObject();
  EXPECT_EQ(place.value("color").toString(), ColourSwatches::FormatColour(picked));
  EXPECT_EQ(place.value("UserData").toString(), "1");
  EXPECT_EQ(info.value("palletDialogcollectcoloroption_selectitem").toInt(), 4);

  // Typed numbers go to the same place.
  Type("color_edit_b", "1");
  QTest::keyClick(Line("color_edit_b"), Qt::Key_Return);
  EXPECT_EQ(Place(4)->GetBkColor().rgba(), (picked & 0xFFFFFF00u) | 1u);

  // Once a preset is the selected swatch, the place keeps its colour.
  Preset(11)->Activate();
  EXPECT_FALSE(Place(4)->IsSelected());
  DragPallet();
  EXPECT_EQ(Place(4)->GetBkColor().rgba(), (picked & 0xFFFFFF00u) | 1u);
}

TEST_F(ColourDialog, ChoosingASwatchShowsItsColourEverywhereAndRemembersIt) {
  CColorSelectWnd* dialog = Open();
  dialog->ShowMultiColour(true);
  dialog->SetMultiColour(true);

  Preset(11)->Activate();
  EXPECT_EQ(PreviewColour(), 0xFF0000FFu);
  EXPECT_EQ(Find<CColorPaletteUI>("Pallet")->GetSelectColor(), 0xFF0000FFu);
  EXPECT_EQ(EditText("color_edit_r"), "0");
  EXPECT_EQ(EditText("color_edit_b"), "255");
  EXPECT_FALSE(dialog->IsMultiColour());
  EXPECT_TRUE(Find("color_show_btn")->GetBkImage().isEmpty());
  EXPECT_EQ(UserInfo().value("palletDialogcoloroption_selectitem").toInt(), 11);

  // A click on the selected preset shows it again after the palette moved.
  DragPallet();
  EXPECT_NE(PreviewColour(), 0xFF0000FFu);
  Preset(11)->Activate();
  EXPECT_EQ(PreviewColour(), 0xFF0000FFu);

  // A filled place shows its colour and becomes the selected place.
  Place(6)->Activate();
  DragPallet();
  const uint32_t kept = Place(6)->GetBkColor().rgba();
  Preset(0)->Activate();
  Place(6)->Activate();
  EXPECT_EQ(PreviewColour(), kept);
  EXPECT_EQ(dialog->GetResultColour(), kept);
  EXPECT_EQ(UserInfo().value("palletDialogcollectcoloroption_selectitem").toInt(), 6);
  EXPECT_EQ(UserInfo().value("palletDialogcoloroption_selectitem").toInt(), 0);
}

TEST_F(ColourDialog, MulticolourIsOfferedOnlyWhenAskedFor) {
  CColorSelectWnd* dialog = Open();
  auto* multi = Find<COptionUI>("7color");
  dialog->ShowMultiColour(true);
  EXPECT_TRUE(multi->IsEnabled());
  EXPECT_TRUE(Find("7color_layout")->IsVisible());

  multi->Activate();
  EXPECT_TRUE(dialog->IsMultiColour());
  EXPECT_EQ(Find("color_show_btn")->GetBkImage(), "common/base1.png");
  EXPECT_TRUE(Find<COptionUI>("7color_collect")->IsSelected());
  multi->Activate();
  EXPECT_FALSE(dialog->IsMultiColour());
  EXPECT_TRUE(Find("color_show_btn")->GetBkImage().isEmpty());

  Find<COptionUI>("7color_collect")->Activate();
  EXPECT_TRUE(dialog->IsMultiColour());
  EXPECT_TRUE(multi->IsSelected());

  dialog->ShowMultiColour(false);
  EXPECT_FALSE(multi->IsEnabled());
  EXPECT_FALSE(multi->IsSelected());
  EXPECT_FALSE(Find("7color_layout")->IsVisible());
  EXPECT_FALSE(dialog->IsMultiColour());
  EXPECT_TRUE(Find("color_show_btn")->GetBkImage().isEmpty());
}

TEST_F(ColourDialog, PickGivesTheColourOnOkAndNothingOnClose) {
  bool openWhileShown = false;
  bool secondRefused = false;
  int shownWidth = 0;
  WhenShown([&](CColorSelectWnd* dialog) {
    openWhileShown = CColorSelectWnd::IsOpen();
    secondRefused = !CColorSelectWnd::Pick(nullptr, 0xFF000000, 96).has_value();
    shownWidth = dialog->width();
    EXPECT_EQ(dialog->GetResultColour(), 0xFF204060u) << "the initial colour";
    EXPECT_FALSE(dialog->FindControl("7color_layout")->IsVisible());
    Click(dialog, "color_option_6");
    Click(dialog, "okbtn");
  });
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, 0xFF204060, 120), 0xFF00FF00u);
  EXPECT_TRUE(openWhileShown);
  EXPECT_TRUE(secondRefused) << "only one colour dialog at a time";
  EXPECT_EQ(shownWidth, CColorSelectWnd::kWidth * 120 / 96);
  EXPECT_FALSE(CColorSelectWnd::IsOpen());

  // Typed numbers not yet settled count on OK.
  WhenShown([](CColorSelectWnd* dialog) {
    auto* edit = qobject_cast<CEditUI*>(dialog->FindControl("color_edit_r"));
    QLineEdit* line = edit->findChild<QLineEdit*>();
    line->selectAll();
    QTest::keyClicks(line, "17");
    Click(dialog, "okbtn");
  });
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, 0xFF204060, 96), 0xFF114060u);

  for (const char* cancel : {"closebtn", "cancelbtn"}) {
    SCOPED_TRACE(cancel);
    WhenShown([cancel](CColorSelectWnd* dialog) {
      Click(dialog, "color_option_3");
      Click(dialog, cancel);
    });
    EXPECT_FALSE(CColorSelectWnd::Pick(nullptr, 0xFF204060, 96).has_value());
    EXPECT_FALSE(CColorSelectWnd::IsOpen());
  }
}

TEST_F(ColourDialog, PickSurvivesItsOwnerGoingAway) {
  auto* owner = new OwnerWindow;
  ASSERT_TRUE(owner->Create(nullptr, "owner", WS_POPUP, 0, 0, 0, 300, 200));
  owner->ShowWindow();
  QPointer<OwnerWindow> guard(owner);
  WhenShown([owner](CColorSelectWnd* dialog) {
    delete owner;
    dialog->CenterWindow();
    Click(dialog, "okbtn");
  });
  EXPECT_EQ(CColorSelectWnd::Pick(owner, 0xFF445566, 96), 0xFF445566u);
  EXPECT_EQ(guard, nullptr);
}

TEST_F(ColourDialog, OkWithoutAPaletteClosesWithTwo) {
  CColorSelectWnd* dialog = Open();
  delete dialog->FindControl("Pallet");
  ASSERT_EQ(dialog->FindControl("Pallet"), nullptr);
  // What needs the palette is left out; the rest goes on.
  dialog->SetColour(0xFF102030);
  EXPECT_EQ(PreviewColour(), 0xFF102030u);
  Type("color_edit_g", "99");
  QTest::keyClick(Line("color_edit_g"), Qt::Key_Return);
  EXPECT_EQ(PreviewColour(), 0xFF106330u);
  QTimer::singleShot(0, [dialog] { Click(dialog, "okbtn"); });
  EXPECT_EQ(dialog->ShowModal(), CColorSelectWnd::kResultNoPalette);
}

TEST_F(ColourDialog, MissingControlsAreLeftOut) {
  CColorSelectWnd* dialog = Open();
  delete dialog->FindControl("color_show_btn");
  delete dialog->FindControl("color_edit_b");
  EXPECT_EQ(dialog->GetResultColour(), 0u) << "no preview, no colour";
  dialog->SetColour(0xFF102030);
  dialog->SetMultiColour(true);
  EXPECT_EQ(dialog->CurrentColour(), 0xFF102030u);
  Type("color_edit_r", "5");
  QTest::keyClick(Line("color_edit_r"), Qt::Key_Return);
  EXPECT_EQ(dialog->CurrentColour(), 0xFF052000u) << "a missing number counts as 0";
  Preset(1)->Activate();
  EXPECT_EQ(dialog->CurrentColour(), 0xFFFF4000u);
}
