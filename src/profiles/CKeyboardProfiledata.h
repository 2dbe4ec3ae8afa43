#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "profiles/CBasicProfiledata.h"
#include "profiles/CustomLightColor.h"

// A keyboard's profile data: the common fields plus the keyboard settings
// ("SystemStages"), the Fn-lock flag and the custom per-key colour groups
// ("CustomLightMode").
class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  // Word 0: "Repeat" (low 16 bits), "RepeatDelay" (high); word 1: "Key6Flag",
  // "PollingRate"; word 2: "WFlag", "WinFlag"; word 3 is not kept in the
  // file and reads as 0.
  using SystemWords = std::array<uint32_t, 4>;

  SystemWords GetKeyboardSystem();
  // Writes each half word as its own integer; other keys of "SystemStages"
  // stay.
  void SetKeyboardSystem(uint32_t word0, uint32_t word1, uint32_t word2, uint32_t word3);

  // "FnKeysetFlag": read from the section each time; true/false or a number
  // (non-zero is true). Written as a JSON boolean.
  bool GetFnKeysetFlag() const;
  void SetFnKeysetFlag(bool on);

  // Exactly `count` colours of custom group `group`. Elements the group lacks
  // are written into the section as zeros first (so a new group appears in
  // the file at the next save). A group outside the bound below reads as
  // zeros and writes nothing; `count` is capped at kMaxCustomLightColors.
  std::vector<CustomLightColor> GetCustomLightColors(int group, int count);
  // One element per colour; elements beyond them stay.
  void SetCustomLightColors(const std::vector<CustomLightColor>& colors, int group);
  // "CustomLightModeGroupIndex"; 0 when missing or outside the group bound.
  int GetCustomLightGroupIndex();
  void SetCustomLightGroupIndex(int group);

  // A group is chosen by a byte of the lighting record; a group holds one
  // colour per light position of the keyboard.
  static constexpr int kMaxCustomLightGroups = 256;
  static constexpr int kMaxCustomLightColors = 1024;

 protected:
  SystemWords m_KeyboardSystem{};
  std::vector<CustomLightColor> m_CustomLightColors;
  int m_CustomLightGroupIndex = 0;
};
