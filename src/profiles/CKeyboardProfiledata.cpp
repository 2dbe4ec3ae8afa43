#include "profiles/CKeyboardProfiledata.h"

#include <algorithm>

#include "profiles/JsonValue.h"

using namespace jsonvalue;

namespace {

Json::Value ColorObject(const CustomLightColor& color) {
  Json::Value object(Json::objectValue);
  object["Red"] = color.Red;
  object["Green"] = color.Green;
  object["Blue"] = color.Blue;
  object["Alpha"] = color.Alpha;
  return object;
}

uint32_t Pack(const Json::Value& object, const char* low, const char* high) {
  return ReadWord(Member(object, low)) | (static_cast<uint32_t>(ReadWord(Member(object, high))) << 16);
}

void Unpack(Json::Value& object, uint32_t word, const char* low, const char* high) {
  ObjectMember(object, low) = static_cast<int>(word & 0xFFFF);
  ObjectMember(object, high) = static_cast<int>(word >> 16);
}

}  // namespace

CKeyboardProfiledata::SystemWords CKeyboardProfiledata::GetKeyboardSystem() {
  const Json::Value& system = Member(Section(), "SystemStages");
  m_KeyboardSystem = {Pack(system, "Repeat", "RepeatDelay"), Pack(system, "Key6Flag", "PollingRate"),
                      Pack(system, "WFlag", "WinFlag"), 0};
  return m_KeyboardSystem;
}

void CKeyboardProfiledata::SetKeyboardSystem(uint32_t word0, uint32_t word1, uint32_t word2, uint32_t word3) {
  m_KeyboardSystem = {word0, word1, word2, word3};
  Json::Value& system = ObjectMember(MutableSection(), "SystemStages");
  Unpack(system, word0, "Repeat", "RepeatDelay");
  Unpack(system, word1, "Key6Flag", "PollingRate");
  Unpack(system, word2, "WFlag", "WinFlag");
}

bool CKeyboardProfiledata::GetFnKeysetFlag() const {
  return ReadBool(Member(Section(), "FnKeysetFlag"), false);
}

void CKeyboardProfiledata::SetFnKeysetFlag(bool on) { ObjectMember(MutableSection(), "FnKeysetFlag") = on; }

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
  const int wanted = count < 0 ? 0 : std::min(count, kMaxCustomLightColors);
  m_CustomLightColors.assign(static_cast<size_t>(wanted), CustomLightColor{});
  // Nothing to complete without the custom lighting object; and an index
  // past the bounds must not grow the file's arrays.
  if (!Member(Section(), "CustomLightMode").isObject() || group < 0 || group >= kMaxCustomLightGroups)
    return m_CustomLightColors;

  Json::Value& groups = ObjectMember(ObjectMember(MutableSection(), "CustomLightMode"), "LightColorInfo");
  Json::Value& colors = ArrayElement(groups, static_cast<Json::ArrayIndex>(group));
  for (int i = 0; i < wanted; ++i) {
    Json::Value& element = ArrayElement(colors, static_cast<Json::ArrayIndex>(i));
    if (!element.isObject()) {
      element = ColorObject(CustomLightColor{});
      continue;
    }
    CustomLightColor& color = m_CustomLightColors[static_cast<size_t>(i)];
    color.Red = ReadByte(Member(element, "Red"));
    color.Green = ReadByte(Member(element, "Green"));
    color.Blue = ReadByte(Member(element, "Blue"));
    color.Alpha = ReadByte(Member(element, "Alpha"));
  }
  return m_CustomLightColors;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<CustomLightColor>& colors, int group) {
  m_CustomLightColors = colors;
  if (group < 0 || group >= kMaxCustomLightGroups ||
      colors.size() > static_cast<size_t>(kMaxCustomLightColors))
    return;
  Json::Value& groups = ObjectMember(ObjectMember(MutableSection(), "CustomLightMode"), "LightColorInfo");
  Json::Value& stored = ArrayElement(groups, static_cast<Json::ArrayIndex>(group));
  for (size_t i = 0; i < colors.size(); ++i)
    ArrayElement(stored, static_cast<Json::ArrayIndex>(i)) = ColorObject(colors[i]);
}

int CKeyboardProfiledata::GetCustomLightGroupIndex() {
  m_CustomLightGroupIndex =
      ReadIntIn(Member(Member(Section(), "CustomLightMode"), "CustomLightModeGroupIndex"), 0, 0,
                kMaxCustomLightGroups - 1);
  return m_CustomLightGroupIndex;
}

void CKeyboardProfiledata::SetCustomLightGroupIndex(int group) {
  m_CustomLightGroupIndex = group;
  ObjectMember(ObjectMember(MutableSection(), "CustomLightMode"), "CustomLightModeGroupIndex") = group;
}
