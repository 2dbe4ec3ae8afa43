#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "profiles/CBasicProfiledata.h"
#include "profiles/CorrectInfoEntry.h"
#include "profiles/DpiStage.h"

// A mouse's profile data: the common fields plus the DPI stages
// ("DPIStages"), the pointer, scrolling and double-click settings
// ("SystemStages"), the report rate ("ReportStages") and the correction
// presets ("CorrectInfo").
class CMouseProfiledata : public CBasicProfiledata {
 public:
  // Word 0: "DoubleClickTime" (low 16 bits), "MouseSpeed" (high); word 1:
  // "PointerPrecision", "ScorllPage"; word 2: "WheelScorlllinse", and the
  // report rate stage "ReportStages"."StageActive" (0 without
  // "ReportStages").
  using SystemWords = std::array<uint32_t, 3>;

  // The stages read overwrite the kept ones from the front: stage j replaces
  // kept stage j or is appended, kept stages beyond those read stay. Also
  // takes the selected stage. Without "DPIStages" nothing changes.
  std::vector<DpiStage> GetDpiStages();
  // Writes the 7 keys of every stage (not the selected stage).
  void SetDpiStages(const std::vector<DpiStage>& stages);
  // The selected stage as the last GetDpiStages or SetActiveDpiStage left
  // it; a value from the file outside the kept stages reads as 0.
  int GetActiveDpiStage() const { return m_ActiveDpiStage; }
  void SetActiveDpiStage(int stage);

  SystemWords GetMouseSystem();
  void SetMouseSystem(uint32_t word0, uint32_t word1, uint32_t word2);

  // "CorrectInfo", read only (it comes from the template).
  std::vector<CorrectInfoEntry> GetCorrectInfo();

 protected:
  std::vector<DpiStage> m_DpiStages;
  int m_ActiveDpiStage = 0;
  SystemWords m_MouseSystem{};
  std::vector<CorrectInfoEntry> m_CorrectInfo;
};
