#pragma once

#include <cstdint>
#include <string_view>

namespace hid {

// The hexadecimal number after a marker ("vid_", "pid_", "&mi_", "&col") of an
// interface path, found without regard to case; its low 16 bits, or 0 when
// the marker is absent. Only the part after "?" is searched, so a folder name
// containing a marker cannot match.
uint16_t ParseHexField(std::string_view path, std::string_view marker);

}  // namespace hid
