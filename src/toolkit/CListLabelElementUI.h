#pragma once

#include "toolkit/CLabelUI.h"
#include "toolkit/IListItemUI.h"

namespace toolkit {

class IListOwnerUI;

// A text row of a list or a combo. A click raises "itemclick" and selects it
// in its owner (which raises "itemselect"); a double click raises
// "itemactivate".
class CListLabelElementUI : public CLabelUI, public IListItemUI {
  Q_OBJECT
 public:
  explicit CListLabelElementUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ListLabelElementUI"); }

  IListOwnerUI* GetOwner() const { return owner_; }
  void SetOwner(IListOwnerUI* owner) override { owner_ = owner; }
  int GetIndex() const;
  bool IsSelected() const { return selected_; }
  // Marks the row selected (drawing only); the owner keeps the selection.
  void SetSelectedState(bool selected) override;
  // Asks the owner to select this row.
  bool Select(bool triggerEvent = true);
  bool WantsSelected() const override { return wantSelected_; }

  bool SetAttribute(const QString& name, const QString& value) override;

 protected:
  void UpdateTextDisplay() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  IListOwnerUI* owner_ = nullptr;
  bool selected_ = false;
  bool wantSelected_ = false;
  bool hot_ = false;
};

}  // namespace toolkit
