#pragma once

#include <array>
#include <optional>

namespace headset {

inline constexpr int kEqBands = 10;
inline constexpr int kEqPresets = 12;
inline constexpr int kCustomEqType = 13;
using EqCurve = std::array<int, kEqBands>;

// The band values of fixed preset `type` (1..12); nothing for any other.
std::optional<EqCurve> EqPreset(int type);

}  // namespace headset
