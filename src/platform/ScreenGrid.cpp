#include "platform/ScreenGrid.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace platform {

namespace {

int32_t Spread(int64_t squares, int64_t count) {
  // One sample: no spread, rather than a division by zero.
  const int64_t variance = squares / std::max<int64_t>(count - 1, 1);
  return static_cast<int32_t>(std::sqrt(static_cast<double>(variance)));
}

}  // namespace

ScreenColour ScreenColour::OfSamples(std::span<const uint32_t> samples) {
  ScreenColour colour;
  const auto count = static_cast<int64_t>(samples.size());
  if (count == 0)
    return colour;
  int64_t sums[3] = {};
  for (uint32_t pixel : samples) {
    sums[0] += (pixel >> 16) & 0xFF;
    sums[1] += (pixel >> 8) & 0xFF;
    sums[2] += pixel & 0xFF;
  }
  const int64_t means[3] = {sums[0] / count, sums[1] / count, sums[2] / count};
  int64_t squares[3] = {};
  for (uint32_t pixel : samples) {
    const int64_t deltas[3] = {static_cast<int64_t>((pixel >> 16) & 0xFF) - means[0],
                               static_cast<int64_t>((pixel >> 8) & 0xFF) - means[1],
                               static_cast<int64_t>(pixel & 0xFF) - means[2]};
    for (int channel = 0; channel < 3; ++channel)
      squares[channel] += deltas[channel] * deltas[channel];
  }
  colour.meanRed = static_cast<int32_t>(means[0]);
  colour.meanGreen = static_cast<int32_t>(means[1]);
  colour.meanBlue = static_cast<int32_t>(means[2]);
  colour.spreadRed = Spread(squares[0], count);
  colour.spreadGreen = Spread(squares[1], count);
  colour.spreadBlue = Spread(squares[2], count);
  return colour;
}

ScreenGrid::ScreenGrid(int width, int height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  if (width_ == 0 || height_ == 0)
    return;
  const int64_t w = width_;
  const int64_t h = height_;
  const int64_t sx = w / 10;
  const int64_t sy = h / 10;
  const int64_t stride = std::max<int64_t>((w / 20) * (h / 20), 1);
  const int64_t count = (w - 4 * sx) * (h - 4 * sy);
  // k indexes the bottom-up image: row k / w counts from the bottom, and the
  // screen sits 2·sx columns right and 2·sy rows down in it. k stays below
  // (h - 4·sy) rows, so every point lands on the screen.
  std::map<int, std::vector<int>> columnsByRow;
  for (int64_t k = count - 1; k >= 0; k -= stride) {
    const int64_t x = k % w - 2 * sx;
    if (x < 0)
      continue;  // the black margin
    const int64_t y = h - 1 - k / w - 2 * sy;
    columnsByRow[static_cast<int>(y)].push_back(static_cast<int>(x));
    ++points_;
  }
  rows_.reserve(columnsByRow.size());
  for (auto& [y, columns] : columnsByRow) {
    std::sort(columns.begin(), columns.end());
    Row row;
    row.y = y;
    row.first = columns.front();
    row.width = columns.back() - columns.front() + 1;
    row.offset = packedSize_;
    row.columns = std::move(columns);
    packedSize_ += static_cast<size_t>(row.width);
    rows_.push_back(std::move(row));
  }
}

ScreenColour ScreenGrid::Measure(std::span<const uint32_t> packed) const {
  if (packed.size() < packedSize_)
    return {};
  std::vector<uint32_t> samples;
  samples.reserve(points_);
  for (const Row& row : rows_)
    for (int column : row.columns)
      samples.push_back(packed[row.offset + static_cast<size_t>(column - row.first)]);
  return ScreenColour::OfSamples(samples);
}

}  // namespace platform
