#include "hid/HotplugMonitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>

#include "platform/WorkerThread.h"

namespace hid {

class HotplugMonitor::Impl {
 public:
  ~Impl() { Stop(); }

  bool Start(platform::Event& wake) {
    Stop();
    udev_ = udev_new();
    if (udev_ == nullptr)
      return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
      Release();
      return false;
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int fd = udev_monitor_get_fd(monitor_);
    return thread_.Start([this, fd, &wake](const platform::Event& stop) {
      pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      while (!stop.IsSet()) {
        if (poll(fds, 2, -1) <= 0)
          continue;
        if (fds[1].revents & POLLIN)
          break;
        if (fds[0].revents & POLLIN) {
          while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            const char* action = udev_device_get_action(device);
            if (action != nullptr && (std::strcmp(action, "add") == 0 ||
                                      std::strcmp(action, "remove") == 0))
              wake.Set();
            udev_device_unref(device);
          }
        }
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
  void Release() {
    if (monitor_ != nullptr)
      udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
      udev_unref(udev_);
    if (wakeFd_ >= 0)
      close(wakeFd_);
    monitor_ = nullptr;
    udev_ = nullptr;
    wakeFd_ = -1;
  }

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int wakeFd_ = -1;
  platform::WorkerThread thread_{"hidraw hotplug"};
};

HotplugMonitor::HotplugMonitor() : impl_(std::make_unique<Impl>()) {}
HotplugMonitor::~HotplugMonitor() = default;
bool HotplugMonitor::Start(platform::Event& wake) { return impl_->Start(wake); }
void HotplugMonitor::Stop() { impl_->Stop(); }
bool HotplugMonitor::IsRunning() const { return impl_->IsRunning(); }

}  // namespace hid
