#pragma once

#include <cstdint>
#include <vector>

#include "lighting/LightModeList.h"
#include "profiles/CorrectInfoEntry.h"
#include "profiles/DpiStage.h"
#include "profiles/LightInfo.h"
#include "protocol/ParameterBlocks.h"

namespace mouse {

// What the mouse's parameter block is built from: the profile's lighting,
// DPI stages (at most five are sent; missing ones are zeros), report rate,
// active stage and correction presets.
struct MouseSettings {
  LightInfo light;
  std::vector<DpiStage> stages;
  int reportRate = 0;
  int activeStage = 0;
  std::vector<CorrectInfoEntry> corrections;
};

// What goes with the block: byte 0, the mark in byte 59 and the primary
// screen's size in device pixels.
struct BlockFrame {
  uint8_t byte0 = 0;
  uint8_t mark = 1;
  uint16_t screenWidth = 0;
  uint16_t screenHeight = 0;
};

protocol::MouseParameters::Bytes BuildMouseBlock(const MouseSettings& settings,
                                                 const LightModeList& modes,
                                                 const BlockFrame& frame);

// The DPI stages the block carries (five, in block order).
std::vector<DpiStage> StagesOfBlock(const protocol::MouseParameters::Bytes& block);

}  // namespace mouse
