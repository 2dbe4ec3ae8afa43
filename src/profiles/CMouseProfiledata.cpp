#include "profiles/CMouseProfiledata.h"

#include "profiles/JsonValue.h"

using namespace jsonvalue;

namespace {

uint32_t Pack(const Json::Value& object, const char* low, const char* high) {
  return ReadWord(Member(object, low)) | (static_cast<uint32_t>(ReadWord(Member(object, high))) << 16);
}

}  // namespace

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
  const Json::Value& dpi = Member(Section(), "DPIStages");
  if (!dpi.isObject())
    return m_DpiStages;
  const Json::Value& list = Member(dpi, "StageDPIs");
  const Json::ArrayIndex count = ArraySize(list);
  for (Json::ArrayIndex j = 0; j < count; ++j) {
    const Json::Value& element = list[j];
    DpiStage stage;
    stage.StageActive = ReadByte(Member(element, "StageActive"));
    stage.StageXY = ReadByte(Member(element, "StageXY"));
    stage.StageDPIX = ReadWord(Member(element, "StageDPIX"));
    stage.StageDPIY = ReadWord(Member(element, "StageDPIY"));
    stage.StageColorR = ReadByte(Member(element, "StageColorR"));
    stage.StageColorG = ReadByte(Member(element, "StageColorG"));
    stage.StageColorB = ReadByte(Member(element, "StageColorB"));
    if (j < m_DpiStages.size())
      m_DpiStages[j] = stage;
    else
      m_DpiStages.push_back(stage);
  }
  // The selected stage indexes the stages; one past them selects none.
  const int active = ReadInt(Member(dpi, "StageActive"), 0);
  m_ActiveDpiStage = active >= 0 && static_cast<size_t>(active) < m_DpiStages.size() ? active : 0;
  return m_DpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
  m_DpiStages = stages;
  Json::Value& list = ObjectMember(ObjectMember(MutableSection(), "DPIStages"), "StageDPIs");
  for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
    Json::Value& element = ArrayElement(list, i);
    const DpiStage& stage = stages[i];
    ObjectMember(element, "StageActive") = stage.StageActive;
    ObjectMember(element, "StageXY") = stage.StageXY;
    ObjectMember(element, "StageDPIX") = stage.StageDPIX;
    ObjectMember(element, "StageDPIY") = stage.StageDPIY;
    ObjectMember(element, "StageColorR") = stage.StageColorR;
    ObjectMember(element, "StageColorG") = stage.StageColorG;
    ObjectMember(element, "StageColorB") = stage.StageColorB;
  }
}

void CMouseProfiledata::SetActiveDpiStage(int stage) {
  m_ActiveDpiStage = stage;
  ObjectMember(ObjectMember(MutableSection(), "DPIStages"), "StageActive") = stage;
}

CMouseProfiledata::SystemWords CMouseProfiledata::GetMouseSystem() {
  const Json::Value& system = Member(Section(), "SystemStages");
  const uint32_t reportRate = ReadWord(Member(Member(Section(), "ReportStages"), "StageActive"));
  m_MouseSystem = {Pack(system, "DoubleClickTime", "MouseSpeed"),
                   Pack(system, "PointerPrecision", "ScorllPage"),
                   ReadWord(Member(system, "WheelScorlllinse")) | (reportRate << 16)};
  return m_MouseSystem;
}

void CMouseProfiledata::SetMouseSystem(uint32_t word0, uint32_t word1, uint32_t word2) {
  m_MouseSystem = {word0, word1, word2};
  Json::Value& system = ObjectMember(MutableSection(), "SystemStages");
  ObjectMember(system, "DoubleClickTime") = static_cast<int>(word0 & 0xFFFF);
  ObjectMember(system, "MouseSpeed") = static_cast<int>(word0 >> 16);
  ObjectMember(system, "PointerPrecision") = static_cast<int>(word1 & 0xFFFF);
  ObjectMember(system, "ScorllPage") = static_cast<int>(word1 >> 16);
  ObjectMember(system, "WheelScorlllinse") = static_cast<int>(word2 & 0xFFFF);
  ObjectMember(ObjectMember(MutableSection(), "ReportStages"), "StageActive") = static_cast<int>(word2 >> 16);
}

std::vector<CorrectInfoEntry> CMouseProfiledata::GetCorrectInfo() {
  const Json::Value& list = Member(Section(), "CorrectInfo");
  m_CorrectInfo.assign(ArraySize(list), CorrectInfoEntry{});
  for (Json::ArrayIndex i = 0; i < m_CorrectInfo.size(); ++i) {
    const Json::Value& element = list[i];
    CorrectInfoEntry& entry = m_CorrectInfo[i];
    entry.CorrectPixThresh = ReadByte(Member(element, "CorrectPixThresh"));
    entry.CorrectMinSq = ReadByte(Member(element, "CorrectMinSq"));
    entry.CorrectSelect = ReadByte(Member(element, "CorrectSelect"));
    entry.CorrectName = ReadString(Member(element, "CorrectName"));
  }
  return m_CorrectInfo;
}
