#pragma once

#include <QRect>
#include <array>
#include <optional>

#include "toolkit/CButtonUI.h"
#include "toolkit/SkinButton.h"
#include "toolkit/SkinImage.h"

class ControlOverlay;

// A button whose state images are parts of one picture: the skin names the
// picture ("imagefile") and a source rectangle per state ("normalsource",
// "hotsource", "pushedsource", "selectedsource", "disabledsource", each
// "l,t,r,b"). An extra picture ("handimage") is drawn over it. The button can
// be shown selected. Entering and leaving raise "msenter" and "msleave"; the
// skin's "cursor" (arrow, ibeam, wait, cross, uparrow, size, icon, sizenwse,
// sizenesw, sizewe, sizens, sizeall, hand) is the cursor over it.
class CHandImgSelectButtonUI : public toolkit::CButtonUI {
  Q_OBJECT
 public:
  explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("HandImgSelectButton"); }

  bool SetHandImage(const QString& image);
  QString GetHandImage() const { return handImageText_; }
  // The picture the state images are cut from; states given a part before
  // follow the new picture.
  void SetImageFile(const QString& file);
  QString GetImageFile() const { return imageFile_; }
  // Shows `source` of the picture for the state.
  void SetStateSource(toolkit::SkinButton::State state, const QRect& source);
  // The image text the state is given: "file='…' source='l,t,r,b'".
  static QString SourceImageText(const QString& file, const QRect& source);

  void SetSelected(bool selected);
  bool IsSelected() const { return selected_; }

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void ApplySource(toolkit::SkinButton::State state);
  void PaintHand(QPainter& painter);

  QString handImageText_;
  toolkit::SkinImage handImage_;
  QString imageFile_;
  std::array<std::optional<QRect>, toolkit::SkinButton::StateCount> sources_;
  bool selected_ = false;
  ControlOverlay* overlay_;
};
