#include "platform/ScreenSampler.h"

#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/DebugChannel.h"

// How a pass reads the screen: one GetImage request per grid row, one pixel
// high, from the row's first point to its last. On an ordinary screen the
// stride is several rows long, so each row holds a single point and a pass
// is about 144 one-pixel requests. They are all sent before the first reply
// is awaited, so the pass costs one round trip and a few kilobytes, against
// the megabytes of the ~29 % of the screen the band covers. A request per
// point would give the same on ordinary screens but thousands of requests
// on narrow ones, where rows are dense; a row span stays within the band.
//
// Where the server has MIT-SHM 1.2 and the connection is a local socket, the
// rows land in one shared segment (each at its own offset) and the replies
// carry no pixels, which counts where rows are wide; with one pixel a row
// both ways cost about the same (a few hundred microseconds a pass on
// Xvfb). Elsewhere (a remote display, a server that refuses the segment)
// the pixels come in the replies.

namespace platform {

namespace {

// X's coordinates are 16-bit.
constexpr int kMinCoordinate = -32768;
constexpr int kMaxCoordinate = 32767;

bool WaylandSessionEnvironment() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* session = std::getenv("XDG_SESSION_TYPE");
  return (wayland != nullptr && *wayland != 0) ||
         (session != nullptr && std::strcmp(session, "wayland") == 0);
}

// The Wayland variables describe the session's own display; a display
// named apart from it (a nested or virtual server) is judged by itself.
bool IsSessionDisplay(const std::string& name) {
  const char* display = std::getenv("DISPLAY");
  return name.empty() || (display != nullptr && name == display);
}

bool HasExtension(xcb_connection_t* connection, const char* name) {
  const auto cookie = xcb_query_extension(connection, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr);
  const bool present = reply != nullptr && reply->present != 0;
  std::free(reply);
  return present;
}

// Descriptors pass only over a local socket.
bool OnLocalSocket(xcb_connection_t* connection) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  const int fd = xcb_get_file_descriptor(connection);
  return getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 && address.ss_family == AF_UNIX;
}

bool SharedMemoryOffered(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
  if (extension == nullptr || extension->present == 0 || !OnLocalSocket(connection))
    return false;
  xcb_shm_query_version_reply_t* version =
      xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
  // 1.2 attaches a segment by descriptor (no System V segment to leak).
  const bool usable = version != nullptr && (version->major_version > 1 ||
                                             (version->major_version == 1 && version->minor_version >= 2));
  std::free(version);
  return usable;
}

// One colour of a true-colour pixel value, scaled to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel OfMask(uint32_t mask) {
    Channel channel;
    channel.mask = mask;
    channel.shift = mask == 0 ? 0 : std::countr_zero(mask);
    channel.bits = std::popcount(mask);
    return channel;
  }
  uint32_t Of(uint32_t pixel) const {
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8)
      return value >> (bits - 8);
    const uint32_t most = (1u << bits) - 1;
    return (value * 255 + most / 2) / most;
  }
};

}  // namespace

struct ScreenSampler::Connection {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  int bitsPerPixel = 32;
  int scanlinePad = 32;
  bool mostSignificantFirst = false;
  Channel red;
  Channel green;
  Channel blue;

  bool sharedMemoryOffered = false;
  xcb_shm_seg_t segment = 0;
  uint8_t* memory = nullptr;
  size_t memorySize = 0;

  std::optional<ScreenGrid> grid;
  std::vector<size_t> rowBytes;  // where each grid row starts in the segment
  size_t bytesNeeded = 0;
  std::vector<uint32_t> packed;
  bool failing = false;

  ~Connection() {
    DetachSegment();
    if (connection != nullptr)
      xcb_disconnect(connection);
  }

  size_t BytesOfRow(int width) const {
    const size_t bits = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel);
    const auto pad = static_cast<size_t>(scanlinePad);
    return (bits + pad - 1) / pad * pad / 8;
  }

  uint32_t PixelAt(const uint8_t* data, int index) const {
    const int bytes = bitsPerPixel / 8;
    const uint8_t* pixel = data + static_cast<ptrdiff_t>(index) * bytes;
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
      value = (value << 8) | pixel[mostSignificantFirst ? i : bytes - 1 - i];
    return (red.Of(value) << 16) | (green.Of(value) << 8) | blue.Of(value);
  }

  void Unpack(const ScreenGrid::Row& row, const uint8_t* data) {
    uint32_t* out = packed.data() + row.offset;
    for (int i = 0; i < row.width; ++i)
      out[i] = PixelAt(data, i);
  }

  void UseGrid(int width, int height) {
    if (grid && grid->Width() == width && grid->Height() == height)
      return;
    grid.emplace(width, height);
    packed.assign(grid->PackedSize(), 0);
    rowBytes.clear();
    bytesNeeded = 0;
    for (const ScreenGrid::Row& row : grid->Rows()) {
      rowBytes.push_back(bytesNeeded);
      bytesNeeded += BytesOfRow(row.width);
    }
  }

  // A segment of at least bytesNeeded, attached on the server; false when
  // the server refuses it (then the replies carry the pixels from now on).
  bool AttachSegment() {
    if (memory != nullptr && memorySize >= bytesNeeded)
      return true;
    DetachSegment();
    const size_t size = std::max<size_t>(bytesNeeded, 4096);
    const int fd = memfd_create("travix-screen", MFD_CLOEXEC);
    if (fd < 0)
      return Refuse("no memory file");
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
      close(fd);
      return Refuse("memory file not sized");
    }
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
      close(fd);
      return Refuse("memory file not mapped");
    }
    const xcb_shm_seg_t id = xcb_generate_id(connection);
    // xcb hands the descriptor to the server and closes it.
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_shm_attach_fd_checked(connection, id, fd, 0));
    if (error != nullptr || xcb_connection_has_error(connection) != 0) {
      std::free(error);
      munmap(mapped, size);
      return Refuse("segment refused by the server");
    }
    segment = id;
    memory = static_cast<uint8_t*>(mapped);
    memorySize = size;
    return true;
  }

  bool Refuse(const char* why) {
    DebugPrint("screen sampler: no shared memory (%s); pixels come in the replies", why);
    sharedMemoryOffered = false;
    return false;
  }

  void DetachSegment() {
    if (memory == nullptr)
      return;
    if (xcb_connection_has_error(connection) == 0) {
      xcb_shm_detach(connection, segment);
      xcb_flush(connection);
    }
    munmap(memory, memorySize);
    memory = nullptr;
    memorySize = 0;
  }

  // Reports the first failure of a run of failed passes, not each one.
  std::optional<ScreenColour> Fail(const char* what, int code = 0) {
    if (!failing && code != 0)
      DebugPrint("screen sampler: %s (X error %d)", what, code);
    else if (!failing)
      DebugPrint("screen sampler: %s", what);
    failing = true;
    return std::nullopt;
  }

  std::optional<ScreenColour> Pass(const Area& area);
};

ScreenSampler::ScreenSampler(const std::string& displayName, PixelPath path) {
  if (IsSessionDisplay(displayName) && WaylandSessionEnvironment()) {
    availability_ = Availability::WaylandSession;
    DebugOutput("screen sampler: a Wayland session; the screen cannot be read");
    return;
  }
  int screenNumber = 0;
  xcb_connection_t* connection =
      xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), &screenNumber);
  auto x = std::make_unique<Connection>();
  x->connection = connection;  // freed with it, even when it failed
  const char* shownName = displayName.c_str();
  if (displayName.empty())
    shownName = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  if (xcb_connection_has_error(connection) != 0) {
    DebugPrint("screen sampler: no X display \"%s\"", shownName);
    return;
  }
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const xcb_screen_t* screen = nullptr;
  for (auto it = xcb_setup_roots_iterator(setup); it.rem > 0; xcb_screen_next(&it), --screenNumber)
    if (screenNumber == 0) {
      screen = it.data;
      break;
    }
  if (screen == nullptr) {
    DebugPrint("screen sampler: display \"%s\" has no such screen", shownName);
    return;
  }
  // XWayland names itself since server 23.1; older ones are caught by the
  // session's variables above.
  if (HasExtension(connection, "XWAYLAND")) {
    availability_ = Availability::WaylandSession;
    DebugOutput("screen sampler: the X server is XWayland; the screen cannot be read");
    return;
  }

  const xcb_visualtype_t* visual = nullptr;
  for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0 && visual == nullptr;
       xcb_depth_next(&depths)) {
    if (depths.data->depth != screen->root_depth)
      continue;
    for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
         xcb_visualtype_next(&visuals))
      if (visuals.data->visual_id == screen->root_visual) {
        visual = visuals.data;
        break;
      }
  }
  const xcb_format_t* format = nullptr;
  for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0; xcb_format_next(&formats))
    if (formats.data->depth == screen->root_depth)
      format = formats.data;
  const bool trueColour = visual != nullptr && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                          visual->red_mask != 0 && visual->green_mask != 0 && visual->blue_mask != 0;
  const bool knownFormat =
      format != nullptr &&
      (format->bits_per_pixel == 16 || format->bits_per_pixel == 24 || format->bits_per_pixel == 32) &&
      format->scanline_pad % 8 == 0 && format->scanline_pad > 0;
  if (!trueColour || !knownFormat) {
    availability_ = Availability::UnsupportedScreen;
    DebugPrint("screen sampler: the root (depth %d) is no true-colour screen", screen->root_depth);
    return;
  }
  x->root = screen->root;
  x->bitsPerPixel = format->bits_per_pixel;
  x->scanlinePad = format->scanline_pad;
  x->mostSignificantFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  x->red = Channel::OfMask(visual->red_mask);
  x->green = Channel::OfMask(visual->green_mask);
  x->blue = Channel::OfMask(visual->blue_mask);
  x->sharedMemoryOffered = path == PixelPath::SharedMemoryWhereOffered && SharedMemoryOffered(connection);
  x_ = std::move(x);
  availability_ = Availability::Available;
}

ScreenSampler::~ScreenSampler() = default;

const char* ScreenSampler::Describe(Availability availability) {
  switch (availability) {
    case Availability::Available: return "available";
    case Availability::NoDisplay: return "no X display";
    case Availability::WaylandSession: return "a Wayland session: other programs' windows cannot be read";
    case Availability::UnsupportedScreen: return "the screen is not a true-colour screen";
  }
  return "unknown";
}

bool ScreenSampler::UsesSharedMemory() const {
  return x_ != nullptr && x_->sharedMemoryOffered && x_->memory != nullptr;
}

std::optional<ScreenColour> ScreenSampler::Sample() {
  if (!IsAvailable())
    return std::nullopt;
  Connection& x = *x_;
  if (xcb_connection_has_error(x.connection) != 0)
    return x.Fail("the connection to the X server is lost");
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(x.connection, xcb_get_geometry(x.connection, x.root), &error);
  if (geometry == nullptr) {
    const int code = error != nullptr ? error->error_code : 0;
    std::free(error);
    return x.Fail("the root's size is unknown", code);
  }
  const Area area{0, 0, geometry->width, geometry->height};
  std::free(geometry);
  return x.Pass(area);
}

std::optional<ScreenColour> ScreenSampler::Sample(const Area& area) {
  if (!IsAvailable())
    return std::nullopt;
  return x_->Pass(area);
}

std::optional<ScreenColour> ScreenSampler::Connection::Pass(const Area& area) {
  if (xcb_connection_has_error(connection) != 0)
    return Fail("the connection to the X server is lost");
  const auto fits = [](int start, int length) {
    return length > 0 && length <= kMaxCoordinate && start >= kMinCoordinate &&
           int64_t{start} + length - 1 <= kMaxCoordinate;
  };
  if (!fits(area.x, area.width) || !fits(area.y, area.height))
    return Fail("the area lies outside X's coordinates");
  UseGrid(area.width, area.height);
  const std::vector<ScreenGrid::Row>& rows = grid->Rows();
  const bool shared = sharedMemoryOffered && AttachSegment();

  // Every request first, then every reply: one round trip per pass.
  std::vector<unsigned int> sequences;
  sequences.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const ScreenGrid::Row& row = rows[i];
    const auto x = static_cast<int16_t>(area.x + row.first);
    const auto y = static_cast<int16_t>(area.y + row.y);
    const auto width = static_cast<uint16_t>(row.width);
    if (shared)
      sequences.push_back(xcb_shm_get_image(connection, root, x, y, width, 1, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                            segment, static_cast<uint32_t>(rowBytes[i]))
                              .sequence);
    else
      sequences.push_back(
          xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, width, 1, ~0u).sequence);
  }
  int errorCode = 0;
  bool complete = true;
  for (size_t i = 0; i < rows.size(); ++i) {
    const ScreenGrid::Row& row = rows[i];
    const size_t bytes = BytesOfRow(row.width);
    xcb_generic_error_t* error = nullptr;
    if (shared) {
      xcb_shm_get_image_reply_t* reply =
          xcb_shm_get_image_reply(connection, xcb_shm_get_image_cookie_t{sequences[i]}, &error);
      if (reply != nullptr && reply->size >= bytes)
        Unpack(row, memory + rowBytes[i]);
      else
        complete = false;
      std::free(reply);
    } else {
      xcb_get_image_reply_t* reply =
          xcb_get_image_reply(connection, xcb_get_image_cookie_t{sequences[i]}, &error);
      if (reply != nullptr && static_cast<size_t>(xcb_get_image_data_length(reply)) >= bytes)
        Unpack(row, xcb_get_image_data(reply));
      else
        complete = false;
      std::free(reply);
    }
    if (error != nullptr && errorCode == 0)
      errorCode = error->error_code;
    std::free(error);
  }
  if (xcb_connection_has_error(connection) != 0)
    return Fail("the connection to the X server is lost");
  if (!complete)
    return Fail("the screen could not be read", errorCode);
  if (failing)
    DebugOutput("screen sampler: reading again");
  failing = false;
  return grid->Measure(packed);
}

}  // namespace platform
