#pragma once

#include <string>
#include <vector>

#include "macros/MacroEvent.h"

namespace macros {

// The actions of the macro being edited, as the editor lists them: each
// event with the language id of its name, and the selected row.
class MacroActionList {
 public:
  struct Row {
    MacroEvent Event;
    std::string LabelId;  // the key's or button's language id
  };

  // A row for an event read from a file: the name of its key, modifier,
  // button or move direction (none for kinds without a name).
  static Row RowOf(const MacroEvent& event);
  // The language id naming an event's key, button or move direction.
  static std::string LabelIdOf(const MacroEvent& event);

  size_t Count() const { return rows_.size(); }
  const Row& At(size_t index) const { return rows_[index]; }
  const std::vector<Row>& Rows() const { return rows_; }
  // -1 when no row is selected.
  int Selected() const { return selected_; }
  void Select(int index);

  // Inserts at `index` (clamped to the end); the selection stays on the row
  // it was on.
  void Insert(size_t index, Row row);
  void Remove(size_t index);
  // Takes the row at `from` out and puts it at `to` (clamped to the last
  // row); it is then the selected row.
  void Move(size_t from, size_t to);
  void Clear();
  Row& Edit(size_t index) { return rows_[index]; }

 private:
  std::vector<Row> rows_;
  int selected_ = -1;
};

}  // namespace macros
