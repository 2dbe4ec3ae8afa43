#pragma once

#include <json/value.h>

#include <cstdint>
#include <vector>

#include "protocol/MacroImage.h"

namespace macros {

// The kinds of macro events ("Type").
namespace EventType {
inline constexpr int MouseButton = 1;
inline constexpr int MoveHorizontal = 4;  // "down" to the left, "up" to the right
inline constexpr int MoveVertical = 5;    // "down" upwards, "up" downwards
inline constexpr int Modifier = 9;        // "Button" is the modifier bit
inline constexpr int Key = 10;            // "Button" is the HID usage
}  // namespace EventType

inline constexpr int kMaxDelay = 65535;

// One event of a macro file: what happens, then the pause before the next.
struct MacroEvent {
  int Type = EventType::Key;
  bool Down = true;
  uint8_t Button = 0;
  uint16_t Delay = 0;

  bool operator==(const MacroEvent&) const = default;
};

// An event object of a macro file. "Delay" may be a string of digits or an
// integer; it is read as a decimal integer cut to 16 bits. "Action" is
// "down" or anything else (up).
MacroEvent EventFromJson(const Json::Value& object);
// The event as the files hold it: "Delay" always a decimal string.
Json::Value EventToJson(const MacroEvent& event);
// The event's four device bytes.
protocol::MacroEventBytes EncodeMacroEvent(const MacroEvent& event);
// The delay text of an edit or a file (or an integer) as a delay: leading
// decimal digits (an optional sign first), held to 0 ... 65535; 0 when there
// are none.
uint16_t ParseDelay(const Json::Value& value);

// The events of an "Events" array, in order (anything else: none).
std::vector<MacroEvent> EventsFromJson(const Json::Value& events);

}  // namespace macros
