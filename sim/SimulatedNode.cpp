#include "sim/SimulatedNode.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace sim {

SimulatedNode::SimulatedNode(std::string path, OutputHandler handler)
    : path_(std::move(path)), handler_(std::move(handler)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path_.size() >= sizeof(address.sun_path))
    return;
  std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return;
  unlink(path_.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
    close(fd);
    return;
  }
  listenFd_ = fd;
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread([this] { Serve(); });
}

SimulatedNode::~SimulatedNode() {
  stop_ = true;
  if (thread_.joinable()) {
    Wake();
    thread_.join();
  }
  for (Client& client : clients_)
    close(client.fd);
  if (listenFd_ >= 0) {
    close(listenFd_);
    unlink(path_.c_str());
  }
  if (wakeFd_ >= 0)
    close(wakeFd_);
}

void SimulatedNode::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

int SimulatedNode::Connections() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(clients_.size());
}

void SimulatedNode::Broadcast(std::vector<uint8_t> report) {
  {
    std::lock_guard lock(mutex_);
    for (Client& client : clients_)
      if (client.queue.size() < kQueueReports)
        client.queue.push_back(report);
  }
  Wake();
}

void SimulatedNode::Serve() {
  while (!stop_) {
    std::vector<pollfd> fds = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    {
      std::lock_guard lock(mutex_);
      for (const Client& client : clients_)
        fds.push_back({client.fd, static_cast<short>(POLLIN | (client.queue.empty() ? 0 : POLLOUT)),
                       0});
    }
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
      break;
    if (fds[1].revents & POLLIN) {
      uint64_t value = 0;
      [[maybe_unused]] ssize_t n = read(wakeFd_, &value, sizeof value);
    }
    if (fds[0].revents & POLLIN) {
      const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd >= 0) {
        // Keep the socket's own buffer small: the 64-report queue is what
        // holds unread reports, as in the kernel.
        const int size = 4096;
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
        std::lock_guard lock(mutex_);
        clients_.push_back({fd, {}});
      }
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      const int fd = fds[i].fd;
      bool closed = false;
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
        uint8_t buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0)
          handler_(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
          closed = true;
      }
      std::lock_guard lock(mutex_);
      auto it = std::find_if(clients_.begin(), clients_.end(),
                             [fd](const Client& c) { return c.fd == fd; });
      if (it == clients_.end())
        continue;
      if (closed) {
        close(it->fd);
        clients_.erase(it);
        continue;
      }
      while (!it->queue.empty()) {
        const auto& report = it->queue.front();
        if (send(it->fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
          break;
        it->queue.pop_front();
      }
    }
  }
}

}  // namespace sim
