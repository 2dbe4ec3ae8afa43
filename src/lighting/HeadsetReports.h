#pragma once

#include <array>
#include <cstdint>

#include "lighting/LedCanvas.h"
#include "protocol/HeadsetLightReport.h"

// The headset's live light frame: twelve 17-byte output reports carrying
// the red, green and blue values of its thirteen light points.
namespace lighting {

inline constexpr int kHeadsetLightPoints = 13;
inline constexpr int kHeadsetReportSize = protocol::HeadsetLightReport::kSize;
inline constexpr int kHeadsetReportCount = 12;
inline constexpr uint8_t kHeadsetMaxValue = 0xF7;

using HeadsetReport = std::array<uint8_t, kHeadsetReportSize>;

// The reports in sending order. Report: 0xFF, side code (0x22 or 0x44),
// block code, seven values (channel × level >> 8, at most 0xF7), seven
// zeros. Red of points 0..6 goes in block 0xAA, 7..12 in 0xAD; green 0xAB
// and 0xAE; blue 0xAC and 0xAF. A block of six values leaves its seventh
// byte as the report before it had it. Points the canvas lacks read 0.
std::array<HeadsetReport, kHeadsetReportCount> HeadsetLightReports(const LedCanvas& canvas);

}  // namespace lighting
