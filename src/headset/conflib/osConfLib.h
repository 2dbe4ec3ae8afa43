#pragma once

// The headset audio library's entry points: the program loads the library
// at run time (dlopen) and looks these up by name. One header for both
// sides: the library defines them, the program's binding takes their types.
//
// Text in the value buffer: 8-bit decimal text in the C locale for volume
// values and the feature list, UTF-16 (char16_t) decimal text for switches,
// selections and band values; always NUL-terminated within the buffer.
// Property names are UTF-16.

#include <cstdint>

extern "C" {

// An audio endpoint as the library describes it; handed back by value.
struct OsConfEndpoint {
  uint32_t id;
  uint32_t kind;        // render: 1 (the headset's own sink); capture: 2
  uint32_t attribute3;
  uint32_t attribute4;  // 1 on a render endpoint the program may choose
};
static_assert(sizeof(OsConfEndpoint) == 16);

// Buffers the program passes (by the address of a pointer to them).
inline constexpr int kOsConfBufferBytes = 1024;

// 0 on success.
int ConfLibInit(void);
// Builds the endpoint list anew (the sound card may have come or gone).
int CreateDeviceList(void);
// dataFlow 0: render endpoints, 1: capture endpoints.
int GetDeviceCount(int dataFlow, unsigned* count);
int GetDeviceById(int dataFlow, unsigned index, OsConfEndpoint* endpoint);
// Reads (set 0) or writes (set 1) `property` of `endpoint`. Writing: the
// first 4 bytes of *value hold a little-endian int32 or an IEEE float, the
// first 4 bytes of *parameter (when not null) an int32 channel selector.
// Reading: the answer is left in *value as text. 0 on success.
int PropertyControl(OsConfEndpoint endpoint, const char16_t* property, void** value,
                    void** parameter, int set);

// Optional: where the library keeps the settings it cannot apply to the
// sound server (an absolute path); called before ConfLibInit when present.
int ConfLibSetStateFile(const char* path);

}  // extern "C"
