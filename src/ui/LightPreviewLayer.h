#pragma once

#include <QImage>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <vector>

#include "ui/CDeviceKeyButtonUI.h"

// Draws the lights of a device picture in one layer over the panel their
// buttons sit on.
//
// A moving effect changes every light of a keyboard twenty times a second.
// Drawn by the buttons themselves, each change repaints the button and all
// that lies under it (three widgets a key, a hundred keys and more). The
// layer is opaque where the lights are: it keeps a picture of every button
// as it looks without its light, and a frame draws that picture, the tinted
// glow and the marks for the lights that changed, in one paint of one
// widget, while Qt paints nothing underneath.
//
// As nothing under the layer is painted, the layer looks after the buttons'
// own looks (hover, press, text, marks, enabled): it compares them on every
// refresh and at once when the mouse or the focus acts on a button, and
// takes a button's picture again when its look changed. It is meant for a
// preview refreshed on a timer; while nobody refreshes it, Suspend() leaves
// the drawing to the buttons. Mouse events pass through to the buttons.
class LightPreviewLayer : public QWidget {
  Q_OBJECT
 public:
  // Lies over the whole of `host`, above the host's children.
  explicit LightPreviewLayer(QWidget* host);
  ~LightPreviewLayer() override;

  // The lights drawn here. Buttons that do not lie inside the host keep
  // drawing themselves.
  void SetLights(const std::vector<CDeviceKeyButtonUI*>& lights);
  // Draws again the lights whose colour, level or look changed since the
  // last call (and takes the layer back from the buttons after Suspend());
  // the number of lights to be drawn again.
  int Refresh();
  // Hides the layer; the buttons draw themselves until the next Refresh().
  void Suspend();
  bool IsSuspended() const { return suspended_; }

  // How many button pictures were taken (for tests and measurements).
  int PictureCount() const { return pictureCount_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Light {
    QPointer<CDeviceKeyButtonUI> button;
    QRect rect;
    bool visible = false;
    CDeviceKeyButtonUI::Look look;
    bool pictureValid = false;
    // To be drawn at the next paint.
    bool queued = false;
    // Drawn into the frame as it is now.
    bool framed = false;
  };

  void Detach();
  void Attach();
  // Position and visibility of every light; the layer's shape follows.
  bool UpdateGeometry();
  void UpdateShape();
  // Queues the lights whose look changed; how many.
  int CheckLooks();
  void TakePicture(Light& light);

  std::vector<Light> lights_;
  // The shown lights, top to bottom and left to right.
  std::vector<size_t> rowOrder_;
  // The buttons as they look without their lights, and the lights drawn
  // over them (both as large as the host).
  QImage pictures_;
  QImage frame_;
  bool suspended_ = false;
  bool lookCheckPosted_ = false;
  // The buttons and the panels between them and the host, watched for moves
  // and visibility.
  std::vector<QPointer<QWidget>> placeWatched_;
  // The same, to look up (compared, never followed: one may be gone).
  QSet<const QObject*> placeWatchedSet_;
  bool placeChanged_ = true;
  static constexpr int kLookEvery = 4;
  int refreshes_ = 0;
  int pictureCount_ = 0;
};
