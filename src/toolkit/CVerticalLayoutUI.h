#pragma once

#include "toolkit/CContainerUI.h"

namespace toolkit {

class CVerticalLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  explicit CVerticalLayoutUI(QWidget* parent = nullptr)
      : CContainerUI(Arrangement::Vertical, parent) {}
  QString GetClass() const override { return QStringLiteral("VerticalLayoutUI"); }
};

}  // namespace toolkit
