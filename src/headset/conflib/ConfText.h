#pragma once

// The text the library exchanges with the program through its 1024-byte
// buffers: property names in, numbers out. Nothing here looks at the user's
// locale: decimal text is always written with a dot.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace conflib {

inline constexpr size_t kBufferBytes = 1024;

// A property name (UTF-16, NUL-terminated) as ASCII; nothing when it is not
// ASCII or longer than any name the library knows, so an unterminated name is
// never read far.
std::optional<std::string> PropertyName(const char16_t* name);

// Each writer zeroes the whole buffer first; the text is cut where needed so
// that the buffer always ends in a NUL (a NUL character for UTF-16).
void PutText8(void* buffer, std::string_view text);
void PutText16(void* buffer, std::string_view ascii);
void PutInt16(void* buffer, long value);

// The first four bytes of a value buffer: a little-endian int32, or the same
// bits as an IEEE float.
int32_t TakeInt32(const void* buffer);
float TakeFloat(const void* buffer);

// `value` as decimal text with at most `decimals` digits after the point and
// no trailing zeros ("0.53", "-60", "0.5").
std::string FormatNumber(double value, int decimals);

}  // namespace conflib
