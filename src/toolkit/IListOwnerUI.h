#pragma once

#include <QColor>

namespace toolkit {

class CControlUI;

// What list items need from the list or combo that holds them.
class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
  virtual int GetCurSel() const = 0;
  virtual int GetItemIndex(CControlUI* item) const = 0;
  // An item's text changed (combos show it in their box).
  virtual void ItemTextChanged(CControlUI* /*item*/) {}
  virtual QColor ItemSelectedBkColor() const { return {}; }
  virtual QColor ItemHotBkColor() const { return {}; }
};

}  // namespace toolkit
