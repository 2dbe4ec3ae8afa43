#pragma once

#include <cstdint>

#include "toolkit/CButtonUI.h"
#include "toolkit/SkinImage.h"
#include "ui/LaidOutImage.h"

class ControlOverlay;

// A key or light point of a device picture. Over the button's own state image
// it draws, in this order: the light overlay tinted with the light colour
// (while the light is on), the "key unset" mark and the "key set" mark (each
// while it is not hidden). The selection panel it sits in marks it selected.
//
// Light colours are kept as the device pages hand them over: red in the low
// byte, blue in the next, green in the third (red | blue << 8 | green << 16).
class CDeviceKeyButtonUI : public toolkit::CButtonUI {
  Q_OBJECT
 public:
  explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("DeviceKeyButton"); }

  // Images as the skin writes them; false (and no change) for a bad one.
  bool SetLightImage(const QString& image);
  bool SetKeySetImage(const QString& image);
  bool SetKeyUnsetImage(const QString& image);
  QString GetLightImage() const { return lightImageText_; }
  QString GetKeySetImage() const { return keySetImageText_; }
  QString GetKeyUnsetImage() const { return keyUnsetImageText_; }

  // Stores the light; the page redraws the preview on its own schedule.
  void SetLightState(uint32_t colour, int level, int on);
  uint32_t GetLightColour() const { return lightColour_; }
  int GetLightLevel() const { return lightLevel_; }
  int GetLightOn() const { return lightOn_; }
  // Whether the light state changed since the last call (the preview draws
  // only what changed).
  bool TakeLightChanged();
  // The light colour as Qt sees it.
  static QColor LightColourToQColor(uint32_t colour);

  // 0 shows the mark. Redraws only when the value changes.
  void SetKeySetHidden(int hidden);
  void SetKeyUnsetHidden(int hidden);
  int GetKeySetHidden() const { return keySetHidden_; }
  int GetKeyUnsetHidden() const { return keyUnsetHidden_; }

  void SetSelected(int selected) { selected_ = selected; }
  // The key chosen for assignment on the key page: drawn with a frame.
  void SetChosen(int chosen);
  int IsChosen() const { return chosen_; }
  int IsSelected() const { return selected_; }

  // How often the button asked to be redrawn because its marks changed.
  int GetRedrawCount() const { return redrawCount_; }

  bool SetAttribute(const QString& name, const QString& value) override;

  // A light preview layer over the button's panel draws the light and the
  // marks (see LightPreviewLayer); the button then draws only itself.
  void SetDrawnByLayer(bool drawnByLayer);
  bool IsDrawnByLayer() const { return drawnByLayer_; }
  // Draws what lies over the button (the light, the marks, the chosen frame)
  // with the button's top left corner at `origin`, on a device of `ratio`
  // device pixels per pixel.
  void PaintOver(QPainter& painter, QPoint origin, qreal ratio);
  // What the button looks like without its light, as far as it can change
  // while the program runs: equal looks draw the same pixels.
  struct Look {
    int state = 0;
    bool enabled = true;
    QString text;
    int generation = 0;
    bool operator==(const Look&) const = default;
  };
  Look CurrentLook() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static bool ParseImage(const QString& text, QString& keptText, toolkit::SkinImage& kept);
  void Redraw();
  void PaintChosenFrame(QPainter& painter, QPoint origin);
  void LookChanged();

  QString lightImageText_;
  QString keySetImageText_;
  QString keyUnsetImageText_;
  toolkit::SkinImage lightImage_;
  toolkit::SkinImage keySetImage_;
  toolkit::SkinImage keyUnsetImage_;
  int lightOn_ = 0;
  uint32_t lightColour_ = 255;
  int lightLevel_ = 200;
  int keySetHidden_ = 1;
  int keyUnsetHidden_ = 1;
  int selected_ = 0;
  int chosen_ = 0;
  bool lightChanged_ = true;
  int redrawCount_ = 0;
  int lookGeneration_ = 0;
  bool drawnByLayer_ = false;
  LaidOutImage glow_;
  LaidOutImage keySetMark_;
  LaidOutImage keyUnsetMark_;
  ControlOverlay* overlay_;
};
