#pragma once

#include "toolkit/CControlUI.h"

class QSlider;

namespace toolkit {

// A slider: "movevaluechanged" while the thumb is dragged, "valuechanged" when
// it is released or the value is changed by keyboard, wheel or a click on the
// track. Changes made by the program raise nothing unless asked.
class CSliderUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CSliderUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("SliderUI"); }

  int GetMinValue() const;
  int GetMaxValue() const;
  int GetValue() const;
  void SetMinValue(int min);
  void SetMaxValue(int max);
  void SetValue(int value, bool triggerEvent = false);
  int GetChangeStep() const;
  void SetChangeStep(int step);
  bool IsHorizontal() const;
  void SetHorizontal(bool horizontal);

  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  void UpdateStyleSheet();
  QSlider* slider_;
  QString thumbImage_;
  QString thumbHotImage_;
  QString thumbPushedImage_;
  QString foreImage_;
  int thumbWidth_ = 0;
  int thumbHeight_ = 0;
};

}  // namespace toolkit
