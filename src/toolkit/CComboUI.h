#pragma once

#include <QMargins>

#include <QList>

#include "toolkit/CControlUI.h"
#include "toolkit/IListOwnerUI.h"

class QComboBox;

namespace toolkit {

// A drop-down choice. Its items are controls (usually ListLabelElement rows)
// whose texts the box shows. Choosing an item raises "itemselect" with the new
// index in wParam and the old one in lParam.
class CComboUI : public CControlUI, public IListOwnerUI, public IControlHolder {
  Q_OBJECT
 public:
  explicit CComboUI(QWidget* parent = nullptr);
  ~CComboUI() override;
  QString GetClass() const override { return QStringLiteral("ComboUI"); }

  bool Add(CControlUI* control) { return AddAt(control, GetCount()); }
  bool AddAt(CControlUI* control, int index);
  bool Remove(CControlUI* control, bool doNotDestroy = false);
  bool RemoveAt(int index, bool doNotDestroy = false);
  void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  CControlUI* GetItemAt(int index) const;

  // Selects an item; the same index again changes nothing. "itemselect" only
  // when `triggerEvent` is set.
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  int GetCurSel() const override { return current_; }
  int GetItemIndex(CControlUI* item) const override {
    return static_cast<int>(items_.indexOf(item));
  }
  void ItemTextChanged(CControlUI* item) override;
  // Hides or shows an item's row in the drop-down list; it stays selectable
  // by the program.
  void SetItemShown(int index, bool shown);

  void SetManager(CPaintManagerUI* manager, bool init = true) override;
  void ReloadText() override;
  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void UpdateTextDisplay() override {}

 private:
  void ForgetItem(CControlUI* item) override;
  void UpdateBoxStyle();
  QComboBox* box_;
  QMargins textPadding_{4, 0, 4, 0};
  QList<CControlUI*> items_;
  int current_ = -1;
};

}  // namespace toolkit
