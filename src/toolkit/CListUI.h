#pragma once

#include "toolkit/CContainerUI.h"
#include "toolkit/IListOwnerUI.h"

namespace toolkit {

// A scrolling column of rows with one selected row. Selecting raises
// "itemselect" from the list with the new index in wParam and the old one in
// lParam.
class CListUI : public CContainerUI, public IListOwnerUI {
  Q_OBJECT
 public:
  explicit CListUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ListUI"); }

  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  int GetCurSel() const override { return current_; }
  int GetItemIndex(CControlUI* item) const override { return CContainerUI::GetItemIndex(item); }
  QColor ItemSelectedBkColor() const override { return selectedBk_; }
  QColor ItemHotBkColor() const override { return hotBk_; }

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void ForgetItem(CControlUI* item) override;

 private:
  int current_ = -1;
  QColor selectedBk_;
  QColor hotBk_;
};

}  // namespace toolkit
