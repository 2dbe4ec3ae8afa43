// libFuzzer target for the report-descriptor parser and the report reader:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target report_descriptor_fuzzer
//   build/fuzz/bin/report_descriptor_fuzzer fuzz/corpus/report_descriptor
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "hid/HidReportDescriptor.h"
#include "hid/HidReportReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto descriptor = hid::HidReportDescriptor::Parse(std::span(data, size));
  if (!descriptor)
    return 0;
  // Read a report made of the same bytes through every collection.
  for (const hid::HidCollection& collection : descriptor->Collections()) {
    const hid::HidReportReader reader(collection);
    std::vector<uint8_t> report(data, data + std::min<size_t>(size, 64));
    if (report.empty() || collection.reportIds.empty())
      continue;
    report[0] = collection.reportIds.front();
    for (const hid::HidField& field : collection.fields) {
      std::vector<uint16_t> usages;
      reader.GetUsages(field.type, field.usagePage, report, usages);
      if (auto usage = field.UsageAt(0)) {
        uint32_t value = 0;
        int32_t scaled = 0;
        reader.GetUsageValue(field.type, field.usagePage, *usage & 0xFFFF, report, value);
        reader.GetScaledUsageValue(field.type, field.usagePage, *usage & 0xFFFF, report, scaled);
      }
    }
  }
  return 0;
}
