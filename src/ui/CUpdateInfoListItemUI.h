#pragma once

#include "settings/VersionEntry.h"
#include "toolkit/CHorizontalLayoutUI.h"

namespace toolkit {
class CPaintManagerUI;
class IDialogBuilderCallback;
}  // namespace toolkit

// One line of the settings window's version list: the name of what is
// installed (as an option button), its version and its state.
class CUpdateInfoListItemUI : public toolkit::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  static constexpr const char* kLayout = "XML\\CustomControlXML\\device_Update_list_item.xml";
  static constexpr int kHeight = 40;

  explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("UpdateInfoListItemUI"); }

  // Builds the line's controls from its layout; false when it cannot be.
  bool Build(toolkit::IDialogBuilderCallback* callback, toolkit::CPaintManagerUI* manager);
  void SetEntry(const VersionEntry& entry);
  // Up to date: the status text, no progress, the name not to be chosen.
  void ShowUpToDate();
  bool IsChecked() const;
  toolkit::CControlUI* Sub(const char* name) const;
};
