#pragma once

#include <json/value.h>

#include <optional>
#include <vector>

#include "macros/MacroEvent.h"

// Recoil compensation: for each of four guns the mouse plays a pattern of 30
// shots. Each shot is six macro events: a left click, a horizontal and a
// vertical move, and two zero moves that end them.
namespace recoil {

inline constexpr int kGunCount = 4;
inline constexpr int kBulletCount = 30;
inline constexpr int kEventsPerBullet = 6;
inline constexpr int kEventsPerGun = kBulletCount * kEventsPerBullet;  // 180
// The longest pattern taken in: the mouse plays 180 events, and no macro the
// program records is longer than this.
inline constexpr int kMaxPatternEvents = 4000;
inline constexpr int kMaxDistance = 255;

// One shot of a pattern as the panel edits it.
struct Bullet {
  bool left = false;    // horizontal direction: "down" (left) when true, "up" (right) otherwise
  int horizontal = 0;   // distance
  bool up = false;      // vertical direction: "down" (upwards) when true, "up" (downwards) otherwise
  int vertical = 0;     // distance
  int delay = 0;        // ms after the move
  bool operator==(const Bullet&) const = default;
};

// One gun's pattern file as a JSON document: a macro file whose "Events"
// hold six events per bullet. Keys other than the events the program writes
// are kept as they are.
class RecoilPattern {
 public:
  // An object with an "Events" array of at most kMaxPatternEvents objects.
  static bool IsValid(const Json::Value& document);
  // The document as a pattern; nothing when it is not one.
  static std::optional<RecoilPattern> FromDocument(Json::Value document);
  // A pattern without events, in the shape of a macro file.
  static RecoilPattern Empty(int gun);
  // The six events of a bullet as the program writes them: JSON
  // integers throughout. Distances are held to 0 ... 255, the delay to
  // 0 ... 65535.
  static std::vector<Json::Value> BulletEvents(const Bullet& value);

  const Json::Value& Document() const { return document_; }
  int EventCount() const;

  // Appends the events of `factory` that this pattern lacks (its own events
  // stay), up to kEventsPerGun. True when any was added.
  bool CompleteFrom(const RecoilPattern& factory);
  // The bullet from events 6b + 2 (horizontal) and 6b + 3 (vertical and the
  // delay); nothing when the pattern does not hold them or `bullet` is out
  // of range.
  std::optional<Bullet> BulletAt(int bullet) const;
  // Writes the six events of the bullet. Bullets before it that the pattern
  // does not hold are filled with still ones (a click without a move).
  // False, nothing changed, when `bullet` is out of range.
  bool SetBullet(int bullet, const Bullet& value);
  // The events the mouse plays: the first kEventsPerGun.
  std::vector<macros::MacroEvent> DeviceEvents() const;

 private:
  explicit RecoilPattern(Json::Value document) : document_(std::move(document)) {}
  Json::Value& Events();

  Json::Value document_;
};

}  // namespace recoil
