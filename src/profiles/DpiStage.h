#pragma once

#include <cstdint>

// One DPI stage of a mouse profile ("DPIStages"."StageDPIs"[i]). The device
// block carries it as 9 bytes with the DPI values little-endian; here the
// values are plain fields.
struct DpiStage {
  uint8_t StageActive = 0;  // the stage is enabled
  uint8_t StageXY = 0;      // X and Y set separately
  uint16_t StageDPIX = 0;
  uint16_t StageDPIY = 0;
  uint8_t StageColorR = 0;
  uint8_t StageColorG = 0;
  uint8_t StageColorB = 0;

  bool operator==(const DpiStage&) const = default;
};
