#!/usr/bin/env python3
"""Write the read-only profile templates of DefaultData/.

    python3 tools/templates/make-templates.py [--check] [OUTPUT_DIR]

Writes keyboard.Json, mouse.Json, MousePad.Json and HD.Json (the device kind
names + ".Json") into OUTPUT_DIR (default: DefaultData/ of the source tree).
Each file is {"profilename": "Default", "profileUUID": "Default",
"Device": [section]} with a complete device section for its kind.

The output imitates jsoncpp's StyledWriter (three-space indentation, object
keys in byte order, short arrays of scalars on one line), so that a profile
rewritten by the program differs from its template only where a value
changed.

With --check nothing is written: the script compares the files on disk with
what it would write and exits 1 when any differs.

Only the Python standard library is used.
"""

import colorsys
import json
import os
import sys

# ---------------------------------------------------------------------------
# Key name table: (row, text id, type, code1, code2). Every keyboard function
# the program can name. The template only needs the rows that the layout
# positions print, but the whole table is kept so that a mistyped position
# name fails loudly instead of silently picking another code.
# ---------------------------------------------------------------------------
KEY_NAME_TABLE = [
    (0, "keyboard_key_LCtrl", 0x20, 0x01, 0x00),
    (1, "keyboard_key_LShift", 0x20, 0x02, 0x00),
    (2, "keyboard_key_LAlt", 0x20, 0x04, 0x00),
    (3, "keyboard_key_LWin", 0x20, 0x08, 0x00),
    (4, "keyboard_key_RCtrl", 0x20, 0x10, 0x00),
    (5, "keyboard_key_RShift", 0x20, 0x20, 0x00),
    (6, "keyboard_key_RAlt", 0x20, 0x40, 0x00),
    (7, "keyboard_key_RWin", 0x20, 0x80, 0x00),
    (8, "keyboard_key_A", 0x20, 0x00, 0x04),
    (9, "keyboard_key_B", 0x20, 0x00, 0x05),
    (10, "keyboard_key_C", 0x20, 0x00, 0x06),
    (11, "keyboard_key_D", 0x20, 0x00, 0x07),
    (12, "keyboard_key_E", 0x20, 0x00, 0x08),
    (13, "keyboard_key_F", 0x20, 0x00, 0x09),
    (14, "keyboard_key_G", 0x20, 0x00, 0x0A),
    (15, "keyboard_key_H", 0x20, 0x00, 0x0B),
    (16, "keyboard_key_I", 0x20, 0x00, 0x0C),
    (17, "keyboard_key_J", 0x20, 0x00, 0x0D),
    (18, "keyboard_key_K", 0x20, 0x00, 0x0E),
    (19, "keyboard_key_L", 0x20, 0x00, 0x0F),
    (20, "keyboard_key_M", 0x20, 0x00, 0x10),
    (21, "keyboard_key_N", 0x20, 0x00, 0x11),
    (22, "keyboard_key_O", 0x20, 0x00, 0x12),
    (23, "keyboard_key_P", 0x20, 0x00, 0x13),
    (24, "keyboard_key_Q", 0x20, 0x00, 0x14),
    (25, "keyboard_key_R", 0x20, 0x00, 0x15),
    (26, "keyboard_key_S", 0x20, 0x00, 0x16),
    (27, "keyboard_key_T", 0x20, 0x00, 0x17),
    (28, "keyboard_key_U", 0x20, 0x00, 0x18),
    (29, "keyboard_key_V", 0x20, 0x00, 0x19),
    (30, "keyboard_key_W", 0x20, 0x00, 0x1A),
    (31, "keyboard_key_X", 0x20, 0x00, 0x1B),
    (32, "keyboard_key_Y", 0x20, 0x00, 0x1C),
    (33, "keyboard_key_Z", 0x20, 0x00, 0x1D),
    (34, "keyboard_key_1", 0x20, 0x00, 0x1E),
    (35, "keyboard_key_2", 0x20, 0x00, 0x1F),
    (36, "keyboard_key_3", 0x20, 0x00, 0x20),
    (37, "keyboard_key_4", 0x20, 0x00, 0x21),
    (38, "keyboard_key_5", 0x20, 0x00, 0x22),
    (39, "keyboard_key_6", 0x20, 0x00, 0x23),
    (40, "keyboard_key_7", 0x20, 0x00, 0x24),
    (41, "keyboard_key_8", 0x20, 0x00, 0x25),
    (42, "keyboard_key_9", 0x20, 0x00, 0x26),
    (43, "keyboard_key_0", 0x20, 0x00, 0x27),
    (44, "keyboard_key_Enter", 0x20, 0x00, 0x28),
    (45, "keyboard_key_Esc", 0x20, 0x00, 0x29),
    (46, "keyboard_key_BackSpace", 0x20, 0x00, 0x2A),
    (47, "keyboard_key_Tab", 0x20, 0x00, 0x2B),
    (48, "keyboard_key_Space", 0x20, 0x00, 0x2C),
    (49, "keyboard_key_-", 0x20, 0x00, 0x2D),
    (50, "keyboard_key_=", 0x20, 0x00, 0x2E),
    (51, "keyboard_key_[", 0x20, 0x00, 0x2F),
    (52, "keyboard_key_]", 0x20, 0x00, 0x30),
    (53, "keyboard_key_xiegang", 0x20, 0x00, 0x31),
    (54, "keyboard_key_;", 0x20, 0x00, 0x33),
    (55, "keyboard_key_'", 0x20, 0x00, 0x34),
    (56, "keyboard_key_`", 0x20, 0x00, 0x35),
    (57, "keyboard_key_<", 0x20, 0x00, 0x36),
    (58, "keyboard_key_.", 0x20, 0x00, 0x37),
    (59, "keyboard_key_/", 0x20, 0x00, 0x38),
    (60, "keyboard_key_Caplk", 0x20, 0x00, 0x39),
    (61, "keyboard_key_F1", 0x20, 0x00, 0x3A),
    (62, "keyboard_key_F2", 0x20, 0x00, 0x3B),
    (63, "keyboard_key_F3", 0x20, 0x00, 0x3C),
    (64, "keyboard_key_F4", 0x20, 0x00, 0x3D),
    (65, "keyboard_key_F5", 0x20, 0x00, 0x3E),
    (66, "keyboard_key_F6", 0x20, 0x00, 0x3F),
    (67, "keyboard_key_F7", 0x20, 0x00, 0x40),
    (68, "keyboard_key_F8", 0x20, 0x00, 0x41),
    (69, "keyboard_key_F9", 0x20, 0x00, 0x42),
    (70, "keyboard_key_F10", 0x20, 0x00, 0x43),
    (71, "keyboard_key_F11", 0x20, 0x00, 0x44),
    (72, "keyboard_key_F12", 0x20, 0x00, 0x45),
    (73, "keyboard_key_Print Scr", 0x20, 0x00, 0x46),
    (74, "keyboard_key_Scroll Lock", 0x20, 0x00, 0x47),
    (75, "keyboard_key_Pause", 0x20, 0x00, 0x48),
    (76, "keyboard_key_Insert", 0x20, 0x00, 0x49),
    (77, "keyboard_key_Home", 0x20, 0x00, 0x4A),
    (78, "keyboard_key_Page Up", 0x20, 0x00, 0x4B),
    (79, "keyboard_key_Delete", 0x20, 0x00, 0x4C),
    (80, "keyboard_key_End", 0x20, 0x00, 0x4D),
    (81, "keyboard_key_Page Down", 0x20, 0x00, 0x4E),
    (82, "keyboard_key_Right", 0x20, 0x00, 0x4F),
    (83, "keyboard_key_Left", 0x20, 0x00, 0x50),
    (84, "keyboard_key_Down", 0x20, 0x00, 0x51),
    (85, "keyboard_key_Up", 0x20, 0x00, 0x52),
    (86, "keyboard_key_Num Lock", 0x20, 0x00, 0x53),
    (87, "keyboard_key_Num /", 0x20, 0x00, 0x54),
    (88, "keyboard_key_Num *", 0x20, 0x00, 0x55),
    (89, "keyboard_key_Num -", 0x20, 0x00, 0x56),
    (90, "keyboard_key_Num +", 0x20, 0x00, 0x57),
    (91, "keyboard_key_Num Enter", 0x20, 0x00, 0x58),
    (92, "keyboard_key_Num 1", 0x20, 0x00, 0x59),
    (93, "keyboard_key_Num 2", 0x20, 0x00, 0x5A),
    (94, "keyboard_key_Num 3", 0x20, 0x00, 0x5B),
    (95, "keyboard_key_Num 4", 0x20, 0x00, 0x5C),
    (96, "keyboard_key_Num 5", 0x20, 0x00, 0x5D),
    (97, "keyboard_key_Num 6", 0x20, 0x00, 0x5E),
    (98, "keyboard_key_Num 7", 0x20, 0x00, 0x5F),
    (99, "keyboard_key_Num 8", 0x20, 0x00, 0x60),
    (100, "keyboard_key_Num 9", 0x20, 0x00, 0x61),
    (101, "keyboard_key_Num 0", 0x20, 0x00, 0x62),
    (102, "keyboard_key_Decimal", 0x20, 0x00, 0x63),
    (103, "keyboard_key_App", 0x20, 0x00, 0x65),
    (104, "keyboard_key_K45", 0x20, 0x00, 0x64),
    (105, "keyboard_key_K56", 0x20, 0x00, 0x87),
    (106, "keyboard_key_K14", 0x20, 0x00, 0x89),
    (107, "keyboard_key_K107", 0x20, 0x00, 0x85),
    (108, "keyboard_key_K131", 0x20, 0x00, 0x8B),
    (109, "keyboard_key_K132", 0x20, 0x00, 0x8A),
    (110, "keyboard_key_K133", 0x20, 0x00, 0x88),
    (111, "keyboard_key_K150", 0x20, 0x00, 0x91),
    (112, "keyboard_key_K151", 0x20, 0x00, 0x90),
    (113, "keyboard_key_K42", 0x20, 0x00, 0x32),
    (114, "keyboard_key_Launch App2", 0x30, 0x92, 0x01),
    (115, "keyboard_key_Browaer Home", 0x30, 0x23, 0x02),
    (116, "keyboard_key_Media Play Pause", 0x30, 0xCD, 0x00),
    (117, "keyboard_key_Browser Search", 0x30, 0x21, 0x02),
    (118, "keyboard_key_Launch Mail", 0x30, 0x8A, 0x01),
    (119, "keyboard_key_Volume Up", 0x30, 0xE9, 0x00),
    (120, "keyboard_key_Volume Mute", 0x30, 0xE2, 0x00),
    (121, "keyboard_key_Media Stop", 0x30, 0xB7, 0x00),
    (122, "keyboard_key_Volume Down", 0x30, 0xEA, 0x00),
    (123, "keyboard_key_Browser Favorites", 0x30, 0x2A, 0x02),
    (124, "keyboard_key_Browser ForWard", 0x30, 0x25, 0x02),
    (125, "keyboard_key_Browser Back", 0x30, 0x24, 0x02),
    (126, "keyboard_key_Media Prev Track", 0x30, 0xB6, 0x00),
    (127, "keyboard_key_Media Next Track", 0x30, 0xB5, 0x00),
    (128, "keyboard_key_Computer", 0x30, 0x94, 0x01),
    (129, "keyboard_key_Browser Refresh", 0x30, 0x27, 0x02),
    (130, "wed_stop", 0x30, 0x26, 0x02),
    (131, "keyboard_key_Launch Media Select", 0x30, 0x83, 0x01),
    (132, "keyboard_key_Power", 0x40, 0x01, 0x00),
    (133, "keyboard_key_Sleep", 0x40, 0x02, 0x00),
    (134, "keyboard_key_Wakeup", 0x40, 0x04, 0x00),
    (135, "keyboard_key_M1", 0xD0, 0xA2, 0x01),
    (136, "keyboard_key_M2", 0xD0, 0xA2, 0x02),
    (137, "keyboard_key_M3", 0xD0, 0xA2, 0x03),
    (138, "keyboard_key_M4", 0xD0, 0xA2, 0x04),
    (139, "keyboard_key_M5", 0xD0, 0xA2, 0x05),
    (140, "keyboard_key_FN", 0xA0, 0x01, 0x00),
    (141, "keyboard_key_GM", 0xA0, 0x1B, 0x00),
]

NONE = None  # a layout position without a printed key: 0x20, 0x00, 0x00

# ---------------------------------------------------------------------------
# Printed function of each of the 170 layout positions ("key_N" stands at
# position N), by key name table text id without the "keyboard_key_" prefix.
# ---------------------------------------------------------------------------
KEY_POSITIONS = [
    # 0 .. 20: top row
    "Esc", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10",
    "F11", "F12", "Print Scr", "Scroll Lock", "Pause", "GM", "Launch App2",
    "Volume Mute", "Volume Down", "Volume Up",
    # 21 .. 41: number row
    "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=",
    "BackSpace", "Insert", "Home", "Page Up", "Num Lock", "Num /", "Num *",
    "Num -",
    # 42 .. 62
    "Tab", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]",
    "xiegang", "Delete", "End", "Page Down", "Num 7", "Num 8", "Num 9", "K42",
    # 63 .. 83
    "Caplk", "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Enter",
    "Num 4", "Num 5", "Num 6", "K132", "K131", "K151", "K150", "K133",
    # 84 .. 104
    "LShift", "Z", "X", "C", "V", "B", "N", "M", "<", ".", "/", "RShift",
    "Up", "Num 1", "Num 2", "Num 3", "K56", "K14", "K45", "K107", NONE,
    # 105 .. 125: bottom row
    "LCtrl", "LWin", "LAlt", "Space", "RAlt", "FN", "App", "RCtrl", "Left",
    "Down", "Right", "Num 0", "Decimal", "Num Enter", "Num +", "M1", "M2",
    "M3", "M4", "M5", "RWin",
] + [NONE] * 44  # 126 .. 169

KEYBOARD_POSITIONS = 170
FN_POSITION = 110

# ---------------------------------------------------------------------------
# The mouse's 11 buttons, in key-list order, with their factory functions
# (type, code1, code2) and the printed button name of each index.
# ---------------------------------------------------------------------------
MOUSE_BUTTONS = [
    ("mouse_key_left", (0x10, 0x01, 0x00)),      # left button
    ("mouse_key_right", (0x10, 0x02, 0x00)),     # right button
    ("mouse_key_middle", (0x10, 0x04, 0x00)),    # middle button
    ("mouse_key_forward", (0x10, 0x10, 0x00)),   # forward button
    ("mouse_key_back", (0x10, 0x08, 0x00)),      # back button
    ("mouse_key_DPI_add", (0x13, 0x01, 0x00)),   # DPI up
    ("mouse_key_DPI_sub", (0x13, 0x02, 0x00)),   # DPI down
    ("mouse_key_DPI_loop", (0x13, 0x03, 0x00)),  # DPI cycle
    ("keyboard_key_GM", (0xA0, 0x1B, 0x00)),     # GM key
    ("mouse_key_M8_key", (0x16, 0x90, 0x01)),    # DPI shift
    ("mouse_key_fire_key", (0x14, 0x78, 0x02)),  # fire: interval 0x78, 2 shots
]

# DPI stages: slider steps (the profile and the mouse hold steps, not DPI).
# With the sensor's 50 DPI per step and a base of 0 DPI these are 400, 800,
# 1600, 3200 and 6400 DPI; the slider of the page runs from 0 to 255 steps.
DPI_STAGES = [
    # (steps, (red, green, blue))
    (8, (0xFF, 0x46, 0x55)),
    (16, (0x3F, 0xC4, 0x7A)),
    (32, (0x3D, 0x8B, 0xFF)),
    (64, (0xFF, 0xC2, 0x33)),
    (128, (0xB4, 0x5C, 0xFF)),
]
DPI_ACTIVE_STAGE = 1   # 800 DPI
REPORT_RATE_INDEX = 3  # 125, 250, 500, 1000, 2000 Hz -> 1000 Hz

# Correction presets of the mouse (read only; the first selected entry's two
# bytes go into the mouse's parameter block). "Off" is selected, so the mouse
# receives 0, 0, the same as with no selected entry.
CORRECT_INFO = [
    # (name, pixel threshold, minimum square, selected)
    ("Off", 0, 0, 1),
    ("Low", 2, 4, 0),
    ("Medium", 4, 16, 0),
    ("High", 8, 64, 0),
]

# The headset's twelve equaliser presets, band 0 to band 9.
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5],
    [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0],
    [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    [7, 14, -13, -6, -1, 8, 13, 7, 2, 6],
    [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13],
    [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0],
    [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]
EQ_BANDS = 10
EQ_FLAT_PRESET = 5

# Keyboard custom per-key colours: groups of one RGBA entry per light
# position (the keyboard has 170). Only positions 0..125 are lit keys; they
# form 6 rows of 21 positions.
CUSTOM_LIGHT_GROUPS = 5
LIT_POSITIONS = 126
ROW_LENGTH = 21


# ---------------------------------------------------------------------------
# Encoding helpers
# ---------------------------------------------------------------------------
def encode(code):
    """(type, code1, code2) -> type * 65536 + code1 * 256 + code2."""
    kind, code1, code2 = code
    for byte in code:
        assert 0 <= byte <= 0xFF, code
    return (kind << 16) | (code1 << 8) | code2


def key_code(name):
    """Function code of a key name table row, by text id without prefix."""
    if name is NONE:
        return (0x20, 0x00, 0x00)
    wanted = "keyboard_key_" + name
    rows = [r for r in KEY_NAME_TABLE if r[1] == wanted]
    if len(rows) != 1:
        raise SystemExit("key name %r: %d rows" % (name, len(rows)))
    return rows[0][2:]


def light_info(select_item, old_mode):
    """A LightInfo object: full brightness, medium-fast, multicolour."""
    return {
        "SelectItem": select_item,
        "Light": 4,            # brightness 0..4
        "Speed": 3,            # 0..4, 4 fastest
        "Fx": 1,               # first direction option
        "MultiColor": 1,
        "Red": 255,
        "Green": 0,
        "Blue": 0,
        "ZZCCLedMode": 0,
        "CustomGroup": 0,
        "OldLedmode": old_mode,
        "byVoiceLedmodeSwith": 0,
        "byVoiceLedmode": 0,
        "byVoiceSensitivity": 20,
    }


def rgba(rgb, alpha=255):
    r, g, b = rgb
    return {"Red": r, "Green": g, "Blue": b, "Alpha": alpha}


def hue_colour(h):
    """Full-saturation colour for a hue in 0..1."""
    r, g, b = colorsys.hsv_to_rgb(h % 1.0, 1.0, 1.0)
    return (round(r * 255), round(g * 255), round(b * 255))


def custom_group(colour_of):
    """One group: colour_of(row, column) for lit positions, 0 elsewhere."""
    group = []
    for position in range(KEYBOARD_POSITIONS):
        if position < LIT_POSITIONS and KEY_POSITIONS[position] is not NONE:
            row, column = divmod(position, ROW_LENGTH)
            group.append(rgba(colour_of(position, row, column)))
        else:
            group.append(rgba((0, 0, 0), 0))
    return group


GAMING_KEYS = {"W", "A", "S", "D", "Up", "Down", "Left", "Right"}


def custom_groups():
    groups = [
        # 0: a rainbow by row
        custom_group(lambda p, r, c: hue_colour(r / 6.0)),
        # 1: movement keys red on blue
        custom_group(lambda p, r, c: (255, 0, 0)
                     if KEY_POSITIONS[p] in GAMING_KEYS else (0, 64, 255)),
        # 2: a rainbow by column
        custom_group(lambda p, r, c: hue_colour(c / float(ROW_LENGTH))),
        # 3: white
        custom_group(lambda p, r, c: (255, 255, 255)),
        # 4: blue to cyan from the bottom row up
        custom_group(lambda p, r, c: (0, 40 * r + 40, 255)),
    ]
    assert len(groups) == CUSTOM_LIGHT_GROUPS
    return groups


# ---------------------------------------------------------------------------
# Device sections
# ---------------------------------------------------------------------------
def keyboard_section():
    assert len(KEY_POSITIONS) == KEYBOARD_POSITIONS
    key_list = []
    for name in KEY_POSITIONS:
        code = encode(key_code(name))
        key_list.append({
            "FnAssignment": 0,         # no function on the Fn layer
            "Assignment": code,
            "DefaultAssignment": code,
        })
    return {
        # Keyboard mode list position 1: the column wave.
        "LightInfo": light_info(1, 1),
        "AudioLightInfo": {
            "AudioMode": 0,            # column bars
            "BkColorR": 0,
            "BkColorG": 0,
            "BkColorB": 64,
            "FgColorR": 255,
            "FgColorG": 0,
            "FgColorB": 0,
            "7ColorFlags": 1,          # multicolour foreground
            "ColorTypeFlags": 1,       # editing the foreground
        },
        "LightList": [],
        "KeyList": key_list,
        "SystemStages": {
            "Repeat": 31,              # fastest repeat
            "RepeatDelay": 1,          # 500 ms
            "Key6Flag": 0,
            "PollingRate": 3,          # 125, 250, 500, 1000 Hz -> 1000 Hz
            "WFlag": 0,
            "WinFlag": 0,
        },
        "FnKeysetFlag": False,
        "CustomLightMode": {
            "LightColorInfo": custom_groups(),
            "CustomLightModeGroupIndex": 0,
        },
    }


def mouse_section():
    assert len(MOUSE_BUTTONS) == 11
    key_list = []
    for _, code in MOUSE_BUTTONS:
        value = encode(code)
        key_list.append({
            "FnAssignment": 0,
            "Assignment": value,
            "DefaultAssignment": value,
        })
    stages = []
    for steps, (r, g, b) in DPI_STAGES:
        stages.append({
            "StageActive": 1,
            "StageXY": 0,
            "StageDPIX": steps,
            "StageDPIY": steps,
            "StageColorR": r,
            "StageColorG": g,
            "StageColorB": b,
        })
    return {
        # Mouse mode list position 0: the wave.
        "LightInfo": light_info(0, 0),
        "LightList": [],
        "KeyList": key_list,
        "DPIStages": {
            "StageActive": DPI_ACTIVE_STAGE,
            "StageDPIs": stages,
        },
        "SystemStages": {
            "DoubleClickTime": 500,    # ms
            "MouseSpeed": 10,          # pointer speed 1..20, middle
            "PointerPrecision": 1,
            "ScorllPage": 0,           # scroll by lines, not pages
            "WheelScorlllinse": 3,     # lines per notch
        },
        "ReportStages": {"StageActive": REPORT_RATE_INDEX},
        "CorrectInfo": [
            {
                "CorrectName": name,
                "CorrectPixThresh": thresh,
                "CorrectMinSq": minsq,
                "CorrectSelect": selected,
            }
            for name, thresh, minsq, selected in CORRECT_INFO
        ],
    }


def mousepad_section():
    return {
        # Pad mode list position 0: the wave.
        "LightInfo": light_info(0, 0),
        "LightList": [],
    }


def eq_row(values):
    assert len(values) == EQ_BANDS
    return [{"value": v} for v in values]


def headset_section():
    assert len(EQ_PRESETS) == 12
    return {
        # Headset mode list position 0: the wave.
        "LightInfo": light_info(0, 0),
        "LightList": [],
        "SystemSetStages": {
            "MagicEnable": 0,          # voice changer off
            "MagicType": 1,            # first voice when switched on
            "EqType": EQ_FLAT_PRESET,  # the flat preset
            "CustomEqSeletIndex": 0,
            "MicInSelect": 1,          # microphone on
            "MicInValue": 80,          # percent
            "MicMoniterSelect": 0,     # monitoring off
            "MicMoniterValue": 50,     # percent
        },
        # Row 0 is never used; rows 1 to 12 are the presets.
        "EQHzValueInfo": [eq_row([0] * EQ_BANDS)]
        + [eq_row(p) for p in EQ_PRESETS],
        # The user's own curves: none yet.
        "CustomEQHzValueInfo": [],
        "CustomEQNameInfo": [],
    }


def document(section):
    return {
        "profilename": "Default",
        "profileUUID": "Default",
        "Device": [section],
    }


TEMPLATES = [
    ("keyboard.Json", keyboard_section),
    ("mouse.Json", mouse_section),
    ("MousePad.Json", mousepad_section),
    ("HD.Json", headset_section),
]


# The writer of the program's layout, shared with the other scripts.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
from styled_json import styled  # noqa: E402


# ---------------------------------------------------------------------------
# Self-checks of the transcribed tables.
# ---------------------------------------------------------------------------
def self_check():
    rows = [r[0] for r in KEY_NAME_TABLE]
    assert rows == list(range(142)), "key name table rows"
    ids = [r[1] for r in KEY_NAME_TABLE]
    assert len(set(ids)) == len(ids), "duplicate text id"
    # Hand-checked codes.
    expected = {
        0: 0x200029,    # Esc: key usage 0x29
        1: 0x20003A,    # F1
        16: 0xA01B00,   # GM
        17: 0x309201,   # Launch App2 (consumer 0x192)
        21: 0x200035,   # grave accent
        64: 0x200004,   # A
        84: 0x200200,   # LShift: modifier bit 0x02
        104: 0x200000,  # (none)
        105: 0x200100,  # LCtrl: modifier bit 0x01
        108: 0x20002C,  # Space
        110: 0xA00100,  # FN
        118: 0x200058,  # Num Enter
        120: 0xD0A201,  # M1
        125: 0x208000,  # RWin: modifier bit 0x80
        169: 0x200000,  # (none)
    }
    for position, code in expected.items():
        got = encode(key_code(KEY_POSITIONS[position]))
        assert got == code, "position %d: %#x != %#x" % (position, got, code)
    assert KEY_POSITIONS[FN_POSITION] == "FN"
    assert encode(MOUSE_BUTTONS[0][1]) == 0x100100
    for preset in EQ_PRESETS:
        assert len(preset) == EQ_BANDS


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = args[0] if args else os.path.join(here, "..", "..",
                                                "DefaultData")
    out_dir = os.path.normpath(out_dir)
    self_check()
    differs = False
    for file_name, make in TEMPLATES:
        text = styled(document(make()))
        json.loads(text)  # must parse
        path = os.path.join(out_dir, file_name)
        if check:
            try:
                with open(path, "r", encoding="utf-8", newline="") as f:
                    same = f.read() == text
            except OSError:
                same = False
            if not same:
                print("differs: %s" % path)
                differs = True
            continue
        os.makedirs(out_dir, exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        print("wrote %s (%d bytes)" % (path, len(text.encode("utf-8"))))
    return 1 if differs else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
