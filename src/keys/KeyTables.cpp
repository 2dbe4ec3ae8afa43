#include "keys/KeyTables.h"

namespace keys {

// Function names. Rows 0..112 carry the key's scan code (set 1) and its
// extended flag; the others cannot be captured (-1).
const std::array<KeyNameRow, 142> KeyNameTable = {{
    {"keyboard_key_LCtrl", 0x1D, 0, 0x20, 0x01, 0x00},  // 0
    {"keyboard_key_LShift", 0x2A, 0, 0x20, 0x02, 0x00},  // 1
    {"keyboard_key_LAlt", 0x38, 0, 0x20, 0x04, 0x00},  // 2
    {"keyboard_key_LWin", 0x5B, 1, 0x20, 0x08, 0x00},  // 3
    {"keyboard_key_RCtrl", 0x1D, 1, 0x20, 0x10, 0x00},  // 4
    {"keyboard_key_RShift", 0x36, 1, 0x20, 0x20, 0x00},  // 5
    {"keyboard_key_RAlt", 0x38, 1, 0x20, 0x40, 0x00},  // 6
    {"keyboard_key_RWin", 0x5C, 1, 0x20, 0x80, 0x00},  // 7
    {"keyboard_key_A", 0x1E, 0, 0x20, 0x00, 0x04},  // 8
    {"keyboard_key_B", 0x30, 0, 0x20, 0x00, 0x05},  // 9
    {"keyboard_key_C", 0x2E, 0, 0x20, 0x00, 0x06},  // 10
    {"keyboard_key_D", 0x20, 0, 0x20, 0x00, 0x07},  // 11
    {"keyboard_key_E", 0x12, 0, 0x20, 0x00, 0x08},  // 12
    {"keyboard_key_F", 0x21, 0, 0x20, 0x00, 0x09},  // 13
    {"keyboard_key_G", 0x22, 0, 0x20, 0x00, 0x0A},  // 14
    {"keyboard_key_H", 0x23, 0, 0x20, 0x00, 0x0B},  // 15
    {"keyboard_key_I", 0x17, 0, 0x20, 0x00, 0x0C},  // 16
    {"keyboard_key_J", 0x24, 0, 0x20, 0x00, 0x0D},  // 17
    {"keyboard_key_K", 0x25, 0, 0x20, 0x00, 0x0E},  // 18
    {"keyboard_key_L", 0x26, 0, 0x20, 0x00, 0x0F},  // 19
    {"keyboard_key_M", 0x32, 0, 0x20, 0x00, 0x10},  // 20
    {"keyboard_key_N", 0x31, 0, 0x20, 0x00, 0x11},  // 21
    {"keyboard_key_O", 0x18, 0, 0x20, 0x00, 0x12},  // 22
    {"keyboard_key_P", 0x19, 0, 0x20, 0x00, 0x13},  // 23
    {"keyboard_key_Q", 0x10, 0, 0x20, 0x00, 0x14},  // 24
    {"keyboard_key_R", 0x13, 0, 0x20, 0x00, 0x15},  // 25
    {"keyboard_key_S", 0x1F, 0, 0x20, 0x00, 0x16},  // 26
    {"keyboard_key_T", 0x14, 0, 0x20, 0x00, 0x17},  // 27
    {"keyboard_key_U", 0x16, 0, 0x20, 0x00, 0x18},  // 28
    {"keyboard_key_V", 0x2F, 0, 0x20, 0x00, 0x19},  // 29
    {"keyboard_key_W", 0x11, 0, 0x20, 0x00, 0x1A},  // 30
    {"keyboard_key_X", 0x2D, 0, 0x20, 0x00, 0x1B},  // 31
    {"keyboard_key_Y", 0x15, 0, 0x20, 0x00, 0x1C},  // 32
    {"keyboard_key_Z", 0x2C, 0, 0x20, 0x00, 0x1D},  // 33
    {"keyboard_key_1", 0x02, 0, 0x20, 0x00, 0x1E},  // 34
    {"keyboard_key_2", 0x03, 0, 0x20, 0x00, 0x1F},  // 35
    {"keyboard_key_3", 0x04, 0, 0x20, 0x00, 0x20},  // 36
    {"keyboard_key_4", 0x05, 0, 0x20, 0x00, 0x21},  // 37
    {"keyboard_key_5", 0x06, 0, 0x20, 0x00, 0x22},  // 38
    {"keyboard_key_6", 0x07, 0, 0x20, 0x00, 0x23},  // 39
    {"keyboard_key_7", 0x08, 0, 0x20, 0x00, 0x24},  // 40
    {"keyboard_key_8", 0x09, 0, 0x20, 0x00, 0x25},  // 41
    {"keyboard_key_9", 0x0A, 0, 0x20, 0x00, 0x26},  // 42
    {"keyboard_key_0", 0x0B, 0, 0x20, 0x00, 0x27},  // 43
    {"keyboard_key_Enter", 0x1C, 0, 0x20, 0x00, 0x28},  // 44
    {"keyboard_key_Esc", 0x01, 0, 0x20, 0x00, 0x29},  // 45
    {"keyboard_key_BackSpace", 0x0E, 0, 0x20, 0x00, 0x2A},  // 46
    {"keyboard_key_Tab", 0x0F, 0, 0x20, 0x00, 0x2B},  // 47
    {"keyboard_key_Space", 0x39, 0, 0x20, 0x00, 0x2C},  // 48
    {"keyboard_key_-", 0x0C, 0, 0x20, 0x00, 0x2D},  // 49
    {"keyboard_key_=", 0x0D, 0, 0x20, 0x00, 0x2E},  // 50
    {"keyboard_key_[", 0x1A, 0, 0x20, 0x00, 0x2F},  // 51
    {"keyboard_key_]", 0x1B, 0, 0x20, 0x00, 0x30},  // 52
    {"keyboard_key_xiegang", 0x2B, 0, 0x20, 0x00, 0x31},  // 53
    {"keyboard_key_;", 0x27, 0, 0x20, 0x00, 0x33},  // 54
    {"keyboard_key_'", 0x28, 0, 0x20, 0x00, 0x34},  // 55
    {"keyboard_key_`", 0x29, 0, 0x20, 0x00, 0x35},  // 56
    {"keyboard_key_<", 0x33, 0, 0x20, 0x00, 0x36},  // 57
    {"keyboard_key_.", 0x34, 0, 0x20, 0x00, 0x37},  // 58
    {"keyboard_key_/", 0x35, 0, 0x20, 0x00, 0x38},  // 59
    {"keyboard_key_Caplk", 0x3A, 0, 0x20, 0x00, 0x39},  // 60
    {"keyboard_key_F1", 0x3B, 0, 0x20, 0x00, 0x3A},  // 61
    {"keyboard_key_F2", 0x3C, 0, 0x20, 0x00, 0x3B},  // 62
    {"keyboard_key_F3", 0x3D, 0, 0x20, 0x00, 0x3C},  // 63
    {"keyboard_key_F4", 0x3E, 0, 0x20, 0x00, 0x3D},  // 64
    {"keyboard_key_F5", 0x3F, 0, 0x20, 0x00, 0x3E},  // 65
    {"keyboard_key_F6", 0x40, 0, 0x20, 0x00, 0x3F},  // 66
    {"keyboard_key_F7", 0x41, 0, 0x20, 0x00, 0x40},  // 67
    {"keyboard_key_F8", 0x42, 0, 0x20, 0x00, 0x41},  // 68
    {"keyboard_key_F9", 0x43, 0, 0x20, 0x00, 0x42},  // 69
    {"keyboard_key_F10", 0x44, 0, 0x20, 0x00, 0x43},  // 70
    {"keyboard_key_F11", 0x57, 0, 0x20, 0x00, 0x44},  // 71
    {"keyboard_key_F12", 0x58, 0, 0x20, 0x00, 0x45},  // 72
    {"keyboard_key_Print Scr", 0x37, 1, 0x20, 0x00, 0x46},  // 73
    {"keyboard_key_Scroll Lock", 0x46, 0, 0x20, 0x00, 0x47},  // 74
    {"keyboard_key_Pause", 0x45, 0, 0x20, 0x00, 0x48},  // 75
    {"keyboard_key_Insert", 0x52, 1, 0x20, 0x00, 0x49},  // 76
    {"keyboard_key_Home", 0x47, 1, 0x20, 0x00, 0x4A},  // 77
    {"keyboard_key_Page Up", 0x49, 1, 0x20, 0x00, 0x4B},  // 78
    {"keyboard_key_Delete", 0x53, 1, 0x20, 0x00, 0x4C},  // 79
    {"keyboard_key_End", 0x4F, 1, 0x20, 0x00, 0x4D},  // 80
    {"keyboard_key_Page Down", 0x51, 1, 0x20, 0x00, 0x4E},  // 81
    {"keyboard_key_Right", 0x4D, 1, 0x20, 0x00, 0x4F},  // 82
    {"keyboard_key_Left", 0x4B, 1, 0x20, 0x00, 0x50},  // 83
    {"keyboard_key_Down", 0x50, 1, 0x20, 0x00, 0x51},  // 84
    {"keyboard_key_Up", 0x48, 1, 0x20, 0x00, 0x52},  // 85
    {"keyboard_key_Num Lock", 0x45, 1, 0x20, 0x00, 0x53},  // 86
    {"keyboard_key_Num /", 0x35, 1, 0x20, 0x00, 0x54},  // 87
    {"keyboard_key_Num *", 0x37, 0, 0x20, 0x00, 0x55},  // 88
    {"keyboard_key_Num -", 0x4A, 0, 0x20, 0x00, 0x56},  // 89
    {"keyboard_key_Num +", 0x4E, 0, 0x20, 0x00, 0x57},  // 90
    {"keyboard_key_Num Enter", 0x1C, 1, 0x20, 0x00, 0x58},  // 91
    {"keyboard_key_Num 1", 0x4F, 0, 0x20, 0x00, 0x59},  // 92
    {"keyboard_key_Num 2", 0x50, 0, 0x20, 0x00, 0x5A},  // 93
    {"keyboard_key_Num 3", 0x51, 0, 0x20, 0x00, 0x5B},  // 94
    {"keyboard_key_Num 4", 0x4B, 0, 0x20, 0x00, 0x5C},  // 95
    {"keyboard_key_Num 5", 0x4C, 0, 0x20, 0x00, 0x5D},  // 96
    {"keyboard_key_Num 6", 0x4D, 0, 0x20, 0x00, 0x5E},  // 97
    {"keyboard_key_Num 7", 0x47, 0, 0x20, 0x00, 0x5F},  // 98
    {"keyboard_key_Num 8", 0x48, 0, 0x20, 0x00, 0x60},  // 99
    {"keyboard_key_Num 9", 0x49, 0, 0x20, 0x00, 0x61},  // 100
    {"keyboard_key_Num 0", 0x52, 0, 0x20, 0x00, 0x62},  // 101
    {"keyboard_key_Decimal", 0x53, 0, 0x20, 0x00, 0x63},  // 102
    {"keyboard_key_App", 0x5D, 1, 0x20, 0x00, 0x65},  // 103
    {"keyboard_key_K45", 0x56, 0, 0x20, 0x00, 0x64},  // 104
    {"keyboard_key_K56", 0x73, 0, 0x20, 0x00, 0x87},  // 105
    {"keyboard_key_K14", 0x7D, 0, 0x20, 0x00, 0x89},  // 106
    {"keyboard_key_K107", 0x7E, 0, 0x20, 0x00, 0x85},  // 107
    {"keyboard_key_K131", 0x7B, 0, 0x20, 0x00, 0x8B},  // 108
    {"keyboard_key_K132", 0x79, 0, 0x20, 0x00, 0x8A},  // 109
    {"keyboard_key_K133", 0x70, 0, 0x20, 0x00, 0x88},  // 110
    {"keyboard_key_K150", 0x71, 0, 0x20, 0x00, 0x91},  // 111
    {"keyboard_key_K151", 0x72, 0, 0x20, 0x00, 0x90},  // 112
    {"keyboard_key_K42", 0x00, -1, 0x20, 0x00, 0x32},  // 113
    {"keyboard_key_Launch App2", 0x00, -1, 0x30, 0x92, 0x01},  // 114
    {"keyboard_key_Browaer Home", 0x00, -1, 0x30, 0x23, 0x02},  // 115
    {"keyboard_key_Media Play Pause", 0x00, -1, 0x30, 0xCD, 0x00},  // 116
    {"keyboard_key_Browser Search", 0x00, -1, 0x30, 0x21, 0x02},  // 117
    {"keyboard_key_Launch Mail", 0x00, -1, 0x30, 0x8A, 0x01},  // 118
    {"keyboard_key_Volume Up", 0x00, -1, 0x30, 0xE9, 0x00},  // 119
    {"keyboard_key_Volume Mute", 0x00, -1, 0x30, 0xE2, 0x00},  // 120
    {"keyboard_key_Media Stop", 0x00, -1, 0x30, 0xB7, 0x00},  // 121
    {"keyboard_key_Volume Down", 0x00, -1, 0x30, 0xEA, 0x00},  // 122
    {"keyboard_key_Browser Favorites", 0x00, -1, 0x30, 0x2A, 0x02},  // 123
    {"keyboard_key_Browser ForWard", 0x00, -1, 0x30, 0x25, 0x02},  // 124
    {"keyboard_key_Browser Back", 0x00, -1, 0x30, 0x24, 0x02},  // 125
    {"keyboard_key_Media Prev Track", 0x00, -1, 0x30, 0xB6, 0x00},  // 126
    {"keyboard_key_Media Next Track", 0x00, -1, 0x30, 0xB5, 0x00},  // 127
    {"keyboard_key_Computer", 0x00, -1, 0x30, 0x94, 0x01},  // 128
    {"keyboard_key_Browser Refresh", 0x00, -1, 0x30, 0x27, 0x02},  // 129
    {"wed_stop", 0x00, -1, 0x30, 0x26, 0x02},  // 130
    {"keyboard_key_Launch Media Select", 0x00, -1, 0x30, 0x83, 0x01},  // 131
    {"keyboard_key_Power", 0x00, -1, 0x40, 0x01, 0x00},  // 132
    {"keyboard_key_Sleep", 0x00, -1, 0x40, 0x02, 0x00},  // 133
    {"keyboard_key_Wakeup", 0x00, -1, 0x40, 0x04, 0x00},  // 134
    {"keyboard_key_M1", 0x00, -1, 0xD0, 0xA2, 0x01},  // 135
    {"keyboard_key_M2", 0x00, -1, 0xD0, 0xA2, 0x02},  // 136
    {"keyboard_key_M3", 0x00, -1, 0xD0, 0xA2, 0x03},  // 137
    {"keyboard_key_M4", 0x00, -1, 0xD0, 0xA2, 0x04},  // 138
    {"keyboard_key_M5", 0x00, -1, 0xD0, 0xA2, 0x05},  // 139
    {"keyboard_key_FN", 0x00, -1, 0xA0, 0x01, 0x00},  // 140
    {"keyboard_key_GM", 0x00, -1, 0xA0, 0x1B, 0x00},  // 141
}};

const std::array<FunctionRow, 5> MouseButtonTable = {{
    {"mouse_key_left", 0x10, 0x01, 0x00},
    {"mouse_key_middle", 0x10, 0x04, 0x00},
    {"mouse_key_right", 0x10, 0x02, 0x00},
    {"mouse_key_forward", 0x10, 0x10, 0x00},
    {"mouse_key_back", 0x10, 0x08, 0x00},
}};
const std::array<FunctionRow, 3> DpiFunctionTable = {{
    {"mouse_key_DPI_add", 0x13, 0x01, 0x00},
    {"mouse_key_DPI_sub", 0x13, 0x02, 0x00},
    {"mouse_key_DPI_loop", 0x13, 0x03, 0x00},
}};
const std::array<FunctionRow, 18> MediaFunctionTable = {{
    {"media_text", 0x30, 0x83, 0x01},
    {"media_play", 0x30, 0xCD, 0x00},
    {"media_stop", 0x30, 0xB7, 0x00},
    {"media_prev", 0x30, 0xB6, 0x00},
    {"media_next", 0x30, 0xB5, 0x00},
    {"media_vol_sub", 0x30, 0xEA, 0x00},
    {"media_vol_add", 0x30, 0xE9, 0x00},
    {"media_mute", 0x30, 0xE2, 0x00},
    {"web_text", 0x30, 0x23, 0x02},
    {"web_refresh", 0x30, 0x27, 0x02},
    {"wed_stop", 0x30, 0x26, 0x02},
    {"wed_back", 0x30, 0x24, 0x02},
    {"wed_forward", 0x30, 0x25, 0x02},
    {"wed_favorite", 0x30, 0x2A, 0x02},
    {"web_search", 0x30, 0x21, 0x02},
    {"media_mypc", 0x30, 0x94, 0x01},
    {"media_calc", 0x30, 0x92, 0x01},
    {"media_mail", 0x30, 0x8A, 0x01},
}};
const std::array<FunctionRow, 3> SystemFunctionTable = {{
    {"system_power", 0x40, 0x01, 0x00},
    {"system_sleep", 0x40, 0x02, 0x00},
    {"system_wake_up", 0x40, 0x04, 0x00},
}};

// Ctrl is encoded as the right-Ctrl bit.
const std::array<FunctionRow, 11> ShortcutKeyTable = {{
    {"custem_open", 0x20, 0x10, 0x12},
    {"custem_new", 0x20, 0x10, 0x11},
    {"custem_undo", 0x20, 0x10, 0x1D},
    {"custem_save", 0x20, 0x10, 0x16},
    {"custem_copy", 0x20, 0x10, 0x06},
    {"custem_cut", 0x20, 0x10, 0x1B},
    {"custem_paste", 0x20, 0x10, 0x19},
    {"custem_find", 0x20, 0x10, 0x09},
    {"custem_select_all", 0x20, 0x10, 0x04},
    {"custem_narrow", 0x20, 0x10, 0x2D},
    {"custem_magnify", 0x20, 0x10, 0x2E},
}};
const std::array<FunctionRow, 9> ShortcutIndexTable = {{
    {"custem_open", 0x22, 0x00, 0x00},
    {"custem_new", 0x22, 0x00, 0x01},
    {"custem_undo", 0x22, 0x00, 0x02},
    {"custem_save", 0x22, 0x00, 0x03},
    {"custem_copy", 0x22, 0x00, 0x04},
    {"custem_cut", 0x22, 0x00, 0x05},
    {"custem_paste", 0x22, 0x00, 0x06},
    {"custem_find", 0x22, 0x00, 0x07},
    {"custem_select_all", 0x22, 0x00, 0x08},
}};
const std::array<FunctionRow, 4> MouseFunctionTable = {{
    {"mouse_key_smart_key", 0xA0, 0x02, 0x00},
    {"com_key_nothing", 0xA0, 0x00, 0x00},
    {"mouse_key_DPI_shift", 0x16, 0x00, 0x00},
    {"show_window", 0x23, 0x00, 0x00},
}};

const std::array<const char*, 4> GunNames = {"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                             "gun_4_txt"};

const std::array<const char*, 11> MouseButtonNames = {
    "mouse_key_left",    "mouse_key_right",   "mouse_key_middle",  "mouse_key_forward",
    "mouse_key_back",    "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
    "keyboard_key_GM",   "mouse_key_M8_key",  "mouse_key_fire_key"};

// The keyboard picture: position N is the button "key_N". Position 110 is
// the Fn key.
const std::array<int16_t, 170> KeyPositionTable = {{
    45, 61, 62, 63, 64, 65, 66, 67, 68, 69,
    70, 71, 72, 73, 74, 75, 141, 114, 120, 122,
    119, 56, 34, 35, 36, 37, 38, 39, 40, 41,
    42, 43, 49, 50, 46, 76, 77, 78, 86, 87,
    88, 89, 47, 24, 30, 12, 25, 27, 32, 28,
    16, 22, 23, 51, 52, 53, 79, 80, 81, 98,
    99, 100, 113, 60, 8, 26, 11, 13, 14, 15,
    17, 18, 19, 54, 55, 44, 95, 96, 97, 109,
    108, 112, 111, 110, 1, 33, 31, 10, 29, 9,
    21, 20, 57, 58, 59, 5, 85, 92, 93, 94,
    105, 106, 104, 107, -1, 0, 3, 2, 48, 6,
    140, 103, 4, 83, 84, 82, 101, 102, 91, 90,
    135, 136, 137, 138, 139, 7, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
}};

const std::array<int16_t, 32> FnReservedFunctions = {{
    45, 61, 62, 63, 64, 65, 66, 67, 68, 69,
    70, 71, 72, 8, 26, 44, 5, 79, 83, 82,
    85, 84, 24, 30, 12, 25, 27, 46, 48, 3,
    56, 15,
}};

const std::array<int16_t, 126> PickerKeyTable = {{
    45, 61, 62, 63, 64, 65, 66, 67, 68, 69,
    70, 71, 72, 73, 74, 75, 56, 34, 35, 36,
    37, 38, 39, 40, 41, 42, 43, 49, 50, 46,
    76, 77, 78, 86, 87, 88, 89, 47, 24, 30,
    12, 25, 27, 32, 28, 16, 22, 23, 51, 52,
    53, 79, 80, 81, 98, 99, 100, 60, 8, 26,
    11, 13, 14, 15, 17, 18, 19, 54, 55, 44,
    95, 96, 97, 90, 1, 33, 31, 10, 29, 9,
    21, 20, 57, 58, 59, 5, 85, 92, 93, 94,
    91, 0, 3, 2, 48, 6, 140, 103, 4, 83,
    84, 82, 101, 102, -1, 7, 135, 136, 137, 138,
    139, 105, 106, 104, 107, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1,
}};

namespace {

constexpr FunctionCode kNoFunction{FunctionType::Key, 0, 0};

FunctionCode CodeOfRow(int16_t row) {
  if (row < 0 || row >= static_cast<int>(KeyNameTable.size()))
    return kNoFunction;
  return KeyNameTable[static_cast<size_t>(row)].Code();
}

}  // namespace

FunctionCode PrintedFunction(int position) {
  if (position < 0 || position >= kLayoutPositions)
    return kNoFunction;
  return CodeOfRow(KeyPositionTable[static_cast<size_t>(position)]);
}

FunctionCode PickerFunction(int index) {
  if (index < 0 || index >= kPickerKeys)
    return kNoFunction;
  return CodeOfRow(PickerKeyTable[static_cast<size_t>(index)]);
}

std::optional<int> FindPickerKey(FunctionCode code) {
  for (int index = 0; index < kPickerKeys; ++index)
    if (PickerKeyTable[static_cast<size_t>(index)] != kNoRow && PickerFunction(index) == code)
      return index;
  return std::nullopt;
}

std::optional<int> FindKeyNameRow(FunctionCode code) {
  for (size_t row = 0; row < KeyNameTable.size(); ++row)
    if (KeyNameTable[row].Code() == code)
      return static_cast<int>(row);
  return std::nullopt;
}

std::optional<int> FindPosition(FunctionCode code) {
  for (int position = 0; position < kLayoutPositions; ++position)
    if (PrintedFunction(position) == code)
      return position;
  return std::nullopt;
}

std::array<int, 32> FnReservedPositions() {
  std::array<int, 32> positions{};
  for (size_t i = 0; i < FnReservedFunctions.size(); ++i)
    positions[i] = FindPosition(CodeOfRow(FnReservedFunctions[i])).value_or(-1);
  return positions;
}

std::optional<int> FindCapturedKey(uint32_t scanCode, uint32_t flags) {
  const int extended = static_cast<int>(flags & 1);
  for (int row = 0; row < kCapturableRows; ++row) {
    const KeyNameRow& name = KeyNameTable[static_cast<size_t>(row)];
    if (name.ScanCode == scanCode && name.Extended == extended)
      return name.Type == FunctionType::Key ? std::optional<int>(row) : std::nullopt;
  }
  return std::nullopt;
}

const std::array<FunctionCode, 11> MouseFactoryFunctions = {{
    {FunctionType::MouseButton, 0x01, 0x00},
    {FunctionType::MouseButton, 0x02, 0x00},
    {FunctionType::MouseButton, 0x04, 0x00},
    {FunctionType::MouseButton, 0x10, 0x00},
    {FunctionType::MouseButton, 0x08, 0x00},
    {FunctionType::Dpi, 0x01, 0x00},
    {FunctionType::Dpi, 0x02, 0x00},
    {FunctionType::Dpi, 0x03, 0x00},
    {FunctionType::Special, 0x1B, 0x00},
    {FunctionType::DpiShift, 0x90, 0x01},
    {FunctionType::Fire, 0x78, 0x02},
}};

}  // namespace keys
