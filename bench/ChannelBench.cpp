// Host-side cost of the command link against a simulator that answers at
// once: one exchange, and a whole 378-byte key table by cable (7 requests)
// and through the receiver (16 requests).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "hid/DeviceChannel.h"
#include "sim/DeviceSimulator.h"

namespace {

struct Rig {
  explicit Rig(const std::string& connection, const std::string& markers) {
    simulator = std::make_unique<sim::DeviceSimulator>(root.path().toStdString());
    setenv("TRAVIX_SYSFS_ROOT", simulator->SysRoot().c_str(), 1);
    setenv("TRAVIX_DEV_ROOT", simulator->DevRoot().c_str(), 1);
    simulator->Plug(connection);
    const bool receiver = connection.find("receiver") != std::string::npos;
    hid::HidDevice& device = receiver ? channel.Receiver : channel.Wired;
    device.Open(simulator->DevRoot() + "/" + *simulator->NodeOf(connection) + markers, true, true,
                true, false);
    channel.SetMode(receiver ? 2 : 1);
    channel.IsOpen = true;
    channel.SetTransferSize(378);
  }
  QTemporaryDir root;
  std::unique_ptr<sim::DeviceSimulator> simulator;
  hid::DeviceChannel channel;
};

void OneExchange(benchmark::State& state) {
  Rig rig("keyboard", "?vid_320f&pid_5055&mi_01&col04");
  for (auto _ : state) {
    if (rig.channel.BeginTransfer() != hid::kResultSuccess)
      state.SkipWithError("exchange failed");
  }
}
BENCHMARK(OneExchange)->Unit(benchmark::kMicrosecond);

void KeyTable(benchmark::State& state, const std::string& connection, const std::string& markers) {
  Rig rig(connection, markers);
  std::vector<uint8_t> table(378, 0x21);
  for (auto _ : state) {
    if (rig.channel.WriteKeyTable(table, 0) != hid::kResultSuccess)
      state.SkipWithError("key table failed");
  }
}
BENCHMARK_CAPTURE(KeyTable, cable_7_requests, std::string("keyboard"),
                  std::string("?vid_320f&pid_5055&mi_01&col04"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(KeyTable, receiver_16_requests, std::string("keyboard-receiver"),
                  std::string("?vid_320f&pid_5088&mi_01&col04"))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
