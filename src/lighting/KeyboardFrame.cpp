#include "lighting/KeyboardFrame.h"

#include <algorithm>

namespace lighting {

std::array<uint8_t, kKeyboardFrameBytes> BuildKeyboardFrame(const LedCanvas& canvas,
                                                            std::span<const uint8_t> positionToLed) {
  std::array<uint8_t, kKeyboardFrameBytes> frame{};
  const int points = std::min<int>(canvas.Count(), static_cast<int>(positionToLed.size()));
  for (int p = 0; p < points; ++p) {
    const uint8_t led = positionToLed[static_cast<size_t>(p)];
    if (led == kNoLed || (static_cast<size_t>(led) + 1) * protocol::kRgbBytes > frame.size())
      continue;
    const Rgb colour = canvas.Get(p);
    const uint8_t level = canvas.GetLevel(p);
    protocol::PutRgbAt(frame, led,
                       {Scale(colour.r, level), Scale(colour.g, level), Scale(colour.b, level)});
  }
  return frame;
}

}  // namespace lighting
