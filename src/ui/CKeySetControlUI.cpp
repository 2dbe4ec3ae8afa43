#include "ui/CKeySetControlUI.h"

#include "keys/KeyTables.h"
#include "toolkit/CComboUI.h"
#include "toolkit/CContainerUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CResourceManager.h"
#include "toolkit/CTabLayoutUI.h"

using toolkit::CComboUI;
using toolkit::CControlUI;
using toolkit::COptionUI;

namespace {

constexpr int kModifierOptions = 5;
constexpr int kMacroItemHeight = 30;

int SelectedOf(const CComboUI* combo) { return combo != nullptr ? combo->GetCurSel() : -1; }

// The index of the selected option of a group, or -1.
int SelectedOption(const std::vector<COptionUI*>& options) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i] != nullptr && options[i]->IsSelected())
      return static_cast<int>(i);
  return -1;
}

// Option `index` of the group alone selected (-1: none), without notifying.
void SelectOption(const std::vector<COptionUI*>& options, int index) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i] != nullptr)
      options[i]->Selected(static_cast<int>(i) == index, false);
}

void Select(CComboUI* combo, int item) {
  if (combo == nullptr)
    return;
  if (item >= 0 && item < combo->GetCount())
    combo->SelectItem(item, false, false);
  else
    combo->SelectItem(-1, false, false);
}

keys::FunctionCode CodeOf(const KeyFunctionRecord& record) {
  return {record.Type, record.Code1, record.Code2};
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent) : CHorizontalLayoutUI(parent) {}

template <typename T>
T* CKeySetControlUI::Sub(const char* name) const {
  return findChild<T*>(QString::fromLatin1(name));
}

void CKeySetControlUI::Bind() {
  pickerKeys_.assign(keys::kPickerKeys, nullptr);
  for (int i = 0; i < keys::kPickerKeys; ++i)
    pickerKeys_[static_cast<size_t>(i)] = findChild<COptionUI*>(QStringLiteral("keyboard_key_%1").arg(i));
  modifiers_.assign(kModifierOptions, nullptr);
  for (int m = 0; m < kModifierOptions; ++m)
    modifiers_[static_cast<size_t>(m)] =
        findChild<COptionUI*>(QStringLiteral("key_ComBox_check_%1").arg(m));
  SetDeviceKind(device_);
  SetModified(false);
}

void CKeySetControlUI::SetDeviceKind(keys::PanelDevice device) {
  device_ = device;
  // Keyboards pick their keys on the panel, mice capture them.
  const bool keyboard = device == keys::PanelDevice::Keyboard;
  if (auto* picker = Sub<CControlUI>("keyset_keyboard_picker_layout"))
    picker->SetVisible(keyboard);
  // Both capture a pressed key; only the mouse's takes a modifier with it.
  if (auto* modifiers = Sub<CControlUI>("keyset_modifier_layout"))
    modifiers->SetVisible(!keyboard);
  auto* functions = Sub<CComboUI>("keyset_function_combo");
  if (functions == nullptr)
    return;
  for (int i = 0; i < functions->GetCount(); ++i) {
    const int kind = functions->GetItemAt(i)->GetUserData().toInt();
    functions->SetItemShown(i, keys::HasFunctionItem(kind, device));
  }
}

void CKeySetControlUI::FillMacroList(const std::vector<std::string>& names) {
  auto* macros = Sub<CComboUI>("keyset_macro_combo");
  if (macros == nullptr)
    return;
  macros->RemoveAll();
  for (const std::string& name : names) {
    auto* item = new toolkit::CListLabelElementUI;
    item->SetFixedHeight(kMacroItemHeight);
    item->SetText(QString::fromStdString(name));
    macros->Add(item);
  }
  Select(macros, -1);
}

int CKeySetControlUI::MacroCount() const {
  auto* macros = Sub<CComboUI>("keyset_macro_combo");
  return macros != nullptr ? macros->GetCount() : 0;
}

int CKeySetControlUI::FunctionItemOfKind(int kind) const {
  auto* functions = Sub<CComboUI>("keyset_function_combo");
  if (functions == nullptr || !keys::HasFunctionItem(kind, device_))
    return -1;
  for (int i = 0; i < functions->GetCount(); ++i)
    if (functions->GetItemAt(i)->GetUserData().toInt() == kind &&
        !functions->GetItemAt(i)->GetUserData().isEmpty())
      return i;
  return -1;
}

int CKeySetControlUI::ReadNumber(const CControlUI* edit) {
  bool ok = false;
  const int value = edit != nullptr ? edit->GetText().toInt(&ok) : 0;
  return ok ? value : 0;
}

void CKeySetControlUI::WriteNumber(CControlUI* edit, int value) {
  if (edit != nullptr)
    edit->SetText(QString::number(value));
}

keys::KeyFunctionChoice CKeySetControlUI::ReadChoice() const {
  keys::KeyFunctionChoice c;
  auto* functions = Sub<CComboUI>("keyset_function_combo");
  const int item = SelectedOf(functions);
  c.Kind = item >= 0 ? functions->GetItemAt(item)->GetUserData().toInt() : keys::kKindNone;
  c.MouseButtonItem = SelectedOf(Sub<CComboUI>("keyset_mousekey_combo"));
  c.DpiItem = SelectedOf(Sub<CComboUI>("keyset_mousedpi_combo"));
  c.MediaItem = SelectedOf(Sub<CComboUI>("keyset_media_combo"));
  c.SystemItem = SelectedOf(Sub<CComboUI>("keyset_system_combo"));
  c.ShortcutItem = SelectedOf(Sub<CComboUI>("keyset_combokey_combo"));
  c.SwingDirection = SelectedOf(Sub<CComboUI>("keyset_mouseswing_combo"));
  c.SwingCount = ReadNumber(Sub<CControlUI>("keyset_mouseswing_num_edit"));
  c.SwingDelay = ReadNumber(Sub<CControlUI>("keyset_mouseswing_delay_edit"));
  c.SwingSpeed = ReadNumber(Sub<CControlUI>("keyset_mouseswing_speed_edit"));
  c.WheelDirection = SelectedOf(Sub<CComboUI>("keyset_mousewheel_combo"));
  c.WheelCount = ReadNumber(Sub<CControlUI>("keyset_mousewheel_num_edit"));
  c.WheelDelay = ReadNumber(Sub<CControlUI>("keyset_mousewheel_delay_edit"));
  c.WheelSpeed = ReadNumber(Sub<CControlUI>("keyset_mousewheel_speed_edit"));
  c.FireInterval = ReadNumber(Sub<CControlUI>("keyset_mousefire_interval_edit"));
  c.FireCount = ReadNumber(Sub<CControlUI>("keyset_mousefire_num_edit"));
  c.PickerKey = SelectedOption(pickerKeys_);
  c.Modifier = SelectedOption(modifiers_);
  auto* keyEdit = Sub<CControlUI>("keyset_keyboard_text_edit");
  c.CapturedUsage = keyEdit != nullptr && !keyEdit->GetText().isEmpty() ? capturedUsage_ : std::nullopt;
  c.MacroItem = SelectedOf(Sub<CComboUI>("keyset_macro_combo"));
  c.RunMode = SelectedOf(Sub<CComboUI>("keyset_macro_over_combo"));
  c.Repeat = ReadNumber(Sub<CControlUI>("keyset_macro_cycle_edit"));
  c.GunItem = SelectedOf(Sub<CComboUI>("keyset_gunkey_combo"));
  return c;
}

void CKeySetControlUI::WriteChoice(const keys::KeyFunctionChoice& c) {
  Select(Sub<CComboUI>("keyset_mousekey_combo"), c.MouseButtonItem);
  Select(Sub<CComboUI>("keyset_mousedpi_combo"), c.DpiItem);
  Select(Sub<CComboUI>("keyset_media_combo"), c.MediaItem);
  Select(Sub<CComboUI>("keyset_system_combo"), c.SystemItem);
  Select(Sub<CComboUI>("keyset_combokey_combo"), c.ShortcutItem);
  Select(Sub<CComboUI>("keyset_mouseswing_combo"), c.SwingDirection);
  WriteNumber(Sub<CControlUI>("keyset_mouseswing_num_edit"), c.SwingCount);
  WriteNumber(Sub<CControlUI>("keyset_mouseswing_delay_edit"), c.SwingDelay);
  WriteNumber(Sub<CControlUI>("keyset_mouseswing_speed_edit"), c.SwingSpeed);
  Select(Sub<CComboUI>("keyset_mousewheel_combo"), c.WheelDirection);
  WriteNumber(Sub<CControlUI>("keyset_mousewheel_num_edit"), c.WheelCount);
  WriteNumber(Sub<CControlUI>("keyset_mousewheel_delay_edit"), c.WheelDelay);
  WriteNumber(Sub<CControlUI>("keyset_mousewheel_speed_edit"), c.WheelSpeed);
  WriteNumber(Sub<CControlUI>("keyset_mousefire_interval_edit"), c.FireInterval);
  WriteNumber(Sub<CControlUI>("keyset_mousefire_num_edit"), c.FireCount);
  SelectOption(pickerKeys_, c.PickerKey);
  SelectOption(modifiers_, c.Modifier);
  capturedUsage_ = c.CapturedUsage;
  // The keyboard's edit names the picked key, the mouse's the captured one.
  if (device_ == keys::PanelDevice::Keyboard)
    ShowKeyName(PickerRow(c.PickerKey));
  else
    ShowKeyName(c.CapturedUsage ? keys::FindKeyNameRow({0x20, 0x00, *c.CapturedUsage}) : std::nullopt);
  Select(Sub<CComboUI>("keyset_macro_combo"), c.MacroItem);
  Select(Sub<CComboUI>("keyset_macro_over_combo"), c.RunMode);
  WriteNumber(Sub<CControlUI>("keyset_macro_cycle_edit"), c.Repeat);
  if (auto* cycle = Sub<CControlUI>("keyset_macro_cycle_layout"))
    cycle->SetVisible(c.RunMode == 4 && c.RepeatShown);
  Select(Sub<CComboUI>("keyset_gunkey_combo"), c.GunItem);
}

void CKeySetControlUI::LoadKey(const KeyListEntry& entry, bool fnLayer) {
  entry_ = entry;
  fnLayer_ = fnLayer && device_ == keys::PanelDevice::Keyboard;
  ShowRecord(fnLayer_ ? entry_.Fn : entry_.Normal);
}

void CKeySetControlUI::ShowRecord(const KeyFunctionRecord& record) {
  const keys::KeyFunctionChoice choice =
      keys::ShowRecord(CodeOf(record), CodeOf(entry_.Default), MacroCount(), ReadChoice());
  WriteChoice(choice);
  const int item = FunctionItemOfKind(choice.Kind);
  auto* area = Sub<CControlUI>("keyset_layout");
  if (item < 0) {
    if (area != nullptr)
      area->SetVisible(false);
    return;
  }
  if (area != nullptr)
    area->SetVisible(true);
  Select(Sub<CComboUI>("keyset_function_combo"), item);
  if (auto* pages = Sub<toolkit::CTabLayoutUI>("function_switch_tablayout"))
    pages->SelectItem(choice.Kind);
}

KeyListEntry CKeySetControlUI::BuildRecord() {
  KeyFunctionRecord& edited = fnLayer_ ? entry_.Fn : entry_.Normal;
  const keys::KeyFunctionChoice choice = ReadChoice();
  const keys::FunctionCode code =
      keys::BuildRecord(choice, device_, CodeOf(edited), CodeOf(entry_.Default), MacroCount());
  edited.Type = code.Type;
  edited.Code1 = code.Code1;
  edited.Code2 = code.Code2;
  // The edits show what was stored (a delay of 17 is kept as 1).
  if (choice.Kind == keys::kKindSwing || choice.Kind == keys::kKindWheel) {
    keys::KeyFunctionChoice stored = keys::ShowRecord(code, CodeOf(entry_.Default), MacroCount(), choice);
    WriteChoice(stored);
  }
  return entry_;
}

void CKeySetControlUI::OnFunctionChosen() {
  const keys::KeyFunctionChoice choice = ReadChoice();
  if (auto* pages = Sub<toolkit::CTabLayoutUI>("function_switch_tablayout"))
    pages->SelectItem(std::max(choice.Kind, 0));
  if (choice.Kind == keys::kKindKeyboardKey) {
    capturedUsage_.reset();
    SelectOption(modifiers_, -1);
    // The keyboard's key stays the picked one.
    ShowKeyName(device_ == keys::PanelDevice::Keyboard ? PickerRow(choice.PickerKey) : std::nullopt);
  }
  // A macro without a chosen run mode is built to run once: shown so.
  if (choice.Kind == keys::kKindMacro && choice.RunMode < 0)
    Select(Sub<CComboUI>("keyset_macro_over_combo"), 0);
}

void CKeySetControlUI::OnRunModeChosen() {
  if (auto* cycle = Sub<CControlUI>("keyset_macro_cycle_layout"))
    cycle->SetVisible(SelectedOf(Sub<CComboUI>("keyset_macro_over_combo")) == 4);
}

void CKeySetControlUI::SelectPickerKey(int index) {
  SelectOption(pickerKeys_, index);
  // The picked key is scrolled into view.
  if (index >= 0 && index < static_cast<int>(pickerKeys_.size()) && pickerKeys_[static_cast<size_t>(index)] != nullptr)
    if (auto* picker = Sub<toolkit::CContainerUI>("keyset_keyboard_picker_layout"))
      picker->EnsureVisible(pickerKeys_[static_cast<size_t>(index)]);
  if (device_ == keys::PanelDevice::Keyboard)
    ShowKeyName(PickerRow(index));
}

std::optional<int> CKeySetControlUI::PickerRow(int index) {
  if (index < 0 || index >= keys::kPickerKeys ||
      keys::PickerKeyTable[static_cast<size_t>(index)] == keys::kNoRow)
    return std::nullopt;
  return keys::PickerKeyTable[static_cast<size_t>(index)];
}

void CKeySetControlUI::ShowKeyName(std::optional<int> row) {
  auto* keyEdit = Sub<CControlUI>("keyset_keyboard_text_edit");
  if (keyEdit == nullptr)
    return;
  const bool known = row && *row >= 0 && *row < static_cast<int>(keys::KeyNameTable.size());
  keyEdit->SetText(known ? toolkit::CResourceManager::GetInstance()->GetText(QString::fromLatin1(
                               keys::KeyNameTable[static_cast<size_t>(*row)].TextId))
                         : QString());
}

void CKeySetControlUI::SelectModifier(int option) { SelectOption(modifiers_, option); }

bool CKeySetControlUI::OnCapturedKeyRow(int row) {
  if (device_ == keys::PanelDevice::Keyboard) {
    // The keyboard's key comes from the picker: a pressed key picks its own
    // picker key.
    if (row < 0 || row >= keys::kCapturableRows)
      return false;
    const keys::KeyNameRow& key = keys::KeyNameTable[static_cast<size_t>(row)];
    const auto picker = keys::FindPickerKey(key.Code());
    if (key.Extended < 0 || !picker)
      return false;
    SelectPickerKey(*picker);
    return true;
  }
  keys::KeyFunctionChoice choice = ReadChoice();
  choice.CapturedUsage = capturedUsage_;
  if (!keys::CaptureKeyRow(row, choice))
    return false;
  SelectModifier(choice.Modifier);
  capturedUsage_ = choice.CapturedUsage;
  // A modifier clears the edit; other keys show their name.
  ShowKeyName(row < 8 ? std::nullopt : std::optional<int>(row));
  return true;
}

void CKeySetControlUI::ShowCaptureReach(bool desktop) {
  if (auto* note = Sub<CControlUI>("keyset_capture_window_note"))
    note->SetVisible(!desktop);
}

void CKeySetControlUI::SetModified(bool modified) {
  modified_ = modified;
  for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"})
    if (auto* button = Sub<CControlUI>(name))
      button->SetEnabled(modified);
}

void CKeySetControlUI::ResetInputs() {
  Select(Sub<CComboUI>("keyset_mousekey_combo"), 0);
  Select(Sub<CComboUI>("keyset_mousedpi_combo"), 0);
  WriteNumber(Sub<CControlUI>("keyset_mousefire_interval_edit"), 50);
  WriteNumber(Sub<CControlUI>("keyset_mousefire_num_edit"), 2);
  Select(Sub<CComboUI>("keyset_media_combo"), 0);
  Select(Sub<CComboUI>("keyset_system_combo"), 0);
  Select(Sub<CComboUI>("keyset_macro_combo"), 0);
  Select(Sub<CComboUI>("keyset_macro_over_combo"), 0);
  WriteNumber(Sub<CControlUI>("keyset_macro_cycle_edit"), 1);
  Select(Sub<CComboUI>("keyset_gunkey_combo"), 0);
  Select(Sub<CComboUI>("keyset_combokey_combo"), 0);
}
