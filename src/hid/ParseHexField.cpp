#include "hid/ParseHexField.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace hid {

uint16_t ParseHexField(std::string_view path, std::string_view marker) {
  const size_t mark = path.find('?');
  if (mark == std::string_view::npos || marker.empty())
    return 0;
  std::string markers(path.substr(mark + 1));
  std::string wanted(marker);
  auto lower = [](std::string& s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  };
  lower(markers);
  lower(wanted);
  const size_t at = markers.find(wanted);
  if (at == std::string::npos)
    return 0;
  // Like "%x": hex digits after the marker, as many as there are.
  uint32_t value = 0;
  for (size_t i = at + wanted.size(); i < markers.size(); ++i) {
    const char c = markers[i];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace hid
