// The colour packings: each round-trips, and each puts the channels where
// its readers look for them.

#include <gtest/gtest.h>

#include <array>

#include "protocol/Rgb.h"

using namespace protocol;

namespace {

constexpr Rgb kColour{0x12, 0x34, 0x56};

}  // namespace

TEST(ProtocolRgb, WordPackingsRoundTripWithTheirByteOrders) {
  EXPECT_EQ(ToRgbWord(kColour), 0x00563412u);
  EXPECT_EQ(ToRbgWord(kColour), 0x00345612u);
  EXPECT_EQ(ToArgb(kColour), 0xFF123456u);
  EXPECT_EQ(ToArgb(kColour, 0x80), 0x80123456u);
  for (const Rgb colour : {kColour, Rgb{}, Rgb{0xFF, 0xFF, 0xFF}, Rgb{0xFF, 0, 0}, Rgb{0, 0, 0xFF}}) {
    EXPECT_EQ(FromRgbWord(ToRgbWord(colour)), colour);
    EXPECT_EQ(FromRbgWord(ToRbgWord(colour)), colour);
    EXPECT_EQ(FromArgb(ToArgb(colour)), colour);
  }
  // The top byte belongs to whoever packs the word (a light point's level,
  // an alpha), never to the colour.
  EXPECT_EQ(FromRgbWord(0xAB563412u), kColour);
  EXPECT_EQ(FromRbgWord(0xAB345612u), kColour);
  EXPECT_EQ(FromArgb(0x00123456u), kColour);
}

TEST(ProtocolRgb, WireBytesAreRedGreenBlue) {
  std::array<uint8_t, 9> bytes{};
  bytes.fill(0xCC);
  PutRgbAt(bytes, 1, kColour);
  EXPECT_EQ(bytes, (std::array<uint8_t, 9>{0xCC, 0xCC, 0xCC, 0x12, 0x34, 0x56, 0xCC, 0xCC, 0xCC}));
  EXPECT_EQ(RgbAt(bytes, 1), kColour);
  std::array<uint8_t, kRgbBytes> three{};
  WriteRgbBytes(kColour, three);
  EXPECT_EQ(ReadRgbBytes(three), kColour);
  EXPECT_EQ(three[0], 0x12);
}
