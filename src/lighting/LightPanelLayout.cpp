#include "lighting/LightPanelLayout.h"

#include <initializer_list>

namespace lighting {

namespace {

using Texts = std::pair<const char*, const char*>;

constexpr Texts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr Texts kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr Texts kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr Texts kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr Texts kOutIn{"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};

bool In(int mode, std::initializer_list<int> modes) {
  for (int m : modes)
    if (m == mode)
      return true;
  return false;
}

// "MCPLSD" as enabled flags.
void Enable(LightPanelLayout& layout, bool m, bool c, bool p, bool l, bool s, bool d) {
  layout.multiColour = m;
  layout.colour = c;
  layout.palette = p;
  layout.brightness = l;
  layout.speed = s;
  layout.direction = d;
}

LightPanelLayout Keyboard(int mode) {
  LightPanelLayout layout;
  layout.speedShown = true;
  layout.secondZoneShown = false;
  layout.customShown = false;
  layout.audioStyleShown = false;
  layout.colourTabPage = 0;
  layout.directionTexts = kRightLeft;
  bool k = true;
  if (In(mode, {1, 2})) {
    Enable(layout, true, true, true, true, true, true);
  } else if (In(mode, {3, 19})) {
    Enable(layout, true, true, true, true, true, true);
    layout.directionTexts = kClockwise;
  } else if (mode == 4) {
    Enable(layout, false, false, false, true, true, false);
    k = false;
    layout.sameMode = true;
  } else if (In(mode, {5, 34})) {
    Enable(layout, true, true, true, true, true, false);
    layout.sameMode = true;
  } else if (In(mode, {6, 23, 31})) {
    Enable(layout, true, true, true, true, false, false);
    layout.sameMode = true;
  } else if (In(mode, {7, 8, 9, 10, 13, 14, 15, 25, 33})) {
    Enable(layout, true, true, true, true, true, false);
  } else if (In(mode, {11, 26})) {
    Enable(layout, false, false, false, true, true, false);
    k = false;
  } else if (mode == 12) {
    Enable(layout, false, false, false, true, true, true);
    layout.directionTexts = kDownUp;
  } else if (mode == 16) {
    Enable(layout, true, true, true, true, false, false);
  } else if (mode == 17) {
    Enable(layout, false, false, false, true, true, false);
    k = false;
    layout.speedShown = false;
    layout.secondZoneShown = true;
  } else if (In(mode, {18, 22})) {
    Enable(layout, false, false, false, true, false, true);
    k = false;
    layout.directionTexts = kOutIn;
  } else if (mode == 20) {
    Enable(layout, false, true, true, true, false, false);
    layout.speedShown = false;
    layout.customShown = true;
  } else if (mode == 21) {
    Enable(layout, false, false, false, false, false, false);
    layout.sameMode = true;
  } else if (mode == 27) {
    Enable(layout, false, false, false, true, true, false);
  } else if (mode == 29) {
    Enable(layout, true, true, true, true, false, true);
    layout.speedShown = false;
    layout.audioStyleShown = true;
    layout.colourTabPage = 1;
  } else if (mode == 30) {
    Enable(layout, false, false, false, true, false, false);
    k = false;
  } else if (mode == 32) {
    Enable(layout, true, true, true, true, true, true);
    layout.directionTexts = kUpDown;
  } else {
    Enable(layout, false, false, false, false, false, false);
  }
  layout.colourBlock = k;
  return layout;
}

LightPanelLayout Mouse(int mode) {
  LightPanelLayout layout;
  layout.audioStyleShown = false;
  layout.colourTabPage = 0;
  layout.speedShown = true;
  layout.directionTexts = kDownUp;
  if (In(mode, {0, 5})) {
    Enable(layout, true, true, true, true, true, true);
  } else if (In(mode, {1, 7, 8})) {
    Enable(layout, false, false, false, true, true, false);
  } else if (In(mode, {2, 4, 6})) {
    Enable(layout, true, true, true, true, true, false);
  } else if (mode == 3) {
    Enable(layout, false, true, true, true, false, false);
  } else if (mode == 11) {
    Enable(layout, true, true, true, true, false, true);
    layout.speedShown = false;
    layout.audioStyleShown = true;
    layout.colourTabPage = 1;
  } else {
    Enable(layout, false, false, false, false, false, false);
  }
  // The mouse never offers the same mode.
  return layout;
}

LightPanelLayout PadOrHeadset(int mode) {
  LightPanelLayout layout;
  if (mode == 0) {
    Enable(layout, true, true, true, true, true, true);
  } else if (mode == 1) {
    Enable(layout, false, false, false, true, true, false);
    layout.sameMode = true;
  } else if (In(mode, {2, 4})) {
    Enable(layout, true, true, true, true, true, false);
    layout.sameMode = true;
  } else if (mode == 3) {
    Enable(layout, false, true, true, true, false, false);
    layout.sameMode = true;
  } else if (mode == 8) {
    Enable(layout, false, false, false, false, false, false);
    layout.sameMode = true;
  } else {
    Enable(layout, false, false, false, false, false, false);
  }
  return layout;
}

}  // namespace

LightPanelLayout LayoutFor(int kind, int mode) {
  switch (kind) {
    case kKindKeyboard: return Keyboard(mode);
    case kKindMouse: return Mouse(mode);
    case kKindMousePad:
    case kKindHeadset: return PadOrHeadset(mode);
    default: return {};
  }
}

}  // namespace lighting
