#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "control/DpiRequest.h"
#include "control/KeyRequest.h"
#include "control/LightRequest.h"
#include "keys/KeyTables.h"

using namespace control;

namespace {

QString English(const std::string& id) {
  if (id == "keyboard_key_Caplk")
    return QStringLiteral("Caps Lock");
  if (id == "media_mute")
    return QStringLiteral("Mute");
  return QString::fromStdString(id);
}

KeyTarget Keyboard() {
  KeyTarget target{QStringLiteral("keyboard"), keys::PanelDevice::Keyboard, {}, 0, English};
  target.keyList.resize(keys::kLayoutPositions);
  for (size_t i = 0; i < target.keyList.size(); ++i) {
    const keys::FunctionCode printed = keys::PrintedFunction(static_cast<int>(i));
    target.keyList[i].Normal = target.keyList[i].Default = {static_cast<uint16_t>(i), printed.Type, printed.Code1,
                                                            printed.Code2, 0};
  }
  return target;
}

KeyTarget Mouse() {
  KeyTarget target{QStringLiteral("mouse"), keys::PanelDevice::Mouse, {}, 0, English};
  for (size_t i = 0; i < keys::MouseFactoryFunctions.size(); ++i) {
    const keys::FunctionCode code = keys::MouseFactoryFunctions[i];
    KeyListEntry entry;
    entry.Normal = entry.Default = {static_cast<uint16_t>(i), code.Type, code.Code1, code.Code2, 0};
    target.keyList.push_back(entry);
  }
  return target;
}

}  // namespace

TEST(KeyArguments, NamesPositionsAndFunctionsAsThePanelBuildsThem) {
  KeyChange change;
  // A printed name without its blank, and the media function by its text.
  ASSERT_FALSE(ParseKeyArguments({{"key", "capslock"}, {"function", "media:mute"}}, Keyboard(), change));
  const int16_t row = keys::KeyPositionTable[static_cast<size_t>(change.position)];
  ASSERT_NE(row, keys::kNoRow);
  EXPECT_STREQ(keys::KeyNameTable[static_cast<size_t>(row)].TextId, "keyboard_key_Caplk");
  EXPECT_EQ(keys::CodeOf(change.entry.Normal), (keys::FunctionCode{0x30, 0xE2, 0x00}));
  EXPECT_EQ(FunctionName(keys::CodeOf(change.entry.Normal), English), "media:Mute");
  // key_N is the picture's position.
  ASSERT_FALSE(ParseKeyArguments({{"key", "key_45"}, {"function", "default"}}, Keyboard(), change));
  EXPECT_EQ(change.position, 45);
  EXPECT_TRUE(ParseKeyArguments({{"key", "key_126"}, {"function", "default"}}, Keyboard(), change));

  // The mouse: a key with one modifier is type 0x20, the modifier's bit,
  // the key's usage; the name reads back.
  ASSERT_FALSE(ParseKeyArguments({{"key", 4}, {"function", "key:shift+C"}}, Mouse(), change));
  EXPECT_EQ(change.position, 3);
  EXPECT_EQ(change.entry.Normal.Type, 0x20);
  EXPECT_EQ(change.entry.Normal.Code1, 0x02);
  EXPECT_NE(change.entry.Normal.Code2, 0);
  EXPECT_EQ(FunctionName(keys::CodeOf(change.entry.Normal), English), "key:shift+keyboard_key_C");
}

TEST(KeyArguments, RefusalsSayWhy) {
  KeyChange change;
  struct Case {
    QJsonObject args;
    bool mouse;
    const char* code;
  };
  const std::vector<Case> cases = {
      {{{"key", "A"}}, false, "bad-request"},                                         // no function
      {{{"key", QJsonArray{}}, {"function", "default"}}, false, "bad-request"},      // key of no kind
      {{{"key", "A"}, {"function", "media:"}}, false, "bad-request"},                // empty name
      {{{"key", "A"}, {"function", "key:ctrl+B"}}, false, "bad-request"},            // keyboard modifiers
      {{{"key", 1}, {"function", "key:hyper+B"}}, true, "bad-request"},              // no such modifier
      {{{"key", 1}, {"function", "key:ctrl+LCtrl"}}, true, "bad-request"},           // a modifier with one
      {{{"key", "A"}, {"function", "default"}, {"layer", "upper"}}, false, "bad-request"},
      {{{"key", 1}, {"function", "default"}, {"layer", "fn"}}, true, "bad-request"},  // the mouse has none
      {{{"key", 12}, {"function", "default"}}, true, "out-of-range"},                // button 12
      {{{"key", 0}, {"function", "default"}}, true, "out-of-range"},
      {{{"key", "Fn"}, {"function", "key:B"}}, false, "out-of-range"},
      {{{"key", "A"}, {"function", "key:B"}, {"layer", "fn"}}, false, "out-of-range"},  // kept on Fn
      {{{"key", "B"}, {"function", "media:Warp"}}, false, "out-of-range"},
      {{{"key", 1}, {"function", "mouse:Back"}}, true, "out-of-range"},              // the only left click
  };
  for (const Case& c : cases) {
    const auto failure = ParseKeyArguments(c.args, c.mouse ? Mouse() : Keyboard(), change);
    ASSERT_TRUE(failure.has_value()) << QJsonDocument(c.args).toJson().toStdString();
    EXPECT_EQ(failure->code, c.code) << QJsonDocument(c.args).toJson().toStdString();
    EXPECT_FALSE(failure->text.isEmpty());
  }
}

TEST(LightArguments, EveryMemberIsCheckedAndNothingChangesOnARefusal) {
  const LightTarget pad{QStringLiteral("pad"), {"mode_off", "mode_static", "mode_breath"}, false, {}};
  LightInfo info;
  info.SelectItem = 1;
  bool changed = false;
  for (const QJsonObject& args :
       {QJsonObject{{"mode", 3}}, QJsonObject{{"mode", 1.5}}, QJsonObject{{"mode", true}},
        QJsonObject{{"brightness", 5}}, QJsonObject{{"speed", -1}}, QJsonObject{{"brightness", 1e300}},
        QJsonObject{{"colour", "12345G"}}, QJsonObject{{"colour", "+12345"}}, QJsonObject{{"direction", "first"}},
        QJsonObject{{"mode", "MODE_NONE"}}}) {
    LightInfo copy = info;
    EXPECT_TRUE(ApplyLightArguments(args, pad, copy, changed).has_value())
        << QJsonDocument(args).toJson().toStdString();
  }
  ASSERT_FALSE(ApplyLightArguments({{"mode", "MODE_BREATH"}, {"colour", "a0B1c2"}}, pad, info, changed));
  EXPECT_TRUE(changed);
  EXPECT_EQ(info.SelectItem, 2);
  EXPECT_EQ(info.Blue, 0xC2);
  EXPECT_EQ(LightState(info, pad, {}).value("colour").toString(), "A0B1C2");
  EXPECT_TRUE(LightState(info, pad, {}).value("direction").isNull());
}

TEST(DpiArguments, SwitchesOnComeFirstAndTheActiveStageStaysOn) {
  DpiMouse mouse;
  mouse.sensor = mouse::SensorParameters{};
  mouse.enabled = {true, true, false, false, false};
  mouse.activeStage = 0;
  mouse.reportRates = 5;
  DpiPlan plan;
  ASSERT_FALSE(ParseDpiArguments({{"disable", QJsonArray{2}}, {"enable", QJsonArray{3}}, {"stage", 3}}, mouse, plan));
  ASSERT_EQ(plan.switches.size(), 2u);
  EXPECT_TRUE(plan.switches[0].second) << "on first";
  EXPECT_EQ(plan.stage, 2);
  // Turning the active stage off, or making an off stage active without
  // turning it on, is refused.
  EXPECT_EQ(ParseDpiArguments({{"disable", QJsonArray{1}}}, mouse, plan)->code, "out-of-range");
  EXPECT_EQ(ParseDpiArguments({{"stage", 5}}, mouse, plan)->code, "out-of-range");
  EXPECT_EQ(ParseDpiArguments({{"reportRate", 5}}, mouse, plan)->code, "out-of-range");
  EXPECT_EQ(ParseDpiArguments({{"set", "1=800"}}, mouse, plan)->code, "bad-request");
  EXPECT_FALSE(ParseDpiArguments({}, mouse, plan));
  EXPECT_TRUE(plan.Empty());
}
