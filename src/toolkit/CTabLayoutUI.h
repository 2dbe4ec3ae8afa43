#pragma once

#include "toolkit/CContainerUI.h"

namespace toolkit {

// Shows one of its items at a time.
class CTabLayoutUI : public CContainerUI {
  Q_OBJECT
 public:
  explicit CTabLayoutUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("TabLayoutUI"); }

  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  int GetCurSel() const { return current_; }
  // Shows page `index` and hides the others; false for an index out of range.
  bool SelectItem(int index);
  bool SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  int current_ = -1;
  int wanted_ = 0;  // "selectedid" before the pages exist
};

}  // namespace toolkit
