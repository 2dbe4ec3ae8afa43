#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "travixctl/ExitStatus.h"

namespace travixctl {

// One request to the running Travix: the "Travix.Control" message.
struct ControlRequest {
  static constexpr const char* kMessage = "Travix.Control";
  static constexpr const char* kReplyMessage = "Travix.Control.Reply";

  QString command;  // "list", "light", "light-same-mode", "dpi", ...
  QJsonObject args;

  // The line written to the socket:
  //   {"message": "Travix.Control", "id": ID, "command": ..., "args": {...}}
  QByteArray Encode(qint64 id) const;
};

// What came of a request: Travix's answer, or why there was none.
struct ControlReply {
  int exitStatus = kExitFailed;
  QJsonValue result;  // of a successful reply; an empty object when it had none
  QString error;      // the error reply's code; empty for failures of our own
  QString text;       // what went wrong, for people
  bool reached = false;  // the program took the connection (it may still not have answered)

  bool Succeeded() const { return exitStatus == kExitOk; }
};

// The client side of the control requests: connects to the program's socket,
// writes one request and waits for the reply with the same id. Other lines
// (notices the program sends every client, replies to other ids) are passed
// over. The waiting runs a local event loop, so a server in the same thread
// (a test's) goes on working meanwhile.
class ControlClient {
 public:
  static constexpr int kDefaultTimeoutMs = 5000;
  // A line longer than this is no reply of ours.
  static constexpr qsizetype kMaxReplyBytes = 4 * 1024 * 1024;

  explicit ControlClient(QString socketPath, int timeoutMs = kDefaultTimeoutMs);

  // One round trip on a connection of its own. Each call takes the next id,
  // from 1.
  ControlReply Send(const ControlRequest& request);

  // Whether `line` is the reply to the request `id`; when it is, `reply`
  // receives what it says.
  static bool ReadReply(const QByteArray& line, qint64 id, ControlReply* reply);

 private:
  QString socketPath_;
  int timeoutMs_;
  qint64 nextId_ = 1;
};

}  // namespace travixctl
