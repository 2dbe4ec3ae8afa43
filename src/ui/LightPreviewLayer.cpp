#include "ui/LightPreviewLayer.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

LightPreviewLayer::LightPreviewLayer(QWidget* host) : QWidget(host) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // Opaque: what lies under the lights is not painted while the layer is.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(host->rect());
  host->installEventFilter(this);
  hide();
}

LightPreviewLayer::~LightPreviewLayer() {
  Detach();
}

void LightPreviewLayer::Detach() {
  for (Light& light : lights_)
    if (light.button != nullptr)
      light.button->SetDrawnByLayer(false);
}

void LightPreviewLayer::Attach() {
  for (Light& light : lights_) {
    if (light.button == nullptr)
      continue;
    light.button->SetDrawnByLayer(true);
    light.pictureValid = false;
  }
}

void LightPreviewLayer::SetLights(const std::vector<CDeviceKeyButtonUI*>& lights) {
  Detach();
  for (Light& light : lights_)
    if (light.button != nullptr) {
      light.button->disconnect(this);
      for (QObject* watched : light.button->findChildren<QWidget*>())
        watched->removeEventFilter(this);
    }
  for (const QPointer<QWidget>& watched : placeWatched_)
    if (watched != nullptr)
      watched->removeEventFilter(this);
  placeWatched_.clear();
  placeWatchedSet_.clear();
  lights_.clear();
  QWidget* host = parentWidget();
  for (CDeviceKeyButtonUI* button : lights) {
    if (button == nullptr || !host->isAncestorOf(button))
      continue;
    Light light;
    light.button = button;
    lights_.push_back(light);
    // The mouse and the focus change a button's look: looked at at once.
    for (QWidget* inner : button->findChildren<QWidget*>())
      inner->installEventFilter(this);
    // Where it lies and whether it shows change with it and with the panels
    // between it and the host.
    for (QWidget* w = button; w != nullptr && w != host; w = w->parentWidget()) {
      w->installEventFilter(this);
      if (!placeWatchedSet_.contains(w)) {
        placeWatchedSet_.insert(w);
        placeWatched_.emplace_back(w);
      }
    }
    connect(button, &QObject::destroyed, this, [this] { placeChanged_ = true; });
  }
  suspended_ = false;
  Attach();
  raise();
  UpdateGeometry();
  UpdateShape();
}

bool LightPreviewLayer::UpdateGeometry() {
  QWidget* host = parentWidget();
  bool changed = false;
  for (Light& light : lights_) {
    if (light.button == nullptr) {
      changed = changed || light.visible;
      light.visible = false;
      continue;
    }
    const QRect rect(light.button->mapTo(host, QPoint(0, 0)), light.button->size());
    const bool visible = light.button->isVisibleTo(host);
    if (rect != light.rect || visible != light.visible) {
      light.rect = rect;
      light.visible = visible;
      light.pictureValid = false;
      changed = true;
    }
  }
  return changed;
}

void LightPreviewLayer::UpdateShape() {
  QWidget* host = parentWidget();
  if (geometry() != host->rect())
    setGeometry(host->rect());
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (pictures_.size() != pixels || pictures_.devicePixelRatio() != ratio) {
    pictures_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    pictures_.setDevicePixelRatio(ratio);
    frame_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    frame_.setDevicePixelRatio(ratio);
    for (Light& light : lights_)
      light.pictureValid = false;
  }
  rowOrder_.clear();
  for (size_t i = 0; i < lights_.size(); ++i)
    if (lights_[i].visible)
      rowOrder_.push_back(i);
  std::sort(rowOrder_.begin(), rowOrder_.end(), [this](size_t a, size_t b) {
    const QRect& one = lights_[a].rect;
    const QRect& other = lights_[b].rect;
    return std::pair(one.top(), one.left()) < std::pair(other.top(), other.left());
  });
  QRegion shape;
  for (const size_t index : rowOrder_)
    shape += lights_[index].rect;
  // An empty mask would mean no mask at all: with no light shown (or while
  // suspended) the layer steps aside.
  if (shape.isEmpty() || suspended_) {
    hide();
    return;
  }
  setMask(shape);
  show();
}

void LightPreviewLayer::Suspend() {
  if (suspended_)
    return;
  suspended_ = true;
  hide();
  Detach();
}

int LightPreviewLayer::CheckLooks() {
  int count = 0;
  for (Light& light : lights_) {
    if (light.button == nullptr || !light.visible)
      continue;
    const CDeviceKeyButtonUI::Look look = light.button->CurrentLook();
    if (!(look == light.look)) {
      light.look = look;
      light.pictureValid = false;
    }
    if (!light.pictureValid && !light.queued) {
      light.queued = true;
      update(light.rect);
      ++count;
    }
  }
  return count;
}

int LightPreviewLayer::Refresh() {
  if (suspended_) {
    suspended_ = false;
    Attach();
    UpdateShape();
  }
  if (placeChanged_) {
    placeChanged_ = false;
    if (UpdateGeometry())
      UpdateShape();
  }
  // What the program changes on a button is seen within four refreshes; what
  // the mouse and the focus change, at once (see eventFilter).
  if (++refreshes_ % kLookEvery == 0)
    CheckLooks();
  int queued = 0;
  int shown = 0;
  for (Light& light : lights_) {
    if (light.button == nullptr || !light.visible)
      continue;
    ++shown;
    // Both are taken: the light's change flag is cleared on every pass.
    const bool changed = light.button->TakeLightChanged();
    if (changed || !light.pictureValid || light.queued) {
      light.queued = true;
      ++queued;
    }
  }
  if (queued == 0)
    return 0;
  if (4 * queued >= 3 * shown) {
    // A moving effect: the whole layer, without building a region light by
    // light.
    update();
  } else {
    // One region, its rectangles added row by row (each one then extends the
    // region's last band instead of merging into all of it).
    QRegion dirty;
    for (const size_t index : rowOrder_)
      if (lights_[index].queued)
        dirty += lights_[index].rect;
    update(dirty);
  }
  return queued;
}

void LightPreviewLayer::TakePicture(Light& light) {
  CDeviceKeyButtonUI* button = light.button;
  QWidget* host = parentWidget();
  {
    QPainter clear(&pictures_);
    clear.setCompositionMode(QPainter::CompositionMode_Source);
    clear.fillRect(light.rect, Qt::transparent);
  }
  // What lies under the button (the host and every panel between them,
  // without their other children), then the button itself.
  std::vector<QWidget*> chain;
  for (QWidget* w = button->parentWidget(); w != nullptr && w != host; w = w->parentWidget())
    chain.push_back(w);
  chain.push_back(host);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    QWidget* under = *it;
    const QPoint origin = under->mapTo(host, QPoint(0, 0));
    const QRect source = light.rect.translated(-origin);
    under->render(&pictures_, light.rect.topLeft(), QRegion(source), QWidget::RenderFlags());
  }
  button->render(&pictures_, light.rect.topLeft(), QRegion(), QWidget::DrawChildren);
  light.pictureValid = true;
  light.framed = false;
  light.look = button->CurrentLook();
  ++pictureCount_;
}

void LightPreviewLayer::paintEvent(QPaintEvent* event) {
  const QRegion region = event->region();
  // The lights are drawn into the frame first: its painter has no clip to
  // follow, where every drawing on the widget's painter is clipped to the
  // lights' region (slow). The widget then takes each light in one copy.
  const qreal ratio = pictures_.devicePixelRatio();
  QPainter frame(&frame_);
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  for (Light& light : lights_) {
    const bool queued = light.queued;
    light.queued = false;
    if (light.button == nullptr || !light.visible || (!queued && !region.intersects(light.rect)))
      continue;
    const QRectF source(QPointF(light.rect.topLeft()) * ratio, QSizeF(light.rect.size()) * ratio);
    if (queued || !light.framed || !light.pictureValid) {
      if (!light.pictureValid)
        TakePicture(light);
      // The picture is all there is under the light: copied, not blended.
      frame.setCompositionMode(QPainter::CompositionMode_Source);
      frame.drawImage(QRectF(light.rect), pictures_, source);
      frame.setCompositionMode(QPainter::CompositionMode_SourceOver);
      light.button->PaintOver(frame, light.rect.topLeft(), ratio);
      light.framed = true;
    }
    painter.drawImage(QRectF(light.rect), frame_, source);
  }
}

bool LightPreviewLayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget()) {
    if (event->type() == QEvent::Resize) {
      UpdateGeometry();
      UpdateShape();
    }
    return false;
  }
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ParentChange:
      if (placeWatchedSet_.contains(watched))
        placeChanged_ = true;
      break;
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
      // After the button has taken the event: its look is known then.
      if (!lookCheckPosted_ && !suspended_) {
        lookCheckPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
              lookCheckPosted_ = false;
              if (!suspended_)
                CheckLooks();
            },
            Qt::QueuedConnection);
      }
      break;
    default:
      break;
  }
  return false;
}
