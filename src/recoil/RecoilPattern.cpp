#include "recoil/RecoilPattern.h"

#include <algorithm>
#include <string>

#include "macros/MacroFile.h"
#include "profiles/JsonValue.h"

namespace recoil {

namespace {

// The click's pause before the move, and the pause between the two moves.
constexpr int kClickDelay = 10;
constexpr int kMoveDelay = 5;
constexpr int kLeftButton = 1;

Json::Value Event(bool down, int button, int delay, int type) {
  Json::Value event(Json::objectValue);
  event["Action"] = down ? "down" : "up";
  event["Button"] = button;
  event["Delay"] = delay;
  event["Type"] = type;
  return event;
}

}  // namespace

bool RecoilPattern::IsValid(const Json::Value& document) {
  const Json::Value& events = jsonvalue::Member(document, "Events");
  if (!events.isArray() || events.size() > static_cast<Json::ArrayIndex>(kMaxPatternEvents))
    return false;
  return std::all_of(events.begin(), events.end(), [](const Json::Value& event) { return event.isObject(); });
}

std::optional<RecoilPattern> RecoilPattern::FromDocument(Json::Value document) {
  if (!IsValid(document))
    return std::nullopt;
  return RecoilPattern(std::move(document));
}

RecoilPattern RecoilPattern::Empty(int gun) {
  Json::Value document(Json::objectValue);
  document["MacroName"] = "ShootData_" + std::to_string(gun);
  document["Guid"] = "";
  document["Events"] = Json::Value(Json::arrayValue);
  document["Version"] = macros::MacroDocument::kVersion;
  return RecoilPattern(std::move(document));
}

std::vector<Json::Value> RecoilPattern::BulletEvents(const Bullet& value) {
  using macros::EventType::MouseButton;
  using macros::EventType::MoveHorizontal;
  using macros::EventType::MoveVertical;
  const int horizontal = std::clamp(value.horizontal, 0, kMaxDistance);
  const int vertical = std::clamp(value.vertical, 0, kMaxDistance);
  const int delay = std::clamp(value.delay, 0, macros::kMaxDelay);
  return {
      Event(true, kLeftButton, kClickDelay, MouseButton),
      Event(false, kLeftButton, 0, MouseButton),
      Event(value.left, horizontal, kMoveDelay, MoveHorizontal),
      Event(value.up, vertical, delay, MoveVertical),
      // Zero moves in the same directions end the two moves.
      Event(value.left, 0, 0, MoveHorizontal),
      Event(value.up, 0, 0, MoveVertical),
  };
}

int RecoilPattern::EventCount() const {
  return static_cast<int>(jsonvalue::ArraySize(jsonvalue::Member(document_, "Events")));
}

Json::Value& RecoilPattern::Events() { return jsonvalue::ObjectMember(document_, "Events"); }

bool RecoilPattern::CompleteFrom(const RecoilPattern& factory) {
  const Json::Value& from = jsonvalue::Member(factory.document_, "Events");
  const int have = EventCount();
  const int until = std::min(kEventsPerGun, factory.EventCount());
  Json::Value& events = Events();
  for (int i = have; i < until; ++i)
    events.append(jsonvalue::Element(from, i));
  return until > have;
}

std::optional<Bullet> RecoilPattern::BulletAt(int bullet) const {
  if (bullet < 0 || bullet >= kBulletCount)
    return std::nullopt;
  const int first = bullet * kEventsPerBullet;
  if (EventCount() < first + 4)
    return std::nullopt;
  const Json::Value& events = jsonvalue::Member(document_, "Events");
  const macros::MacroEvent horizontal = macros::EventFromJson(jsonvalue::Element(events, first + 2));
  const macros::MacroEvent vertical = macros::EventFromJson(jsonvalue::Element(events, first + 3));
  Bullet value;
  value.left = horizontal.Down;
  value.horizontal = horizontal.Button;
  value.up = vertical.Down;
  value.vertical = vertical.Button;
  value.delay = vertical.Delay;
  return value;
}

bool RecoilPattern::SetBullet(int bullet, const Bullet& value) {
  if (bullet < 0 || bullet >= kBulletCount)
    return false;
  const auto first = static_cast<Json::ArrayIndex>(bullet * kEventsPerBullet);
  Json::Value& events = Events();
  const std::vector<Json::Value> still = BulletEvents(Bullet{});
  for (Json::ArrayIndex i = events.size(); i < first; ++i)
    events.append(still[i % kEventsPerBullet]);
  const std::vector<Json::Value> written = BulletEvents(value);
  for (Json::ArrayIndex k = 0; k < written.size(); ++k)
    jsonvalue::ArrayElement(events, first + k) = written[k];
  return true;
}

std::vector<macros::MacroEvent> RecoilPattern::DeviceEvents() const {
  const Json::Value& events = jsonvalue::Member(document_, "Events");
  const int count = std::min(kEventsPerGun, EventCount());
  std::vector<macros::MacroEvent> list;
  list.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    list.push_back(macros::EventFromJson(jsonvalue::Element(events, i)));
  return list;
}

}  // namespace recoil
