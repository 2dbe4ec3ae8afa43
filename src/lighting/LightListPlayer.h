#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lighting/LedCanvas.h"
#include "profiles/LightInfo.h"

// The per-light-point effect list of a profile ("LightList"): element i
// drives light point i with its own kind, brightness, speed, direction,
// multicolour flag and colour. Kinds: 0 breathing, 1 static, 2 blink,
// 3 colour cycle, 4 off.
//
// Not thread-safe: the device page holds its effect-list lock around
// SetList and Run.
namespace lighting {

class LightListPlayer {
 public:
  // Replaces the list; its state starts afresh (the next Run resets it).
  void SetList(std::vector<LightInfo> list);
  const std::vector<LightInfo>& List() const { return list_; }

  // One pass over the list: breathing, static, colour cycle, blink, off.
  // `reset` restarts the breathing, colour-cycle and blink state first.
  // Elements naming points at or beyond the canvas are skipped.
  void Run(LedCanvas& canvas, uint32_t nowMs, bool reset);

  // Breathing position of element i (0..127).
  uint8_t Phase(std::size_t i) const { return i < state_.size() ? state_[i].phase : 0; }

 private:
  struct ElementState {
    uint8_t phase = 0;
    // One colour position per element: breathing, colour cycle and blink
    // all move it.
    uint8_t colourPos = 0;
    uint8_t counter = 0;
    uint8_t divider = 0;
    bool blinkOn = false;
    uint32_t blinkPeriodMs = 0;
    uint32_t blinkTime = 0;
  };

  void Breathing(LedCanvas& canvas, int count, bool reset);
  void Static(LedCanvas& canvas, int count);
  void ColourCycle(LedCanvas& canvas, int count, bool reset);
  void Blink(LedCanvas& canvas, int count, uint32_t nowMs, bool reset);
  void Off(LedCanvas& canvas, int count);

  std::vector<LightInfo> list_;
  std::vector<ElementState> state_;
  bool fresh_ = false;
};

}  // namespace lighting
