#include "app/KeyAssignmentCommands.h"

#include <QFile>

#include "devices/CVarnisKeyboardDevice.h"
#include "keys/KeyTables.h"
#include "platform/HookRecords.h"
#include "platform/DebugChannel.h"
#include "profiles/JsonFile.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "ui/CKeySetControlUI.h"
#include "ui/CMsgWnd.h"


KeyAssignmentCommands::KeyAssignmentCommands(FeatureHost& window) : window_(window) {
  window_.SetRouteHandler(RouteOwner::KeyAssignment, [this](const RouteCall& call) { OnRoute(call); });
}

CVarnisKeyboardDevice* KeyAssignmentCommands::CurrentKeyboard() const {
  return qobject_cast<CVarnisKeyboardDevice*>(window_.CurrentDevice());
}

CKeySetControlUI* KeyAssignmentCommands::Panel() const {
  CVarnisKeyboardDevice* keyboard = CurrentKeyboard();
  return keyboard != nullptr ? keyboard->KeyPanel() : nullptr;
}

void KeyAssignmentCommands::Tell(const char* textId) {
  ShowMessageBox(&window_.DialogOwner(), {}, QString::fromLatin1(textId), window_.DialogDpi(), true, 0);
}

void KeyAssignmentCommands::SelectKey(CVarnisKeyboardDevice& keyboard, int position) {
  // A profile that cannot be read would be overwritten with what the page
  // holds: the click is ignored.
  const QString path = keyboard.ProfilePath();
  if (path.isEmpty() || !JsonFile().ReadJson(path).isObject()) {
    platform::DebugPrint("key %d: the profile cannot be read; not selected", position);
    return;
  }
  if (position < 0 || position >= static_cast<int>(keyboard.KeyList().size()))
    return;
  keyboard.SelectKey(position);
  if (CKeySetControlUI* panel = keyboard.KeyPanel())
    panel->LoadKey(keyboard.KeyList()[static_cast<size_t>(position)], keyboard.IsFnLayer());
}

void KeyAssignmentCommands::Apply() {
  if (CVarnisKeyboardDevice* keyboard = CurrentKeyboard())
    Apply(*keyboard);
}

void KeyAssignmentCommands::Default() {
  if (CVarnisKeyboardDevice* keyboard = CurrentKeyboard())
    Default(*keyboard);
}

void KeyAssignmentCommands::Cancel() {
  CKeySetControlUI* panel = Panel();
  if (panel == nullptr)
    return;
  panel->ShowRecord(panel->Entry().Normal);
  panel->SetModified(false);
}

void KeyAssignmentCommands::Save() {
  if (CVarnisKeyboardDevice* keyboard = CurrentKeyboard())
    Save(*keyboard);
}

void KeyAssignmentCommands::Apply(CVarnisKeyboardDevice& keyboard) {
  CKeySetControlUI* panel = keyboard.KeyPanel();
  if (panel == nullptr || keyboard.GetSelectedKey() < 0)
    return;
  keyboard.SetKeyAssignment(panel->BuildRecord());
  keyboard.RefreshKeyLabels();
  panel->SetModified(true);
}

void KeyAssignmentCommands::Default(CVarnisKeyboardDevice& keyboard) {
  CKeySetControlUI* panel = keyboard.KeyPanel();
  if (panel == nullptr)
    return;
  panel->ShowRecord(panel->Entry().Default);
  Apply(keyboard);
  Save(keyboard);
}

void KeyAssignmentCommands::Save(CVarnisKeyboardDevice& keyboard) {
  CKeySetControlUI* panel = keyboard.KeyPanel();
  if (panel == nullptr)
    return;
  const int overflow = keyboard.DownloadMacros(keyboard.GetUsedMacros());
  if (overflow > 0) {
    const QString text =
        toolkit::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_16"));
    ShowMessageBox(&window_.DialogOwner(), {},
                   QString(text).replace(QStringLiteral("%d"), QString::number(overflow)),
                   window_.DialogDpi(), false, 0);
    if (retrying_) {
      // Still too large after the key was reset: stop, the panel stays
      // modified.
      return;
    }
    retrying_ = true;
    Default(keyboard);
    retrying_ = false;
    return;
  }
  if (overflow == -1)
    Tell("message_text_7");
  keyboard.DownloadKeys(0);
  keyboard.SaveProfile();
  keyboard.MarkSavedKeyButtons();
  panel->SetModified(false);
}

void KeyAssignmentCommands::OnLeavingDevice(CVarnisUSBDevice* device) {
  auto* keyboard = qobject_cast<CVarnisKeyboardDevice*>(device);
  CKeySetControlUI* panel = keyboard != nullptr ? keyboard->KeyPanel() : nullptr;
  if (panel == nullptr || !panel->IsModified())
    return;
  // Applied keys live in memory only until they are saved to the device;
  // leaving the page asks, so they are not forgotten. Not now: they stay
  // applied and the panel stays modified.
  if (ShowMessageBox(&window_.DialogOwner(), {}, QStringLiteral("keyset_unsaved_question"),
                     window_.DialogDpi(), true, 1) == 1)
    Save(*keyboard);
}

void KeyAssignmentCommands::OnCapturedKey(platform::WParam message, platform::LParam record) {
  // Presses only: taking releases too would turn Right Alt + A into a key
  // with no modifier once Right Alt goes up after A.
  if (record == 0 || (message != platform::kHookKeyDown && message != platform::kHookSysKeyDown))
    return;
  CKeySetControlUI* panel = Panel();
  if (panel == nullptr)
    return;
  const auto& key = *reinterpret_cast<const platform::KeyHookRecord*>(record);
  const auto row = keys::FindCapturedKey(key.scanCode, key.flags);
  if (!row || !panel->OnCapturedKeyRow(*row))
    return;
  Apply();
}

void KeyAssignmentCommands::OnRoute(const RouteCall& call) {
  if (call.type == QLatin1String("message")) {
    if (call.name == QLatin1String("WM_HOOK_KEY_SINGLEKEY_MSG"))
      OnCapturedKey(call.wParam, call.lParam);
    return;
  }
  CVarnisKeyboardDevice* keyboard = CurrentKeyboard();
  CKeySetControlUI* panel = Panel();
  if (keyboard == nullptr || panel == nullptr) {
    // The capture never outlives the panel that asked for it.
    if (call.type == QLatin1String("killfocus") &&
        call.name.compare(QLatin1String("keyset_keyboard_text_edit"), Qt::CaseInsensitive) == 0)
      window_.SetHookState(kSingleKeyMode, false);
    return;
  }
  const QString& name = call.name;
  auto is = [&name](const char* text) { return name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0; };
  if (call.type == QLatin1String("click")) {
    if (name.startsWith(QLatin1String("key_"), Qt::CaseInsensitive) && call.index >= 0)
      SelectKey(*keyboard, call.index);
    else if (is("key_butt_keysave"))
      Apply();
    else if (is("key_butt_keydefalut"))
      Default();
    else if (is("key_butt_keycancel"))
      Cancel();
    else if (is("key_butt_prosave"))
      Save();
  } else if (call.type == QLatin1String("itemselect")) {
    if (is("keyset_function_combo"))
      panel->OnFunctionChosen();
    else if (is("keyset_macro_over_combo"))
      panel->OnRunModeChosen();
  } else if (call.type == QLatin1String("setfocus")) {
    if (is("keyset_keyboard_text_edit")) {
      panel->ShowCaptureReach(window_.CaptureReachesDesktop());
      window_.SetHookState(kSingleKeyMode, true);
    }
  } else if (call.type == QLatin1String("killfocus") && is("keyset_keyboard_text_edit")) {
    window_.SetHookState(kSingleKeyMode, false);
  } else if (call.type == QLatin1String("itemselect-refresh") ||
             call.type == QLatin1String("killfocus")) {
    Apply();
  } else if (call.type == QLatin1String("selectchanged")) {
    if (!OptionSelected(call))
      return;
    if (name.startsWith(QLatin1String("keyboard_key_"), Qt::CaseInsensitive))
      panel->SelectPickerKey(call.index);
    else
      panel->SelectModifier(call.index);
    Apply();
  }
}
