#include <gtest/gtest.h>

#include "platform/SocketMessage.h"

using platform::SocketMessage;

TEST(SocketMessage, RegisteredMessageRoundTrip) {
  const auto message = SocketMessage::Registered("Game_Start", 3, -7);
  const QByteArray line = message.Encode();
  ASSERT_TRUE(line.endsWith('\n'));
  EXPECT_EQ(line.count('\n'), 1) << "one line per message";
  auto decoded = SocketMessage::Decode(line.chopped(1));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->name, "Game_Start");
  EXPECT_EQ(decoded->wParam, 3);
  EXPECT_EQ(decoded->lParam, -7);
  EXPECT_FALSE(decoded->IsCopyData());
}

TEST(SocketMessage, CopyDataRoundTripKeepsEveryByte) {
  QByteArray block(1024, '\0');
  for (int i = 0; i < block.size(); ++i)
    block[i] = static_cast<char>(i * 7);
  auto decoded = SocketMessage::Decode(SocketMessage::CopyData(5, block).Encode().chopped(1));
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(decoded->IsCopyData());
  EXPECT_EQ(decoded->dwData, 5u);
  EXPECT_EQ(decoded->data, block);
}

TEST(SocketMessage, MissingParametersAreZero) {
  auto decoded = SocketMessage::Decode(R"({"message": "RUDAVAVE DADAV UDU417"})");
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->wParam, 0);
  EXPECT_EQ(decoded->lParam, 0);
}

TEST(SocketMessage, RejectsEverythingMalformed) {
  const char* bad[] = {
      "",
      "not json",
      "[1, 2]",
      R"({"wParam": 1})",
      R"({"message": ""})",
      R"({"message": 5})",
      R"({"message": "x", "wParam": "1"})",
      R"({"message": "x", "wParam": 1.5})",
      R"({"message": "x", "lParam": 1e300})",
      R"({"message": "WM_COPYDATA", "dwData": -1})",
      R"({"message": "WM_COPYDATA", "data": "abc"})",
      R"({"message": "WM_COPYDATA", "data": "zz"})",
      R"({"message": "WM_COPYDATA", "data": 12})",
  };
  for (const char* line : bad) {
    QString error;
    EXPECT_FALSE(SocketMessage::Decode(line, &error)) << line;
    EXPECT_FALSE(error.isEmpty()) << line;
  }
  QByteArray huge = R"({"message": "x", "pad": ")" + QByteArray(70000, 'a') + R"("})";
  EXPECT_FALSE(SocketMessage::Decode(huge)) << "longer than 64 KiB";
}
