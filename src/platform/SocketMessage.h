#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// One message on the program's local socket. The wire form is one JSON object
// per line (UTF-8):
//   {"message": NAME, "wParam": N, "lParam": N}
//   {"message": "WM_COPYDATA", "dwData": N, "data": HEX}
// where NAME is the registration string of a registered message. A message
// may carry more members; a message that is no window message carries only
// its members: {"message": NAME, ...}.
struct SocketMessage {
  static constexpr const char* kCopyData = "WM_COPYDATA";
  static constexpr qsizetype kMaxLineBytes = 64 * 1024;

  QString name;
  int64_t wParam = 0;
  int64_t lParam = 0;
  uint64_t dwData = 0;
  QByteArray data;
  // The line's other members. Decode keeps them for every message; Encode
  // writes them too, the standard members winning over any of the same name.
  QJsonObject fields;
  // False for a message written without wParam and lParam (see WithFields).
  bool windowParams = true;

  bool IsCopyData() const { return name == QLatin1String(kCopyData); }

  static SocketMessage Registered(const QString& name, int64_t wParam, int64_t lParam);
  static SocketMessage CopyData(uint64_t dwData, QByteArray data);
  // A message that is no window message: its name and `fields` only.
  static SocketMessage WithFields(const QString& name, QJsonObject fields);

  // The line to send, ending with "\n".
  QByteArray Encode() const;
  // Parses one line (without its "\n"); nullopt with the reason for anything
  // that is not a well-formed message.
  static std::optional<SocketMessage> Decode(const QByteArray& line, QString* error = nullptr);
};

}  // namespace platform
