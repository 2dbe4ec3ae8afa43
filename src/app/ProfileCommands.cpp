#include "app/ProfileCommands.h"

#include <QFile>

#include "app/DevicePageSet.h"
#include "app/ShellState.h"
#include "app/UserFileDialog.h"
#include "devices/CVarnisUSBDevice.h"
#include "platform/DataFolders.h"
#include "toolkit/CResourceManager.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CMsgWnd.h"

namespace {

constexpr const char* kTabs[] = {"deng_Op_tab",   "key_Op_tab",        "macro_Op_tab",
                                 "system_Op_tab", "cursor_Op_tab",     "6533_voice_Op_tab",
                                 "magic_Op_tab",  "Virtual7.1_Op_tab"};

}  // namespace

ProfileCommands::ProfileCommands(FeatureHost& window) : window_(window) {
  chooser_ = [this](bool save) {
    const QString filter = QString::fromLatin1(kFileFilter);
    return save ? user_file_dialog::ChooseFileToWrite(&window_.DialogOwner(), filter, QStringLiteral("json"))
                : user_file_dialog::ChooseFileToRead(&window_.DialogOwner(), filter);
  };
  window_.SetRouteHandler(RouteOwner::Profiles,
                          [this](const RouteCall& call) { OnRoute(call); });
  window_.SetRouteHandler(RouteOwner::ProfilePanelTab,
                          [this](const RouteCall& call) { OnTab(call); });
}

int ProfileCommands::Ask(const QString& text, bool isLanguageId, int buttons) {
  if (question_)
    return question_(text, isLanguageId, buttons);
  // The box sets every window to the DPI it is given: the main window's
  // own, which follows the screen, keeps the windows as they are.
  return ShowMessageBox(&window_.DialogOwner(), {}, text, window_.DialogDpi(), isLanguageId,
                        buttons);
}

CDeviceProfileUI* ProfileCommands::PanelOf(CVarnisUSBDevice* device) const {
  return device != nullptr ? device->ProfilePanel() : nullptr;
}

bool ProfileCommands::Confirm(const char* languageId) {
  return Ask(QString::fromLatin1(languageId), true, 1) == 1;
}

void ProfileCommands::Tell(const QString& text, bool isLanguageId) {
  Ask(text, isLanguageId, 0);
}

void ProfileCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("click")) {
    OnClick(call.name);
  } else if (call.type == QLatin1String("timer")) {
    SwitchProfile(window_.CurrentDevice());
  } else if (call.type == QLatin1String("message")) {
    // A page's device changed its profile by itself: follow it.
    auto* device = reinterpret_cast<CVarnisUSBDevice*>(call.lParam);
    const auto all = window_.Pages().AllDevices();
    if (std::find(all.begin(), all.end(), device) == all.end())
      device = window_.CurrentDevice();
    CDeviceProfileUI* panel = PanelOf(device);
    if (panel == nullptr || static_cast<int>(call.wParam) >= panel->GetProfileCount())
      return;
    panel->SelectProfile(static_cast<int>(call.wParam), false);
    SwitchProfile(device);
  }
}

void ProfileCommands::OnTab(const RouteCall& call) {
  CDeviceProfileUI* panel = PanelOf(window_.CurrentDevice());
  if (panel == nullptr)
    return;
  for (int i = 0; i < CDeviceProfileUI::kTabCount; ++i)
    if (call.name.compare(QLatin1String(kTabs[i]), Qt::CaseInsensitive) == 0)
      panel->SelectTab(i + 1);
}

void ProfileCommands::OnClick(const QString& name) {
  CVarnisUSBDevice* device = window_.CurrentDevice();
  CDeviceProfileUI* panel = PanelOf(device);
  if (panel == nullptr)
    return;
  auto is = [&name](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
  if (is("profile_fun_spread_btn")) {
    panel->ShowProfileMenu(!panel->IsProfileMenuShown());
  } else if (is("device_add_btn")) {
    if (Confirm("message_text_27"))
      panel->NewProfile();
  } else if (is("device_copy_btn")) {
    if (Confirm("message_text_26"))
      panel->CopyProfile();
  } else if (is("device_sub_btn")) {
    if (panel->GetProfileCount() >= 2 && Confirm("message_text_29") && panel->DeleteProfile())
      SwitchProfile(device);
  } else if (is("device_profile_edit_save_btn")) {
    const QString text = panel->GetNameEditText();
    if (text.isEmpty())
      return;
    const int result = panel->RenameProfile(text);
    if (result == 2)
      Tell(QStringLiteral("message_text_25"), true);
    else if (result == 0)
      Tell(QStringLiteral("message_text_5"), true);
  } else if (is("device_import_btn")) {
    const QString path = chooser_(false);
    if (!path.isEmpty())
      panel->ImportProfile(path);
  } else if (is("device_export_btn")) {
    const QString path = chooser_(true);
    if (!path.isEmpty())
      panel->ExportProfile(path);
  } else if (is("device_reset_btn")) {
    if (Confirm("message_text_22"))
      ResetCurrentProfile(device);
  } else if (is("default_btn")) {
    if (!Confirm("message_text_22"))
      return;
    device->ResetToDefaults();
    device->DownloadKeys(0);
    device->WriteCurrentSettings();
  }
}

void ProfileCommands::SwitchProfile(CVarnisUSBDevice* device) {
  CDeviceProfileUI* panel = PanelOf(device);
  if (panel == nullptr)
    return;
  panel->SelectProfile(panel->GetSelectedIndex(), false);
  device->SetProfileId(panel->GetSelectedId());
  AfterProfileLoaded(device, true);
}

bool ProfileCommands::ResetCurrentProfile(CVarnisUSBDevice* device) {
  CDeviceProfileUI* panel = PanelOf(device);
  if (panel == nullptr)
    return false;
  // The stored colour choices go with the factory settings.
  QFile::remove(platform::DataFolders::UserDataDir() + kPaletteFile);
  if (!panel->ResetProfile())
    return false;
  AfterProfileLoaded(device, true);
  return true;
}

void ProfileCommands::AfterProfileLoaded(CVarnisUSBDevice* device, bool keysAndMacros) {
  device->ReapplyProfile();
  if (!keysAndMacros)
    return;
  const int overflow = device->DownloadMacros(device->GetUsedMacros());
  if (overflow > 0) {
    const QString text =
        toolkit::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_16"));
    Tell(QString(text).replace(QStringLiteral("%d"), QString::number(overflow)), false);
  } else if (overflow == -1) {
    Tell(QStringLiteral("message_text_7"), true);
  }
  device->DownloadKeys(0);
  device->CompleteReapply();
}
