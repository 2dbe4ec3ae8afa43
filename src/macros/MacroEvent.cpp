#include "macros/MacroEvent.h"

#include <algorithm>

#include <string>

#include "profiles/JsonValue.h"

namespace macros {

uint16_t ParseDelay(const Json::Value& value) {
  // Out of range is held at the ends, never wrapped: 70000 is the longest
  // delay, not 4464 ms.
  if (value.isIntegral()) {
    if (value.isUInt64())
      return static_cast<uint16_t>(std::min<uint64_t>(value.asUInt64(), kMaxDelay));
    return 0;  // negative
  }
  if (!value.isString())
    return 0;
  const std::string text = value.asString();
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    negative = text[i++] == '-';
  uint32_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    number = std::min<uint32_t>(number * 10 + static_cast<uint32_t>(text[i] - '0'), kMaxDelay);
  return negative ? 0 : static_cast<uint16_t>(number);
}

MacroEvent EventFromJson(const Json::Value& object) {
  MacroEvent event;
  event.Type = jsonvalue::ReadInt(jsonvalue::Member(object, "Type"), 0);
  event.Down = jsonvalue::ReadString(jsonvalue::Member(object, "Action")) == QLatin1String("down");
  event.Button = jsonvalue::ReadByte(jsonvalue::Member(object, "Button"));
  event.Delay = ParseDelay(jsonvalue::Member(object, "Delay"));
  return event;
}

Json::Value EventToJson(const MacroEvent& event) {
  Json::Value object(Json::objectValue);
  object["Type"] = event.Type;
  object["Action"] = event.Down ? "down" : "up";
  object["Button"] = event.Button;
  object["Delay"] = std::to_string(event.Delay);
  return object;
}

protocol::MacroEventBytes EncodeMacroEvent(const MacroEvent& event) {
  protocol::MacroEventBytes bytes{};
  bytes.delayLow = static_cast<uint8_t>(event.Delay & 0xFF);
  bytes.delayHigh = static_cast<uint8_t>(event.Delay >> 8);
  bytes.type = static_cast<uint8_t>(event.Type) |
               static_cast<uint8_t>(event.Down ? 0 : protocol::kMacroReleaseBit);
  bytes.button = event.Button;
  return bytes;
}

std::vector<MacroEvent> EventsFromJson(const Json::Value& events) {
  std::vector<MacroEvent> list;
  const Json::ArrayIndex count = jsonvalue::ArraySize(events);
  list.reserve(count);
  for (Json::ArrayIndex i = 0; i < count; ++i)
    list.push_back(EventFromJson(jsonvalue::Element(events, i)));
  return list;
}

}  // namespace macros
