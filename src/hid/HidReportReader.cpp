#include "hid/HidReportReader.h"

#include "hid/HidStatus.h"

namespace hid {

uint32_t HidReportReader::ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset,
                                      uint32_t bitSize) {
  uint64_t value = 0;
  for (uint32_t bit = 0; bit < bitSize; ++bit) {
    const uint32_t at = bitOffset + bit;
    const size_t byte = at / 8;
    if (byte >= data.size())
      break;
    if ((data[byte] >> (at % 8)) & 1)
      value |= uint64_t{1} << bit;
  }
  return static_cast<uint32_t>(value);
}

uint32_t HidReportReader::CheckReport(std::span<const uint8_t> report) const {
  if (report.empty())
    return HIDP_STATUS_INVALID_REPORT_LENGTH;
  if (!collection_.HasReportId(report[0]))
    return HIDP_STATUS_INCOMPATIBLE_REPORT_ID;
  return HIDP_STATUS_SUCCESS;
}

uint32_t HidReportReader::MaxUsageListLength(ReportType type, uint16_t usagePage) const {
  uint32_t total = 0;
  for (const HidField& field : collection_.fields)
    if (field.type == type && field.IsButton() && (usagePage == 0 || field.usagePage == usagePage))
      total += field.count;
  return total;
}

uint32_t HidReportReader::GetUsages(ReportType type, uint16_t usagePage,
                                    std::span<const uint8_t> report,
                                    std::vector<uint16_t>& usages) const {
  usages.clear();
  if (const uint32_t status = CheckReport(report); status != HIDP_STATUS_SUCCESS)
    return status;
  const std::span<const uint8_t> data = report.subspan(1);
  for (const HidField& field : collection_.fields) {
    if (field.type != type || !field.IsButton() || field.reportId != report[0])
      continue;
    for (uint32_t element = 0; element < field.count; ++element) {
      const uint32_t raw =
          ExtractBits(data, field.bitOffset + element * field.bitSize, field.bitSize);
      std::optional<uint32_t> usage;
      if (field.isArray) {
        // An index outside the logical range means "nothing" in that slot.
        const int64_t index = Logical(field, raw);
        if (index < field.logicalMin || index > field.logicalMax)
          continue;
        usage = field.UsageAt(static_cast<uint32_t>(index - field.logicalMin));
      } else if (raw != 0) {
        usage = field.UsageAt(element);
      }
      if (!usage || (*usage >> 16) != usagePage)
        continue;
      const uint16_t id = static_cast<uint16_t>(*usage & 0xFFFF);
      if (id != 0)
        usages.push_back(id);
    }
  }
  return HIDP_STATUS_SUCCESS;
}

const HidField* HidReportReader::FindValueField(ReportType type, uint16_t usagePage,
                                                uint16_t usage, uint8_t reportId,
                                                uint32_t& element) const {
  const uint32_t wanted = (static_cast<uint32_t>(usagePage) << 16) | usage;
  for (const HidField& field : collection_.fields) {
    if (field.type != type || field.IsButton() || field.reportId != reportId)
      continue;
    for (uint32_t e = 0; e < field.count; ++e) {
      if (field.UsageAt(e) == wanted) {
        element = e;
        return &field;
      }
    }
  }
  return nullptr;
}

uint32_t HidReportReader::ReadValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                    std::span<const uint8_t> report, const HidField*& field,
                                    uint32_t& raw) const {
  raw = 0;
  if (const uint32_t status = CheckReport(report); status != HIDP_STATUS_SUCCESS)
    return status;
  uint32_t element = 0;
  field = FindValueField(type, usagePage, usage, report[0], element);
  if (field == nullptr)
    return HIDP_STATUS_USAGE_NOT_FOUND;
  raw = ExtractBits(report.subspan(1), field->bitOffset + element * field->bitSize,
                    field->bitSize);
  return HIDP_STATUS_SUCCESS;
}

int64_t HidReportReader::Logical(const HidField& field, uint32_t raw) {
  // A field with a negative minimum holds two's-complement values.
  if (field.logicalMin >= 0)
    return raw;
  if (field.bitSize >= 32)
    return static_cast<int32_t>(raw);
  if ((raw >> (field.bitSize - 1)) & 1)
    return static_cast<int64_t>(raw) - (int64_t{1} << field.bitSize);
  return raw;
}

uint32_t HidReportReader::GetUsageValue(ReportType type, uint16_t usagePage, uint16_t usage,
                                        std::span<const uint8_t> report, uint32_t& value) const {
  const HidField* field = nullptr;
  return ReadValue(type, usagePage, usage, report, field, value);
}

uint32_t HidReportReader::GetScaledUsageValue(ReportType type, uint16_t usagePage,
                                              uint16_t usage, std::span<const uint8_t> report,
                                              int32_t& value) const {
  value = 0;
  const HidField* field = nullptr;
  uint32_t raw = 0;
  if (const uint32_t status = ReadValue(type, usagePage, usage, report, field, raw);
      status != HIDP_STATUS_SUCCESS)
    return status;
  if (field->logicalMin >= field->logicalMax)
    return HIDP_STATUS_BAD_LOG_PHY_VALUES;
  const int64_t logical = Logical(*field, raw);
  if (logical < field->logicalMin || logical > field->logicalMax)
    return HIDP_STATUS_NULL;
  int32_t physMin = field->physicalMin;
  int32_t physMax = field->physicalMax;
  if (physMin == 0 && physMax == 0) {
    // No physical range: physical equals logical.
    value = static_cast<int32_t>(logical);
    return HIDP_STATUS_SUCCESS;
  }
  if (physMin >= physMax)
    return HIDP_STATUS_BAD_LOG_PHY_VALUES;
  const int64_t scaled = physMin + (logical - field->logicalMin) * (int64_t{physMax} - physMin) /
                                       (int64_t{field->logicalMax} - field->logicalMin);
  value = static_cast<int32_t>(scaled);
  return HIDP_STATUS_SUCCESS;
}

}  // namespace hid
