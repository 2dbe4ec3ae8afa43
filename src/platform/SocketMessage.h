#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// One message on the program's local socket. The wire form is one JSON object
// per line (UTF-8):
//   {"message": NAME, "wParam": N, "lParam": N}
//   {"message": "WM_COPYDATA", "dwData": N, "data": HEX}
// where NAME is the registration string of a registered message.
struct SocketMessage {
  static constexpr const char* kCopyData = "WM_COPYDATA";
  static constexpr qsizetype kMaxLineBytes = 64 * 1024;

  QString name;
  int64_t wParam = 0;
  int64_t lParam = 0;
  uint64_t dwData = 0;
  QByteArray data;

  bool IsCopyData() const { return name == QLatin1String(kCopyData); }

  static SocketMessage Registered(const QString& name, int64_t wParam, int64_t lParam);
  static SocketMessage CopyData(uint64_t dwData, QByteArray data);

  // The line to send, ending with "\n".
  QByteArray Encode() const;
  // Parses one line (without its "\n"); nullopt with the reason for anything
  // that is not a well-formed message.
  static std::optional<SocketMessage> Decode(const QByteArray& line, QString* error = nullptr);
};

}  // namespace platform
