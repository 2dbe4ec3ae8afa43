#include "lighting/KeyboardFrame.h"

#include <algorithm>

namespace lighting {

std::array<uint8_t, kKeyboardFrameBytes> BuildKeyboardFrame(const LedCanvas& canvas,
                                                            std::span<const uint8_t> positionToLed) {
  std::array<uint8_t, kKeyboardFrameBytes> frame{};
  const int points = std::min<int>(canvas.Count(), static_cast<int>(positionToLed.size()));
  for (int p = 0; p < points; ++p) {
    const uint8_t led = positionToLed[static_cast<size_t>(p)];
    if (led == kNoLed || static_cast<size_t>(led) * 3 + 2 >= frame.size())
      continue;
    const Rgb colour = canvas.Get(p);
    const uint8_t level = canvas.GetLevel(p);
    frame[led * 3u] = Scale(colour.r, level);
    frame[led * 3u + 1] = Scale(colour.g, level);
    frame[led * 3u + 2] = Scale(colour.b, level);
  }
  return frame;
}

}  // namespace lighting
