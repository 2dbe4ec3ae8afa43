// Cost of one pass of the detection loop's enumeration over a tree of ten
// interfaces, as the program reads it (sysfs files and report descriptors).
//   cmake --preset default -DTRAVIX_BUILD_BENCHMARKS=ON && cmake --build --preset default
//   build/default/bench/travix_bench
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "hid/HidDevice.h"
#include "support/FakeHidTree.h"

namespace {

void EnumerateTenInterfaces(benchmark::State& state) {
  testing_support::FakeHidTree tree;
  // 4 + 4 + 1 + 1 top-level collections on four USB nodes.
  tree.AddUsbNode(0x320F, 0x5055, 1, testing_support::FourCollectionDescriptor());
  tree.AddUsbNode(0x320F, 0x50EF, 1, testing_support::FourCollectionDescriptor(), 0x0100, 3);
  tree.AddUsbNode(0x046D, 0xC52B, 0, testing_support::BootKeyboardDescriptor(), 0x0100, 4);
  tree.AddUsbNode(0x046D, 0xC52B, 1, testing_support::BootMouseDescriptor(), 0x0100, 4);
  hid::HidDevice probe;
  for (auto _ : state) {
    probe.EnumerateInterfaces();
    if (probe.PathCount != 10)
      state.SkipWithError("expected ten interfaces");
    benchmark::DoNotOptimize(probe.PathList.data());
  }
}
BENCHMARK(EnumerateTenInterfaces)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
