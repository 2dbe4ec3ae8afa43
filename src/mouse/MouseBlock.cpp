#include "mouse/MouseBlock.h"

#include <algorithm>

#include "lighting/LightingBytes.h"

namespace mouse {

namespace {

using protocol::MouseParameters;

void PutU16(MouseParameters::Bytes& block, size_t offset, uint16_t value) {
  block[offset] = static_cast<uint8_t>(value & 0xFF);
  block[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetU16(const MouseParameters::Bytes& block, size_t offset) {
  return static_cast<uint16_t>(block[offset] | block[offset + 1] << 8);
}

}  // namespace

MouseParameters::Bytes BuildMouseBlock(const MouseSettings& settings,
                                       const LightModeList& modes,
                                       const BlockFrame& frame) {
  MouseParameters::Bytes block{};
  lighting::PutMouseLighting(block, settings.light, modes);
  block[MouseParameters::kActiveProfileOffset] = frame.byte0;
  block[MouseParameters::kReportRateOffset] = static_cast<uint8_t>(settings.reportRate);
  block[MouseParameters::kActiveStageOffset] = static_cast<uint8_t>(settings.activeStage);
  const size_t stages = std::min(settings.stages.size(), MouseParameters::kStages);
  for (size_t i = 0; i < stages; ++i) {
    const DpiStage& stage = settings.stages[i];
    const size_t at = MouseParameters::kStagesOffset + i * MouseParameters::kStageBytes;
    block[at + MouseParameters::kStageOnOffset] = stage.StageActive;
    block[at + MouseParameters::kStageXYOffset] = stage.StageXY;
    PutU16(block, at + MouseParameters::kStageXOffset, stage.StageDPIX);
    PutU16(block, at + MouseParameters::kStageYOffset, stage.StageDPIY);
    block[at + MouseParameters::kStageColourOffset] = stage.StageColorR;
    block[at + MouseParameters::kStageColourOffset + 1] = stage.StageColorG;
    block[at + MouseParameters::kStageColourOffset + 2] = stage.StageColorB;
  }
  block[MouseParameters::kMarkOffset] = frame.mark;
  PutU16(block, MouseParameters::kScreenWidthOffset, frame.screenWidth);
  PutU16(block, MouseParameters::kScreenHeightOffset, frame.screenHeight);
  // The first selected correction preset, its bytes the other way round.
  const auto selected = std::find_if(settings.corrections.begin(), settings.corrections.end(),
                                     [](const CorrectInfoEntry& entry) { return entry.CorrectSelect != 0; });
  if (selected != settings.corrections.end()) {
    block[MouseParameters::kCorrectionOffset] = selected->CorrectMinSq;
    block[MouseParameters::kCorrectionOffset + 1] = selected->CorrectPixThresh;
  }
  return block;
}

std::vector<DpiStage> StagesOfBlock(const MouseParameters::Bytes& block) {
  std::vector<DpiStage> stages(MouseParameters::kStages);
  for (size_t i = 0; i < stages.size(); ++i) {
    const size_t at = MouseParameters::kStagesOffset + i * MouseParameters::kStageBytes;
    DpiStage& stage = stages[i];
    stage.StageActive = block[at + MouseParameters::kStageOnOffset];
    stage.StageXY = block[at + MouseParameters::kStageXYOffset];
    stage.StageDPIX = GetU16(block, at + MouseParameters::kStageXOffset);
    stage.StageDPIY = GetU16(block, at + MouseParameters::kStageYOffset);
    stage.StageColorR = block[at + MouseParameters::kStageColourOffset];
    stage.StageColorG = block[at + MouseParameters::kStageColourOffset + 1];
    stage.StageColorB = block[at + MouseParameters::kStageColourOffset + 2];
  }
  return stages;
}

}  // namespace mouse
