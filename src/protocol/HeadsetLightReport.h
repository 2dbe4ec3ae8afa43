#pragma once

#include <cstddef>
#include <cstdint>

namespace protocol {

// The headset's live light frame goes out as output reports of their own,
// not answered: 17 bytes.
//   0 report id (0xFF) | 1 side | 2 block (which channel of which points) |
//   3..9 seven channel values | 10..16 zero
struct HeadsetLightReport {
  static constexpr size_t kSize = 17;
  static constexpr uint8_t kReportId = 0xFF;
  static constexpr size_t kReportIdOffset = 0;
  static constexpr size_t kSideOffset = 1;
  static constexpr size_t kBlockOffset = 2;
  static constexpr size_t kValuesOffset = 3;
  static constexpr size_t kValues = 7;
};

static_assert(HeadsetLightReport::kValuesOffset + HeadsetLightReport::kValues <=
              HeadsetLightReport::kSize);

}  // namespace protocol
