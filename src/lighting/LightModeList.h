#pragma once

#include <QString>
#include <string>
#include <vector>

// The lighting modes a device page offers, from the product's mode file
// ("DefaultData/default_light.json"): a list per light table, each entry with
// the language id of its name, whether it is shown, and the device's own mode
// number. A profile keeps the position in this list; the device receives the
// value.
class LightModeList {
 public:
  std::vector<std::string> names;
  std::vector<bool> visible;
  std::vector<int> values;

  // The list of light table `tableIndex` of the file at `path`; empty when
  // the file, the table or its entries are missing or not what they should
  // be. Entries keep their positions: each field of an entry that is missing
  // or of the wrong type reads as its default (empty name, hidden, value 0).
  static LightModeList Load(const QString& path, int tableIndex);

  int Count() const { return static_cast<int>(values.size()); }
  bool Empty() const { return values.empty(); }
  // The device value of list position `position`.
  int ValueAt(int position) const;
  // The first position carrying `value`, or -1.
  int PositionOf(int value) const;
};
