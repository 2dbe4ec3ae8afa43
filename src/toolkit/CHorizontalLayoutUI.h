#pragma once

#include "toolkit/CContainerUI.h"

namespace toolkit {

class CHorizontalLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  explicit CHorizontalLayoutUI(QWidget* parent = nullptr)
      : CContainerUI(Arrangement::Horizontal, parent) {}
  QString GetClass() const override { return QStringLiteral("HorizontalLayoutUI"); }
};

}  // namespace toolkit
