#pragma once

#include <atomic>

namespace platform {

// The size of the screen the main window is on, in pixels: the devices'
// screen-driven lighting takes it with the settings block. Set by the shell
// on the UI thread, read by any thread.
class ScreenMetrics {
 public:
  static int Width() { return width_.load(); }
  static int Height() { return height_.load(); }
  static void Set(int width, int height) {
    width_.store(width);
    height_.store(height);
  }

 private:
  static inline std::atomic<int> width_{0};
  static inline std::atomic<int> height_{0};
};

}  // namespace platform
