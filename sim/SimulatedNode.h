#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// A device node served as a Unix seqpacket socket, behaving like a hidraw
// node: it may be connected several times at once, every connection gets
// every input report, and each keeps at most 64 unread reports (new ones are
// dropped when full), so the device never waits for a slow reader.
class SimulatedNode {
 public:
  static constexpr size_t kQueueReports = 64;
  using OutputHandler = std::function<void(std::span<const uint8_t> report)>;

  SimulatedNode(std::string path, OutputHandler handler);
  // Hangs up every connection (as an unplugged device) and removes the node.
  ~SimulatedNode();
  SimulatedNode(const SimulatedNode&) = delete;
  SimulatedNode& operator=(const SimulatedNode&) = delete;

  bool IsListening() const { return listenFd_ >= 0; }
  // Queues an input report for every connection.
  void Broadcast(std::vector<uint8_t> report);
  int Connections() const;

 private:
  struct Client {
    int fd;
    std::deque<std::vector<uint8_t>> queue;
  };
  void Serve();
  void Wake();

  std::string path_;
  OutputHandler handler_;
  int listenFd_ = -1;
  int wakeFd_ = -1;
  mutable std::mutex mutex_;
  std::vector<Client> clients_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace sim
