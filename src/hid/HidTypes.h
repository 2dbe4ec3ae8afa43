#pragma once

#include <cstdint>
#include <vector>

namespace hid {

// Attributes of an opened interface.
struct HIDD_ATTRIBUTES {
  uint32_t Size = sizeof(HIDD_ATTRIBUTES);
  uint16_t VendorID = 0;
  uint16_t ProductID = 0;
  uint16_t VersionNumber = 0;
};

// Capabilities of an opened top-level collection. Report lengths include the
// report-id byte.
struct HIDP_CAPS {
  uint16_t Usage = 0;
  uint16_t UsagePage = 0;
  uint16_t InputReportByteLength = 0;
  uint16_t OutputReportByteLength = 0;
  uint16_t FeatureReportByteLength = 0;
  uint16_t NumberLinkCollectionNodes = 0;
  uint16_t NumberInputButtonCaps = 0;
  uint16_t NumberInputValueCaps = 0;
  uint16_t NumberInputDataIndices = 0;
  uint16_t NumberOutputButtonCaps = 0;
  uint16_t NumberOutputValueCaps = 0;
  uint16_t NumberOutputDataIndices = 0;
  uint16_t NumberFeatureButtonCaps = 0;
  uint16_t NumberFeatureValueCaps = 0;
  uint16_t NumberFeatureDataIndices = 0;
};

// One input control and what the last unpacked report said about it.
struct HidUsageData {
  uint8_t IsButtonData = 0;
  uint16_t UsagePage = 0;
  uint32_t Status = 0;
  uint32_t ReportId = 0;
  uint8_t IsDataSet = 0;
  // Button part.
  uint32_t UsageMin = 0;
  uint32_t UsageMax = 0;
  uint32_t MaxUsageLength = 0;
  std::vector<uint16_t> Usages;
  // Value part.
  uint16_t Usage = 0;
  uint32_t Value = 0;
  int32_t ScaledValue = 0;
};

}  // namespace hid
