#pragma once

#include <cstdint>

// One key's colour in a keyboard's custom (per-key) lighting group.
struct CustomLightColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  uint8_t Alpha = 0;

  bool operator==(const CustomLightColor&) const = default;
};
static_assert(sizeof(CustomLightColor) == 4);
