#include "app/MacroCommands.h"

#include <QCursor>
#include <QFileInfo>

#include "app/UserFileDialog.h"
#include "devices/CVarnisUSBDevice.h"
#include "macros/MacroLibrary.h"
#include "platform/DebugChannel.h"
#include "platform/HookRecords.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/ProfileList.h"
#include "toolkit/CMenuWnd.h"
#include "toolkit/CWindowWnd.h"
#include "ui/CDeviceProfileUI.h"
#include "ui/CMacroControlUI.h"
#include "ui/CMsgWnd.h"

namespace {

// The recording items of the action list's menu: capture mode and timing
// (0: as the fixed-delay option says).
struct RecordItem {
  const char* name;
  int mode;
  int timing;
};
constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", 8, 0}, {"redio_previous_constant_time", 8, 2},
    {"redio_previous_ignore_time", 8, 3}, {"redio_later_record_time", 16, 0},
    {"redio_later_constant_time", 16, 2}, {"redio_later_ignore_time", 16, 3},
    {"macro_action_edit", 32, 3},
};

// The insertion items: the button's press and release messages, and the
// extra button's variant (0 forward, 1 back).
struct ButtonItem {
  const char* prefix;
  uint32_t down;
  uint32_t up;
  int variant;
};
constexpr ButtonItem kButtonItems[] = {
    {"left", platform::kHookLeftDown, platform::kHookLeftUp, 0},
    {"middle", platform::kHookMiddleDown, platform::kHookMiddleUp, 0},
    {"right", platform::kHookRightDown, platform::kHookRightUp, 0},
    {"forward", platform::kHookExtraDown, platform::kHookExtraUp, 0},
    {"back", platform::kHookExtraDown, platform::kHookExtraUp, 1},
};

constexpr const char* kMoveButtons[] = {"macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn",
                                        "macro_inset_moveupkey_btn", "macro_inset_movedownkey_btn"};

// Where a recorded key or button goes, by the message it came with.
std::optional<macros::Placement> PlacementOf(const QString& message, bool& mouse) {
  static const struct {
    const char* name;
    macros::Placement placement;
    bool mouse;
  } kMessages[] = {
      {"WM_HOOK_KEY_KBMACRO_MSG", macros::Placement::Append, false},
      {"WM_HOOK_KEY_KBMACROPREVIOUS_MSG", macros::Placement::Before, false},
      {"WM_HOOK_KEY_KBMACROLATER_MSG", macros::Placement::After, false},
      {"WM_HOOK_KEY_KBMACROSINGLE_MSG", macros::Placement::Replace, false},
      {"WM_HOOK_KEY_MSMACRO_MSG", macros::Placement::Append, true},
      {"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", macros::Placement::Before, true},
      {"WM_HOOK_KEY_MSMACROLATER_MSG", macros::Placement::After, true},
      {"WM_HOOK_KEY_MSMACROSINGLE_MSG", macros::Placement::Replace, true},
  };
  for (const auto& entry : kMessages)
    if (message == QLatin1String(entry.name)) {
      mouse = entry.mouse;
      return entry.placement;
    }
  return std::nullopt;
}

constexpr int kAppendMode = 4;

}  // namespace

MacroCommands::MacroCommands(FeatureHost& window) : window_(window) {
  chooser_ = [this](bool save) {
    const QString filter = QString::fromLatin1(kFileFilter);
    return save ? user_file_dialog::ChooseFileToWrite(&window_.DialogOwner(), filter, QStringLiteral("mac"))
                : user_file_dialog::ChooseFileToRead(&window_.DialogOwner(), filter);
  };
  window_.SetRouteHandler(RouteOwner::Macros, [this](const RouteCall& call) { OnRoute(call); });
}

CVarnisUSBDevice* MacroCommands::CurrentDevice() const {
  CVarnisUSBDevice* device = window_.CurrentDevice();
  return device != nullptr && device->MacroPanel() != nullptr ? device : nullptr;
}

CMacroControlUI* MacroCommands::Panel() const {
  CVarnisUSBDevice* device = CurrentDevice();
  return device != nullptr ? device->MacroPanel() : nullptr;
}

int MacroCommands::Ask(const QString& languageId, int buttons) {
  if (question_)
    return question_(languageId, true, buttons);
  return ShowMessageBox(&window_.DialogOwner(), {}, languageId, window_.DialogDpi(), true, buttons);
}

void MacroCommands::OnRoute(const RouteCall& call) {
  CVarnisUSBDevice* device = CurrentDevice();
  CMacroControlUI* panel = device != nullptr ? device->MacroPanel() : nullptr;
  if (call.type == QLatin1String("message")) {
    if (call.name == QLatin1String("0x041E")) {
      // An outside request to stop (0) or start (1) the recording capture.
      if (call.wParam == 0)
        window_.SetHookState(kAppendMode, false);
      else if (call.wParam == 1)
        window_.SetHookState(kAppendMode, true);
      return;
    }
    if (panel == nullptr)
      return;
    if (call.name == QLatin1String("0x0479")) {
      if (call.wParam != 0)
        OnMenuCommand(*panel, reinterpret_cast<const toolkit::MenuCmd*>(call.wParam)->szName);
      return;
    }
    OnHookMessage(*panel, call.name, call);
    return;
  }
  if (panel == nullptr)
    return;
  const QString& name = call.name;
  auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
  if (call.type == QLatin1String("click")) {
    OnClick(*device, *panel, name);
  } else if (call.type == QLatin1String("itemselect") && is("macro_name_list")) {
    panel->ShowMacro();
  } else if (call.type == QLatin1String("killfocus") && is("macro_delay")) {
    panel->OnDelayEdited(call.notification != nullptr ? call.notification->pSender : nullptr);
    panel->SaveMacroFile();
  } else if ((call.type == QLatin1String("itemactivate") || call.type == QLatin1String("menu")) &&
             !panel->IsRecording()) {
    const QPoint where = call.notification != nullptr && call.type == QLatin1String("menu")
                             ? call.notification->ptMouse
                             : QCursor::pos();
    ShowMenu(where);
  }
}

void MacroCommands::ShowMenu(QPoint where) {
  if (toolkit::CMenuWnd::CreateMenu(QString::fromLatin1(kMenuFile), where,
                           window_.DialogOwner().GetHWND()) == nullptr)
    platform::DebugPrint("macro menu could not be built: %s", kMenuFile);
}

void MacroCommands::OnClick(CVarnisUSBDevice& device, CMacroControlUI& panel, const QString& name) {
  auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
  using Move = CMacroControlUI::Move;
  if (is("macro_btn_starredio")) {
    StartRecording(kAppendMode, panel.FixedDelayChosen() ? 2 : 1);
  } else if (is("macro_btn_stopredio")) {
    StopRecording();
  } else if (is("macro_btn_name_add")) {
    if (panel.NewMacro())
      device.ReloadMacroNames();
  } else if (is("macro_btn_name_sub")) {
    DeleteMacro();
  } else if (is("macro_btn_name_edit")) {
    Rename(device, panel);
  } else if (is("macro_btn_save")) {
    panel.SaveMacroFile();
  } else if (is("macro_btn_cancel")) {
    panel.ShowMacro();
  } else if (is("macro_btn_import")) {
    Import(device, panel);
  } else if (is("macro_btn_export")) {
    Export(panel);
  } else {
    if (is("macro_btn_up"))
      panel.MoveSelectedRow(Move::Up);
    else if (is("macro_btn_down"))
      panel.MoveSelectedRow(Move::Down);
    else if (is("macro_btn_uptop"))
      panel.MoveSelectedRow(Move::Top);
    else if (is("macro_btn_downbottom"))
      panel.MoveSelectedRow(Move::Bottom);
    else if (is("macro_btn_delete"))
      panel.DeleteSelectedRow();
    else if (is("macro_btn_deleteall"))
      panel.DeleteAllRows();
    else {
      int direction = -1;
      for (int i = 0; i < 4; ++i)
        if (is(kMoveButtons[i]))
          direction = i;
      if (direction < 0)
        return;
      panel.InsertMove(direction);
    }
    panel.SaveMacroFile();
  }
}

void MacroCommands::OnMenuCommand(CMacroControlUI& panel, const QString& name) {
  if (panel.IsRecording())
    return;
  for (const RecordItem& item : kRecordItems)
    if (name == QLatin1String(item.name)) {
      StartRecording(item.mode, item.timing != 0 ? item.timing : panel.FixedDelayChosen() ? 2 : 1);
      return;
    }
  for (const ButtonItem& item : kButtonItems) {
    const QString prefix = QLatin1String(item.prefix);
    if (name == prefix + QLatin1String("_down")) {
      panel.InsertMouseAction(item.down, item.variant);
    } else if (name == prefix + QLatin1String("_up")) {
      panel.InsertMouseAction(item.up, item.variant);
    } else if (name == prefix + QLatin1String("_click")) {
      panel.InsertMouseAction(item.down, item.variant);
      panel.InsertMouseAction(item.up, item.variant);
    } else {
      continue;
    }
    panel.SaveMacroFile();
    return;
  }
}

void MacroCommands::OnHookMessage(CMacroControlUI& panel, const QString& name, const RouteCall& call) {
  bool mouse = false;
  const std::optional<macros::Placement> placement = PlacementOf(name, mouse);
  if (!placement || !panel.IsRecording() || call.lParam == 0)
    return;
  const auto message = static_cast<uint32_t>(call.wParam);
  // The click that ends a recording is not part of the macro.
  if (mouse && panel.IsOverStopButton(QCursor::pos()))
    return;
  if (mouse)
    panel.OnRecordedButton(*placement, message,
                           *reinterpret_cast<const platform::MouseHookRecord*>(call.lParam));
  else
    panel.OnRecordedKey(*placement, message,
                        *reinterpret_cast<const platform::KeyHookRecord*>(call.lParam));
}

void MacroCommands::StartRecording(int mode, int timing) {
  CVarnisUSBDevice* device = CurrentDevice();
  CMacroControlUI* panel = device != nullptr ? device->MacroPanel() : nullptr;
  if (panel == nullptr || panel->IsRecording() || panel->SelectedMacro() < 0)
    return;
  panel->StartRecording(timing);
  recordingDevice_ = device;
  if (!window_.SetHookState(mode, true)) {
    // Nothing can be captured: the editor is not left locked.
    panel->StopRecording();
    recordingDevice_.clear();
  }
}

void MacroCommands::StopRecording() {
  CVarnisUSBDevice* device = recordingDevice_ ? recordingDevice_.data() : CurrentDevice();
  recordingDevice_.clear();
  window_.SetHookState(kAppendMode, false);
  CMacroControlUI* panel = device != nullptr ? device->MacroPanel() : nullptr;
  if (panel == nullptr || !panel->IsRecording())
    return;
  panel->StopRecording();
  panel->SaveMacroFile();
}

void MacroCommands::Rename(CVarnisUSBDevice& device, CMacroControlUI& panel) {
  switch (panel.RenameMacro()) {
    case macros::MacroLibrary::Rename::Done:
      device.ReloadMacroNames();
      break;
    case macros::MacroLibrary::Rename::Duplicate:
      Ask(QStringLiteral("message_text_5"), 0);
      break;
    case macros::MacroLibrary::Rename::Ignored:
    case macros::MacroLibrary::Rename::Failed:
      break;
  }
}

void MacroCommands::Import(CVarnisUSBDevice& device, CMacroControlUI& panel) {
  const QString path = chooser_(false);
  if (!path.isEmpty() && panel.ImportMacro(path))
    device.ReloadMacroNames();
}

void MacroCommands::Export(CMacroControlUI& panel) {
  if (panel.SelectedMacro() < 0)
    return;
  QString path = chooser_(true);
  if (path.isEmpty())
    return;
  // The desktop's save dialog does not add the suffix of the filter.
  if (QFileInfo(path).suffix().isEmpty())
    path += QLatin1String(".mac");
  panel.ExportMacro(path);
}

void MacroCommands::DeleteMacro() {
  CVarnisUSBDevice* device = CurrentDevice();
  CMacroControlUI* panel = device != nullptr ? device->MacroPanel() : nullptr;
  if (panel == nullptr || panel->SelectedMacro() < 0)
    return;
  const int deleted = panel->SelectedMacro();
  if (Ask(QStringLiteral("message_text_4"), 1) != 1)
    return;
  // Asked before anything is written: declining leaves every profile as it
  // was, so no key of another profile points at a shifted macro.
  std::vector<KeyListEntry> current = device->CurrentKeyList();
  if (macros::RefersToMacro(current, deleted) && Ask(QStringLiteral("message_text_2"), 1) != 1)
    return;

  // The profiles that are not selected: their key assignments follow the
  // list positions.
  CBasicProfiledata* profile = device->ProfileData();
  CDeviceProfileUI* profiles = device->ProfilePanel();
  if (profile != nullptr && profiles != nullptr && profiles->List() != nullptr) {
    ProfileList& list = *profiles->List();
    const int selected = list.Selected();
    for (int i = 0; i < static_cast<int>(list.Entries().size()); ++i) {
      if (i == selected)
        continue;
      const QString path = list.PathAt(i);
      if (path.isEmpty() || profile->LoadOtherProfile(path).isNull())
        continue;
      std::vector<KeyListEntry> keys = profile->GetOtherKeyList();
      if (!macros::RenumberAfterDelete(keys, deleted))
        continue;
      profile->SetOtherKeyList(keys);
      profile->SaveOtherProfile(path);
    }
  }
  const bool currentChanged = macros::RenumberAfterDelete(current, deleted);
  if (currentChanged)
    device->ReplaceKeyList(current);

  panel->RemoveSelectedMacro();
  device->ReloadMacroNames();
  if (currentChanged) {
    device->SaveProfile();
    device->DownloadMacros(device->GetUsedMacros());
    device->DownloadKeys(0);
  }
}
