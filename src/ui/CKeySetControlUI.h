#pragma once

#include <string>
#include <vector>

#include "keys/KeyFunctionChoice.h"
#include "profiles/KeyListEntry.h"
#include "toolkit/CHorizontalLayoutUI.h"

namespace toolkit {
class CComboUI;
class COptionUI;
}  // namespace toolkit

// The key assignment panel of a keyboard or mouse page ("KeySetControlItem"):
// it shows the selected key's function as choices and turns the choices back
// into a function code for the layer being edited. What the choices mean is
// keys::ShowRecord / keys::BuildRecord; this class reads and writes the
// controls, and keeps the three records of the key and the modified state.
class CKeySetControlUI : public toolkit::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  explicit CKeySetControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("KeySetControlUI"); }

  // Looks the controls up (once the layout is inside). The keyboard's panel
  // hides the DPI and gun key items.
  void Bind();
  void SetDeviceKind(keys::PanelDevice device);
  keys::PanelDevice DeviceKind() const { return device_; }
  void FillMacroList(const std::vector<std::string>& names);

  // The selected key's records; the Fn layer's is shown and edited when
  // `fnLayer` (keyboards only).
  void LoadKey(const KeyListEntry& entry, bool fnLayer);
  void ShowRecord(const KeyFunctionRecord& record);
  // Builds the edited layer's record from the choices and returns the key's
  // whole entry. The edits are rewritten with what was stored.
  KeyListEntry BuildRecord();
  const KeyListEntry& Entry() const { return entry_; }
  bool EditsFnLayer() const { return fnLayer_; }

  // The function choice changed: its page, and for keyboard keys an empty
  // key edit and no modifier.
  void OnFunctionChosen();
  void OnRunModeChosen();
  // A picker key or modifier option clicked: it alone is selected.
  void SelectPickerKey(int index);
  void SelectModifier(int option);
  // A key captured for the key edit, by its key table row: the mouse panel
  // takes it with its modifier, the keyboard panel picks its picker key.
  // False when it is not taken.
  bool OnCapturedKeyRow(int row);

  // Says, beside the key edit, when keys are taken only inside this
  // program's window.
  void ShowCaptureReach(bool desktop);

  // Apply, default, cancel and save make the panel modified or clean.
  void SetModified(bool modified);
  bool IsModified() const { return modified_; }
  void ResetInputs();

  keys::KeyFunctionChoice ReadChoice() const;

 private:
  template <typename T>
  T* Sub(const char* name) const;
  void WriteChoice(const keys::KeyFunctionChoice& choice);
  int FunctionItemOfKind(int kind) const;
  static std::optional<int> PickerRow(int index);
  // The key edit shows the language text of a `KeyNameTable` row, or
  // nothing.
  void ShowKeyName(std::optional<int> row);
  int MacroCount() const;
  static int ReadNumber(const toolkit::CControlUI* edit);
  static void WriteNumber(toolkit::CControlUI* edit, int value);

  keys::PanelDevice device_ = keys::PanelDevice::Keyboard;
  KeyListEntry entry_{};
  bool fnLayer_ = false;
  bool modified_ = false;
  std::optional<uint8_t> capturedUsage_;
  // Looked up once in Bind: the picker keys and the modifier options (null
  // where the layout has none).
  std::vector<toolkit::COptionUI*> pickerKeys_;
  std::vector<toolkit::COptionUI*> modifiers_;
};
