#include "lighting/KeyboardLayoutTables.h"

#include <cstddef>
#include <initializer_list>

namespace lighting {
namespace {

constexpr uint8_t N = kNoPosition;
constexpr uint8_t X = kNoEntry;

// Copies `values` to the front of a table filled with `fill`.
template <std::size_t Size>
constexpr std::array<uint8_t, Size> Padded(std::initializer_list<int> values, uint8_t fill) {
  std::array<uint8_t, Size> table{};
  table.fill(fill);
  std::size_t i = 0;
  for (int v : values) table[i++] = static_cast<uint8_t>(v);
  return table;
}

// Appends first, first ± 1, … last to `table` at `at`.
template <std::size_t Size>
constexpr void AppendRange(std::array<uint8_t, Size>& table, std::size_t& at, int first, int last) {
  const int step = first <= last ? 1 : -1;
  for (int v = first;; v += step) {
    table[at++] = static_cast<uint8_t>(v);
    if (v == last) break;
  }
}

constexpr std::array<uint8_t, kKeyPositions> MakeSnake() {
  std::array<uint8_t, kKeyPositions> t{};
  t.fill(N);
  std::size_t at = 0;
  AppendRange(t, at, 0, 15);
  AppendRange(t, at, 17, 20);
  AppendRange(t, at, 41, 21);
  AppendRange(t, at, 42, 61);
  for (int v : {119, 78, 77, 76, 75, 170}) t[at++] = static_cast<uint8_t>(v);
  AppendRange(t, at, 74, 63);
  for (int v : {84, 170}) t[at++] = static_cast<uint8_t>(v);
  AppendRange(t, at, 85, 99);
  AppendRange(t, at, 118, 105);
  return t;
}

// Grid cell of every position as column × kGridRows + row, 255 = none.
constexpr std::array<uint8_t, kKeyPositions> MakeCellIndex(const GridColumns& grid) {
  std::array<uint8_t, kKeyPositions> t{};
  t.fill(255);
  for (int c = 0; c < kGridColumns; ++c) {
    for (int r = 0; r < kGridRows; ++r) {
      const int p = grid[c][r];
      if (p < kKeyPositions && t[p] == 255) t[p] = static_cast<uint8_t>(c * kGridRows + r);
    }
  }
  return t;
}

constexpr std::array<bool, kKeyPositions> MakePathSet(const std::array<uint8_t, kKeyPositions>& path) {
  std::array<bool, kKeyPositions> t{};
  for (uint8_t p : path) {
    if (p < kKeyPositions) t[p] = true;
  }
  return t;
}

constexpr GridColumns kKeyGrid = {{
    {170, 120, 121, 122, 123, 124},
    {170, 21, 42, 63, 84, 105},
    {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},
    {2, 24, 45, 66, 86, 107},
    {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},
    {18, 27, 48, 69, 89, 108},
    {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},
    {7, 30, 51, 72, 92, 109},
    {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},
    {10, 33, 54, 62, 100, 111},
    {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},
    {13, 35, 56, 82, 80, 113},
    {14, 36, 57, 83, 96, 114},
    {15, 37, 58, 17, 81, 115},
    {170, 38, 59, 76, 97, 116},
    {170, 39, 60, 77, 98, 104},
    {170, 40, 61, 78, 99, 117},
    {170, 41, 16, 119, 118, 131},
}};

constexpr std::array<uint8_t, kKeyPositions> kKeyPath = Padded<kKeyPositions>({
    15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
    21, 42, 63, 84, 105, 106, 107, 108, 109, 125, 110, 111, 112, 113, 114, 115,
    116, 117, 118, 119, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30,
    29, 28, 27, 26, 25, 24, 23, 22, 43, 64, 102, 85, 86, 87, 88, 89,
    90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 78, 61, 60, 59, 58, 57,
    56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 65, 66, 67,
    68, 69, 70, 71, 72, 73, 74, 62, 75, 76, 77,
}, N);

constexpr auto kCellIndex = MakeCellIndex(kKeyGrid);
constexpr auto kPathSet = MakePathSet(kKeyPath);

}  // namespace

constexpr GridColumns KeyGrid = kKeyGrid;

constexpr std::array<std::array<uint8_t, 12>, 12> KeyRings = {{
    Padded<12>({51}, N),
    Padded<12>({30, 50, 71, 72, 52, 31}, N),
    Padded<12>({8, 29, 49, 70, 91, 92, 93, 73, 53, 32}, N),
    Padded<12>({7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62}, N),
    Padded<12>({6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11}, N),
    Padded<12>({5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125}, N),
    Padded<12>({4, 25, 45, 66, 87, 113, 96, 57, 36, 13}, N),
    Padded<12>({3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14}, N),
    Padded<12>({2, 23, 43, 64, 85, 107, 97, 76, 59, 38}, N),
    Padded<12>({1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102}, N),
    Padded<12>({0, 21, 105, 117, 99, 78, 61, 40}, N),
    Padded<12>({118, 119, 41}, N),
}};

constexpr std::array<uint8_t, kKeyPositions> KeyPath = kKeyPath;

constexpr std::array<uint8_t, kKeyPositions> KeySnake = MakeSnake();

// The grid columns top to bottom below an empty entry 0; columns 0, 1 and 20
// follow the keyboard's own column map, and each key of KeyPath appears once.
constexpr std::array<std::array<uint8_t, 7>, kGridColumns> KeyColumns7 = {{
    {X, X, X, X, X, X, 105},
    {X, X, 21, 42, 63, 84, 106},
    {X, 0, 22, 43, 64, 102, X},
    {X, 1, 23, 44, 65, 85, X},
    {X, 2, 24, 45, 66, 86, 107},
    {X, 3, 25, 46, 67, 87, X},
    {X, 4, 26, 47, 68, 88, X},
    {X, X, 27, 48, 69, 89, 108},
    {X, 5, 28, 49, 70, 90, X},
    {X, 6, 29, 50, 71, 91, X},
    {X, 7, 30, 51, 72, 92, 109},
    {X, 8, 31, 52, 73, 93, X},
    {X, 9, 32, 53, 74, 94, 110},
    {X, 10, 33, 54, 62, X, 111},
    {X, 11, 34, 55, 75, X, X},
    {X, 12, X, X, X, 95, 112},
    {X, 13, 35, 56, X, X, 113},
    {X, 14, 36, 57, X, 96, 114},
    {X, 15, 37, 58, X, X, 115},
    {X, X, 38, 59, 76, 97, X},
    {125, 18, 39, 60, 77, 98, 116},
    {X, X, 40, 61, 78, 99, 117},
    {X, X, 41, X, 119, 118, X},
}};

// A ray from position 51 turning clockwise: rows 1 to 13 reach along the top
// row to the right, rows 14 to 51 round the right edge and along the bottom
// row; each row holds the keys on the ray, outermost first.
constexpr std::array<std::array<uint8_t, 12>, 52> SweepRows = {{
    {25, 26, 50, 51, N, N, N, N, N, N, N, N},
    {0, 26, 27, 50, 51, N, N, N, N, N, N, N},
    {1, 2, 3, 25, 26, 27, 28, 49, 50, 51, N, N},
    {2, 3, 25, 26, 27, 28, 49, 50, 51, N, N, N},
    {3, 4, 26, 27, 28, 29, 50, 51, N, N, N, N},
    {3, 4, 27, 28, 29, 50, 51, N, N, N, N, N},
    {4, 18, 27, 28, 29, 50, 51, N, N, N, N, N},
    {18, 5, 28, 29, 50, 51, N, N, N, N, N, N},
    {5, 28, 29, 50, 51, N, N, N, N, N, N, N},
    {6, 29, 30, 51, N, N, N, N, N, N, N, N},
    {7, 30, 51, N, N, N, N, N, N, N, N, N},
    {7, 30, 51, N, N, N, N, N, N, N, N, N},
    {8, 31, 30, 51, N, N, N, N, N, N, N, N},
    {9, 32, 52, N, N, N, N, N, N, N, N, N},
    {10, 9, 32, 31, 52, 51, N, N, N, N, N, N},
    {11, 10, 33, 32, 31, 52, 51, N, N, N, N, N},
    {11, 10, 33, 32, 31, 52, 51, N, N, N, N, N},
    {12, 11, 34, 33, 32, 31, 52, 51, N, N, N, N},
    {13, 12, 11, 34, 33, 32, 52, 51, N, N, N, N},
    {14, 13, 12, 101, 34, 33, 32, 53, 52, 51, N, N},
    {15, 14, 13, 35, 101, 34, 33, 32, 53, 52, 51, N},
    {15, 14, 13, 35, 101, 34, 33, 32, 53, 52, 51, N},
    {15, 14, 36, 35, 101, 34, 33, 32, 53, 52, 51, N},
    {15, 14, 36, 35, 101, 34, 33, 32, 53, 52, 51, N},
    {15, 37, 36, 35, 101, 34, 33, 54, 53, 52, 51, N},
    {38, 37, 36, 35, 101, 34, 33, 54, 53, 52, 51, N},
    {39, 38, 37, 36, 35, 101, 34, 33, 54, 53, 52, 51},
    {41, 40, 39, 38, 37, 36, 35, 56, 103, 55, 54, 53},
    {16, 61, 60, 59, 58, 57, 56, 103, 55, 54, 53, 52},
    {119, 78, 77, 59, 58, 57, 56, 103, 55, 54, 53, 52},
    {119, 78, 77, 76, 17, 83, 82, 79, 75, 55, 54, 53},
    {118, 99, 98, 97, 81, 17, 83, 82, 79, 75, 62, 54},
    {117, 104, 98, 97, 81, 96, 80, 82, 79, 75, 62, 74},
    {117, 104, 116, 97, 81, 96, 80, 82, 79, 75, 62, 74},
    {104, 116, 97, 81, 96, 80, 95, 79, 75, 62, 74, 53},
    {104, 116, 115, 81, 96, 80, 95, 79, 75, 62, 74, 53},
    {116, 115, 114, 96, 80, 95, 19, 75, 62, 74, 73, 52},
    {115, 114, 96, 80, 95, 19, 75, 62, 74, 73, 52, 51},
    {114, 113, 80, 95, 19, 75, 62, 74, 73, 52, 51, N},
    {113, 112, 95, 19, 100, 62, 74, 73, 52, 51, N, N},
    {113, 112, 95, 19, 100, 62, 74, 73, 52, 51, N, N},
    {112, 19, 100, 94, 74, 73, 52, 51, N, N, N, N},
    {111, 100, 94, 74, 73, 52, 51, N, N, N, N, N},
    {111, 100, 94, 74, 73, 52, 51, N, N, N, N, N},
    {111, 110, 94, 93, 73, 72, 51, N, N, N, N, N},
    {110, 125, 93, 73, 72, 51, N, N, N, N, N, N},
    {125, 93, 92, 72, 51, N, N, N, N, N, N, N},
    {109, 92, 72, 51, N, N, N, N, N, N, N, N},
    {91, 92, 72, 51, N, N, N, N, N, N, N, N},
    {91, 71, 72, 51, N, N, N, N, N, N, N, N},
    {90, 91, 71, 72, 51, N, N, N, N, N, N, N},
    {108, 91, 72, N, N, N, N, N, N, N, N, N},
}};

// Entries 89 and on are 0.
constexpr std::array<uint8_t, 192> TwinkleCurve = Padded<192>({
    0, 4, 8, 14, 22, 33, 45, 61, 77, 84, 100, 110, 120, 130, 140, 150,
    158, 166, 175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206,
    200, 194, 188, 182, 176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114,
    109, 104, 99, 94, 89, 85, 81, 77, 73, 69, 65, 61, 57, 53, 49, 45,
    42, 39, 36, 33, 30, 27, 24, 22, 20, 18, 16, 14, 12, 10, 9, 8,
    7, 6, 5, 4, 3, 2, 2, 1, 0,
}, 0);

// Down each column 20 less (wrapping by 190); the top phase rises by 24 and
// then 6 per column up to column 13 and falls again to its right.
constexpr GridColumns TwinkleStart = {{
    {72, 52, 32, 12, 182, 162},
    {96, 76, 56, 36, 16, 186},
    {120, 100, 80, 60, 40, 20},
    {126, 106, 86, 66, 46, 26},
    {132, 112, 92, 72, 52, 32},
    {138, 118, 98, 78, 58, 38},
    {144, 124, 104, 84, 64, 44},
    {150, 130, 110, 90, 70, 50},
    {156, 136, 116, 96, 76, 56},
    {162, 142, 122, 102, 82, 62},
    {168, 148, 128, 108, 88, 68},
    {174, 154, 134, 114, 94, 74},
    {180, 160, 140, 120, 100, 80},
    {192, 162, 132, 102, 72, 32},
    {180, 160, 140, 120, 100, 80},
    {174, 154, 134, 114, 94, 74},
    {168, 148, 128, 108, 88, 68},
    {162, 142, 122, 102, 82, 62},
    {156, 136, 116, 96, 76, 56},
    {150, 130, 110, 90, 70, 50},
    {144, 124, 104, 84, 64, 44},
    {138, 118, 98, 78, 58, 38},
    {132, 112, 92, 72, 52, 32},
}};

// A fixed shuffle of the KeyPath indexes: 104 of 0..106, so that every pick
// names a key.
constexpr std::array<uint8_t, 104> RandomKeys = {
    88, 24, 101, 57, 16, 69, 35, 34, 36, 51, 18, 29, 97,
    21, 52, 106, 0, 80, 23, 73, 8, 27, 66, 78, 90, 20,
    95, 49, 92, 94, 37, 61, 93, 55, 11, 2, 45, 10, 74,
    60, 86, 42, 104, 46, 32, 7, 44, 54, 75, 72, 77, 25,
    67, 64, 100, 19, 103, 12, 63, 6, 38, 14, 33, 102, 13,
    76, 87, 62, 105, 40, 81, 31, 70, 48, 99, 91, 79, 5,
    30, 4, 43, 59, 98, 85, 28, 3, 83, 89, 84, 68, 47,
    26, 41, 82, 17, 71, 56, 15, 39, 9, 96, 58, 53, 1,
};

constexpr std::array<std::array<uint8_t, 2>, 16> DemoPairs = {{
    {30, 94},
    {31, 93},
    {32, 92},
    {33, 71},
    {54, 50},
    {74, 30},
    {94, 31},
    {93, 32},
    {92, 33},
    {71, 54},
    {50, 74},
    {51, 73},
    {52, 72},
    {53, 51},
    {73, 52},
    {72, 53},
}};

// The keys of KeyPath from the outside of the board in, by distance from its
// middle (rows counting double), about six per row.
constexpr std::array<std::array<uint8_t, 6>, 20> DemoRows = {{
    {0, 118, X, X, X, X},
    {105, 21, 41, 84, 106, 117},
    {63, 22, 40, 99, 102, 1},
    {43, 61, 64, 78, 2, 23},
    {39, 85, 98, 107, 116, 44},
    {60, 65, 77, 3, 15, 115},
    {6, 112, 24, 97, 42, 119},
    {38, 86, 45, 59, 66, 76},
    {4, 14, 114, 25, 37, 87},
    {13, 108, 113, 46, 58, 67},
    {26, 36, 88, 96, 5, 12},
    {11, 47, 57, 68, 27, 35},
    {89, 7, 10, 109, 111, 8},
    {9, 110, 125, 28, 48, 56},
    {69, 90, 95, 29, 34, X},
    {91, 49, 70, 30, 33, X},
    {92, 32, 93, 50, 55, X},
    {71, 75, 51, 54, 62, X},
    {72, 52, 53, 73, 74, X},
    {31, 94, X, X, X, X},
}};

std::optional<GridCell> GridCellOf(int position) {
  if (position < 0 || position >= kKeyPositions) return std::nullopt;
  const uint8_t cell = kCellIndex[static_cast<std::size_t>(position)];
  if (cell == 255) return std::nullopt;
  return GridCell{cell / kGridRows, cell % kGridRows};
}

bool IsPathKey(int position) {
  return position >= 0 && position < kKeyPositions && kPathSet[static_cast<std::size_t>(position)];
}

}  // namespace lighting
