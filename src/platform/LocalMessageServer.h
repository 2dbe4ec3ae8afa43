#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "platform/SocketMessage.h"

class QLocalSocket;
class QSocketNotifier;
class QTimer;

namespace platform {

// The program's per-user local socket: it makes the program a single
// instance and carries messages between the program and other programs of
// the same user (a second instance, games, scripts, test tools).
//
// Path: $XDG_RUNTIME_DIR/travix.sock, else /tmp/travix-<uid>/travix.sock (the
// folder made with mode 0700 and refused when another user owns it; $TMPDIR
// stands for /tmp when set). The socket has mode 0600; connections from other
// users are closed at once. A lock file beside the socket decides which of two
// starting instances owns it.
//
// Lines are never handled inside a socket's own signals: complete lines go to
// a queue per client and are handled from the event loop, one per turn, in
// the order they came. A handler may run a nested event loop (a modal
// window); later lines, of the same client or others, are handled inside it.
// A line that came together with its client's hang-up is still handled.
class LocalMessageServer : public QObject {
  Q_OBJECT

 public:
  enum class StartResult { Listening, OtherInstance, Failed };
  using Handler = std::function<void(const SocketMessage&)>;
  // Answers the client a message came from, and that client only; nothing
  // when it has gone.
  using Reply = std::function<void(const SocketMessage&)>;
  using RequestHandler = std::function<void(const SocketMessage&, const Reply&)>;

  // What one misbehaving client may cost. Beyond them the client (or the
  // newest connection) is closed, with a debug line.
  struct Limits {
    int maxClients = 100;
    // A line begun and not finished for this long.
    int unfinishedLineMs = 10000;
    // Answers and notices the client has not read.
    qint64 maxUnreadBytes = 1024 * 1024;
    // Complete lines waiting to be handled.
    int maxQueuedLines = 1000;
    // How long accepting pauses when the process is out of descriptors.
    int acceptPauseMs = 250;
  };

  explicit LocalMessageServer(QObject* parent = nullptr);
  ~LocalMessageServer() override;

  // The folder of the socket, created when missing; empty (with the reason)
  // when it cannot be used safely.
  static QString SocketDirectory(QString* error = nullptr);
  static QString SocketPath();

  // Takes the socket, or finds that another instance has it.
  StartResult Start();
  bool IsListening() const;
  void SetLimits(const Limits& limits) { limits_ = limits; }
  // Receives every well-formed message of a known name (registered in this
  // process, or WM_COPYDATA); everything else is dropped with a debug line.
  void SetHandler(Handler handler) { handler_ = std::move(handler); }
  // Takes the messages of one name (no registered message needed) in place
  // of the handler; it may answer their sender. A null handler removes it.
  void SetRequestHandler(const QString& name, RequestHandler handler);
  // Sends a message to every connected client.
  void Broadcast(const SocketMessage& message);
  // Connected clients (a client that has hung up no longer counts, even
  // while its last lines are handled).
  int ClientCount() const { return static_cast<int>(clients_.size()); }

  // Client side: sends one message to the running instance. Retries while the
  // owner is still starting, up to `timeoutMs`. False when nobody took it.
  static bool SendToRunningInstance(const SocketMessage& message, int timeoutMs = 3000);

 private:
  struct Client;
  using ClientPtr = std::shared_ptr<Client>;

  void AcceptPending();
  void AddClient(int fd);
  void Read(const ClientPtr& client);
  void OnHangUp(const ClientPtr& client);
  void PostDispatch(const ClientPtr& client);
  void Dispatch(const ClientPtr& client);
  void HandleLine(const ClientPtr& client, const QByteArray& line,
                  const std::function<void()>& answered);
  void SendReply(const std::weak_ptr<Client>& client, const SocketMessage& message);
  // False when the client was closed for not reading.
  bool Send(const ClientPtr& client, const QByteArray& line);
  void Close(const ClientPtr& client, const QString& why);
  // No longer a connected client: its signals are cut and it leaves the
  // table (what it has queued is still handled).
  void Detach(const ClientPtr& client);
  void ReleaseSocketWhenDone(const ClientPtr& client);
  void CheckUnfinishedLines();
  void Stop();

  Limits limits_;
  int listenFd_ = -1;
  QSocketNotifier* acceptNotifier_ = nullptr;
  QTimer* acceptPause_ = nullptr;
  QTimer* unfinishedCheck_ = nullptr;
  QHash<QLocalSocket*, ClientPtr> clients_;
  Handler handler_;
  QHash<QString, RequestHandler> requestHandlers_;
  QString socketPath_;
  int lockFd_ = -1;
};

}  // namespace platform
