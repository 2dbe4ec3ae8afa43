#include "ui/CMacroControlUI.h"

#include <json/writer.h>

#include <chrono>

#include "platform/HookRecords.h"
#include "toolkit/CEditUI.h"
#include "toolkit/CLabelUI.h"
#include "toolkit/CListContainerElementUI.h"
#include "toolkit/CListLabelElementUI.h"
#include "toolkit/CListUI.h"
#include "toolkit/COptionUI.h"
#include "toolkit/CPaintManagerUI.h"
#include "ui/CRedioMacroButtonUI.h"

using toolkit::CControlUI;

namespace {

// Controls that only work with a macro selected.
constexpr const char* kMacroControls[] = {"macro_action_layout", "mouse_move_layout",
                                          "macro_btn_export", "macro_btn_name_sub",
                                          "macro_btn_name_edit"};
// The distance edits of the four move buttons: left, right, up, down.
constexpr const char* kMoveEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                      "mouse_y_up_edit", "mouse_y_down_edit"};
constexpr int kMaxDelayChars = 6;
constexpr int kScrollDelayMs = 50;

// Milliseconds on a steady clock, wrapping like a 32-bit tick count.
uint32_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool IsKeyKind(int type) {
  return type == macros::EventType::Key || type == macros::EventType::Modifier;
}

bool IsMove(int type) {
  return type == macros::EventType::MoveHorizontal || type == macros::EventType::MoveVertical;
}

std::string StyledJson(const macros::MacroEvent& event) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "\t";
  return Json::writeString(builder, macros::EventToJson(event));
}

}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent) : CHorizontalLayoutUI(parent) {
  scrollTimer_.setSingleShot(true);
  scrollTimer_.setInterval(kScrollDelayMs);
  connect(&scrollTimer_, &QTimer::timeout, this, [this] {
    if (actionList_ != nullptr)
      actionList_->EnsureVisible(actionList_->GetItemAt(actionList_->GetCurSel()));
  });
}

template <typename T>
T* CMacroControlUI::Sub(const char* name) const {
  return findChild<T*>(QString::fromLatin1(name));
}

void CMacroControlUI::Bind() {
  nameList_ = Sub<toolkit::CListUI>("macro_name_list");
  actionList_ = Sub<toolkit::CListUI>("macro_action_list");
  nameEdit_ = Sub<toolkit::CEditUI>("macro_edit_macroname");
  if (auto* fixed = Sub<toolkit::CEditUI>("macro_fixed_time_edit")) {
    fixed->SetMaxNumber(macros::kMaxDelay);
    fixed->SetText(QString::number(fixedDelay_));
  }
  for (const char* name : kMoveEdits)
    if (auto* edit = Sub<toolkit::CEditUI>(name))
      edit->SetMaxNumber(255);
  if (CControlUI* stop = Sub<CControlUI>("macro_btn_stopredio"))
    stop->SetVisible(false);
  EnableEditing(false);
}

void CMacroControlUI::EnableEditing(bool enabled) {
  for (const char* name : kMacroControls)
    if (CControlUI* control = Sub<CControlUI>(name))
      control->SetEnabled(enabled);
}

// --- The macro list -------------------------------------------------------------

void CMacroControlUI::SetMacroFolder(const QString& folder) {
  library_.SetFolder(folder);
}

void CMacroControlUI::LoadMacroList() {
  names_.clear();
  if (nameList_ != nullptr)
    nameList_->RemoveAll();
  if (library_.Folder().isEmpty())
    return;
  library_.Reload();
  for (const macros::MacroListEntry& entry : library_.Entries()) {
    names_.push_back(entry.Name);
    if (nameList_ == nullptr)
      continue;
    auto* row = new toolkit::CListLabelElementUI;
    row->SetFixedHeight(kRowHeight);
    row->SetText(QString::fromStdString(entry.Name));
    row->SetUserData(QString::fromStdString(entry.Guid));
    if (toolkit::CPaintManagerUI* manager = GetManager())
      row->ApplyAttributeList(manager->GetDefaultAttributeList(QStringLiteral("macro_name_style")));
    nameList_->Add(row);
  }
}

int CMacroControlUI::SelectedMacro() const {
  if (nameList_ == nullptr)
    return -1;
  const int index = nameList_->GetCurSel();
  return index >= 0 && index < static_cast<int>(library_.Entries().size()) ? index : -1;
}

void CMacroControlUI::SelectMacro(int index) {
  if (nameList_ != nullptr)
    nameList_->SelectItem(index, false, false);
}

void CMacroControlUI::ShowMacro() {
  actions_.Clear();
  const int macro = SelectedMacro();
  if (macro < 0 || library_.Entries()[static_cast<size_t>(macro)].Guid.empty()) {
    RebuildRows();
    if (nameEdit_ != nullptr)
      nameEdit_->SetText(QStringLiteral(" "));
    return;
  }
  EnableEditing(true);
  const macros::MacroDocument document = library_.Load(static_cast<size_t>(macro));
  for (const macros::MacroEvent& event : document.Events)
    actions_.Insert(actions_.Count(), macros::MacroActionList::RowOf(event));
  RebuildRows();
  if (nameEdit_ != nullptr)
    nameEdit_->SetText(QString::fromStdString(library_.Entries()[static_cast<size_t>(macro)].Name));
}

bool CMacroControlUI::NewMacro() {
  const std::optional<size_t> index = library_.Create();
  if (!index)
    return false;
  LoadMacroList();
  SelectMacro(static_cast<int>(*index));
  ShowMacro();
  return true;
}

std::optional<int> CMacroControlUI::RemoveSelectedMacro() {
  const int macro = SelectedMacro();
  if (macro < 0 || !library_.Remove(static_cast<size_t>(macro)))
    return std::nullopt;
  LoadMacroList();
  actions_.Clear();
  RebuildRows();
  if (names_.empty()) {
    EnableEditing(false);
    if (nameEdit_ != nullptr)
      nameEdit_->SetText({});
    return macro;
  }
  SelectMacro(0);
  ShowMacro();
  return macro;
}

macros::MacroLibrary::Rename CMacroControlUI::RenameMacro() {
  const int macro = SelectedMacro();
  if (macro < 0 || nameEdit_ == nullptr)
    return macros::MacroLibrary::Rename::Ignored;
  const auto result =
      library_.RenameMacro(static_cast<size_t>(macro), nameEdit_->GetText().toStdString());
  if (result != macros::MacroLibrary::Rename::Done)
    return result;
  const std::string& name = library_.Entries()[static_cast<size_t>(macro)].Name;
  names_[static_cast<size_t>(macro)] = name;
  if (CControlUI* row = nameList_ != nullptr ? nameList_->GetItemAt(macro) : nullptr)
    row->SetText(QString::fromStdString(name));
  return result;
}

int CMacroControlUI::SaveMacroFile() {
  const int macro = SelectedMacro();
  if (macro < 0 || library_.Entries()[static_cast<size_t>(macro)].Guid.empty())
    return -1;
  TakeDelayCells();
  std::vector<macros::MacroEvent> events;
  events.reserve(actions_.Count());
  for (const auto& row : actions_.Rows())
    events.push_back(row.Event);
  return library_.Save(static_cast<size_t>(macro), events);
}

bool CMacroControlUI::ImportMacro(const QString& path) {
  if (path.isEmpty())
    return false;
  const std::optional<size_t> index = library_.Import(path);
  if (!index)
    return false;
  LoadMacroList();
  SelectMacro(static_cast<int>(*index));
  ShowMacro();
  return true;
}

bool CMacroControlUI::ExportMacro(const QString& path) const {
  const int macro = SelectedMacro();
  return !path.isEmpty() && macro >= 0 && library_.Export(static_cast<size_t>(macro), path);
}

// --- Rows -----------------------------------------------------------------------

int CMacroControlUI::SelectedRow() const {
  return actionList_ != nullptr ? actionList_->GetCurSel() : actions_.Selected();
}

void CMacroControlUI::SelectRow(int index) {
  actions_.Select(index);
  SelectRowView(actions_.Selected());
}

void CMacroControlUI::OnRowSelected() {
  actions_.Select(SelectedRow());
}

void CMacroControlUI::SelectRowView(int index) {
  if (actionList_ == nullptr)
    return;
  actionList_->SelectItem(index, false, false);
}

void CMacroControlUI::MoveSelectedRow(Move move) {
  TakeDelayCells();
  OnRowSelected();
  const int selected = actions_.Selected();
  if (selected < 0)
    return;
  const int last = static_cast<int>(actions_.Count()) - 1;
  int to = selected;
  switch (move) {
    case Move::Up: to = selected - 1; break;
    case Move::Down: to = selected + 1; break;
    case Move::Top: to = 0; break;
    case Move::Bottom: to = last; break;
  }
  if (to < 0 || to > last || to == selected)
    return;
  actions_.Move(static_cast<size_t>(selected), static_cast<size_t>(to));
  if (actionList_ != nullptr) {
    actionList_->RemoveAt(selected);
    InsertRowView(to);
  }
  SelectRowView(to);
  ScrollSoon();
}

void CMacroControlUI::DeleteSelectedRow() {
  TakeDelayCells();
  OnRowSelected();
  const int selected = actions_.Selected();
  if (selected < 0)
    return;
  actions_.Remove(static_cast<size_t>(selected));
  if (actionList_ != nullptr)
    actionList_->RemoveAt(selected);
}

void CMacroControlUI::DeleteAllRows() {
  actions_.Clear();
  RebuildRows();
}

void CMacroControlUI::InsertMouseAction(uint32_t message, int variant) {
  macros::MacroEvent event;
  event.Type = macros::EventType::MouseButton;
  switch (message) {
    case platform::kHookLeftDown: event.Button = 1; break;
    case platform::kHookLeftUp: event.Button = 1; event.Down = false; break;
    case platform::kHookRightDown: event.Button = 2; break;
    case platform::kHookRightUp: event.Button = 2; event.Down = false; break;
    case platform::kHookMiddleDown: event.Button = 4; break;
    case platform::kHookMiddleUp: event.Button = 4; event.Down = false; break;
    case platform::kHookExtraDown:
    case platform::kHookExtraUp:
      event.Button = variant == 0 ? 16 : 8;
      event.Down = message == platform::kHookExtraDown;
      break;
    default: return;
  }
  TakeDelayCells();
  OnRowSelected();
  event.Delay = ReadFixedDelay();
  const int selected = actions_.Selected();
  // After the selected row, after the first row without one, or as the
  // first row of an empty list.
  const size_t at = actions_.Count() == 0 ? 0 : static_cast<size_t>(std::max(selected, 0)) + 1;
  actions_.Insert(at, macros::MacroActionList::RowOf(event));
  InsertRowView(static_cast<int>(at));
  // The row after the old selection is the new row; an empty list keeps
  // none selected, so the next insertion again goes after the first row.
  SelectRow(actions_.Count() == 1 ? -1 : static_cast<int>(at));
}

void CMacroControlUI::InsertMove(int direction) {
  if (direction < 0 || direction > 3)
    return;
  auto* edit = Sub<toolkit::CEditUI>(kMoveEdits[direction]);
  macros::MacroEvent event;
  event.Type = direction < 2 ? macros::EventType::MoveHorizontal : macros::EventType::MoveVertical;
  // Left and up are "down", right and down "up".
  event.Down = direction == 0 || direction == 2;
  event.Button = static_cast<uint8_t>(edit != nullptr ? edit->GetText().toInt() : 0);
  TakeDelayCells();
  OnRowSelected();
  event.Delay = ReadFixedDelay();
  const int selected = actions_.Selected();
  const size_t at = actions_.Count() == 0 ? 0 : static_cast<size_t>(std::max(selected, 0)) + 1;
  actions_.Insert(at, macros::MacroActionList::RowOf(event));
  InsertRowView(static_cast<int>(at));
  SelectRow(actions_.Count() == 1 ? -1 : static_cast<int>(at));
}

void CMacroControlUI::OnDelayEdited(CControlUI* edit) {
  if (actionList_ == nullptr || edit == nullptr)
    return;
  CControlUI* row = edit->GetParent();
  const int index = row != nullptr ? actionList_->GetItemIndex(row) : -1;
  if (index < 0 || index >= static_cast<int>(actions_.Count()))
    return;
  QString text = edit->GetText().trimmed();
  if (text.isEmpty())
    text = QStringLiteral("0");
  auto& event = actions_.Edit(static_cast<size_t>(index)).Event;
  event.Delay = macros::ParseDelay(Json::Value(text.toStdString()));
  edit->SetText(QString::number(event.Delay));
  row->SetUserData(QString::fromStdString(StyledJson(event)));
}

void CMacroControlUI::TakeDelayCells() {
  if (actionList_ == nullptr)
    return;
  for (int i = 0; i < actionList_->GetCount() && i < static_cast<int>(actions_.Count()); ++i) {
    CControlUI* row = actionList_->GetItemAt(i);
    if (auto* edit = row != nullptr ? row->findChild<toolkit::CEditUI*>(QStringLiteral("macro_delay"))
                                    : nullptr)
      OnDelayEdited(edit);
  }
}

QString CMacroControlUI::DelayText(int index) const {
  CControlUI* row = actionList_ != nullptr ? actionList_->GetItemAt(index) : nullptr;
  auto* edit = row != nullptr ? row->findChild<toolkit::CEditUI*>(QStringLiteral("macro_delay")) : nullptr;
  return edit != nullptr ? edit->GetText() : QString();
}

void CMacroControlUI::RebuildRows() {
  if (actionList_ == nullptr)
    return;
  actionList_->setUpdatesEnabled(false);
  actionList_->RemoveAll();
  for (size_t i = 0; i < actions_.Count(); ++i)
    InsertRowView(static_cast<int>(i));
  actionList_->setUpdatesEnabled(true);
  SelectRowView(actions_.Selected());
}

void CMacroControlUI::InsertRowView(int index) {
  if (actionList_ == nullptr)
    return;
  toolkit::CPaintManagerUI* manager = GetManager();
  auto style = [manager](CControlUI* control, const char* name) {
    if (manager != nullptr)
      control->ApplyAttributeList(manager->GetDefaultAttributeList(QLatin1String(name)));
  };
  auto* row = new toolkit::CListContainerElementUI;
  row->SetName(QStringLiteral("macro_action"));
  row->SetFixedHeight(kRowHeight);
  auto* name = new toolkit::CLabelUI;
  name->SetName(QStringLiteral("macro_action_name"));
  auto* action = new toolkit::CLabelUI;
  action->SetName(QStringLiteral("macro_action_state"));
  auto* delay = new toolkit::CEditUI;
  delay->SetName(QStringLiteral("macro_delay"));
  style(delay, "macro_label_text_style");
  delay->SetBkColor(QColor(0x44, 0x44, 0x44));
  delay->ApplyAttributeList(QStringLiteral("nativebkcolor=\"#FF444444\" borderround=\"3\""));
  delay->SetFixedHeight(25);
  delay->SetPadding(QMargins(0, (kRowHeight - 25) / 2, 8, 0));
  delay->SetMaxChar(kMaxDelayChars);
  delay->SetMaxNumber(macros::kMaxDelay);
  delay->SetLeaveOnReturn(true);
  row->Add(name);
  row->Add(action);
  row->Add(delay);
  actionList_->AddAt(row, index);
  UpdateRowView(index);
}

void CMacroControlUI::UpdateRowView(int index) {
  if (actionList_ == nullptr || index < 0 || index >= static_cast<int>(actions_.Count()))
    return;
  CControlUI* row = actionList_->GetItemAt(index);
  if (row == nullptr)
    return;
  const macros::MacroActionList::Row& data = actions_.At(static_cast<size_t>(index));
  const macros::MacroEvent& event = data.Event;
  toolkit::CPaintManagerUI* manager = GetManager();
  auto style = [manager](CControlUI* control, const char* name) {
    if (manager != nullptr)
      control->ApplyAttributeList(manager->GetDefaultAttributeList(QLatin1String(name)));
  };
  auto* name = row->findChild<toolkit::CLabelUI*>(QStringLiteral("macro_action_name"));
  auto* action = row->findChild<toolkit::CLabelUI*>(QStringLiteral("macro_action_state"));
  auto* delay = row->findChild<toolkit::CEditUI*>(QStringLiteral("macro_delay"));
  if (name != nullptr) {
    style(name, IsKeyKind(event.Type) ? "macro_label_keyboard_style" : "macro_label_mouse_style");
    name->SetResourceText(!data.LabelId.empty());
    name->SetText(QString::fromStdString(data.LabelId));
  }
  if (action != nullptr) {
    if (IsMove(event.Type)) {
      style(action, "macro_label_text_style");
      action->SetResourceText(false);
      action->SetText(QString::asprintf("%d", event.Button));
    } else {
      style(action, event.Down ? "macro_label_down_style" : "macro_label_up_style");
      action->SetResourceText(true);
      action->SetText(QLatin1String(event.Down ? "macro_action_down_text" : "macro_action_up_text"));
    }
  }
  if (delay != nullptr)
    delay->SetText(QString::number(event.Delay));
  row->SetUserData(QString::fromStdString(StyledJson(event)));
}

// --- Recording --------------------------------------------------------------------

bool CMacroControlUI::FixedDelayChosen() const {
  auto* option = Sub<toolkit::COptionUI>("macro_check_time");
  return option != nullptr && option->IsSelected();
}

uint16_t CMacroControlUI::ReadFixedDelay() {
  if (auto* edit = Sub<toolkit::CEditUI>("macro_fixed_time_edit")) {
    const QString text = edit->GetText().trimmed();
    fixedDelay_ = text.isEmpty() ? 0 : macros::ParseDelay(Json::Value(text.toStdString()));
  }
  return fixedDelay_;
}

void CMacroControlUI::StartRecording(int timing) {
  TakeDelayCells();
  OnRowSelected();
  const uint16_t fixed = timing == macros::MacroRecorder::FixedDelay ? ReadFixedDelay() : fixedDelay_;
  recorder_.Start(timing, fixed, NowMs());
  stampOffset_.reset();
  recording_ = true;
  for (const char* name : {"macro_name_tab", "macro_action_list"})
    if (CControlUI* control = Sub<CControlUI>(name))
      control->SetMouseEnabled(false);
  for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"})
    if (CControlUI* control = Sub<CControlUI>(name))
      control->SetEnabled(false);
  if (CControlUI* start = Sub<CControlUI>("macro_btn_starredio"))
    start->SetVisible(false);
  if (CControlUI* stop = Sub<CControlUI>("macro_btn_stopredio")) {
    stop->SetVisible(true);
    if (auto* pulse = qobject_cast<CRedioMacroButtonUI*>(stop))
      pulse->SetPulsing(true);
  }
}

void CMacroControlUI::StopRecording() {
  recording_ = false;
  for (const char* name : {"macro_name_tab", "macro_action_list"})
    if (CControlUI* control = Sub<CControlUI>(name))
      control->SetMouseEnabled(true);
  for (const char* name : {"macro_tab_macroaction_edit", "macro_tab_macrodelay_edit"})
    if (CControlUI* control = Sub<CControlUI>(name))
      control->SetEnabled(true);
  if (CControlUI* stop = Sub<CControlUI>("macro_btn_stopredio")) {
    if (auto* pulse = qobject_cast<CRedioMacroButtonUI*>(stop))
      pulse->SetPulsing(false);
    stop->SetVisible(false);
  }
  if (CControlUI* start = Sub<CControlUI>("macro_btn_starredio"))
    start->SetVisible(true);
}

bool CMacroControlUI::IsOverStopButton(QPoint global) const {
  const CControlUI* stop = Sub<CControlUI>("macro_btn_stopredio");
  return stop != nullptr && stop->IsVisible() && stop->rect().contains(stop->mapFromGlobal(global));
}

uint32_t CMacroControlUI::EventTime(uint32_t stampMs) {
  const uint32_t now = NowMs();
  if (stampMs == 0)
    return now;  // a capture without time stamps
  if (!stampOffset_)
    stampOffset_ = now - stampMs;
  return stampMs + *stampOffset_;
}

bool CMacroControlUI::OnRecordedKey(macros::Placement placement, uint32_t message,
                                    const platform::KeyHookRecord& key) {
  const size_t before = actions_.Count();
  const int selected = actions_.Selected();
  if (!recorder_.OnKey(actions_, placement, message, key.scanCode, key.flags, EventTime(key.timeMs)))
    return false;
  return AfterRecorded(before, selected, placement);
}

bool CMacroControlUI::OnRecordedButton(macros::Placement placement, uint32_t message,
                                       const platform::MouseHookRecord& button) {
  const size_t before = actions_.Count();
  const int selected = actions_.Selected();
  if (!recorder_.OnMouseButton(actions_, placement, message, button.mouseData,
                               EventTime(button.timeMs)))
    return false;
  return AfterRecorded(before, selected, placement);
}

bool CMacroControlUI::AfterRecorded(size_t countBefore, int selectedBefore,
                                    macros::Placement placement) {
  if (actions_.Count() == countBefore) {
    UpdateRowView(selectedBefore);  // replaced in place
    return true;
  }
  int at = static_cast<int>(countBefore);
  if (placement == macros::Placement::Before)
    at = selectedBefore;
  else if (placement == macros::Placement::After)
    at = selectedBefore + 1;
  InsertRowView(at);
  // The row before the new one took the pause as its delay.
  UpdateRowView(at - 1);
  SelectRowView(actions_.Selected());
  ScrollSoon();
  return true;
}

void CMacroControlUI::ScrollSoon() {
  scrollTimer_.start();
}
