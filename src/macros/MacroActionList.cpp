#include "macros/MacroActionList.h"

namespace macros {

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

void MacroActionList::Clear() {
  rows_.clear();
  selected_ = -1;
}

}  // namespace macros
