#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// Interface 1 of keyboard, mouse and pad: keyboard (report 1), system control
// (report 2), consumer (report 3: an array of one 16-bit usage, 0..0x7FFF, so
// every event code is a valid value) and the vendor command collection 0xFF1C
// / 0x92 (report 4: 64-byte input and output reports).
std::vector<uint8_t> CommandInterfaceDescriptor();
// Interface 3 of the headset: one consumer collection with the 64-byte
// command reports (id 4) and the 17-byte light output reports (id 0xFF).
std::vector<uint8_t> HeadsetInterfaceDescriptor();

}  // namespace sim
