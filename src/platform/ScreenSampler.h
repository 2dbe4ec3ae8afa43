#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ScreenGrid.h"

namespace platform {

// The colour of the screen for the keyboard's screen mode: the X root
// window's pixels on the ScreenGrid, read over a connection of the
// sampler's own (xcb). A failing request comes back as an error on that
// request, so a pass that fails gives nothing; Xlib's process-wide error
// handlers, which belong to Qt, never see it.
//
// Under Wayland other programs' windows cannot be read: the X server there
// is XWayland, whose root stays black. The sampler then says it is
// unavailable instead of measuring black.
//
// Costs nothing while unused: it holds an idle connection and reads only
// when asked. Its owner creates it when the screen mode starts, paces the
// passes (at most 20 a second) and destroys it when the mode ends.
//
// Threads: construct it on any thread, then call Sample() from one thread at
// a time (the sampler's); the handover must happen before the first call
// (starting the thread after construction does that). GetAvailability() may
// be called from any thread: it never changes after construction.
class ScreenSampler {
 public:
  enum class Availability {
    Available,
    NoDisplay,          // no X server answered on the display
    WaylandSession,     // the display is the XWayland of a Wayland session
    UnsupportedScreen,  // the root is no true-colour screen
  };
  // A rectangle in root coordinates, e.g. the monitor the main window is on.
  struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
  };

  // How the pixels travel: through a shared memory segment when the server
  // offers one on a local connection, or always in the replies.
  enum class PixelPath { SharedMemoryWhereOffered, Replies };

  // `displayName` as DISPLAY spells it; empty: DISPLAY itself.
  explicit ScreenSampler(const std::string& displayName = {},
                         PixelPath path = PixelPath::SharedMemoryWhereOffered);
  ~ScreenSampler();
  ScreenSampler(const ScreenSampler&) = delete;
  ScreenSampler& operator=(const ScreenSampler&) = delete;

  Availability GetAvailability() const { return availability_; }
  bool IsAvailable() const { return availability_ == Availability::Available; }
  static const char* Describe(Availability availability);

  // One pass over the whole root (its size is asked each time, so a resized
  // screen is followed), or over `area`, which must lie inside the root.
  // Nothing when unavailable, when the connection is lost, or when a request
  // fails (an area reaching past the root, for one).
  std::optional<ScreenColour> Sample();
  std::optional<ScreenColour> Sample(const Area& area);

  // Whether the pixels come through a shared memory segment (MIT-SHM)
  // rather than in the replies. Known after the first pass.
  bool UsesSharedMemory() const;

 private:
  struct Connection;

  Availability availability_ = Availability::NoDisplay;
  std::unique_ptr<Connection> x_;
};

}  // namespace platform
