#include "travixctl/ControlClient.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QTimer>
#include <optional>

#include "platform/SocketMessage.h"

namespace travixctl {

namespace {

ControlReply Failure(int status, QString text) {
  ControlReply reply;
  reply.exitStatus = status;
  reply.text = std::move(text);
  return reply;
}

QString Seconds(int ms) { return QString::number(ms / 1000.0, 'g', 6) + QStringLiteral(" s"); }

}  // namespace

QByteArray ControlRequest::Encode(qint64 id) const {
  QJsonObject fields;
  fields["id"] = id;
  fields["command"] = command;
  fields["args"] = args;
  return platform::SocketMessage::WithFields(QLatin1String(kMessage), fields).Encode();
}

ControlClient::ControlClient(QString socketPath, int timeoutMs)
    : socketPath_(std::move(socketPath)), timeoutMs_(timeoutMs) {}

bool ControlClient::ReadReply(const QByteArray& line, qint64 id, ControlReply* reply) {
  // Read here rather than by SocketMessage::Decode, whose 64 KiB bound is
  // for what the program takes in: a list may be longer.
  const QJsonDocument document = QJsonDocument::fromJson(line);
  const QJsonObject fields = document.object();
  if (fields.value("message").toString() != QLatin1String(ControlRequest::kReplyMessage))
    return false;
  const QJsonValue replyId = fields.value("id");
  // Ids are whole numbers; 1.5 is not 1.
  if (!replyId.isDouble() || replyId.toDouble() != static_cast<double>(id))
    return false;
  const QJsonValue ok = fields.value("ok");
  if (!ok.isBool()) {
    *reply = Failure(kExitFailed, QStringLiteral("Travix sent a reply without \"ok\""));
    return true;
  }
  if (ok.toBool()) {
    reply->exitStatus = kExitOk;
    reply->result = fields.value("result");
    if (reply->result.isUndefined() || reply->result.isNull())
      reply->result = QJsonObject();
    return true;
  }
  reply->error = fields.value("error").toString();
  reply->exitStatus = ExitStatusForError(reply->error);
  reply->text = fields.value("text").toString();
  if (reply->text.isEmpty()) {
    reply->text = reply->error.isEmpty()
                      ? QStringLiteral("Travix refused the request")
                      : QStringLiteral("Travix refused the request (%1)").arg(reply->error);
  }
  return true;
}

ControlReply ControlClient::Send(const ControlRequest& request) {
  const qint64 id = nextId_++;
  const QString notRunning = QStringLiteral("Travix is not running (no socket at %1)").arg(socketPath_);
  if (socketPath_.isEmpty())
    return Failure(kExitNotRunning, QStringLiteral("Travix is not running (no socket folder)"));

  std::optional<ControlReply> outcome;
  QEventLoop loop;
  QLocalSocket socket;
  QTimer deadline;
  QByteArray buffer;
  bool connected = false;

  auto finish = [&](ControlReply reply) {
    if (outcome)
      return;
    reply.reached = connected;
    outcome = std::move(reply);
    loop.quit();
  };
  auto readLines = [&] {
    buffer += socket.readAll();
    qsizetype newline;
    while (!outcome && (newline = buffer.indexOf('\n')) >= 0) {
      const QByteArray line = buffer.left(newline);
      buffer.remove(0, newline + 1);
      ControlReply reply;
      if (ReadReply(line, id, &reply))
        finish(std::move(reply));
    }
    if (!outcome && buffer.size() > kMaxReplyBytes)
      finish(Failure(kExitFailed, QStringLiteral("Travix sent a line longer than %1 bytes").arg(kMaxReplyBytes)));
  };
  auto hungUp = [&] {
    readLines();
    finish(Failure(kExitNotRunning, QStringLiteral("Travix closed the connection without answering")));
  };

  QObject::connect(&socket, &QLocalSocket::connected, [&] {
    connected = true;
    socket.write(request.Encode(id));
    socket.flush();
  });
  QObject::connect(&socket, &QLocalSocket::readyRead, readLines);
  QObject::connect(&socket, &QLocalSocket::disconnected, hungUp);
  QObject::connect(&socket, &QLocalSocket::errorOccurred, [&](QLocalSocket::LocalSocketError error) {
    if (error == QLocalSocket::PeerClosedError) {
      hungUp();
    } else if (!connected && (error == QLocalSocket::ServerNotFoundError ||
                              error == QLocalSocket::ConnectionRefusedError)) {
      // No socket, or one a crashed instance left behind.
      finish(Failure(kExitNotRunning, notRunning));
    } else {
      finish(Failure(connected ? kExitFailed : kExitNotRunning,
                     QStringLiteral("cannot talk to Travix at %1: %2").arg(socketPath_, socket.errorString())));
    }
  });
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&] {
    finish(Failure(kExitNotRunning, QStringLiteral("Travix did not answer within %1 (socket at %2)")
                                        .arg(Seconds(timeoutMs_), socketPath_)));
  });
  deadline.start(timeoutMs_);

  // On Unix the connection is usually made (or refused) inside this call.
  socket.connectToServer(socketPath_);
  if (!outcome)
    loop.exec();
  // The socket's own teardown must not reach the handlers above.
  socket.disconnect();
  socket.abort();
  return *outcome;
}

}  // namespace travixctl
