#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };

// One data field of a report: `count` elements of `bitSize` bits from
// `bitOffset` (counted after the report-id byte).
struct HidField {
  ReportType type = ReportType::Input;
  uint8_t reportId = 0;
  uint16_t usagePage = 0;
  bool isArray = false;     // elements hold usage indices, not values
  bool isConstant = false;  // padding
  uint32_t bitOffset = 0;
  uint32_t bitSize = 0;
  uint32_t count = 0;
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  // Usages in element order (variable fields) or index order (arrays): page in
  // the high 16 bits, usage in the low 16 bits.
  std::vector<uint32_t> usages;
  bool usageIsRange = false;
  uint32_t usageMin = 0;  // extended, as `usages`
  uint32_t usageMax = 0;

  // Buttons are arrays and one-bit variables; everything else is a value.
  bool IsButton() const { return isArray || bitSize == 1; }
  // The usage of element `index` of a variable field, or of array index `index`.
  std::optional<uint32_t> UsageAt(uint32_t index) const;
};

// A top-level collection with its reports.
struct HidCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<HidField> fields;
  std::vector<uint8_t> reportIds;  // every id used by this collection, sorted
  // Byte lengths including the report-id byte (0 when there is no report of
  // that type), as the platform's capabilities give them.
  uint16_t inputReportLength = 0;
  uint16_t outputReportLength = 0;
  uint16_t featureReportLength = 0;

  bool HasReportId(uint8_t id) const;
};

// Parses a HID report descriptor into its top-level collections. Only the
// structure matters here: item data is taken as the HID standard defines
// it, and anything malformed makes the whole descriptor invalid.
class HidReportDescriptor {
 public:
  static std::optional<HidReportDescriptor> Parse(std::span<const uint8_t> bytes,
                                                  std::string* error = nullptr);

  const std::vector<HidCollection>& Collections() const { return collections_; }
  bool UsesReportIds() const { return usesReportIds_; }

 private:
  std::vector<HidCollection> collections_;
  bool usesReportIds_ = false;
};

}  // namespace hid
