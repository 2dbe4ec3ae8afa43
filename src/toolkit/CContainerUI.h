#pragma once

#include <QList>

#include "toolkit/CControlUI.h"

class QScrollArea;

namespace toolkit {

// A control that holds other controls and places them: all on top of each
// other (Container), one below the other (VerticalLayout), side by side
// (HorizontalLayout), or one page at a time (TabLayout). Fixed sizes are kept;
// the free ones share what is left. Floating items sit at their "pos".
class CContainerUI : public CControlUI, public IControlHolder {
  Q_OBJECT

 public:
  enum class Arrangement { Stack, Vertical, Horizontal, Pages };

  explicit CContainerUI(QWidget* parent = nullptr) : CContainerUI(Arrangement::Stack, parent) {}
  ~CContainerUI() override;

  QString GetClass() const override { return QStringLiteral("ContainerUI"); }

  virtual bool Add(CControlUI* control);
  virtual bool AddAt(CControlUI* control, int index);
  // Removes the item; it is deleted unless `doNotDestroy` (then the caller owns it).
  virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
  virtual bool RemoveAt(int index, bool doNotDestroy = false);
  virtual void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(CControlUI* control) const;
  bool SetItemIndex(CControlUI* control, int index);

  QMargins GetInset() const { return inset_; }
  void SetInset(const QMargins& inset);
  int GetChildPadding() const { return childPadding_; }
  void SetChildPadding(int padding);
  void EnableScrollBar(bool vertical, bool horizontal = false);
  bool HasVerticalScrollBar() const;
  bool HasHorizontalScrollBar() const;
  // Scrolls so that the item is in view (containers with a scroll bar).
  void EnsureVisible(CControlUI* control);

  void SetManager(CPaintManagerUI* manager, bool init = true) override;
  bool SetAttribute(const QString& name, const QString& value) override;
  void ReloadText() override;
  void OnDpiChanged() override;

  // Places every item again.
  void RelayoutItems();

 protected:
  CContainerUI(Arrangement arrangement, QWidget* parent);
  // The widget the items are children of.
  QWidget* ItemParent() const;
  Arrangement GetArrangement() const { return arrangement_; }
  void resizeEvent(QResizeEvent* event) override;
  void ForgetItem(CControlUI* item) override;

 private:
  void PlaceStack(const QRect& area);
  void PlaceLine(const QRect& area, bool vertical);
  QRect FloatRect(CControlUI* item, const QRect& area) const;
  QMargins ScaledInset() const;
  void PlaceItem(CControlUI* item, const QRect& rc);

  Arrangement arrangement_;
  QList<CControlUI*> items_;
  QMargins inset_;
  int childPadding_ = 0;
  QScrollArea* scroll_ = nullptr;
  QWidget* content_ = nullptr;
  bool placing_ = false;
};

}  // namespace toolkit
