#pragma once

#include "toolkit/CButtonUI.h"

namespace toolkit {

// A button with a selected state. Options of the same group (per window)
// exclude each other; an option without a group toggles.
class COptionUI : public CButtonUI {
  Q_OBJECT
 public:
  explicit COptionUI(QWidget* parent = nullptr);
  ~COptionUI() override;
  QString GetClass() const override { return QStringLiteral("OptionUI"); }

  bool IsSelected() const { return selected_; }
  // Changes the selection; raises "selectchanged" when `triggerEvent` is set
  // and the state changed (in a group: only for the option that became
  // selected). Selecting an option clears the others of its group.
  virtual void Selected(bool selected, bool triggerEvent = true);
  QString GetGroup() const { return group_; }
  void SetGroup(const QString& group);

  // Makes the groups of every option inside `root` its own (the group name
  // gets a mark of `root`): several pages or panels built from one layout
  // in one window then keep their choices apart. Groups already marked stay.
  static void MakeGroupsOwnedBy(QWidget* root);

  bool Activate() override;
  void SetManager(CPaintManagerUI* manager, bool init = true) override;
  bool SetAttribute(const QString& name, const QString& value) override;

 private:
  QString group_;
  bool selected_ = false;
};

}  // namespace toolkit
