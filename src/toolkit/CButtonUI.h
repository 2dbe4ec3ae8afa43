#pragma once

#include "toolkit/CControlUI.h"
#include "toolkit/SkinButton.h"
#include "toolkit/TextLayout.h"

namespace toolkit {

class CButtonUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ButtonUI"); }

  // What a click does: raises "click". False when the button is disabled.
  virtual bool Activate();

  bool SetAttribute(const QString& name, const QString& value) override;
  QString GetNormalImage() const { return images_[SkinButton::Normal]; }
  bool SetStateImage(SkinButton::State state, const QString& image);
  void SetStateBkColor(SkinButton::State state, const QColor& colour);
  void SetStateTextColor(SkinButton::State state, const QColor& colour);

 protected:
  void UpdateTextDisplay() override;
  void UpdateAppearance() override;
  SkinButton* Button() const { return button_; }

 private:
  SkinButton* button_;
  TextLayout textLayout_;
  QString images_[SkinButton::StateCount];
};

}  // namespace toolkit
