#pragma once

#include <array>
#include <cstdint>
#include <optional>

// Layout data of the supported keyboard for its light effects. Everything
// here names layout positions (0..169; positions below 126 carry keys, which
// are the keyboard's light points). These tables belong to this keyboard's
// key layout: a keyboard with another layout supplies its own tables of the
// same shapes.
//
// KeyGrid, KeyRings, KeyPath, KeySnake, TwinkleCurve and DemoPairs are fixed
// by the keyboard. KeyColumns7, SweepRows, TwinkleStart, RandomKeys and
// DemoRows were drawn for this layout from the key grid; the rows and entries
// the keyboard fixes are kept as they are.
namespace lighting {

inline constexpr int kGridColumns = 23;
inline constexpr int kGridRows = 6;
// Table value for "no position" in the position tables.
inline constexpr uint8_t kNoPosition = 170;
// Table value for "no position" in KeyColumns7 and DemoRows.
inline constexpr uint8_t kNoEntry = 255;
// Positions at or above this carry no key and are never drawn.
inline constexpr int kFirstNonKey = 126;
inline constexpr int kKeyPositions = 170;
// KeyPath holds this many positions, then kNoPosition.
inline constexpr int kPathKeys = 107;

using GridColumns = std::array<std::array<uint8_t, kGridRows>, kGridColumns>;

// [column][row] → position; row 0 is the top row.
extern const GridColumns KeyGrid;
// Twelve rings round position 51, kNoPosition-padded; ring 0 is the centre.
extern const std::array<std::array<uint8_t, 12>, 12> KeyRings;
// A path through the keys: kPathKeys positions, then kNoPosition.
extern const std::array<uint8_t, kKeyPositions> KeyPath;
// The order in which the snake fills the keys; kNoPosition marks a gap.
extern const std::array<uint8_t, kKeyPositions> KeySnake;
// [column][entry] → position, kNoEntry = none: the keys by column in seven
// entries (entry 0 above the top row), seeding the twinkle phases.
extern const std::array<std::array<uint8_t, 7>, kGridColumns> KeyColumns7;
// 52 rows of a sweep turning clockwise round position 51, each up to 12
// positions from the outside in, kNoPosition-padded.
extern const std::array<std::array<uint8_t, 12>, 52> SweepRows;
// Level of one twinkle: rising, falling, then dark.
extern const std::array<uint8_t, 192> TwinkleCurve;
// [column][row] → starting phase of the breathing keys (even, at most 192).
extern const GridColumns TwinkleStart;
// Indexes into KeyPath in a fixed shuffled order (indexes from kPathKeys on
// name no key).
extern const std::array<uint8_t, 104> RandomKeys;
// Pairs of keys lit together by the demonstration.
extern const std::array<std::array<uint8_t, 2>, 16> DemoPairs;
// 20 rows of up to six keys closing in on the middle of the board,
// kNoEntry-padded.
extern const std::array<std::array<uint8_t, 6>, 20> DemoRows;

struct GridCell {
  int column = 0;
  int row = 0;
};

// The first grid cell holding `position`; none for positions outside 0..169
// or not in the grid.
std::optional<GridCell> GridCellOf(int position);
// True when `position` is one of the positions of KeyPath.
bool IsPathKey(int position);

}  // namespace lighting
