#pragma once

#include <span>
#include <string>

#include "hid/InterfaceRecord.h"

// The two tests an interface found on the machine must pass to be bound to a
// slot of the device registry (the slots are copies of the table's rows).
class DeviceMatcher {
 public:
  // Before opening: the path's ids, collection and interface number name a
  // table row, and a free registry slot of that kind exists.
  static bool IsCandidate(const std::string& path, std::span<const InterfaceRecord> registry);
  // The record as the path gives it (ids, collection, interface number).
  static InterfaceRecord FromPath(const std::string& path);
  // After opening, with the ids of the attributes and the usage page and
  // usage of the capabilities in `record`: completes the record's type and
  // role from the table, binds the first free matching slot (in use, path)
  // and returns its index; -1 when nothing matches.
  static int MatchOpenedInterface(InterfaceRecord& record, std::span<InterfaceRecord> registry);
};
