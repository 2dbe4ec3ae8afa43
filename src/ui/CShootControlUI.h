#pragma once

#include <QPointer>
#include <QString>
#include <array>

#include "recoil/RecoilPatternFiles.h"
#include "toolkit/CVerticalLayoutUI.h"

namespace toolkit {
class CEditUI;
class COptionUI;
class CTabLayoutUI;
}  // namespace toolkit

// The mouse page's recoil panel: four guns, each a pattern of 30 bullets;
// per bullet the move of the pointer after the shot (a direction and a
// distance each way) and the wait before the next one. The panel shows the
// selected bullet of the selected gun and writes it back to the gun's
// pattern file; the page routes the notifications of its controls to the
// operations below (the panel listens to none itself).
//
// Until InitRecoilPanel no bullet is selected and the operations that need
// the pattern files do nothing. A control the skin lacks is left alone.
class CShootControlUI : public toolkit::CVerticalLayoutUI {
  Q_OBJECT
 public:
  explicit CShootControlUI(QWidget* parent = nullptr);
  ~CShootControlUI() override;
  QString GetClass() const override { return QStringLiteral("ShootControl"); }

  // Takes the pattern files of the mouse in `deviceFolder` (the factory
  // patterns in `factoryFolder`), repairs or completes each gun's file, and
  // shows bullet 1 of gun 1.
  void InitRecoilPanel(const QString& deviceFolder, const QString& factoryFolder);

  // Gun `n` (0 ... 3, held to that range): its option, its picture and its
  // file's selected bullet. Raises no notification.
  void SelectGun(int n);
  // Bullet `n` (0 ... 29, held to that range): its option, its number
  // (counted from 1), and its values in the editor.
  void SelectBullet(int n);
  // The bullet before / after the selected one; the first and the last stay.
  void SelectPrevious();
  void SelectNext();

  // Shows the selected bullet of the selected gun's file in the editor: the
  // direction options (selected for left and for up) named after their
  // direction, and the distances and the delay. Nothing while no bullet is
  // selected.
  void LoadBullet();
  // Writes the editor's values as the selected bullet of the selected gun.
  // A text that is no number counts as 0; distances are held to 0 ... 255
  // and the delay to 0 ... 65535, and an edit whose text was not the value
  // taken is set to it. False, nothing written, while no bullet is selected
  // or when the file could not be written.
  bool SaveBullet();
  // The direction option `optionName` ("bullet_x_check" or "bullet_y_check")
  // was clicked: it names its new direction. The file takes it with the
  // next SaveBullet.
  void OnDirectionToggled(const QString& optionName);

  // The selected gun's pattern: the factory one, one read from `path`, or
  // a copy of it written to `path`. Reset and a successful import show the
  // selected bullet again.
  bool ResetGun();
  recoil::RecoilPatternFiles::ImportResult ImportGun(const QString& path);
  bool ExportGun(const QString& path) const;

  int SelectedGun() const { return selectedGun_; }
  // -1 until the first selection.
  int SelectedBullet() const { return selectedBullet_; }
  // The pattern files. Until InitRecoilPanel they name no folder: nothing
  // reads or writes, and the image holds four guns without events.
  recoil::RecoilPatternFiles& Files() { return files_; }
  const recoil::RecoilPatternFiles& Files() const { return files_; }
  // Whether the skin had every control of the panel at InitRecoilPanel.
  bool AllControlsFound() const { return allControlsFound_; }

  void DoInit() override;

 private:
  struct Controls {
    std::array<QPointer<toolkit::COptionUI>, recoil::kGunCount> guns;
    QPointer<toolkit::CTabLayoutUI> pictures;
    std::array<QPointer<toolkit::COptionUI>, recoil::kBulletCount> bullets;
    QPointer<toolkit::CControlUI> bulletNumber;
    QPointer<toolkit::CControlUI> previous;
    QPointer<toolkit::CControlUI> next;
    QPointer<toolkit::COptionUI> horizontalDirection;
    QPointer<toolkit::COptionUI> verticalDirection;
    QPointer<toolkit::CEditUI> horizontalDistance;
    QPointer<toolkit::CEditUI> verticalDistance;
    QPointer<toolkit::CEditUI> delay;
    QPointer<toolkit::CControlUI> editor;
    QPointer<toolkit::CControlUI> saveButton;
    QPointer<toolkit::CControlUI> resetButton;
    QPointer<toolkit::CControlUI> importButton;
    QPointer<toolkit::CControlUI> exportButton;
  };

  // Looks the controls up by name; true when all are there.
  bool FindControls();
  void ShowDirections(bool left, bool up);
  void NameHorizontalDirection();
  void NameVerticalDirection();

  Controls controls_;
  int selectedGun_ = 0;
  int selectedBullet_ = -1;
  bool allControlsFound_ = false;
  bool filesReady_ = false;
  recoil::RecoilPatternFiles files_{QString(), QString()};
};
