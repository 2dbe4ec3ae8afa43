#pragma once

#include "toolkit/CContainerUI.h"
#include "toolkit/IListItemUI.h"

namespace toolkit {

class IListOwnerUI;

// A list row that holds other controls side by side (labels, an edit). A
// press anywhere in it, its edits included, selects it in its owner
// ("itemclick", then the owner's "itemselect"); a double click raises
// "itemactivate" and a right click "menu" from the row, after selecting it.
class CListContainerElementUI : public CContainerUI, public IListItemUI {
  Q_OBJECT
 public:
  explicit CListContainerElementUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ListContainerElementUI"); }

  IListOwnerUI* GetOwner() const { return owner_; }
  void SetOwner(IListOwnerUI* owner) override { owner_ = owner; }
  int GetIndex() const;
  bool IsSelected() const { return selected_; }
  void SetSelectedState(bool selected) override;
  // Asks the owner to select this row.
  bool Select(bool triggerEvent = true);

 protected:
  void childEvent(QChildEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  IListOwnerUI* owner_ = nullptr;
  bool selected_ = false;
  bool hot_ = false;
};

}  // namespace toolkit
