#pragma once

#include <QObject>
#include <memory>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "toolkit/UIDefines.h"

class QMenu;
class QAction;

namespace toolkit {

// What a chosen menu item carries.
struct MenuCmd {
  QString szName;
  QString szUserData;
  QString szText;
  bool bChecked = false;
};

// A pop-up menu built from a skin file:
//   <Menu><MenuElement name="exit" text="..." resourcetext="true"/> ...</Menu>
// (MenuElement may nest for sub-menus; <MenuSeparator/> draws a line). A
// chosen item is sent to the owner window as WM_MENUCLICK with a MenuCmd* in
// wParam; the record belongs to the menu and lives for the call.
class CMenuWnd : public QObject {
  Q_OBJECT
 public:
  // Builds and pops up the menu at a screen point. Null when the file cannot
  // be read. The menu deletes itself when it closes.
  static CMenuWnd* CreateMenu(const QString& xmlFile, QPoint point, platform::WindowHandle owner);

  // Builds the menu without showing it, for a caller that keeps it (the
  // notification area's own menu). Null when the file cannot be read.
  static std::unique_ptr<CMenuWnd> BuildMenu(const QString& xmlFile, platform::WindowHandle owner);

  ~CMenuWnd() override;
  QMenu* Menu() const { return menu_; }
  const QStringList& Errors() const { return errors_; }
  // Chooses the item of that name as a click would; false when there is none.
  bool ChooseItem(const QString& name);

 private:
  CMenuWnd(platform::WindowHandle owner, bool closesItself);
  bool Load(const QString& xmlFile);
  void Chosen(QAction* action);

  QMenu* menu_ = nullptr;
  platform::WindowHandle owner_;
  QStringList errors_;
};

}  // namespace toolkit
