#pragma once

#include <QColor>
#include <QPushButton>
#include <array>
#include <span>

#include "toolkit/SkinImage.h"
#include "toolkit/TextLayout.h"

namespace toolkit {

// The Qt button inside button-like controls. It keeps Qt's behaviour (mouse,
// keyboard, focus, accessibility) and draws the skin's state images and
// colours when the skin gives any; otherwise the style draws it.
class SkinButton : public QPushButton {
  Q_OBJECT
 public:
  // A disabled selected button shows its selected look, dimmed.
  enum State { Normal, Hot, Pushed, Disabled, Focused, Selected, SelectedHot, SelectedPushed,
               SelectedDisabled, StateCount };
  struct Look {
    SkinImage image;
    QColor background;
    QColor text;
  };

  explicit SkinButton(QWidget* parent = nullptr);

  Look& LookFor(State state) { return looks_[state]; }
  void SetForeImage(const SkinImage& image) { foreImage_ = image; update(); }
  void SetTextLayout(const TextLayout& layout, int scalePercent);
  // Draw as a check box when the skin gives no images.
  void SetCheckBoxStyle(bool checkBox) { checkBox_ = checkBox; update(); }
  // Selection is decided by the owning control, never by a click.
  void SetSelected(bool selected);
  bool HasSkinLook() const;
  // The control behind paints a skin background: draw no native bevel.
  void SetBackgroundFromSkin(bool fromSkin) { backgroundFromSkin_ = fromSkin; update(); }
  // The state whose look is drawn now (hover, pressed, selected, disabled ...).
  State CurrentState() const;

 protected:
  void nextCheckState() override {}
  void paintEvent(QPaintEvent* event) override;

 private:
  static std::span<const State> FallbackOrder(State state);
  const Look* FirstWith(std::span<const State> states, bool image) const;

  std::array<Look, StateCount> looks_;
  SkinImage foreImage_;
  TextLayout textLayout_;
  int scalePercent_ = 100;
  bool checkBox_ = false;
  bool backgroundFromSkin_ = false;
};

}  // namespace toolkit
