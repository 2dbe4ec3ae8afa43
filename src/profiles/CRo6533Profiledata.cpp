#include "profiles/CRo6533Profiledata.h"

#include <algorithm>

#include "profiles/JsonValue.h"

using namespace jsonvalue;

HeadsetSystem CRo6533Profiledata::GetHeadsetSystem() {
  const Json::Value& system = Member(Section(), "SystemSetStages");
  m_HeadsetSystem.MagicEnable = ReadInt(Member(system, "MagicEnable"), 0);
  m_HeadsetSystem.MagicType = ReadInt(Member(system, "MagicType"), 0);
  m_HeadsetSystem.EqType = ReadInt(Member(system, "EqType"), 0);
  m_HeadsetSystem.CustomEqSelectIndex = ReadInt(Member(system, "CustomEqSeletIndex"), 0);
  m_HeadsetSystem.MicInSelect = ReadInt(Member(system, "MicInSelect"), 0);
  m_HeadsetSystem.MicInValue = ReadInt(Member(system, "MicInValue"), 0);
  m_HeadsetSystem.MicMonitorSelect = ReadInt(Member(system, "MicMoniterSelect"), 0);
  m_HeadsetSystem.MicMonitorValue = ReadInt(Member(system, "MicMoniterValue"), 0);
  return m_HeadsetSystem;
}

void CRo6533Profiledata::SetHeadsetSystem(const HeadsetSystem& system) {
  m_HeadsetSystem = system;
  Json::Value& object = ObjectMember(MutableSection(), "SystemSetStages");
  ObjectMember(object, "MagicEnable") = system.MagicEnable;
  ObjectMember(object, "MagicType") = system.MagicType;
  ObjectMember(object, "EqType") = system.EqType;
  ObjectMember(object, "CustomEqSeletIndex") = system.CustomEqSelectIndex;
  ObjectMember(object, "MicInSelect") = system.MicInSelect;
  ObjectMember(object, "MicInValue") = system.MicInValue;
  ObjectMember(object, "MicMoniterSelect") = system.MicMonitorSelect;
  ObjectMember(object, "MicMoniterValue") = system.MicMonitorValue;
}

int CRo6533Profiledata::EqPresetRow(int eqType) {
  if (eqType == kCustomEqType)
    return -1;
  return eqType >= 1 && eqType <= 12 ? eqType : 1;
}

std::vector<int> CRo6533Profiledata::ReadBands(const char* key, int row) {
  std::vector<int> values(kEqBands, 0);
  // Without a section there is nothing to complete: a save must still write
  // the section as null.
  if (!Section().isObject())
    return values;
  Json::Value& bands = ArrayElement(ObjectMember(MutableSection(), key), static_cast<Json::ArrayIndex>(row));
  for (int band = 0; band < kEqBands; ++band) {
    Json::Value& element = ArrayElement(bands, static_cast<Json::ArrayIndex>(band));
    if (!element.isObject()) {
      element = Json::Value(Json::objectValue);
      element["value"] = 0;
      continue;
    }
    values[static_cast<size_t>(band)] = ReadInt(Member(element, "value"), 0);
  }
  return values;
}

void CRo6533Profiledata::WriteBands(const char* key, int row, const std::vector<int>& values) {
  Json::Value& bands = ArrayElement(ObjectMember(MutableSection(), key), static_cast<Json::ArrayIndex>(row));
  const size_t count = std::min<size_t>(values.size(), kEqBands);
  for (size_t band = 0; band < count; ++band)
    ObjectMember(ArrayElement(bands, static_cast<Json::ArrayIndex>(band)), "value") = values[band];
}

std::vector<int> CRo6533Profiledata::GetEqValues(int eqType) {
  const int row = EqPresetRow(eqType);
  if (row < 0)
    return {};
  return ReadBands("EQHzValueInfo", row);
}

void CRo6533Profiledata::SetEqValues(int eqType, const std::vector<int>& values) {
  const int row = EqPresetRow(eqType);
  if (row >= 0)
    WriteBands("EQHzValueInfo", row, values);
}

std::vector<int> CRo6533Profiledata::GetCustomEqValues(int slot) {
  if (slot < 0 || slot >= kMaxCustomEqSlots)
    return std::vector<int>(kEqBands, 0);
  return ReadBands("CustomEQHzValueInfo", slot);
}

void CRo6533Profiledata::SetCustomEqValues(int slot, const std::vector<int>& values) {
  if (slot >= 0 && slot < kMaxCustomEqSlots)
    WriteBands("CustomEQHzValueInfo", slot, values);
}

QStringList CRo6533Profiledata::GetCustomEqNames() const {
  const Json::Value& list = Member(Section(), "CustomEQNameInfo");
  QStringList names;
  for (Json::ArrayIndex i = 0; i < ArraySize(list); ++i)
    names.append(ReadString(Member(list[i], "Name")));
  return names;
}

void CRo6533Profiledata::SetCustomEqNames(const QStringList& names) {
  Json::Value list(Json::arrayValue);
  for (const QString& name : names) {
    Json::Value entry(Json::objectValue);
    entry["Name"] = name.toStdString();
    list.append(entry);
  }
  ObjectMember(MutableSection(), "CustomEQNameInfo") = list;
}
