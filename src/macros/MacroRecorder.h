#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "macros/MacroActionList.h"

namespace macros {

// Where a recorded event goes in the action list.
enum class Placement { Append = 4, Before = 8, After = 16, Replace = 32 };

// What the recorder keeps between events of one placement for the life of
// the program: the last key pressed (scan code, extended flag), against
// auto-repeat, and the last mouse message accepted.
struct RecordingMemory {
  struct Variant {
    std::optional<std::pair<uint32_t, bool>> lastDown;
    std::optional<uint32_t> lastMouseMessage;
  };
  std::array<Variant, 4> variants;
  Variant& For(Placement placement);
  // The program's one memory, shared by every macro panel.
  static RecordingMemory& Shared();
};

// Turns captured keys and mouse buttons into rows of the action list, with
// the pause before each next event.
class MacroRecorder {
 public:
  enum Timing { RealTime = 1, FixedDelay = 2, NoDelay = 3 };

  explicit MacroRecorder(RecordingMemory& memory = RecordingMemory::Shared()) : memory_(memory) {}

  // Starts a recording: `nowMs` is the last event time from here on.
  void Start(int timing, uint16_t fixedDelay, uint32_t nowMs);
  int TimingMode() const { return timing_; }
  bool HasRecorded() const { return recorded_; }

  // A key message (256/260 press, 257/261 release) with its scan code and
  // flags (bit 0: extended). True when the list changed.
  bool OnKey(MacroActionList& list, Placement placement, uint32_t message, uint32_t scanCode,
             uint32_t flags, uint32_t nowMs);
  // A mouse button message (513 ... 524) and the mouse data (the extra
  // button in the high word). True when the list changed.
  bool OnMouseButton(MacroActionList& list, Placement placement, uint32_t message, uint32_t mouseData,
                     uint32_t nowMs);

 private:
  bool Place(MacroActionList& list, Placement placement, MacroActionList::Row row, uint32_t nowMs);

  RecordingMemory& memory_;
  int timing_ = RealTime;
  uint16_t fixedDelay_ = 50;
  uint32_t lastEventMs_ = 0;
  bool recorded_ = false;
};

}  // namespace macros
