#pragma once

// A private X server for tests that read or paint the screen: an Xvfb of
// the test's own (screen 0 24-bit true colour, screen 1 16-bit 5-6-5,
// screen 2 30-bit 10-10-10) and a client that paints its root as xsetroot
// would.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace testing_support {

inline pid_t Spawn(const std::vector<std::string>& arguments) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

inline void Stop(pid_t& pid, int signal = SIGTERM) {
  if (pid <= 0)
    return;
  kill(pid, signal);
  waitpid(pid, nullptr, 0);
  pid = 0;
}

// An Xvfb of the test's own: screen 0 is 24-bit true colour, screen 1 16-bit
// (5-6-5), screen 2 30-bit (10-10-10).
struct XServer {
  pid_t pid = 0;
  std::string display;  // "" when it did not start; `failure` says why
  std::string failure;

  void Start() {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
      failure = "no pipe for Xvfb's display number";
      return;
    }
    pid = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", "1024x768x24", "-screen",
                 "1", "640x480x16", "-screen", "2", "640x480x30", "-nolisten", "tcp", "-noreset"});
    close(pipeFds[1]);
    std::string number;
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(pipeFds[0]);
    if (number.empty()) {
      Stop(pid);
      failure = "Xvfb is not installed or did not start";
      return;
    }
    display = ":" + number;
  }
  ~XServer() { Stop(pid); }
};

// Another client that paints the root, as xsetroot would.
class RootPainter {
 public:
  explicit RootPainter(const std::string& display) {
    int screenNumber = 0;
    connection_ = xcb_connect(display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection_) != 0)
      return;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (; screenNumber > 0; --screenNumber)
      xcb_screen_next(&it);
    screen_ = it.data;
  }
  ~RootPainter() { xcb_disconnect(connection_); }
  bool Connected() const { return screen_ != nullptr; }
  int Width() const { return screen_->width_in_pixels; }
  int Height() const { return screen_->height_in_pixels; }

  // The root's background, cleared to it.
  void Solid(uint32_t pixel) {
    xcb_change_window_attributes(connection_, screen_->root, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(connection_, 0, screen_->root, 0, 0, 0, 0);
    Sync();
  }
  void Rectangle(uint32_t pixel, int x, int y, int width, int height) {
    const xcb_gcontext_t gc = xcb_generate_id(connection_);
    xcb_create_gc(connection_, gc, screen_->root, XCB_GC_FOREGROUND, &pixel);
    const xcb_rectangle_t rectangle{static_cast<int16_t>(x), static_cast<int16_t>(y),
                                    static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    xcb_poly_fill_rectangle(connection_, screen_->root, gc, 1, &rectangle);
    xcb_free_gc(connection_, gc);
    Sync();
  }

 private:
  // Once this reply is back the server has painted; the sampler's requests
  // come after.
  void Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  xcb_connection_t* connection_ = nullptr;
  const xcb_screen_t* screen_ = nullptr;
};

}  // namespace testing_support
