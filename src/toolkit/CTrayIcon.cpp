#include "toolkit/CTrayIcon.h"

#include <QApplication>
#include <QIcon>

#include "platform/WindowMessages.h"
#include "toolkit/CPaintManagerUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/SkinFileLocator.h"

namespace toolkit {

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() { DeleteTrayIcon(); }

bool CTrayIcon::IsSystemTrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void CTrayIcon::CreateTrayIcon(platform::WindowHandle receiver, UINT iconId,
                               const QString& toolTip, UINT message) {
  DeleteTrayIcon();
  receiver_ = receiver;
  iconId_ = iconId;
  message_ = message != 0 ? message : UIMSG_TRAYICON;
  QIcon icon;
  const QString file = CResourceManager::GetInstance()->GetIconPath(static_cast<int>(iconId));
  const QString path = SkinFileLocator::Locate(CPaintManagerUI::GetResourcePath(), file);
  if (!path.isEmpty())
    icon = QIcon(path);
  if (icon.isNull())
    icon = QApplication::windowIcon();
  icon_ = std::make_unique<QSystemTrayIcon>(icon);
  icon_->setToolTip(toolTip);
  connect(icon_.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::ReportActivation);
  if (menu_ != nullptr)
    icon_->setContextMenu(menu_);
  icon_->show();
}

void CTrayIcon::DeleteTrayIcon() {
  if (icon_) {
    icon_->hide();
    icon_.reset();
  }
}

void CTrayIcon::SetContextMenu(QMenu* menu) {
  menu_ = menu;
  if (icon_)
    icon_->setContextMenu(menu);
}

void CTrayIcon::SetTooltipText(const QString& text) {
  if (icon_)
    icon_->setToolTip(text);
}

QString CTrayIcon::GetTooltipText() const { return icon_ ? icon_->toolTip() : QString(); }

LPARAM CTrayIcon::MouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return platform::WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
      return platform::WM_RBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
      return platform::WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
      return 0x0208;  // WM_MBUTTONUP
    default:
      return 0;
  }
}

void CTrayIcon::ReportActivation(QSystemTrayIcon::ActivationReason reason) {
  const LPARAM mouse = MouseMessageFor(reason);
  if (mouse != 0 && receiver_ != 0)
    platform::PostWindowMessage(receiver_, message_, iconId_, mouse);
}

}  // namespace toolkit
