// The lighting bytes of the parameter blocks, written and read back, and the
// five words the lighting record travels in.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "lighting/LightInfoWords.h"
#include "lighting/LightingBytes.h"

using namespace lighting;

namespace {

constexpr uint8_t kFill = 0xAA;
using Bytes = std::vector<int>;

// A list whose device values differ from the positions.
LightModeList Modes(std::vector<int> values) {
  LightModeList list;
  list.values = std::move(values);
  list.names.assign(list.values.size(), "mode");
  list.visible.assign(list.values.size(), true);
  return list;
}

// Keyboard: positions 1 and 5 carry 29, position 2 carries 30.
const LightModeList kKeyboardModes = Modes({10, 29, 30, 3, 200, 29, 0, 3});

LightInfo Info(uint8_t select, uint8_t light = 2, uint8_t speed = 1, uint8_t fx = 0,
               uint8_t multi = 0) {
  LightInfo info{select, light, speed, fx, multi, 0x12, 0x34, 0x56};
  info.ZZCCLedMode = 3;
  info.CustomGroup = 2;
  return info;
}

template <size_t N>
std::array<uint8_t, N> Filled() {
  std::array<uint8_t, N> block;
  block.fill(kFill);
  return block;
}

// Bytes first..last of a block.
template <size_t N>
Bytes Range(const std::array<uint8_t, N>& block, size_t first, size_t last) {
  return Bytes(block.begin() + first, block.begin() + last + 1);
}

// Every byte outside the lighting bytes keeps what was there.
template <size_t N>
void ExpectUntouched(const std::array<uint8_t, N>& block, std::initializer_list<size_t> written) {
  for (size_t i = 0; i < N; ++i) {
    if (std::find(written.begin(), written.end(), i) == written.end()) {
      EXPECT_EQ(block[i], kFill) << "byte " << i;
    }
  }
}

}  // namespace

TEST(LightingBytes, KeyboardBlock) {
  const std::pair<LightInfo, Bytes> cases[] = {
      // bytes 1..8: mode, brightness, 4 - speed, direction, multicolour, colour
      {Info(0), {10, 2, 3, 0, 0, 0x12, 0x34, 0x56}},
      {Info(1), {0xFE, 2, 3, 0, 0, 0x12, 0x34, 0x56}},  // value 29
      {Info(2), {0xFE, 2, 3, 0, 0, 0x12, 0x34, 0x56}},  // value 30
      {Info(4), {200, 2, 3, 0, 0, 0x12, 0x34, 0x56}},
      {Info(6), {0, 2, 3, 0, 0, 0x12, 0x34, 0x56}},
      {Info(8), {10, 2, 3, 0, 0, 0x12, 0x34, 0x56}},  // beyond the list: position 0
      {Info(3, 200, 9, 5, 7), {3, 4, 0, 1, 1, 0x12, 0x34, 0x56}},
      {Info(3, 4, 0, 1, 1), {3, 4, 4, 1, 1, 0x12, 0x34, 0x56}},
      {Info(3, 0, 4, 0, 0), {3, 0, 0, 0, 0, 0x12, 0x34, 0x56}},
  };
  for (const auto& [info, bytes] : cases) {
    auto block = Filled<39>();
    PutKeyboardLighting(block, info, kKeyboardModes);
    SCOPED_TRACE(testing::Message() << "SelectItem " << int(info.SelectItem) << " light "
                                    << int(info.Light) << " speed " << int(info.Speed));
    EXPECT_EQ(Range(block, 1, 8), bytes);
    EXPECT_EQ((Bytes{block[16], block[18], block[25]}), (Bytes{0, 3, 2}));
    ExpectUntouched(block, {1, 2, 3, 4, 5, 6, 7, 8, 16, 18, 25});
  }
}

TEST(LightingBytes, ShippedKeyboardListSendsHostDrawnModesAsFE) {
  const LightModeList modes =
      LightModeList::Load(TRAVIX_SOURCE_DIR "/DefaultData/default_light.json", 0);
  ASSERT_FALSE(modes.Empty());
  for (int position = 0; position < modes.Count(); ++position) {
    auto block = Filled<39>();
    PutKeyboardLighting(block, Info(static_cast<uint8_t>(position)), modes);
    const int value = modes.ValueAt(position);
    EXPECT_EQ(block[1], value == 29 || value == 30 ? kHostDrawnMode : value) << position;
  }
}

TEST(LightingBytes, MouseBlock) {
  // Fourteen modes: positions 12 and 13 exist but are not the mouse's.
  const LightModeList modes =
      Modes({100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113});
  for (const auto& [select, mode] : {std::pair{0, 100}, {11, 111}, {12, 100}, {13, 100}, {200, 100}}) {
    auto block = Filled<71>();
    PutMouseLighting(block, Info(static_cast<uint8_t>(select), 9, 9, 1, 1), modes);
    EXPECT_EQ(Range(block, 1, 10), (Bytes{mode, 4, 0, 1, 1, 0x12, 0x34, 0x56, 0, 0}))
        << "SelectItem " << select;
    ExpectUntouched(block, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  }
}

TEST(LightingBytes, PadAndHeadsetBlockKeepsTheDirectionByte) {
  const LightModeList modes = Modes({40, 41, 42, 43, 44, 45, 46, 47, 48, 49});
  for (const auto& [select, mode] : {std::pair{0, 40}, {8, 48}, {9, 40}, {255, 40}}) {
    auto block = Filled<21>();
    PutPadLighting(block, Info(static_cast<uint8_t>(select), 3, 2, 1, 1), modes);
    EXPECT_EQ(Range(block, 1, 8), (Bytes{mode, 3, 2, kFill, 1, 0x12, 0x34, 0x56}))
        << "SelectItem " << select;
    ExpectUntouched(block, {1, 2, 3, 5, 6, 7, 8});
  }
}

TEST(LightingBytes, WithoutAListThePositionIsSent) {
  const LightModeList none;
  auto keyboard = Filled<39>();
  auto mouse = Filled<71>();
  auto pad = Filled<21>();
  PutKeyboardLighting(keyboard, Info(7), none);
  PutMouseLighting(mouse, Info(5), none);
  PutPadLighting(pad, Info(3), none);
  EXPECT_EQ((Bytes{keyboard[1], mouse[1], pad[1]}), (Bytes{7, 5, 3}));
}

TEST(LightingBytes, ReadKeyboardModeByte) {
  const LightModeList noHostDrawn = Modes({0, 1, 2});
  const struct {
    uint8_t mode, selectBefore, selectAfter;
    const LightModeList& modes;
  } cases[] = {
      {3, 0, 3, kKeyboardModes},  // the first position of the value, not 7
      {200, 0, 4, kKeyboardModes},
      {0, 4, 6, kKeyboardModes},
      {77, 4, 4, kKeyboardModes},              // no position has it
      {kHostDrawnMode, 2, 2, kKeyboardModes},  // already host drawn (30)
      {kHostDrawnMode, 5, 5, kKeyboardModes},  // already host drawn (29)
      {kHostDrawnMode, 3, 1, kKeyboardModes},  // the first position of 29
      {kHostDrawnMode, 99, 1, kKeyboardModes},
      {kHostDrawnMode, 2, 2, noHostDrawn},
  };
  for (const auto& c : cases) {
    auto block = Filled<39>();
    block[1] = c.mode;
    LightInfo info = Info(c.selectBefore);
    ReadKeyboardLighting(block, info, c.modes);
    EXPECT_EQ(info.SelectItem, c.selectAfter) << "mode " << int(c.mode) << " from "
                                              << int(c.selectBefore);
  }
}

TEST(LightingBytes, ReadKeyboardClampsLevelsAndKeepsOtherFields) {
  for (const auto& [sent, levels] : {std::pair{Bytes{9, 9}, Bytes{4, 0}}, {Bytes{2, 1}, Bytes{2, 3}},
                                     {Bytes{0, 0}, Bytes{0, 4}}, {Bytes{255, 4}, Bytes{4, 0}}}) {
    auto block = Filled<39>();
    block[1] = 3;
    block[2] = static_cast<uint8_t>(sent[0]);
    block[3] = static_cast<uint8_t>(sent[1]);
    LightInfo info;
    info.OldLedmode = 9;
    info.ByVoiceLedmodeSwitch = 1;
    info.ByVoiceLedmode = 2;
    info.ByVoiceSensitivity = 5;
    ReadKeyboardLighting(block, info, kKeyboardModes);
    EXPECT_EQ((Bytes{info.Light, info.Speed}), levels) << sent[0] << "/" << sent[1];
    EXPECT_EQ((Bytes{info.Red, info.ZZCCLedMode, info.CustomGroup}), (Bytes{kFill, kFill, kFill}));
    EXPECT_EQ((Bytes{info.OldLedmode, info.ByVoiceLedmodeSwitch, info.ByVoiceLedmode,
                     info.ByVoiceSensitivity}),
              (Bytes{9, 1, 2, 5}));
  }
}

TEST(LightingBytes, KeyboardRoundTrip) {
  for (const LightInfo& sent :
       {Info(0, 0, 4, 1, 0), Info(3, 4, 0, 0, 1), Info(4, 2, 2, 1, 1), Info(6, 1, 3, 0, 0)}) {
    auto block = Filled<39>();
    PutKeyboardLighting(block, sent, kKeyboardModes);
    LightInfo back;
    ReadKeyboardLighting(block, back, kKeyboardModes);
    EXPECT_EQ(ToLightWords(back), ToLightWords(sent)) << "SelectItem " << int(sent.SelectItem);
  }
}

TEST(LightingWords, LayoutAndRoundTrip) {
  // Field n (in record order) holds n + 1, so every byte is told apart.
  const LightInfo info{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
  ASSERT_EQ(info.ZZCCLedMode, 12);
  ASSERT_EQ(info.CustomGroup, 13);
  const LightWords words = ToLightWords(info);
  EXPECT_EQ(words.A, 0x04030201u);  // SelectItem lowest
  EXPECT_EQ(words.B, 0x08070605u);
  EXPECT_EQ(words.C, 0x0C0B0A09u);  // ZZCCLedMode highest
  EXPECT_EQ(words.D, 0x100F0E0Du);  // CustomGroup lowest
  EXPECT_EQ(words.E, 17);           // sensitivity
  EXPECT_EQ(FromLightWords(words), info);

  const LightWords all{0xF1E2D3C4u, 0xB5A69788u, 0x79695A4Bu, 0x3C2D1E0Fu, 0xEE};
  EXPECT_EQ(ToLightWords(FromLightWords(all)), all);
}
