// The read-only profile templates in DefaultData/ (written by
// tools/templates/make-templates.py): each parses, carries the document keys
// and a complete device section of its kind, with every value of the JSON
// type and range the profile readers expect.

#include <gtest/gtest.h>

#include <json/json.h>

#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>

namespace {

Json::Value ReadTemplate(const std::string& name) {
  const std::string path = std::string(TRAVIX_SOURCE_DIR) + "/DefaultData/" + name;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Json::Value();
  std::stringstream text;
  text << in.rdbuf();
  const std::string data = text.str();
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  if (!reader->parse(data.data(), data.data() + data.size(), &root, &errors))
    return Json::Value();
  return root;
}

// The device section of a template, after checking the document keys.
Json::Value Section(const std::string& name) {
  const Json::Value root = ReadTemplate(name);
  EXPECT_TRUE(root.isObject()) << name << " does not parse to an object";
  if (!root.isObject())
    return Json::Value();
  EXPECT_TRUE(root["profilename"].isString()) << name;
  EXPECT_TRUE(root["profileUUID"].isString()) << name;
  const Json::Value& device = root["Device"];
  EXPECT_TRUE(device.isArray()) << name;
  if (!device.isArray() || device.empty())
    return Json::Value();
  EXPECT_TRUE(device[0].isObject()) << name;
  return device[0];
}

// Integer member `key` of `object`, within [lo, hi].
void ExpectInt(const Json::Value& object, const char* key, long long lo, long long hi,
               const std::string& where) {
  ASSERT_TRUE(object.isObject()) << where;
  ASSERT_TRUE(object.isMember(key)) << where << ": missing \"" << key << "\"";
  const Json::Value& v = object[key];
  ASSERT_TRUE(v.isInt64()) << where << ": \"" << key << "\" is not an integer";
  EXPECT_GE(v.asInt64(), lo) << where << ": \"" << key << "\"";
  EXPECT_LE(v.asInt64(), hi) << where << ": \"" << key << "\"";
}

void ExpectInts(const Json::Value& object, std::initializer_list<const char*> keys, long long lo,
                long long hi, const std::string& where) {
  for (const char* key : keys)
    ExpectInt(object, key, lo, hi, where);
}

void ExpectLightInfo(const Json::Value& section, const std::string& where) {
  const Json::Value& info = section["LightInfo"];
  ASSERT_TRUE(info.isObject()) << where;
  ExpectInts(info,
             {"SelectItem", "Light", "Speed", "Fx", "Red", "Green", "Blue", "ZZCCLedMode",
              "CustomGroup", "OldLedmode", "byVoiceLedmodeSwith", "byVoiceLedmode",
              "byVoiceSensitivity"},
             0, 255, where + " LightInfo");
  ExpectInt(info, "MultiColor", 0, 1, where + " LightInfo");
  ExpectInt(info, "Light", 0, 4, where + " LightInfo");
  ExpectInt(info, "Speed", 0, 4, where + " LightInfo");
}

void ExpectEmptyLightList(const Json::Value& section, const std::string& where) {
  ASSERT_TRUE(section.isMember("LightList")) << where;
  EXPECT_TRUE(section["LightList"].isArray()) << where;
  EXPECT_EQ(section["LightList"].size(), 0u) << where << ": a light list element would be "
                                                          "painted over every lighting mode";
}

// A "KeyList" of `count` elements with three 24-bit function codes each.
void ExpectKeyList(const Json::Value& section, Json::ArrayIndex count, const std::string& where) {
  const Json::Value& keys = section["KeyList"];
  ASSERT_TRUE(keys.isArray()) << where;
  ASSERT_EQ(keys.size(), count) << where;
  for (Json::ArrayIndex i = 0; i < count; ++i) {
    const std::string at = where + " KeyList[" + std::to_string(i) + "]";
    ExpectInts(keys[i], {"FnAssignment", "Assignment", "DefaultAssignment"}, 0, 0xFFFFFF, at);
    EXPECT_EQ(keys[i]["Assignment"], keys[i]["DefaultAssignment"]) << at;
  }
}

constexpr int Code(int type, int code1, int code2) { return (type << 16) | (code1 << 8) | code2; }

TEST(TemplateShape, KeyboardSection) {
  const Json::Value s = Section("keyboard.Json");
  ASSERT_TRUE(s.isObject());
  ExpectLightInfo(s, "keyboard");
  ExpectEmptyLightList(s, "keyboard");

  const Json::Value& audio = s["AudioLightInfo"];
  ASSERT_TRUE(audio.isObject());
  ExpectInts(audio,
             {"AudioMode", "BkColorR", "BkColorG", "BkColorB", "FgColorR", "FgColorG", "FgColorB"},
             0, 255, "keyboard AudioLightInfo");
  ExpectInts(audio, {"7ColorFlags", "ColorTypeFlags"}, 0, 1, "keyboard AudioLightInfo");

  ExpectKeyList(s, 170, "keyboard");
  const Json::Value& keys = s["KeyList"];
  EXPECT_EQ(keys[0]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x29));    // Esc
  EXPECT_EQ(keys[21]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x35));   // grave accent
  EXPECT_EQ(keys[64]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x04));   // A
  EXPECT_EQ(keys[84]["DefaultAssignment"].asInt(), Code(0x20, 0x02, 0x00));   // LShift
  EXPECT_EQ(keys[104]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x00));  // (none)
  EXPECT_EQ(keys[108]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x2C));  // Space
  EXPECT_EQ(keys[110]["DefaultAssignment"].asInt(), Code(0xA0, 0x01, 0x00));  // FN
  EXPECT_EQ(keys[118]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x58));  // Num Enter
  EXPECT_EQ(keys[120]["DefaultAssignment"].asInt(), Code(0xD0, 0xA2, 0x01));  // M1
  EXPECT_EQ(keys[169]["DefaultAssignment"].asInt(), Code(0x20, 0x00, 0x00));  // (none)

  const Json::Value& system = s["SystemStages"];
  ASSERT_TRUE(system.isObject());
  ExpectInts(system, {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"}, 0,
             65535, "keyboard SystemStages");
  ExpectInt(system, "RepeatDelay", 0, 3, "keyboard SystemStages");
  ExpectInt(system, "PollingRate", 0, 3, "keyboard SystemStages");

  ASSERT_TRUE(s["FnKeysetFlag"].isBool());
  EXPECT_FALSE(s["FnKeysetFlag"].asBool());

  const Json::Value& custom = s["CustomLightMode"];
  ASSERT_TRUE(custom.isObject());
  const Json::Value& groups = custom["LightColorInfo"];
  ASSERT_TRUE(groups.isArray());
  ASSERT_GE(groups.size(), 1u);
  ASSERT_LE(groups.size(), 8u);
  for (Json::ArrayIndex g = 0; g < groups.size(); ++g) {
    ASSERT_TRUE(groups[g].isArray());
    ASSERT_EQ(groups[g].size(), 170u) << "group " << g << ": one colour per light position";
    for (Json::ArrayIndex i = 0; i < groups[g].size(); ++i)
      ExpectInts(groups[g][i], {"Red", "Green", "Blue", "Alpha"}, 0, 255,
                 "LightColorInfo[" + std::to_string(g) + "][" + std::to_string(i) + "]");
  }
  ExpectInt(custom, "CustomLightModeGroupIndex", 0,
            static_cast<long long>(groups.size()) - 1, "keyboard CustomLightMode");
  ExpectInt(s["LightInfo"], "CustomGroup", 0, static_cast<long long>(groups.size()) - 1,
            "keyboard LightInfo");
}

TEST(TemplateShape, MouseSection) {
  const Json::Value s = Section("mouse.Json");
  ASSERT_TRUE(s.isObject());
  ExpectLightInfo(s, "mouse");
  ExpectEmptyLightList(s, "mouse");

  ExpectKeyList(s, 11, "mouse");
  const Json::Value& keys = s["KeyList"];
  EXPECT_EQ(keys[0]["DefaultAssignment"].asInt(), Code(0x10, 0x01, 0x00));   // left
  EXPECT_EQ(keys[1]["DefaultAssignment"].asInt(), Code(0x10, 0x02, 0x00));   // right
  EXPECT_EQ(keys[2]["DefaultAssignment"].asInt(), Code(0x10, 0x04, 0x00));   // middle
  EXPECT_EQ(keys[7]["DefaultAssignment"].asInt(), Code(0x13, 0x03, 0x00));   // DPI cycle
  EXPECT_EQ(keys[10]["DefaultAssignment"].asInt(), Code(0x14, 0x78, 0x02));  // fire
  for (Json::ArrayIndex i = 0; i < keys.size(); ++i)
    EXPECT_EQ(keys[i]["FnAssignment"].asInt(), 0) << i;

  const Json::Value& dpi = s["DPIStages"];
  ASSERT_TRUE(dpi.isObject());
  ExpectInt(dpi, "StageActive", 0, 4, "mouse DPIStages");
  const Json::Value& stages = dpi["StageDPIs"];
  ASSERT_TRUE(stages.isArray());
  ASSERT_EQ(stages.size(), 5u);
  for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
    const std::string at = "StageDPIs[" + std::to_string(i) + "]";
    ExpectInts(stages[i], {"StageActive", "StageXY", "StageColorR", "StageColorG", "StageColorB"},
               0, 255, at);
    ExpectInts(stages[i], {"StageDPIX", "StageDPIY"}, 0, 65535, at);
  }
  // The selected stage is switched on.
  EXPECT_NE(stages[dpi["StageActive"].asUInt()]["StageActive"].asInt(), 0);

  const Json::Value& system = s["SystemStages"];
  ASSERT_TRUE(system.isObject());
  ExpectInts(system,
             {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage",
              "WheelScorlllinse"},
             0, 65535, "mouse SystemStages");
  ExpectInts(system, {"PointerPrecision", "ScorllPage"}, 0, 1, "mouse SystemStages");

  ASSERT_TRUE(s["ReportStages"].isObject());
  ExpectInt(s["ReportStages"], "StageActive", 0, 4, "mouse ReportStages");

  const Json::Value& correct = s["CorrectInfo"];
  ASSERT_TRUE(correct.isArray());
  ASSERT_GE(correct.size(), 1u);
  for (Json::ArrayIndex i = 0; i < correct.size(); ++i) {
    const std::string at = "CorrectInfo[" + std::to_string(i) + "]";
    ExpectInts(correct[i], {"CorrectPixThresh", "CorrectMinSq", "CorrectSelect"}, 0, 255, at);
    EXPECT_TRUE(correct[i]["CorrectName"].isString()) << at;
  }
}

TEST(TemplateShape, MousePadSection) {
  const Json::Value s = Section("MousePad.Json");
  ASSERT_TRUE(s.isObject());
  ExpectLightInfo(s, "pad");
  ExpectEmptyLightList(s, "pad");
}

TEST(TemplateShape, HeadsetSection) {
  const Json::Value s = Section("HD.Json");
  ASSERT_TRUE(s.isObject());
  ExpectLightInfo(s, "headset");
  ExpectEmptyLightList(s, "headset");

  const Json::Value& system = s["SystemSetStages"];
  ASSERT_TRUE(system.isObject());
  ExpectInts(system,
             {"MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex", "MicInSelect",
              "MicInValue", "MicMoniterSelect", "MicMoniterValue"},
             0, 100, "headset SystemSetStages");
  ExpectInts(system, {"MagicEnable", "MicInSelect", "MicMoniterSelect"}, 0, 1,
             "headset SystemSetStages");
  ExpectInt(system, "MagicType", 1, 4, "headset SystemSetStages");
  ExpectInt(system, "EqType", 1, 12, "headset SystemSetStages");  // a preset: no custom curve yet

  const Json::Value& eq = s["EQHzValueInfo"];
  ASSERT_TRUE(eq.isArray());
  ASSERT_EQ(eq.size(), 13u) << "row 0 unused, rows 1 to 12 the presets";
  for (Json::ArrayIndex row = 0; row < eq.size(); ++row) {
    ASSERT_TRUE(eq[row].isArray()) << row;
    ASSERT_EQ(eq[row].size(), 10u) << row;
    for (Json::ArrayIndex band = 0; band < 10; ++band)
      ExpectInt(eq[row][band], "value", -20, 20,
                "EQHzValueInfo[" + std::to_string(row) + "][" + std::to_string(band) + "]");
  }
  // Preset 1 starts 7, 11; preset 5 is flat.
  EXPECT_EQ(eq[1][0]["value"].asInt(), 7);
  EXPECT_EQ(eq[1][1]["value"].asInt(), 11);
  for (Json::ArrayIndex band = 0; band < 10; ++band)
    EXPECT_EQ(eq[5][band]["value"].asInt(), 0);

  const Json::Value& customValues = s["CustomEQHzValueInfo"];
  const Json::Value& customNames = s["CustomEQNameInfo"];
  ASSERT_TRUE(customValues.isArray());
  ASSERT_TRUE(customNames.isArray());
  for (Json::ArrayIndex slot = 0; slot < customValues.size(); ++slot) {
    ASSERT_TRUE(customValues[slot].isArray());
    ASSERT_EQ(customValues[slot].size(), 10u);
    for (Json::ArrayIndex band = 0; band < 10; ++band)
      ExpectInt(customValues[slot][band], "value", -20, 20, "CustomEQHzValueInfo");
  }
  for (Json::ArrayIndex i = 0; i < customNames.size(); ++i)
    EXPECT_TRUE(customNames[i]["Name"].isString());
  EXPECT_LE(customNames.size(), 20u);
}

// Device-kind keys stay in their own kind's template.
TEST(TemplateShape, SectionsHoldOnlyTheirKindsKeys) {
  EXPECT_FALSE(Section("mouse.Json").isMember("AudioLightInfo"));
  EXPECT_FALSE(Section("MousePad.Json").isMember("KeyList"));
  EXPECT_FALSE(Section("HD.Json").isMember("KeyList"));
  EXPECT_FALSE(Section("keyboard.Json").isMember("DPIStages"));
}

}  // namespace
