#include "app/SettingsWindowCommands.h"

#include <QPointer>

#include "app/LanguageCommands.h"
#include "app/VersionList.h"
#include "platform/DataFolders.h"
#include "settings/LastCheckDate.h"
#include "toolkit/CWindowWnd.h"
#include "ui/CSetWnd.h"

SettingsWindowCommands::SettingsWindowCommands(FeatureHost& window, LanguageCommands& language,
                                               std::function<void(toolkit::CWindowWnd*)> remember,
                                               std::function<toolkit::UINT()> closeMessage)
    : window_(window), language_(language), remember_(std::move(remember)),
      closeMessage_(closeMessage) {
  window_.SetRouteHandler(RouteOwner::SettingsWindow, [this](const RouteCall& call) { OnRoute(call); });
}

void SettingsWindowCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("click"))
    Open(false);
  else if (call.type == QLatin1String("message"))
    Open(true);
}

void SettingsWindowCommands::Open(bool centred) {
  if (open_ != nullptr)
    return;
  toolkit::CWindowWnd& owner = window_.DialogOwner();
  auto* settings = new CSetWnd;
  if (!settings->Create(&owner, QStringLiteral("SetWnd"), toolkit::WS_POPUP,
                        toolkit::WS_EX_TOOLWINDOW, 0, 0, CSetWnd::kWidth, CSetWnd::kHeight)) {
    settings->deleteLater();
    return;
  }
  const int dpi = window_.DialogDpi();
  settings->SetDpi(dpi);
  settings->SetOwner(owner.GetHWND(), language_.LanguageIndex());
  settings->SetLanguages(language_.Languages());
  settings->SetVersionEntries(
      VersionList::Build(VersionList::SelectorsOf(window_.Pages()), QStringLiteral(TRAVIX_VERSION)));
  settings->SetLastCheckFile(
      platform::DataFolders::UserDataDir() + QLatin1String(LastCheckDate::kFileName), today_);
  if (closeMessage_)
    settings->SetCloseMessage(closeMessage_());
  if (centred) {
    settings->CenterWindow();
  } else {
    const QRect frame = owner.frameGeometry();
    const int scaledRight = 30 * dpi / 96;
    const int scaledTop = 60 * dpi / 96;
    settings->move(frame.right() - scaledRight - settings->width(), frame.top() + scaledTop);
  }
  open_ = settings;
  QPointer<CSetWnd> guard(settings);
  if (remember_)
    remember_(settings);
  if (shown_)
    QMetaObject::invokeMethod(settings, [this, guard] {
      if (guard != nullptr && shown_)
        shown_(*guard);
    }, Qt::QueuedConnection);
  settings->ShowModal();
  if (remember_)
    remember_(nullptr);
  open_ = nullptr;
}
