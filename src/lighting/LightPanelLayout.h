#pragma once

#include <optional>
#include <utility>

// Which parts of the light panel a lighting mode uses, for each device kind.
// The panel applies it; this is data only.
namespace lighting {

// Device kinds of the light panel.
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMouse = 2;
inline constexpr int kKindMousePad = 3;
inline constexpr int kKindHeadset = 7;

struct LightPanelLayout {
  // Enabled parts: multicolour switch, colour area, palette area, brightness,
  // speed, direction.
  bool multiColour = false;
  bool colour = false;
  bool palette = false;
  bool brightness = false;
  bool speed = false;
  bool direction = false;
  // The keyboard's colour block; unset for other kinds.
  std::optional<bool> colourBlock;
  // Shown or hidden; unset where the kind leaves the part alone.
  std::optional<bool> speedShown;
  std::optional<bool> secondZoneShown;
  std::optional<bool> customShown;
  std::optional<bool> audioStyleShown;
  std::optional<int> colourTabPage;
  // The same-mode button may show (only while the button is available).
  bool sameMode = false;
  // Language ids of the two direction options' texts; unset: unchanged.
  std::optional<std::pair<const char*, const char*>> directionTexts;
};

// The layout of mode position `mode` on a panel of device kind `kind`. An
// unknown kind gives a layout that changes nothing but disables every part.
LightPanelLayout LayoutFor(int kind, int mode);

}  // namespace lighting
