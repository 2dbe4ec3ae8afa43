#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hid/HidReportDescriptor.h"

namespace hid {

// Reads usages and values out of one report of a top-level collection. The
// report always starts with its report-id byte (0 for unnumbered reports).
class HidReportReader {
 public:
  explicit HidReportReader(const HidCollection& collection) : collection_(collection) {}

  // The button usages of `usagePage` that are on in the report, in field
  // order (array elements by the usage their index names).
  uint32_t GetUsages(ReportType type, uint16_t usagePage, std::span<const uint8_t> report,
                     std::vector<uint16_t>& usages) const;
  // The raw value of a value usage.
  uint32_t GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                         std::span<const uint8_t> report, uint32_t& value) const;
  // The value in physical units (signed, scaled from the logical range).
  uint32_t GetScaledUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                               std::span<const uint8_t> report, int32_t& value) const;
  // How many button usages of the page one report can carry at most.
  uint32_t MaxUsageListLength(ReportType type, uint16_t usagePage) const;

  // Bits from a report's data (after the report-id byte), little-endian.
  static uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint32_t bitSize);

 private:
  const HidField* FindValueField(ReportType type, uint16_t usagePage, uint16_t usage,
                                 uint8_t reportId, uint32_t& element) const;
  uint32_t CheckReport(std::span<const uint8_t> report) const;
  // The raw bits of a value usage, and the field that holds it.
  uint32_t ReadValue(ReportType type, uint16_t usagePage, uint16_t usage,
                     std::span<const uint8_t> report, const HidField*& field, uint32_t& raw) const;
  // Raw bits as the field's logical value (signed when its minimum is).
  static int64_t Logical(const HidField& field, uint32_t raw);

  const HidCollection& collection_;
};

}  // namespace hid
