#include "hid/HotplugMonitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <string>

#include "hid/SysfsEnumerator.h"
#include "platform/WorkerThread.h"

namespace hid {

class HotplugMonitor::Impl {
 public:
  ~Impl() { Stop(); }

  bool Start(platform::Event& wake) {
    Stop();
    const std::string root = SysfsEnumerator::SysfsRoot();
    const bool watching = root == "/sys" ? OpenUdev() : OpenInotify(root + "/class/hidraw");
    if (!watching) {
      Release();
      return false;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
      Release();
      return false;
    }
    const int fd = monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : inotifyFd_;
    return thread_.Start([this, fd, &wake](const platform::Event& stop) {
      pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      while (!stop.IsSet()) {
        if (poll(fds, 2, -1) <= 0)
          continue;
        if (fds[1].revents & POLLIN)
          break;
        if ((fds[0].revents & POLLIN) && Drain())
          wake.Set();
      }
    });
  }

  void Stop() {
    if (thread_.IsRunning() || wakeFd_ >= 0) {
      thread_.SignalStop();
      const uint64_t one = 1;
      if (wakeFd_ >= 0)
        [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
      thread_.WaitForEnd(platform::kInfinite);
    }
    Release();
  }

  bool IsRunning() const { return thread_.IsRunning(); }

 private:
  bool OpenUdev() {
    udev_ = udev_new();
    if (udev_ == nullptr)
      return false;
    // The kernel's events reach the monitor only through a running udev
    // daemon; without one the monitor would stay silent.
    udev_queue* queue = udev_queue_new(udev_);
    const bool active = queue != nullptr && udev_queue_get_udev_is_active(queue) != 0;
    if (queue != nullptr)
      udev_queue_unref(queue);
    if (!active)
      return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    return monitor_ != nullptr &&
           udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) >= 0 &&
           udev_monitor_enable_receiving(monitor_) >= 0;
  }

  bool OpenInotify(const std::string& folder) {
    inotifyFd_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    return inotifyFd_ >= 0 &&
           inotify_add_watch(inotifyFd_, folder.c_str(),
                             IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO) >= 0;
  }

  // Reads what arrived; true when a node came or went.
  bool Drain() {
    bool changed = false;
    if (monitor_ != nullptr) {
      while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        if (action != nullptr &&
            (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
          changed = true;
        udev_device_unref(device);
      }
      return changed;
    }
    alignas(inotify_event) std::array<char, 4096> buffer;
    while (read(inotifyFd_, buffer.data(), buffer.size()) > 0)
      changed = true;
    return changed;
  }

  void Release() {
    if (monitor_ != nullptr)
      udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
      udev_unref(udev_);
    if (inotifyFd_ >= 0)
      close(inotifyFd_);
    if (wakeFd_ >= 0)
      close(wakeFd_);
    monitor_ = nullptr;
    udev_ = nullptr;
    inotifyFd_ = -1;
    wakeFd_ = -1;
  }

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int inotifyFd_ = -1;
  int wakeFd_ = -1;
  platform::WorkerThread thread_{"hidraw hotplug"};
};

HotplugMonitor::HotplugMonitor() : impl_(std::make_unique<Impl>()) {}
HotplugMonitor::~HotplugMonitor() = default;
bool HotplugMonitor::Start(platform::Event& wake) { return impl_->Start(wake); }
void HotplugMonitor::Stop() { impl_->Stop(); }
bool HotplugMonitor::IsRunning() const { return impl_->IsRunning(); }

}  // namespace hid
