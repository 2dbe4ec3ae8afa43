#include "app/KeyAssignmentCommands.h"

#include <QFile>

#include "devices/CVarnisUSBDevice.h"
#include "keys/KeyFunctionChoice.h"
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

CVarnisUSBDevice* KeyAssignmentCommands::CurrentDevice() const {
  CVarnisUSBDevice* device = window_.CurrentDevice();
  return device != nullptr && device->KeyPanel() != nullptr ? device : nullptr;
}

CKeySetControlUI* KeyAssignmentCommands::Panel() const {
  CVarnisUSBDevice* device = CurrentDevice();
  return device != nullptr ? device->KeyPanel() : nullptr;
}

void KeyAssignmentCommands::Tell(const char* textId) {
  ShowMessageBox(&window_.DialogOwner(), {}, QString::fromLatin1(textId), window_.DialogDpi(), true, 0);
}

void KeyAssignmentCommands::SelectKey(CVarnisUSBDevice& device, int position) {
  // A profile that cannot be read would be overwritten with what the page
  // holds: the click is ignored.
  const QString path = device.ProfilePath();
  if (path.isEmpty() || !JsonFile().ReadJson(path).isObject()) {
    platform::DebugPrint("key %d: the profile cannot be read; not selected", position);
    return;
  }
  const std::vector<KeyListEntry> keyList = device.CurrentKeyList();
  if (position < 0 || position >= static_cast<int>(keyList.size()))
    return;
  // The last button with the left click keeps it: the mouse could no
  // longer click.
  CKeySetControlUI* panel = device.KeyPanel();
  if (panel->DeviceKind() == keys::PanelDevice::Mouse && keys::IsOnlyLeftClick(keyList, position)) {
    Tell("message_text_6");
    return;
  }
  device.SelectKey(position);
  panel->LoadKey(keyList[static_cast<size_t>(position)], device.IsFnLayer());
}

void KeyAssignmentCommands::Apply() {
  if (CVarnisUSBDevice* device = CurrentDevice())
    Apply(*device);
}

void KeyAssignmentCommands::Default() {
  if (CVarnisUSBDevice* device = CurrentDevice())
    Default(*device);
}

void KeyAssignmentCommands::Cancel() {
  CKeySetControlUI* panel = Panel();
  if (panel == nullptr)
    return;
  panel->ShowRecord(panel->Entry().Normal);
  panel->SetModified(false);
}

void KeyAssignmentCommands::Save() {
  if (CVarnisUSBDevice* device = CurrentDevice())
    Save(*device);
}

void KeyAssignmentCommands::Apply(CVarnisUSBDevice& device) {
  CKeySetControlUI* panel = device.KeyPanel();
  if (panel == nullptr || device.GetSelectedKey() < 0)
    return;
  device.SetKeyAssignment(panel->BuildRecord());
  device.RefreshKeyLabels();
  panel->SetModified(true);
}

void KeyAssignmentCommands::Default(CVarnisUSBDevice& device) {
  CKeySetControlUI* panel = device.KeyPanel();
  if (panel == nullptr)
    return;
  panel->ShowRecord(panel->Entry().Default);
  // Applied on the mouse as well, so that a save after it sends the
  // default; the keyboard saves at once.
  Apply(device);
  if (panel->DeviceKind() == keys::PanelDevice::Keyboard)
    Save(device);
}

void KeyAssignmentCommands::Save(CVarnisUSBDevice& device) {
  CKeySetControlUI* panel = device.KeyPanel();
  if (panel == nullptr)
    return;
  const int overflow = device.DownloadMacros(device.GetUsedMacros());
  if (overflow > 0) {
    const QString text =
        toolkit::CResourceManager::GetInstance()->GetText(QStringLiteral("message_text_16"));
    ShowMessageBox(&window_.DialogOwner(), {},
                   QString(text).replace(QStringLiteral("%d"), QString::number(overflow)),
                   window_.DialogDpi(), false, 0);
    if (panel->DeviceKind() == keys::PanelDevice::Mouse) {
      // The mouse's button goes back to its default; nothing more is sent.
      panel->ShowRecord(panel->Entry().Default);
      Apply(device);
      return;
    }
    if (retrying_) {
      // Still too large after the key was reset: stop, the panel stays
      // modified.
      return;
    }
    retrying_ = true;
    Default(device);
    retrying_ = false;
    return;
  }
  if (overflow == -1)
    Tell("message_text_7");
  device.DownloadKeys(0);
  device.SaveProfile();
  device.MarkSavedKeyButtons();
  panel->SetModified(false);
}

void KeyAssignmentCommands::OnLeavingDevice(CVarnisUSBDevice* device) {
  CKeySetControlUI* panel = device != nullptr ? device->KeyPanel() : nullptr;
  if (panel == nullptr || !panel->IsModified())
    return;
  // Applied keys live in memory only until they are saved to the device;
  // leaving the page asks, so they are not forgotten. Not now: they stay
  // applied and the panel stays modified.
  if (ShowMessageBox(&window_.DialogOwner(), {}, QStringLiteral("keyset_unsaved_question"),
                     window_.DialogDpi(), true, 1) == 1)
    Save(*device);
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
  CVarnisUSBDevice* device = CurrentDevice();
  CKeySetControlUI* panel = Panel();
  if (device == nullptr || panel == nullptr) {
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
      SelectKey(*device, call.index);
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
