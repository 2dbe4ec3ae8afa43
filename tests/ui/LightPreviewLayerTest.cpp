#include <QApplication>
#include <QPainter>
#include <QScreen>

#include "support/EventLoopHelpers.h"
#include "ui/CDeviceKeyButtonUI.h"
#include "ui/LaidOutImage.h"
#include "ui/LightPreviewLayer.h"
#include "UiControlFixture.h"

using namespace toolkit;
using testing_support::RunFor;

namespace {

// Counts the paint events of a widget and of everything inside it.
class PaintCounter : public QObject {
 public:
  void Watch(QWidget* root, const QWidget* except) {
    for (QWidget* widget : root->findChildren<QWidget*>())
      if (widget != except)
        widget->installEventFilter(this);
    root->installEventFilter(this);
  }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      ++paints;
    return false;
  }
};

constexpr char kPanel[] = R"(
<Container name="panel" bkcolor="#FF203040">
  <DeviceKeyButton name="a" float="true" pos="10,10,40,30" text="A" bkcolor="#FF000000" borderround="4" lightimage="white.png" keysetimage="corner.png" keyunsetimage="green.png"/>
  <DeviceKeyButton name="b" float="true" pos="50,10,80,30" text="B" bkcolor="#FF000000" borderround="4" lightimage="half.png" keysetimage="corner.png" keyunsetimage="green.png"/>
  <DeviceKeyButton name="c" float="true" pos="10,40,40,60" text="C" bkcolor="#FF000000" borderround="4" lightimage="white.png" keysetimage="corner.png" keyunsetimage="green.png"/>
  <DeviceKeyButton name="d" float="true" pos="50,40,80,60" text="D" bkcolor="#FF000000" borderround="4" lightimage="white.png" keysetimage="corner.png" keyunsetimage="green.png"/>
</Container>
)";

class LightLayer : public ui_testing::UiControlTest {
 protected:
  void SetUp() override {
    UiControlTest::SetUp();
    panel = Build(QString::fromLatin1(kPanel), QSize(100, 80));
    ASSERT_NE(panel, nullptr);
    for (const char* name : {"a", "b", "c", "d"})
      keys.push_back(Find<CDeviceKeyButtonUI>(name));
    layer = new LightPreviewLayer(panel);
    layer->SetLights(keys);
    layer->Refresh();
    RunFor(50);
  }

  // What the screen shows now.
  QImage Shown() {
    RunFor(20);
    return panel->screen()->grabWindow(panel->winId()).toImage().convertToFormat(
        QImage::Format_RGB32);
  }
  // What the buttons draw themselves.
  QImage SelfDrawn() {
    return panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  static int LargestDifference(const QImage& one, const QImage& other) {
    if (one.size() != other.size())
      return 256;
    int largest = 0;
    for (int y = 0; y < one.height(); ++y)
      for (int x = 0; x < one.width(); ++x) {
        const QRgb p = one.pixel(x, y);
        const QRgb q = other.pixel(x, y);
        largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                            std::abs(qBlue(p) - qBlue(q))});
      }
    return largest;
  }
  // Shown with the layer, then drawn by the buttons with the layer gone.
  int DifferenceFromSelfDrawn() {
    const QImage shown = Shown();
    delete layer;
    layer = nullptr;
    return LargestDifference(shown, SelfDrawn());
  }

  CControlUI* panel = nullptr;
  std::vector<CDeviceKeyButtonUI*> keys;
  LightPreviewLayer* layer = nullptr;
};

}  // namespace

TEST_F(LightLayer, ShowsWhatTheButtonsWouldDrawThemselves) {
  keys[0]->SetLightState(0x123456, 255, 1);
  keys[1]->SetLightState(0x0000FF, 128, 1);  // half level over a half-opaque image
  keys[2]->SetLightState(0xFF0000, 255, 0);  // off
  keys[3]->SetLightState(0x00FF00, 200, 1);
  keys[3]->SetKeySetHidden(0);               // the mark lies over the light
  keys[3]->SetChosen(1);
  layer->Refresh();
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixelColor(25, 20), QColor(0x56, 0x12, 0x34)) << "the light's colour";
  EXPECT_EQ(DifferenceFromSelfDrawn(), 0);
  for (CDeviceKeyButtonUI* key : keys)
    EXPECT_FALSE(key->IsDrawnByLayer()) << "a layer that goes leaves the drawing to the buttons";
}

TEST_F(LightLayer, ChangingLightsRepaintOnlyTheLayer) {
  PaintCounter counter;
  counter.Watch(panel, layer);
  int layerPaints = 0;
  struct : QObject {
    int* count = nullptr;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint)
        ++*count;
      return false;
    }
  } layerCounter;
  layerCounter.count = &layerPaints;
  layer->installEventFilter(&layerCounter);
  const int pictures = layer->PictureCount();

  for (int frame = 0; frame < 5; ++frame) {
    for (size_t i = 0; i < keys.size(); ++i)
      keys[i]->SetLightState(0x010101u * static_cast<uint32_t>(40 * frame + 10 * i), 255, 1);
    EXPECT_EQ(layer->Refresh(), 4);
    RunFor(20);
  }
  EXPECT_EQ(layer->Refresh(), 0) << "nothing changed since";
  EXPECT_EQ(counter.paints, 0) << "nothing under the lights was painted";
  EXPECT_GE(layerPaints, 5);
  EXPECT_EQ(layer->PictureCount(), pictures) << "the buttons' pictures were reused";

  // One light changes: one light is drawn again.
  keys[2]->SetLightState(0x0000FF, 255, 1);
  EXPECT_EQ(layer->Refresh(), 1);
  EXPECT_EQ(DifferenceFromSelfDrawn(), 0);
}

TEST_F(LightLayer, AButtonThatLooksDifferentIsPicturedAgain) {
  for (CDeviceKeyButtonUI* key : keys)
    key->SetLightState(0x000080, 100, 1);
  layer->Refresh();
  Shown();
  int pictures = layer->PictureCount();

  // Changed by the program: seen at the next refresh.
  keys[0]->SetText("Q");
  keys[1]->SetEnabled(false);
  keys[2]->SetKeyUnsetHidden(0);
  int queued = 0;
  for (int refresh = 0; refresh < 4; ++refresh)
    queued = std::max(queued, layer->Refresh());
  EXPECT_EQ(queued, 3) << "within four refreshes";
  Shown();
  EXPECT_EQ(layer->PictureCount(), pictures + 3);
  pictures = layer->PictureCount();

  // In the same frame as its light.
  keys[3]->SetLightState(0x800000, 100, 1);
  keys[3]->SetText("Z");
  EXPECT_EQ(layer->Refresh(), 1);
  Shown();
  for (int refresh = 0; refresh < 4; ++refresh)
    layer->Refresh();
  Shown();
  EXPECT_EQ(layer->PictureCount(), pictures + 1);
  pictures = layer->PictureCount();

  // A key pressed and let go: seen at once, without a refresh.
  QTest::mousePress(Inner(keys[0]), Qt::LeftButton, {}, QPoint(5, 5));
  Shown();
  ASSERT_TRUE(qobject_cast<QPushButton*>(Inner(keys[0]))->isDown());
  EXPECT_GT(layer->PictureCount(), pictures);
  pictures = layer->PictureCount();
  QTest::mouseRelease(Inner(keys[0]), Qt::LeftButton, {}, QPoint(5, 5));
  Shown();
  EXPECT_GT(layer->PictureCount(), pictures);
  EXPECT_EQ(DifferenceFromSelfDrawn(), 0);
}

TEST_F(LightLayer, SuspendedTheButtonsDrawThemselves) {
  keys[0]->SetLightState(0x0000FF, 255, 1);
  layer->Refresh();
  Shown();
  layer->Suspend();
  EXPECT_TRUE(layer->IsSuspended());
  EXPECT_FALSE(layer->isVisible());
  EXPECT_FALSE(keys[0]->IsDrawnByLayer());
  // Changed while suspended: the button shows it when it is painted.
  keys[0]->SetLightState(0x00FF00, 255, 1);
  keys[0]->Invalidate();
  EXPECT_EQ(Shown().pixelColor(25, 20), QColor(Qt::blue));

  EXPECT_EQ(layer->Refresh(), 4) << "every picture is taken again";
  EXPECT_TRUE(layer->isVisible());
  EXPECT_TRUE(keys[0]->IsDrawnByLayer());
  EXPECT_EQ(DifferenceFromSelfDrawn(), 0);
}

TEST_F(LightLayer, HiddenMovedAndDeletedButtons) {
  for (CDeviceKeyButtonUI* key : keys)
    key->SetLightState(0xFFFFFF, 255, 1);
  layer->Refresh();
  Shown();

  // A hidden key leaves the layer's shape: what lies under it shows.
  keys[1]->SetVisible(false);
  layer->Refresh();
  EXPECT_EQ(Shown().pixelColor(65, 20), QColor(0x20, 0x30, 0x40));

  // A moved key is drawn where it is now.
  keys[2]->move(12, 44);
  layer->Refresh();
  EXPECT_EQ(Shown().pixelColor(11, 42), QColor(0x20, 0x30, 0x40)) << "not where it was";
  EXPECT_EQ(Shown().pixelColor(30, 52), QColor(Qt::white));

  // A deleted key is forgotten, also when the lights are given again.
  delete keys[3];
  keys.pop_back();
  layer->Refresh();
  EXPECT_EQ(Shown().pixelColor(65, 50), QColor(0x20, 0x30, 0x40));
  layer->SetLights(keys);
  layer->Refresh();
  EXPECT_EQ(DifferenceFromSelfDrawn(), 0);

  // With no light shown the layer steps aside.
  LightPreviewLayer empty(panel);
  empty.SetLights({});
  EXPECT_FALSE(empty.isVisible());
}

TEST(LaidOutImage, TintsByAlphaAndLevelAndKeepsOnlyWhatShows) {
  toolkit::CPaintManagerUI::SetResourcePath(TRAVIX_TEST_DATA_DIR "/ui");
  LaidOutImage glow;
  const auto half = toolkit::SkinImage::Parse("half.png");
  ASSERT_TRUE(half);
  ASSERT_TRUE(glow.Prepare(*half, "half.png", QSize(16, 8), 1.0));
  // Alpha 128 times level 255, premultiplied.
  QColor pixel = QColor::fromRgba(glow.Tinted(QColor(200, 100, 0), 255).pixel(3, 3));
  EXPECT_EQ(pixel.alpha(), 128);
  EXPECT_EQ(glow.Tinted(QColor(200, 100, 0), 255).pixel(3, 3), qRgba(100, 50, 0, 128));
  EXPECT_EQ(glow.Tinted(QColor(200, 100, 0), 0).pixel(3, 3), qRgba(0, 0, 0, 0));
  EXPECT_EQ(glow.Tinted(QColor(255, 255, 255), 128).pixel(15, 7), qRgba(64, 64, 64, 64));
  EXPECT_EQ(glow.Offset(), QPointF(0, 0));
  // Controls of one size share the laid-out image and its tints.
  LaidOutImage other;
  ASSERT_TRUE(other.Prepare(*half, "half.png", QSize(16, 8), 1.0));
  EXPECT_EQ(other.Tinted(QColor(1, 2, 3), 40).cacheKey(), glow.Tinted(QColor(1, 2, 3), 40).cacheKey());
  LaidOutImage wider;
  ASSERT_TRUE(wider.Prepare(*half, "half.png", QSize(24, 8), 1.0));
  EXPECT_EQ(wider.Tinted(QColor(1, 2, 3), 40).width(), 24);

  // A mark in the corner keeps its few pixels, where they lie.
  LaidOutImage mark;
  const auto corner = toolkit::SkinImage::Parse("corner.png");
  ASSERT_TRUE(corner);
  ASSERT_TRUE(mark.Prepare(*corner, "corner.png", QSize(8, 8), 1.0));
  EXPECT_EQ(mark.Offset(), QPointF(5, 0));
  EXPECT_EQ(mark.Tinted(Qt::red, 255).size(), QSize(3, 3));
  QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::black);
  {
    QPainter painter(&canvas);
    mark.Draw(painter, QPoint(0, 0));
  }
  EXPECT_EQ(canvas.pixelColor(6, 1), QColor(Qt::red));
  EXPECT_EQ(canvas.pixelColor(4, 1), QColor(Qt::black));

  // Nothing to show, or no such file: nothing drawn.
  LaidOutImage missing;
  const auto none = toolkit::SkinImage::Parse("no-such.png");
  ASSERT_TRUE(none);
  EXPECT_FALSE(missing.Prepare(*none, "no-such.png", QSize(8, 8), 1.0));
  EXPECT_TRUE(missing.IsEmpty());
}
