#pragma once

#include <QString>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

#include "macros/MacroActionList.h"
#include "macros/MacroLibrary.h"
#include "macros/MacroRecorder.h"
#include "toolkit/CHorizontalLayoutUI.h"

namespace platform {
struct KeyHookRecord;
struct MouseHookRecord;
}  // namespace platform

namespace toolkit {
class CEditUI;
class CListUI;
class CListContainerElementUI;
}  // namespace toolkit

// The macro panel of a keyboard or mouse page ("MacroControlItem"): the
// device's macros by name, and the events of the selected one as rows of
// the action list, each with its delay. The panel keeps the list it shows
// (macros::MacroActionList) and the files (macros::MacroLibrary); the main
// window's macro commands call it and save after each change.
class CMacroControlUI : public toolkit::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  explicit CMacroControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("MacroControlUI"); }

  // Looks the controls up (once the layout is inside).
  void Bind();

  // The device data folder, and the macros it holds as the name list.
  void SetMacroFolder(const QString& folder);
  const QString& MacroFolder() const { return library_.Folder(); }
  void LoadMacroList();
  const std::vector<std::string>& MacroNames() const { return names_; }
  // The macro selected in the name list; -1 for none.
  int SelectedMacro() const;
  void SelectMacro(int index);

  // The selected macro's events from its file, or an empty list without a
  // selection.
  void ShowMacro();
  // A new macro at the end of the list, selected. False at 50 macros.
  bool NewMacro();
  // Deletes the selected macro's file and entry, and selects the first
  // macro. The caller renumbers key assignments first. The index deleted,
  // or nothing.
  std::optional<int> RemoveSelectedMacro();
  // The selected macro takes the name edit's text.
  macros::MacroLibrary::Rename RenameMacro();
  // Writes the selected macro's file from the rows: an empty delay cell is
  // saved, and shown, as 0. 0, or -1 when nothing could be written.
  int SaveMacroFile();
  // A copy of `path` as a new macro, selected and shown. False at 50
  // macros or when the file cannot be read.
  bool ImportMacro(const QString& path);
  bool ExportMacro(const QString& path) const;

  // Row operations on the selected row.
  enum class Move { Up, Down, Top, Bottom };
  void MoveSelectedRow(Move move);
  void DeleteSelectedRow();
  void DeleteAllRows();
  // A mouse button press or release (`message` 513 ... 524; `variant` for
  // the extra button: 0 forward, 1 back) after the selected row, with the
  // fixed delay.
  void InsertMouseAction(uint32_t message, int variant);
  // A pointer move (0 left, 1 right, 2 up, 3 down) by its edit's distance.
  void InsertMove(int direction);
  // A row's delay edit was left: its value goes into the row.
  void OnDelayEdited(toolkit::CControlUI* edit);

  // Recording: the timing mode (1 real time, 2 fixed delay, 3 none) and
  // the editor locked until StopRecording.
  void StartRecording(int timing);
  void StopRecording();
  bool IsRecording() const { return recording_; }
  // Whether the fixed-delay option is chosen (timing 2, else 1).
  bool FixedDelayChosen() const;
  // A captured key or mouse button placed in the action list; true when a
  // row was added or changed.
  bool OnRecordedKey(macros::Placement placement, uint32_t message,
                     const platform::KeyHookRecord& key);
  bool OnRecordedButton(macros::Placement placement, uint32_t message,
                        const platform::MouseHookRecord& button);

  // Whether a screen point lies on the shown stop button.
  bool IsOverStopButton(QPoint global) const;

  // What the panel shows, for the commands and for tests.
  const macros::MacroActionList& Actions() const { return actions_; }
  int SelectedRow() const;
  void SelectRow(int index);
  uint16_t FixedDelay() const { return fixedDelay_; }
  // The delay cell of row `index` as the user sees it.
  QString DelayText(int index) const;

  // The list's selection changed from outside (a click).
  void OnRowSelected();

  static constexpr int kRowHeight = 30;

 private:
  template <typename T>
  T* Sub(const char* name) const;
  void EnableEditing(bool enabled);
  // Builds the row at `index` of the view from the list.
  void InsertRowView(int index);
  void UpdateRowView(int index);
  void RebuildRows();
  void SelectRowView(int index);
  // Reads every delay cell into the list.
  void TakeDelayCells();
  uint16_t ReadFixedDelay();
  // The event time of a captured event on the tick clock: the first event
  // of a recording is placed by when it arrives, the next ones by their own
  // time stamps.
  uint32_t EventTime(uint32_t stampMs);
  bool AfterRecorded(size_t countBefore, int selectedBefore, macros::Placement placement);
  void ScrollSoon();

  macros::MacroLibrary library_;
  std::vector<std::string> names_;
  macros::MacroActionList actions_;
  macros::MacroRecorder recorder_;
  uint16_t fixedDelay_ = 50;
  bool recording_ = false;
  // The tick clock minus the captured events' own clock, set by the first
  // event of each recording.
  std::optional<uint32_t> stampOffset_;
  // Scrolls the selected row into view once recorded rows are laid out.
  QTimer scrollTimer_;

  toolkit::CListUI* nameList_ = nullptr;
  toolkit::CListUI* actionList_ = nullptr;
  toolkit::CEditUI* nameEdit_ = nullptr;
};
