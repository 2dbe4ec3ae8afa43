#pragma once

#include <QString>
#include <memory>

#include "toolkit/CVerticalLayoutUI.h"

class ProfileList;
namespace toolkit {
class CComboUI;
class CControlUI;
class COptionUI;
}  // namespace toolkit

// A device page's profile panel: the combo of the device's profiles, the
// name edit, the fold-out menu of profile commands and the strip of function
// tabs. It keeps the device's profile list and profile files (ProfileList).
class CDeviceProfileUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  static constexpr int kTabCount = 8;

  explicit CDeviceProfileUI(QWidget* parent = nullptr);
  ~CDeviceProfileUI() override;
  QString GetClass() const override { return QStringLiteral("DeviceProfile"); }

  // 1 keyboard, 2 mouse, 3 mouse pad, 4 and 5 further kinds, 7 headset.
  void SetDeviceKind(int kind) { kind_ = kind; }
  int GetDeviceKind() const { return kind_; }
  // The device's data folder and its template profile.
  void SetFolders(const QString& deviceFolder, const QString& templatePath);
  void InitProfileList();
  void SelectProfile(int index, bool notify);
  int GetSelectedIndex() const;
  QString GetSelectedId() const;
  int GetProfileCount();
  QString GetProfilePathAt(int index) const;
  QString GetNameEditText() const;
  void SetNameEditText(const QString& text);
  void ShowProfileMenu(bool show);
  bool IsProfileMenuShown() const;
  // 1..8 selects that tab alone; any other value none.
  void SelectTab(int tab);

  // The profile commands; each returns whether it changed anything.
  bool NewProfile();
  bool CopyProfile();
  bool DeleteProfile();
  // 1 renamed, 0 the name is taken, 2 blank.
  int RenameProfile(const QString& name);
  bool ImportProfile(const QString& path);
  bool ExportProfile(const QString& path);
  bool ResetProfile();

  ProfileList* List() const { return list_.get(); }

 private:
  toolkit::CControlUI* Sub(const char* name) const;
  toolkit::CComboUI* Combo() const;
  void AddComboItem(const QString& name);
  void HideUnusedTabs();

  int kind_ = 0;
  QString folder_;
  QString templatePath_;
  std::unique_ptr<ProfileList> list_;
};
