#pragma once

#include <cstdint>

// The headset's audio state kept in its profile ("SystemSetStages"), eight
// integers in this order.
struct HeadsetSystem {
  int32_t MagicEnable = 0;          // voice changer on
  int32_t MagicType = 0;            // voice changer kind
  int32_t EqType = 0;               // 1 to 12 a preset, 13 the custom equaliser
  int32_t CustomEqSelectIndex = 0;  // "CustomEqSeletIndex": the custom slot in use
  int32_t MicInSelect = 0;
  int32_t MicInValue = 0;
  int32_t MicMonitorSelect = 0;  // "MicMoniterSelect"
  int32_t MicMonitorValue = 0;   // "MicMoniterValue"

  bool operator==(const HeadsetSystem&) const = default;
};
