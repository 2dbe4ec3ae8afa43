#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// The six numbers of one screen pass, in the order of the screen record:
// mean red, green, blue, then the standard deviation of each.
struct ScreenColour {
  int32_t meanRed = 0;
  int32_t meanGreen = 0;
  int32_t meanBlue = 0;
  int32_t spreadRed = 0;
  int32_t spreadGreen = 0;
  int32_t spreadBlue = 0;

  // The statistics of `samples` (0x00RRGGBB each) in integer arithmetic:
  // mean = sum / n, variance = sum of (value - mean)² / (n - 1), spread = the
  // whole part of the variance's square root. One sample has no spread (not a
  // division by zero); no samples give all zeros.
  static ScreenColour OfSamples(std::span<const uint32_t> samples);

  std::array<int32_t, 6> Record() const {
    return {meanRed, meanGreen, meanBlue, spreadRed, spreadGreen, spreadBlue};
  }
  bool operator==(const ScreenColour&) const = default;
};

// Which pixels of a width × height screen a pass reads. Picture the screen's
// top-left (w - 2·sx) × (h - 2·sy) placed in a black w × h bottom-up image at
// (2·sx, 2·sy), with sx = w / 10 and sy = h / 10; the grid is every
// stride-th pixel of that image's first (w - 4·sx) × (h - 4·sy) pixels,
// stride = (w / 20) × (h / 20), counted down from the last. On the screen
// that is a band from about 44 % to 80 % of the height over the leftmost
// 80 % of the width: about 144 points.
//
// Two guards:
// - Points on the image's black margin (its first 2·sx columns) are left
//   out, not read as black: they are no screen pixels, and counting them
//   would make an all-red screen read red 204 with a spread of 102.
// - The stride is at least 1 (a screen under 20 pixels either way would
//   give a stride of 0, which never advances).
//
// Pure arithmetic: the X sampler fetches the rows this lists and hands them
// to Measure; tests hand it synthetic rows.
class ScreenGrid {
 public:
  // One screen row that holds grid points. Its pixels from `first` to
  // `first + width - 1` cover every point of the row; in a packed buffer
  // (the rows' spans one after another, in Rows() order) they start at
  // `offset`.
  struct Row {
    int y = 0;
    int first = 0;
    int width = 0;
    size_t offset = 0;
    std::vector<int> columns;  // the points, ascending screen columns
  };

  // Screens without pixels have no points.
  ScreenGrid(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::vector<Row>& Rows() const { return rows_; }
  size_t Points() const { return points_; }
  // Pixels in a packed buffer of every row's span.
  size_t PackedSize() const { return packedSize_; }

  // The statistics of the grid's points; `packed` holds PackedSize() pixels
  // (0x00RRGGBB) laid out as Row::offset says. A shorter buffer gives zeros.
  ScreenColour Measure(std::span<const uint32_t> packed) const;

 private:
  int width_;
  int height_;
  std::vector<Row> rows_;
  size_t points_ = 0;
  size_t packedSize_ = 0;
};

}  // namespace platform
