#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// One colour and the ways the program packs it.
namespace protocol {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  bool operator==(const Rgb&) const = default;
};

static_assert(sizeof(Rgb) == 3);

// red | green << 8 | blue << 16: the light points of a device page and the
// keyboard's custom per-key colours. The top byte is not part of the colour
// (the light points keep their level there).
constexpr uint32_t ToRgbWord(Rgb colour) {
  return static_cast<uint32_t>(colour.r) | static_cast<uint32_t>(colour.g) << 8 |
         static_cast<uint32_t>(colour.b) << 16;
}
constexpr Rgb FromRgbWord(uint32_t word) {
  return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
          static_cast<uint8_t>(word >> 16)};
}

// red | blue << 8 | green << 16: the light colour a key button is given.
constexpr uint32_t ToRbgWord(Rgb colour) {
  return static_cast<uint32_t>(colour.r) | static_cast<uint32_t>(colour.b) << 8 |
         static_cast<uint32_t>(colour.g) << 16;
}
constexpr Rgb FromRbgWord(uint32_t word) {
  return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 16),
          static_cast<uint8_t>(word >> 8)};
}

// alpha << 24 | red << 16 | green << 8 | blue: the colour panels' packing.
constexpr uint32_t ToArgb(Rgb colour, uint8_t alpha = 0xFF) {
  return static_cast<uint32_t>(alpha) << 24 | static_cast<uint32_t>(colour.r) << 16 |
         static_cast<uint32_t>(colour.g) << 8 | static_cast<uint32_t>(colour.b);
}
constexpr Rgb FromArgb(uint32_t argb) {
  return {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
          static_cast<uint8_t>(argb)};
}

// On the wire a colour is three bytes, red, green, blue: in the parameter
// blocks, in colour tables (one per key slot) and in light frames (one per
// LED).
inline constexpr size_t kRgbBytes = 3;
// Colour tables (ReadColorTable / WriteColorTable) are this far apart.
inline constexpr size_t kColourTableBytes = 512;

constexpr void WriteRgbBytes(Rgb colour, std::span<uint8_t, kRgbBytes> bytes) {
  bytes[0] = colour.r;
  bytes[1] = colour.g;
  bytes[2] = colour.b;
}
constexpr Rgb ReadRgbBytes(std::span<const uint8_t, kRgbBytes> bytes) {
  return {bytes[0], bytes[1], bytes[2]};
}

// Entry `index` of a colour table or light frame; the bytes must hold it.
constexpr void PutRgbAt(std::span<uint8_t> bytes, size_t index, Rgb colour) {
  WriteRgbBytes(colour, bytes.subspan(index * kRgbBytes).first<kRgbBytes>());
}
constexpr Rgb RgbAt(std::span<const uint8_t> bytes, size_t index) {
  return ReadRgbBytes(bytes.subspan(index * kRgbBytes).first<kRgbBytes>());
}

}  // namespace protocol
