#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "lighting/LedCanvas.h"
#include "protocol/KeyFunction.h"

namespace lighting {

inline constexpr size_t kKeyboardFrameBytes = 512;
inline constexpr uint8_t kNoLed = protocol::kNoLed;

// The keyboard's host-drawn frame: three bytes (red, green, blue, each
// scaled by the point's level) per device LED, at LED × 3, for every light
// point that has an LED. LEDs that would lie past the frame are skipped.
std::array<uint8_t, kKeyboardFrameBytes> BuildKeyboardFrame(const LedCanvas& canvas,
                                                            std::span<const uint8_t> positionToLed);

}  // namespace lighting
