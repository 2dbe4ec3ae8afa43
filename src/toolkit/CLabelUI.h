#pragma once

#include "toolkit/CControlUI.h"
#include "toolkit/TextLayout.h"

class QLabel;

namespace toolkit {

class CLabelUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CLabelUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("LabelUI"); }
  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void UpdateTextDisplay() override;
  void UpdateAppearance() override;
  QLabel* Label() const { return label_; }
  TextLayout& Layout() { return layout_; }

 private:
  QLabel* label_;
  TextLayout layout_;
};

}  // namespace toolkit
