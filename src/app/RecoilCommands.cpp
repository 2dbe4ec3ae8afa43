#include "app/RecoilCommands.h"

#include "app/UserFileDialog.h"
#include "devices/CVarnisMouseDevice.h"
#include "ui/CMsgWnd.h"
#include "ui/CShootControlUI.h"

namespace {

bool Is(const QString& name, const char* control) {
  return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

bool Starts(const QString& name, const char* prefix) {
  return name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

}  // namespace

RecoilCommands::RecoilCommands(FeatureHost& window) : window_(window) {
  chooser_ = [this](bool save) {
    const QString filter = QString::fromLatin1(kFileFilter);
    return save ? user_file_dialog::ChooseFileToWrite(&window_.DialogOwner(), filter, QStringLiteral("Shoot"))
                : user_file_dialog::ChooseFileToRead(&window_.DialogOwner(), filter);
  };
  window_.SetRouteHandler(RouteOwner::Recoil, [this](const RouteCall& call) { OnRoute(call); });
}

CVarnisMouseDevice* RecoilCommands::CurrentMouse() const {
  return qobject_cast<CVarnisMouseDevice*>(window_.CurrentDevice());
}

void RecoilCommands::Tell(const char* id) {
  if (teller_) {
    teller_(QLatin1String(id));
    return;
  }
  ShowMessageBox(&window_.DialogOwner(), {}, QLatin1String(id), window_.DialogDpi(), true, 0);
}

void RecoilCommands::OnRoute(const RouteCall& call) {
  CVarnisMouseDevice* mouse = CurrentMouse();
  CShootControlUI* panel = mouse != nullptr ? mouse->RecoilPanel() : nullptr;
  if (panel == nullptr)
    return;
  const QString& name = call.name;
  if (call.type == QLatin1String("click")) {
    if (Is(name, "shootdate_save_btn"))
      mouse->DownloadRecoil();
    else if (Is(name, "shootdate_reset_btn"))
      panel->ResetGun();
    else if (Is(name, "shootdate_import_btn"))
      Import(*panel);
    else if (Is(name, "shootdate_export_btn"))
      Export(*panel);
    else if (Is(name, "bullet_selected_prev"))
      panel->SelectPrevious();
    else if (Is(name, "bullet_selected_next"))
      panel->SelectNext();
  } else if (call.type == QLatin1String("selectchanged")) {
    if (Starts(name, "shoot_gun_op_")) {
      if (OptionSelected(call))
        panel->SelectGun(call.index);
    } else if (Starts(name, "bullet_op_")) {
      if (OptionSelected(call))
        panel->SelectBullet(call.index);
    } else if (Is(name, "bullet_x_check") || Is(name, "bullet_y_check")) {
      panel->OnDirectionToggled(name);
    }
  } else if (call.type == QLatin1String("killfocus")) {
    panel->SaveBullet();
  }
}

void RecoilCommands::Import(CShootControlUI& panel) {
  const QString path = chooser_ ? chooser_(false) : QString();
  if (path.isEmpty())
    return;
  switch (panel.ImportGun(path)) {
    case recoil::RecoilPatternFiles::ImportResult::Imported: break;
    case recoil::RecoilPatternFiles::ImportResult::NotAPattern: Tell(kImportRefusedText); break;
    case recoil::RecoilPatternFiles::ImportResult::Unreadable:
    case recoil::RecoilPatternFiles::ImportResult::WriteFailed: Tell(kImportFailedText); break;
  }
}

void RecoilCommands::Export(CShootControlUI& panel) {
  const QString path = chooser_ ? chooser_(true) : QString();
  if (path.isEmpty())
    return;
  if (!panel.ExportGun(path))
    Tell(kExportFailedText);
}
