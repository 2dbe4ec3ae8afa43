// Which parts of the light panel each lighting mode uses, per device kind.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lighting/LightPanelLayout.h"

namespace {

using lighting::LayoutFor;
using lighting::LightPanelLayout;
using Texts = std::pair<std::string, std::string>;

const Texts kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
const Texts kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
const Texts kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
const Texts kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
const Texts kOutIn{"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};

enum Extra : unsigned {
  kSpeedHidden = 1,
  kZoneShown = 2,
  kCustomShown = 4,
  kAudioShown = 8,
  kPage1 = 16,
  kSame = 32,
};

// `parts`: multicolour, colour, palette, brightness, speed, direction and, on
// the keyboard, the colour block; 'y' enabled, '-' disabled.
struct Row {
  Row(std::vector<int> m, const char* p, unsigned e = 0, std::optional<Texts> t = std::nullopt)
      : modes(std::move(m)), parts(p), extra(e), texts(std::move(t)) {}
  std::vector<int> modes;
  const char* parts;
  unsigned extra;
  std::optional<Texts> texts;  // unset: the kind's first-every-time texts
};

const std::vector<Row> kKeyboard = {
    {{1, 2}, "yyyyyyy"},
    {{3, 19}, "yyyyyyy", 0, kClockwise},
    {{4}, "---yy--", kSame},
    {{5, 34}, "yyyyy-y", kSame},
    {{6, 23, 31}, "yyyy--y", kSame},
    {{7, 8, 9, 10, 13, 14, 15, 25, 33}, "yyyyy-y"},
    {{11, 26}, "---yy--"},
    {{12}, "---yyyy", 0, kDownUp},
    {{16}, "yyyy--y"},
    {{17}, "---yy--", kSpeedHidden | kZoneShown},
    {{18, 22}, "---y-y-", 0, kOutIn},
    {{20}, "-yyy--y", kSpeedHidden | kCustomShown},
    {{21}, "------y", kSame},
    {{27}, "---yy-y"},
    {{29}, "yyyy-yy", kSpeedHidden | kAudioShown | kPage1},
    {{30}, "---y---"},
    {{32}, "yyyyyyy", 0, kUpDown},
};

const std::vector<Row> kMouse = {
    {{0, 5}, "yyyyyy"},
    {{1, 7, 8}, "---yy-"},
    {{2, 4, 6}, "yyyyy-"},
    {{3}, "-yyy--"},
    {{11}, "yyyy-y", kSpeedHidden | kAudioShown | kPage1},
};

const std::vector<Row> kPadOrHeadset = {
    {{0}, "yyyyyy"},
    {{1}, "---yy-", kSame},
    {{2, 4}, "yyyyy-", kSame},
    {{3}, "-yyy--", kSame},
    {{8}, "------", kSame},
};

struct KindCase {
  int kind;
  const std::vector<Row>* rows;
  Row other;
  bool keyboard;    // colour block, second zone, custom group
  bool showsParts;  // speed row, audio row, colour tab page, direction texts
  std::optional<Texts> texts;
};

const KindCase kKinds[] = {
    {lighting::kKindKeyboard, &kKeyboard, {{}, "------y"}, true, true, kRightLeft},
    {lighting::kKindMouse, &kMouse, {{}, "------"}, false, true, kDownUp},
    {lighting::kKindMousePad, &kPadOrHeadset, {{}, "------"}, false, false, std::nullopt},
    {lighting::kKindHeadset, &kPadOrHeadset, {{}, "------"}, false, false, std::nullopt},
};

const Row& Expected(const KindCase& kind, int mode) {
  for (const Row& row : *kind.rows)
    for (int m : row.modes)
      if (m == mode)
        return row;
  return kind.other;
}

std::string Parts(const LightPanelLayout& layout) {
  std::string out;
  for (bool on : {layout.multiColour, layout.colour, layout.palette, layout.brightness,
                  layout.speed, layout.direction})
    out += on ? 'y' : '-';
  if (layout.colourBlock)
    out += *layout.colourBlock ? 'y' : '-';
  return out;
}

std::optional<Texts> TextsOf(const LightPanelLayout& layout) {
  if (!layout.directionTexts)
    return std::nullopt;
  return Texts{layout.directionTexts->first, layout.directionTexts->second};
}

template <typename T>
std::optional<T> If(bool present, T value) {
  return present ? std::optional<T>(value) : std::nullopt;
}

}  // namespace

TEST(LightPanelLayout, EveryModeOfEveryKindMatchesItsTable) {
  for (const KindCase& kind : kKinds) {
    std::vector<int> modes{-100, -1, 41, 100, 255, 257};  // "any other" beyond the list
    for (int mode = 0; mode <= 40; ++mode)
      modes.push_back(mode);
    for (int mode : modes) {
      SCOPED_TRACE("kind " + std::to_string(kind.kind) + " mode " + std::to_string(mode));
      const Row& row = Expected(kind, mode);
      const LightPanelLayout layout = LayoutFor(kind.kind, mode);
      EXPECT_EQ(Parts(layout), row.parts);
      EXPECT_EQ(layout.sameMode, (row.extra & kSame) != 0);
      EXPECT_EQ(layout.speedShown, If(kind.showsParts, (row.extra & kSpeedHidden) == 0));
      EXPECT_EQ(layout.audioStyleShown, If(kind.showsParts, (row.extra & kAudioShown) != 0));
      EXPECT_EQ(layout.colourTabPage, If(kind.showsParts, (row.extra & kPage1) != 0 ? 1 : 0));
      EXPECT_EQ(layout.secondZoneShown, If(kind.keyboard, (row.extra & kZoneShown) != 0));
      EXPECT_EQ(layout.customShown, If(kind.keyboard, (row.extra & kCustomShown) != 0));
      EXPECT_EQ(TextsOf(layout), row.texts ? row.texts : kind.texts);
    }
  }
}

TEST(LightPanelLayout, UnknownKindDisablesEverythingAndChangesNothing) {
  for (int kind : {0, 4, 5, 6, 8, -1}) {
    for (int mode : {0, 1, 5, 12, 20, 29}) {
      SCOPED_TRACE("kind " + std::to_string(kind) + " mode " + std::to_string(mode));
      const LightPanelLayout layout = LayoutFor(kind, mode);
      EXPECT_EQ(Parts(layout), "------");
      EXPECT_FALSE(layout.sameMode || layout.colourBlock || layout.speedShown ||
                   layout.secondZoneShown || layout.customShown || layout.audioStyleShown ||
                   layout.colourTabPage || layout.directionTexts);
    }
  }
}
