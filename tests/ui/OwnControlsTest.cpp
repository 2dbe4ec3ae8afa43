#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QtMath>

#include "UiControlFixture.h"
#include "support/EventLoopHelpers.h"
#include "toolkit/SkinImage.h"
#include "ui/CAudioRecordUI.h"
#include "ui/CChartViewUI.h"
#include "ui/CCircleProgressUI.h"
#include "ui/CHandImgButtonUI.h"
#include "ui/CHandImgSelectButtonUI.h"
#include "ui/CRedioMacroButtonUI.h"
#include "ui/CSelectPanelUI.h"
#include "ui/CWndUI.h"

using namespace toolkit;
using testing_support::RunUntil;
using ui_testing::Seen;
using OwnControls = ui_testing::UiControlTest;

namespace {

// A point at `radius` from the centre of a 100 x 100 control, at `degrees`
// (0 at three o'clock, counter-clockwise).
QPoint OnCircle(double degrees, double radius) {
  const double a = qDegreesToRadians(degrees);
  return QPoint(qRound(50 + radius * std::cos(a)), qRound(50 - radius * std::sin(a)));
}

void SendMove(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

void SendEnterAndLeave(QWidget* widget) {
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
  QCoreApplication::sendEvent(widget, &enter);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(widget, &leave);
}

}  // namespace

TEST_F(OwnControls, CircleProgressDrawsARingFromTwelveOClock) {
  auto* ring = Build<CCircleProgressUI>(
      R"(<CircleProgress name="ring" bkcolor="#FF0000FF" forecolor="#FFFF0000"
             min="0" max="200" value="50"/>)",
      QSize(100, 100));
  ASSERT_NE(ring, nullptr);
  // A quarter: from 90 to 180 degrees, the upper left.
  EXPECT_EQ(PixelAt(ring, OnCircle(135, 45)), QColor(Qt::red));
  EXPECT_EQ(PixelAt(ring, OnCircle(45, 45)), QColor(Qt::blue));
  EXPECT_EQ(PixelAt(ring, OnCircle(225, 45)), QColor(Qt::blue));
  EXPECT_EQ(PixelAt(ring, OnCircle(135, 30)), QColor(Qt::white)) << "inside the ring";
  EXPECT_EQ(PixelAt(ring, {50, 50}), QColor(Qt::white));

  ring->SetValue(150);
  EXPECT_EQ(PixelAt(ring, OnCircle(315, 45)), QColor(Qt::red)) << "three quarters";
  EXPECT_EQ(PixelAt(ring, OnCircle(45, 45)), QColor(Qt::blue));

  // An empty range draws no foreground at all.
  ring->SetMinValue(150);
  ring->SetMaxValue(150);
  EXPECT_EQ(ring->SweepDegrees(), 0.0);
  EXPECT_EQ(PixelAt(ring, OnCircle(135, 45)), QColor(Qt::blue));
}

TEST_F(OwnControls, HandImageButtonDeletesOnItsMarkAndClicksElsewhere) {
  auto* hand = Build<CHandImgButtonUI>(
      R"(<HandImgButton name="hand" handimage="file='white.png' dest='0,0,10,10'"
             deletenormalimage="green.png" deletehotimage="blue.png"/>)",
      QSize(100, 60));
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(hand->DeleteMarkRect(), QRect(70, 31, 20, 20));
  QWidget* inner = Inner(hand);

  QTest::mouseClick(inner, Qt::LeftButton, {}, {80, 40});
  EXPECT_EQ(seen, Seen{"click_handdelete:hand"});
  seen.clear();
  QTest::mouseClick(inner, Qt::LeftButton, {}, {20, 40});
  QTest::mouseClick(inner, Qt::LeftButton, {}, {69, 40});
  EXPECT_EQ(seen, (Seen{"click:hand", "click:hand"}));

  EXPECT_EQ(PixelAt(hand, {5, 5}), QColor(Qt::white)) << "the hand picture";
  EXPECT_EQ(PixelAt(hand, {80, 40}), QColor(Qt::green));
  SendMove(inner, {80, 40});
  EXPECT_TRUE(hand->IsDeleteMarkHot());
  EXPECT_EQ(PixelAt(hand, {80, 40}), QColor(Qt::blue));
  SendMove(inner, {50, 40});
  EXPECT_EQ(PixelAt(hand, {80, 40}), QColor(Qt::green));

  seen.clear();
  SendEnterAndLeave(hand);
  EXPECT_EQ(seen, (Seen{"msenter:hand", "msleave:hand"}));

  pm.SetDPI(192);
  hand->resize(200, 120);
  EXPECT_EQ(hand->DeleteMarkRect(), QRect(140, 62, 40, 40));
}

TEST_F(OwnControls, HandImageSelectButtonCutsItsStatesFromOnePicture) {
  auto* button = Build<CHandImgSelectButtonUI>(
      R"(<HandImgSelectButton name="sel" imagefile="strip.png" normalsource="0,0,8,8"
             selectedsource="8,0,16,8" cursor="hand"/>)",
      QSize(16, 16));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetNormalImage(), "file='strip.png' source='0,0,8,8'");
  EXPECT_EQ(PixelAt(button, {8, 8}), QColor(Qt::green));
  button->SetSelected(true);
  EXPECT_EQ(PixelAt(button, {8, 8}), QColor(Qt::blue));

  EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
  const std::pair<const char*, Qt::CursorShape> cursors[] = {
      {"ibeam", Qt::IBeamCursor},         {"wait", Qt::WaitCursor},
      {"sizenwse", Qt::SizeFDiagCursor},  {"sizenesw", Qt::SizeBDiagCursor},
      {"sizewe", Qt::SizeHorCursor},      {"sizens", Qt::SizeVerCursor},
      {"uparrow", Qt::UpArrowCursor},     {"sizeall", Qt::SizeAllCursor},
  };
  for (const auto& [name, shape] : cursors) {
    EXPECT_TRUE(button->SetAttribute("cursor", name)) << name;
    EXPECT_EQ(button->cursor().shape(), shape) << name;
  }
  EXPECT_FALSE(button->SetAttribute("cursor", "pointy"));

  SendEnterAndLeave(button);
  EXPECT_EQ(seen, (Seen{"msenter:sel", "msleave:sel"}));
}

TEST_F(OwnControls, MacroButtonPulsesBetweenEightyAndFullFade) {
  auto* button = Build<CRedioMacroButtonUI>(
      R"(<RedioMacroButton name="rec" normalimage="green.png" redioimage="white.png"/>)",
      QSize(20, 20));
  ASSERT_NE(button, nullptr);
  button->SetPulsing(true);
  EXPECT_TRUE(pm.HasTimer(button, CRedioMacroButtonUI::kPulseTimerId));
  EXPECT_EQ(button->GetFade(), 80);

  const std::vector<int> expected = {100, 120, 140, 160, 180, 200, 220, 240, 255,  // held, down
                                     235, 215, 195, 175, 155, 135, 115, 95,  80,   // held, up
                                     100};
  std::vector<int> fades;
  for (size_t i = 0; i < expected.size(); ++i) {
    button->Step();
    fades.push_back(button->GetFade());
  }
  EXPECT_EQ(fades, expected);
  auto shown = SkinImage::Parse(button->GetNormalImage());
  ASSERT_TRUE(shown.has_value()) << button->GetNormalImage().toStdString();
  EXPECT_EQ(shown->file, "white.png");
  EXPECT_EQ(shown->fade, 100);

  // The window's timer drives it, without "timer" notifications.
  const int before = button->GetFade();
  ASSERT_TRUE(RunUntil([&] { return button->GetFade() != before; }, 2000));
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "timer:rec"), 0);

  button->SetPulsing(false);
  EXPECT_FALSE(pm.HasTimer(button, CRedioMacroButtonUI::kPulseTimerId));
  EXPECT_EQ(button->GetNormalImage(), "green.png");
}

TEST_F(OwnControls, WndKeepsItsWidgetOverItselfUntilDetached) {
  auto* host = Build<CWndUI>("<Wnd name=\"host\"/>", QSize(120, 80));
  ASSERT_NE(host, nullptr);
  auto* label = new QLabel("native");
  ASSERT_TRUE(host->Attach(label));
  EXPECT_EQ(label->parentWidget(), host);
  EXPECT_EQ(label->geometry(), QRect(0, 0, 120, 80));
  host->resize(60, 30);
  EXPECT_EQ(label->geometry(), QRect(0, 0, 60, 30));
  std::unique_ptr<QWidget> back(host->Detach());
  EXPECT_EQ(back.get(), label);
  EXPECT_EQ(label->parentWidget(), nullptr);
  EXPECT_EQ(host->GetHostedWidget(), nullptr);
}

TEST_F(OwnControls, ChartViewDrawsWhatItHolds) {
  auto* chart = Build<CChartViewUI>(R"(<ChartView name="chart" view="histpgram"/>)",
                                    QSize(100, 80));
  ASSERT_NE(chart, nullptr);
  EXPECT_FALSE(chart->SetAttribute("view", "bars"));
  chart->AddItem("low", 20, Qt::red);
  chart->AddItem("high", 80, Qt::blue);
  const QRect low = chart->PillarRect(0);
  const QRect high = chart->PillarRect(1);
  EXPECT_EQ(high.height(), 80);
  EXPECT_EQ(low.height(), 20);
  EXPECT_EQ(low.bottom(), high.bottom());
  EXPECT_LT(low.right(), high.left());
  EXPECT_EQ(PixelAt(chart, low.center()), QColor(Qt::red));
  EXPECT_EQ(PixelAt(chart, high.center()), QColor(Qt::blue));

  // Two equal halves, the first from twelve o'clock to the left.
  chart->SetAttribute("view", "pie");
  chart->RemoveAllItems();
  chart->AddItem("left", 1, Qt::red);
  chart->AddItem("right", 1, Qt::blue);
  const QRect pie = chart->PieRect();
  EXPECT_EQ(PixelAt(chart, pie.center() - QPoint(20, 0)), QColor(Qt::red));
  EXPECT_EQ(PixelAt(chart, pie.center() + QPoint(20, 0)), QColor(Qt::blue));
}

TEST_F(OwnControls, AudioRecordKeepsTheLatestLevels) {
  auto* record = Build<CAudioRecordUI>(R"(<AudioRecord name="rec" maxcount="3"/>)",
                                       QSize(90, 50));
  ASSERT_NE(record, nullptr);
  for (int level : {10, 20, 150, 50})
    record->AddLevel(level);
  ASSERT_EQ(record->GetItemCount(), 3);
  EXPECT_EQ(record->GetItems().front().value, 20);
  EXPECT_EQ(record->PillarRect(1).height(), 50) << "clamped to the full height";
  EXPECT_EQ(record->PillarRect(2).height(), 25) << "levels are out of 100";
}

TEST_F(OwnControls, RegisteredTagsBuildTheProgramsControls) {
  constexpr const char* kLayout = R"(
<VerticalLayout>
  <CircleProgress/><ChartView/><Wnd/><SelectPanel/><DeviceKeyButton/>
  <HandImgButton/><HandImgSelectButton/><RedioMacroButton/><AudioRecord/>
</VerticalLayout>)";
  CControlFactory::GetInstance()->Clear();
  {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> unknown(builder.Create(kLayout));
    EXPECT_EQ(builder.Errors().size(), 9) << "unknown before registration";
  }
  RegisterUiControls();
  CDialogBuilder builder;
  std::unique_ptr<CControlUI> built(builder.Create(kLayout));
  ASSERT_NE(built, nullptr);
  EXPECT_TRUE(builder.Errors().isEmpty()) << builder.Errors().join("\n").toStdString();
  auto* layout = qobject_cast<CContainerUI*>(built.get());
  ASSERT_NE(layout, nullptr);
  const QStringList classes = {"CircleProgress", "ChartView",           "Wnd",
                               "SelectPanel",    "DeviceKeyButton",     "HandImgButton",
                               "HandImgSelectButton", "RedioMacroButton", "AudioRecord"};
  ASSERT_EQ(layout->GetCount(), classes.size());
  for (int i = 0; i < layout->GetCount(); ++i)
    EXPECT_EQ(layout->GetItemAt(i)->GetClass(), classes[i]);

  // The windows' own lookup, without regard to case.
  for (const char* tag : {"circleprogress", "SELECTPANEL", "DeviceKeyButton", "handimgbutton",
                          "AudioRecord", "HandImgSelectButton", "rediomacrobutton"}) {
    std::unique_ptr<CControlUI> control(CreateUiControl(tag));
    ASSERT_NE(control, nullptr) << tag;
    EXPECT_EQ(control->GetClass().toLower(), QString(tag).toLower());
  }
  EXPECT_EQ(CreateUiControl("Button"), nullptr);
  EXPECT_EQ(CreateUiControl("DeviceKeyButtonX"), nullptr);
}
