#pragma once

#include "toolkit/COptionUI.h"

namespace toolkit {

class CCheckBoxUI : public COptionUI {
  Q_OBJECT
 public:
  explicit CCheckBoxUI(QWidget* parent = nullptr) : COptionUI(parent) {
    Button()->SetCheckBoxStyle(true);
  }
  QString GetClass() const override { return QStringLiteral("CheckBoxUI"); }

  bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
};

}  // namespace toolkit
