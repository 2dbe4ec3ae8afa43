#include <QMouseEvent>

#include "support/EventLoopHelpers.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/CSelectPanelUI.h"
#include "UiControlFixture.h"

using namespace toolkit;
using testing_support::RunFor;
using ui_testing::Seen;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      ++paints;
    return false;
  }
};

class KeyButton : public ui_testing::UiControlTest {
 protected:
  CDeviceKeyButtonUI* BuildKey(const QString& attributes = {}) {
    return Build<CDeviceKeyButtonUI>(
        QStringLiteral("<DeviceKeyButton name=\"key\" bkcolor=\"#FF000000\" "
                       "lightimage=\"white.png\" keysetimage=\"blue.png\" "
                       "keyunsetimage=\"green.png\" %1/>")
            .arg(attributes),
        QSize(20, 20));
  }
};

}  // namespace

TEST_F(KeyButton, IsBuiltFromTheSkinAndStartsWithItsLightOffAndMarksHidden) {
  CDeviceKeyButtonUI* key = BuildKey("gmnametextcolor=\"#FF8800\"");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->GetClass(), "DeviceKeyButton");
  EXPECT_EQ(key->GetLightImage(), "white.png");
  EXPECT_EQ(key->GetKeySetImage(), "blue.png");
  EXPECT_EQ(key->GetKeyUnsetImage(), "green.png");
  EXPECT_EQ(key->GetLightOn(), 0);
  EXPECT_EQ(key->GetLightColour(), 255u);
  EXPECT_EQ(key->GetLightLevel(), 200);
  EXPECT_EQ(key->GetKeySetHidden(), 1);
  EXPECT_EQ(key->GetKeyUnsetHidden(), 1);
  EXPECT_EQ(key->IsSelected(), 0);
  // The caption colour of older skins is read, with or without '#'.
  EXPECT_TRUE(key->SetAttribute("gmnametextcolor", "00FF00"));
  EXPECT_FALSE(key->SetAttribute("gmnametextcolor", "green"));
  EXPECT_FALSE(key->SetAttribute("keysetimage", "file='x.png' bogus='1'"));
  EXPECT_EQ(key->GetKeySetImage(), "blue.png");
}

TEST_F(KeyButton, MarksRedrawOnlyWhenTheirFlagChangesAndTheLightNever) {
  CDeviceKeyButtonUI* key = BuildKey();
  ASSERT_NE(key, nullptr);
  RunFor(30);
  PaintCounter painted(key);

  key->SetKeySetHidden(1);
  key->SetKeyUnsetHidden(1);
  key->SetLightState(0x00FF00, 90, 1);
  RunFor(30);
  EXPECT_EQ(key->GetRedrawCount(), 0);
  EXPECT_EQ(painted.paints, 0);
  EXPECT_EQ(key->GetLightColour(), 0x00FF00u);
  EXPECT_EQ(key->GetLightLevel(), 90);
  EXPECT_EQ(key->GetLightOn(), 1);

  key->SetKeySetHidden(0);
  RunFor(30);
  EXPECT_EQ(key->GetRedrawCount(), 1);
  EXPECT_GE(painted.paints, 1);

  key->SetKeySetHidden(0);
  key->SetKeyUnsetHidden(0);
  EXPECT_EQ(key->GetRedrawCount(), 2);
  EXPECT_EQ(key->GetKeySetHidden(), 0);
  EXPECT_EQ(key->GetKeyUnsetHidden(), 0);
}

TEST_F(KeyButton, PaintsTheLightTintedThenTheUnsetMarkThenTheSetMark) {
  CDeviceKeyButtonUI* key = BuildKey();
  ASSERT_NE(key, nullptr);
  const QPoint centre(10, 10);
  EXPECT_EQ(PixelAt(key, centre), QColor(Qt::black))
      << "nothing over the background while the light is off";

  // Red in the low byte, blue in the next, green in the third.
  key->SetLightState(0x123456, 255, 1);
  EXPECT_EQ(PixelAt(key, centre), QColor(0x56, 0x12, 0x34));
  EXPECT_EQ(CDeviceKeyButtonUI::LightColourToQColor(0x00FF00), QColor(Qt::blue));

  // The level is the overlay's opacity over the button.
  key->SetLightState(0x0000FF, 128, 1);
  const QColor dimmed = PixelAt(key, centre);
  EXPECT_NEAR(dimmed.red(), 128, 2);
  EXPECT_EQ(dimmed.green(), 0);
  EXPECT_EQ(dimmed.blue(), 0);

  key->SetLightState(0x0000FF, 255, 0);
  key->SetKeyUnsetHidden(0);
  EXPECT_EQ(PixelAt(key, centre), QColor(Qt::green));
  key->SetLightState(0x0000FF, 255, 1);
  EXPECT_EQ(PixelAt(key, centre), QColor(Qt::green)) << "the unset mark lies over the light";
  key->SetKeySetHidden(0);
  EXPECT_EQ(PixelAt(key, centre), QColor(Qt::blue)) << "the set mark lies on top";
}

TEST_F(KeyButton, DoubleClickWhileEnabledRaisesDbclick) {
  CDeviceKeyButtonUI* key = BuildKey();
  ASSERT_NE(key, nullptr);
  QTest::mouseDClick(Inner(key), Qt::LeftButton);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), "dbclick:key"), 1);
  seen.clear();
  key->SetEnabled(false);
  QTest::mouseDClick(Inner(key), Qt::LeftButton);
  EXPECT_EQ(seen, Seen{});
}

namespace {

// Keys a, b and c lie straight in the panel; d sits inside a nested row; a
// plain button is no key and never selected.
constexpr const char* kPanelXml = R"(
<SelectPanel name="panel">
  <DeviceKeyButton name="a" float="true" pos="10,10,40,30"/>
  <DeviceKeyButton name="b" float="true" pos="60,10,90,30"/>
  <DeviceKeyButton name="c" float="true" pos="10,60,40,80"/>
  <HorizontalLayout name="row" float="true" pos="100,100,200,140">
    <DeviceKeyButton name="d" width="30"/>
  </HorizontalLayout>
  <Button name="plain" float="true" pos="150,10,180,30"/>
</SelectPanel>)";

class SelectPanel : public ui_testing::UiControlTest {
 protected:
  void SetUp() override {
    UiControlTest::SetUp();
    panel = Build<CSelectPanelUI>(kPanelXml, QSize(240, 180));
    ASSERT_NE(panel, nullptr);
  }
  // Press, move and release, all sent to `widget` at its own coordinates
  // (where Qt sends them: to the widget the press went to).
  void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
  }
  std::string Selected() {
    std::string out;
    for (const char* name : {"a", "b", "c", "d"})
      if (Find<CDeviceKeyButtonUI>(name)->IsSelected() != 0)
        out += name;
    return out;
  }
  CSelectPanelUI* panel = nullptr;
};

}  // namespace

TEST_F(SelectPanel, DragSelectsTheSameKeysInEitherDirectionAndReportsOnce) {
  // The far corner lies on b's left edge: its edge pixel counts either way.
  Drag(panel, {5, 5}, {60, 45});
  EXPECT_EQ(Selected(), "ab");
  EXPECT_EQ(seen, Seen{"click_select_end:panel"});
  EXPECT_EQ(panel->GetSelectRect(), QRect(QPoint(5, 5), QPoint(60, 45)));
  EXPECT_FALSE(panel->IsPressed());
  EXPECT_FALSE(panel->IsDragging());

  seen.clear();
  Drag(panel, {95, 95}, {200, 170});
  EXPECT_EQ(Selected(), "d") << "keys inside nested layouts count; the others are unmarked";

  seen.clear();
  Drag(panel, {60, 45}, {5, 5});
  EXPECT_EQ(Selected(), "ab");
  EXPECT_EQ(panel->GetSelectRect(), QRect(QPoint(5, 5), QPoint(60, 45)));
  EXPECT_EQ(seen, Seen{"click_select_end:panel"});
}

TEST_F(SelectPanel, ClickWithoutMovingChangesNothing) {
  Drag(panel, {5, 5}, {45, 45});
  ASSERT_EQ(Selected(), "a");
  seen.clear();
  QTest::mouseClick(panel, Qt::LeftButton, {}, {100, 50});
  EXPECT_EQ(Selected(), "a");
  EXPECT_EQ(seen, Seen{});
}

TEST_F(SelectPanel, KeysInsideKeepTheirClicksAndADragMayStartOnOne) {
  auto* a = Find<CDeviceKeyButtonUI>("a");
  QTest::mouseClick(Inner(a), Qt::LeftButton);
  EXPECT_EQ(seen, Seen{"click:a"});
  EXPECT_EQ(Selected(), "");

  // From inside a (panel 15,15) down to panel (65,65): a, b and c.
  seen.clear();
  Drag(Inner(a), {5, 5}, {55, 55});
  EXPECT_EQ(Selected(), "abc");
  EXPECT_EQ(seen, Seen{"click_select_end:panel"}) << "released off the key: no click";

}

TEST_F(SelectPanel, DisabledPanelIgnoresDrags) {
  panel->SetEnabled(false);
  Drag(panel, {5, 5}, {200, 170});
  EXPECT_EQ(Selected(), "");
  EXPECT_EQ(seen, Seen{});
}

TEST_F(SelectPanel, RubberBandShowsOnlyWhileDraggingAndOverTheKeys) {
  const QPoint inside(120, 60);
  const QPoint onKey(110, 120);
  const QColor idle = PixelAt(panel, inside);
  const QColor idleKey = PixelAt(panel, onKey);
  QTest::mousePress(panel, Qt::LeftButton, {}, {100, 45});
  QTest::mouseMove(panel, {140, 130});
  EXPECT_TRUE(panel->IsDragging());
  EXPECT_NE(PixelAt(panel, inside), idle);
  EXPECT_NE(PixelAt(panel, onKey), idleKey);
  EXPECT_EQ(PixelAt(panel, {20, 150}), idle) << "outside the rectangle";
  QTest::mouseRelease(panel, Qt::LeftButton, {}, {140, 130});
  EXPECT_EQ(PixelAt(panel, inside), idle);
}
