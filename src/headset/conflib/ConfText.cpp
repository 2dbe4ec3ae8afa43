#include "ConfText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace conflib {

namespace {

// Longer than the longest property name; a name that reaches it is unknown.
constexpr size_t kMaxNameChars = 64;

}  // namespace

std::optional<std::string> PropertyName(const char16_t* name) {
  if (name == nullptr)
    return std::nullopt;
  std::string ascii;
  for (size_t i = 0; i < kMaxNameChars; ++i) {
    const char16_t c = name[i];
    if (c == 0)
      return ascii;
    if (c > 0x7F)
      return std::nullopt;
    ascii += static_cast<char>(c);
  }
  return std::nullopt;
}

void PutText8(void* buffer, std::string_view text) {
  std::memset(buffer, 0, kBufferBytes);
  std::memcpy(buffer, text.data(), std::min(text.size(), kBufferBytes - 1));
}

void PutText16(void* buffer, std::string_view ascii) {
  std::memset(buffer, 0, kBufferBytes);
  const size_t chars = std::min(ascii.size(), kBufferBytes / sizeof(char16_t) - 1);
  auto* bytes = static_cast<unsigned char*>(buffer);
  for (size_t i = 0; i < chars; ++i) {
    // The program's own byte order: a char16_t as the machine stores it.
    const char16_t c = static_cast<unsigned char>(ascii[i]);
    std::memcpy(bytes + i * sizeof(char16_t), &c, sizeof c);
  }
}

void PutInt16(void* buffer, long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  PutText16(buffer, std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

int32_t TakeInt32(const void* buffer) {
  unsigned char bytes[4];
  std::memcpy(bytes, buffer, sizeof bytes);
  const uint32_t bits = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                        uint32_t{bytes[3]} << 24;
  return static_cast<int32_t>(bits);
}

float TakeFloat(const void* buffer) {
  static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
  return std::bit_cast<float>(static_cast<uint32_t>(TakeInt32(buffer)));
}

std::string FormatNumber(double value, int decimals) {
  if (!std::isfinite(value))
    return "0";
  // Far beyond any volume, and the text stays short.
  value = std::clamp(value, -1e9, 1e9);
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc())
    return "0";
  std::string out(text, result.ptr);
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0')
      out.pop_back();
    if (out.back() == '.')
      out.pop_back();
  }
  if (out == "-0")
    out = "0";
  return out;
}

}  // namespace conflib
