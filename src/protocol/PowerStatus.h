#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace protocol {

// The power status (ReadPowerStatus at position 0): six bytes.
//   0 charge in percent | 1 charging state | 3 wireless (the program sets
//   it from the link it reads through) | 4 passed on to the main window as
//   is | 5 the phone on a mouse pad's charger
struct PowerStatus {
  static constexpr size_t kSize = 6;
  static constexpr size_t kChargeOffset = 0;
  static constexpr size_t kChargingStateOffset = 1;
  static constexpr size_t kWirelessOffset = 3;
  static constexpr size_t kForwardedOffset = 4;
  static constexpr size_t kPhoneTypeOffset = 5;

  using Bytes = std::array<uint8_t, kSize>;
};

static_assert(PowerStatus::kPhoneTypeOffset < PowerStatus::kSize);

}  // namespace protocol
