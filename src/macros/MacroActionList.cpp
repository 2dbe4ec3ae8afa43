#include "macros/MacroActionList.h"

#include <algorithm>

#include "keys/KeyTables.h"

namespace macros {

namespace {

// The rows of the key name table a recording can produce.
constexpr size_t kRecordableKeyRows = 113;

}  // namespace

std::string MacroActionList::LabelIdOf(const MacroEvent& event) {
  switch (event.Type) {
    case EventType::Key:
    case EventType::Modifier:
      for (size_t row = 0; row < kRecordableKeyRows && row < keys::KeyNameTable.size(); ++row) {
        const keys::KeyNameRow& name = keys::KeyNameTable[row];
        const bool matches = event.Type == EventType::Key
                                 ? name.Code2 != 0 && name.Code2 == event.Button
                                 : name.Code2 == 0 && name.Code1 == event.Button;
        if (matches)
          return name.TextId;
      }
      return {};
    case EventType::MouseButton:
      switch (event.Button) {
        case 1: return keys::MouseButtonNames[0];
        case 2: return keys::MouseButtonNames[1];
        case 4: return keys::MouseButtonNames[2];
        case 8: return keys::MouseButtonNames[4];
        case 16: return keys::MouseButtonNames[3];
        default: return {};
      }
    case EventType::MoveHorizontal:
      return event.Down ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
    case EventType::MoveVertical:
      return event.Down ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
    default:
      return {};
  }
}

MacroActionList::Row MacroActionList::RowOf(const MacroEvent& event) {
  return Row{event, LabelIdOf(event)};
}

void MacroActionList::Select(int index) {
  selected_ = index >= 0 && index < static_cast<int>(rows_.size()) ? index : -1;
}

void MacroActionList::Insert(size_t index, Row row) {
  if (index > rows_.size())
    index = rows_.size();
  rows_.insert(rows_.begin() + static_cast<long>(index), std::move(row));
  if (selected_ >= static_cast<int>(index))
    ++selected_;
}

void MacroActionList::Remove(size_t index) {
  if (index >= rows_.size())
    return;
  rows_.erase(rows_.begin() + static_cast<long>(index));
  if (selected_ == static_cast<int>(index))
    selected_ = -1;
  else if (selected_ > static_cast<int>(index))
    --selected_;
}

void MacroActionList::Move(size_t from, size_t to) {
  if (from >= rows_.size())
    return;
  to = std::min(to, rows_.size() - 1);
  Row row = std::move(rows_[from]);
  rows_.erase(rows_.begin() + static_cast<long>(from));
  rows_.insert(rows_.begin() + static_cast<long>(to), std::move(row));
  selected_ = static_cast<int>(to);
}

void MacroActionList::Clear() {
  rows_.clear();
  selected_ = -1;
}

}  // namespace macros
