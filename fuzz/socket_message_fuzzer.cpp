// libFuzzer target for the lines of the local message socket: arbitrary bytes
// as one line (SocketMessage::Decode), and the message it gives sent on
// (Encode) and read again:
//   CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF
//   cmake --build build/fuzz --target socket_message_fuzzer
//   build/fuzz/bin/socket_message_fuzzer fuzz/corpus/socket_message
//
// What must hold: a decoded message has a name and none of the standard
// members left among its other fields; its encoded form is exactly one line
// and decodes to the same message; a message the program builds (a
// registered message, copy data) survives the same trip.
#include <fuzzer/FuzzedDataProvider.h>

#include <QJsonObject>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/SocketMessage.h"

namespace {

using platform::SocketMessage;

constexpr int64_t kExact = int64_t{1} << 53;  // JSON numbers are exact up to here

bool SameMessage(const SocketMessage& a, const SocketMessage& b) {
  return a.name == b.name && a.wParam == b.wParam && a.lParam == b.lParam && a.dwData == b.dwData &&
         a.data == b.data && a.fields == b.fields && a.IsCopyData() == b.IsCopyData();
}

// Encode gives one line that ends with its only line feed.
QByteArray LineOf(const SocketMessage& message) {
  QByteArray line = message.Encode();
  FUZZ_CHECK(line.endsWith('\n'));
  line.chop(1);
  FUZZ_CHECK(!line.contains('\n'));
  FUZZ_CHECK(!line.contains('\r'));
  return line;
}

void CheckTrip(const SocketMessage& message) {
  const QByteArray line = LineOf(message);
  if (line.size() > SocketMessage::kMaxLineBytes)
    return;
  QString error;
  const auto again = SocketMessage::Decode(line, &error);
  if (!again)
    fuzz::Fail(("an encoded message does not decode: " + error.toStdString()).c_str(), __FILE__, __LINE__);
  FUZZ_CHECK(SameMessage(message, *again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray line(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString error;
  const auto message = SocketMessage::Decode(line, &error);
  FUZZ_CHECK(message.has_value() == error.isEmpty());
  if (message) {
    FUZZ_CHECK(line.size() <= SocketMessage::kMaxLineBytes);
    FUZZ_CHECK(!message->name.isEmpty());
    FUZZ_CHECK(!message->fields.contains(QStringLiteral("message")));
    if (message->IsCopyData()) {
      FUZZ_CHECK(!message->fields.contains(QStringLiteral("dwData")));
      FUZZ_CHECK(!message->fields.contains(QStringLiteral("data")));
      FUZZ_CHECK(message->dwData <= static_cast<uint64_t>(kExact));
    } else {
      FUZZ_CHECK(!message->fields.contains(QStringLiteral("wParam")));
      FUZZ_CHECK(!message->fields.contains(QStringLiteral("lParam")));
      FUZZ_CHECK(message->wParam >= -kExact && message->wParam <= kExact);
      FUZZ_CHECK(message->lParam >= -kExact && message->lParam <= kExact);
    }
    CheckTrip(*message);
  }

  // The same bytes as the parts of messages the program builds.
  FuzzedDataProvider provider(data, size);
  const int64_t wParam = provider.ConsumeIntegralInRange<int64_t>(-kExact, kExact);
  const int64_t lParam = provider.ConsumeIntegralInRange<int64_t>(-kExact, kExact);
  const uint64_t dwData = provider.ConsumeIntegralInRange<uint64_t>(0, static_cast<uint64_t>(kExact));
  const std::string name = provider.ConsumeRandomLengthString(64);
  const std::string payload = provider.ConsumeRemainingBytesAsString();
  const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (!text.isEmpty() && text != QLatin1String(SocketMessage::kCopyData))
    CheckTrip(SocketMessage::Registered(text, wParam, lParam));
  CheckTrip(SocketMessage::CopyData(dwData, QByteArray(payload.data(), static_cast<qsizetype>(payload.size()))));
  return 0;
}
