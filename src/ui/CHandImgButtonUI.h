#pragma once

#include "toolkit/CButtonUI.h"
#include "toolkit/SkinImage.h"

class ControlOverlay;

// A button showing a picture ("handimage") with a small delete mark near its
// bottom-right corner. Releasing the mouse on the mark raises
// "click_handdelete" instead of "click"; the mark shows "deletehotimage"
// while the mouse is over it, "deletenormalimage" otherwise. Entering and
// leaving the button raise "msenter" and "msleave".
class CHandImgButtonUI : public toolkit::CButtonUI {
  Q_OBJECT
 public:
  static constexpr const char* kDeleteNotification = "click_handdelete";
  // The mark, in skin units: its size, and how far its top and left edges lie
  // inside the control's bottom and right edges.
  static constexpr int kMarkSize = 20;
  static constexpr int kMarkFromBottom = 29;
  static constexpr int kMarkFromRight = 30;

  explicit CHandImgButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("HandImgButton"); }

  bool SetHandImage(const QString& image);
  bool SetDeleteNormalImage(const QString& image);
  bool SetDeleteHotImage(const QString& image);
  QString GetHandImage() const { return handImageText_; }
  QString GetDeleteNormalImage() const { return deleteNormalText_; }
  QString GetDeleteHotImage() const { return deleteHotText_; }

  // The delete mark in the control's coordinates (scaled for the DPI).
  QRect DeleteMarkRect() const;
  bool IsDeleteMarkHot() const { return markHot_; }

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void SetMarkHot(bool hot);
  void PaintExtras(QPainter& painter);

  QString handImageText_;
  QString deleteNormalText_;
  QString deleteHotText_;
  toolkit::SkinImage handImage_;
  toolkit::SkinImage deleteNormal_;
  toolkit::SkinImage deleteHot_;
  bool markHot_ = false;
  ControlOverlay* overlay_;
};
