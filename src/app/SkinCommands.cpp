#include "app/SkinCommands.h"

#include <QFileDialog>

#include "platform/DataFolders.h"
#include "settings/SkinRecord.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CWindowWnd.h"

SkinCommands::SkinCommands(FeatureHost& window) : window_(window) {
  chooser_ = [this] {
    // Owned by the main window, never by the pop-up, which is gone by now.
    return QFileDialog::getOpenFileName(
        &window_.DialogOwner(),
        toolkit::CResourceManager::GetInstance()->GetText(QStringLiteral("skin_file_title")), {},
        QStringLiteral("PNG (*.png);;* (*)"));
  };
  window_.SetRouteHandler(RouteOwner::SkinChooser, [this](const RouteCall&) { Open(); });
}

void SkinCommands::Open() {
  if (frame_ != nullptr && !frame_->IsDestroying())
    return;
  frame_ = CSkinFrame::Open(&window_.DialogOwner(), window_.FindControl(QStringLiteral("skinbtn")),
                            platform::DataFolders::UserDataDir() + QLatin1String(SkinRecord::kFileName),
                            chooser_);
}
