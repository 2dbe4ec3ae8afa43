#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "toolkit/CColorPaletteUI.h"
#include "toolkit/CDialogBuilder.h"
#include "toolkit/CPaintManagerUI.h"

using namespace toolkit;

namespace {

class ColorPalette : public ::testing::Test, public INotifyUI {
 protected:
  void SetUp() override {
    pm.AddNotifier(this);
    palette = Build(R"(<ColorPalette name="pal" barheight="12" selectcolor="#FF00FF00"/>)");
    ASSERT_NE(palette, nullptr);
  }
  void Notify(TNotifyUI& msg) override { seen.emplace_back(msg.sType, msg.wParam); }

  CColorPaletteUI* Build(const QString& xml) {
    CDialogBuilder builder;
    root.reset(builder.Create(xml, {}, nullptr, &pm));
    errors = builder.Errors();
    pm.AttachDialog(root.get());
    root->resize(220, 180);
    root->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(root.get()));
    return qobject_cast<CColorPaletteUI*>(root.get());
  }
  // Sends the mouse event straight to the palette, at a sub-pixel position.
  void Mouse(QEvent::Type type, QPointF at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, palette->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(palette, &event);
  }
  void Click(QPointF at) {
    Mouse(QEvent::MouseButtonPress, at);
    Mouse(QEvent::MouseButtonRelease, at);
  }
  static bool Near(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16, 24})
      if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2)
        return false;
    return true;
  }

  CPaintManagerUI pm;
  std::unique_ptr<CControlUI> root;
  CColorPaletteUI* palette = nullptr;
  QStringList errors;
  std::vector<std::pair<QString, WPARAM>> seen;
};

}  // namespace

TEST_F(ColorPalette, BuiltFromItsTagAndScaledWithTheDpi) {
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(palette->GetClass(), "ColorPaletteUI");
  EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
  EXPECT_EQ(palette->GetHueBarRect().height(), 12);
  const QRect pallet = palette->GetPalletRect();
  EXPECT_GT(pallet.height(), 100);
  EXPECT_LT(pallet.bottom(), palette->GetHueBarRect().top());
  pm.SetDPI(192);
  EXPECT_EQ(palette->GetHueBarRect().height(), 24);
  EXPECT_LT(palette->GetPalletRect().height(), pallet.height());

  auto* other = Build(R"(<ColorPalette barheight="0" bkcolor="#FF202020"/>)");
  EXPECT_EQ(errors.size(), 1) << "a bar needs a height; base attributes are taken";
  EXPECT_EQ(other->GetBarHeight(), 10);
}

TEST_F(ColorPalette, SetColourComesBackUnchangedAndRaisesNothing) {
  for (uint32_t c : {0xFF000000u, 0xFFFFFFFFu, 0xFFFF0000u, 0xFF0000FFu, 0xFF808080u,
                     0xFF123456u, 0xFFFF8000u, 0xFFC0FFEEu}) {
    palette->SetSelectColor(c);
    EXPECT_EQ(palette->GetSelectColor(), c) << std::hex << c;
  }
  palette->SetSelectColor(0x00336699);
  EXPECT_EQ(palette->GetSelectColor(), 0xFF336699u) << "the alpha is always opaque";
  palette->SetSelectColor(0xFF00FFFF);
  const QPointF cyan(palette->GetPalletMarker().x(), palette->GetHueMarker());
  palette->SetSelectColor(0xFF000000);
  EXPECT_EQ(QPointF(palette->GetPalletMarker().x(), palette->GetHueMarker()), cyan)
      << "black keeps the saturation and the hue";
  palette->SetSelectColor(0xFF404040);
  EXPECT_EQ(palette->GetHueMarker(), cyan.y()) << "a grey keeps the hue";
  EXPECT_TRUE(seen.empty());
}

TEST_F(ColorPalette, MarkerPositionsGiveTheColourBack) {
  for (uint32_t c : {0xFFFF0000u, 0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu, 0xFFFF8000u,
                     0xFF7F00FFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF808080u, 0xFF333333u}) {
    palette->SetSelectColor(c);
    const QPointF marker = palette->GetPalletMarker();
    const QPointF hue(palette->GetHueMarker(), palette->GetHueBarRect().center().y());
    palette->SetSelectColor(0xFF204060);
    Click(hue);
    Click(marker);
    EXPECT_TRUE(Near(palette->GetSelectColor(), c))
        << std::hex << c << " became " << palette->GetSelectColor();
  }
}

TEST_F(ColorPalette, DragRaisesOneNotificationOnReleaseWithTheFinalColour) {
  palette->SetSelectColor(0xFFFF0000);
  const QRect pallet = palette->GetPalletRect();
  Mouse(QEvent::MouseButtonPress, pallet.center());
  const uint32_t pressed = palette->GetSelectColor();
  EXPECT_NE(pressed, 0xFFFF0000u) << "the colour follows the press";
  Mouse(QEvent::MouseMove, pallet.bottomRight() - QPoint(10, 10));
  EXPECT_NE(palette->GetSelectColor(), pressed);
  Mouse(QEvent::MouseMove, QPointF(-40, -40));  // clamped: top left is white
  EXPECT_EQ(palette->GetSelectColor(), 0xFFFFFFFFu);
  EXPECT_EQ(palette->GetPalletMarker(), QPointF(pallet.topLeft()));
  EXPECT_TRUE(seen.empty()) << "nothing while dragging";
  Mouse(QEvent::MouseButtonRelease, QPointF(-40, -40));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, "colorchanged");
  EXPECT_EQ(seen[0].second, 0xFFFFFFFFu);
  seen.clear();

  // White has no hue: moving the hue changes the field but not the colour.
  const QRect bar = palette->GetHueBarRect();
  Mouse(QEvent::MouseButtonPress, bar.center());
  Mouse(QEvent::MouseMove, QPointF(bar.right() + 50, bar.top()));
  Mouse(QEvent::MouseButtonRelease, QPointF(bar.right() + 50, bar.top()));
  EXPECT_EQ(palette->GetHueMarker(), bar.right());
  EXPECT_TRUE(seen.empty());
}

TEST_F(ColorPalette, ClickOnTheMarkersRaisesNothingElsewhereOnce) {
  for (uint32_t c : {0xFF123456u, 0xFFFF8000u, 0xFF3A7BD5u}) {
    palette->SetSelectColor(c);
    QTest::mouseClick(palette, Qt::LeftButton, {}, palette->GetPalletMarker().toPoint());
    const QPoint hue(qRound(palette->GetHueMarker()), palette->GetHueBarRect().center().y());
    QTest::mouseClick(palette, Qt::LeftButton, {}, hue);
    EXPECT_EQ(palette->GetSelectColor(), c) << std::hex << c;
  }
  EXPECT_TRUE(seen.empty());
  QTest::mouseClick(palette, Qt::LeftButton, {}, palette->GetPalletRect().topRight());
  ASSERT_EQ(seen.size(), 1u) << "a click without a drag counts";
  EXPECT_EQ(seen[0].second, palette->GetSelectColor());
}

TEST_F(ColorPalette, DisabledPaletteIgnoresTheMouse) {
  palette->SetEnabled(false);
  QTest::mouseClick(palette, Qt::LeftButton, {}, palette->GetPalletRect().center());
  Click(palette->GetPalletRect().center());
  EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
  palette->SetEnabled(true);

  // Disabled in the middle of a drag: the colour goes back, nothing is raised.
  Mouse(QEvent::MouseButtonPress, palette->GetPalletRect().center());
  palette->SetEnabled(false);
  EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
  palette->SetEnabled(true);
  Mouse(QEvent::MouseButtonRelease, palette->GetPalletRect().center());
  EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
  EXPECT_TRUE(seen.empty());
}
