#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/SocketMessage.h"

class QLocalServer;
class QLocalSocket;

namespace platform {

// The program's per-user local socket: it makes the program a single
// instance and carries messages between the program and other programs of
// the same user (a second instance, games, scripts, test tools).
//
// Path: $XDG_RUNTIME_DIR/travix.sock, else /tmp/travix-<uid>/travix.sock (the
// folder made with mode 0700 and refused when another user owns it; $TMPDIR
// stands for /tmp when set). The
// socket has mode 0600; connections from other users are closed at once. A
// lock file beside the socket decides which of two starting instances owns it.
class LocalMessageServer : public QObject {
  Q_OBJECT

 public:
  enum class StartResult { Listening, OtherInstance, Failed };
  using Handler = std::function<void(const SocketMessage&)>;
  // Answers the client a message came from, and that client only; nothing
  // when it has gone.
  using Reply = std::function<void(const SocketMessage&)>;
  using RequestHandler = std::function<void(const SocketMessage&, const Reply&)>;

  explicit LocalMessageServer(QObject* parent = nullptr);
  ~LocalMessageServer() override;

  // The folder of the socket, created when missing; empty (with the reason)
  // when it cannot be used safely.
  static QString SocketDirectory(QString* error = nullptr);
  static QString SocketPath();

  // Takes the socket, or finds that another instance has it.
  StartResult Start();
  bool IsListening() const;
  // Receives every well-formed message of a known name (registered in this
  // process, or WM_COPYDATA); everything else is dropped with a debug line.
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  // Takes the messages of one name (no registered message needed) in place
  // of the handler; it may answer their sender. A null handler removes it.
  void SetRequestHandler(const QString& name, RequestHandler handler);
  // Sends a message to every connected client.
  void Broadcast(const SocketMessage& message);
  int ClientCount() const { return static_cast<int>(clients_.size()); }

  // Client side: sends one message to the running instance. Retries while the
  // owner is still starting, up to `timeoutMs`. False when nobody took it.
  static bool SendToRunningInstance(const SocketMessage& message, int timeoutMs = 3000);

 private:
  struct Client {
    QByteArray buffer;
    bool discarding = false;  // inside a line that was too long
  };
  void Accept();
  void Read(QLocalSocket* socket);
  void HandleLine(QLocalSocket* socket, const QByteArray& line);
  void SendReply(const QPointer<QLocalSocket>& socket, const SocketMessage& message);
  void Stop();

  QLocalServer* server_ = nullptr;
  QHash<QLocalSocket*, Client> clients_;
  Handler handler_;
  QHash<QString, RequestHandler> requestHandlers_;
  QString socketPath_;
  int lockFd_ = -1;
};

}  // namespace platform
