#pragma once

#include "toolkit/CLabelUI.h"

namespace toolkit {

// A label for longer texts: wraps by default.
class CTextUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CTextUI(QWidget* parent = nullptr) : CLabelUI(parent) {
    Layout().wrap = true;
    UpdateAppearance();
  }
  QString GetClass() const override { return QStringLiteral("TextUI"); }
};

}  // namespace toolkit
