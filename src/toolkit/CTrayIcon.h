#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <memory>

#include "toolkit/UIDefines.h"

namespace toolkit {

// The program's icon in the desktop's notification area. Clicks reach the
// receiving window as a posted message (UIMSG_TRAYICON unless another is
// given) with the icon id in wParam and the mouse message in lParam:
// WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK or WM_MBUTTONUP.
class CTrayIcon : public QObject {
  Q_OBJECT
 public:
  CTrayIcon();
  ~CTrayIcon() override;

  // Whether the desktop shows notification-area icons at all; without one a
  // window that hides itself into the tray could never come back.
  static bool IsSystemTrayAvailable();

  void CreateTrayIcon(platform::WindowHandle receiver, UINT iconId, const QString& toolTip = {},
                      UINT message = 0);
  void DeleteTrayIcon();
  bool IsCreated() const { return icon_ != nullptr; }
  void SetTooltipText(const QString& text);
  // A menu the desktop shows itself on a right click (where it does so, the
  // click may never reach the program). Not owned.
  void SetContextMenu(QMenu* menu);
  bool HasContextMenu() const { return menu_ != nullptr; }
  QString GetTooltipText() const;

  // The mouse message a click of the given kind is reported with.
  static LPARAM MouseMessageFor(QSystemTrayIcon::ActivationReason reason);
  // Reports a click exactly as the desktop's would.
  void ReportActivation(QSystemTrayIcon::ActivationReason reason);

 private:
  std::unique_ptr<QSystemTrayIcon> icon_;
  QPointer<QMenu> menu_;
  platform::WindowHandle receiver_ = 0;
  UINT iconId_ = 0;
  UINT message_ = UIMSG_TRAYICON;
};

}  // namespace toolkit
